#include "TestDatabase.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QTest>

using db::Value;

class TestStatement : public QObject {
    Q_OBJECT

    TestDatabase m_db;
    db::Connection m_connection;
    std::unique_ptr<db::Transaction> m_transaction;

    Value readBack(const QString& column) {
        db::Statement q(*m_transaction);
        q.prepare(
            QStringLiteral("select %1 from OPERATIONPRETEMPRUNT where MFISCAL = :m and LG = 1")
                .arg(column));
        q.setParam(QStringLiteral("M"), QStringLiteral("1234567A"));
        q.execute();
        if (!q.fetch()) {
            return Value(QStringLiteral("<no row>"));
        }
        return q.row().at(0);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_db.isValid());
        m_connection.setDatabaseName(m_db.databasePath());
        m_connection.open();
        m_transaction = std::make_unique<db::Transaction>(m_connection);
        m_connection.setDefaultTransaction(m_transaction.get());
        m_transaction->start();
    }

    void cleanupTestCase() {
        m_connection.close();
        m_transaction.reset();
    }

    void roundTripsEveryType() {
        db::Statement insert(*m_transaction);
        insert.prepare(QStringLiteral(
            "insert into OPERATIONPRETEMPRUNT (MFISCAL, EXERCICE, LG, TYPEPRETEMPRUNT, "
            "RAISONSOCIALE, "
            "SOLDEOUVERTURE, TAUXINTERET, PRETINTERET) values (:m, :e, 1, :t, :r, :s, :taux, :p)"));
        insert.setParam(QStringLiteral("m"), QStringLiteral("1234567A"));
        insert.setParam(QStringLiteral("e"), 2023);
        insert.setParam(QStringLiteral("t"), QStringLiteral("P"));
        insert.setParam(QStringLiteral("r"), QString::fromUtf16(u"Société € Œuvre"));
        insert.setParam(QStringLiteral("s"), *db::Decimal::parse("123456789012345.678"));
        insert.setParam(QStringLiteral("taux"), *db::Decimal::parse("4.25"));
        insert.setParam(QStringLiteral("p"), QStringLiteral("O"));
        insert.execute();
        QCOMPARE(insert.affectedRows(), 1);

        QCOMPARE(readBack(QStringLiteral("RAISONSOCIALE")).toText(),
                 QString::fromUtf16(u"Société € Œuvre"));
        QCOMPARE(readBack(QStringLiteral("SOLDEOUVERTURE")).toDecimal().toString(),
                 "123456789012345.678");
        QCOMPARE(readBack(QStringLiteral("TAUXINTERET")).toDecimal().toString(), "4.25");
        QCOMPARE(readBack(QStringLiteral("EXERCICE")).toInt(), 2023);
        QVERIFY(readBack(QStringLiteral("DIMINUTIONS")).isNull());
        // CHAR columns come back blank-padded by the server.
        QCOMPARE(readBack(QStringLiteral("ETATTERRITORIAL")).isNull(), true);
    }

    void keepsCharPaddingAndReadsBlobsAndDates() {
        db::Statement insert(*m_transaction);
        insert.prepare(QStringLiteral(
            "insert into SOCIETE (MFISCAL, CLE, EXERCICE, AFFIRMATIONBIENSERVICE, DATEFIN, "
            "DESCRIPTION) values ('7654321', 'B', 2022, :a, :d, :blob)"));
        insert.setParam(QStringLiteral("a"), QStringLiteral("O"));
        insert.setParam(QStringLiteral("d"), QDate(2022, 12, 31));
        QString longText = QString::fromUtf16(u"Ligne é\r\n").repeated(8000);
        insert.setParam(QStringLiteral("blob"), longText);
        insert.execute();

        db::Statement q(*m_transaction);
        q.prepare(
            QStringLiteral("select AFFIRMATIONBIENSERVICE, DATEFIN, DESCRIPTION from SOCIETE "
                           "where MFISCAL = '7654321'"));
        q.execute();
        QVERIFY(q.fetch());
        QCOMPARE(q.value(QStringLiteral("AFFIRMATIONBIENSERVICE")).toText(), "O  ");
        QCOMPARE(q.value(QStringLiteral("datefin")).toDate(), QDate(2022, 12, 31));
        QCOMPARE(q.value(QStringLiteral("DESCRIPTION")).toText(), longText);
        QVERIFY(!q.fetch());
    }

    void keepsTheServersTextWordForWord() {
        db::Statement insert(*m_transaction);
        insert.prepare(
            QStringLiteral("insert into CATEGORIE (CODE, LIBELLE) values ('M', 'doublon')"));
        try {
            insert.execute();
            QFAIL("duplicate key accepted");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().startsWith(
                         "violation of PRIMARY or UNIQUE KEY constraint \"PK_CATEGORIE\" on table "
                         "\"CATEGORIE\""),
                     qPrintable(e.text()));
        }
        db::Statement bad(*m_transaction);
        QVERIFY_THROWS_EXCEPTION(db::DatabaseError,
                                 bad.prepare(QStringLiteral("select * from NOWHERE")));
    }

    void refusesTextWithoutWindows1252Form() {
        db::Statement insert(*m_transaction);
        insert.prepare(
            QStringLiteral("insert into DEVISE (DEVISE, LIBELLE) values ('ZZZ', :libelle)"));
        insert.setParam(QStringLiteral("libelle"), QString::fromUtf16(u"دينار"));
        try {
            insert.execute();
            QFAIL("arabic text accepted");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().contains("LIBELLE"), qPrintable(e.text()));
        }
        db::Statement count(*m_transaction);
        count.prepare(QStringLiteral("select count(*) from DEVISE where DEVISE = 'ZZZ'"));
        count.execute();
        QVERIFY(count.fetch());
        QCOMPARE(count.row().at(0).toInt(), 0);
    }

    void failedConnectionNamesTheFile() {
        db::Connection c;
        c.setDatabaseName(m_db.rootFolder() + "/absent/TALMORIX.gdb");
        try {
            c.open();
            QFAIL("opened a missing database");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().contains("absent/TALMORIX.gdb"), qPrintable(e.text()));
        }
        QVERIFY(!c.isConnected());
    }
};

QTEST_GUILESS_MAIN(TestStatement)
#include "tst_statement.moc"
