#include "MessageBoxRecorder.h"
#include "ReferenceTestSupport.h"
#include "UiTestSupport.h"
#include "data/QueryDataset.h"
#include "reference/Choix.h"
#include "reference/TFRMDEVISESELECT.h"
#include "reference/TFrmterritoireSELECT.h"
#include "reference/TfrmSOCIETESESELECT.h"
#include "widgets/DBGrid.h"
#include "widgets/SearchEdit.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using db::Value;

class TestChoix : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    std::unique_ptr<ServicesDeTest> m_services;

    ContexteSocieteActive& contexte() { return m_services->contexte(); }

    static QStringList colonne(const Dataset& ds, const QString& field) {
        QStringList result;
        for (int i = 0; i < ds.rowCount(); ++i) {
            result.append(ds.valueAt(i, field).toText().trimmed());
        }
        return result;
    }

    /// Runs @p action on the pick dialog of type @p Dialogue once it is shown and active.
    template <typename Dialogue>
    static void quandOuvert(std::function<void(Dialogue*)> action) {
        whenModalOpens([action](QWidget* modal) {
            auto* dialogue = qobject_cast<Dialogue*>(modal);
            QVERIFY(dialogue);
            dialogue->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialogue));
            action(dialogue);
            // Whatever the action checked, the dialog does not outlive it.
            if (dialogue->isVisible()) {
                dialogue->close();
            }
        });
    }

    static void doubleCliquer(DBGrid* grid, int row) {
        const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }

    static void entree(DBGrid* grid) {
        grid->setFocus();
        QTest::keyPress(grid, Qt::Key_Return);
        QTest::keyRelease(grid, Qt::Key_Return);
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_module = m_db->openModule();
        m_services = std::make_unique<ServicesDeTest>();
    }
    void cleanup() {
        flushDeletions();
        m_services.reset();
        m_module.reset();
        m_db.reset();
    }

    void theStatePickHandsBackOnOkOnly() {
        MessageBoxRecorder boxes;
        Dataset& etats = *m_module->Etatterritorial;
        contexte().CodeChoisi = QStringLiteral("XX");
        contexte().LibelleChoisi = QStringLiteral("ancien");
        quandOuvert<TFrmterritoireSELECT>([&](TFrmterritoireSELECT* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Etat térritorial"));
            QCOMPARE(QApplication::focusWidget(), d->champFiltre());
            QCOMPARE(d->grille()->sortMark(), 0);
            QTest::keyClicks(d->champFiltre(), "n");
            QCOMPARE(d->champFiltre()->text(), QStringLiteral("N"));
            const int tn = colonne(etats, "CODE").indexOf("TN");
            QVERIFY(tn > 0);
            QCOMPARE(d->grille()->sortMark(), -1);
            doubleCliquer(d->grille(), tn);
            QVERIFY(!d->isVisible());
        });
        QVERIFY(Choix::etatTerritorial(*m_services, nullptr));
        QCOMPARE(contexte().CodeChoisi, QStringLiteral("TN"));
        QCOMPARE(contexte().LibelleChoisi, QStringLiteral("Tunisie"));
        // The filter stays in force on the shared dataset.
        QVERIFY(etats.sql().contains(QStringLiteral(":motif")));
        QCOMPARE(etats.param("motif").toText(), QStringLiteral("%N%"));

        // Enter released in the grid chooses as well; the list is read again when shown.
        quandOuvert<TFrmterritoireSELECT>([&](TFrmterritoireSELECT* d) {
            QCOMPARE(etats.valueAt(0, "CODE").toText(), QStringLiteral("AD"));
            QTest::keyClick(d->champFiltre(), Qt::Key_Down);
            QCOMPARE(QApplication::focusWidget(), d->grille());
            QTest::keyClick(d->grille(), Qt::Key_Down);
            entree(d->grille());
            QVERIFY(!d->isVisible());
        });
        QVERIFY(Choix::etatTerritorial(*m_services, nullptr));
        QCOMPARE(contexte().CodeChoisi, QStringLiteral("AE"));
        QCOMPARE(contexte().LibelleChoisi, QStringLiteral("Émirats arabes unis"));

        // The close box hands the current row back, but not as a choice.
        quandOuvert<TFrmterritoireSELECT>([&](TFrmterritoireSELECT* d) {
            QVERIFY(etats.locate({"CODE"}, {Value(u"FR")}));
            d->close();
        });
        QVERIFY(!Choix::etatTerritorial(*m_services, nullptr));
        QCOMPARE(contexte().CodeChoisi, QStringLiteral("FR"));
        QVERIFY(boxes.isEmpty());
    }

    // A pick opens on the row of the code its field holds, in any letter case; an unknown or
    // empty code leaves it on the first row.
    void aPickOpensOnTheRowOfTheFieldsValue() {
        MessageBoxRecorder boxes;
        Dataset& etats = *m_module->Etatterritorial;
        QString courant;
        quandOuvert<TFrmterritoireSELECT>(
            [&](TFrmterritoireSELECT*) { courant = etats.value("CODE").toText(); });
        QVERIFY(!Choix::etatTerritorial(*m_services, nullptr, QStringLiteral("tn")));
        QCOMPARE(courant, QStringLiteral("TN"));
        quandOuvert<TFrmterritoireSELECT>([&](TFrmterritoireSELECT* d) {
            courant = etats.value("CODE").toText();
            // The grid shows the row the dataset holds.
            QCOMPARE(d->grille()->currentIndex().row(), etats.currentIndex());
        });
        QVERIFY(!Choix::etatTerritorial(*m_services, nullptr, QStringLiteral("??")));
        QCOMPARE(courant, QStringLiteral("AD"));

        Dataset& devises = *m_module->devise;
        quandOuvert<TFRMDEVISESELECT>([&](TFRMDEVISESELECT* d) {
            courant = devises.value("DEVISE").toText();
            QCOMPARE(d->grille()->currentIndex().row(), devises.currentIndex());
        });
        QVERIFY(!Choix::devise(*m_services, nullptr, QStringLiteral("TND")));
        QCOMPARE(courant, QStringLiteral("TND"));

        m_db->execute(
            {"insert into CAPITALLIEE (MFISCAL, EXERCICE, LG, MFISCALLIE, RAISONSOCIALE) "
             "values ('1234567A', 2021, 1, '1111111B', 'BETA SA')",
             "insert into CAPITALLIEE (MFISCAL, EXERCICE, LG, MFISCALLIE, RAISONSOCIALE) "
             "values ('1234567A', 2021, 2, '2222222C', 'GAMMA SA')"});
        quandOuvert<TfrmSOCIETESESELECT>([&](TfrmSOCIETESESELECT* d) {
            courant = d->societes().value("RAISONSOCIALE").toText();
        });
        QVERIFY(!Choix::societeLiee(*m_services, nullptr, QStringLiteral("2222222C")));
        QCOMPARE(courant, QStringLiteral("GAMMA SA"));
        QVERIFY(boxes.isEmpty());
    }

    void aFilterWithoutMatchKeepsTheFocusAndChoosesNothing() {
        MessageBoxRecorder boxes;
        Dataset& etats = *m_module->Etatterritorial;
        bool restee = false;
        quandOuvert<TFrmterritoireSELECT>([&](TFrmterritoireSELECT* d) {
            QTest::keyClicks(d->champFiltre(), "'z");
            QCOMPARE(etats.rowCount(), 0);
            QCOMPARE(QApplication::focusWidget(), d->champFiltre());
            // A choice in an empty list is none: the dialog stays open.
            QTest::mouseDClick(d->grille()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
            entree(d->grille());
            d->findChild<QPushButton*>("BtnOk")->click();
            restee = d->isVisible();
            // Up on the (missing) first row goes back to the filter.
            QTest::keyClick(d->grille(), Qt::Key_Up);
            QCOMPARE(QApplication::focusWidget(), d->champFiltre());
            // "_" is any one character; the quote was a character.
            d->champFiltre()->clear();
            QTest::keyClicks(d->champFiltre(), "t_");
            const QStringList codes = colonne(etats, "CODE");
            QVERIFY(codes.contains("TN"));
            QVERIFY(std::all_of(codes.begin(), codes.end(),
                                [](const QString& c) { return c.startsWith(u'T'); }));
            d->champFiltre()->setText(QStringLiteral("ZZ"));
        });
        QVERIFY(!Choix::etatTerritorial(*m_services, nullptr));
        QVERIFY(restee);
        QVERIFY(contexte().CodeChoisi.isEmpty());
        QVERIFY(boxes.isEmpty());
    }

    void theCurrencyPickHandsBackTheCodeAndDeletesAfterConfirmation() {
        MessageBoxRecorder boxes;
        Dataset& devise = *m_module->devise;
        contexte().LibelleChoisi = QStringLiteral("ancien");
        quandOuvert<TFRMDEVISESELECT>([&](TFRMDEVISESELECT* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Devises"));
            QVERIFY(!d->menuAjouter()->isEnabled() && !d->menuModifier()->isEnabled());
            QTest::keyClicks(d->champFiltre(), "tnd");
            QCOMPARE(colonne(devise, "DEVISE"), QStringList({"TND"}));
            entree(d->grille());
        });
        QVERIFY(Choix::devise(*m_services, nullptr));
        QCOMPARE(contexte().CodeChoisi, QStringLiteral("TND"));
        QVERIFY(contexte().LibelleChoisi.isEmpty());

        quandOuvert<TFRMDEVISESELECT>([&](TFRMDEVISESELECT* d) {
            QTest::keyClicks(d->champFiltre(), "tnd");
            boxes.setConfirmAnswer(false);
            d->menuSupprimer()->trigger();
            QCOMPARE(devise.rowCount(), 1);
            boxes.setConfirmAnswer(true);
            d->menuSupprimer()->trigger();
            QCOMPARE(devise.rowCount(), 0);
            QCOMPARE(QApplication::focusWidget(), d->champFiltre());
        });
        QVERIFY(!Choix::devise(*m_services, nullptr));
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Confirmation),
                 QStringList(2, QStringLiteral("Voulez-vous supprimer la ligne en cours ?")));
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
        QCOMPARE(m_db->count("select count(*) from DEVISE where DEVISE = 'TND'"), 0);
    }

    void aPickSendsTheRowBeingTypedInItsListFirstOrDoesNotOpen() {
        MessageBoxRecorder boxes;
        // The "Devises" window is adding a row to the shared list.
        Dataset& devise = *m_module->devise;
        devise.open();
        devise.append();
        devise.setValue("DEVISE", QStringLiteral("XYZ"));
        devise.setValue("LIBELLE", QStringLiteral("Zed"));
        bool listee = false;
        quandOuvert<TFRMDEVISESELECT>([&](TFRMDEVISESELECT* d) {
            listee = devise.lookup("DEVISE", Value(u"XYZ"), "LIBELLE").toText() == u"Zed";
            d->close();
        });
        QVERIFY(!Choix::devise(*m_services, nullptr));
        QVERIFY(listee);
        QCOMPARE(m_db->count("select count(*) from DEVISE where DEVISE = 'XYZ'"), 1);
        QVERIFY(boxes.isEmpty());

        // A row that cannot be sent: the pick does not open, the row stays as typed.
        devise.append();
        devise.setValue("LIBELLE", QStringLiteral("Sans code"));
        bool ouvert = false;
        QTimer garde;
        garde.setInterval(10);
        connect(&garde, &QTimer::timeout, [&ouvert] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ouvert = true;
                modal->close();
            }
        });
        garde.start();
        QVERIFY(!Choix::devise(*m_services, nullptr));
        garde.stop();
        QVERIFY(!ouvert);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error),
                 QStringList{QStringLiteral("Field 'DEVISE' must have a value")});
        QCOMPARE(devise.state(), DatasetState::Insert);
        QCOMPARE(devise.value("LIBELLE").toText(), QStringLiteral("Sans code"));
    }

    void theRelatedCompanyPickListsEachDistinctRowOnceAndFillsTheLine() {
        MessageBoxRecorder boxes;
        const QString colonnes = QStringLiteral(
            "(MFISCAL, EXERCICE, LG, MFISCALLIE, AUTREIDENTIFIANT, ETATTERRITOIRE, RAISONSOCIALE, "
            "QUALITE, AUTREQUALITE, POURCENTCAPITAL, POURVENVOTE) values ");
        const QString beta =
            QStringLiteral("'1111111B', null, 'FR', 'BETA SA', '2', 'filiale', 10, 10)");
        m_db->execute({
            // The same company recorded by two declarants and years, in both tables.
            "insert into CAPITALLIEE " + colonnes + "('1234567A', 2021, 1, " + beta,
            "insert into CAPITALLIEE " + colonnes + "('1234567A', 2022, 1, " + beta,
            "insert into CAPITALDECLARANTE " + colonnes + "('7654321B', 2021, 1, " + beta,
            // The same company with another share is another row.
            "insert into CAPITALLIEE " + colonnes +
                "('1234567A', 2021, 2, '1111111B', null, 'FR', 'BETA SA', '2', "
                "'filiale', 20, 20)",
            "insert into CAPITALDECLARANTE " + colonnes +
                "('1234567A', 2021, 1, null, 'DE-778', 'DE', 'ALPHA GMBH', '1', null, 51, 51)",
        });
        m_db->addCompany("1234567", "A", 2021, "DECLARANTE");
        m_module->societe->open();

        contexte().Indicateur = 3;
        quandOuvert<TfrmSOCIETESESELECT>([&](TfrmSOCIETESESELECT* d) {
            QAbstractItemModelTester tester(d->grille()->model(),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
            QCOMPARE(d->windowTitle(), QStringLiteral("Sociétés"));
            QCOMPARE(contexte().Indicateur, 0);
            QVERIFY(!d->champFiltre()->isVisible());
            QVERIFY(!d->menuSupprimer()->isEnabled());
            QCOMPARE(colonne(d->societes(), "RAISONSOCIALE"),
                     QStringList({"ALPHA GMBH", "BETA SA", "BETA SA"}));
            QCOMPARE(colonne(d->societes(), "POURCENTCAPITAL"),
                     QStringList({"51.00", "10.00", "20.00"}));
            QCOMPARE(d->grille()->sortMark(), 2);
            // Up on the first row keeps the focus in the grid.
            d->grille()->setFocus();
            QTest::keyClick(d->grille(), Qt::Key_Up);
            QCOMPARE(QApplication::focusWidget(), d->grille());
            QTest::keyClick(d->grille(), Qt::Key_Down);
            entree(d->grille());
        });
        const auto choisie = Choix::societeLiee(*m_services, nullptr);
        QCOMPARE(contexte().Indicateur, 1);
        QVERIFY(choisie.has_value());
        QCOMPARE(choisie->MFISCALLIE.toText(), QStringLiteral("1111111B"));
        QVERIFY(choisie->AUTREIDENTIFIANT.isNull());

        // Copied into a line that is only displayed (here none: a new line starts).
        Dataset& actifs = *m_module->actifincorporel;
        m_module->openForActiveCompany(actifs);
        Choix::copierSocieteLiee(actifs, *choisie, QStringLiteral("MATRICULEFISCAL"),
                                 QStringLiteral("TERRITOIRE"));
        QCOMPARE(actifs.state(), DatasetState::Insert);
        QCOMPARE(actifs.value("MATRICULEFISCAL").toText(), QStringLiteral("1111111B"));
        QCOMPARE(actifs.value("TERRITOIRE").toText(), QStringLiteral("FR"));
        QCOMPARE(actifs.value("RAISONSOCIALE").toText(), QStringLiteral("BETA SA"));
        QCOMPARE(actifs.value("QUALITE").toText(), QStringLiteral("2"));
        QCOMPARE(actifs.value("AUTREQUALITE").toText(), QStringLiteral("filiale"));
        QVERIFY(actifs.value("AUTREIDENTIFIANT").isNull());

        // "fermer" closes without a choice.
        quandOuvert<TfrmSOCIETESESELECT>(
            [&](TfrmSOCIETESESELECT* d) { d->findChild<QPushButton*>("BtnFermer")->click(); });
        QVERIFY(!Choix::societeLiee(*m_services, nullptr).has_value());
        QCOMPARE(contexte().Indicateur, 0);
        QVERIFY(boxes.isEmpty());
    }

    void aChoiceInAnEmptyRelatedCompanyListIsNone() {
        bool restee = false;
        quandOuvert<TfrmSOCIETESESELECT>([&](TfrmSOCIETESESELECT* d) {
            QCOMPARE(d->grille()->model()->rowCount(), 0);
            QTest::mouseDClick(d->grille()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
            entree(d->grille());
            restee = d->isVisible();
        });
        QVERIFY(!Choix::societeLiee(*m_services, nullptr).has_value());
        QVERIFY(restee);
        QCOMPARE(contexte().Indicateur, 0);
    }
};

QTEST_MAIN(TestChoix)
#include "tst_choix.moc"
