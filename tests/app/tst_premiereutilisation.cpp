#include "MessageBoxRecorder.h"
#include "app/TFrmPremiereUtilisation.h"
#include "data/Configuration.h"
#include "data/DatabaseCreator.h"
#include "data/TDataprix.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using Choix = TFrmPremiereUtilisation::Choix;

// The first-start dialog on real widgets, writing real databases and CheminBase.ini files
// in the test's folders; the home folder is one of them.
class TestPremiereUtilisation : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;

    QString ini() const { return m_home.filePath(QStringLiteral("config/CheminBase.ini")); }

    /// Chooses @p choix, types @p dossier (unless null) and presses "Continuer".
    static void continuer(TFrmPremiereUtilisation& dialogue, Choix choix,
                          const QString& dossier = QString()) {
        QTest::mouseClick(dialogue.bouton(choix), Qt::LeftButton, {}, QPoint(5, 5));
        if (!dossier.isNull()) {
            // Typed as a whole: keyClicks() takes Latin-1 only.
            dialogue.champDossier(choix)->setText(dossier);
        }
        QTest::mouseClick(dialogue.boutonContinuer(), Qt::LeftButton);
    }

    static int societes(const QString& dossier) {
        TDataprix module;
        module.connectTo(QDir(dossier).filePath(QStringLiteral("TALMORIX.gdb")));
        module.societe->open();
        module.societe->fetchAll();
        return module.societe->rowCount();
    }

private slots:
    void initTestCase() { qputenv("HOME", m_home.path().toUtf8()); }
    void cleanup() { QFile::remove(ini()); }

    void theDialogOffersTheThreeChoicesAndProposesArdoz() {
        TFrmPremiereUtilisation dialogue(ini());
        dialogue.show();
        QCOMPARE(dialogue.windowTitle(), QStringLiteral("Première utilisation"));
        QCOMPARE(dialogue.bouton(Choix::BaseExistante)->text(),
                 QStringLiteral("Ouvrir une base existante…"));
        QCOMPARE(dialogue.bouton(Choix::BaseNeuve)->text(), QStringLiteral("Créer une base neuve"));
        QCOMPARE(dialogue.bouton(Choix::BaseDemonstration)->text(),
                 QStringLiteral("Créer une base de démonstration"));
        const QString propose = m_home.filePath(QStringLiteral("Ardoz"));
        QCOMPARE(dialogue.champDossier(Choix::BaseNeuve)->text(), propose);
        QCOMPARE(dialogue.champDossier(Choix::BaseDemonstration)->text(), propose);
        QCOMPARE(dialogue.champDossier(Choix::BaseNeuve)->accessibleName(),
                 QStringLiteral("Dossier de la base neuve"));
        // By keyboard: the focus starts on the choice made, the arrows change it.
        QVERIFY(QTest::qWaitForWindowActive(&dialogue));
        QCOMPARE(QApplication::focusWidget(), dialogue.bouton(Choix::BaseNeuve));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(dialogue.choix(), Choix::BaseDemonstration);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(dialogue.choix(), Choix::BaseNeuve);
        // Typing a folder chooses its button.
        QTest::keyClicks(dialogue.champDossier(Choix::BaseExistante), QStringLiteral("/x"));
        QCOMPARE(dialogue.choix(), Choix::BaseExistante);
    }

    void aNewDatabaseInTheProposedFolderIsWrittenToTheUsersFile() {
        MessageBoxRecorder boxes;
        TFrmPremiereUtilisation dialogue(ini());
        dialogue.show();
        continuer(dialogue, Choix::BaseNeuve);
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(dialogue.result(), int(QDialog::Accepted));
        const QString dossier = m_home.filePath(QStringLiteral("Ardoz"));
        QCOMPARE(societes(dossier), 0);
        // Read back by the program's own reader.
        const Configuration lue = Configuration::read(ini());
        QCOMPARE(lue.rep, dossier);
        QCOMPARE(lue.modelesExcel, dossier);
        QCOMPARE(lue.databaseName(), dossier + QStringLiteral("/TALMORIX.gdb"));

        // Once there, a new database is refused there and the existing one is left as it is.
        QFile::remove(ini());
        TFrmPremiereUtilisation encore(ini());
        encore.show();
        continuer(encore, Choix::BaseNeuve, QStringLiteral("~/Ardoz"));
        QCOMPARE(boxes.messages().size(), 1);
        QVERIFY2(boxes.texts().first().contains(QStringLiteral("existe déjà")),
                 qPrintable(boxes.texts().first()));
        QVERIFY(encore.isVisible());
        QVERIFY(!QFileInfo::exists(ini()));
        QCOMPARE(societes(dossier), 0);
    }

    void anExistingDatabaseIsFoundByItsFolderItsFileOrItsServer() {
        MessageBoxRecorder boxes;
        QTemporaryDir bases;
        const QString vide = bases.filePath(QStringLiteral("vide"));
        QVERIFY(QDir().mkpath(vide));
        TFrmPremiereUtilisation dialogue(ini());
        dialogue.show();
        continuer(dialogue, Choix::BaseExistante, vide);
        QCOMPARE(boxes.messages().size(), 1);
        QCOMPARE(boxes.messages().first().kind, MessageBoxes::Kind::Error);
        QVERIFY2(boxes.texts().first().contains(QStringLiteral("ne contient pas de base")),
                 qPrintable(boxes.texts().first()));
        QVERIFY(dialogue.isVisible());
        QVERIFY(!QFileInfo::exists(ini()));

        const QString dossier = bases.filePath(QStringLiteral("société"));
        DatabaseCreator::create(dossier);
        boxes.clear();
        continuer(dialogue, Choix::BaseExistante,
                  QDir(dossier).filePath(QStringLiteral("TALMORIX.gdb")));
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(dialogue.result(), int(QDialog::Accepted));
        QCOMPARE(Configuration::read(ini()).rep, dossier);

        // Only the server can say whether its database is there.
        QFile::remove(ini());
        TFrmPremiereUtilisation serveur(ini());
        serveur.show();
        continuer(serveur, Choix::BaseExistante, QStringLiteral("serveur:/srv/ardoz"));
        QVERIFY(boxes.isEmpty());
        QCOMPARE(serveur.result(), int(QDialog::Accepted));
        QCOMPARE(Configuration::read(ini()).databaseName(),
                 QStringLiteral("serveur:/srv/ardoz/TALMORIX.gdb"));
    }

    void aFolderThatCannotBeWrittenIsRefusedAndTheDialogStays() {
        MessageBoxRecorder boxes;
        QTemporaryDir bases;
        QFile fichier(bases.filePath(QStringLiteral("fichier")));
        QVERIFY(fichier.open(QIODevice::WriteOnly));
        fichier.close();
        TFrmPremiereUtilisation dialogue(ini());
        dialogue.show();
        // Beneath a file no folder can be made, whoever the account.
        continuer(dialogue, Choix::BaseDemonstration,
                  bases.filePath(QStringLiteral("fichier/base")));
        QCOMPARE(boxes.messages().size(), 1);
        QVERIFY2(boxes.texts().first().contains(QStringLiteral("ne peut pas être créé")),
                 qPrintable(boxes.texts().first()));
        QVERIFY(dialogue.isVisible());
        QVERIFY(!QFileInfo::exists(ini()));

        if (::geteuid() != 0) {
            const QString fermé = bases.filePath(QStringLiteral("fermé"));
            QVERIFY(QDir().mkpath(fermé));
            QVERIFY(QFile::setPermissions(fermé, QFile::ReadOwner | QFile::ExeOwner));
            boxes.clear();
            continuer(dialogue, Choix::BaseNeuve, fermé);
            QCOMPARE(boxes.messages().size(), 1);
            QVERIFY2(boxes.texts().first().contains(QStringLiteral("pas accessible en écriture")),
                     qPrintable(boxes.texts().first()));
            QVERIFY(dialogue.isVisible());
        }

        // A server's folder is not made here: the server refuses (nothing listens on port 1).
        boxes.clear();
        const QString courant = QDir::currentPath();
        QVERIFY(QDir::setCurrent(bases.path()));
        continuer(dialogue, Choix::BaseNeuve, QStringLiteral("127.0.0.1/1:/ardoz/base"));
        QDir::setCurrent(courant);
        QCOMPARE(boxes.messages().size(), 1);
        QVERIFY(dialogue.isVisible());
        QVERIFY(!QFileInfo::exists(ini()));
        for (const QString& dossier : {bases.path(), m_home.path()}) {
            QVERIFY(QDir(dossier).entryList({QStringLiteral("127*")}, QDir::AllEntries).isEmpty());
        }

        // Where CheminBase.ini cannot go, no database is made for it.
        TFrmPremiereUtilisation sansConfiguration(
            bases.filePath(QStringLiteral("fichier/config/CheminBase.ini")));
        sansConfiguration.show();
        boxes.clear();
        const QString dossier = bases.filePath(QStringLiteral("neuve"));
        continuer(sansConfiguration, Choix::BaseNeuve, dossier);
        QCOMPARE(boxes.messages().size(), 1);
        QVERIFY(sansConfiguration.isVisible());
        QVERIFY(!QFileInfo::exists(QDir(dossier).filePath(QStringLiteral("TALMORIX.gdb"))));
    }

    void escapeAndQuitterRejectTheDialog() {
        {
            TFrmPremiereUtilisation dialogue(ini());
            dialogue.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialogue));
            QTest::keyClick(&dialogue, Qt::Key_Escape);
            QCOMPARE(dialogue.result(), int(QDialog::Rejected));
            QVERIFY(!dialogue.isVisible());
        }
        MessageBoxRecorder boxes;
        TFrmPremiereUtilisation dialogue(ini());
        dialogue.champDossier(Choix::BaseNeuve)->setText(m_home.filePath(QStringLiteral("q")));
        dialogue.show();
        QTest::mouseClick(dialogue.boutonQuitter(), Qt::LeftButton);
        QCOMPARE(dialogue.result(), int(QDialog::Rejected));
        QVERIFY(!dialogue.isVisible());
        QVERIFY(boxes.isEmpty());
        QVERIFY(!QFileInfo::exists(ini()));
        QVERIFY(!QFileInfo::exists(m_home.filePath(QStringLiteral("q"))));
    }
};

QTEST_MAIN(TestPremiereUtilisation)
#include "tst_premiereutilisation.moc"
