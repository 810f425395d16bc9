#include "CommandResult.h"
#include "CompleteDeclaration.h"
#include "commands/CommandLine.h"
#include "commands/NextYearCommand.h"
#include "data/ExecuteurSql.h"
#include "data/NextYearCreator.h"
#include "data/Schema.h"
#include "db/DatabaseError.h"
#include "declaration/DeclarationWriter.h"

#include <QTest>

using db::Value;
using Rows = QVector<QVector<Value>>;

namespace {

const QString kNom = QStringLiteral("Société Ardoz & Fils <Tunis>");

const QStringList kDetailTables = {
    QStringLiteral("CAPITALLIEE"),
    QStringLiteral("CAPITALDECLARANTE"),
    QStringLiteral("INFORMATIONGROUPE"),
    QStringLiteral("LISTEACTIFINCORPOREL"),
    QStringLiteral("LISTEACTIFCORPOREL"),
    QStringLiteral("OPERATIONSMONTANTS"),
    QStringLiteral("OPERATIONPRETEMPRUNT"),
    QStringLiteral("OPERATIONSANSCONTRE"),
    QStringLiteral("OPERATIONRESCRITFISCAUX"),
};

Value dec(const char* text) {
    return Value(*db::Decimal::parse(QString::fromLatin1(text)));
}

/// The columns of @p table, in the order of the schema.
QStringList columnsOf(const QString& table) {
    QStringList names;
    for (const FieldDef& f : Schema::table(table).fields) {
        names.append(f.name);
    }
    return names;
}

/// Every column of the rows of @p table for the company and year, in line order, as committed.
Rows committed(const TestDatabase& db, const QString& table, const QString& mfiscal, int exercice) {
    const bool societe = table == u"SOCIETE";
    const TableDef& def = Schema::table(table);
    return db.rows(QStringLiteral("select %1 from %2 where %3 = '%4' and EXERCICE = %5 order by %6")
                       .arg(columnsOf(table).join(u','), table,
                            societe ? QStringLiteral("MFISCAL || CLE") : QStringLiteral("MFISCAL"),
                            mfiscal)
                       .arg(exercice)
                       .arg(def.lineNumbered() ? QStringLiteral("LG") : QStringLiteral("MFISCAL")));
}

/// Every row of every table that holds entered data, as committed: what "nothing changed"
/// compares.
QHash<QString, Rows> wholeDatabase(const TestDatabase& db) {
    QHash<QString, Rows> all;
    for (const QString& table : QStringList{QStringLiteral("SOCIETE")} + kDetailTables) {
        const QStringList key = Schema::table(table).key;
        all.insert(table, db.rows(QStringLiteral("select %1 from %2 order by %3")
                                      .arg(columnsOf(table).join(u','), table, key.join(u','))));
    }
    return all;
}

/// Rows of year @p exercice of 1234567A in every table, as the module's transaction sees them.
qint64 rowsOfYear(TDataprix& module, int exercice) {
    qint64 total = 0;
    for (const QString& table : QStringList{QStringLiteral("SOCIETE")} + kDetailTables) {
        db::Statement count(module.IBTransaction1);
        count.prepare(QStringLiteral("select count(*) from %1 where %2 = '1234567A' and "
                                     "EXERCICE = %3")
                          .arg(table, table == u"SOCIETE" ? QStringLiteral("MFISCAL || CLE")
                                                          : QStringLiteral("MFISCAL"))
                          .arg(exercice));
        count.execute();
        total += count.fetch() ? count.row().at(0).toInt() : 0;
    }
    return total;
}

/// The complete declaration of 1234567A for 2023, a loan closed at zero, and rows that must
/// stay where they are: the same company in 2022, another company in 2023.
void fillCompany(DeclarationFixture& f) {
    fillCompleteDeclaration(f);
    f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"), {{"TYPEPRETEMPRUNT", Value(u"P")},
                                                      {"RAISONSOCIALE", Value(u"Remboursé SA")},
                                                      {"SOLDEOUVERTURE", dec("800")},
                                                      {"AUGMENTATIONS", dec("0")},
                                                      {"DIMINUTIONS", dec("800")},
                                                      {"SOLDECLOTURE", dec("0")}});
    for (const auto& [mfiscal, exercice] : {std::pair{QStringLiteral("1234567A"), 2022},
                                            std::pair{QStringLiteral("7654321B"), 2023}}) {
        f.insert(QStringLiteral("CAPITALLIEE"), {{"RAISONSOCIALE", Value(u"Autre lien")}}, true,
                 mfiscal, exercice);
        f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"),
                 {{"SOLDECLOTURE", dec("5")}, {"RAISONSOCIALE", Value(u"Autre prêt")}}, true,
                 mfiscal, exercice);
    }
    f.insert(QStringLiteral("SOCIETE"),
             {{"MFISCAL", Value(u"7654321")}, {"CLE", Value(u"B")}, {"EXERCICE", Value(2023)}},
             false);
}

CommandResult nextYear(const QStringList& options) {
    return runCaptured(
        NextYearCommand::run,
        QStringList{QStringLiteral("ardoz"), QStringLiteral("--next-year")} + options);
}

}  // namespace

class TestNextYear : public QObject {
    Q_OBJECT

private slots:
    void completeCompanyCarriedOver() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompany(f);
        const TestDatabase& db = f.database();
        const QHash<QString, Rows> before = wholeDatabase(db);

        const NextYearCreator::Result r =
            NextYearCreator(f.module())
                .create(QStringLiteral("1234567"), QStringLiteral("A"), 2023);
        QCOMPARE(r.outcome, NextYearCreator::Outcome::Created);
        QCOMPARE(r.text, QStringLiteral("Exercice 2024 créé : 3 liens en capital, 1 fiche groupe, "
                                        "3 actifs, 2 prêts reportés."));
        QCOMPARE(r.counts.capitalLinks, 3);
        QCOMPARE(r.counts.loans, 2);

        // The company row: every column of year N is filled, so that each rule shows.
        const QStringList columns = columnsOf(QStringLiteral("SOCIETE"));
        const Rows n = committed(db, QStringLiteral("SOCIETE"), QStringLiteral("1234567A"), 2023);
        const Rows n1 = committed(db, QStringLiteral("SOCIETE"), QStringLiteral("1234567A"), 2024);
        QCOMPARE(n.size(), 1);
        QCOMPARE(n1.size(), 1);
        const QStringList emptied = {"CHIFFREAFFAIREANNUEL",
                                     "CODEACTE",
                                     "AFFIRMATION",
                                     "DESCRIPTION",
                                     "AFFIRMATIONCHANGEMENTCAPITAL",
                                     "DESCRIPTIONCHANGCAPITAL",
                                     "AFFIRMATIONBIENSERVICE",
                                     "AFFIRMATIONBIENSERVICEAVECCONTR",
                                     "AFFIRMATIONACCORDPREALABLE",
                                     "AUTRESINFORMATIONS"};
        for (int c = 0; c < columns.size(); ++c) {
            const QString& column = columns.at(c);
            QVERIFY2(!n[0][c].isNull(), qPrintable(column));
            if (column == u"EXERCICE") {
                QCOMPARE(n1[0][c], Value(2024));
            } else if (column == u"DATEDEBUT") {
                QCOMPARE(n1[0][c].toDate(), QDate(2024, 1, 1));
            } else if (column == u"DATEFIN") {
                QCOMPARE(n1[0][c].toDate(), QDate(2024, 12, 31));
            } else if (emptied.contains(column)) {
                QVERIFY2(n1[0][c].isNull(), qPrintable(column));
            } else {
                QVERIFY2(n1[0][c] == n[0][c], qPrintable(column));
            }
        }

        // Capital links, group and assets: the same rows, line numbers included, in N+1.
        for (const QString& table :
             {QStringLiteral("CAPITALLIEE"), QStringLiteral("CAPITALDECLARANTE"),
              QStringLiteral("INFORMATIONGROUPE"), QStringLiteral("LISTEACTIFINCORPOREL"),
              QStringLiteral("LISTEACTIFCORPOREL")}) {
            const int exercice = columnsOf(table).indexOf(QStringLiteral("EXERCICE"));
            const Rows source = committed(db, table, QStringLiteral("1234567A"), 2023);
            Rows copies = committed(db, table, QStringLiteral("1234567A"), 2024);
            QVERIFY2(!source.isEmpty(), qPrintable(table));
            QCOMPARE(copies.size(), source.size());
            for (auto& row : copies) {
                QCOMPARE(row[exercice], Value(2024));
                row[exercice] = Value(2023);
            }
            QVERIFY2(copies == source, qPrintable(table));
        }

        // Loans: the closing balance becomes the opening and closing balance, without movement;
        // the loan closed at zero (line 3) is left behind.
        const QStringList loanColumns = columnsOf(QStringLiteral("OPERATIONPRETEMPRUNT"));
        const Rows loans =
            committed(db, QStringLiteral("OPERATIONPRETEMPRUNT"), QStringLiteral("1234567A"), 2023);
        const Rows carried =
            committed(db, QStringLiteral("OPERATIONPRETEMPRUNT"), QStringLiteral("1234567A"), 2024);
        QCOMPARE(loans.size(), 3);
        QCOMPARE(carried.size(), 2);
        for (int i = 0; i < carried.size(); ++i) {
            for (int c = 0; c < loanColumns.size(); ++c) {
                const QString& column = loanColumns.at(c);
                const Value cloture = loans[i][loanColumns.indexOf(QStringLiteral("SOLDECLOTURE"))];
                if (column == u"EXERCICE") {
                    QCOMPARE(carried[i][c], Value(2024));
                } else if (column == u"SOLDEOUVERTURE" || column == u"SOLDECLOTURE") {
                    QCOMPARE(carried[i][c].toDecimal(), cloture.toDecimal());
                } else if (column == u"AUGMENTATIONS" || column == u"DIMINUTIONS") {
                    QCOMPARE(carried[i][c].toDecimal(), db::Decimal::fromInt(0));
                } else {
                    QVERIFY2(carried[i][c] == loans[i][c], qPrintable(column));
                }
            }
        }
        QCOMPARE(carried[0][loanColumns.indexOf("SOLDEOUVERTURE")].toDecimal(),
                 *db::Decimal::parse(QStringLiteral("12500.250")));
        QCOMPARE(carried[1][loanColumns.indexOf("LG")], Value(2));

        // The year's own operations stay in year N.
        for (const QString& table :
             {QStringLiteral("OPERATIONSMONTANTS"), QStringLiteral("OPERATIONSANSCONTRE"),
              QStringLiteral("OPERATIONRESCRITFISCAUX")}) {
            QVERIFY(!committed(db, table, QStringLiteral("1234567A"), 2023).isEmpty());
            QVERIFY(committed(db, table, QStringLiteral("1234567A"), 2024).isEmpty());
        }

        // Nothing else moved: year N, the other years and the other companies are as they were.
        QHash<QString, Rows> after = wholeDatabase(db);
        for (auto it = after.begin(); it != after.end(); ++it) {
            const int exercice = columnsOf(it.key()).indexOf(QStringLiteral("EXERCICE"));
            Rows others;
            for (const auto& row : it.value()) {
                if (row[exercice] != Value(2024)) {
                    others.append(row);
                }
            }
            QVERIFY2(others == before.value(it.key()), qPrintable(it.key()));
        }

        // The check of the new year asks for the year's own answers, and for nothing that
        // was carried over: year N's only problems are on its loan closed at zero, left behind.
        QVERIFY(f.select(QStringLiteral("1234567"), QStringLiteral("A"), 2023));
        DeclarationWriter anneeN(f.module());
        anneeN.check();
        QVERIFY(!anneeN.problems().isEmpty());
        for (const DeclarationProblem& p : anneeN.problems()) {
            QVERIFY2(p.text().contains(QStringLiteral("Prets et Emprunts, ligne 3")),
                     qPrintable(p.text()));
        }
        QVERIFY(f.select(QStringLiteral("1234567"), QStringLiteral("A"), 2024));
        DeclarationWriter anneeN1(f.module());
        anneeN1.check();
        QStringList aDonner;
        for (const DeclarationProblem& p : anneeN1.problems()) {
            QVERIFY2(p.text().contains(QStringLiteral("le champ est vide")), qPrintable(p.text()));
            aDonner.append(p.caption);
        }
        QCOMPARE(aDonner,
                 (QStringList{QStringLiteral("Code Acte, 0 POUR 2021"),
                              QStringLiteral("Chanagement Activités au Cours de l'exercice"),
                              QStringLiteral("Chanagement Captal au Cours de l'exercice")}));
    }

    void sentenceForms_data() {
        QTest::addColumn<int>("liens");
        QTest::addColumn<int>("groupe");
        QTest::addColumn<int>("actifs");
        QTest::addColumn<int>("prets");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("exemple") << 3 << 1 << 4 << 0
                                 << "Exercice 2024 créé : 3 liens en capital, 1 fiche groupe, "
                                    "4 actifs, aucun prêt reporté.";
        QTest::newRow("aucun") << 0 << 0 << 0 << 0
                               << "Exercice 2024 créé : aucun lien en capital, aucune fiche "
                                  "groupe, aucun actif, aucun prêt reporté.";
        QTest::newRow("un") << 1 << 1 << 1 << 1
                            << "Exercice 2024 créé : 1 lien en capital, 1 fiche groupe, 1 actif, "
                               "1 prêt reporté.";
        QTest::newRow("plusieurs") << 2 << 2 << 12 << 20
                                   << "Exercice 2024 créé : 2 liens en capital, 2 fiches groupe, "
                                      "12 actifs, 20 prêts reportés.";
    }
    void sentenceForms() {
        QFETCH(int, liens);
        QFETCH(int, groupe);
        QFETCH(int, actifs);
        QFETCH(int, prets);
        QFETCH(QString, phrase);
        NextYearCreator::Counts counts;
        counts.capitalLinks = liens;
        counts.groupRecords = groupe;
        counts.assets = actifs;
        counts.loans = prets;
        QCOMPARE(NextYearCreator::sentence(2024, counts), phrase);
    }

    void theCompanyAsMessagesNameIt_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("texte");
        QTest::newRow("consonne") << "Valide SA"
                                  << "de Valide SA (1111111A)";
        QTest::newRow("voyelle") << "  Ardoz Électronique SA "
                                 << "d'Ardoz Électronique SA (1111111A)";
        QTest::newRow("voyelle accentuée")
            << QStringLiteral("Électro Sud") << QStringLiteral("d'Électro Sud (1111111A)");
        QTest::newRow("h") << "Hammamet Textile"
                           << "de Hammamet Textile (1111111A)";
        QTest::newRow("sans nom") << "  "
                                  << "de 1111111A";
    }
    void theCompanyAsMessagesNameIt() {
        QFETCH(QString, nom);
        QFETCH(QString, texte);
        QCOMPARE(NextYearCreator::deSociete(nom, QStringLiteral("1111111A")), texte);
    }

    void lastDayOfFebruary_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QDate>("later");
        QTest::newRow("29/02 bissextile") << QDate(2024, 2, 29) << QDate(2025, 2, 28);
        QTest::newRow("28/02 vers bissextile") << QDate(2023, 2, 28) << QDate(2024, 2, 29);
        QTest::newRow("28/02 bissextile") << QDate(2024, 2, 28) << QDate(2025, 2, 28);
        QTest::newRow("1er mars") << QDate(2023, 3, 1) << QDate(2024, 3, 1);
        QTest::newRow("31/12") << QDate(2023, 12, 31) << QDate(2024, 12, 31);
        QTest::newRow("28/02/2099 vers 2100") << QDate(2099, 2, 28) << QDate(2100, 2, 28);
        QTest::newRow("vide") << QDate() << QDate();
    }
    void lastDayOfFebruary() {
        QFETCH(QDate, date);
        QFETCH(QDate, later);
        QCOMPARE(NextYearCreator::oneYearLater(date), later);
    }

    void periodEndingOn29February() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany(
            {{"DATEDEBUT", Value(QDate(2023, 3, 1))}, {"DATEFIN", Value(QDate(2024, 2, 29))}});
        f.addCompany(
            {{"DATEDEBUT", Value(QDate(2022, 3, 1))}, {"DATEFIN", Value(QDate(2023, 2, 28))}},
            QStringLiteral("7654321"), QStringLiteral("B"), 2022);
        f.addCompany({}, QStringLiteral("1111111"), QStringLiteral("C"), 2023);
        NextYearCreator creator(f.module());
        QCOMPARE(creator.create(QStringLiteral("1234567"), QStringLiteral("A"), 2023).outcome,
                 NextYearCreator::Outcome::Created);
        QCOMPARE(creator.create(QStringLiteral("7654321"), QStringLiteral("B"), 2022).outcome,
                 NextYearCreator::Outcome::Created);
        QCOMPARE(creator.create(QStringLiteral("1111111"), QStringLiteral("C"), 2023).outcome,
                 NextYearCreator::Outcome::Created);
        const auto dates = [&](const QString& identifiant, int exercice) {
            return f.database().rows(
                QStringLiteral("select DATEDEBUT, DATEFIN from SOCIETE where MFISCAL || CLE = '%1' "
                               "and EXERCICE = %2")
                    .arg(identifiant)
                    .arg(exercice));
        };
        QCOMPARE(dates("1234567A", 2024),
                 Rows({{Value(QDate(2024, 3, 1)), Value(QDate(2025, 2, 28))}}));
        QCOMPARE(dates("7654321B", 2023),
                 Rows({{Value(QDate(2023, 3, 1)), Value(QDate(2024, 2, 29))}}));
        QCOMPARE(dates("1111111C", 2024), Rows({{Value(), Value()}}));
    }

    void refusalsChangeNothing() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompany(f);
        f.addCompany({{"RAISONSOCIALE", Value(u"Ardoz 2024")}}, DeclarationFixture::kMfiscal,
                     DeclarationFixture::kCle, 2024);
        const QHash<QString, Rows> before = wholeDatabase(f.database());
        NextYearCreator creator(f.module());

        NextYearCreator::Result r =
            creator.create(QStringLiteral("1234567"), QStringLiteral("A"), 2023);
        QCOMPARE(r.outcome, NextYearCreator::Outcome::NextYearExists);
        QCOMPARE(r.text, QStringLiteral("L'exercice 2024 de %1 (1234567A) existe déjà : rien n'a "
                                        "été créé.")
                             .arg(kNom));
        QCOMPARE(rowsOfYear(f.module(), 2024), 1);

        r = creator.create(QStringLiteral("1234567"), QStringLiteral("A"), 2019);
        QCOMPARE(r.outcome, NextYearCreator::Outcome::YearMissing);
        QCOMPARE(r.text, QStringLiteral("La société 1234567A n'a pas d'exercice 2019 : l'exercice "
                                        "2020 n'a pas été créé."));

        // Year 2024 deleted from the company list: its lines stay in their tables, and copies
        // with the same line numbers would collide with them or mix with them.
        f.exec(QStringLiteral("delete from SOCIETE where MFISCAL = '1234567' and EXERCICE = 2024"));
        f.insert(QStringLiteral("LISTEACTIFCORPOREL"), {{"NATUREACTIF", Value(u"15")}}, true,
                 DeclarationFixture::kIdentifiant, 2024);
        f.insert(QStringLiteral("CAPITALDECLARANTE"), {}, true, DeclarationFixture::kIdentifiant,
                 2024);
        QHash<QString, Rows> expected = wholeDatabase(f.database());
        r = creator.create(QStringLiteral("1234567"), QStringLiteral("A"), 2023);
        QCOMPARE(r.outcome, NextYearCreator::Outcome::NextYearExists);
        QCOMPARE(r.text, QStringLiteral("L'exercice 2024 de %1 (1234567A) a déjà des lignes "
                                        "enregistrées (liens en capital, actifs), sans fiche de "
                                        "société : rien n'a été créé.")
                             .arg(kNom));
        QVERIFY(wholeDatabase(f.database()) == expected);
        QVERIFY(expected != before);
    }

    void failureMidwayLeavesNothingOfTheNextYear() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompany(f);
        // The tangible assets come after the company row, the capital links, the group and the
        // intangible assets.
        f.exec(
            QStringLiteral("create trigger ECHEC_ACTIFCORPOREL for LISTEACTIFCORPOREL before "
                           "insert as begin new.LG = 1 / 0; end"));
        TDataprix& module = f.module();
        const QHash<QString, Rows> before = wholeDatabase(f.database());

        // Work the transaction holds and has not committed yet ("Effacer Tout"), and a list
        // open on its third line: both outlive the failure.
        ExecuteurSql executeur;
        executeur.executer(
            QStringLiteral("delete from OPERATIONSANSCONTRE where MFISCAL = "
                           "'1234567A' and EXERCICE = 2023"));
        QCOMPARE(executeur.lignesTouchees(), 2);
        module.openForActiveCompany(*module.montanttransactions);
        module.montanttransactions->moveTo(2);

        try {
            NextYearCreator(module).create(QStringLiteral("1234567"), QStringLiteral("A"), 2023);
            QFAIL("the failure of the trigger was not reported");
        } catch (const db::DatabaseError& e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("L'exercice 2024 de %1 (1234567A) n'a pas "
                                                        "été créé : ")
                                             .arg(kNom)),
                     qPrintable(e.text()));
            QVERIFY2(e.text().contains(QStringLiteral("divide by zero"), Qt::CaseInsensitive),
                     qPrintable(e.text()));
        }
        QCOMPARE(rowsOfYear(module, 2024), 0);
        QVERIFY(module.montanttransactions->isActive());
        QCOMPARE(module.montanttransactions->currentIndex(), 2);
        QCOMPARE(f.database().count(QStringLiteral("select count(*) from OPERATIONSANSCONTRE "
                                                   "where MFISCAL = '1234567A'")),
                 2);
        QVERIFY(wholeDatabase(f.database()) == before);

        // The transaction goes on: its deletion is still there, and is committed with the
        // next year once the cause of the failure is gone.
        f.exec(QStringLiteral("drop trigger ECHEC_ACTIFCORPOREL"));
        const NextYearCreator::Result r =
            NextYearCreator(module).create(QStringLiteral("1234567"), QStringLiteral("A"), 2023);
        QCOMPARE(r.outcome, NextYearCreator::Outcome::Created);
        QCOMPARE(f.database().count(QStringLiteral("select count(*) from OPERATIONSANSCONTRE "
                                                   "where MFISCAL = '1234567A'")),
                 0);
        QCOMPARE(
            f.database().count(QStringLiteral("select count(*) from LISTEACTIFCORPOREL "
                                              "where MFISCAL = '1234567A' and EXERCICE = 2024")),
            1);
    }

    void commandLine() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompany(f);
        const QString base = f.database().databasePath();
        const QStringList cible = {"--company", "1234567a", "--year", "2023", "--database", base};

        CommandResult r = nextYear(cible);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("Exercice 2024 créé : 3 liens en capital, 1 fiche groupe, "
                                       "3 actifs, 2 prêts reportés.\n"));
        QCOMPARE(r.err, QString());
        QCOMPARE(f.database().count("select count(*) from SOCIETE where EXERCICE = 2024"), 1);

        r = nextYear(cible);
        QCOMPARE(r.code, int(NextYearCommand::Exit::NextYearExists));
        QCOMPARE(r.code, 7);
        QCOMPARE(r.err, QStringLiteral("L'exercice 2024 de %1 (1234567A) existe déjà : rien n'a "
                                       "été créé.\n")
                            .arg(kNom));
        QVERIFY(r.out.isEmpty());

        // From the year just made, to the one after.
        r = nextYear({"--company=1234567A", "--year=2024", "--database=" + base});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(r.out.startsWith(QStringLiteral("Exercice 2025 créé : 3 liens en capital")));

        r = nextYear({"--company", "1234567A", "--database", base});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("L'exercice manque (--year).")), qPrintable(r.err));
        r = nextYear({"--company", "12", "--year", "2023", "--database", base});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("Identifiant de société non valable")),
                 qPrintable(r.err));
        r = nextYear({"--company", "1234567A", "--year", "2023", "--database",
                      f.outputFolder() + "/absente/TALMORIX.gdb"});
        QCOMPARE(r.code, 3);
        r = nextYear({"--company", "9999999Z", "--year", "2023", "--database", base});
        QCOMPARE(r.code, 4);
        r = nextYear({"--company", "1234567A", "--year", "2019", "--database", base});
        QCOMPARE(r.code, 5);
        QCOMPARE(r.err, QStringLiteral(
                            "Exercice inconnu : la société 1234567A n'a pas d'exercice 2019.\n"));

        // A failure midway: exit 1, the French report, nothing of the year.
        f.database().execute({QStringLiteral(
            "create trigger ECHEC_PRET for OPERATIONPRETEMPRUNT before insert as begin "
            "new.LG = 1 / 0; end")});
        r = nextYear({"--company", "7654321B", "--year", "2023", "--database", base});
        QCOMPARE(r.code, 1);
        QVERIFY2(
            r.err.startsWith(QStringLiteral("L'exercice 2024 de 7654321B n'a pas été créé : ")),
            qPrintable(r.err));
        QCOMPARE(f.database().count("select count(*) from SOCIETE where MFISCAL = '7654321' and "
                                    "EXERCICE = 2024"),
                 0);
        QCOMPARE(f.database().count("select count(*) from CAPITALLIEE where MFISCAL = '7654321B' "
                                    "and EXERCICE = 2024"),
                 0);

        QVERIFY(CommandLine::help().contains(QStringLiteral(
            "ardoz --next-year --company IDENTIFIANT --year EXERCICE [--database FICHIER]")));
    }
};

QTEST_GUILESS_MAIN(TestNextYear)
#include "tst_nextyear.moc"
