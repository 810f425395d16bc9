#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "app/TFrmSauvegarde.h"
#include "app/TfRMMAIN.h"
#include "widgets/TFrmMotPasse.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestSauvegarde : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;

    static void repondre(const QString& motDePasse, bool* ouvert) {
        whenModalOpens([motDePasse, ouvert](QWidget* modal) {
            auto* prompt = qobject_cast<TFrmMotPasse*>(modal);
            QVERIFY(prompt);
            prompt->champMotDePasse()->setText(motDePasse);
            // The backup dialog, if it opens, is closed at once and noted.
            whenModalOpens([ouvert](QWidget* suivant) {
                if (auto* dialogue = qobject_cast<TFrmSauvegarde*>(suivant)) {
                    *ouvert = true;
                    dialogue->reject();
                }
            });
            prompt->accept();
        });
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1234567", "A", 2023, "ALPHA");
        m_module = m_db->openModule();
        m_module->societe->open();
    }
    void cleanup() {
        m_module.reset();
        m_db.reset();
    }

    void backupAndRestoreOfTheDatabaseInUse() {
        QTemporaryDir dossier;
        MessageBoxRecorder boites;
        TFrmSauvegarde sauvegarde(TFrmSauvegarde::Mode::Sauvegarde);
        QVERIFY(sauvegarde.champFichier()->text().endsWith(QStringLiteral(".fbk")));
        const QString fichier = dossier.filePath(QStringLiteral("copie.fbk"));
        sauvegarde.champFichier()->setText(fichier);
        sauvegarde.boutonExecuter()->click();
        QCOMPARE(boites.texts(MessageBoxes::Kind::Information),
                 QStringList(QStringLiteral("Sauvegarde terminée : %1").arg(fichier)));
        QCOMPARE(sauvegarde.barreProgression()->value(), 100);

        boites.clear();
        TFrmSauvegarde restauration(TFrmSauvegarde::Mode::Restauration);
        restauration.champFichier()->setText(fichier);
        const QString nouvelle = dossier.filePath(QStringLiteral("nouvelle"));
        if (TestDatabase::serverMode()) {
            QDir().mkpath(nouvelle);
        }
        restauration.champDossier()->setText(TestDatabase::connectionName(nouvelle));
        restauration.boutonExecuter()->click();
        QCOMPARE(boites.texts(MessageBoxes::Kind::Error), QStringList());
        QVERIFY(boites.texts(MessageBoxes::Kind::Information)
                    .value(0)
                    .startsWith(QStringLiteral("Base restaurée")));
        db::Connection connexion;
        connexion.setDatabaseName(
            TestDatabase::connectionName(QDir(nouvelle).filePath(QStringLiteral("TALMORIX.gdb"))));
        connexion.setCredentials(TestDatabase::credentials());
        connexion.open();
        connexion.close();

        // Never over the database just made.
        boites.clear();
        restauration.boutonExecuter()->click();
        QCOMPARE(boites.texts(MessageBoxes::Kind::Error).size(), 1);
        QVERIFY(boites.texts(MessageBoxes::Kind::Error)
                    .constFirst()
                    .contains(QStringLiteral("existe déjà")));
        QCOMPARE(restauration.barreProgression()->value(), 0);
    }

    void theCommandsAskTheAccessCode() {
        TfRMMAIN main;
        bool ouvert = false;
        repondre(TFrmMotPasse::codeAcces(), &ouvert);
        main.SauvegardeClick();
        QVERIFY(ouvert);

        ouvert = false;
        repondre(QStringLiteral("faux"), &ouvert);
        main.RestaurationClick();
        QVERIFY(!ouvert);
    }
};

QTEST_MAIN(TestSauvegarde)
#include "tst_sauvegarde.moc"
