#include "TestDatabase.h"
#include "data/QueryDataset.h"
#include "data/Schema.h"
#include "db/DatabaseError.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>

using db::Value;

#define QVERIFY_DB_ERROR(expression, message)         \
    do {                                              \
        try {                                         \
            expression;                               \
            QFAIL("no error raised by " #expression); \
        } catch (const db::DatabaseError& e) {        \
            QCOMPARE(e.text(), QString(message));     \
        }                                             \
    } while (false)

class TestDataset : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;

    Dataset& societe() { return *m_module->societe; }

    int countOnServer(const QString& sql) {
        db::Statement q(m_module->IBTransaction1);
        q.prepare(sql);
        q.execute();
        return q.fetch() ? int(q.row().at(0).toInt()) : -1;
    }

    /// Lines 1 to @p count of OPERATIONSMONTANTS for 1111111A 2023, written past the dataset.
    void addTransactionLines(int count) {
        db::Statement insert(m_module->IBTransaction1);
        insert.prepare(QStringLiteral(
            "insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, MATRICULEFISCAL) values "
            "('1111111A', 2023, :lg, :mat)"));
        for (int lg = 1; lg <= count; ++lg) {
            insert.setParam(QStringLiteral("lg"), lg);
            insert.setParam(QStringLiteral("mat"),
                            QStringLiteral("%1").arg(lg, 8, 10, QChar(u'0')));
            insert.execute();
        }
        m_module->commitRetaining();
    }

    /// Runs @p statements through a connection of its own, then opens the module again, so
    /// that it meets what they defined (a database trigger) from its first transaction.
    void defineThenReopen(const QStringList& statements) {
        m_module.reset();
        db::Connection connection;
        connection.setDatabaseName(m_db->databasePath());
        connection.setCredentials(TestDatabase::credentials());
        connection.open();
        db::Transaction transaction(connection);
        connection.setDefaultTransaction(&transaction);
        transaction.start();
        for (const QString& sql : statements) {
            db::Statement statement(transaction);
            statement.prepare(sql);
            statement.execute();
        }
        transaction.commit();
        connection.close();
        m_module = m_db->openModule();
        societe().open();
    }

    /// While on, every commit of the module's attachment is refused by the trigger of
    /// refuseCommitsOnDemand().
    void refuseCommits(bool on) {
        db::Statement set(m_module->IBTransaction1);
        set.prepare(QStringLiteral("select rdb$set_context('USER_SESSION', 'REFUSER_VALIDATION', "
                                   "%1) from rdb$database")
                        .arg(on ? QStringLiteral("'OUI'") : QStringLiteral("null")));
        set.execute();
        set.fetch();
    }

    void refuseCommitsOnDemand() {
        defineThenReopen({
            QStringLiteral("create exception VALIDATION_REFUSEE 'validation refusee par la base'"),
            QStringLiteral("create trigger REFUS_VALIDATION on transaction commit as begin "
                           "if (rdb$get_context('USER_SESSION', 'REFUSER_VALIDATION') = 'OUI') "
                           "then exception VALIDATION_REFUSEE; end"),
        });
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("2222222", "B", 2023, "BETA");
        m_db->addCompany("1111111", "A", 2023, "ALPHA");
        m_module = m_db->openModule();
        societe().open();
    }
    void cleanup() {
        m_module.reset();
        m_db.reset();
    }

    void opensOrderedWithTheFirstRowCurrent() {
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(societe().rowCount(), 2);
        QCOMPARE(societe().currentIndex(), 0);
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), "ALPHA");
        societe().next();
        QCOMPARE(societe().value("raisonsociale").toText(), "BETA");
        QVERIFY(!societe().eof());
        societe().next();
        QVERIFY(societe().eof());
    }

    void refusesStoresOutsideEditMode() {
        QVERIFY_DB_ERROR(societe().setValue("RAISONSOCIALE", QStringLiteral("X")),
                         "Not in edit mode");
        QVERIFY_DB_ERROR(societe().post(), "Not in edit mode");
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), "ALPHA");
    }

    void refusesDeletingFromAnEmptyDataset() {
        Dataset& ds = *m_module->capitallie;
        m_module->openForActiveCompany(ds);
        QVERIFY(ds.isEmpty());
        QVERIFY_DB_ERROR(ds.remove(), "Cannot perform this operation on an empty dataset");
        QCOMPARE(ds.state(), DatasetState::Browse);
    }

    // What the server still refuses reaches every window and the import as a French
    // sentence naming the column or the row, the server's English kept as a detail only.
    void theServersRefusalsAreToldInFrench() {
        const auto erreur = [](const std::function<void()>& action) {
            try {
                action();
            } catch (const db::DatabaseError& e) {
                return e;
            }
            return db::DatabaseError(QString());
        };
        const QString detail = QStringLiteral("\n\nDétail (message du serveur) : ");

        // A number beyond the column's type on the server (an INTEGER).
        societe().edit();
        societe().setValue("CODEPOSTAL", db::Value(std::int64_t(3000000000)));
        db::DatabaseError e = erreur([&] { societe().post(); });
        QCOMPARE(e.kind(), db::DatabaseError::Kind::Overflow);
        QVERIFY2(
            e.text().startsWith(
                QStringLiteral(
                    "La valeur 3000000000 de la colonne CODEPOSTAL est trop grande pour la base "
                    ": la ligne MFISCAL = 1111111, CLE = A, EXERCICE = 2023 de la table "
                    "SOCIETE n'a pas été enregistrée.") +
                detail),
            qPrintable(e.text()));
        QVERIFY(e.text().contains(QStringLiteral("numeric overflow")));
        QCOMPARE(societe().state(), DatasetState::Edit);
        societe().cancel();

        // A key typed twice.
        societe().append();
        for (const auto& [colonne, valeur] :
             {std::pair{"MFISCAL", db::Value(u"2222222")}, std::pair{"CLE", db::Value(u"B")},
              std::pair{"EXERCICE", db::Value(2023)}}) {
            societe().setValue(colonne, valeur);
        }
        e = erreur([&] { societe().post(); });
        QCOMPARE(e.kind(), db::DatabaseError::Kind::DuplicateKey);
        QVERIFY2(e.text().startsWith(
                     QStringLiteral(
                         "Une ligne de même clé existe déjà : la ligne MFISCAL = 2222222, CLE = B, "
                         "EXERCICE = 2023 de la table SOCIETE n'a pas été enregistrée.") +
                     detail),
                 qPrintable(e.text()));
        societe().cancel();

        // A text the server makes too long (a trigger of an older database) and a number it
        // makes too large: the line is named.
        defineThenReopen({
            QStringLiteral("create trigger ALLONGE for CAPITALLIEE before insert as begin "
                           "if (new.RAISONSOCIALE = 'LONG') then new.RAISONSOCIALE = "
                           "lpad('', 300, 'x'); "
                           "if (new.RAISONSOCIALE = 'GRAND') then new.POURCENTCAPITAL = "
                           "new.POURCENTCAPITAL * 100000000; end"),
        });
        Dataset& liens = *m_module->capitallie;
        m_module->openForActiveCompany(liens);
        liens.append();
        liens.setValue("RAISONSOCIALE", db::Value(u"LONG"));
        e = erreur([&] { liens.post(); });
        QCOMPARE(e.kind(), db::DatabaseError::Kind::Truncation);
        QVERIFY2(
            e.text().startsWith(
                QStringLiteral(
                    "Un texte est trop long pour sa colonne dans la base : la ligne n° 1 de la "
                    "table CAPITALLIEE n'a pas été enregistrée.") +
                detail),
            qPrintable(e.text()));
        QVERIFY(e.text().contains(QStringLiteral("string truncation")));
        QCOMPARE(liens.state(), DatasetState::Insert);
        liens.setValue("RAISONSOCIALE", db::Value(u"GRAND"));
        liens.setValue("POURCENTCAPITAL", db::Value(db::Decimal(9999, 0)));
        e = erreur([&] { liens.post(); });
        QCOMPARE(e.kind(), db::DatabaseError::Kind::Overflow);
        QVERIFY2(
            e.text().startsWith(
                QStringLiteral(
                    "Un nombre est trop grand pour sa colonne dans la base : la ligne n° 1 de la "
                    "table CAPITALLIEE n'a pas été enregistrée.") +
                detail),
            qPrintable(e.text()));
        liens.cancel();
        QCOMPARE(m_db->count("select count(*) from CAPITALLIEE"), 0);
    }

    void refusesAnEmptyNotNullColumnAndKeepsTheRow() {
        Dataset& ds = *m_module->INFOGROUPE;
        m_module->openForActiveCompany(ds);
        ds.append();
        ds.setValue("RAISONSOCIALE", QStringLiteral("Mère"));
        QVERIFY_DB_ERROR(ds.post(), "Field 'AUTREMFISCAL' must have a value");
        QCOMPARE(ds.state(), DatasetState::Insert);
        QCOMPARE(ds.value("RAISONSOCIALE").toText(), QString::fromUtf16(u"Mère"));
        ds.setValue("AUTREMFISCAL", QStringLiteral("FR-123"));
        ds.post();
        QCOMPARE(ds.state(), DatasetState::Browse);
        QCOMPARE(countOnServer("select count(*) from INFORMATIONGROUPE"), 1);

        Dataset& actifs = *m_module->actifincorporel;
        m_module->openForActiveCompany(actifs);
        actifs.append();
        QVERIFY_DB_ERROR(actifs.post(), "Field 'NATUREACTIF' must have a value");
        QCOMPARE(actifs.state(), DatasetState::Insert);
    }

    void showsTheServersRefusalAndKeepsEditing() {
        societe().append();
        societe().setValue("MFISCAL", QStringLiteral("1111111"));
        societe().setValue("CLE", QStringLiteral("A"));
        societe().setValue("EXERCICE", 2023);
        try {
            societe().post();
            QFAIL("duplicate company accepted");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().contains("violation of PRIMARY or UNIQUE KEY constraint"),
                     qPrintable(e.text()));
        }
        QCOMPARE(societe().state(), DatasetState::Insert);
        societe().setValue("EXERCICE", 2024);
        societe().post();
        QCOMPARE(countOnServer("select count(*) from SOCIETE where MFISCAL = '1111111'"), 2);
    }

    void aRowWhoseCommitIsRefusedIsNotWrittenAndComesBackAsTyped() {
        refuseCommitsOnDemand();
        const auto refused = [](const db::DatabaseError& e) {
            return e.text().contains(QStringLiteral("VALIDATION_REFUSEE"));
        };

        // A new row: back in insert with what was typed, and nothing of it left in the
        // transaction for the next commit to make permanent.
        refuseCommits(true);
        societe().append();
        societe().setValue("MFISCAL", QStringLiteral("3333333"));
        societe().setValue("CLE", QStringLiteral("C"));
        societe().setValue("EXERCICE", 2023);
        societe().setValue("RAISONSOCIALE", QStringLiteral("GAMMA"));
        try {
            societe().post();
            QFAIL("a refused commit reported as success");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(refused(e), qPrintable(e.text()));
        }
        QCOMPARE(societe().state(), DatasetState::Insert);
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), QStringLiteral("GAMMA"));
        QVERIFY(societe().isModified());
        QCOMPARE(countOnServer("select count(*) from SOCIETE where MFISCAL = '3333333'"), 0);
        refuseCommits(false);
        societe().cancel();
        m_module->commitRetaining();

        // A change: back in edit with the typed value, the stored row as it was.
        QVERIFY(societe().locate({"RAISONSOCIALE"}, {Value(u"BETA")}));
        refuseCommits(true);
        societe().edit();
        societe().setValue("RAISONSOCIALE", QStringLiteral("BETA CHANGEE"));
        try {
            societe().post();
            QFAIL("a refused commit reported as success");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(refused(e), qPrintable(e.text()));
        }
        QCOMPARE(societe().state(), DatasetState::Edit);
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), QStringLiteral("BETA CHANGEE"));
        QCOMPARE(societe().valueAt(societe().currentIndex(), "RAISONSOCIALE").toText(),
                 QStringLiteral("BETA CHANGEE"));
        QCOMPARE(countOnServer("select count(*) from SOCIETE where RAISONSOCIALE = 'BETA'"), 1);
        // Sent again once the server accepts it: the row is not locked by the failed try.
        refuseCommits(false);
        societe().post();
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(countOnServer("select count(*) from SOCIETE where RAISONSOCIALE = 'BETA CHANGEE'"),
                 1);

        // A deletion: the row is back in the list, and still in the table after a commit.
        const int rows = societe().rowCount();
        refuseCommits(true);
        try {
            societe().remove();
            QFAIL("a refused commit reported as success");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(refused(e), qPrintable(e.text()));
        }
        QCOMPARE(societe().rowCount(), rows);
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), QStringLiteral("BETA CHANGEE"));
        refuseCommits(false);
        m_module->commitRetaining();
        QCOMPARE(countOnServer("select count(*) from SOCIETE where RAISONSOCIALE = 'BETA CHANGEE'"),
                 1);
        QCOMPARE(countOnServer("select count(*) from SOCIETE"), 2);
    }

    void cutsTextToTheWidthAndStoresEmptyTextAsNull() {
        societe().edit();
        societe().setValue("NATIONALITE", QStringLiteral("TUNISIE"));
        QCOMPARE(societe().value("NATIONALITE").toText(), "TU");
        societe().setValue("ADRESSE", QString());
        QVERIFY(societe().value("ADRESSE").isNull());
        societe().setText("CHIFFREAFFAIREANNUEL", QStringLiteral("1 234,5678"));
        QCOMPARE(societe().value("CHIFFREAFFAIREANNUEL").toDecimal().toString(), "1234.568");
        QVERIFY_DB_ERROR(societe().setText("CODEPOSTAL", QStringLiteral("12a")),
                         QString::fromUtf16(u"« 12a » n'est pas un nombre entier valide"));
        societe().setText("DATEFIN", QStringLiteral("31/12/2023"));
        societe().post();
        QCOMPARE(
            countOnServer("select count(*) from SOCIETE where NATIONALITE = 'TU' and ADRESSE "
                          "is null and CHIFFREAFFAIREANNUEL = 1234.568 and DATEFIN = '2023-12-31'"),
            1);
        QCOMPARE(
            societe().displayText(0, "CHIFFREAFFAIREANNUEL").remove(QRegularExpression("[.,]")),
            "1 234568");
    }

    void movingPostsAChangedRowAndDropsAnUntouchedOne() {
        QSignalSpy states(&societe(), &Dataset::stateChanged);
        societe().edit();
        QCOMPARE(societe().state(), DatasetState::Edit);
        societe().next();  // nothing changed: edit mode is left, nothing sent
        QCOMPARE(societe().state(), DatasetState::Browse);
        societe().edit();
        societe().setValue("ADRESSE", QStringLiteral("Rue de Rome"));
        societe().first();
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(countOnServer("select count(*) from SOCIETE where ADRESSE = 'Rue de Rome' and "
                               "MFISCAL = '2222222'"),
                 1);
        QVERIFY(states.count() >= 4);
    }

    void editOnAnEmptyDatasetAppends() {
        Dataset& ds = *m_module->operationsaccord;
        m_module->openForActiveCompany(ds);
        ds.edit();
        QCOMPARE(ds.state(), DatasetState::Insert);
        QCOMPARE(ds.rowCount(), 1);
        QCOMPARE(ds.value("LG").toInt(), 1);
        ds.cancel();
        QCOMPARE(ds.rowCount(), 0);
        QCOMPARE(ds.state(), DatasetState::Browse);
    }

    void modifyingARowDeletedMeanwhileFailsClearly() {
        Dataset& ds = *m_module->Actifcorporel;
        m_module->openForActiveCompany(ds);
        ds.append();
        ds.setValue("NATUREACTIF", QStringLiteral("04"));
        ds.post();
        db::Statement wipe(m_module->IBTransaction1);
        wipe.prepare(QStringLiteral("delete from LISTEACTIFCORPOREL"));
        wipe.execute();
        ds.edit();
        ds.setValue("AUTRENATURE", QStringLiteral("changée"));
        try {
            ds.post();
            QFAIL("update of a vanished row reported as success");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().contains(QString::fromUtf16(u"n'existe plus")), qPrintable(e.text()));
        }
        QCOMPARE(ds.state(), DatasetState::Edit);
        ds.cancel();
        try {
            ds.remove();
            QFAIL("delete of a vanished row reported as success");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().contains(QString::fromUtf16(u"n'existe plus")), qPrintable(e.text()));
        }
        QCOMPARE(ds.rowCount(), 1);
    }

    void refusesTextWithoutWindows1252FormNamingTheColumn() {
        societe().edit();
        societe().setValue("RAISONSOCIALE", QString::fromUtf16(u"شركة"));
        try {
            societe().post();
            QFAIL("arabic text stored");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().contains("RAISONSOCIALE"), qPrintable(e.text()));
        }
        QCOMPARE(societe().state(), DatasetState::Edit);
        QCOMPARE(countOnServer("select count(*) from SOCIETE where RAISONSOCIALE = 'ALPHA'"), 1);
    }

    void twoViewsShareRowsAndState() {
        QSignalSpy current(&societe(), &Dataset::currentRowChanged);
        QSignalSpy fields(&societe(), &Dataset::fieldChanged);
        QVERIFY(societe().locate({"MFISCAL", "CLE"},
                                 {Value(QStringLiteral("2222222")), Value(QStringLiteral("B"))}));
        QCOMPARE(current.count(), 1);
        QCOMPARE(m_module->dataset("SOCIETE")->value("RAISONSOCIALE").toText(), "BETA");
        societe().edit();
        societe().setValue("ADRESSE", QStringLiteral("x"));
        QCOMPARE(fields.count(), 1);
        QCOMPARE(fields.at(0).at(0).toString(), "ADRESSE");
        QVERIFY(!societe().locate({"MFISCAL"}, {Value(QStringLiteral("9999999"))}));
    }

    void fetchesRowsAsTheyAreNeeded() {
        addTransactionLines(300);
        Dataset& ds = *m_module->montanttransactions;
        m_module->openForActiveCompany(ds);
        QCOMPARE(ds.rowCount(), Dataset::kFirstBatch);
        QVERIFY(ds.canFetchMore());
        int walked = 0;
        for (ds.first(); !ds.eof(); ds.next()) {
            ++walked;
        }
        QCOMPARE(walked, 300);
        QCOMPARE(ds.rowCount(), 300);
        QVERIFY(!ds.canFetchMore());
        QCOMPARE(ds.value("LG").toInt(), 300);

        m_module->openForActiveCompany(ds);
        QVERIFY(ds.locate({"MATRICULEFISCAL"}, {Value(QStringLiteral("00000200"))}));
        QCOMPARE(ds.currentIndex(), 199);
        QVERIFY(ds.rowCount() < 300);
        ds.last();
        QCOMPARE(ds.rowCount(), 300);
        QCOMPARE(ds.currentIndex(), 299);
        QVERIFY(ds.eof());

        // Appending reads the rest first, so that the new row comes last.
        m_module->openForActiveCompany(ds);
        ds.append();
        QCOMPARE(ds.currentIndex(), 300);
        QCOMPARE(ds.value("LG").toInt(), 301);
        ds.cancel();
    }

    void removeAllDeletesTheListedRowsOnlyAndCommits() {
        addTransactionLines(450);
        Dataset& ds = *m_module->montanttransactions;
        m_module->openForActiveCompany(ds);
        QVERIFY(ds.canFetchMore());
        // Rows the list does not show: another year, and a line another workstation adds
        // once the list is read. The statement goes before the module it runs on is replaced
        // below.
        {
            db::Statement insert(m_module->IBTransaction1);
            insert.prepare(
                QStringLiteral("insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG) "
                               "values ('1111111A', :e, :lg)"));
            insert.setParam("e", 2022);
            insert.setParam("lg", 1);
            insert.execute();
            ds.fetchAll();
            insert.setParam("e", 2023);
            insert.setParam("lg", 451);
            insert.execute();
        }
        m_module->commitRetaining();
        ds.moveTo(10);
        ds.edit();
        ds.setValue("RAISONSOCIALE", QStringLiteral("en cours"));

        QSignalSpy reset(&ds, &Dataset::rowsReset);
        ds.removeAll();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(ds.state(), DatasetState::Browse);
        QCOMPARE(ds.rowCount(), 0);
        QCOMPARE(ds.currentIndex(), -1);
        // Committed: a new attachment sees the same.
        m_module.reset();
        m_module = m_db->openModule();
        m_module->ensureConnected();
        QCOMPARE(countOnServer("select count(*) from OPERATIONSMONTANTS where EXERCICE = 2023"), 1);
        QCOMPARE(countOnServer("select count(*) from OPERATIONSMONTANTS where LG = 451"), 1);
        QCOMPARE(countOnServer("select count(*) from OPERATIONSMONTANTS where EXERCICE = 2022"), 1);
    }

    void aRowPostedWhileTheCursorIsOpenIsListedOnce() {
        addTransactionLines(300);
        Dataset& ds = *m_module->montanttransactions;
        // Walking an index, the server returns rows inserted since the cursor opened.
        ds.setSql(QStringLiteral(
            "select * from OPERATIONSMONTANTS where MFISCAL = :mfiscal and EXERCICE = :exercice "
            "order by MFISCAL, EXERCICE, LG"));
        m_module->openForActiveCompany(ds);
        QVERIFY(ds.canFetchMore());
        ds.insert();
        const qint64 lg = ds.value("LG").toInt();
        ds.setValue("MATRICULEFISCAL", QStringLiteral("NOUVEAU"));
        ds.post();
        ds.fetchAll();
        QCOMPARE(ds.rowCount(), 301);
        int seen = 0;
        for (int i = 0; i < ds.rowCount(); ++i) {
            seen += ds.valueAt(i, "LG").toInt() == lg;
        }
        QCOMPARE(seen, 1);
        QCOMPARE(countOnServer("select count(*) from OPERATIONSMONTANTS"), 301);
    }

    void lookupIgnoresCaseAndNeitherMovesNorPosts() {
        Dataset& etats = *m_module->Etatterritorial;
        etats.open();
        etats.append();
        etats.setValue("CODE", QStringLiteral("Q"));
        const int current = etats.currentIndex();
        QCOMPARE(etats.lookup("CODE", Value(QStringLiteral("fr")), "PAYS").toText(), "France");
        QVERIFY(etats.lookup("CODE", Value(QStringLiteral("ZZ")), "PAYS").isNull());
        QCOMPARE(etats.state(), DatasetState::Insert);
        QCOMPARE(etats.currentIndex(), current);
        QCOMPARE(etats.value("CODE").toText(), "Q");
        QVERIFY(etats.locate({"PAYS"}, {Value(QStringLiteral("FRANCE"))}, Qt::CaseInsensitive));
        QCOMPARE(etats.value("CODE").toText(), "FR");
        QCOMPARE(countOnServer("select count(*) from ETATTERRITORIAL where CODE = 'Q'"), 1);
    }

    void aNewConnectionServesTheRowStatementsAgain() {
        Dataset& ds = *m_module->capitallie;
        m_module->openForActiveCompany(ds);
        ds.append();
        ds.post();
        m_module->connectTo(m_db->databasePath());
        societe().open();
        m_module->openForActiveCompany(ds);
        ds.edit();
        ds.setValue("RAISONSOCIALE", QStringLiteral("Liée"));
        ds.post();
        ds.append();
        QCOMPARE(ds.value("LG").toInt(), 2);
        ds.post();
        ds.remove();
        QCOMPARE(countOnServer("select count(*) from CAPITALLIEE where LG = 1 and "
                               "RAISONSOCIALE is not null"),
                 1);
    }

    void aQueryDatasetOnlyReads() {
        QueryDataset liste(
            QStringLiteral("noms"), QStringLiteral("select RAISONSOCIALE from SOCIETE order by 1"),
            QueryDataset::columnsOf(Schema::table("SOCIETE"), {"RAISONSOCIALE"}), *m_module);
        liste.open();
        QCOMPARE(liste.value("RAISONSOCIALE").toText(), "ALPHA");
        QVERIFY_DB_ERROR(liste.edit(), "Cannot modify a read-only dataset");
        QVERIFY_DB_ERROR(liste.append(), "Cannot modify a read-only dataset");
        QVERIFY_DB_ERROR(liste.remove(), "Cannot modify a read-only dataset");
        QCOMPARE(liste.state(), DatasetState::Browse);
    }

    void deletesOnlyTheCompanyRow() {
        Dataset& ops = *m_module->montanttransactions;
        m_module->openForActiveCompany(ops);
        ops.append();
        ops.post();
        societe().remove();
        QCOMPARE(societe().rowCount(), 1);
        QCOMPARE(countOnServer("select count(*) from SOCIETE"), 1);
        QCOMPARE(
            countOnServer("select count(*) from OPERATIONSMONTANTS where MFISCAL = '1111111A'"), 1);
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
