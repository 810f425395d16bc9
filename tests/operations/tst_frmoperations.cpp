#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "data/CodeLists.h"
#include "operations/TFrmoperations.h"
#include "reference/TFrmChoix.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/FormulaireSaisie.h"
#include "widgets/SearchEdit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using db::Decimal;
using db::Value;

namespace {

Decimal dec(const char* text) {
    return *Decimal::parse(QString::fromLatin1(text));
}

/// Chooses the item of @p liste that begins with @p debut, as a click in the open list does.
void choisir(DBComboBox* liste, const QString& debut) {
    liste->setFocus();
    const int i = liste->findText(debut, Qt::MatchStartsWith);
    QVERIFY(i >= 0);
    liste->setCurrentIndex(i);
    emit liste->activated(i);
}

}  // namespace

class TestFrmoperations : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    std::unique_ptr<ServicesDeTest> m_services;

    /// Runs @p sql in the shared transaction and commits it.
    void executer(const QString& sql) {
        db::Statement statement(m_module->IBTransaction1);
        statement.prepare(sql);
        statement.execute();
        m_module->commitRetaining();
    }

    TFrmoperations* ouvrir(int indicateur) {
        m_services->contexte().Indicateur = indicateur;
        auto* fenetre = new TFrmoperations(*m_services);
        m_services->ouvrirFenetre(fenetre);
        return fenetre;
    }

    bool active() { return QTest::qWaitForWindowActive(&m_services->zone()); }

    qint64 compter(const QString& table, const QString& condition) {
        return m_db->count(
            QStringLiteral("select count(*) from %1 where %2").arg(table, condition));
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1111111", "A", 2023, "ALPHA");
        m_db->addCompany("1111111", "A", 2022, "ALPHA");
        m_db->addCompany("2222222", "B", 2023, "BETA");
        m_module = m_db->openModule();
        m_services = std::make_unique<ServicesDeTest>();
        m_module->societe->open();
        QVERIFY(
            m_module->societe->locate({"MFISCAL", "EXERCICE"}, {Value(u"1111111"), Value(2023)}));
    }
    void cleanup() {
        m_services.reset();
        m_module.reset();
        m_db.reset();
    }

    void opensOnTheIndicatedPageOnlyAndComesBackToIt() {
        MessageBoxRecorder boxes;
        TFrmoperations* fenetre = ouvrir(3);
        QTabWidget* onglets = fenetre->PageControl1();
        QCOMPARE(fenetre->page(), 3);
        QCOMPARE(onglets->currentIndex(), 2);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(onglets->isTabVisible(i), i == 2);
            QCOMPARE(onglets->isTabEnabled(i), i == 2);
        }
        QCOMPARE(
            fenetre->bandeau()->text(),
            QStringLiteral("Opérations sans contre partie ou avec contre partie non monétaire"));
        QCOMPARE(fenetre->dataset(), m_module->operationssanscontre);
        QCOMPARE(fenetre->dataset()->rowCount(), 0);

        // A line stored meanwhile, and the flag a related-company pick leaves in Indicateur:
        // choosing another tab brings page 3 back with its lines read again.
        executer(
            QStringLiteral("insert into OPERATIONSANSCONTRE (MFISCAL, EXERCICE, LG) "
                           "values ('1111111A', 2023, 1)"));
        m_services->contexte().Indicateur = 0;
        onglets->setCurrentIndex(0);
        QCOMPARE(onglets->currentIndex(), 2);
        QCOMPARE(fenetre->dataset()->rowCount(), 1);
        QVERIFY(boxes.isEmpty());
    }

    void validerOnAnEmptyPageSendsLineOne() {
        MessageBoxRecorder boxes;
        TFrmoperations* fenetre = ouvrir(1);
        fenetre->pageLignes()->boutonValider()->click();
        QCOMPARE(compter("OPERATIONSMONTANTS",
                         "MFISCAL = '1111111A' and EXERCICE = 2023 and "
                         "LG = 1 and ACHATS = 0 and VENTES = 0"),
                 1);
        QCOMPARE(fenetre->total1()->text(), QStringLiteral("0,000"));
        QCOMPARE(fenetre->total2()->text(), QStringLiteral("0,000"));
        QVERIFY(boxes.isEmpty());
    }

    void untouchedFieldsStayNullAndFieldsLeftBlankStoreNull() {
        MessageBoxRecorder boxes;
        TFrmoperations* fenetre = ouvrir(1);
        QVERIFY(active());
        FormulaireSaisie* formulaire = fenetre->pageLignes()->formulaire();
        QStringList colonnesSaisies;
        for (QWidget* controle : formulaire->controles()) {
            colonnesSaisies.append(controle->objectName());
        }
        // Through every field and back, without typing, then "Valider": only the rules write.
        formulaire->premier()->setFocus();
        for (int i = 0; i < colonnesSaisies.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        fenetre->pageLignes()->boutonValider()->click();
        const auto nulles = [&] {
            QStringList remplies;
            for (const QString& c : colonnesSaisies) {
                if (c != u"ACHATS" && c != u"VENTES" &&
                    compter("OPERATIONSMONTANTS", c + QStringLiteral(" is not null")) != 0) {
                    remplies.append(c);
                }
            }
            return remplies;
        };
        QCOMPARE(nulles(), QStringList());

        // Fields the user leaves with blanks only, or empties, are empty: null.
        const auto taper = [&](const char* colonne, const QString& texte) {
            QWidget* controle = formulaire->controle(QString::fromLatin1(colonne));
            controle->setFocus();
            if (auto* liste = qobject_cast<QComboBox*>(controle)) {
                controle = liste->lineEdit();
            }
            QTest::keyClicks(controle, texte);
        };
        taper("ETATTERRITORIAL", QStringLiteral(" "));
        taper("TYPEMONTANT", QStringLiteral(" "));
        taper("NATUREOPERATIONS", QStringLiteral(" "));
        taper("AUTREMETHODE", QStringLiteral("  "));
        taper("RAISONSOCIALE", QStringLiteral("X"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        fenetre->pageLignes()->boutonValider()->click();
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
        QCOMPARE(nulles(), QStringList());
    }

    void validerOnTheSecondOfFiveLinesRecomputesTheTotals() {
        MessageBoxRecorder boxes;
        for (int i = 1; i <= 5; ++i) {
            executer(QStringLiteral("insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, "
                                    "MATRICULEFISCAL, ACHATS, VENTES) values ('1111111A', 2023, "
                                    "%1, 'M%1', %2, %1)")
                         .arg(i)
                         .arg(QString::number(i * 100.5, 'f', 3)));
        }
        TFrmoperations* fenetre = ouvrir(1);
        QVERIFY(active());
        Dataset& ds = *fenetre->dataset();
        QCOMPARE(fenetre->total1()->text(), QStringLiteral("1 507,500"));
        QCOMPARE(fenetre->total2()->text(), QStringLiteral("15,000"));
        QCOMPARE(ds.currentIndex(), 0);

        ds.moveTo(1);
        auto* achats = fenetre->pageLignes()->formulaire()->controle<DBEdit>("ACHATS");
        achats->setFocus();
        achats->selectAll();
        QTest::keyClicks(achats, "1 000 000,001");
        fenetre->pageLignes()->boutonValider()->click();

        QCOMPARE(ds.currentIndex(), 4);
        QCOMPARE(ds.value("MATRICULEFISCAL").toText(), QStringLiteral("M5"));
        QCOMPARE(ds.state(), DatasetState::Browse);
        QCOMPARE(fenetre->total1()->text(), QStringLiteral("1 001 306,501"));
        QCOMPARE(fenetre->total2()->text(), QStringLiteral("15,000"));
        QCOMPARE(compter("OPERATIONSMONTANTS", "LG = 2 and ACHATS = 1000000.001"), 1);
        QVERIFY(boxes.isEmpty());
    }

    void page3KeepsTheSentLineAndAjouterSendsTheLineBefore() {
        MessageBoxRecorder boxes;
        executer(
            QStringLiteral("insert into OPERATIONSANSCONTRE (MFISCAL, EXERCICE, LG, "
                           "MATRICULEFISCAL) values ('1111111A', 2023, 1, 'A1')"));
        executer(
            QStringLiteral("insert into OPERATIONSANSCONTRE (MFISCAL, EXERCICE, LG, "
                           "MATRICULEFISCAL) values ('1111111A', 2023, 2, 'A2')"));
        TFrmoperations* fenetre = ouvrir(3);
        QVERIFY(active());
        PageLignes* page = fenetre->pageLignes();
        Dataset& ds = *fenetre->dataset();

        page->boutonValider()->click();
        QCOMPARE(ds.currentIndex(), 0);
        QCOMPARE(ds.state(), DatasetState::Edit);
        auto* raison = page->formulaire()->controle<DBEdit>("RAISONSOCIALE");
        raison->setFocus();
        QTest::keyClicks(raison, "SUITE");
        QCOMPARE(ds.state(), DatasetState::Edit);
        QCOMPARE(ds.rowCount(), 2);

        // Two "Ajouter" in a row: the changed line, then the first new line, blank but
        // numbered, are sent when the next line starts.
        page->boutonAjouter()->click();
        QCOMPARE(QApplication::focusWidget(), page->formulaire()->controle("MATRICULEFISCAL"));
        page->boutonAjouter()->click();
        QCOMPARE(compter("OPERATIONSANSCONTRE", "LG = 1 and RAISONSOCIALE = 'SUITE'"), 1);
        QCOMPARE(compter("OPERATIONSANSCONTRE", "LG = 3 and MATRICULEFISCAL is null"), 1);
        QCOMPARE(ds.state(), DatasetState::Insert);
        QCOMPARE(ds.value("LG").toInt(), 4);
        QVERIFY(boxes.isEmpty());
    }

    void theNatureFollowsTheAmountType() {
        MessageBoxRecorder boxes;
        executer(
            QStringLiteral("insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, "
                           "TYPEMONTANT, NATUREOPERATIONS) values ('1111111A', 2023, 1, '1', "
                           "'3')"));
        TFrmoperations* fenetre = ouvrir(1);
        QVERIFY(active());
        FormulaireSaisie* form = fenetre->pageLignes()->formulaire();
        Dataset& ds = *fenetre->dataset();
        auto* type = form->controle<DBComboBox>("TYPEMONTANT");
        auto* nature = form->controle<DBComboBox>("NATUREOPERATIONS");
        auto quitter = [form] { form->controle("RAISONSOCIALE")->setFocus(); };
        QCOMPARE(nature->items(), CodeLists::ListesNatureOperationInitiale());

        // Type 1, nature 3 changed to type 6: the nature is not one of type 6's.
        choisir(type, "6");
        quitter();
        QCOMPARE(nature->items(), CodeLists::ListesNatureOperation("6"));
        QVERIFY(ds.value("NATUREOPERATIONS").isNull());
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Information),
                 QStringList{TFrmoperations::avertissementNature()});

        // Changed to type 5 instead: nature 3 is one of type 5's.
        ds.cancel();
        choisir(type, "5");
        quitter();
        QCOMPARE(nature->items(), CodeLists::ListesNatureOperation("5"));
        QCOMPARE(ds.value("NATUREOPERATIONS").toText(), QStringLiteral("3"));

        // Type 7 has no nature list: nothing changes.
        choisir(type, "7");
        quitter();
        QCOMPARE(nature->items(), CodeLists::ListesNatureOperation("5"));
        QCOMPARE(ds.value("NATUREOPERATIONS").toText(), QStringLiteral("3"));
        QCOMPARE(boxes.messages().size(), 1);

        // A new line of type 3 with no nature yet: one warning, then a service nature.
        fenetre->pageLignes()->boutonAjouter()->click();
        choisir(type, "3");
        quitter();
        QCOMPARE(nature->items().size(), 5);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Information).size(), 2);
        choisir(nature, "4:Formation");
        QCOMPARE(ds.value("NATUREOPERATIONS").toText(), QStringLiteral("4"));
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
    }

    void theClosingBalanceIsComputedExactly() {
        MessageBoxRecorder boxes;
        executer(
            QStringLiteral("insert into OPERATIONPRETEMPRUNT (MFISCAL, EXERCICE, LG, "
                           "SOLDEOUVERTURE, AUGMENTATIONS) values ('1111111A', 2023, 1, "
                           "1000, 250.5)"));
        TFrmoperations* fenetre = ouvrir(2);
        QVERIFY(active());
        QCOMPARE(fenetre->pageLignes()->boutonValider()->text(), QStringLiteral("Vallider"));
        FormulaireSaisie* form = fenetre->pageLignes()->formulaire();
        Dataset& ds = *fenetre->dataset();
        auto* diminutions = form->controle<DBEdit>("DIMINUTIONS");
        auto* cloture = form->controle<DBEdit>("SOLDECLOTURE");

        // Passing through the fields of a displayed line changes nothing.
        diminutions->setFocus();
        QTest::keyClick(diminutions, Qt::Key_Return);
        QCOMPARE(ds.state(), DatasetState::Browse);

        fenetre->pageLignes()->boutonModifier()->click();
        diminutions->setFocus();
        QTest::keyClick(diminutions, Qt::Key_Return);
        QCOMPARE(ds.value("DIMINUTIONS").toDecimal(), Decimal::fromInt(0));
        QCOMPARE(ds.value("SOLDECLOTURE").toDecimal(), dec("1250.500"));

        // A typed closing balance is replaced when another balance field is left.
        cloture->setFocus();
        cloture->selectAll();
        QTest::keyClicks(cloture, "7");
        QTest::keyClick(cloture, Qt::Key_Return);
        QCOMPARE(ds.value("SOLDECLOTURE").toDecimal(), dec("7"));
        diminutions->setFocus();
        diminutions->selectAll();
        QTest::keyClicks(diminutions, "0,001");
        QTest::keyClick(diminutions, Qt::Key_Return);
        QCOMPARE(ds.value("SOLDECLOTURE").toDecimal(), dec("1250.499"));
        QCOMPARE(cloture->text(), QStringLiteral("1 250,499"));
        QVERIFY(boxes.isEmpty());
    }

    void theStatePickWritesIntoALineBeingModifiedOnly() {
        MessageBoxRecorder boxes;
        executer(
            QStringLiteral("insert into OPERATIONSANSCONTRE (MFISCAL, EXERCICE, LG, "
                           "ETATTERRITORIAL) values ('1111111A', 2023, 1, 'FR')"));
        TFrmoperations* fenetre = ouvrir(3);
        QVERIFY(active());
        Dataset& ds = *fenetre->dataset();
        QCOMPARE(fenetre->libelleTerritorial()->text(), QStringLiteral("France"));
        auto* etat = fenetre->pageLignes()->formulaire()->controle("ETATTERRITORIAL");
        auto choisirTunisie = [] {
            whenModalOpens([](QWidget* modal) {
                auto* dialogue = qobject_cast<TFrmChoix*>(modal);
                QVERIFY(dialogue);
                dialogue->champFiltre()->setText(QStringLiteral("TN"));
                dialogue->DBGrid1DblClick();
            });
        };

        // The line is only displayed: the dataset refuses the code.
        choisirTunisie();
        QTest::mouseDClick(etat, Qt::LeftButton);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error), QStringList{"Not in edit mode"});
        QCOMPARE(ds.state(), DatasetState::Browse);
        QCOMPARE(ds.value("ETATTERRITORIAL").toText(), QStringLiteral("FR"));
        QCOMPARE(fenetre->libelleTerritorial()->text(), QStringLiteral("France"));

        fenetre->pageLignes()->boutonModifier()->click();
        choisirTunisie();
        QTest::mouseDClick(etat, Qt::LeftButton);
        QCOMPARE(ds.value("ETATTERRITORIAL").toText(), QStringLiteral("TN"));
        QCOMPARE(fenetre->libelleTerritorial()->text(), QStringLiteral("Tunisie"));
        QCOMPARE(boxes.messages().size(), 1);
    }

    void theNamesBesideTheCodesFollowTheLineAndTheTypedCode() {
        MessageBoxRecorder boxes;
        executer(QStringLiteral(
            "insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, MATRICULEFISCAL, "
            "ETATTERRITORIAL, TYPEMONTANT, NATUREOPERATIONS, QUALITE) values "
            "('1111111A', 2023, 1, 'M1', 'DE', '3', '2', '4')"));
        executer(QStringLiteral(
            "insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, MATRICULEFISCAL, "
            "ETATTERRITORIAL, TYPEMONTANT, NATUREOPERATIONS, QUALITE) values "
            "('1111111A', 2023, 2, 'M2', 'TN', '1', '3', '1')"));
        TFrmoperations* fenetre = ouvrir(1);
        QVERIFY(active());
        QCoreApplication::processEvents();
        Dataset& ds = *fenetre->dataset();
        FormulaireSaisie* f = fenetre->pageLignes()->formulaire();
        QCOMPARE(fenetre->libelleTerritorial()->text(), QStringLiteral("Allemagne"));
        QCOMPARE(f->signification("QUALITE")->text(), QStringLiteral("Entreprise filiale"));
        QCOMPARE(f->signification("TYPEMONTANT")->text(), QStringLiteral("Service"));
        // The nature means what the list of the line's type says, whatever the field offers.
        QCOMPARE(f->signification("NATUREOPERATIONS")->text(),
                 QStringLiteral("Services techniques et rémunérations du travail intellectuel"));

        ds.next();
        QCoreApplication::processEvents();
        QCOMPARE(fenetre->libelleTerritorial()->text(), QStringLiteral("Tunisie"));
        QCOMPARE(f->signification("QUALITE")->text(), QStringLiteral("Entité mère ultime"));
        QCOMPARE(f->signification("NATUREOPERATIONS")->text(), QStringLiteral("marchandises"));

        // A typed code is named as it is typed; an unknown one has no name.
        fenetre->pageLignes()->boutonModifier()->click();
        auto* etat = f->controle<DBEdit>("ETATTERRITORIAL");
        etat->setFocus();
        etat->selectAll();
        QTest::keyClicks(etat, "fr");
        QCOMPARE(fenetre->libelleTerritorial()->text(), QStringLiteral("France"));
        QTest::keyClick(etat, Qt::Key_Backspace);
        QCOMPARE(fenetre->libelleTerritorial()->text(), QString());
        QTest::keyClicks(etat, "z");
        QCOMPARE(fenetre->libelleTerritorial()->text(), QString());
        auto* qualite = f->controle<DBComboBox>("QUALITE");
        choisir(qualite, QStringLiteral("5"));
        QCOMPARE(f->signification("QUALITE")->text(), QStringLiteral("Etablissement stable"));
        QVERIFY(boxes.isEmpty());

        // Lists whose items are their codes mean nothing more; a code that stands for a word
        // means that word.
        QCOMPARE(CodeLists::meaning(CodeLists::ListeCodeTVA(), QStringLiteral("A"), 1), QString());
        QCOMPARE(CodeLists::meaning(CodeLists::ListeCategorie(), QStringLiteral("M"), 1),
                 QString());
        QCOMPARE(CodeLists::meaning(CodeLists::ListeTypePretEmprunt(), QStringLiteral("E"), 1),
                 QStringLiteral("Emprunt"));
        QCOMPARE(CodeLists::meaning(CodeLists::ListeChangementMethode(), QStringLiteral("MPB "), 4),
                 QStringLiteral("Méthode du partage des bénéfices"));
        QCOMPARE(CodeLists::meaning(CodeLists::ListeQualite(), QStringLiteral("2"), 1),
                 QStringLiteral("Entité mère non ultime"));
        QCOMPARE(CodeLists::meaning(CodeLists::ListeQualite(), QStringLiteral("9"), 1), QString());
    }

    void theTotalsHaveVisibleCaptions() {
        const struct {
            int page;
            QString premier, second;
        } attendus[] = {
            {1, QStringLiteral("Total Achats"), QStringLiteral("Total Ventes")},
            {2, QStringLiteral("Total Augmentations"), QStringLiteral("Total Diminutions")},
        };
        for (const auto& attendu : attendus) {
            TFrmoperations* fenetre = ouvrir(attendu.page);
            QVERIFY(active());
            for (QLineEdit* total : {fenetre->total1(), fenetre->total2()}) {
                QLabel* legende = nullptr;
                for (QLabel* l : fenetre->findChildren<QLabel*>()) {
                    if (l->buddy() == total) {
                        legende = l;
                    }
                }
                QVERIFY(legende && legende->isVisible());
                QCOMPARE(legende->text(), total->accessibleName());
            }
            QCOMPARE(fenetre->total1()->accessibleName(), attendu.premier);
            QCOMPARE(fenetre->total2()->accessibleName(), attendu.second);
            fenetre->close();
            flushDeletions();
        }
    }

    void theTotalsFollowADeletion() {
        MessageBoxRecorder boxes;
        for (int i = 1; i <= 3; ++i) {
            executer(QStringLiteral("insert into OPERATIONPRETEMPRUNT (MFISCAL, EXERCICE, LG, "
                                    "MATRICULEFISCAL, AUGMENTATIONS, DIMINUTIONS) values "
                                    "('1111111A', 2023, %1, 'M%1', %1.25, %1)")
                         .arg(i * 10));
        }
        TFrmoperations* fenetre = ouvrir(2);
        QCOMPARE(fenetre->total1()->text(), QStringLiteral("60,750"));
        QCOMPARE(fenetre->total2()->text(), QStringLiteral("60,000"));
        fenetre->dataset()->moveTo(1);
        fenetre->pageLignes()->boutonSupprimer()->click();
        QCOMPARE(compter("OPERATIONPRETEMPRUNT", "LG = 20"), 0);
        QCOMPARE(fenetre->total1()->text(), QStringLiteral("40,500"));
        QCOMPARE(fenetre->total2()->text(), QStringLiteral("40,000"));
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("Voulez-vous supprimer l'enregistrement en cours ?")});
    }

    void effacerToutLeavesTheLinesOfOtherCompaniesAndYears() {
        MessageBoxRecorder boxes;
        executer(
            QStringLiteral("insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, ACHATS) "
                           "values ('1111111A', 2023, 1, 5)"));
        executer(
            QStringLiteral("insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, ACHATS) "
                           "values ('1111111A', 2023, 2, 7)"));
        executer(
            QStringLiteral("insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, ACHATS) "
                           "values ('1111111A', 2022, 1, 11)"));
        executer(
            QStringLiteral("insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, ACHATS) "
                           "values ('2222222B', 2023, 1, 13)"));
        TFrmoperations* fenetre = ouvrir(1);
        QCOMPARE(fenetre->total1()->text(), QStringLiteral("12,000"));
        fenetre->pageLignes()->boutonEffacerTout()->click();
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("Voulez-vous supprimer toute la liste des montants des "
                                            "transactions ?")});
        QCOMPARE(fenetre->dataset()->rowCount(), 0);
        QCOMPARE(fenetre->total1()->text(), QStringLiteral("0,000"));
        QCOMPARE(compter("OPERATIONSMONTANTS", "MFISCAL = '1111111A' and EXERCICE = 2023"), 0);
        QCOMPARE(compter("OPERATIONSMONTANTS", "MFISCAL = '1111111A' and EXERCICE = 2022"), 1);
        QCOMPARE(compter("OPERATIONSMONTANTS", "MFISCAL = '2222222B'"), 1);
    }

    void theSetUpSendsAStateRowBeingTypedElsewhereFirst() {
        MessageBoxRecorder boxes;
        // The "Etats Territorial" window is adding a row to the shared list.
        Dataset& etats = *m_module->Etatterritorial;
        etats.open();
        etats.append();
        etats.setValue("CODE", QStringLiteral("QQ"));
        etats.setValue("PAYS", QStringLiteral("Quelque part"));
        TFrmoperations* fenetre = ouvrir(1);
        QCOMPARE(etats.state(), DatasetState::Browse);
        QCOMPARE(m_db->count("select count(*) from ETATTERRITORIAL where CODE = 'QQ'"), 1);
        QVERIFY(boxes.isEmpty());
        fenetre->close();

        // A row that cannot be sent: said, kept as typed, and the page is set up all the same.
        executer(QStringLiteral(
            "insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG) values ('1111111A', 2023, 1)"));
        etats.append();
        etats.setValue("PAYS", QStringLiteral("Sans code"));
        fenetre = ouvrir(1);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error),
                 QStringList{QStringLiteral("Field 'CODE' must have a value")});
        QCOMPARE(etats.state(), DatasetState::Insert);
        QCOMPARE(etats.value("PAYS").toText(), QStringLiteral("Sans code"));
        QCOMPARE(fenetre->dataset()->rowCount(), 1);
        etats.cancel();
    }

    void effacerToutDeletesTheListedLinesForGoodAtOnce_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("table");
        QTest::newRow("montants") << 1 << QStringLiteral("OPERATIONSMONTANTS");
        QTest::newRow("prets") << 2 << QStringLiteral("OPERATIONPRETEMPRUNT");
        QTest::newRow("sans contrepartie") << 3 << QStringLiteral("OPERATIONSANSCONTRE");
        QTest::newRow("accords") << 4 << QStringLiteral("OPERATIONRESCRITFISCAUX");
    }

    void effacerToutDeletesTheListedLinesForGoodAtOnce() {
        QFETCH(int, page);
        QFETCH(QString, table);
        MessageBoxRecorder boxes;
        for (const char* valeurs :
             {"'1111111A', 2023, 1", "'1111111A', 2023, 2", "'2222222B', 2023, 1"}) {
            executer(QStringLiteral("insert into %1 (MFISCAL, EXERCICE, LG) values (%2)")
                         .arg(table, QLatin1String(valeurs)));
        }
        TFrmoperations* fenetre = ouvrir(page);
        QVERIFY(active());
        Dataset& ds = *fenetre->dataset();
        QCOMPARE(ds.rowCount(), 2);

        // The company's identifier changes while the window is open: a line added from then
        // on carries the new one, beside the two listed with the old one.
        Dataset& societe = *m_module->societe;
        societe.edit();
        societe.setValue("MFISCAL", QStringLiteral("1111119"));
        societe.post();
        fenetre->pageLignes()->boutonAjouter()->click();
        QTest::keyClicks(fenetre->pageLignes()->formulaire()->controle("MATRICULEFISCAL"),
                         "5555555E");
        fenetre->pageLignes()->boutonValider()->click();
        QCOMPARE(ds.rowCount(), 3);
        QCOMPARE(compter(table, "MFISCAL = '1111119A' and MATRICULEFISCAL = '5555555E'"), 1);

        fenetre->pageLignes()->boutonEffacerTout()->click();
        QCOMPARE(ds.rowCount(), 0);
        if (fenetre->total1()) {
            QCOMPARE(fenetre->total1()->text(), QStringLiteral("0,000"));
        }
        QCOMPARE(compter(table, "MFISCAL in ('1111111A', '1111119A')"), 0);
        QCOMPARE(compter(table, "MFISCAL = '2222222B'"), 1);
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
    }

    void closingWithALineBeingTypedAsksWhetherToSaveIt() {
        MessageBoxRecorder boxes;
        QPointer<TFrmoperations> fenetre = ouvrir(4);
        QVERIFY(active());
        Dataset& ds = *fenetre->dataset();
        auto taper = [&fenetre](const char* texte) {
            fenetre->pageLignes()->boutonAjouter()->click();
            QTest::keyClicks(fenetre->pageLignes()->formulaire()->controle("MATRICULEFISCAL"),
                             texte);
        };

        taper("ANNULER");
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Annuler);
        QVERIFY(!fenetre->close());
        QCOMPARE(ds.state(), DatasetState::Insert);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Question),
                 QStringList{TFrmoperations::questionFermeture()});

        boxes.setQuestionAnswer(MessageBoxes::Reponse::Non);
        QVERIFY(fenetre->close());
        flushDeletions();
        QVERIFY(!fenetre);
        QCOMPARE(ds.state(), DatasetState::Browse);
        QCOMPARE(ds.rowCount(), 0);

        fenetre = ouvrir(4);
        QVERIFY(active());
        taper("OUI");
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Oui);
        QVERIFY(fenetre->close());
        QCOMPARE(compter("OPERATIONRESCRITFISCAUX", "LG = 1 and MATRICULEFISCAL = 'OUI'"), 1);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Question).size(), 3);
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
    }
};

QTEST_MAIN(TestFrmoperations)
#include "tst_frmoperations.moc"
