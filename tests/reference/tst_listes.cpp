#include "MessageBoxRecorder.h"
#include "ReferenceTestSupport.h"
#include "UiTestSupport.h"
#include "reference/TFrmdevise.h"
#include "reference/TFrmetatterritoire.h"
#include "widgets/DBGrid.h"
#include "widgets/SearchEdit.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <algorithm>

class TestListesReference : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;

    static QStringList colonne(Dataset& ds, const QString& field) {
        ds.fetchAll();
        QStringList result;
        for (int i = 0; i < ds.rowCount(); ++i) {
            result.append(ds.valueAt(i, field).toText().trimmed());
        }
        return result;
    }

    template <typename Liste>
    static Liste* ouvrir() {
        auto* liste = new Liste;
        liste->resize(800, 500);
        liste->show();
        liste->activateWindow();
        return liste;
    }

    static void cliquerTitre(TFrmListeReference* liste, int column) {
        QHeaderView* header = liste->grille()->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    }

    static void taper(TFrmListeReference* liste, const QString& text) {
        liste->champRecherche()->clear();
        taperTexte(liste->champRecherche(), text);
    }

    static QToolButton* bouton(TFrmListeReference* liste, const QString& hint) {
        for (QToolButton* b : liste->findChildren<QToolButton*>()) {
            if (b->accessibleName() == hint) {
                return b;
            }
        }
        return nullptr;
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_module = m_db->openModule();
    }
    void cleanup() {
        flushDeletions();
        m_module.reset();
        m_db.reset();
    }

    void searchesFollowTheClickedTitle() {
        MessageBoxRecorder boxes;
        Dataset& devise = *m_module->devise;
        QPointer<TFrmdevise> liste = ouvrir<TFrmdevise>();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        QAbstractItemModelTester tester(liste->grille()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(liste->windowTitle(), QStringLiteral("Devises"));
        const QStringList tous = colonne(devise, "DEVISE");
        QVERIFY(tous.size() > 100);
        QVERIFY(std::is_sorted(tous.begin(), tous.end()));
        QVERIFY(liste->libelleRecherche()->text().isEmpty());

        // Before any title click the search changes nothing.
        const QString texteInitial = devise.sql();
        taper(liste, "sd");
        QCOMPARE(liste->champRecherche()->text(), QStringLiteral("SD"));
        QCOMPARE(devise.sql(), texteInitial);
        QCOMPARE(colonne(devise, "DEVISE"), tous);

        // On the code: a contains-search typed in small letters, in code order.
        cliquerTitre(liste, 0);
        QCOMPARE(liste->libelleRecherche()->text(), QStringLiteral("Devise"));
        taper(liste, "sd");
        QStringList trouves = colonne(devise, "DEVISE");
        QVERIFY(trouves.contains("USD") && trouves.contains("SDG"));
        QVERIFY(std::all_of(trouves.begin(), trouves.end(),
                            [](const QString& c) { return c.contains("SD"); }));
        QVERIFY(std::is_sorted(trouves.begin(), trouves.end()));
        QCOMPARE(liste->grille()->sortMark(), 0);
        QCOMPARE(QApplication::focusWidget(), liste->champRecherche());
        liste->champRecherche()->clear();
        QCOMPARE(colonne(devise, "DEVISE"), tous);

        // On the label, stored in small letters: any case, in label order; a quote is a
        // character and an underscore any one character.
        cliquerTitre(liste, 1);
        QCOMPARE(liste->libelleRecherche()->text(), QStringLiteral("Libellé Devise"));
        taper(liste, "dinar");
        trouves = colonne(devise, "LIBELLE");
        QVERIFY(trouves.contains(QStringLiteral("Dinar tunisien")));
        QVERIFY(std::all_of(trouves.begin(), trouves.end(),
                            [](const QString& l) { return l.toUpper().contains("DINAR"); }));
        QVERIFY(std::is_sorted(trouves.begin(), trouves.end()));
        QCOMPARE(liste->grille()->sortMark(), 1);
        taper(liste, "d'a");
        QCOMPARE(colonne(devise, "LIBELLE"), QStringList({QStringLiteral("Florin d'Aruba")}));
        taper(liste, "' or '1'='1");
        QCOMPARE(devise.rowCount(), 0);
        // A letter the database cannot hold is in none of its texts: no row, no error.
        taper(liste, QStringLiteral("ω"));
        QCOMPARE(devise.rowCount(), 0);
        taper(liste, "pa_anga");
        QCOMPARE(colonne(devise, "DEVISE"), QStringList({"TOP"}));

        // A title click lists every row again, sorted by it; the field keeps its text.
        cliquerTitre(liste, 0);
        QCOMPARE(colonne(devise, "DEVISE"), tous);
        QCOMPARE(liste->champRecherche()->text(), QStringLiteral("PA_ANGA"));
        QCOMPARE(liste->libelleRecherche()->text(), QStringLiteral("Devise"));
        QVERIFY(boxes.isEmpty());
        liste->close();
    }

    void accentedNamesAreFoundInAnyCaseAndTheSearchOutlivesTheWindow() {
        m_db->execute(
            {QStringLiteral("insert into ETATTERRITORIAL (CODE, PAYS) "
                            "values ('ZE', 'états-unis d''essai')")});
        Dataset& etats = *m_module->Etatterritorial;
        QPointer<TFrmetatterritoire> liste = ouvrir<TFrmetatterritoire>();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        QCOMPARE(liste->windowTitle(), QStringLiteral("Etats Territorial"));
        cliquerTitre(liste, 1);
        QCOMPARE(liste->libelleRecherche()->text(), QStringLiteral("Pays"));
        // Stored with a capital É or a small é, typed in small letters.
        taper(liste, QStringLiteral("états-u"));
        QCOMPARE(liste->champRecherche()->text(), QStringLiteral("ÉTATS-U"));
        QStringList codes = colonne(etats, "CODE");
        codes.sort();
        QCOMPARE(codes, QStringList({"UM", "US", "VI", "ZE"}));
        QCOMPARE(liste->grille()->sortMark(), 1);
        taper(liste, QStringLiteral("CÔTE D'"));
        QCOMPARE(colonne(etats, "CODE"), QStringList({"CI"}));
        liste->close();
        flushDeletions();

        // The next window that opens the dataset sees the rows of the last search.
        etats.close();
        etats.open();
        QCOMPARE(colonne(etats, "CODE"), QStringList({"CI"}));
        liste = ouvrir<TFrmetatterritoire>();
        QVERIFY(liste->champRecherche()->text().isEmpty());
        QCOMPARE(colonne(etats, "CODE"), QStringList({"CI"}));
        liste->close();
    }

    void addingAbandoningAndDeletingInTheGrid() {
        MessageBoxRecorder boxes;
        Dataset& devise = *m_module->devise;
        QPointer<TFrmdevise> liste = ouvrir<TFrmdevise>();
        QVERIFY(QTest::qWaitForWindowActive(liste));
        DBGrid* grid = liste->grille();
        devise.fetchAll();
        const int lignes = grid->model()->rowCount();

        // "Ajouter", a code, Enter, a label, Enter: stored, committed, the grid read-only again.
        bouton(liste, "Ajouter")->click();
        QCOMPARE(devise.state(), DatasetState::Insert);
        QVERIFY(grid->cellsEditable());
        QCOMPARE(QApplication::focusWidget(), grid);
        QTest::keyClick(grid, 'Z');
        QTest::keyClicks(QApplication::focusWidget(), "zz");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(grid->currentIndex().column(), 1);
        QTRY_VERIFY(grid->viewport()->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), "Monnaie d'essai");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(devise.state(), DatasetState::Browse);
        QVERIFY(!grid->cellsEditable());
        QCOMPARE(m_db->count(QStringLiteral("select count(*) from DEVISE where DEVISE = "
                                            "'Zzz' and LIBELLE = 'Monnaie d''essai'")),
                 1);

        // "Ajouter", then the Up arrow before any code: the new row goes.
        bouton(liste, "Ajouter")->click();
        QCOMPARE(grid->model()->rowCount(), lignes + 2);
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(devise.state(), DatasetState::Browse);
        QCOMPARE(grid->model()->rowCount(), lignes + 1);
        QVERIFY(!grid->cellsEditable());

        // "Suprimer": nothing on No; on Yes the row goes, committed.
        QVERIFY(devise.locate({"DEVISE"}, {db::Value(u"Zzz")}));
        boxes.setConfirmAnswer(false);
        bouton(liste, "Suprimer")->click();
        QCOMPARE(grid->model()->rowCount(), lignes + 1);
        boxes.setConfirmAnswer(true);
        bouton(liste, "Suprimer")->click();
        QCOMPARE(grid->model()->rowCount(), lignes);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Confirmation),
                 QStringList(2, QStringLiteral("Voulez-vous supprimer la ligne en cours ?")));
        QVERIFY(boxes.texts(MessageBoxes::Kind::Error).isEmpty());
        QCOMPARE(m_db->count("select count(*) from DEVISE where DEVISE = 'Zzz'"), 0);
        liste->close();
    }

    void modifierOnAnEmptyTableStartsANewRow() {
        MessageBoxRecorder boxes;
        m_db->execute({QStringLiteral("delete from DEVISE")});
        Dataset& devise = *m_module->devise;
        QPointer<TFrmdevise> liste = ouvrir<TFrmdevise>();
        QCOMPARE(liste->grille()->model()->rowCount(), 0);
        bouton(liste, "Modifier")->click();
        QCOMPARE(devise.state(), DatasetState::Insert);
        QCOMPARE(liste->grille()->model()->rowCount(), 1);
        QVERIFY(liste->grille()->cellsEditable());
        QVERIFY(boxes.isEmpty());
        liste->findChild<QPushButton*>("BtnFermer")->click();
        flushDeletions();
        QVERIFY(liste.isNull());
    }
};

QTEST_MAIN(TestListesReference)
#include "tst_listes.moc"
