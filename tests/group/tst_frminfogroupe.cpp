#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "app/TfRMMAIN.h"
#include "group/Tfrminfogroupe.h"
#include "reference/TFrmterritoireSELECT.h"
#include "reference/TfrmSOCIETESESELECT.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"
#include "widgets/FormulaireSaisie.h"
#include "widgets/PageLignes.h"
#include "widgets/SearchEdit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using db::Value;

class TestFrmInfoGroupe : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    std::unique_ptr<TfRMMAIN> m_main;

    Dataset& groupe() { return *m_module->INFOGROUPE; }
    Dataset& societe() { return *m_module->societe; }
    static QLabel* libelleTerritoire(const PageLignes* page) {
        return Tfrminfogroupe::libelleTerritoire(page);
    }

    void choisirSociete(const QString& mfiscal, int exercice) {
        QVERIFY(societe().locate({"MFISCAL", "EXERCICE"}, {Value(mfiscal), Value(exercice)}));
    }

    /// What the main window's command "Informations Groupe Ese" opens.
    Tfrminfogroupe* ouvrir() { return m_main->InformationsGroupeClick(); }

    void executer(const QString& sql) {
        db::Statement statement(m_module->IBTransaction1);
        statement.prepare(sql);
        statement.execute();
        m_module->commitRetaining();
    }

    qint64 compter(const QString& table, const QString& condition) {
        return m_db->count(
            QStringLiteral("select count(*) from %1 where %2").arg(table, condition));
    }

    static void taper(FormulaireSaisie* formulaire, const QString& colonne, const QString& texte) {
        QWidget* controle = formulaire->controle(colonne);
        if (auto* liste = qobject_cast<QComboBox*>(controle)) {
            controle = liste->lineEdit();
        }
        QTest::keyClicks(controle, texte);
    }

    static void doubleCliquer(FormulaireSaisie* formulaire, const QString& colonne) {
        QWidget* controle = formulaire->controle(colonne);
        QTest::mouseDClick(controle, Qt::LeftButton, {}, controle->rect().center());
    }

    static QString affiche(FormulaireSaisie* formulaire, const QString& colonne) {
        return formulaire->controle<DBEdit>(colonne)->text();
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1111111", "A", 2023, "ALPHA");
        m_db->addCompany("1111111", "A", 2022, "ALPHA");
        m_db->addCompany("2222222", "B", 2023, "BETA");
        m_module = m_db->openModule();
        m_main = std::make_unique<TfRMMAIN>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        societe().open();
        choisirSociete("1111111", 2023);
    }
    void cleanup() {
        flushDeletions();
        m_main.reset();
        m_module.reset();
        m_db.reset();
    }

    void aCompanyWithoutGroupInformationGainsOneRowOnlyWhenSomethingWasTyped() {
        MessageBoxRecorder boxes;
        Tfrminfogroupe* f = ouvrir();
        QCOMPARE(f->pages()->currentWidget(), f->pageGroupe());
        QCOMPARE(societe().state(), DatasetState::Edit);
        QVERIFY(groupe().isEmpty());

        // Nothing typed: nothing written, nothing shown.
        f->boutonValider()->click();
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(groupe().state(), DatasetState::Browse);
        QCOMPARE(compter("INFORMATIONGROUPE", "1 = 1"), 0);

        taper(f->formulaireGroupe(), "AUTREMFISCAL", "MERE-01");
        taper(f->formulaireGroupe(), "DESCRIPTIONACTIVITE", "Distribution");
        // The pick opens on the code typed in the field, not yet sent to the record.
        taper(f->formulaireGroupe(), "ETATTERRITORIAL", "de");
        QString ouvertSur;
        whenModalOpens([&](QWidget* modal) {
            auto* pick = qobject_cast<TFrmterritoireSELECT*>(modal);
            QVERIFY(pick);
            ouvertSur = m_module->Etatterritorial->value("CODE").toText();
            QTest::keyClicks(pick->champFiltre(), "FR");
            pick->DBGrid1DblClick();
        });
        doubleCliquer(f->formulaireGroupe(), "ETATTERRITORIAL");
        QCOMPARE(ouvertSur, QStringLiteral("DE"));
        QCOMPARE(f->libelleTerritoire()->text(), QStringLiteral("France"));
        f->boutonValider()->click();
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(groupe().state(), DatasetState::Browse);
        QCOMPARE(compter("INFORMATIONGROUPE", "1 = 1"), 1);
        QCOMPARE(compter("INFORMATIONGROUPE",
                         "MFISCAL = '1111111A' and EXERCICE = 2023 and AUTREMFISCAL = 'MERE-01' "
                         "and ETATTERRITORIAL = 'FR'"),
                 1);
    }

    void fermerOnAnAssetPageAsksAboutWhatWasTypedOnTheGroupPage() {
        MessageBoxRecorder boxes;
        QPointer<Tfrminfogroupe> f = ouvrir();
        taper(f->formulaireGroupe(), "AUTREMFISCAL", "MERE-01");
        QCOMPARE(groupe().state(), DatasetState::Insert);
        f->pages()->setCurrentWidget(f->pageCorporels());
        // Annuler keeps the window, on the page of the record asked about.
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Annuler);
        f->pageCorporels()->boutonFermer()->click();
        flushDeletions();
        QVERIFY(f);
        QCOMPARE(f->pages()->currentWidget(), f->pageGroupe());
        QCOMPARE(groupe().state(), DatasetState::Insert);
        // Non drops what was typed.
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Non);
        f->pageCorporels()->boutonFermer()->click();
        flushDeletions();
        QCOMPARE(boxes.texts(), QStringList(2, QStringLiteral("Voulez-vous enregistrer les "
                                                              "modifications ?")));
        QVERIFY(f.isNull());
        QCOMPARE(groupe().state(), DatasetState::Browse);
        QVERIFY(groupe().isEmpty());
        QCOMPARE(compter("INFORMATIONGROUPE", "1 = 1"), 0);
        // The company record holds no change: it is back in browse mode.
        QCOMPARE(societe().state(), DatasetState::Browse);
    }

    void theRecordOfAnotherYearStaysApart() {
        executer(
            "insert into INFORMATIONGROUPE (MFISCAL, EXERCICE, AUTREMFISCAL, ETATTERRITORIAL) "
            "values ('1111111A', 2023, 'MERE-23', 'fr')");
        QPointer<Tfrminfogroupe> f = ouvrir();
        QCOMPARE(affiche(f->formulaireGroupe(), "AUTREMFISCAL"), QStringLiteral("MERE-23"));
        QCOMPARE(f->libelleTerritoire()->text(), QStringLiteral("France"));
        f->boutonFermer()->click();
        flushDeletions();

        choisirSociete("1111111", 2022);
        f = ouvrir();
        QVERIFY(groupe().isEmpty());
        QVERIFY(affiche(f->formulaireGroupe(), "AUTREMFISCAL").isEmpty());
        QVERIFY(f->libelleTerritoire()->text().isEmpty());
        taper(f->formulaireGroupe(), "AUTREMFISCAL", "MERE-22");
        f->boutonValider()->click();
        QCOMPARE(compter("INFORMATIONGROUPE", "EXERCICE = 2022 and AUTREMFISCAL = 'MERE-22'"), 1);
        QCOMPARE(compter("INFORMATIONGROUPE", "EXERCICE = 2023 and AUTREMFISCAL = 'MERE-23'"), 1);
    }

    void theCompanyPickFillsABrowsedLineOnlyWhenAChoiceIsMade() {
        executer(
            "insert into CAPITALLIEE (MFISCAL, EXERCICE, LG, MFISCALLIE, AUTREIDENTIFIANT, "
            "ETATTERRITOIRE, RAISONSOCIALE, QUALITE, AUTREQUALITE) values ('2222222B', 2021, 1, "
            "'4444444D', 'ID-44', 'DE', 'DELTA GMBH', '4', 'Filiale commune')");
        executer(
            "insert into LISTEACTIFINCORPOREL (MFISCAL, EXERCICE, LG, NATUREACTIF, "
            "MATRICULEFISCAL, TERRITOIRE, RAISONSOCIALE) values ('1111111A', 2023, 1, '02', "
            "'5555555E', 'FR', 'EPSILON')");
        MessageBoxRecorder boxes;
        Tfrminfogroupe* f = ouvrir();
        PageLignes* page = f->pageIncorporels();
        f->pages()->setCurrentWidget(page);
        Dataset& ligne = *page->dataset();
        QCOMPARE(libelleTerritoire(page)->text(), QStringLiteral("France"));

        whenModalOpens([](QWidget* modal) {
            QVERIFY(qobject_cast<TfrmSOCIETESESELECT*>(modal));
            modal->close();
        });
        doubleCliquer(page->formulaire(), "MATRICULEFISCAL");
        QCOMPARE(ligne.state(), DatasetState::Browse);
        QCOMPARE(ligne.value("MATRICULEFISCAL").toText(), QStringLiteral("5555555E"));

        whenModalOpens([](QWidget* modal) {
            auto* pick = qobject_cast<TfrmSOCIETESESELECT*>(modal);
            QVERIFY(pick);
            QCOMPARE(pick->grille()->model()->rowCount(), 1);
            pick->DBGrid1DblClick();
        });
        doubleCliquer(page->formulaire(), "MATRICULEFISCAL");
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(ligne.state(), DatasetState::Edit);
        QCOMPARE(ligne.value("MATRICULEFISCAL").toText(), QStringLiteral("4444444D"));
        QCOMPARE(ligne.value("AUTREIDENTIFIANT").toText(), QStringLiteral("ID-44"));
        QCOMPARE(ligne.value("TERRITOIRE").toText(), QStringLiteral("DE"));
        QCOMPARE(ligne.value("RAISONSOCIALE").toText(), QStringLiteral("DELTA GMBH"));
        QCOMPARE(ligne.value("QUALITE").toText(), QStringLiteral("4"));
        QCOMPARE(ligne.value("AUTREQUALITE").toText(), QStringLiteral("Filiale commune"));
        QCOMPARE(ligne.value("NATUREACTIF").toText(), QStringLiteral("02"));
        QCOMPARE(affiche(page->formulaire(), "RAISONSOCIALE"), QStringLiteral("DELTA GMBH"));
        // The name beside the territory names the code the line holds, whoever wrote it.
        QCOMPARE(libelleTerritoire(page)->text(), QStringLiteral("Allemagne"));
    }

    void aNewAssetLineIsNumberedAfterTheHighest() {
        for (const char* valeurs :
             {"'1111111A', 2023, 1", "'1111111A', 2023, 2", "'1111111A', 2023, 5",
              "'1111111A', 2022, 8", "'2222222B', 2023, 9"}) {
            executer(QStringLiteral("insert into LISTEACTIFINCORPOREL (MFISCAL, EXERCICE, LG, "
                                    "NATUREACTIF) values (%1, '01')")
                         .arg(QLatin1String(valeurs)));
        }
        MessageBoxRecorder boxes;
        Tfrminfogroupe* f = ouvrir();
        PageLignes* page = f->pageIncorporels();
        f->pages()->setCurrentWidget(page);
        QCOMPARE(page->dataset()->rowCount(), 3);
        page->boutonAjouter()->click();
        taper(page->formulaire(), "NATUREACTIF", "04");
        page->boutonValider()->click();
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.texts().join(u'\n')));
        QCOMPARE(page->dataset()->state(), DatasetState::Edit);
        QCOMPARE(page->dataset()->value("LG").toInt(), 6);
        QCOMPARE(
            compter("LISTEACTIFINCORPOREL",
                    "MFISCAL = '1111111A' and EXERCICE = 2023 and LG = 6 and NATUREACTIF = '04'"),
            1);
    }

    void anAssetLineWithoutNatureIsRefused() {
        MessageBoxRecorder boxes;
        Tfrminfogroupe* f = ouvrir();
        PageLignes* page = f->pageCorporels();
        f->pages()->setCurrentWidget(page);
        page->boutonAjouter()->click();
        taper(page->formulaire(), "MATRICULEFISCAL", "3333333C");
        page->boutonValider()->click();
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error),
                 QStringList{QStringLiteral("Field 'NATUREACTIF' must have a value")});
        QCOMPARE(page->dataset()->state(), DatasetState::Insert);
        QCOMPARE(page->dataset()->value("MATRICULEFISCAL").toText(), QStringLiteral("3333333C"));
        QCOMPARE(compter("LISTEACTIFCORPOREL", "1 = 1"), 0);
    }

    void effacerToutEmptiesOnlyItsOwnPageOfTheActiveCompanyAndYear() {
        const QString insertion =
            QStringLiteral("insert into %1 (MFISCAL, EXERCICE, LG, NATUREACTIF) values (%2, '01')");
        for (const char* table : {"LISTEACTIFINCORPOREL", "LISTEACTIFCORPOREL"}) {
            for (const char* valeurs : {"'1111111A', 2023, 1", "'1111111A', 2023, 2",
                                        "'1111111A', 2022, 1", "'2222222B', 2023, 1"}) {
                executer(insertion.arg(QLatin1String(table), QLatin1String(valeurs)));
            }
        }
        MessageBoxRecorder boxes;
        Tfrminfogroupe* f = ouvrir();
        const QString actif = QStringLiteral("MFISCAL = '1111111A' and EXERCICE = 2023");

        PageLignes* incorporels = f->pageIncorporels();
        f->pages()->setCurrentWidget(incorporels);
        incorporels->boutonEffacerTout()->click();
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Confirmation).last(),
                 QStringLiteral("Voulez-vous supprimer toute la liste de l'actif incorporel ?"));
        QCOMPARE(incorporels->dataset()->rowCount(), 0);
        QCOMPARE(f->pageCorporels()->dataset()->rowCount(), 2);
        // Gone for good at once, as every deletion.
        QCOMPARE(compter("LISTEACTIFINCORPOREL", actif), 0);
        QCOMPARE(compter("LISTEACTIFINCORPOREL", "1 = 1"), 2);
        QCOMPARE(compter("LISTEACTIFCORPOREL", "1 = 1"), 4);

        PageLignes* corporels = f->pageCorporels();
        f->pages()->setCurrentWidget(corporels);
        corporels->boutonEffacerTout()->click();
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Confirmation).last(),
                 QStringLiteral("Voulez-vous supprimer toute la liste de l'actif corporel ?"));
        QCOMPARE(corporels->dataset()->rowCount(), 0);
        QCOMPARE(compter("LISTEACTIFCORPOREL", actif), 0);
        QCOMPARE(compter("LISTEACTIFCORPOREL", "1 = 1"), 2);
        QCOMPARE(compter("LISTEACTIFINCORPOREL", "1 = 1"), 2);
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
    }

    void anUnsavedIdentificationChangeSurvivesTheClosing() {
        QPointer<Tfrminfogroupe> f = ouvrir();
        QCOMPARE(societe().state(), DatasetState::Edit);
        // What an identification window open beside this one writes before it is saved.
        societe().setValue("ADRESSE", Value(QStringLiteral("12 rue Neuve")));
        // The window's own close box.
        f->parentWidget()->close();
        flushDeletions();
        QVERIFY(f.isNull());
        QCOMPARE(societe().state(), DatasetState::Edit);
        QCOMPARE(societe().value("ADRESSE").toText(), QStringLiteral("12 rue Neuve"));
        QCOMPARE(compter("SOCIETE", "ADRESSE is not null"), 0);
    }
};

QTEST_MAIN(TestFrmInfoGroupe)
#include "tst_frminfogroupe.moc"
