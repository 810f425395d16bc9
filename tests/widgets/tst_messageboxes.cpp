#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "widgets/ContexteSocieteActive.h"
#include "widgets/MessageBoxes.h"
#include "widgets/PasswordEdit.h"
#include "widgets/PendingChanges.h"
#include "widgets/SearchEdit.h"
#include "widgets/TFrmMotPasse.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

class TestMessageBoxes : public QObject {
    Q_OBJECT

private slots:
    void pendingChangesAskOnlyAboutTheUsersOwnWork() {
        TestDatabase db;
        QVERIFY(db.isValid());
        db.addCompany("1234567", "A", 2023, "ALPHA");
        const std::unique_ptr<TDataprix> module = db.openModule();
        module->societe->open();
        Dataset& liens = *module->capitallie;
        module->openForActiveCompany(liens);
        MessageBoxRecorder boxes;
        const QString ligne = QStringLiteral("Voulez-vous enregistrer la ligne en cours ?");
        QCOMPARE(PendingChanges::questionModifications(),
                 QStringLiteral("Voulez-vous enregistrer les modifications ?"));

        // A new line that only the rules filled in (number, company, year) is no one's work.
        liens.append();
        QVERIFY(liens.holdsRuleValue("LG"));
        QVERIFY(!PendingChanges::holdsUserChanges(liens));
        QVERIFY(PendingChanges::settle(nullptr, liens, ligne));
        QVERIFY(boxes.isEmpty());
        QCOMPARE(liens.state(), DatasetState::Browse);
        QCOMPARE(liens.rowCount(), 0);

        // Once a field is filled in: Annuler stops, the line still being typed; Non drops it;
        // Oui sends it.
        liens.append();
        liens.setValue("RAISONSOCIALE", db::Value(u"Beta SA"));
        QVERIFY(PendingChanges::holdsUserChanges(liens));
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Annuler);
        QVERIFY(!PendingChanges::settle(nullptr, liens, ligne));
        QCOMPARE(boxes.texts(), QStringList({ligne}));
        QCOMPARE(liens.state(), DatasetState::Insert);
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Non);
        QVERIFY(PendingChanges::settle(nullptr, liens, ligne));
        QCOMPARE(liens.rowCount(), 0);
        liens.append();
        liens.setValue("RAISONSOCIALE", db::Value(u"Beta SA"));
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Oui);
        QVERIFY(PendingChanges::settle(nullptr, liens, ligne));
        QCOMPARE(db.count("select count(*) from CAPITALLIEE where RAISONSOCIALE = 'Beta SA'"), 1);

        // A line merely put into editing asks nothing and goes back to browsing.
        boxes.clear();
        liens.edit();
        QVERIFY(PendingChanges::settle(nullptr, liens));
        QCOMPARE(liens.state(), DatasetState::Browse);
        QVERIFY(boxes.isEmpty());

        // Oui on a record the data module refuses: the refusal is shown, the record stays
        // being edited and the command stops.
        Dataset& groupe = *module->INFOGROUPE;
        module->openForActiveCompany(groupe);
        groupe.append();
        groupe.setValue("RAISONSOCIALE", db::Value(u"Groupe"));
        QVERIFY(!PendingChanges::settle(nullptr, groupe));
        QCOMPARE(boxes.texts(),
                 QStringList({PendingChanges::questionModifications(),
                              QStringLiteral("Field 'AUTREMFISCAL' must have a value")}));
        QCOMPARE(groupe.state(), DatasetState::Insert);
        groupe.cancel();
    }

    void recorderTakesTheBoxesOverAndAnswersConfirmations() {
        MessageBoxRecorder recorder;
        MessageBoxes::showError(nullptr, QStringLiteral("Field 'MFISCAL' must have a value"));
        QVERIFY(MessageBoxes::confirm(nullptr,
                                      QStringLiteral("Voulez-vous supprimer la ligne en cours ?")));
        recorder.setConfirmAnswer(false);
        QVERIFY(!MessageBoxes::confirm(nullptr, QStringLiteral("Encore ?")));
        MessageBoxes::information(nullptr, QStringLiteral("Sql Exécuté"));
        QCOMPARE(recorder.texts(), QStringList({"Field 'MFISCAL' must have a value",
                                                "Voulez-vous supprimer la ligne en cours ?",
                                                "Encore ?", QStringLiteral("Sql Exécuté")}));
        QCOMPARE(recorder.texts(MessageBoxes::Kind::Error).size(), 1);
        QCOMPARE(recorder.texts(MessageBoxes::Kind::Confirmation).size(), 2);
        QCOMPARE(recorder.messages().last().kind, MessageBoxes::Kind::Information);
        recorder.setQuestionAnswer(MessageBoxes::Reponse::Annuler);
        QCOMPARE(MessageBoxes::question(nullptr, QStringLiteral("Enregistrer ?")),
                 MessageBoxes::Reponse::Annuler);
        QCOMPARE(recorder.messages().last().kind, MessageBoxes::Kind::Question);
    }

    void theBoxesShowTheirCaptionsAndButtons() {
        QVERIFY(!MessageBoxes::hasHook());
        // Each box is modal: read it while it is open, then close it with its own button.
        QString title;
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        auto read = [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            title = box->windowTitle();
            icon = box->icon();
            buttons.clear();
            for (QAbstractButton* b : box->buttons()) {
                buttons.append(b->text());
            }
            box->buttons().constLast()->click();
        };
        whenModalOpens(read);
        MessageBoxes::information(nullptr, QStringLiteral("Initialisation efféctuée"));
        QCOMPARE(title, QStringLiteral("Ardoz Prix de Transfert"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons, QStringList({"OK"}));

        whenModalOpens(read);
        MessageBoxes::showError(nullptr, QStringLiteral("erreur"));
        QCOMPARE(title, QStringLiteral("Ardoz Prix de Transfert"));
        QCOMPARE(icon, QMessageBox::Critical);

        whenModalOpens(read);
        const bool answer = MessageBoxes::confirm(nullptr, QStringLiteral("Voulez-vous ?"));
        QCOMPARE(title, QStringLiteral("Confirmation"));
        QCOMPARE(buttons.size(), 2);
        QVERIFY(buttons.contains(QStringLiteral("&Oui")));
        QVERIFY(buttons.contains(QStringLiteral("&Non")));
        Q_UNUSED(answer);

        // The three-way question: Esc answers Annuler.
        whenModalOpens([&](QWidget* modal) {
            title = modal->windowTitle();
            buttons.clear();
            for (QAbstractButton* b : qobject_cast<QMessageBox*>(modal)->buttons()) {
                buttons.append(b->text());
            }
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QCOMPARE(MessageBoxes::question(nullptr, QStringLiteral("Voulez-vous ?")),
                 MessageBoxes::Reponse::Annuler);
        QCOMPARE(title, QStringLiteral("Confirmation"));
        buttons.sort();
        QCOMPARE(buttons, QStringList({"&Annuler", "&Non", "&Oui"}));
    }

    void searchFieldTurnsLettersIntoCapitalsAsTyped() {
        SearchEdit edit;
        QSignalSpy changes(&edit, &QLineEdit::textChanged);
        QTest::keyClicks(&edit, QStringLiteral("ab'c "));
        QTest::sendKeyEvent(QTest::Press, &edit, Qt::Key_unknown, QStringLiteral("é"),
                            Qt::NoModifier);
        QTest::keyClicks(&edit, QStringLiteral("1"));
        QCOMPARE(edit.text(), QStringLiteral("AB'C É1"));
        // One change per keystroke, each already in capitals.
        QCOMPARE(changes.size(), 7);
        QCOMPARE(changes.first().first().toString(), QStringLiteral("A"));
        QCOMPARE(changes.at(1).first().toString(), QStringLiteral("AB"));
    }

    void passwordFieldShowsStars() {
        PasswordEdit edit;
        QCOMPARE(edit.echoMode(), QLineEdit::Password);
        QCOMPARE(edit.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &edit),
                 int(u'*'));
    }

    void passwordPromptAcceptsTheTrimmedAccessCodeOnly() {
        auto answer = [](const QString& text, bool ok) {
            whenModalOpens([text, ok](QWidget* modal) {
                auto* prompt = qobject_cast<TFrmMotPasse*>(modal);
                QVERIFY(prompt);
                QVERIFY(prompt->windowTitle().isEmpty());
                // The focus arrives once the prompt is active, which may take a moment under load.
                QTRY_COMPARE(QApplication::focusWidget(), prompt->champMotDePasse());
                QTest::keyClicks(prompt->champMotDePasse(), text);
                if (ok) {
                    QTest::keyClick(prompt->champMotDePasse(), Qt::Key_Return);
                } else {
                    prompt->findChild<QPushButton*>(QStringLiteral("BtnAnnuler"))->click();
                }
            });
        };
        answer(QStringLiteral("  quillhorn "), true);
        QVERIFY(TFrmMotPasse::demanderCodeAcces(nullptr));
        answer(QStringLiteral("Quillhorn"), true);
        QVERIFY(!TFrmMotPasse::demanderCodeAcces(nullptr));
        answer(QStringLiteral("quillhorn"), false);
        QVERIFY(!TFrmMotPasse::demanderCodeAcces(nullptr));
    }

    void passwordPromptFieldHasItsLabel() {
        TFrmMotPasse prompt;
        auto* label = prompt.findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Mot de Passe"));
        QCOMPARE(label->buddy(), prompt.champMotDePasse());
        QCOMPARE(prompt.champMotDePasse()->accessibleName(), QStringLiteral("Mot de Passe"));
        QVERIFY(prompt.findChild<QPushButton*>(QStringLiteral("BtnOk"))->isDefault());
        QCOMPARE(prompt.findChild<QPushButton*>(QStringLiteral("BtnAnnuler"))->text(),
                 QStringLiteral("Annuler"));
    }

    void contextStartsInSelectionModeWithTheInitialLabel() {
        ContexteSocieteActive contexte;
        QCOMPARE(contexte.ModeSocietes, 1);
        QCOMPARE(contexte.libelleSociete(), QStringLiteral("Societeactive"));
        QSignalSpy spy(&contexte, &ContexteSocieteActive::libelleSocieteChanged);
        contexte.setLibelleSociete(QStringLiteral("ALPHA"));
        QCOMPARE(spy.size(), 1);
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
