// The import wizard on the offscreen platform: preset mapping, preview as stored, the run
// with its "Importing..." progress that can be cancelled between rows, and the named
// import settings kept in the user's configuration folder.
#include "FichiersSource.h"
#include "MessageBoxRecorder.h"
#include "TestDatabase.h"
#include "import/ui/AssistantImport.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace fichiers;

class TestImportAssistant : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    QTemporaryDir m_dir;

    QString source(const QString& nom, const QByteArray& contenu) {
        const QString path = m_dir.filePath(nom);
        ecrire(path, contenu);
        return path;
    }

    qint64 stockees(const QString& table) {
        return m_db->count(QStringLiteral("select count(*) from ") + table);
    }

    static void choisirFichier(AssistantImport& w, const QString& path) {
        auto* edit = w.page(AssistantImport::PageFichier)->findChild<QLineEdit*>();
        QVERIFY(edit && edit->accessibleName() == QStringLiteral("Fichier :"));
        edit->setText(path);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1234567", "A", 2023, "ALPHA");
        m_module = m_db->openModule();
        m_module->societe->open();
        m_module->openForActiveCompany(*m_module->montanttransactions);
    }
    void cleanup() {
        m_module.reset();
        m_db.reset();
    }

    void correspondanceApercuEtImportation() {
        Ligne titres(20);
        titres[10] = QStringLiteral("Achats");
        titres[16] = QStringLiteral("Méthode");
        Ligne l1(20), l2(20);
        l1[0] = QStringLiteral("7654321B");
        l1[10] = 100.5;
        l1[11] = 7;
        l1[16] = QStringLiteral("MPRM: pour « Méthode du prix de revient majoré »");
        l2[10] = 200;
        l2[16] = QStringLiteral("CUP");
        const QString path = source("lignes.xlsx", xlsx({titres, l1, l2}));

        MessageBoxRecorder boites;
        AssistantImport w(*m_module->montanttransactions, ReglageImport::pourPage(1),
                          DepotReglages(m_dir.filePath("reglages.json")));
        QSignalSpy termine(&w, &AssistantImport::importTermine);
        w.show();
        choisirFichier(w, path);
        w.next();
        QCOMPARE(w.currentId(), int(AssistantImport::PageParametres));
        w.next();
        auto* mapping = w.currentPage()->findChild<QTableWidget*>();
        QVERIFY(mapping);
        QCOMPARE(mapping->rowCount(), 20);
        QCOMPARE(mapping->item(16, 0)->text(), QStringLiteral("METHODE"));
        QCOMPARE(mapping->item(16, 1)->text(), QStringLiteral("Q"));
        QCOMPARE(mapping->item(16, 2)->text(), QStringLiteral("Méthode"));
        // VENTES left without a letter: the rules zero it.
        mapping->item(11, 1)->setText(QString());
        w.next();
        QCOMPARE(w.currentId(), int(AssistantImport::PageApercu));
        auto* apercu = w.currentPage()->findChild<QTableWidget*>();
        QCOMPARE(apercu->rowCount(), 2);
        QStringList entetes;
        for (int c = 0; c < apercu->columnCount(); ++c) {
            entetes.append(apercu->horizontalHeaderItem(c)->text());
        }
        QVERIFY(!entetes.contains(QStringLiteral("L (VENTES)")));
        QCOMPARE(apercu->item(0, entetes.indexOf("A (MFISCAL)"))->text(),
                 QStringLiteral("1234567A"));
        QCOMPARE(apercu->item(0, entetes.indexOf("Q (METHODE)"))->text(), QStringLiteral("MPRM"));

        QString titre;
        QTimer::singleShot(0, this, [&titre] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* p = qobject_cast<QProgressDialog*>(top); p && p->isVisible()) {
                    titre = p->windowTitle();
                }
            }
        });
        w.accept();
        QCOMPARE(titre, QStringLiteral("Importing..."));
        QCOMPARE(boites.texts(MessageBoxes::Kind::Information), QStringList{"2 lignes importées."});
        QCOMPARE(termine.size(), 1);
        QCOMPARE(termine.at(0).at(0).toInt(), 2);
        QCOMPARE(stockees("OPERATIONSMONTANTS where VENTES = 0 and MFISCAL = '1234567A'"), 2);
    }

    void apercuMarqueLesErreursDeFormule() {
        Ligne l(20);
        l[10] = 100;
        l[7] = QStringLiteral("Filiale");
        const QByteArray paquet = modifierPartie(
            xlsx({Ligne(20), l}), QStringLiteral("xl/worksheets/sheet1.xml"),
            "<c r=\"K2\"><v>100</v></c>", "<c r=\"K2\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>");
        MessageBoxRecorder boites;
        AssistantImport w(*m_module->montanttransactions, ReglageImport::pourPage(1),
                          DepotReglages(m_dir.filePath("reglages.json")));
        w.show();
        choisirFichier(w, source("erreur.xlsx", paquet));
        w.next();
        w.next();
        w.next();
        QCOMPARE(w.currentId(), int(AssistantImport::PageApercu));
        auto* apercu = w.currentPage()->findChild<QTableWidget*>();
        QCOMPARE(apercu->rowCount(), 1);
        int achats = -1;
        for (int c = 0; c < apercu->columnCount(); ++c) {
            if (apercu->horizontalHeaderItem(c)->text() == u"K (ACHATS)") {
                achats = c;
            }
        }
        const QTableWidgetItem* cellule = apercu->item(0, achats);
        QCOMPARE(cellule->text(), QStringLiteral("#DIV/0!"));
        QCOMPARE(cellule->toolTip(),
                 QStringLiteral("la cellule contient une erreur de formule (#DIV/0!)"));
        QVERIFY(cellule->background().color() != apercu->item(0, 0)->background().color());
        QVERIFY(w.currentPage()->findChild<QLabel*>()->text().contains(
            QStringLiteral("Les cellules en rouge seront refusées")));
        QCOMPARE(boites.texts(), QStringList());
    }

    void annulationEntreDeuxLignes() {
        QByteArray csv = "titre\n";
        for (int i = 1; i <= 400; ++i) {
            csv += ";;;;;;;;;;" + QByteArray::number(i) + "\n";
        }
        const QString path = source("lignes.csv", csv);
        MessageBoxRecorder boites;
        ReglageImport reglage = ReglageImport::pourPage(1);
        reglage.format = FormatSource::Texte;
        AssistantImport w(*m_module->montanttransactions, reglage,
                          DepotReglages(m_dir.filePath("reglages.json")));
        w.setFichier(path);
        QVERIFY(w.lireFichier());
        // Cancelled as soon as the progress dialog first lets events through.
        std::function<void()> annuler = [&annuler, this] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* p = qobject_cast<QProgressDialog*>(top); p && p->isVisible()) {
                    p->cancel();
                    return;
                }
            }
            QTimer::singleShot(0, this, annuler);
        };
        QTimer::singleShot(0, this, annuler);
        w.executer();
        QVERIFY(w.bilan().annule);
        const int faites = w.bilan().importees;
        QVERIFY(faites >= 1 && faites < 400);
        QCOMPARE(stockees("OPERATIONSMONTANTS"), faites);
        QCOMPARE(m_module->montanttransactions->state(), DatasetState::Browse);
        QVERIFY(boites.texts().value(0).startsWith(QStringLiteral("Importation annulée : ")));
    }

    void fichierIllisibleResteSurLaPremierePage() {
        MessageBoxRecorder boites;
        AssistantImport w(*m_module->montanttransactions, ReglageImport::pourPage(1),
                          DepotReglages(m_dir.filePath("reglages.json")));
        w.show();
        choisirFichier(w, source("abime.xlsx", xlsx({{QStringLiteral("x")}}).left(100)));
        w.next();
        QCOMPARE(w.currentId(), int(AssistantImport::PageFichier));
        QVERIFY2(boites.texts(MessageBoxes::Kind::Error)
                     .value(0)
                     .contains("« abime.xlsx » est endommagé"),
                 qPrintable(boites.texts().join('\n')));
        QCOMPARE(stockees("OPERATIONSMONTANTS"), 0);
    }

    void reglagesIllisiblesMisDeCote_data() {
        QTest::addColumn<QByteArray>("contenu");  // empty: a folder stands where the file should
        QTest::addColumn<QString>("raison");
        QTest::newRow("JSON tronqué") << QByteArray("{\"version\": 1, \"reglages\": {\"Banque\": {")
                                      << "son contenu n'est pas du JSON valide";
        QTest::newRow("sans spécifications")
            << QByteArray("{\"version\": 1}") << "il ne contient pas de spécifications";
        QTest::newRow("ne s'ouvre pas") << QByteArray() << "il ne s'ouvre pas";
    }

    void reglagesIllisiblesMisDeCote() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, raison);
        QTemporaryDir dossier;
        const QString fichier = dossier.filePath(QStringLiteral("reglages.json"));
        if (contenu.isEmpty()) {
            QVERIFY(QDir().mkdir(fichier));
        } else {
            QVERIFY(ecrire(fichier, contenu));
        }
        MessageBoxRecorder boites;
        AssistantImport w(*m_module->montanttransactions, ReglageImport::pourPage(1),
                          DepotReglages(fichier));
        w.show();
        const QStringList avis = boites.texts(MessageBoxes::Kind::Information);
        QCOMPARE(avis.size(), 1);
        QVERIFY2(avis[0].startsWith(QStringLiteral("Les spécifications d'importation enregistrées "
                                                   "ne se lisent pas : le fichier « %1 » est "
                                                   "illisible, %2")
                                        .arg(QDir::toNativeSeparators(fichier), raison)),
                 qPrintable(avis[0]));
        const QStringList aCote = QDir(dossier.path())
                                      .entryList({QStringLiteral("reglages.json.illisible-*")},
                                                 QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(aCote.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^reglages\\.json\\.illisible-\\d{8}-\\d{6}$"))
                    .match(aCote[0])
                    .hasMatch());
        QVERIFY2(avis[0].contains(QStringLiteral("mis de côté sous le nom « %1 »").arg(aCote[0])),
                 qPrintable(avis[0]));
        QVERIFY(!QFileInfo::exists(fichier));

        // Saving starts a new file and leaves the old one as it was.
        w.enregistrerReglage(QStringLiteral("Nouveau"));
        QCOMPARE(DepotReglages(fichier).noms(), QStringList{"Nouveau"});
        if (!contenu.isEmpty()) {
            QFile garde(dossier.filePath(aCote[0]));
            QVERIFY(garde.open(QIODevice::ReadOnly));
            QCOMPARE(garde.readAll(), contenu);
        }
        QCOMPARE(boites.texts(MessageBoxes::Kind::Information).size(), 1);
        QCOMPARE(boites.texts(MessageBoxes::Kind::Error), QStringList());
    }

    void reglagesEnregistresChargesSupprimes() {
        QCOMPARE(DepotReglages().fichier(), DepotReglages::fichierParDefaut());
        QVERIFY(DepotReglages::fichierParDefaut().startsWith(
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)));

        MessageBoxRecorder boites;
        const DepotReglages depot(m_dir.filePath("config/reglages.json"));
        ReglageImport banque = ReglageImport::pourPage(2);
        banque.format = FormatSource::Texte;
        banque.feuille = QStringLiteral("Export");
        banque.premiereLigne = 4;
        banque.texte.separateur = u'\t';
        banque.texte.delimiteur = QChar();
        banque.texte.codage = OptionsTexte::Codage::Windows1252;
        banque.valeurs = FormatsValeurs::francais();
        banque.valeurs.ordreDate = FormatsValeurs::OrdreDate::AnneeMoisJour;
        banque.valeurs.separateurMilliers = QChar();
        banque.correspondances[16].lettre = QStringLiteral("AB");
        {
            AssistantImport w(*m_module->Empruntsprets, ReglageImport::pourPage(2), depot);
            w.reglage() = banque;
            w.enregistrerReglage(QStringLiteral("Banque"));
            w.enregistrerReglage(QStringLiteral("autre"));
        }
        AssistantImport w(*m_module->Empruntsprets, ReglageImport::pourPage(2), depot);
        QCOMPARE(w.depot().noms(), (QStringList{"autre", "Banque"}));
        QVERIFY(w.chargerReglage(QStringLiteral("Banque")));
        QVERIFY(w.reglage() == banque);
        // A page-2 mapping loaded on page 1 would name columns that page 1 has not.
        AssistantImport page1(*m_module->montanttransactions, ReglageImport::pourPage(1), depot);
        QVERIFY(page1.chargerReglage(QStringLiteral("Banque")));
        QVERIFY(page1.reglage().correspondances == ReglageImport::pourPage(1).correspondances);
        QCOMPARE(page1.reglage().texte.separateur, QChar(u'\t'));
        w.supprimerReglage(QStringLiteral("Banque"));
        QCOMPARE(DepotReglages(depot.fichier()).noms(), QStringList{"autre"});
        QCOMPARE(boites.texts(MessageBoxes::Kind::Error), QStringList());
    }
};

QTEST_MAIN(TestImportAssistant)
#include "tst_import_assistant.moc"
