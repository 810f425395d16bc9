#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "companies/Tfrmsocietes.h"
#include "widgets/ContexteSocieteActive.h"
#include "widgets/DBGrid.h"
#include "widgets/SearchEdit.h"
#include "widgets/TFrmMotPasse.h"

#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using db::Value;

class TestFrmSocietes : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    std::unique_ptr<ServicesDeTest> m_services;
    ContexteSocieteActive* m_contexte = nullptr;

    Dataset& societe() { return *m_module->societe; }

    Tfrmsocietes* ouvrir() {
        auto* liste = new Tfrmsocietes(*m_services);
        liste->resize(900, 500);
        liste->show();
        return liste;
    }

    QStringList noms() {
        QStringList result;
        for (int i = 0; i < societe().rowCount(); ++i) {
            result.append(societe().valueAt(i, "RAISONSOCIALE").toText());
        }
        return result;
    }

    void setAdresse(const QString& nom, const QString& adresse) {
        QVERIFY(societe().locate({"RAISONSOCIALE"}, {Value(nom)}));
        societe().edit();
        societe().setValue("ADRESSE", Value(adresse));
        societe().post();
    }

    static void doubleCliquer(Tfrmsocietes* liste, int row) {
        DBGrid* grid = liste->grille();
        const QPoint at = grid->visualRect(grid->model()->index(row, 3)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }

    /// Types @p text key by key, accented letters included (sent with their text, as a
    /// keyboard layout sends them).
    static void taper(QWidget* champ, const QString& text) {
        for (const QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(champ, char(c.unicode()));
            } else {
                QTest::sendKeyEvent(QTest::Press, champ, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, champ, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
            }
        }
    }

    static void repondre(const QString& motDePasse, bool ok) {
        whenModalOpens([motDePasse, ok](QWidget* modal) {
            auto* prompt = qobject_cast<TFrmMotPasse*>(modal);
            QVERIFY(prompt);
            prompt->champMotDePasse()->setText(motDePasse);
            if (ok) {
                prompt->accept();
            } else {
                prompt->reject();
            }
        });
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1234567", "A", 2021, "  ALPHA SA  ");
        m_db->addCompany("7654321", "B", 2022, "BETA");
        m_db->addCompany("1111111", "C", 2023, "O'NEIL");
        m_db->addCompany("2222222", "D", 2021, "gamma minuscule");
        m_db->addCompany("3333333", "E", 2020, "ABC");
        m_module = m_db->openModule();
        m_services = std::make_unique<ServicesDeTest>();
        m_contexte = &m_services->contexte();
    }
    void cleanup() {
        flushDeletions();
        m_contexte = nullptr;
        m_services.reset();
        m_module.reset();
        m_db.reset();
    }

    void opensTheSharedDatasetOnItsFirstRow() {
        QPointer<Tfrmsocietes> liste = ouvrir();
        QCOMPARE(liste->windowTitle(), QStringLiteral("Liste des Sociétés"));
        QVERIFY(liste->findChild<QLabel*>() != nullptr);
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(societe().rowCount(), 5);
        QCOMPARE(societe().currentIndex(), 0);
        QCOMPARE(liste->grille()->model()->columnCount(), 7);
        QStringList titres;
        for (int c = 0; c < 7; ++c) {
            titres.append(liste->grille()->model()->headerData(c, Qt::Horizontal).toString());
        }
        QCOMPARE(titres, QStringList({"Code", QStringLiteral("Clé"), "Exercice", "Raison Sociale",
                                      "Adresse", "Code Postal", "Nat"}));
        QVERIFY(liste->libelleTri().isEmpty());
        QVERIFY(liste->findChild<QPushButton*>("BtnAjouter"));
        QVERIFY(liste->findChild<QPushButton*>("BtnModifier"));
        QCOMPARE(liste->champRecherche()->accessibleName(),
                 QStringLiteral("Recherche par Raison Sociale :"));
        liste->close();
    }

    void aSelectionNamesTheCompanyInTheLabelAndClosesTheList() {
        QCOMPARE(m_contexte->libelleSociete(), QStringLiteral("Societeactive"));
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        const int row = noms().indexOf(QStringLiteral("  ALPHA SA  "));
        QVERIFY(row >= 0);
        doubleCliquer(liste, row);
        QCOMPARE(m_contexte->IdentifiantComplet, QStringLiteral("1234567A"));
        QCOMPARE(m_contexte->ExerciceTexte, QStringLiteral("2021"));
        QCOMPARE(m_contexte->libelleSociete(),
                 QStringLiteral("ALPHA SA   1234567A  Exercice: 2021"));
        flushDeletions();
        QVERIFY(liste.isNull());
        // The selected row stays the active company.
        QCOMPARE(m_module->identifiantComplet(), QStringLiteral("1234567A"));
    }

    void aDoubleClickInManagementModeLeavesTheLabel() {
        m_contexte->ModeSocietes = 2;
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        doubleCliquer(liste, 1);
        flushDeletions();
        QVERIFY(!liste.isNull());
        QCOMPARE(m_contexte->libelleSociete(), QStringLiteral("Societeactive"));
        QVERIFY(m_contexte->IdentifiantComplet.isEmpty());
        // The clicked row is the current company all the same.
        QCOMPARE(societe().currentIndex(), 1);
        liste->close();
    }

    void aTitleSortsAndTheOrderOutlivesTheWindow() {
        QPointer<Tfrmsocietes> liste = ouvrir();
        setAdresse("BETA", "1 rue A");
        setAdresse("ABC", "2 rue B");
        setAdresse("O'NEIL", "3 rue C");
        setAdresse("  ALPHA SA  ", "4 rue D");
        setAdresse("gamma minuscule", "5 rue E");
        liste->DBGrid1TitleClick(4);
        QCOMPARE(societe().sql(), QStringLiteral("select * from societe Order by ADRESSE"));
        QCOMPARE(liste->libelleTri(), QStringLiteral("Adresse"));
        QCOMPARE(noms(), QStringList({"BETA", "ABC", "O'NEIL", "  ALPHA SA  ", "gamma minuscule"}));
        QCOMPARE(societe().currentIndex(), 0);
        QHeaderView* header = liste->grille()->horizontalHeader();
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 4);
        liste->close();
        flushDeletions();

        liste = ouvrir();
        QVERIFY(liste->libelleTri().isEmpty());
        QCOMPARE(noms(), QStringList({"BETA", "ABC", "O'NEIL", "  ALPHA SA  ", "gamma minuscule"}));
        QCOMPARE(liste->grille()->horizontalHeader()->sortIndicatorSection(), 4);
        liste->close();
    }

    void clickingATitleSorts() {
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        QHeaderView* header = liste->grille()->horizontalHeader();
        const QPoint exercice(header->sectionViewportPosition(2) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, exercice);
        QCOMPARE(liste->libelleTri(), QStringLiteral("Exercice"));
        QCOMPARE(societe().valueAt(0, "EXERCICE").toInt(), 2020);
        QCOMPARE(societe().valueAt(4, "EXERCICE").toInt(), 2023);
        liste->close();
    }

    void theSearchListsTheNamesThatBeginWithTheText() {
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        liste->champRecherche()->setFocus();
        QTest::keyClicks(liste->champRecherche(), "ab");
        QCOMPARE(liste->champRecherche()->text(), QStringLiteral("AB"));
        QCOMPARE(noms(), QStringList({"ABC"}));
        liste->champRecherche()->clear();
        QCOMPARE(noms(), QStringList({"  ALPHA SA  ", "ABC", "BETA", "O'NEIL", "gamma minuscule"}));
        QTest::keyClicks(liste->champRecherche(), "o'n");
        QCOMPARE(noms(), QStringList({"O'NEIL"}));
        liste->champRecherche()->clear();
        QTest::keyClicks(liste->champRecherche(), "' or 1=1 --");
        QVERIFY(noms().isEmpty());
        liste->champRecherche()->clear();
        // Names stored in lower case are found all the same.
        QTest::keyClicks(liste->champRecherche(), "gamma");
        QCOMPARE(noms(), QStringList({"gamma minuscule"}));
        QCOMPARE(liste->grille()->model()->rowCount(), 1);
        liste->close();
    }

    void theSearchIgnoresLetterCaseAccentsIncluded() {
        m_db->addCompany("4444444", "F", 2023, QStringLiteral("Carthage Câbles & Fils"));
        m_db->addCompany("5555555", "G", 2023, QStringLiteral("école des Métiers"));
        m_db->addCompany("6666666", "H", 2023, QStringLiteral("Carthage Cartons"));
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        liste->champRecherche()->setFocus();
        taper(liste->champRecherche(), QStringLiteral("carthage câ"));
        QCOMPARE(liste->champRecherche()->text(), QStringLiteral("CARTHAGE CÂ"));
        QCOMPARE(noms(), QStringList({QStringLiteral("Carthage Câbles & Fils")}));
        // The text is a parameter of the query, never part of its text.
        QVERIFY(!societe().sql().contains(QStringLiteral("CARTHAGE")));
        liste->champRecherche()->clear();
        taper(liste->champRecherche(), QStringLiteral("éCOLE d"));
        QCOMPARE(liste->champRecherche()->text(), QStringLiteral("ÉCOLE D"));
        QCOMPARE(noms(), QStringList({QStringLiteral("école des Métiers")}));
        liste->champRecherche()->clear();
        QTest::keyClicks(liste->champRecherche(), QStringLiteral("carthage"));
        QCOMPARE(noms(), QStringList({QStringLiteral("Carthage Cartons"),
                                      QStringLiteral("Carthage Câbles & Fils")}));
        liste->close();
    }

    void lettersWithoutASingleCapitalAndTextsNoNameHolds() {
        m_db->addCompany("8888888", "I", 2023, QStringLiteral("Straße µ-Technik"));
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        liste->champRecherche()->setFocus();
        // ß and µ have no capital of one Windows-1252 letter: they stay as typed, as the
        // database's UPPER leaves them, and the name is found.
        taper(liste->champRecherche(), QStringLiteral("straße µ"));
        QCOMPARE(liste->champRecherche()->text(), QStringLiteral("STRAßE µ"));
        QCOMPARE(noms(), QStringList({QStringLiteral("Straße µ-Technik")}));
        // A character the database cannot hold, or a text longer than any name, begins no
        // name: the list is empty and no error box comes up.
        liste->champRecherche()->setText(QStringLiteral("A\u4E2D"));
        QVERIFY(noms().isEmpty());
        liste->champRecherche()->setText(QString(2000, u'A'));
        QVERIFY(noms().isEmpty());
        liste->champRecherche()->clear();
        QCOMPARE(noms().size(), 6);
        liste->close();
    }

    void enterDoesWhatTheDoubleClickDoes() {
        // Management mode: Enter, like the double click, does not select.
        m_contexte->ModeSocietes = 2;
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        liste->grille()->setFocus();
        QTest::keyClick(liste->grille(), Qt::Key_Down);
        QTest::keyClick(liste->grille(), Qt::Key_Return);
        flushDeletions();
        QVERIFY(!liste.isNull());
        QCOMPARE(m_contexte->libelleSociete(), QStringLiteral("Societeactive"));
        liste->close();
        flushDeletions();

        // Selection mode: the keyboard alone chooses the company.
        m_contexte->ModeSocietes = 1;
        liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        liste->grille()->setFocus();
        QTest::keyClick(liste->grille(), Qt::Key_Down);
        QCOMPARE(societe().currentIndex(), 1);
        QTest::keyClick(liste->grille(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(m_contexte->IdentifiantComplet, QStringLiteral("3333333E"));
        QCOMPARE(m_contexte->libelleSociete(), QStringLiteral("ABC   3333333E  Exercice: 2020"));
        flushDeletions();
        QVERIFY(liste.isNull());
    }

    void theSearchOutlivesTheWindow() {
        QPointer<Tfrmsocietes> liste = ouvrir();
        liste->champRecherche()->setText(QStringLiteral("B"));
        QCOMPARE(noms(), QStringList({"BETA"}));
        liste->close();
        flushDeletions();
        liste = ouvrir();
        QVERIFY(liste->champRecherche()->text().isEmpty());
        QCOMPARE(noms(), QStringList({"BETA"}));
        liste->close();
    }

    void aSearchAfterASortOrdersByName() {
        QPointer<Tfrmsocietes> liste = ouvrir();
        liste->DBGrid1TitleClick(2);
        liste->champRecherche()->setText(QStringLiteral("A"));
        QCOMPARE(noms(), QStringList({"ABC"}));
        QCOMPARE(liste->libelleTri(), QStringLiteral("Exercice"));
        QCOMPARE(liste->grille()->horizontalHeader()->sortIndicatorSection(), 3);
        liste->close();
    }

    void deletionNeedsTheAccessCodeWithBlanksTrimmed() {
        MessageBoxRecorder boxes;
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(societe().locate({"MFISCAL"}, {Value(u"7654321")}));
        QPushButton* supprimer = liste->findChild<QPushButton*>("BtnSupprimer");

        repondre(QStringLiteral("QUILLHORN"), true);
        supprimer->click();
        QCOMPARE(societe().rowCount(), 5);
        repondre(QStringLiteral("quillhorn"), false);
        supprimer->click();
        QCOMPARE(societe().rowCount(), 5);
        QVERIFY(boxes.isEmpty());

        repondre(QStringLiteral("  quillhorn  "), true);
        supprimer->click();
        QCOMPARE(societe().rowCount(), 4);
        QVERIFY(!noms().contains(QStringLiteral("BETA")));
        QVERIFY(boxes.isEmpty());
        QCOMPARE(m_db->count("select count(*) from SOCIETE where MFISCAL = '7654321'"), 0);
        liste->close();
    }

    void aFailedOpeningIsShownAndLeavesTheListEmpty() {
        MessageBoxRecorder boxes;
        societe().setSql(QStringLiteral("select * from TABLEINCONNUE"));
        QPointer<Tfrmsocietes> liste = ouvrir();
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error).size(), 1);
        QVERIFY(boxes.texts().first().contains(QStringLiteral("TABLEINCONNUE")));
        QCOMPARE(liste->grille()->model()->rowCount(), 0);
        liste->champRecherche()->setText(QStringLiteral("A"));
        QCOMPARE(noms(), QStringList({"ABC"}));
        liste->close();
    }

    void theFermerButtonClosesTheList() {
        QPointer<Tfrmsocietes> liste = ouvrir();
        liste->findChild<QPushButton*>("BtnFermer")->click();
        flushDeletions();
        QVERIFY(liste.isNull());
        QCOMPARE(m_contexte->libelleSociete(), QStringLiteral("Societeactive"));
    }
};

QTEST_MAIN(TestFrmSocietes)
#include "tst_frmsocietes.moc"
