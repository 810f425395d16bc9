#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "app/TFrminitialisation.h"
#include "app/TfRMMAIN.h"
#include "widgets/TFrmMotPasse.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

using db::Value;

class TestAdministration : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;

    qint64 countInTransaction(const QString& sql) {
        db::Statement query(m_module->IBTransaction1);
        query.prepare(sql);
        query.execute();
        return query.fetch() ? query.row().at(0).toInt() : -1;
    }

    qint64 committedCompanies() { return m_db->count("select count(*) from SOCIETE"); }

    // Runs the initialisation dialog with @p motDePasse typed in its field, then OK.
    void initialiser(const QString& motDePasse) {
        TFrminitialisation dialogue;
        dialogue.show();
        QTest::keyClicks(dialogue.champMotDePasse(), motDePasse);
        dialogue.boutonOk()->click();
        QCOMPARE(dialogue.result(), int(QDialog::Accepted));
        QVERIFY(!dialogue.isVisible());
    }

    static void repondre(const QString& motDePasse) {
        whenModalOpens([motDePasse](QWidget* modal) {
            auto* prompt = qobject_cast<TFrmMotPasse*>(modal);
            QVERIFY(prompt);
            prompt->champMotDePasse()->setText(motDePasse);
            prompt->accept();
        });
    }

    static void executer(TfRMMAIN& main, const QString& script) {
        main.editeurScript()->setPlainText(script);
        main.panneauScript()->findChild<QPushButton*>(QStringLiteral("BtnExecuterScript"))->click();
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1234567", "A", 2021, "ALPHA");
        m_db->addCompany("7654321", "B", 2022, "BETA");
        m_module = m_db->openModule();
        m_module->societe->open();
    }
    void cleanup() {
        m_module.reset();
        m_db.reset();
    }

    void theInitialisationDialog() {
        TFrminitialisation dialogue;
        QCOMPARE(dialogue.windowTitle(), QStringLiteral("Initialisation"));
        QCOMPARE(dialogue.champMotDePasse()->echoMode(), QLineEdit::Password);
        QVERIFY(dialogue.boutonOk()->isDefault());
        auto* avertissement = dialogue.findChild<QLabel*>(QStringLiteral("LabelAvertissement"));
        QCOMPARE(avertissement->text(),
                 QStringLiteral("Cette Procedure efface toutes les données saisie, \nles données "
                                "ne seront plus récupérables."));
        auto* libelle = qobject_cast<QLabel*>(
            dialogue.findChildren<QLabel*>().constLast()->buddy() == dialogue.champMotDePasse()
                ? dialogue.findChildren<QLabel*>().constLast()
                : dialogue.findChildren<QLabel*>().constFirst());
        QCOMPARE(libelle->text(), QStringLiteral("Mot de Passe"));
        QCOMPARE(dialogue.champMotDePasse()->accessibleName(), QStringLiteral("Mot de Passe"));
    }

    void theAccessCodeOfTheInitialisationIsExact() {
        MessageBoxRecorder boxes;
        initialiser(QStringLiteral("quillhorn "));
        initialiser(QStringLiteral("QUILLHORN"));
        initialiser(QStringLiteral(" quillhorn"));
        QCOMPARE(boxes.texts(), QStringList(3, QStringLiteral("Mot de Passe Incorrect")));
        QCOMPARE(boxes.messages().first().kind, MessageBoxes::Kind::Information);
        QCOMPARE(countInTransaction("select count(*) from SOCIETE"), 2);
    }

    void cancelClosesTheDialogWithNoOtherEffect() {
        MessageBoxRecorder boxes;
        TFrminitialisation dialogue;
        dialogue.show();
        QTest::keyClicks(dialogue.champMotDePasse(), "quillhorn");
        QTest::keyClick(&dialogue, Qt::Key_Escape);
        QCOMPARE(dialogue.result(), int(QDialog::Rejected));
        QVERIFY(boxes.isEmpty());
        QCOMPARE(countInTransaction("select count(*) from SOCIETE"), 2);
    }

    void theInitialisationIsCommittedAtExit() {
        MessageBoxRecorder boxes;
        initialiser(QStringLiteral("quillhorn"));
        QCOMPARE(boxes.texts(), QStringList({QStringLiteral("Initialisation efféctuée")}));
        // Already seen inside the program, not yet committed.
        QCOMPARE(countInTransaction("select count(*) from SOCIETE"), 0);
        QCOMPARE(committedCompanies(), 2);
        m_module->societe->open();
        QCOMPARE(m_module->societe->rowCount(), 0);
        m_module.reset();
        QCOMPARE(committedCompanies(), 0);
    }

    void theInitialisationIsCommittedWithTheNextPost() {
        MessageBoxRecorder boxes;
        initialiser(QStringLiteral("quillhorn"));
        QCOMPARE(committedCompanies(), 2);
        Dataset& societe = *m_module->societe;
        societe.open();
        societe.append();
        societe.setValue("MFISCAL", Value(u"5555555"));
        societe.setValue("CLE", Value(u"E"));
        societe.setValue("EXERCICE", Value(2024));
        societe.post();
        QCOMPARE(committedCompanies(), 1);
        QCOMPARE(m_db->count("select count(*) from SOCIETE where MFISCAL = '5555555'"), 1);
    }

    void theInitialisationCommandOpensTheDialog() {
        MessageBoxRecorder boxes;
        TfRMMAIN main;
        whenModalOpens([](QWidget* modal) {
            auto* dialogue = qobject_cast<TFrminitialisation*>(modal);
            QVERIFY(dialogue);
            QTest::keyClicks(dialogue->champMotDePasse(), "quillhorn");
            QTest::keyClick(dialogue->champMotDePasse(), Qt::Key_Return);
        });
        main.InitialisationClick();
        QCOMPARE(boxes.texts(), QStringList({QStringLiteral("Initialisation efféctuée")}));
        QCOMPARE(countInTransaction("select count(*) from SOCIETE"), 0);
    }

    void theScriptPanelNeedsTheAccessCode() {
        MessageBoxRecorder boxes;
        TfRMMAIN main;
        main.show();
        QVERIFY(!main.panneauScript()->isVisible());
        QCOMPARE(main.panneauScript()->title(), QStringLiteral("Exécuter Un Script"));
        repondre(QStringLiteral("mauvais"));
        main.ScriptClick();
        QVERIFY(!main.panneauScript()->isVisible());
        repondre(QStringLiteral("quillhorn"));
        main.ScriptClick();
        QVERIFY(main.panneauScript()->isVisible());
        QVERIFY(boxes.isEmpty());
        main.panneauScript()->findChild<QPushButton*>(QStringLiteral("BtnFermerScript"))->click();
        QVERIFY(!main.panneauScript()->isVisible());
    }

    void aScriptRunsAndIsCommitted() {
        MessageBoxRecorder boxes;
        TfRMMAIN main;
        executer(main, QStringLiteral("update SOCIETE\nset ADRESSE = 'Rue du Lac'"));
        QCOMPARE(boxes.texts(), QStringList({QStringLiteral("Sql Exécuté")}));
        QCOMPARE(m_db->count("select count(*) from SOCIETE where ADRESSE = 'Rue du Lac'"), 2);
        boxes.clear();
        executer(main, QStringLiteral("select * from SOCIETE"));
        QCOMPARE(boxes.texts(), QStringList({QStringLiteral("Sql Exécuté")}));
    }

    void aRefusedScriptCommitsNothing() {
        MessageBoxRecorder boxes;
        TfRMMAIN main;
        // Work left pending in the transaction must stay pending after a refused script.
        {
            db::Statement pending(m_module->IBTransaction1);
            pending.prepare(QStringLiteral("delete from SOCIETE where MFISCAL = '7654321'"));
            pending.execute();
        }
        for (const QString& script :
             {QStringLiteral("updat SOCIETE set ADRESSE = 'x'"), QString(),
              QStringLiteral("update SOCIETE set ADRESSE = 'a'; update SOCIETE set ADRESSE = 'b'"),
              QStringLiteral("select * from TABLEINCONNUE")}) {
            boxes.clear();
            executer(main, script);
            QCOMPARE(boxes.messages().size(), 1);
            QCOMPARE(boxes.messages().first().kind, MessageBoxes::Kind::Error);
            QVERIFY(!boxes.texts().contains(QStringLiteral("Sql Exécuté")));
        }
        QCOMPARE(committedCompanies(), 2);
        QCOMPARE(countInTransaction("select count(*) from SOCIETE"), 1);
    }
};

QTEST_MAIN(TestAdministration)
#include "tst_administration.moc"
