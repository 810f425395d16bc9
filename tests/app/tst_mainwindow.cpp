#include "UiTestSupport.h"
#include "app/DesktopApplication.h"
#include "app/TfRMMAIN.h"
#include "companies/Tfrmsocietes.h"
#include "declaration/Tfrmgeneration.h"
#include "widgets/ContexteSocieteActive.h"
#include "widgets/DBGrid.h"
#include "widgets/MessageBoxRecorder.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestMainWindow : public QObject {
    Q_OBJECT

    QString m_startFolder;

    static QToolButton* commande(TfRMMAIN* main, const QString& caption) {
        for (QToolButton* b : main->findChildren<QToolButton*>()) {
            if (b->text() == caption || b->accessibleName() == caption) {
                return b;
            }
        }
        return nullptr;
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
    void initTestCase() { m_startFolder = QDir::currentPath(); }
    void cleanup() {
        QDir::setCurrent(m_startFolder);
        flushDeletions();
    }

    void startingWithoutConfigurationShowsTheErrorAndAnEmptyList() {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("work")));
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
            titres.append(pages->tabText(i));
        }
        QCOMPARE(titres,
                 QStringList({"Identification Entreprise", QStringLiteral("Opérations"),
                              QStringLiteral("Paramètres"), QStringLiteral("Génération Fichier")}));
        QCOMPARE(pages->tabText(pages->currentIndex()), QStringLiteral("Opérations"));

        auto captions = [pages](int page) {
            QStringList result;
            for (QToolButton* b : pages->widget(page)->findChildren<QToolButton*>()) {
                result.append(b->text());
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
        // Commands without their window in this version are shown but cannot be used.
        QVERIFY(!commande(&main, QStringLiteral("Devises"))->isEnabled());
        QVERIFY(
            !commande(&main, QStringLiteral("Identification et Informations Ese"))->isEnabled());
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
        QCOMPARE(main->libelleSocieteActive(),
                 QStringLiteral("ALPHA SA   1234567A  Exercice: 2021"));
        commande(main, QStringLiteral("Sociétés"))->click();
        QCOMPARE(main->zoneFenetres()->subWindowList().size(), 2);
        QCOMPARE(main->contexte().ModeSocietes, 2);
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

    void theCalculatorIsSilentWhenMissing() {
        const QByteArray path = qgetenv("PATH");
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toLocal8Bit());
        MessageBoxRecorder boxes;
        TfRMMAIN main;
        QVERIFY(TfRMMAIN::programmeCalculatrice().isEmpty());
        commande(&main, QStringLiteral("Calculatrice"))->click();
        QVERIFY(boxes.isEmpty());
        qputenv("PATH", path);
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
            QCOMPARE(committedValue(database, "select count(*) from SOCIETE"), 1);
        }
        QCOMPARE(committedValue(database, "select count(*) from SOCIETE"), 0);
        QVERIFY(boxes.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
