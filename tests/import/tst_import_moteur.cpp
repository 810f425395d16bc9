// The import through the shared datasets on a real database: numbering, stamping and
// zeroing by the record rules, codes cut to the column's width, the first failing row
// stopping the import with the rows before it committed and nothing after.
#include "FichiersSource.h"
#include "TestDatabase.h"
#include "import/ImportateurLignes.h"
#include "import/LecteurSource.h"

#include <QTemporaryDir>
#include <QTest>

using db::Value;
using namespace fichiers;

namespace {

QVariant t(const char* text) {
    return QString::fromUtf8(text);
}

/// A page-1 row: A..T, values by letter.
Ligne ligne(std::initializer_list<std::pair<char, QVariant>> cellules) {
    Ligne l(20);
    for (const auto& [lettre, v] : cellules) {
        l[lettre - 'A'] = v;
    }
    return l;
}

}  // namespace

class TestImportMoteur : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    QTemporaryDir m_dir;

    FeuilleSource feuille(const Lignes& lignes) {
        const QString path = m_dir.filePath(QStringLiteral("source.xlsx"));
        ecrire(path, xlsx(lignes));
        return LecteurSource::lire(path, FormatSource::Excel, {}).feuilles.front();
    }

    BilanImport importer(int page, const Lignes& lignes,
                         const ImportateurLignes::Progression& progression = {}) {
        return importer(page, feuille(lignes), progression);
    }

    BilanImport importer(int page, const FeuilleSource& source,
                         const ImportateurLignes::Progression& progression = {}) {
        Dataset& ds = *m_module->dataset(ReglageImport::datasetDeLaPage(page));
        if (!ds.isActive()) {
            m_module->openForActiveCompany(ds);
        }
        ImportateurLignes importateur(ds, ReglageImport::pourPage(page));
        return importateur.importer(source, progression);
    }

    /// The sheet of a workbook written by the test, read as the wizard reads it.
    FeuilleSource feuille(const QString& nom, const QByteArray& contenu) {
        const QString path = m_dir.filePath(nom);
        ecrire(path, contenu);
        return LecteurSource::lire(path, FormatSource::Excel, {}).feuilles.front();
    }

    static Ligne titres() {
        return ligne({{'A', t("MFISCAL")}, {'B', t("EXERCICE")}, {'C', t("LG")}});
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1234567", "A", 2023, "ALPHA");
        m_module = m_db->openModule();
        m_module->societe->open();
        QVERIFY(
            m_module->societe->locate({"MFISCAL", "EXERCICE"}, {Value(u"1234567"), Value(2023)}));
    }
    void cleanup() {
        m_module.reset();
        m_db.reset();
    }

    void troisLignesDUneAutreSociete() {
        Lignes lignes = {titres()};
        for (int lg : {10, 11, 12}) {
            lignes.append(
                ligne({{'A', t("7654321B")}, {'B', 2019}, {'C', lg}, {'H', t("Filiale")}}));
        }
        const BilanImport bilan = importer(1, lignes);
        QVERIFY2(bilan.reussi(), qPrintable(bilan.rapport()));
        QCOMPARE(bilan.importees, 3);
        QCOMPARE(bilan.rapport(), QStringLiteral("3 lignes importées."));
        const auto rows = m_db->rows(
            "select MFISCAL, EXERCICE, LG, ACHATS, VENTES from OPERATIONSMONTANTS order by LG");
        QCOMPARE(rows.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(rows[i][0].toText(), QStringLiteral("1234567A"));
            QCOMPARE(rows[i][1].toInt(), 2023);
            QCOMPARE(rows[i][2].toInt(), 10 + i);
            QCOMPARE(rows[i][3].toText(), QStringLiteral("0.000"));
            QCOMPARE(rows[i][4].toText(), QStringLiteral("0.000"));
        }
        // The page's list shows them at once: the import wrote through the shared dataset.
        QCOMPARE(m_module->montanttransactions->rowCount(), 3);
    }

    void numeroRepeteArreteEtGardeLesLignesAvant() {
        Dataset& ds = *m_module->montanttransactions;
        m_module->openForActiveCompany(ds);
        ds.append();
        ds.setValue("LG", 2);
        ds.post();
        const BilanImport bilan =
            importer(1, {titres(), ligne({{'C', 1}, {'K', 5}}), ligne({{'C', 2}, {'K', 6}}),
                         ligne({{'C', 3}, {'K', 7}})});
        QVERIFY(bilan.probleme);
        QCOMPARE(bilan.importees, 1);
        QCOMPARE(bilan.probleme->texte(),
                 QStringLiteral("Ligne 3, colonne C (LG) : le numéro de ligne 2 existe déjà pour "
                                "cette société et cet exercice."));
        QCOMPARE(m_db->rows("select LG from OPERATIONSMONTANTS order by LG").size(), 2);
        QCOMPARE(ds.state(), DatasetState::Browse);
        QCOMPARE(ds.rowCount(), 2);
    }

    void ligneDontLaValidationEchoueNEstPasEcrite() {
        // A database trigger refuses the commit of any transaction holding a line named
        // REFUSEE; the module meets it from its first transaction.
        m_module.reset();
        {
            db::Connection c;
            c.setDatabaseName(m_db->databasePath());
            c.open();
            db::Transaction tr(c);
            c.setDefaultTransaction(&tr);
            tr.start();
            for (const char* sql :
                 {"create exception LIGNE_REFUSEE 'ligne refusee a la validation'",
                  "create trigger REFUS_LIGNE on transaction commit as begin if (exists("
                  "select 1 from OPERATIONSMONTANTS where RAISONSOCIALE = 'REFUSEE')) then "
                  "exception LIGNE_REFUSEE; end"}) {
                db::Statement q(tr);
                q.prepare(QString::fromLatin1(sql));
                q.execute();
            }
            tr.commit();
        }
        m_module = m_db->openModule();
        m_module->societe->open();
        QVERIFY(
            m_module->societe->locate({"MFISCAL", "EXERCICE"}, {Value(u"1234567"), Value(2023)}));

        const BilanImport bilan =
            importer(1, {titres(), ligne({{'H', t("ACCEPTEE")}}), ligne({{'H', t("REFUSEE")}}),
                         ligne({{'H', t("APRES")}})});
        QVERIFY(bilan.probleme);
        QCOMPARE(bilan.importees, 1);
        QVERIFY2(bilan.rapport().contains(QStringLiteral("Ligne 3")) &&
                     bilan.rapport().contains(QStringLiteral("LIGNE_REFUSEE")),
                 qPrintable(bilan.rapport()));
        // What the report says is what the next commit makes permanent: the refused line is
        // not left in the transaction.
        Dataset& ds = *m_module->montanttransactions;
        QCOMPARE(ds.state(), DatasetState::Browse);
        QCOMPARE(ds.rowCount(), 1);
        m_module->commitRetaining();
        const auto rows = m_db->rows("select RAISONSOCIALE, LG from OPERATIONSMONTANTS");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0].toText(), QStringLiteral("ACCEPTEE"));
        // The number the refused line took is free again.
        ds.append();
        QCOMPARE(ds.value("LG").toInt(), 2);
        ds.cancel();
    }

    void codesCoupesALaLargeur() {
        const BilanImport bilan =
            importer(1, {titres(),
                         ligne({{'G', t("3 :Service ")},
                                {'I', 4},
                                {'Q', t("CUP")},
                                {'S', t("MPRM: pour « Méthode du prix de revient majoré »,")},
                                {'M', t("5: pour« Etablissement stable ».")},
                                {'O', t("1: pour « Propriétaires »")}}),
                         ligne({{'Q', t("MPRM: pour « Méthode du prix de revient majoré »")},
                                {'S', t("MPB  :pour « Méthode du partage des bénéfices ».")}})});
        QVERIFY2(bilan.reussi(), qPrintable(bilan.rapport()));
        const auto rows = m_db->rows(
            "select TYPEMONTANT, NATUREOPERATIONS, METHODE, CHANGEMENTMETHODE, QUALITE, "
            "NATURRELATION from OPERATIONSMONTANTS order by LG");
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0][0].toText(), QStringLiteral("3"));
        QCOMPARE(rows[0][1].toText(), QStringLiteral("4"));
        QCOMPARE(rows[0][2].toText(), QStringLiteral("CUP"));
        QCOMPARE(rows[0][3].toText(), QStringLiteral("MPRM"));
        QCOMPARE(rows[0][4].toText(), QStringLiteral("5"));
        QCOMPARE(rows[0][5].toText(), QStringLiteral("1"));
        QCOMPARE(rows[1][2].toText(), QStringLiteral("MPRM"));
        QCOMPARE(rows[1][3].toText(), QStringLiteral("MPB "));
    }

    void pretSansSoldeDeClotureStocke0() {
        Lignes lignes = {titres()};
        Ligne pret(19);
        pret['G' - 'A'] = t("Pret");
        pret['N' - 'A'] = 100;
        pret['O' - 'A'] = 50;
        pret['P' - 'A'] = 30;
        lignes.append(pret);
        const BilanImport bilan = importer(2, lignes);
        QVERIFY2(bilan.reussi(), qPrintable(bilan.rapport()));
        const auto rows = m_db->rows(
            "select TYPEPRETEMPRUNT, SOLDEOUVERTURE, AUGMENTATIONS, DIMINUTIONS, SOLDECLOTURE, "
            "TAUXINTERET, LG from OPERATIONPRETEMPRUNT");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0].toText(), QStringLiteral("P"));
        QCOMPARE(rows[0][1].toText(), QStringLiteral("100.000"));
        QCOMPARE(rows[0][2].toText(), QStringLiteral("50.000"));
        QCOMPARE(rows[0][3].toText(), QStringLiteral("30.000"));
        QCOMPARE(rows[0][4].toText(), QStringLiteral("0.000"));
        QVERIFY(rows[0][5].isNull());
        // An empty column C keeps the number given when the row was appended.
        QCOMPARE(rows[0][6].toInt(), 1);
    }

    void texteDansUnMontantArreteSansRienEcrireApres() {
        const BilanImport bilan = importer(1, {titres(), ligne({{'K', t("1 234.5")}}),
                                               ligne({{'K', t("abc")}}), ligne({{'K', 3}})});
        QVERIFY(bilan.probleme);
        QCOMPARE(
            bilan.rapport(),
            QStringLiteral("Importation arrêtée. Ligne 3, colonne K (ACHATS) : « abc » n'est "
                           "pas un montant valide.\n1 ligne importée avant ce problème ; elles "
                           "restent enregistrées. Rien n'a été écrit après elles."));
        const auto rows = m_db->rows("select ACHATS, LG from OPERATIONSMONTANTS");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0].toText(), QStringLiteral("1234.500"));
        Dataset& ds = *m_module->montanttransactions;
        QCOMPARE(ds.state(), DatasetState::Browse);
        QCOMPARE(ds.rowCount(), 1);
        // The number the failed row took is free again.
        ds.append();
        QCOMPARE(ds.value("LG").toInt(), 2);
        ds.cancel();
    }

    void texteDansUneAnneeDePage4() {
        Lignes lignes = {titres()};
        Ligne accord(14);
        accord['M' - 'A'] = 2021;
        accord['N' - 'A'] = t("fin 2024");
        lignes.append(accord);
        const BilanImport bilan = importer(4, lignes);
        QVERIFY(bilan.probleme);
        QCOMPARE(bilan.probleme->texte(),
                 QStringLiteral("Ligne 2, colonne N (EXERCICEFIN) : « fin 2024 » n'est pas un "
                                "nombre entier valide."));
        QVERIFY(m_db->rows("select LG from OPERATIONRESCRITFISCAUX").isEmpty());
    }

    void annulationEntreDeuxLignes() {
        Lignes lignes = {titres()};
        for (int i = 0; i < 5; ++i) {
            lignes.append(ligne({{'K', i + 1}}));
        }
        QVector<int> vues;
        const BilanImport bilan = importer(1, lignes, [&vues](int faites, int total) {
            vues.append(faites);
            return !(faites == 2 && total == 5);
        });
        QVERIFY(bilan.annule);
        QCOMPARE(bilan.importees, 2);
        QCOMPARE(vues, (QVector<int>{1, 2}));
        QCOMPARE(m_db->rows("select LG from OPERATIONSMONTANTS").size(), 2);
        QVERIFY(
            bilan.rapport().startsWith(QStringLiteral("Importation annulée : 2 lignes importées")));
    }

    void modeleRempliVersLeBas() {
        // Company, year and line number filled down 500 rows; two rows hold a line.
        Lignes lignes = {titres()};
        for (int lg = 1; lg <= 500; ++lg) {
            lignes.append(ligne({{'A', t("1234567A")}, {'B', 2023}, {'C', lg}}));
        }
        lignes[3][7] = t("Filiale");
        lignes[3][10] = 10;
        lignes[7][16] = t("CUP");
        lignes.append(ligne({{'C', 501}}));
        const BilanImport bilan = importer(1, lignes);
        QVERIFY2(bilan.reussi(), qPrintable(bilan.rapport()));
        QCOMPARE(bilan.importees, 2);
        QCOMPARE(bilan.videsIgnorees, 499);
        QCOMPARE(bilan.rapport(),
                 QStringLiteral("2 lignes importées.\n499 ligne(s) vide(s) ignorée(s)."));
        const auto rows = m_db->rows(
            "select LG, RAISONSOCIALE, ACHATS, METHODE from OPERATIONSMONTANTS order by LG");
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0][0].toInt(), 3);
        QCOMPARE(rows[0][1].toText(), QStringLiteral("Filiale"));
        QCOMPARE(rows[1][0].toInt(), 7);
        QCOMPARE(rows[1][3].toText(), QStringLiteral("CUP"));
    }

    void celluleIsoleeAuBoutImporteLaLigne() {
        const QByteArray paquet =
            modifierPartie(xlsx({titres(), ligne({{'C', 4}, {'H', t("Filiale")}})}),
                           QStringLiteral("xl/worksheets/sheet1.xml"), "</sheetData>",
                           "<row r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row></sheetData>");
        const BilanImport bilan = importer(1, feuille(QStringLiteral("isolee.xlsx"), paquet));
        QVERIFY2(bilan.reussi(), qPrintable(bilan.rapport()));
        QCOMPARE(bilan.importees, 1);
        QCOMPARE(bilan.videsIgnorees, 1048574);
        QCOMPARE(m_db->rows("select LG, RAISONSOCIALE from OPERATIONSMONTANTS").size(), 1);
    }

    void lignesRepeteesEtMonnaieDeLibreOffice() {
        // LibreOffice writes identical neighbouring rows once, and an amount typed in a
        // currency cell as a currency value: each row is a line, each amount its value.
        const QByteArray contenu = modifierPartie(
            modifierPartie(ods({titres(), ligne({{'H', t("Filiale")}, {'K', 5}})}),
                           QStringLiteral("content.xml"), "<table:table-row><table:table-cell/>",
                           "<table:table-row table:number-rows-repeated=\"3\"><table:table-cell/>"),
            QStringLiteral("content.xml"), "office:value-type=\"float\" office:value=\"5\"",
            "office:value-type=\"currency\" office:currency=\"TND\" office:value=\"1234.567\"");
        const QString path = m_dir.filePath(QStringLiteral("repetees.ods"));
        ecrire(path, contenu);
        const BilanImport bilan =
            importer(1, LecteurSource::lire(path, FormatSource::OpenDocument, {}).feuilles.front());
        QVERIFY2(bilan.reussi(), qPrintable(bilan.rapport()));
        const auto rows =
            m_db->rows("select LG, RAISONSOCIALE, ACHATS from OPERATIONSMONTANTS order by LG");
        QCOMPARE(rows.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(rows[i][0].toInt(), i + 1);
            QCOMPARE(rows[i][1].toText(), QStringLiteral("Filiale"));
            QCOMPARE(rows[i][2].toText(), QStringLiteral("1234.567"));
        }
    }

    void erreurDeFormuleArreteALaLigne() {
        const QByteArray paquet =
            xlsx({titres(), ligne({{'H', t("Filiale")}, {'K', 5}}),
                  ligne({{'H', t("Cousine")}, {'K', 6}}), ligne({{'H', t("Soeur")}, {'K', 7}})});
        // Row 3's name is a lookup that failed in the spreadsheet.
        const QByteArray erreur = modifierPartie(
            paquet, QStringLiteral("xl/worksheets/sheet1.xml"), "<c r=\"H3\" t=\"s\"><v>4</v></c>",
            "<c r=\"H3\" t=\"e\"><f>VLOOKUP(A3,Z:Z,2,0)</f><v>#N/A</v></c>");
        QVERIFY(erreur != paquet);
        const BilanImport bilan = importer(1, feuille(QStringLiteral("erreur.xlsx"), erreur));
        QVERIFY(bilan.probleme);
        QCOMPARE(bilan.importees, 1);
        QCOMPARE(bilan.probleme->texte(),
                 QStringLiteral("Ligne 3, colonne H (RAISONSOCIALE) : la cellule contient une "
                                "erreur de formule (#N/A)."));
        const auto rows = m_db->rows("select RAISONSOCIALE, ACHATS from OPERATIONSMONTANTS");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0].toText(), QStringLiteral("Filiale"));
        QCOMPARE(m_module->montanttransactions->state(), DatasetState::Browse);
    }

    void booleensOuiNon() {
        // Page 2: R is PRETINTERET, a yes/no list of VARCHAR(3); I is the name.
        Ligne pret(19);
        pret['G' - 'A'] = t("Pret");
        pret['I' - 'A'] = true;
        pret['R' - 'A'] = true;
        Ligne emprunt = pret;
        emprunt['G' - 'A'] = t("Emprunt");
        emprunt['R' - 'A'] = false;
        for (const QString& nom : {QStringLiteral("b.xlsx"), QStringLiteral("b.xls")}) {
            const Lignes lignes = {titres(), pret, emprunt};
            const BilanImport bilan =
                importer(2, feuille(nom, nom.endsWith(u"x") ? xlsx(lignes) : xls(lignes)));
            QVERIFY2(bilan.reussi(), qPrintable(bilan.rapport()));
        }
        QCOMPARE(m_db->rows("select PRETINTERET, RAISONSOCIALE from OPERATIONPRETEMPRUNT order "
                            "by LG")
                     .size(),
                 4);
        const auto rows =
            m_db->rows("select PRETINTERET, RAISONSOCIALE from OPERATIONPRETEMPRUNT order by LG");
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(rows[i][0].toText(),
                     i % 2 == 0 ? QStringLiteral("Oui") : QStringLiteral("Non"));
            QCOMPARE(rows[i][1].toText(), QStringLiteral("Oui"));
        }
        // Page 3: G is AVECCONTREOUINON, one character wide.
        Ligne sansContrepartie(14);
        sansContrepartie['G' - 'A'] = false;
        const BilanImport bilan = importer(3, {titres(), sansContrepartie});
        QVERIFY2(bilan.reussi(), qPrintable(bilan.rapport()));
        QCOMPARE(m_db->rows("select AVECCONTREOUINON from OPERATIONSANSCONTRE")
                     .value(0)
                     .value(0)
                     .toText(),
                 QStringLiteral("N"));
    }

    void apercuCommeStocke() {
        Dataset& ds = *m_module->montanttransactions;
        m_module->openForActiveCompany(ds);
        ImportateurLignes importateur(ds, ReglageImport::pourPage(1));
        const auto apercu = importateur.apercu(
            feuille({titres(), ligne({{'A', t("7654321B")}, {'Q', t("MPRM: pour « Méthode »")}}),
                     ligne({}), ligne({{'K', t("abc")}})}),
            10);
        QCOMPARE(apercu.size(), 2);  // the empty row is passed over
        const QStringList colonnes = importateur.colonnesApercu();
        QCOMPARE(colonnes.at(0), QStringLiteral("A (MFISCAL)"));
        QCOMPARE(apercu[0].valeurs.at(0), QStringLiteral("1234567A"));
        QCOMPARE(apercu[0].valeurs.at(colonnes.indexOf("Q (METHODE)")), QStringLiteral("MPRM"));
        QVERIFY(
            apercu[0].valeurs.at(colonnes.indexOf("K (ACHATS)")).endsWith(QStringLiteral("000")));
        QCOMPARE(apercu[1].ligne, 4);
        QVERIFY(
            apercu[1].erreurs.at(colonnes.indexOf("K (ACHATS)")).contains("n'est pas un montant"));
        QCOMPARE(ds.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestImportMoteur)
#include "tst_import_moteur.moc"
