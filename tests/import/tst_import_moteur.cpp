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
        Dataset& ds = *m_module->dataset(ReglageImport::datasetDeLaPage(page));
        if (!ds.isActive()) {
            m_module->openForActiveCompany(ds);
        }
        ImportateurLignes importateur(ds, ReglageImport::pourPage(page));
        return importateur.importer(feuille(lignes), progression);
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
