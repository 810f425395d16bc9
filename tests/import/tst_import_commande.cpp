// ardoz --import: the page's preset through the same engine, French conventions for text
// files, and the exit codes scripts rely on.
#include "CommandResult.h"
#include "FichiersSource.h"
#include "TestDatabase.h"
#include "commands/ImportCommand.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace fichiers;

namespace {

using Resultat = CommandResult;

Resultat lancer(const QStringList& options) {
    return runCaptured(ImportCommand::run, QStringList{QStringLiteral("ardoz")} + options);
}

}  // namespace

class TestImportCommande : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_dir;

    QString fichier(const QString& nom, const QByteArray& contenu) {
        const QString path = m_dir.filePath(nom);
        ecrire(path, contenu);
        return path;
    }

    QStringList lignesStockees(const QString& sql) {
        QStringList rows;
        for (const QVector<db::Value>& row : m_db->rows(sql)) {
            QStringList cells;
            for (const db::Value& v : row) {
                cells.append(v.toText());
            }
            rows.append(cells.join(u'|'));
        }
        return rows;
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1234567", "A", 2023, "ALPHA");
    }
    void cleanup() { m_db.reset(); }

    void texteAuxConventionsFrancaises() {
        const QString csv = fichier(
            "lignes.csv",
            QStringLiteral("MF;EX;LG;MAT;AUTRE;ETAT;TYPE;RAISON;NAT;AUTRES;ACHATS;VENTES\r\n"
                           "X;2023;7;0000001A;;FR;1;« Fournisseur »;1;;1 234,5;0\r\n"
                           ";;;;;;;;;;;\r\n"
                           "X;2023;;;;;;;;;;99,999\r\n")
                .toLatin1());
        const Resultat r = lancer({"--import", csv, "--page", "1", "--company", "1234567a",
                                   "--year", "2023", "--database", m_db->databasePath()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(r.out.startsWith(QStringLiteral("2 lignes importées.\n")));
        QCOMPARE(lignesStockees("select MFISCAL, LG, ETATTERRITORIAL, RAISONSOCIALE, ACHATS, "
                                "VENTES from OPERATIONSMONTANTS order by LG"),
                 (QStringList{"1234567A|7|FR|« Fournisseur »|1234.500|0.000",
                              "1234567A|8|||0.000|99.999"}));
    }

    void feuillePremiereLigneEtSeparateur() {
        Lignes lignes = {{QStringLiteral("Titre")}, {QStringLiteral("Colonnes")}};
        Ligne pret(19);
        pret[6] = QStringLiteral("Emprunt");
        pret[16] = 42.5;
        lignes.append(pret);
        OptionsXlsx options;
        options.nomFeuille = QStringLiteral("Prêts");
        const QString xl = fichier("prets.xlsx", xlsx(lignes, options));
        Resultat r =
            lancer({"--import=" + xl, "--page=2", "--company=1234567A", "--year=2023",
                    "--database=" + m_db->databasePath(), "--sheet=prêts", "--first-row=3"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QString txt = fichier(
            "accords.txt", "a\tb\tc\td\te\tf\tNom\n\t\t\t\t\t\tAccord\t\t\t\t\t\t2021\t2024\n");
        r = lancer({"--import", txt, "--page", "4", "--company", "1234567A", "--year", "2023",
                    "--database", m_db->databasePath(), "--separator", "tab"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        // Past the end of the data: nothing to import, and said so.
        r = lancer({"--import", xl, "--page", "2", "--company", "1234567A", "--year", "2023",
                    "--database", m_db->databasePath(), "--first-row", "10"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("0 ligne importée. La feuille n'a aucune ligne de données "
                                       "à partir de la ligne 10.\n"));
        QCOMPARE(lignesStockees("select TYPEPRETEMPRUNT, SOLDECLOTURE from OPERATIONPRETEMPRUNT"),
                 QStringList{"E|42.500"});
        QCOMPARE(lignesStockees("select RAISONSOCIALE, EXERCICEDEBUT, EXERCICEFIN from "
                                "OPERATIONRESCRITFISCAUX"),
                 QStringList{"Accord|2021|2024"});
    }

    void baseDeCheminBaseIniParDefaut() {
        const QString csv = fichier("une.csv", "titre\n;;;;;;;;;;1,5\n");
        const QString avant = QDir::currentPath();
        QDir::setCurrent(m_db->workFolder());
        const Resultat r =
            lancer({"--import", csv, "--page", "1", "--company", "1234567A", "--year", "2023"});
        QDir::setCurrent(avant);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(lignesStockees("select ACHATS from OPERATIONSMONTANTS"), QStringList{"1.500"});
    }

    void parLeProgrammeSansAffichage() {
        const QString csv = fichier("prog.csv", "titre\n;;;;;;;;;;2,5\n");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            env.remove(QString::fromLatin1(variable));
        }
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ARDOZ_EXECUTABLE),
                {"--import", csv, "--page", "1", "--company", "1234567A", "--year", "2023",
                 "--database", m_db->databasePath()});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()),
                 QStringLiteral("1 ligne importée.\n"));
        QCOMPARE(lignesStockees("select ACHATS from OPERATIONSMONTANTS"), QStringList{"2.500"});
    }

    void ligneEnEchecSurLaSortieDErreur() {
        const QString csv = fichier("echec.csv", "t\n;;;;;;;;;;10\n;;;;;;;;;;dix\n;;;;;;;;;;30\n");
        const Resultat r = lancer({"--import", csv, "--page", "1", "--company", "1234567A",
                                   "--year", "2023", "--database", m_db->databasePath()});
        QCOMPARE(r.code, int(ImportCommand::Exit::RowFailed));
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(QStringLiteral("Ligne 3, colonne K (ACHATS) : « dix » n'est pas un "
                                               "montant valide.")),
                 qPrintable(r.err));
        QCOMPARE(lignesStockees("select ACHATS from OPERATIONSMONTANTS"), QStringList{"10.000"});
    }

    void classeurHostileIllisible() {
        // A cell written inline far beyond the last row: the program once died of it.
        OptionsXlsx enLigne;
        enLigne.chainesEnLigne = true;
        const QByteArray paquet = xlsx(
            {{QStringLiteral("titre")}, {QVariant(), QVariant(), 1, QStringLiteral("x")}}, enLigne);
        const QString xl = fichier(
            "hostile.xlsx", modifierPartie(paquet, QStringLiteral("xl/worksheets/sheet1.xml"),
                                           "r=\"D2\"", "r=\"A2000000000\""));
        QProcess p;
        p.start(QStringLiteral(ARDOZ_EXECUTABLE),
                {"--import", xl, "--page", "1", "--company", "1234567A", "--year", "2023",
                 "--database", m_db->databasePath()});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), int(ImportCommand::Exit::FileUnreadable));
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
                 QStringLiteral("Le fichier « hostile.xlsx » est illisible : la feuille « Feuil1 » "
                                "a une cellule en A2000000000, au-delà de la dernière ligne d'un "
                                "classeur (1\u00A0048\u00A0576).\n"));
        QVERIFY(lignesStockees("select LG from OPERATIONSMONTANTS").isEmpty());
    }

    void codesDeSortie_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("page manquante")
            << QStringList{"--company", "1234567A", "--year", "2023"} << 2 << "La page manque";
        QTest::newRow("page 5") << QStringList{"--page",   "5",      "--company",
                                               "1234567A", "--year", "2023"}
                                << 2 << "Page non valable : 5";
        QTest::newRow("option inconnue") << QStringList{"--page", "1",    "--company", "1234567A",
                                                        "--year", "2023", "--feuille", "x"}
                                         << 2 << "Option inconnue : --feuille";
        QTest::newRow("extension inconnue")
            << QStringList{"--page", "1",    "--company", "1234567A",
                           "--year", "2023", "--import",  "x.pdf"}
            << 2 << "Extension de fichier non reconnue";
        QTest::newRow("base introuvable")
            << QStringList{"--page", "1",    "--company",  "1234567A",
                           "--year", "2023", "--database", "/nulle/part/T.gdb"}
            << 3 << "Connexion à la base de données impossible";
        QTest::newRow("société inconnue")
            << QStringList{"--page", "1", "--company", "7654321B", "--year", "2023"} << 4
            << "Société inconnue : aucune société n'a l'identifiant 7654321B.";
        QTest::newRow("exercice inconnu")
            << QStringList{"--page", "1", "--company", "1234567A", "--year", "2019"} << 5
            << "Exercice inconnu : la société 1234567A n'a pas d'exercice 2019.";
        QTest::newRow("fichier introuvable")
            << QStringList{"--page", "1",    "--company", "1234567A",
                           "--year", "2023", "--import",  "/nulle/part/x.xlsx"}
            << 6 << "Le fichier « x.xlsx » est introuvable.";
        QTest::newRow("feuille inconnue")
            << QStringList{"--page", "1",    "--company", "1234567A",
                           "--year", "2023", "--sheet",   "Autre"}
            << 6 << "La feuille « Autre » n'existe pas dans le fichier ; feuilles : Feuil1.";
    }

    void codesDeSortie() {
        QFETCH(QStringList, options);
        QFETCH(int, code);
        QFETCH(QString, message);
        const QString xl =
            fichier("ok.xlsx", xlsx({{QStringLiteral("t")}, {QVariant(), QVariant(), 1}}));
        QStringList arguments = options;
        if (!arguments.contains("--import")) {
            arguments << "--import" << xl;
        }
        if (!arguments.contains("--database")) {
            arguments << "--database" << m_db->databasePath();
        }
        const Resultat r = lancer(arguments);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QVERIFY(lignesStockees("select LG from OPERATIONSMONTANTS").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestImportCommande)
#include "tst_import_commande.moc"
