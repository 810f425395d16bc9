#include "TestDatabase.h"
#include "db/DatabaseError.h"

#include <QTest>

using db::Value;

class TestRecordRules : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;

    void selectCompany(const QString& mfiscal, int year) {
        QVERIFY(m_module->societe->locate({"MFISCAL", "EXERCICE"}, {Value(mfiscal), Value(year)}));
    }

    int appendLine(Dataset& ds) {
        ds.append();
        const int lg = int(ds.value("LG").toInt());
        if (ds.fieldIndex("NATUREACTIF") >= 0) {
            ds.setValue("NATUREACTIF", QStringLiteral("01"));
        }
        ds.post();
        return lg;
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1234567", "A", 2023, "ALPHA");
        m_db->addCompany("1234567", "A", 2024, "ALPHA");
        m_db->addCompany("123456", "B", 2023, "COURT");
        m_module = m_db->openModule();
        m_module->societe->open();
        selectCompany("1234567", 2023);
    }
    void cleanup() {
        m_module.reset();
        m_db.reset();
    }

    void numbersLinesPerCompanyYearAndTable() {
        for (Dataset* ds :
             {m_module->capitallie, m_module->Capitaldeclarante, m_module->actifincorporel,
              m_module->Actifcorporel, m_module->montanttransactions, m_module->Empruntsprets,
              m_module->operationssanscontre, m_module->operationsaccord}) {
            m_module->openForActiveCompany(*ds);
            QCOMPARE(appendLine(*ds), 1);
            QCOMPARE(appendLine(*ds), 2);
        }
        selectCompany("1234567", 2024);
        m_module->openForActiveCompany(*m_module->capitallie);
        QCOMPARE(m_module->capitallie->rowCount(), 0);
        QCOMPARE(appendLine(*m_module->capitallie), 1);
    }

    void nextNumberFollowsTheHighestAndReusesAFreedLast() {
        Dataset& ds = *m_module->montanttransactions;
        m_module->openForActiveCompany(ds);
        for (int i = 0; i < 5; ++i) {
            appendLine(ds);
        }
        // Keep 1, 2 and 5.
        for (int lg : {3, 4}) {
            QVERIFY(ds.locate({"LG"}, {Value(lg)}));
            ds.remove();
        }
        QCOMPARE(appendLine(ds), 6);
        QVERIFY(ds.locate({"LG"}, {Value(6)}));
        ds.remove();
        QCOMPARE(appendLine(ds), 6);
        // An abandoned new row takes no number.
        ds.append();
        QCOMPARE(ds.value("LG").toInt(), 7);
        ds.cancel();
        ds.append();
        QCOMPARE(ds.value("LG").toInt(), 7);
        ds.cancel();
    }

    void zeroesEmptyAmounts() {
        Dataset& ops = *m_module->montanttransactions;
        m_module->openForActiveCompany(ops);
        ops.append();
        ops.post();
        QCOMPARE(ops.value("ACHATS").toDecimal(), db::Decimal());
        QCOMPARE(ops.value("VENTES").toDecimal(), db::Decimal());
        QCOMPARE(
            m_db->count("select count(*) from OPERATIONSMONTANTS where ACHATS = 0 and VENTES = 0"),
            1);

        Dataset& prets = *m_module->Empruntsprets;
        m_module->openForActiveCompany(prets);
        prets.append();
        prets.setText("SOLDECLOTURE", QStringLiteral("1500,250"));
        prets.post();
        QCOMPARE(
            m_db->count("select count(*) from OPERATIONPRETEMPRUNT where SOLDEOUVERTURE = 0 and "
                        "AUGMENTATIONS = 0 and DIMINUTIONS = 0 and SOLDECLOTURE = 1500.25 and "
                        "TAUXINTERET is null"),
            1);
        // Only the two operation tables are zeroed.
        Dataset& capital = *m_module->capitallie;
        m_module->openForActiveCompany(capital);
        capital.append();
        capital.post();
        QVERIFY(capital.value("POURCENTCAPITAL").isNull());
    }

    void stampsTheActiveCompanyOnEveryPost() {
        Dataset& ds = *m_module->operationssanscontre;
        m_module->openForActiveCompany(ds);
        ds.append();
        QCOMPARE(ds.value("MFISCAL").toText(), "1234567A");
        QCOMPARE(ds.value("EXERCICE").toInt(), 2023);
        ds.post();
        // The rules follow the current company row: a changed line is stamped again.
        selectCompany("123456", 2023);
        ds.edit();
        ds.setValue("RAISONSOCIALE", QStringLiteral("Partenaire"));
        ds.post();
        QCOMPARE(
            m_db->count("select count(*) from OPERATIONSANSCONTRE where MFISCAL = '123456B' and "
                        "EXERCICE = 2023 and RAISONSOCIALE = 'Partenaire'"),
            1);
        Dataset& groupe = *m_module->INFOGROUPE;
        m_module->openForActiveCompany(groupe);
        groupe.append();
        groupe.setValue("AUTREMFISCAL", QStringLiteral("X1"));
        groupe.post();
        QCOMPARE(m_db->count("select count(*) from INFORMATIONGROUPE where MFISCAL = '123456B'"),
                 1);
        m_module->openForActiveCompany(groupe);
        QCOMPARE(groupe.rowCount(), 1);
    }

    void commitsEveryPostAndDeleteAtOnce() {
        Dataset& ds = *m_module->capitallie;
        m_module->openForActiveCompany(ds);
        ds.append();
        ds.setValue("RAISONSOCIALE", QStringLiteral("Filiale"));
        QCOMPARE(m_db->count("select count(*) from CAPITALLIEE"), 0);
        ds.post();
        QCOMPARE(m_db->count("select count(*) from CAPITALLIEE"), 1);
        m_module->societe->edit();
        m_module->societe->setValue("ADRESSE", QStringLiteral("Tunis"));
        m_module->societe->post();
        QCOMPARE(m_db->count("select count(*) from SOCIETE where ADRESSE = 'Tunis'"), 1);
        ds.remove();
        QCOMPARE(m_db->count("select count(*) from CAPITALLIEE"), 0);
        // The dataset stays open across the commits.
        QCOMPARE(ds.state(), DatasetState::Browse);
    }

    void uncommittedWorkBecomesPermanentWithTheNextPost() {
        Dataset& ds = *m_module->Actifcorporel;
        m_module->openForActiveCompany(ds);
        appendLine(ds);
        appendLine(ds);
        db::Statement wipe(m_module->IBTransaction1);
        wipe.prepare(QStringLiteral("delete from LISTEACTIFCORPOREL where MFISCAL = :mfiscal"));
        wipe.setParam(QStringLiteral("mfiscal"), QStringLiteral("1234567A"));
        wipe.execute();
        QCOMPARE(m_db->count("select count(*) from LISTEACTIFCORPOREL"), 2);
        m_module->openForActiveCompany(*m_module->devise);
        m_module->devise->locate({"DEVISE"}, {Value(QStringLiteral("EUR"))});
        m_module->devise->edit();
        m_module->devise->setValue("LIBELLE", QStringLiteral("Euro"));
        m_module->devise->post();
        QCOMPARE(m_db->count("select count(*) from LISTEACTIFCORPOREL"), 0);
    }

    void workLeftInTheTransactionIsCommittedAtExit() {
        {
            // Gone before the module: a statement must not outlive its transaction.
            db::Statement wipe(m_module->IBTransaction1);
            m_module->ensureConnected();
            wipe.prepare(QStringLiteral("delete from SOCIETE where EXERCICE = 2024"));
            wipe.execute();
        }
        QCOMPARE(m_db->count("select count(*) from SOCIETE"), 3);
        m_module.reset();
        QCOMPARE(m_db->count("select count(*) from SOCIETE"), 2);
    }

    void failedConnectionIsRetriedAtEveryOpen() {
        auto module = std::make_unique<TDataprix>();
        QTemporaryDir elsewhere;
        QVERIFY_THROWS_EXCEPTION(db::DatabaseError,
                                 module->DataModuleCreate(elsewhere.filePath("absent.ini")));
        QVERIFY(!module->idataprix.isConnected());
        try {
            module->societe->open();
            QFAIL("opened without a database");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().contains(QString::fromUtf16(u"Vérifier le chemin de la base!")),
                     qPrintable(e.text()));
        }
        QCOMPARE(module->RepertoireExcel, QString::fromUtf16(u"Répertoire excel non défini!"));
        module->idataprix.setDatabaseName(m_db->databasePath());
        module.reset();
    }
};

QTEST_GUILESS_MAIN(TestRecordRules)
#include "tst_recordrules.moc"
