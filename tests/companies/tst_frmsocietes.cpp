#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "companies/Tfrmparamsociete.h"
#include "companies/Tfrmsocietes.h"
#include "widgets/ContexteSocieteActive.h"
#include "widgets/DBGrid.h"
#include "widgets/FormulaireSaisie.h"
#include "widgets/SearchEdit.h"
#include "widgets/TFrmMotPasse.h"

#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
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

    /// Valide SA (1111111A) in 2023: three capital links, the group, four assets and a loan
    /// closed at zero.
    void ajouterValide() {
        m_db->addCompany("1111111", "A", 2023, "Valide SA");
        QStringList sql;
        const QString ligne = QStringLiteral(
            "insert into %1 (MFISCAL, EXERCICE, LG, %2) values ('1111111A', 2023, %3, %4)");
        sql << ligne.arg("CAPITALLIEE", "RAISONSOCIALE").arg(1).arg("'Filiale Un'")
            << ligne.arg("CAPITALLIEE", "RAISONSOCIALE").arg(2).arg("'Filiale Deux'")
            << ligne.arg("CAPITALDECLARANTE", "RAISONSOCIALE").arg(1).arg("'Holding'")
            << ligne.arg("LISTEACTIFINCORPOREL", "NATUREACTIF").arg(1).arg("'04'")
            << ligne.arg("LISTEACTIFINCORPOREL", "NATUREACTIF").arg(2).arg("'10'")
            << ligne.arg("LISTEACTIFINCORPOREL", "NATUREACTIF").arg(3).arg("'11'")
            << ligne.arg("LISTEACTIFCORPOREL", "NATUREACTIF").arg(1).arg("'15'")
            << ligne.arg("OPERATIONPRETEMPRUNT", "SOLDECLOTURE").arg(1).arg("0")
            << QStringLiteral(
                   "insert into INFORMATIONGROUPE (MFISCAL, EXERCICE, AUTREMFISCAL) "
                   "values ('1111111A', 2023, 'HRB 1')");
        m_db->execute(sql);
    }

    static QString confirmationValide() {
        return QStringLiteral(
            "Créer l'exercice 2024 de Valide SA (1111111A) à partir de "
            "l'exercice 2023 ?");
    }
    static QString phraseValide() {
        return QStringLiteral(
            "Exercice 2024 créé : 3 liens en capital, 1 fiche groupe, 4 actifs, "
            "aucun prêt reporté.");
    }

    bool choisirValide(int exercice = 2023) {
        return societe().locate({"MFISCAL", "CLE", "EXERCICE"},
                                {Value(u"1111111"), Value(u"A"), Value(exercice)});
    }

    qint64 compterValide(const QString& table, int exercice) {
        return m_db->count(QStringLiteral("select count(*) from %1 where %2 = '1111111A' and "
                                          "EXERCICE = %3")
                               .arg(table, table == u"SOCIETE" ? QStringLiteral("MFISCAL || CLE")
                                                               : QStringLiteral("MFISCAL"))
                               .arg(exercice));
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

    void exerciceSuivantCreatesTheNextYearAndMakesItCurrent() {
        ajouterValide();
        m_contexte->suivre(&societe());
        MessageBoxRecorder boxes;
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        QVERIFY(choisirValide());
        auto* bouton = liste->findChild<QPushButton*>("BtnExerciceSuivant");
        QVERIFY(bouton);
        QCOMPARE(bouton->toolTip(),
                 QStringLiteral("Créer l'exercice suivant de cette société à partir de celui-ci"));
        QCOMPARE(QKeySequence::mnemonic(bouton->text()), QKeySequence(Qt::ALT | Qt::Key_X));

        QTest::mouseClick(bouton, Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList({confirmationValide(), phraseValide()}));
        QCOMPARE(boxes.messages().at(0).kind, MessageBoxes::Kind::Confirmation);
        QCOMPARE(boxes.messages().at(1).kind, MessageBoxes::Kind::Information);
        // The list is read again, the new year current, and the label follows it.
        QCOMPARE(noms().count(QStringLiteral("Valide SA")), 2);
        QCOMPARE(m_module->identifiantComplet(), QStringLiteral("1111111A"));
        QCOMPARE(m_module->exerciceActif(), Value(2024));
        QCOMPARE(liste->grille()->currentIndex().row(), societe().currentIndex());
        QCOMPARE(m_contexte->libelleSociete(),
                 QStringLiteral("Valide SA   1111111A  Exercice: 2024"));
        QCOMPARE(compterValide("CAPITALLIEE", 2024), 2);
        QCOMPARE(compterValide("LISTEACTIFINCORPOREL", 2024), 3);
        QCOMPARE(compterValide("OPERATIONPRETEMPRUNT", 2024), 0);
        flushDeletions();
        QVERIFY(!liste.isNull());

        // Again on the same year: refused, in the error box, and the list stays on its row.
        boxes.clear();
        QVERIFY(choisirValide());
        QTest::mouseClick(bouton, Qt::LeftButton);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error),
                 QStringList({QStringLiteral("L'exercice 2024 de Valide SA (1111111A) existe "
                                             "déjà : rien n'a été créé.")}));
        QCOMPARE(m_module->exerciceActif(), Value(2023));
        QCOMPARE(compterValide("SOCIETE", 2024), 1);
        liste->close();
    }

    void exerciceSuivantByKeyboardAndMenuInManagementMode() {
        ajouterValide();
        m_contexte->ModeSocietes = 2;
        MessageBoxRecorder boxes;
        boxes.setConfirmAnswer(false);
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        liste->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(liste));
        QVERIFY(choisirValide());
        liste->grille()->setFocus();
        // Non to the confirmation: nothing is made. The letter presses the button the way a
        // click does, released a moment later.
        QTest::keyClick(liste->grille(), Qt::Key_X, Qt::AltModifier);
        QTRY_COMPARE(boxes.texts(), QStringList({confirmationValide()}));
        QCOMPARE(compterValide("SOCIETE", 2024), 0);
        QCOMPARE(m_module->exerciceActif(), Value(2023));

        QAction* menu = nullptr;
        for (QAction* a : liste->grille()->actions()) {
            if (a->text() == QStringLiteral("Exercice suivant")) {
                menu = a;
            }
        }
        QVERIFY(menu);
        boxes.clear();
        boxes.setConfirmAnswer(true);
        menu->trigger();
        QCOMPARE(boxes.texts(), QStringList({confirmationValide(), phraseValide()}));
        QCOMPARE(m_module->exerciceActif(), Value(2024));
        liste->close();
    }

    void aPendingChangeOfTheCompanyIsSettledFirst() {
        ajouterValide();
        m_contexte->ModeSocietes = 2;
        MessageBoxRecorder boxes;
        QPointer<Tfrmsocietes> liste = ouvrir();
        QVERIFY(QTest::qWaitForWindowExposed(liste));
        QVERIFY(choisirValide());
        QPointer<Tfrmparamsociete> fiche = Tfrmparamsociete::ouvrirModification(*m_services);
        auto* adresse = fiche->identification()->controle<QLineEdit>("ADRESSE");
        QVERIFY(adresse);
        auto* bouton = liste->findChild<QPushButton*>("BtnExerciceSuivant");
        const QString question = QStringLiteral("Voulez-vous enregistrer les modifications ?");

        // Annuler: the command stops, the change still being typed.
        adresse->setFocus();
        QTest::keyClicks(adresse, "1 rue Neuve");
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Annuler);
        QTest::mouseClick(bouton, Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList({question}));
        QCOMPARE(boxes.messages().at(0).kind, MessageBoxes::Kind::Question);
        QVERIFY(societe().isEditing());
        QCOMPARE(compterValide("SOCIETE", 2024), 0);

        // Non: the change is dropped, the year made from the record as saved.
        boxes.clear();
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Non);
        QTest::mouseClick(bouton, Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringList({question, confirmationValide(), phraseValide()}));
        QVERIFY(!societe().isEditing());
        QCOMPARE(m_db->count("select count(*) from SOCIETE where ADRESSE is not null"), 0);
        QCOMPARE(compterValide("SOCIETE", 2024), 1);

        // Oui: the change is saved, then carried into the next year.
        boxes.clear();
        boxes.setQuestionAnswer(MessageBoxes::Reponse::Oui);
        QVERIFY(choisirValide(2024));
        Tfrmparamsociete::ouvrirModification(*m_services);
        QVERIFY(societe().isEditing());
        societe().setValue("ADRESSE", Value(u"2 rue Haute"));
        QTest::mouseClick(bouton, Qt::LeftButton);
        QCOMPARE(boxes.texts(),
                 QStringList({question,
                              QStringLiteral("Créer l'exercice 2025 de Valide SA (1111111A) à "
                                             "partir de l'exercice 2024 ?"),
                              QStringLiteral("Exercice 2025 créé : 3 liens en capital, 1 fiche "
                                             "groupe, 4 actifs, aucun prêt reporté.")}));
        QCOMPARE(m_db->rows("select EXERCICE from SOCIETE where ADRESSE = '2 rue Haute' order by "
                            "EXERCICE"),
                 QVector<QVector<Value>>({{Value(2024)}, {Value(2025)}}));
        QCOMPARE(m_module->exerciceActif(), Value(2025));

        // A record merely put into editing, without a change, asks nothing.
        boxes.clear();
        Tfrmparamsociete::ouvrirModification(*m_services);
        QVERIFY(societe().isEditing());
        QTest::mouseClick(bouton, Qt::LeftButton);
        QCOMPARE(boxes.texts().first(),
                 QStringLiteral("Créer l'exercice 2026 de Valide SA (1111111A) à partir de "
                                "l'exercice 2025 ?"));
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
