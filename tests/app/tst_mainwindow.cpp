#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "app/DesktopApplication.h"
#include "app/TFrmPremiereUtilisation.h"
#include "app/TfRMMAIN.h"
#include "companies/Tfrmparamsociete.h"
#include "companies/Tfrmsocietes.h"
#include "data/Configuration.h"
#include "declaration/ProblemLocation.h"
#include "declaration/ui/Tfrmgeneration.h"
#include "import/ui/AssistantImport.h"
#include "operations/TFrmoperations.h"
#include "reference/TFrmdevise.h"
#include "reference/TFrmetatterritoire.h"
#include "widgets/ContexteSocieteActive.h"
#include "widgets/DBGrid.h"
#include "widgets/TFrmMotPasse.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using db::Value;

class TestMainWindow : public QObject {
    Q_OBJECT

    QString m_startFolder;
    std::pair<QByteArray, QByteArray> m_configEnv;

    static QToolButton* commande(TfRMMAIN* main, const QString& caption) {
        for (QToolButton* b : main->findChildren<QToolButton*>()) {
            if (b->text() == caption || b->accessibleName() == caption) {
                return b;
            }
        }
        return nullptr;
    }

    /// A caption as the user reads it: without its mnemonic marker.
    static QString lu(const QString& caption) { return QString(caption).remove(u'&'); }

    /// The letter that Alt takes for @p caption, in lower case; empty without a marker.
    static QString mnemonique(const QString& caption) {
        const qsizetype at = caption.indexOf(u'&');
        return at >= 0 && at + 1 < caption.size() ? caption.mid(at + 1, 1).toLower() : QString();
    }

    static Tfrmsocietes* listeOuverte(TfRMMAIN* main) {
        QMdiSubWindow* active = main->zoneFenetres()->activeSubWindow();
        return active ? qobject_cast<Tfrmsocietes*>(active->widget()) : nullptr;
    }

    static void doubleCliquer(Tfrmsocietes* liste, int row) {
        DBGrid* grid = liste->grille();
        const QPoint at = grid->visualRect(grid->model()->index(row, 3)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void initTestCase() {
        m_startFolder = QDir::currentPath();
        m_configEnv = {qgetenv("XDG_CONFIG_HOME"), qgetenv("ARDOZ_SYSTEM_CONFIG_DIR")};
    }
    void cleanup() {
        QDir::setCurrent(m_startFolder);
        qputenv("XDG_CONFIG_HOME", m_configEnv.first);
        qputenv("ARDOZ_SYSTEM_CONFIG_DIR", m_configEnv.second);
        flushDeletions();
    }

    void startingWithoutRepShowsTheErrorAndAnEmptyList() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("work")));
        QFile ini(root.filePath(QStringLiteral("CheminBase.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[CheminBase]\r\nModelessexcel=C:\\Modeles\r\n");
        ini.close();
        QVERIFY(QDir::setCurrent(root.filePath(QStringLiteral("work"))));
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start();
        TfRMMAIN* main = desktop.mainWindow();
        QVERIFY(!boxes.isEmpty());
        QCOMPARE(boxes.messages().first().kind, MessageBoxes::Kind::Error);
        const QString error = boxes.texts().first();
        QVERIFY2(error.contains(QStringLiteral("Vérifier le chemin de la base!")) &&
                     error.contains(QStringLiteral("TALMORIX.gdb")),
                 qPrintable(error));
        // Every error shown is the failed connection, tried again by the list.
        for (const auto& m : boxes.messages()) {
            QCOMPARE(m.kind, MessageBoxes::Kind::Error);
        }
        QVERIFY(!desktop.dataModule()->idataprix.isConnected());
        QVERIFY(main->isVisible());
        QVERIFY(main->windowState() & Qt::WindowMaximized);
        QCOMPARE(main->zoneFenetres()->subWindowList().size(), 1);
        Tfrmsocietes* liste = listeOuverte(main);
        QVERIFY(liste);
        QVERIFY(liste->isVisible());
        QCOMPARE(liste->grille()->model()->rowCount(), 0);
        QCOMPARE(main->libelleSocieteActive(), QStringLiteral("Societeactive"));
        desktop.finish();
    }

    void startingWithoutAnyConfigurationAsksForTheDatabase() {
        // No CheminBase.ini beside the working folder, in the user's folder or the system's.
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("work")));
        QVERIFY(QDir::setCurrent(root.filePath(QStringLiteral("work"))));
        const bool homeSet = qEnvironmentVariableIsSet("HOME");
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", root.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
        qputenv("ARDOZ_SYSTEM_CONFIG_DIR", root.filePath(QStringLiteral("etc")).toUtf8());
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(Configuration::kApplicationName);
        auto restore = qScopeGuard([&] {
            if (homeSet) {
                qputenv("HOME", home);
            } else {
                qunsetenv("HOME");
            }
            QCoreApplication::setApplicationName(name);
        });
        MessageBoxRecorder boxes;
        QString titre;
        whenModalOpens([&titre](QWidget* modal) {
            auto* dialogue = qobject_cast<TFrmPremiereUtilisation*>(modal);
            if (!dialogue) {
                modal->close();
                return;
            }
            titre = dialogue->windowTitle();
            using Choix = TFrmPremiereUtilisation::Choix;
            QTest::mouseClick(dialogue->bouton(Choix::BaseDemonstration), Qt::LeftButton, {},
                              QPoint(5, 5));
            QTest::mouseClick(dialogue->boutonContinuer(), Qt::LeftButton);
        });
        {
            DesktopApplication desktop;
            QVERIFY(desktop.start());
            QCOMPARE(titre, QStringLiteral("Première utilisation"));
            QVERIFY2(boxes.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
            QVERIFY(desktop.dataModule()->idataprix.isConnected());
            Tfrmsocietes* liste = listeOuverte(desktop.mainWindow());
            QVERIFY(liste);
            QCOMPARE(liste->grille()->model()->rowCount(), 3);
        }
        const QString ini =
            root.filePath(QStringLiteral("config/Ardoz Prix de Transfert/CheminBase.ini"));
        QCOMPARE(Configuration::read(ini).rep, root.filePath(QStringLiteral("home/Ardoz")));

        // The next start finds the file written and asks nothing (a dialog would be noted and
        // closed by this watcher, which ends with the test).
        titre.clear();
        QTimer guet;
        connect(&guet, &QTimer::timeout, [&titre] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                titre = modal->windowTitle();
                modal->close();
            }
        });
        guet.start(10);
        DesktopApplication desktop;
        QVERIFY(desktop.start());
        QVERIFY(desktop.dataModule()->idataprix.isConnected());
        QCOMPARE(listeOuverte(desktop.mainWindow())->grille()->model()->rowCount(), 3);
        QVERIFY(boxes.isEmpty());
        QTest::qWait(50);
        QVERIFY2(titre.isEmpty(), qPrintable(titre));
        desktop.finish();
    }

    void theFrameCarriesItsCommandsInOrder() {
        QTemporaryDir root;
        QDir::setCurrent(root.path());
        MessageBoxRecorder boxes;
        TfRMMAIN main;
        QCOMPARE(main.windowTitle(), QStringLiteral("Ardoz Prix de Transfert"));
        QCOMPARE(main.contexte().ModeSocietes, 1);
        QTabWidget* pages = main.pages();
        QStringList titres;
        for (int i = 0; i < pages->count(); ++i) {
            titres.append(lu(pages->tabText(i)));
        }
        QCOMPARE(titres,
                 QStringList({"Identification Entreprise", QStringLiteral("Opérations"),
                              QStringLiteral("Paramètres"), QStringLiteral("Génération Fichier")}));
        QCOMPARE(lu(pages->tabText(pages->currentIndex())), QStringLiteral("Opérations"));

        auto captions = [pages](int page) {
            QStringList result;
            for (QToolButton* b : pages->widget(page)->findChildren<QToolButton*>()) {
                result.append(lu(b->text()));
            }
            return result;
        };
        QCOMPARE(captions(0),
                 QStringList({"Identification et Informations Ese", "Informations Groupe Ese"}));
        QCOMPARE(captions(1), QStringList({"Montant Transcation", "Informations Prets et Emprunts",
                                           QStringLiteral("Opérations sans Contre Partie"),
                                           QStringLiteral("Opérations avec accord préalable ou "
                                                          "rescrits fiscaux")}));
        QCOMPARE(captions(2), QStringList({QStringLiteral("Sociétés"), "Devises",
                                           QStringLiteral("Etats Térritorial"), "Initialisation",
                                           "Sauvegarde", "Restauration"}));
        QCOMPARE(captions(3), QStringList({QStringLiteral("Génération Fichier")}));
        QCOMPARE(commande(&main, "Montant Transcation")->toolTip(),
                 QStringLiteral("Montant Transactions et Méthodes de détermination du Prix de "
                                "Transfert"));
        QCOMPARE(commande(&main, QStringLiteral("Opérations sans Contre Partie"))->toolTip(),
                 QStringLiteral("Opérations sans Contre Partie ou avec contre partie non "
                                "monétaire"));
        QVERIFY(commande(&main, QStringLiteral("Aller vers Ecran Précédant")));
        QCOMPARE(commande(&main, QStringLiteral("Aller vers Ecran Suivant"))->toolTip(),
                 QStringLiteral("Aller vers Ecran Suivant"));
        QCOMPARE(commande(&main, QStringLiteral("Calculatrice"))->toolTip(),
                 QStringLiteral("Calculatrice"));
        QVERIFY(commande(&main, QStringLiteral("Quitter")));

        // Every page and every command has its Alt+letter. The letters of the pages and of
        // "Quitter" are always live, those of a page's commands while the page is shown: no
        // letter may serve twice at the same time.
        QStringList toujours{mnemonique(commande(&main, QStringLiteral("Quitter"))->text())};
        for (int i = 0; i < pages->count(); ++i) {
            toujours.append(mnemonique(pages->tabText(i)));
        }
        QVERIFY(!toujours.contains(QString()));
        QCOMPARE(QSet<QString>(toujours.begin(), toujours.end()).size(), toujours.size());
        for (int i = 0; i < pages->count(); ++i) {
            QStringList lettres = toujours;
            for (QToolButton* b : pages->widget(i)->findChildren<QToolButton*>()) {
                QVERIFY2(!mnemonique(b->text()).isEmpty(), qPrintable(b->text()));
                // Screen readers and tests read the caption without its marker.
                QCOMPARE(b->accessibleName(), lu(b->text()));
                lettres.append(mnemonique(b->text()));
            }
            QCOMPARE(QSet<QString>(lettres.begin(), lettres.end()).size(), lettres.size());
        }
        QVERIFY(commande(&main, QStringLiteral("Montant Transcation"))->isEnabled());
        QVERIFY(commande(&main, QStringLiteral("Devises"))->isEnabled());
        QVERIFY(commande(&main, QStringLiteral("Etats Térritorial"))->isEnabled());
        QVERIFY(commande(&main, QStringLiteral("Identification et Informations Ese"))->isEnabled());
        QVERIFY(commande(&main, QStringLiteral("Sociétés"))->isEnabled());
        QVERIFY(commande(&main, QStringLiteral("Génération Fichier"))->isEnabled());
        auto* legende = main.findChild<QLabel*>(QStringLiteral("LabelSocieteActive"));
        QCOMPARE(legende->text(), QStringLiteral("Société Active"));
        QCOMPARE(main.libelleSocieteActive(), QStringLiteral("Societeactive"));
        QVERIFY(!main.panneauScript()->isVisibleTo(&main));
        // Creating the frame touches no table.
        QVERIFY(boxes.isEmpty());
    }

    void selectingAtStartNamesTheCompanyInTheLabel() {
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2021, "  ALPHA SA  ");
        database.addCompany("7654321", "B", 2022, "BETA");
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        QVERIFY(boxes.isEmpty());
        TfRMMAIN* main = desktop.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QPointer<Tfrmsocietes> liste = listeOuverte(main);
        QVERIFY(liste);
        QVERIFY(main->zoneFenetres()->activeSubWindow()->isMaximized());
        QCOMPARE(liste->grille()->model()->rowCount(), 2);
        // The first row is the active company as soon as the list shows it.
        QCOMPARE(main->libelleSocieteActive(),
                 QStringLiteral("ALPHA SA   1234567A  Exercice: 2021"));
        doubleCliquer(liste, 1);
        QCOMPARE(main->libelleSocieteActive(), QStringLiteral("BETA   7654321B  Exercice: 2022"));
        flushDeletions();
        QVERIFY(liste.isNull());
        liste = main->ouvrirListeSocietes();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        doubleCliquer(liste, 0);
        QCOMPARE(main->libelleSocieteActive(),
                 QStringLiteral("ALPHA SA   1234567A  Exercice: 2021"));
        QCOMPARE(main->contexte().IdentifiantComplet, QStringLiteral("1234567A"));
        flushDeletions();
        QVERIFY(liste.isNull());
        QVERIFY(main->zoneFenetres()->subWindowList().isEmpty());

        // "Sociétés" opens the list in management mode: a double click no longer selects.
        commande(main, QStringLiteral("Sociétés"))->click();
        QCOMPARE(main->contexte().ModeSocietes, 2);
        liste = listeOuverte(main);
        QVERIFY(liste);
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        doubleCliquer(liste, 1);
        flushDeletions();
        QVERIFY(!liste.isNull());
        // There it opens the identification window on the company, which "Annuler" closes.
        auto* identification =
            qobject_cast<Tfrmparamsociete*>(main->zoneFenetres()->activeSubWindow()->widget());
        QVERIFY(identification);
        QCOMPARE(main->contexte().ModeSocietes, 2);
        identification->BtnAnnulerClick();
        flushDeletions();
        // The row it made current is the company every window and the generation work on:
        // the label names it, and so does the generation dialog.
        QCOMPARE(main->libelleSocieteActive(), QStringLiteral("BETA   7654321B  Exercice: 2022"));
        QCOMPARE(main->contexte().IdentifiantComplet, QStringLiteral("7654321B"));
        QString nommee;
        whenModalOpens([&nommee](QWidget* modal) {
            auto* dialogue = qobject_cast<Tfrmgeneration*>(modal);
            QVERIFY(dialogue);
            nommee = dialogue->LabelSociete()->text();
            dialogue->reject();
        });
        commande(main, QStringLiteral("Génération Fichier"))->click();
        QCOMPARE(nommee, QStringLiteral("Société : BETA   7654321B  Exercice: 2022\n"
                                        "Fichier : FDPT-7654321B-2022.xml"));

        // A second list, closed, brings the first back maximised.
        commande(main, QStringLiteral("Sociétés"))->click();
        QCOMPARE(main->zoneFenetres()->subWindowList().size(), 2);
        QCOMPARE(main->contexte().ModeSocietes, 2);
        QPointer<Tfrmsocietes> seconde = listeOuverte(main);
        QVERIFY(seconde && seconde != liste);
        QVERIFY(QTest::qWaitForWindowExposed(seconde));
        seconde->findChild<QPushButton*>(QStringLiteral("BtnFermer"))->click();
        flushDeletions();
        QVERIFY(seconde.isNull());
        QCOMPARE(main->zoneFenetres()->subWindowList().size(), 1);
        QCOMPARE(listeOuverte(main), liste.data());
        QVERIFY(main->zoneFenetres()->activeSubWindow()->isMaximized());
        // The same with the frame's own close box.
        commande(main, QStringLiteral("Sociétés"))->click();
        main->zoneFenetres()->activeSubWindow()->close();
        flushDeletions();
        QCOMPARE(listeOuverte(main), liste.data());
        QVERIFY(main->zoneFenetres()->activeSubWindow()->isMaximized());
        desktop.finish();
    }

    void everyCommandAnswersItsAltLetter() {
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2021, "ALPHA");
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        QApplication::setActiveWindow(main);
        QVERIFY(QTest::qWaitForWindowActive(main));
        QCOMPARE(main->zoneFenetres()->subWindowList().size(), 1);

        QTest::keyClick(main, Qt::Key_P, Qt::AltModifier);
        QCOMPARE(lu(main->pages()->tabText(main->pages()->currentIndex())),
                 QStringLiteral("Paramètres"));
        // A button's letter presses it the way a click does, released a moment later.
        QTest::keyClick(main, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(main->zoneFenetres()->subWindowList().size(), 2);
        QCOMPARE(main->contexte().ModeSocietes, 2);

        QTest::keyClick(main, Qt::Key_G, Qt::AltModifier);
        QCOMPARE(lu(main->pages()->tabText(main->pages()->currentIndex())),
                 QStringLiteral("Génération Fichier"));
        bool ouvert = false;
        whenModalOpens([&ouvert](QWidget* modal) {
            ouvert = qobject_cast<Tfrmgeneration*>(modal) != nullptr;
            modal->close();
        });
        QTest::keyClick(main, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(ouvert);

        QApplication::setActiveWindow(main);
        QVERIFY(QTest::qWaitForWindowActive(main));
        QTest::keyClick(main, Qt::Key_Q, Qt::AltModifier);
        QTRY_VERIFY(!main->isVisible());
        QVERIFY(boxes.isEmpty());
        desktop.finish();
    }

    void nextAndPreviousWindows() {
        TestDatabase database;
        QVERIFY(database.isValid());
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        QMdiArea* zone = main->zoneFenetres();
        QCOMPARE(zone->subWindowList().size(), 1);
        QMdiSubWindow* seule = zone->activeSubWindow();
        QVERIFY(seule);
        commande(main, QStringLiteral("Aller vers Ecran Suivant"))->click();
        QCOMPARE(zone->activeSubWindow(), seule);
        commande(main, QStringLiteral("Aller vers Ecran Précédant"))->click();
        QCOMPARE(zone->activeSubWindow(), seule);

        main->SocietesClick();
        QMdiSubWindow* deuxieme = zone->activeSubWindow();
        QVERIFY(deuxieme != seule);
        QVERIFY(deuxieme->isMaximized());
        main->EcranSuivantClick();
        QCOMPARE(zone->activeSubWindow(), seule);
        main->EcranPrecedantClick();
        QCOMPARE(zone->activeSubWindow(), deuxieme);

        // Closing a frame destroys its window, and a window that closes itself its frame.
        QPointer<QWidget> form = deuxieme->widget();
        deuxieme->close();
        flushDeletions();
        QVERIFY(form.isNull());
        QCOMPARE(zone->subWindowList().size(), 1);
        QPointer<QMdiSubWindow> frame = zone->subWindowList().first();
        frame->widget()->findChild<QPushButton*>(QStringLiteral("BtnFermer"))->click();
        flushDeletions();
        QVERIFY(frame.isNull());
        QVERIFY(zone->subWindowList().isEmpty());
        main->EcranSuivantClick();
        main->EcranPrecedantClick();
        desktop.finish();
    }

    void theReferenceCommandsOpenANewListEachTime() {
        TestDatabase database;
        QVERIFY(database.isValid());
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        QMdiArea* zone = main->zoneFenetres();
        // The new child window, when it opened maximised.
        const auto ouvrir = [&](const QString& texte) -> QWidget* {
            commande(main, texte)->click();
            QMdiSubWindow* active = zone->activeSubWindow();
            return active && active->isMaximized() ? active->widget() : nullptr;
        };
        QWidget* devises = ouvrir(QStringLiteral("Devises"));
        QVERIFY(qobject_cast<TFrmdevise*>(devises));
        QCOMPARE(devises->windowTitle(), QStringLiteral("Devises"));
        QWidget* etats = ouvrir(QStringLiteral("Etats Térritorial"));
        QVERIFY(qobject_cast<TFrmetatterritoire*>(etats));
        QCOMPARE(etats->windowTitle(), QStringLiteral("Etats Territorial"));
        QVERIFY(ouvrir(QStringLiteral("Devises")) != devises);
        QCOMPARE(zone->subWindowList().size(), 4);
        QVERIFY(desktop.dataModule()->devise->rowCount() > 0);
        QVERIFY(boxes.isEmpty());
        desktop.finish();
    }

    void theOperationsCommandsOpenANewWindowOnTheirPage() {
        TestDatabase database;
        QVERIFY(database.isValid());
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        QMdiArea* zone = main->zoneFenetres();
        const QStringList commandes = {
            QStringLiteral("Montant Transcation"), QStringLiteral("Informations Prets et Emprunts"),
            QStringLiteral("Opérations sans Contre Partie"),
            QStringLiteral("Opérations avec accord préalable ou rescrits fiscaux"),
            QStringLiteral("Montant Transcation")};
        QVector<TFrmoperations*> fenetres;
        for (const QString& texte : commandes) {
            commande(main, texte)->click();
            QMdiSubWindow* active = zone->activeSubWindow();
            QVERIFY(active && active->isMaximized());
            fenetres.append(qobject_cast<TFrmoperations*>(active->widget()));
            QVERIFY(fenetres.last());
        }
        for (int i = 0; i < fenetres.size(); ++i) {
            QCOMPARE(fenetres[i]->page(), i % 4 + 1);
        }
        QVERIFY(fenetres[4] != fenetres[0]);
        // The main window offers the import: "Import Excel" opens the wizard on the page's
        // dataset.
        bool assistant = false;
        whenModalOpens([&assistant, &fenetres](QWidget* modal) {
            auto* wizard = qobject_cast<AssistantImport*>(modal);
            QVERIFY(wizard);
            QCOMPARE(&wizard->cible(), fenetres[1]->dataset());
            assistant = true;
            wizard->reject();
        });
        QVERIFY(fenetres[1]->boutonImportExcel()->isEnabled());
        fenetres[1]->boutonImportExcel()->click();
        QVERIFY(assistant);
        QVERIFY(boxes.isEmpty());
        desktop.finish();
    }

    void aProblemOfTheCheckOpensItsPageAndLine() {
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2023, "ALPHA");
        database.addCompany("7654321", "B", 2023, "BETA");
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        flushDeletions();
        Dataset& societe = *Dataprix->societe;
        QVERIFY(societe.locate({"RAISONSOCIALE"}, {Value(u"BETA")}));
        Dataset& prets = *Dataprix->Empruntsprets;
        Dataprix->openForActiveCompany(prets);
        for (int i = 0; i < 3; ++i) {
            prets.append();
            prets.post();
        }
        // The list was made for BETA; ALPHA has become the active company since.
        QVERIFY(societe.locate({"RAISONSOCIALE"}, {Value(u"ALPHA")}));
        QWidget* fenetre =
            main->ouvrirEmplacement({DeclarationPage::PretsEmprunts, 2, QStringLiteral("DEVISE")},
                                    QStringLiteral("7654321B"), Value(2023));
        auto* operations = qobject_cast<TFrmoperations*>(fenetre);
        QVERIFY(operations);
        QCOMPARE(operations->page(), 2);
        QCOMPARE(Dataprix->identifiantComplet(), QStringLiteral("7654321B"));
        QCOMPARE(prets.value("LG").toInt(), 2);
        QVERIFY(QTest::qWaitForWindowActive(main));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("DEVISE"));

        auto* identification = qobject_cast<Tfrmparamsociete*>(main->ouvrirEmplacement(
            {DeclarationPage::AutresInformations, 0, QStringLiteral("AFFIRMATIONACCORDPREALABLE")},
            QStringLiteral("7654321B"), Value(2023)));
        QVERIFY(identification);
        QCOMPARE(identification->pages()->currentIndex(), 3);
        QVERIFY(boxes.isEmpty());
        desktop.finish();
    }

    // Every entry window opens ready to type: in its first field in tab order, or its list
    // where the list comes first (operations page 4).
    void everyEntryWindowOpensInItsFirstField() {
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2023, "ALPHA");
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        const auto focus = [main]() -> QString {
            QCoreApplication::processEvents();
            QWidget* w = QApplication::focusWidget();
            if (!w || !main->zoneFenetres()->activeSubWindow() ||
                !main->zoneFenetres()->activeSubWindow()->isAncestorOf(w)) {
                return QStringLiteral("(hors de la fenêtre)");
            }
            return w->objectName();
        };
        main->IdentificationEntrepriseClick();
        QCOMPARE(focus(), QStringLiteral("MFISCAL"));
        main->InformationsGroupeClick();
        QCOMPARE(focus(), QStringLiteral("MFISCALMERE"));
        for (int page = 1; page <= 3; ++page) {
            main->ouvrirOperations(page);
            QCOMPARE(focus(), QStringLiteral("MATRICULEFISCAL"));
        }
        main->ouvrirOperations(4);
        QCOMPARE(focus(), QStringLiteral("Liste"));
        main->DevisesClick();
        QCOMPARE(focus(), QStringLiteral("EditRecherche"));
        main->EtatsTerritorialClick();
        QCOMPARE(focus(), QStringLiteral("EditRecherche"));
        QVERIFY(boxes.isEmpty());
        desktop.finish();
    }

    void theGenerationCommandOpensTheDialogModally() {
        TestDatabase database;
        QVERIFY(database.isValid());
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        bool opened = false;
        whenModalOpens([&opened](QWidget* modal) {
            auto* dialogue = qobject_cast<Tfrmgeneration*>(modal);
            QVERIFY(dialogue);
            opened = true;
            dialogue->reject();
        });
        commande(desktop.mainWindow(), QStringLiteral("Génération Fichier"))->click();
        QVERIFY(opened);
        desktop.finish();
    }

    void theCalculatorSaysWhenMissingAndWhatItLookedFor() {
        const QByteArray path = qgetenv("PATH");
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toLocal8Bit());
        MessageBoxRecorder boxes;
        TfRMMAIN main;
        QVERIFY(TfRMMAIN::programmeCalculatrice().isEmpty());
        commande(&main, QStringLiteral("Calculatrice"))->click();
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Information),
                 QStringList{TfRMMAIN::messageSansCalculatrice()});
        QVERIFY(boxes.texts().first().startsWith(
            QStringLiteral("Aucune calculatrice n'est installée sur ce poste. Le programme a "
                           "cherché : gnome-calculator, kcalc, galculator, mate-calc, "
                           "qalculate-gtk, qalculate-qt et xcalc.")));

        // Found on the path, it starts and nothing is said.
        boxes.clear();
        QFile faux(empty.filePath(QStringLiteral("galculator")));
        QVERIFY(faux.open(QIODevice::WriteOnly));
        faux.write("#!/bin/sh\nexit 0\n");
        faux.close();
        faux.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(TfRMMAIN::programmeCalculatrice(), faux.fileName());
        commande(&main, QStringLiteral("Calculatrice"))->click();
        QVERIFY(boxes.isEmpty());
        qputenv("PATH", path);
    }

    void theAccessCodePromptSaysWhatItAsksFor() {
        MessageBoxRecorder boxes;
        TfRMMAIN main;
        for (const QString& commandeTexte :
             {QStringLiteral("Sauvegarde"), QStringLiteral("Restauration")}) {
            QString titre;
            QString demande;
            whenModalOpens([&](QWidget* modal) {
                auto* prompt = qobject_cast<TFrmMotPasse*>(modal);
                QVERIFY(prompt);
                titre = prompt->windowTitle();
                demande = prompt->demande();
                QVERIFY(prompt->findChild<QLabel*>(QStringLiteral("LabelDemande"))->isVisible());
                prompt->reject();
            });
            commande(&main, commandeTexte)->click();
            QCOMPARE(titre, commandeTexte);
            QVERIFY2(demande.contains(QStringLiteral("code d'accès de l'administrateur")),
                     qPrintable(demande));
        }
        QVERIFY(boxes.isEmpty());
    }

    void quitterClosesTheFrame() {
        TfRMMAIN main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        commande(&main, QStringLiteral("Quitter"))->click();
        QVERIFY(!main.isVisible());
    }

    void theDataModuleCommitsAtTheEnd() {
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2021, "ALPHA");
        MessageBoxRecorder boxes;
        {
            DesktopApplication desktop;
            desktop.start(database.iniPath());
            db::Statement effacer(desktop.dataModule()->IBTransaction1);
            effacer.prepare(QStringLiteral("delete from SOCIETE"));
            effacer.execute();
            QCOMPARE(database.count("select count(*) from SOCIETE"), 1);
        }
        QCOMPARE(database.count("select count(*) from SOCIETE"), 0);
        QVERIFY(boxes.isEmpty());
    }

    // Last: the whole run installs the French translations of Qt for the process.
    void quittingTheFirstStartEndsTheRun() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("work")));
        QVERIFY(QDir::setCurrent(root.filePath(QStringLiteral("work"))));
        qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
        qputenv("ARDOZ_SYSTEM_CONFIG_DIR", root.filePath(QStringLiteral("etc")).toUtf8());
        MessageBoxRecorder boxes;
        bool quitte = false;
        whenModalOpens([&quitte](QWidget* modal) {
            if (auto* dialogue = qobject_cast<TFrmPremiereUtilisation*>(modal)) {
                QTest::mouseClick(dialogue->boutonQuitter(), Qt::LeftButton);
                quitte = true;
            } else {
                modal->close();
            }
        });
        QCOMPARE(DesktopApplication::run(*qApp), 0);
        QVERIFY(quitte);
        QVERIFY(boxes.isEmpty());
        QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().cbegin(),
                             QApplication::topLevelWidgets().cend(),
                             [](QWidget* w) { return w->isVisible(); }));
        QVERIFY(QDir(root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries) ==
                QStringList{QStringLiteral("work")});
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
