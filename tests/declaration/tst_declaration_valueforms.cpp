#include "declaration/XmlValueForms.h"

#include <QLocale>
#include <QTest>

using F = XmlValueForms;

Q_DECLARE_METATYPE(db::Value)

namespace {

db::Value dec(const char* text) {
    return db::Value(*db::Decimal::parse(QString::fromLatin1(text)));
}

}  // namespace

class TestXmlValueForms : public QObject {
    Q_OBJECT

private slots:
    void amount_data() {
        QTest::addColumn<db::Value>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << dec("0") << "00000";
        QTest::newRow("1234.567") << dec("1234.567") << "01235";
        QTest::newRow("1234.499") << dec("1234.499") << "01234";
        QTest::newRow("2.5") << dec("2.5") << "00003";
        QTest::newRow("98765432.1") << dec("98765432.1") << "98765432";
        QTest::newRow("-12") << dec("-12") << "-00012";
        QTest::newRow("-0.4") << dec("-0.4") << "00000";
        QTest::newRow("-0.5") << dec("-0.5") << "-00001";
        QTest::newRow("-2.5") << dec("-2.5") << "-00003";
        QTest::newRow("1234567.500") << dec("1234567.500") << "1234568";
        QTest::newRow("0.4") << dec("0.4") << "00000";
        QTest::newRow("0.500") << dec("0.500") << "00001";
        QTest::newRow("null") << db::Value() << "00000";
        QTest::newRow("integer") << db::Value(42) << "00042";
        QTest::newRow("18 digits") << dec("999999999999999.999") << "1000000000000000";
    }
    void amount() {
        QFETCH(db::Value, value);
        QFETCH(QString, expected);
        QCOMPARE(F::amount(value), expected);
    }

    void percentage_data() {
        QTest::addColumn<db::Value>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("25") << dec("25") << "0025";
        QTest::newRow("33.5") << dec("33.5") << "0034";
        QTest::newRow("100") << dec("100") << "0100";
        QTest::newRow("null") << db::Value() << "0000";
        QTest::newRow("33.33") << dec("33.33") << "0033";
        QTest::newRow("50") << dec("50.00") << "0050";
        QTest::newRow("99.5") << dec("99.50") << "0100";
        QTest::newRow("5.25") << dec("5.25") << "0005";
        QTest::newRow("12.5") << dec("12.50") << "0013";
    }
    void percentage() {
        QFETCH(db::Value, value);
        QFETCH(QString, expected);
        QCOMPARE(F::percentage(value), expected);
    }

    void postalCode() {
        QCOMPARE(F::postalCode(db::Value(800)), QStringLiteral("0800"));
        QCOMPARE(F::postalCode(db::Value(1002)), QStringLiteral("1002"));
        QCOMPARE(F::postalCode(db::Value()), QStringLiteral("0000"));
        QCOMPARE(F::postalCode(db::Value(12345)), QStringLiteral("12345"));
    }

    void year() {
        QCOMPARE(F::year(db::Value(2023)), QStringLiteral("2023"));
        QCOMPARE(F::year(db::Value()), QString());
    }

    void dateIsAlwaysDayMonthYear() {
        // Whatever the regional settings, the administration reads 31/12/2023.
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(F::date(db::Value(QDate(2023, 12, 31))), QStringLiteral("31/12/2023"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(F::date(db::Value(QDate(2023, 1, 5))), QStringLiteral("05/01/2023"));
        QLocale::setDefault(saved);
        QCOMPARE(F::date(db::Value()), QString());
    }

    void trimmed() {
        QCOMPARE(F::trimmed(db::Value(QStringLiteral("  Sté X "))), QStringLiteral("Sté X"));
        QCOMPARE(F::trimmed(db::Value(QStringLiteral("\r\n\tFiliale \t\r\n"))),
                 QStringLiteral("Filiale"));
        QCOMPARE(F::trimmed(db::Value(QStringLiteral("a  b"))), QStringLiteral("a  b"));
        QCOMPARE(F::trimmed(db::Value()), QString());
        QVERIFY(F::isBlank(db::Value(QStringLiteral("  \r\n"))));
        QVERIFY(F::isBlank(db::Value()));
        QVERIFY(!F::isBlank(db::Value(QStringLiteral(" x "))));
    }

    void asStoredKeepsPadding() {
        QCOMPARE(F::asStored(db::Value(QStringLiteral("CUP "))), QStringLiteral("CUP "));
        QCOMPARE(F::asStored(db::Value()), QString());
    }

    void escaping() {
        QCOMPARE(F::escapeText(QStringLiteral("Dupont & Fils <Tunis>")),
                 QStringLiteral("Dupont &amp; Fils &lt;Tunis&gt;"));
        // Quotes and apostrophes are left alone in element text.
        QCOMPARE(F::escapeText(QStringLiteral("l'\"X\"")), QStringLiteral("l'\"X\""));
        QCOMPARE(F::escapeAttribute(QStringLiteral("a\"b&")), QStringLiteral("a&quot;b&amp;"));
        QCOMPARE(F::escapeText(QStringLiteral("Sté")), QStringLiteral("Sté"));
    }

    void forbiddenCharactersAreLeftOut() {
        QString text = QStringLiteral("a");
        text += QChar(0x01);
        text += QStringLiteral("b\tc");
        text += QChar(0x0B);
        text += QChar(0x1F);
        text += QChar(0xFFFF);
        text += QStringLiteral("d");
        QCOMPARE(F::escapeText(text), QStringLiteral("ab\tcd"));
    }

    void lineBreaksBecomeCrLf() {
        QCOMPARE(F::escapeText(QStringLiteral("l1\r\nl2\nl3\rl4")),
                 QStringLiteral("l1\r\nl2\r\nl3\r\nl4"));
    }

    void roundedPadded() {
        QCOMPARE(F::roundedPadded(db::Decimal(2005, 3), 5), QStringLiteral("00002"));
        QCOMPARE(F::roundedPadded(db::Decimal(200800, 3), 5), QStringLiteral("00201"));
    }
};

QTEST_GUILESS_MAIN(TestXmlValueForms)
#include "tst_declaration_valueforms.moc"
