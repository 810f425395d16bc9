#include "db/Decimal.h"
#include "db/NamedParameters.h"
#include "db/Win1252.h"

#include <QTest>

using db::Decimal;

class TestDecimal : public QObject {
    Q_OBJECT

private slots:
    void parsesUserInput_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("point") << "1234.5"
                               << "1234.5";
        QTest::newRow("comma") << "-0,25"
                               << "-0.25";
        QTest::newRow("groups") << "1 234 567,890"
                                << "1234567.890";
        QTest::newRow("nbsp") << QString::fromUtf16(u"12\u00a0345,1") << "12345.1";
        QTest::newRow("18 digits") << "999999999999999.999"
                                   << "999999999999999.999";
        QTest::newRow("leading plus") << "+7"
                                      << "7";
    }
    void parsesUserInput() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto d = Decimal::parse(text);
        QVERIFY(d.has_value());
        QCOMPARE(d->toString(), expected);
    }

    void refusesGarbage() {
        for (const char* t : {"", " ", "abc", "1.2.3", "12a", "-", "1,2,3"}) {
            QVERIFY2(!Decimal::parse(QString::fromLatin1(t)).has_value(), t);
        }
    }

    void roundsHalfAwayFromZero() {
        QCOMPARE(Decimal::mantissaToString(Decimal(1234567, 3).roundedToInteger()), "1235");
        QCOMPARE(Decimal::mantissaToString(Decimal(1234499, 3).roundedToInteger()), "1234");
        QCOMPARE(Decimal::mantissaToString(Decimal(25, 1).roundedToInteger()), "3");
        QCOMPARE(Decimal::mantissaToString(Decimal(-25, 1).roundedToInteger()), "-3");
        QCOMPARE(Decimal::mantissaToString(Decimal(-4, 1).roundedToInteger()), "0");
        QCOMPARE(Decimal(12345, 3).rescaled(2).toString(), "12.35");
    }

    void sumsStayExactBeyondSixtyFourBits() {
        Decimal total;
        const Decimal big = *Decimal::parse("999999999999999.999");
        for (int i = 0; i < 20; ++i) {
            total += big;
        }
        QCOMPARE(total.toString(), "19999999999999999.980");
        QCOMPARE(Decimal(1, 1) + Decimal(2, 1), Decimal(3, 1));
        QVERIFY(Decimal(1, 3) < Decimal(1, 2));
    }

    void formatsDisplayPatterns_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("leading zeros") << "5"
                                       << "### ### ### 0##.000"
                                       << "005,000";
        QTest::newRow("plain") << "5"
                               << "### ### ### ##0.000"
                               << "5,000";
        QTest::newRow("groups") << "1234567.891"
                                << "### ### ### ##0.000"
                                << "1 234 567,891";
        QTest::newRow("negative") << "-1234.5"
                                  << "### ### ### 0##.000"
                                  << "-1 234,500";
        QTest::newRow("zero") << "0"
                              << "### ### ### ##0.000"
                              << "0,000";
    }
    void formatsDisplayPatterns() {
        QFETCH(QString, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(Decimal::parse(value)->format(pattern, u','), expected);
    }

    void convertsWindows1252() {
        const QByteArray bytes("\xE9\x80\x8C\x9C", 4);
        QCOMPARE(db::Win1252::decode(bytes), QString::fromUtf16(u"é€Œœ"));
        QByteArray back;
        QVERIFY(db::Win1252::encode(QString::fromUtf16(u"é€Œœ"), back));
        QCOMPARE(back, bytes);
        QString unmapped;
        QVERIFY(!db::Win1252::encode(QString::fromUtf16(u"Société عربي"), back, &unmapped));
        QCOMPARE(unmapped, QString::fromUtf16(u"عربي"));
    }

    void namesParametersOutsideQuotesAndComments() {
        QStringList names;
        const QString sql = db::NamedParameters::toPositional(
            QStringLiteral("select ':x', \":y\" from t -- :z\nwhere a = :MFiscal /* :w */ and "
                           "b = :exercice or c = :mfiscal"),
            names);
        QCOMPARE(names, QStringList({"mfiscal", "exercice", "mfiscal"}));
        QCOMPARE(sql, QStringLiteral("select ':x', \":y\" from t -- :z\nwhere a = ? /* :w */ and "
                                     "b = ? or c = ?"));
    }
};

QTEST_GUILESS_MAIN(TestDecimal)
#include "tst_decimal.moc"
