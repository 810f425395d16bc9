#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/KeyboardNavigator.h"
#include "widgets/PageLignes.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>

using db::Value;

class TestPageLignes : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    std::unique_ptr<ServicesDeTest> m_services;

    Dataset& lignes() { return *m_module->capitallie; }

    std::unique_ptr<PageLignes> page(QWidget& fenetre) {
        DefinitionPageLignes def;
        def.dataset = &lignes();
        def.champs = {
            {{QStringLiteral("Matricule Fiscal")},
             QStringLiteral("MFISCALLIE"),
             GenreChamp::Texte,
             {},
             {},
             true},
            {{QStringLiteral("Raison Sociale:")},
             QStringLiteral("RAISONSOCIALE"),
             GenreChamp::Texte,
             {},
             {},
             true},
        };
        def.liste = {{QStringLiteral("M.Fiscal"), QStringLiteral("MFISCALLIE")},
                     {QStringLiteral("Raison Sociale"), QStringLiteral("RAISONSOCIALE")}};
        def.questionEffacerTout =
            QStringLiteral("Voulez-vous supprimer toutes les stés du capital lié ?");
        def.champAjouter = QStringLiteral("MFISCALLIE");
        auto* navigateur = new KeyboardNavigator(&fenetre);
        auto p = std::make_unique<PageLignes>(def, navigateur, &fenetre);
        p->charger();
        return p;
    }

    qint64 compter(const QString& condition) {
        return m_db->count(QStringLiteral("select count(*) from CAPITALLIEE where ") + condition);
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1111111", "A", 2023, "ALPHA");
        m_db->addCompany("1111111", "A", 2022, "ALPHA");
        m_module = m_db->openModule();
        m_services = std::make_unique<ServicesDeTest>();
        m_module->societe->open();
        QVERIFY(m_module->societe->locate({"EXERCICE"}, {Value(2023)}));
    }
    void cleanup() {
        m_services.reset();
        m_module.reset();
        m_db.reset();
    }

    void theCommandsGoThroughTheDatasetAndItsRules() {
        MessageBoxRecorder boxes;
        QWidget fenetre;
        auto p = page(fenetre);
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowActive(&fenetre));

        // "Valider" on an empty page sends a blank line numbered 1 and goes on editing it.
        p->boutonValider()->click();
        QCOMPARE(lignes().state(), DatasetState::Edit);
        QCOMPARE(lignes().value("LG").toInt(), 1);
        QCOMPARE(compter("MFISCAL = '1111111A' and EXERCICE = 2023 and LG = 1"), 1);

        // "Ajouter" twice: the first new line, blank but numbered, is sent when the second starts.
        p->boutonAjouter()->click();
        QCOMPARE(QApplication::focusWidget(), p->formulaire()->controle("MFISCALLIE"));
        p->boutonAjouter()->click();
        QCOMPARE(compter("LG = 2"), 1);
        QCOMPARE(lignes().value("LG").toInt(), 3);
        QTest::keyClicks(p->formulaire()->controle("MFISCALLIE"), "2222222B");
        p->boutonValider()->click();
        QCOMPARE(compter("LG = 3 and MFISCALLIE = '2222222B'"), 1);

        boxes.setConfirmAnswer(false);
        p->boutonSupprimer()->click();
        QCOMPARE(compter("MFISCAL = '1111111A'"), 3);
        boxes.setConfirmAnswer(true);
        p->boutonSupprimer()->click();
        QCOMPARE(compter("MFISCAL = '1111111A'"), 2);
        QCOMPARE(
            boxes.texts(MessageBoxes::Kind::Confirmation),
            QStringList(2, QStringLiteral("Voulez-vous supprimer l'enregistrement en cours ?")));
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
    }

    void effacerToutDeletesTheLinesThePageShowsAndCommitsAtOnce() {
        MessageBoxRecorder boxes;
        // A line of the same company for another year, and one of another company.
        m_module->societe->first();
        Dataset& ds = lignes();
        for (int exercice : {2022, 2023}) {
            QVERIFY(m_module->societe->locate({"EXERCICE"}, {Value(exercice)}));
            m_module->openForActiveCompany(ds);
            ds.append();
            ds.post();
        }
        db::Statement autre(m_module->IBTransaction1);
        autre.prepare(QStringLiteral(
            "insert into CAPITALLIEE (MFISCAL, EXERCICE, LG) values ('9999999Z', 2023, 1)"));
        autre.execute();
        m_module->commitRetaining();

        QWidget fenetre;
        auto p = page(fenetre);
        QCOMPARE(ds.rowCount(), 1);
        // The company's identifier changes while the page is open: the line added from then
        // on carries the new one, and the list shows both.
        Dataset& societe = *m_module->societe;
        societe.edit();
        societe.setValue("MFISCAL", QStringLiteral("1111112"));
        societe.post();
        p->boutonAjouter()->click();
        QTest::keyClicks(p->formulaire()->controle("MFISCALLIE"), "5555555E");
        p->boutonValider()->click();
        QCOMPARE(ds.rowCount(), 2);
        QCOMPARE(compter("MFISCAL = '1111112A' and MFISCALLIE = '5555555E'"), 1);

        boxes.setConfirmAnswer(false);
        p->boutonEffacerTout()->click();
        QCOMPARE(ds.rowCount(), 2);
        boxes.setConfirmAnswer(true);
        p->boutonEffacerTout()->click();
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Confirmation).last(),
                 QStringLiteral("Voulez-vous supprimer toutes les stés du capital lié ?"));
        QCOMPARE(ds.rowCount(), 0);
        QCOMPARE(ds.state(), DatasetState::Browse);
        // Both lines are gone for good, at once; the lines the page did not show stay.
        QCOMPARE(compter("EXERCICE = 2023 and MFISCAL in ('1111111A', '1111112A')"), 0);
        QCOMPARE(compter("MFISCAL = '1111111A' and EXERCICE = 2022"), 1);
        QCOMPARE(compter("MFISCAL = '9999999Z'"), 1);
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
    }

    void theTabKeyPassesOverTheCloseButton() {
        QWidget fenetre;
        auto p = page(fenetre);
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowActive(&fenetre));
        p->boutonEffacerTout()->setFocus();
        QTest::keyClick(p->boutonEffacerTout(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != p->boutonFermer());
        p->grille()->setFocus();
        QTest::keyClick(p->grille(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), p->boutonValider());
    }
};

QTEST_MAIN(TestPageLignes)
#include "tst_pagelignes.moc"
