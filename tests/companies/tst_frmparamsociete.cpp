#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "companies/Tfrmparamsociete.h"
#include "db/DatabaseError.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/FormulaireSaisie.h"
#include "widgets/PageLignes.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using db::Value;

class TestFrmParamSociete : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    std::unique_ptr<ServicesDeTest> m_services;

    Dataset& societe() { return *m_module->societe; }

    Tfrmparamsociete* modifier() {
        Tfrmparamsociete* w = Tfrmparamsociete::ouvrirModification(*m_services);
        QTest::qWaitForWindowExposed(w);
        return w;
    }

    static QPushButton* bouton(QWidget* page, const QString& texte) {
        for (auto* b : page->findChildren<QPushButton*>()) {
            if (b->text() == texte) {
                return b;
            }
        }
        return nullptr;
    }

    qint64 compter(const QString& sql) { return m_db->count(sql); }

    /// Types @p text into the field of @p colonne and leaves it.
    static void saisir(FormulaireSaisie* form, const QString& colonne, const QString& text) {
        QWidget* champ = form->controle(colonne);
        champ->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(champ)) {
            edit->selectAll();
        }
        if (text.isEmpty()) {
            QTest::keyClick(champ, Qt::Key_Delete);
        } else {
            QTest::keyClicks(champ, text);
        }
        QTest::keyClick(champ, Qt::Key_Tab);
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1234567", "A", 2023, "ALPHA");
        m_module = m_db->openModule();
        m_services = std::make_unique<ServicesDeTest>();
        societe().open();
    }
    void cleanup() {
        m_services.reset();
        flushDeletions();
        m_module.reset();
        m_db.reset();
    }

    void leavingTheIdentifierPadsItWithZeros() {
        MessageBoxRecorder boxes;
        Tfrmparamsociete* w = modifier();
        FormulaireSaisie* form = w->identification();
        const QList<QPair<QString, QString>> cas = {
            {"42", "0000042"}, {"", "0000000"}, {"12A4", "00012A4"}};
        for (const auto& [tape, attendu] : cas) {
            saisir(form, "MFISCAL", tape);
            QCOMPARE(societe().value("MFISCAL").toText(), attendu);
            QCOMPARE(form->controle<DBEdit>("MFISCAL")->text(), attendu);
        }
        QVERIFY(boxes.isEmpty());
    }

    void validerPostsTheRecordAndKeepsTheWindowOpen() {
        QPointer<Tfrmparamsociete> w = modifier();
        QCOMPARE(societe().state(), DatasetState::Edit);
        // Unchanged: posted again, committed, browse; typing puts it back into editing.
        bouton(w->pages()->widget(0), "Valider")->click();
        QCOMPARE(societe().state(), DatasetState::Browse);
        QVERIFY(w && w->isVisible());
        saisir(w->autresInformations(), "AFFIRMATIONACCORDPREALABLE", "O");
        QCOMPARE(societe().state(), DatasetState::Edit);
        bouton(w->pages()->widget(3), "Valider")->click();
        QCOMPARE(compter("select count(*) from SOCIETE where AFFIRMATIONACCORDPREALABLE = 'O'"), 1);
    }

    void aNewCompanyIsOneRowAndADuplicateKeyKeepsItBeingAdded() {
        MessageBoxRecorder boxes;
        Tfrmparamsociete* w = Tfrmparamsociete::ouvrirNouvelle(*m_services);
        QCOMPARE(societe().state(), DatasetState::Insert);
        QVERIFY(w->liensCapital()->dataset()->isEmpty());
        FormulaireSaisie* form = w->identification();
        saisir(form, "MFISCAL", "1234567");
        form->controle<DBComboBox>("CLE")->setFocus();
        QTest::keyClicks(form->controle("CLE"), "A");
        saisir(form, "EXERCICE", "2023");
        bouton(w->pages()->widget(0), "Valider")->click();
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error).size(), 1);
        QVERIFY(boxes.texts().first().contains("PRIMARY or UNIQUE KEY"));
        QCOMPARE(societe().state(), DatasetState::Insert);
        saisir(form, "EXERCICE", "2024");
        saisir(form, "RAISONSOCIALE", "ALPHA 2024");
        bouton(w->pages()->widget(0), "Valider")->click();
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(
            compter("select count(*) from SOCIETE where MFISCAL = '1234567' and EXERCICE = 2024 "
                    "and RAISONSOCIALE = 'ALPHA 2024' and TVA is null and ADRESSE is null"),
            1);
    }

    void ajouterAndModifierOpenNothingWhenTheRecordCannotBeEdited() {
        MessageBoxRecorder boxes;
        // A change of the current company that cannot be sent: "Ajouter" would have to send
        // it before starting the new record.
        societe().edit();
        societe().setValue("MFISCAL", Value());
        QVERIFY(!Tfrmparamsociete::ouvrirNouvelle(*m_services));
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error),
                 QStringList{QStringLiteral("Field 'MFISCAL' must have a value")});
        QVERIFY(m_services->zone().subWindowList().isEmpty());
        QCOMPARE(societe().state(), DatasetState::Edit);
        QCOMPARE(societe().rowCount(), 1);
        societe().cancel();

        // A company list that could not be read: nothing to modify.
        societe().close();
        boxes.clear();
        QVERIFY(!Tfrmparamsociete::ouvrirModification(*m_services));
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error).size(), 1);
        QVERIFY(m_services->zone().subWindowList().isEmpty());
        QCOMPARE(compter("select count(*) from SOCIETE where MFISCAL = '1234567'"), 1);
    }

    void openingSendsAStateRowBeingTypedElsewhereFirst() {
        MessageBoxRecorder boxes;
        Dataset& etats = *m_module->Etatterritorial;
        etats.open();
        etats.append();
        etats.setValue("CODE", QStringLiteral("QQ"));
        etats.setValue("PAYS", QStringLiteral("Quelque part"));
        modifier();
        QCOMPARE(etats.state(), DatasetState::Browse);
        QCOMPARE(compter("select count(*) from ETATTERRITORIAL where CODE = 'QQ'"), 1);
        QVERIFY(boxes.isEmpty());
    }

    void effacerToutOnANewCompanyDeletesTheLinesItsPagesShow() {
        MessageBoxRecorder boxes;
        Tfrmparamsociete* w = Tfrmparamsociete::ouvrirNouvelle(*m_services);
        FormulaireSaisie* form = w->identification();
        saisir(form, "MFISCAL", "7777777");
        form->controle<DBComboBox>("CLE")->setFocus();
        QTest::keyClicks(form->controle("CLE"), "B");
        saisir(form, "EXERCICE", "2023");
        bouton(w->pages()->widget(0), "Valider")->click();
        QCOMPARE(societe().state(), DatasetState::Browse);

        // The pages were loaded for the blank record; their lines take the company's values.
        const QString condition = QStringLiteral("where MFISCAL = '7777777B' and EXERCICE = 2023");
        for (PageLignes* page : {w->liensCapital(), w->capitalDeclarante()}) {
            w->pages()->setCurrentWidget(page);
            page->boutonAjouter()->click();
            QTest::keyClicks(page->formulaire()->controle("MFISCALLIE"), "5555555E");
            page->boutonValider()->click();
            const QString table = page->dataset()->table().name;
            QCOMPARE(compter("select count(*) from " + table + ' ' + condition), 1);
            page->boutonEffacerTout()->click();
            QVERIFY(page->dataset()->isEmpty());
            QCOMPARE(compter("select count(*) from " + table + ' ' + condition), 0);
        }
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
    }

    void aKeyChangeLeavesTheDetailRowsWithTheOldKey() {
        Dataset& liens = *m_module->capitallie;
        m_module->openForActiveCompany(liens);
        liens.append();
        liens.post();
        Tfrmparamsociete* w = modifier();
        QCOMPARE(w->liensCapital()->dataset()->rowCount(), 1);
        saisir(w->identification(), "EXERCICE", "2025");
        bouton(w->pages()->widget(0), "Valider")->click();
        QCOMPARE(compter("select count(*) from SOCIETE where EXERCICE = 2025"), 1);
        QCOMPARE(compter("select count(*) from CAPITALLIEE where MFISCAL = '1234567A' and "
                         "EXERCICE = 2023"),
                 1);
    }

    void fermerAsksAboutThePendingChange() {
        MessageBoxRecorder boxes;
        QPointer<Tfrmparamsociete> w = modifier();
        saisir(w->identification(), "ADRESSE", "Rue de Marseille");
        // Annuler keeps the window and what was typed.
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Annuler);
        bouton(w->pages()->widget(0), "fermer")->click();
        flushDeletions();
        QVERIFY(w);
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Voulez-vous enregistrer les "
                                                           "modifications ?")});
        QCOMPARE(societe().state(), DatasetState::Edit);
        QCOMPARE(compter("select count(*) from SOCIETE where ADRESSE is not null"), 0);
        QCOMPARE(w->identification()->controle<DBEdit>("ADRESSE")->text(),
                 QStringLiteral("Rue de Marseille"));
        bouton(w->pages()->widget(0), "Valider")->click();
        QCOMPARE(compter("select count(*) from SOCIETE where ADRESSE = 'Rue de Marseille'"), 1);
        // "Annuler" drops what was typed and closes.
        saisir(w->identification(), "ADRESSE", "Ailleurs");
        bouton(w->pages()->widget(0), "Annuler")->click();
        flushDeletions();
        QVERIFY(!w);
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(societe().value("ADRESSE").toText(), QStringLiteral("Rue de Marseille"));
    }

    void theNationalityPickNeedsTheRecordInEditing() {
        MessageBoxRecorder boxes;
        Tfrmparamsociete* w = modifier();
        bouton(w->pages()->widget(0), "Valider")->click();
        QCOMPARE(societe().state(), DatasetState::Browse);
        whenModalOpens([](QWidget* dialog) {
            auto* grille = dialog->findChild<QAbstractItemView*>();
            QVERIFY(grille);
            QTest::keyClick(grille, Qt::Key_Return);
        });
        QTest::mouseDClick(w->identification()->controle("NATIONALITE"), Qt::LeftButton);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error), QStringList({"Not in edit mode"}));
        QVERIFY(societe().value("NATIONALITE").isNull());
        QVERIFY(w->libelleNationalite()->text().isEmpty());
    }

    void theNamesAndMeaningsBesideTheCodesShowAtOpeningAndFollowTheTypedCode() {
        MessageBoxRecorder boxes;
        societe().edit();
        societe().setValue("NATIONALITE", QStringLiteral("TN"));
        societe().setValue("QUALITE", QStringLiteral("4"));
        societe().setValue("CODEACTE", QStringLiteral("0"));
        societe().setValue("TVA", QStringLiteral("A"));
        societe().post();
        Tfrmparamsociete* w = modifier();
        QCoreApplication::processEvents();
        FormulaireSaisie* f = w->identification();
        QCOMPARE(w->libelleNationalite()->text(), QStringLiteral("Tunisie"));
        QCOMPARE(f->signification("QUALITE")->text(), QStringLiteral("Entreprise filiale"));
        QCOMPARE(f->signification("CODEACTE")->text(), QStringLiteral("Initiale"));
        QCOMPARE(f->signification("TVA")->text(), QString());
        auto* nationalite = qobject_cast<QLineEdit*>(f->controle("NATIONALITE"));
        nationalite->setFocus();
        nationalite->selectAll();
        QTest::keyClicks(nationalite, "DE");
        QCOMPARE(w->libelleNationalite()->text(), QStringLiteral("Allemagne"));
        QTest::keyClick(nationalite, Qt::Key_Backspace);
        QTest::keyClicks(nationalite, "X");
        QCOMPARE(w->libelleNationalite()->text(), QString());
        QVERIFY(boxes.isEmpty());
    }

    void theCapitalPagesWorkOnTheActiveCompanyAndYear() {
        MessageBoxRecorder boxes;
        // Lines of the same company for another year, and of another company.
        m_db->addCompany("1234567", "A", 2022, "ALPHA");
        db::Statement autres(m_module->IBTransaction1);
        autres.prepare(QStringLiteral(
            "insert into CAPITALLIEE (MFISCAL, EXERCICE, LG) select :m, :e, 1 from RDB$DATABASE"));
        for (const auto& [m, e] :
             QList<QPair<QString, int>>{{"1234567A", 2022}, {"7654321B", 2023}}) {
            autres.setParam("m", m);
            autres.setParam("e", e);
            autres.execute();
        }
        m_module->commitRetaining();
        societe().open();
        QVERIFY(societe().locate({"EXERCICE"}, {Value(2023)}));

        Tfrmparamsociete* w = modifier();
        PageLignes* liens = w->liensCapital();
        QVERIFY(liens->dataset()->isEmpty());
        liens->boutonValider()->click();
        QCOMPARE(liens->dataset()->value("LG").toInt(), 1);
        QCOMPARE(liens->dataset()->state(), DatasetState::Edit);
        liens->boutonAjouter()->click();
        liens->boutonAjouter()->click();
        QCOMPARE(compter("select count(*) from CAPITALLIEE where MFISCAL = '1234567A' and "
                         "EXERCICE = 2023"),
                 2);
        liens->boutonEffacerTout()->click();
        QVERIFY(liens->dataset()->isEmpty());
        w->capitalDeclarante()->boutonValider()->click();
        QCOMPARE(compter("select count(*) from CAPITALLIEE"), 2);
        QCOMPARE(compter("select count(*) from CAPITALLIEE where MFISCAL = '1234567A' and "
                         "EXERCICE = 2023"),
                 0);
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
    }
};

QTEST_MAIN(TestFrmParamSociete)
#include "tst_frmparamsociete.moc"
