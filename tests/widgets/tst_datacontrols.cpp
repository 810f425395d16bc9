#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "data/CodeLists.h"
#include "db/DatabaseError.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBDateEdit.h"
#include "widgets/DBEdit.h"
#include "widgets/DBMemo.h"
#include "widgets/DBNumberEdit.h"
#include "widgets/FormulaireSaisie.h"
#include "widgets/KeyboardNavigator.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QClipboard>
#include <QLabel>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using db::Decimal;
using db::Value;

namespace {

// A form with one control of each kind bound to the company dataset, plus a plain field to
// move the focus to.
struct CompanyForm {
    QWidget window;
    DBEdit* nom = new DBEdit(&window);
    DBNumberEdit* chiffre = new DBNumberEdit(&window);
    DBDateEdit* debut = new DBDateEdit(&window);
    DBComboBox* qualite = new DBComboBox(&window);
    DBMemo* description = new DBMemo(&window);
    DBEdit* postal = new DBNumberEdit(&window);
    QLineEdit* ailleurs = new QLineEdit(&window);

    explicit CompanyForm(Dataset* societe) {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{nom, chiffre, debut, qualite, description,
                                                          postal, ailleurs}) {
            layout->addWidget(w);
        }
        nom->bind(societe, QStringLiteral("RAISONSOCIALE"));
        chiffre->bind(societe, QStringLiteral("CHIFFREAFFAIREANNUEL"));
        debut->bind(societe, QStringLiteral("DATEDEBUT"));
        qualite->setItems(CodeLists::ListeQualite());
        qualite->setToolTipLines(CodeLists::ListeQualite());
        qualite->bind(societe, QStringLiteral("QUALITE"));
        description->bind(societe, QStringLiteral("DESCRIPTION"));
        postal->bind(societe, QStringLiteral("CODEPOSTAL"));
    }

    bool show() {
        window.show();
        return QTest::qWaitForWindowActive(&window);
    }
    void leave() { ailleurs->setFocus(Qt::TabFocusReason); }
};

}  // namespace

class TestDataControls : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;

    Dataset& societe() { return *m_module->societe; }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("2222222", "B", 2023, "BETA");
        m_db->addCompany("1111111", "A", 2023, "ALPHA");
        m_module = m_db->openModule();
        societe().open();
    }
    void cleanup() {
        m_module.reset();
        m_db.reset();
    }

    void showsTheCurrentRowAndFollowsIt() {
        CompanyForm form(&societe());
        QCOMPARE(form.nom->text(), QStringLiteral("ALPHA"));
        QCOMPARE(form.qualite->currentText(), QString());
        societe().next();
        QCOMPARE(form.nom->text(), QStringLiteral("BETA"));
        societe().close();
        QCOMPARE(form.nom->text(), QString());
    }

    void typingStartsAnEditAndLeavingWritesTheField() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.nom->setFocus();
        form.nom->selectAll();
        QTest::keyClicks(form.nom, "GAMMA");
        QCOMPARE(societe().state(), DatasetState::Edit);
        QVERIFY(form.nom->link().isDirty());
        // Nothing is written before the field is left.
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), QStringLiteral("ALPHA"));
        form.leave();
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), QStringLiteral("GAMMA"));
        QVERIFY(!form.nom->link().isDirty());
        societe().post();
        QCOMPARE(m_db->count("select count(*) from SOCIETE where RAISONSOCIALE = 'GAMMA'"), 1);
    }

    void typingInAnEmptyDatasetStartsANewRow() {
        societe().setSql(QStringLiteral("select * from SOCIETE where 1 = 0"));
        societe().open();
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.nom->setFocus();
        QTest::keyClicks(form.nom, "NOUVELLE");
        QCOMPARE(societe().state(), DatasetState::Insert);
        QCOMPARE(societe().rowCount(), 1);
        QCOMPARE(form.nom->text(), QStringLiteral("NOUVELLE"));
        form.leave();
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), QStringLiteral("NOUVELLE"));
    }

    void anUntouchedFieldWritesNothing() {
        MessageBoxRecorder boxes;
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.chiffre->setFocus();
        form.debut->setFocus(Qt::TabFocusReason);
        form.leave();
        QCOMPARE(societe().state(), DatasetState::Browse);
        QVERIFY(boxes.isEmpty());
    }

    void aReadOnlyFieldNeverEdits() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.nom->setReadOnly(true);
        form.nom->setFocus();
        QTest::keyClicks(form.nom, "X");
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(form.nom->text(), QStringLiteral("ALPHA"));
    }

    void aPostWritesThePendingText() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.nom->setFocus();
        form.nom->selectAll();
        QTest::keyClicks(form.nom, "DELTA");
        societe().post();
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), QStringLiteral("DELTA"));
        QCOMPARE(form.nom->text(), QStringLiteral("DELTA"));
    }

    void escapeDropsThePendingText() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.nom->setFocus();
        form.nom->selectAll();
        QTest::keyClicks(form.nom, "ZETA");
        QTest::keyClick(form.nom, Qt::Key_Escape);
        QCOMPARE(form.nom->text(), QStringLiteral("ALPHA"));
        QVERIFY(!form.nom->link().isDirty());
        form.leave();
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), QStringLiteral("ALPHA"));
    }

    void aValueSetByCodeIsShownAtOnce() {
        CompanyForm form(&societe());
        societe().edit();
        societe().setValue("RAISONSOCIALE", Value(u"PAR CODE"));
        QCOMPARE(form.nom->text(), QStringLiteral("PAR CODE"));
        societe().cancel();
        QCOMPARE(form.nom->text(), QStringLiteral("ALPHA"));
    }

    void textIsLimitedToTheColumnWidth() {
        MessageBoxRecorder boxes;
        CompanyForm form(&societe());
        auto* nationalite = new DBEdit(&form.window);
        form.window.layout()->addWidget(nationalite);
        nationalite->bind(&societe(), QStringLiteral("NATIONALITE"));
        nationalite->setAccessibleName(QStringLiteral("Nationalité:"));
        QVERIFY(form.show());

        // Typing stops at the width.
        nationalite->setFocus();
        QTest::keyClicks(nationalite, "TUN");
        QCOMPARE(nationalite->text(), QStringLiteral("TU"));
        QVERIFY(boxes.isEmpty());
        form.leave();
        QCOMPARE(societe().value("NATIONALITE").toText(), QStringLiteral("TU"));
        societe().cancel();

        // A paste that does not fit is refused whole, and said; one that fits is taken.
        QApplication::clipboard()->setText(QStringLiteral("TUNISIE"));
        nationalite->setFocus();
        QTest::keyClick(nationalite, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(nationalite->text(), QString());
        QCOMPARE(societe().state(), DatasetState::Browse);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error),
                 QStringList{QStringLiteral(
                     "Le texte collé ne tient pas dans « Nationalité: » (colonne NATIONALITE), "
                     "qui accepte 2 caractères au plus : il n'a pas été collé.")});
        boxes.clear();
        QApplication::clipboard()->setText(QString(250, u'n'));
        form.nom->setFocus();
        form.nom->selectAll();
        QTest::keyClick(form.nom, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form.nom->text().size(), 250);
        QVERIFY(boxes.isEmpty());
        QApplication::clipboard()->setText(QStringLiteral("x"));
        form.nom->end(false);
        QTest::keyClick(form.nom, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form.nom->text(), QString(250, u'n'));
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error).size(), 1);
        QVERIFY(boxes.texts().first().contains(QStringLiteral("la colonne RAISONSOCIALE")));
    }

    void aMultiLineFieldHoldsNoMoreThanItsColumnLineBreaksCountingTwo() {
        MessageBoxRecorder boxes;
        Dataset& lignes = *m_module->montanttransactions;
        QVERIFY(societe().locate({"MFISCAL"}, {Value(u"1111111")}));
        m_module->openForActiveCompany(lignes);
        lignes.append();
        lignes.setValue("CHANGEMENTAUTREMETRHODE", QString(247, u'a'));
        lignes.post();
        QWidget fenetre;
        auto* memo = new DBMemo(&fenetre);
        auto* ailleurs = new QLineEdit(&fenetre);
        auto* layout = new QVBoxLayout(&fenetre);
        layout->addWidget(memo);
        layout->addWidget(ailleurs);
        memo->bind(&lignes, QStringLiteral("CHANGEMENTAUTREMETRHODE"));
        memo->setAccessibleName(QStringLiteral("Autres Méthodes de Changement:"));
        fenetre.show();
        QVERIFY(QTest::qWaitForWindowActive(&fenetre));

        // 247 + a line break (two) + one letter: full; nothing more goes in.
        memo->setFocus();
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, "bc");
        QTest::keyClick(memo, Qt::Key_Return);
        QCOMPARE(memo->storedText(), QString(247, u'a') + QStringLiteral("\r\nb"));
        QVERIFY(boxes.isEmpty());

        // A paste beyond the width is refused whole; in place of a selection it may fit.
        QApplication::clipboard()->setText(QStringLiteral("x\r\ny"));
        QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(memo->storedText().size(), 250);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error),
                 QStringList{QStringLiteral(
                     "Le texte collé ne tient pas dans « Autres Méthodes de Changement: » "
                     "(colonne CHANGEMENTAUTREMETRHODE), qui accepte 250 caractères au plus (un "
                     "retour à la ligne compte pour deux) : il n'a pas été collé.")});
        QTextCursor selection = memo->textCursor();
        selection.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 5);
        memo->setTextCursor(selection);
        QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
        ailleurs->setFocus();
        QCOMPARE(lignes.value("CHANGEMENTAUTREMETRHODE").toText(),
                 QString(244, u'a') + QStringLiteral("x\r\ny"));
        lignes.post();
        QCOMPARE(m_db->count("select char_length(CHANGEMENTAUTREMETRHODE) from "
                             "OPERATIONSMONTANTS"),
                 248);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error).size(), 1);
    }

    void amountsShowTheLeadingZeroFormatWithTheLocaleDecimalSign() {
        CompanyForm form(&societe());
        societe().edit();
        societe().setValue("CHIFFREAFFAIREANNUEL", Value(Decimal(5000, 3)));
        QCOMPARE(form.chiffre->text(), QStringLiteral("005,000"));
        societe().setValue("CHIFFREAFFAIREANNUEL", Value(Decimal(12345675, 1)));
        QCOMPARE(form.chiffre->text(), QStringLiteral("1 234 567,500"));
        QCOMPARE(form.chiffre->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        societe().cancel();
    }

    void amountsAreTypedWithEitherSignAndBlanks() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.chiffre->setFocus();
        QTest::keyClicks(form.chiffre, "1 234,5");
        form.leave();
        QCOMPARE(societe().value("CHIFFREAFFAIREANNUEL").toDecimal(), Decimal(1234500, 3));
        QCOMPARE(form.chiffre->text(), QStringLiteral("1 234,500"));
        form.chiffre->setFocus();
        form.chiffre->selectAll();
        QTest::keyClicks(form.chiffre, "0.25");
        form.leave();
        QCOMPARE(societe().value("CHIFFREAFFAIREANNUEL").toDecimal(), Decimal(250, 3));
        QCOMPARE(form.chiffre->text(), QStringLiteral("000,250"));
        societe().post();
        QCOMPARE(m_db->count("select CHIFFREAFFAIREANNUEL * 1000 from SOCIETE where "
                             "MFISCAL = '1111111'"),
                 250);
    }

    void plainAmountFormatOnANewDetailLine() {
        m_module->openForActiveCompany(*m_module->Empruntsprets);
        Dataset& prets = *m_module->Empruntsprets;
        QVERIFY(prets.isEmpty());
        QWidget window;
        auto* solde = new DBNumberEdit(&window);
        auto* ailleurs = new QLineEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(solde);
        layout->addWidget(ailleurs);
        solde->bind(&prets, QStringLiteral("SOLDEOUVERTURE"));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        solde->setFocus();
        QTest::keyClicks(solde, "5");
        // The first keystroke on an empty list starts a new line, numbered by the rules.
        QCOMPARE(prets.state(), DatasetState::Insert);
        QCOMPARE(prets.value("LG").toInt(), 1);
        ailleurs->setFocus(Qt::TabFocusReason);
        QCOMPARE(solde->text(), QStringLiteral("5,000"));
        prets.post();
        QCOMPARE(m_db->count("select SOLDEOUVERTURE * 1000 from OPERATIONPRETEMPRUNT"), 5000);
    }

    void aNumberThatDoesNotParseIsRefusedAndKeepsTheFocus() {
        MessageBoxRecorder boxes;
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.chiffre->setFocus();
        QTest::keyClicks(form.chiffre, "1,2,3");
        form.leave();
        const QString refus = DBNumberEdit::refus(
            QStringLiteral("1,2,3"), *societe().field("CHIFFREAFFAIREANNUEL"), QString());
        QVERIFY(refus.startsWith(
            QStringLiteral("La colonne CHIFFREAFFAIREANNUEL attend un montant : « 1,2,3 »")));
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error), QStringList({refus}));
        QCOMPARE(QApplication::focusWidget(), form.chiffre);
        QVERIFY(form.chiffre->link().isDirty());
        QCOMPARE(form.chiffre->text(), QStringLiteral("1,2,3"));
        // The post stops on the same refusal; the row stays in edit.
        try {
            societe().post();
            QFAIL("the post went through");
        } catch (const db::DatabaseError& e) {
            QCOMPARE(e.text(), refus);
        }
        QCOMPARE(societe().state(), DatasetState::Edit);
    }

    // A letter is kept where it was typed and refused with the field named, never dropped
    // into another amount; a value beyond the column's digits never reaches the row.
    void amountsBeyondWhatTheColumnHoldsAreRefusedNamingTheField() {
        MessageBoxRecorder boxes;
        CompanyForm form(&societe());
        form.chiffre->setAccessibleName(QStringLiteral("Chiffre d'Affaire Annuel:"));
        QVERIFY(form.show());
        const auto saisir = [&form](const char* texte) {
            form.chiffre->setFocus();
            form.chiffre->selectAll();
            QTest::keyClicks(form.chiffre, texte);
            form.leave();
        };

        saisir("12a50");
        QCOMPARE(form.chiffre->text(), QStringLiteral("12a50"));
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error).size(), 1);
        QVERIFY2(boxes.texts().last().startsWith(QStringLiteral(
                     "Le champ « Chiffre d'Affaire Annuel » attend un montant : « 12a50 » n'en "
                     "est pas un")),
                 qPrintable(boxes.texts().last()));
        QCOMPARE(QApplication::focusWidget(), form.chiffre);
        QVERIFY(societe().value("CHIFFREAFFAIREANNUEL").isNull());

        // NUMERIC(18,3): 15 digits before the decimal sign, 3 after.
        saisir("1234567890123456");
        QCOMPARE(boxes.texts().last(),
                 QStringLiteral("Le champ « Chiffre d'Affaire Annuel » accepte 15 chiffres au "
                                "plus avant la virgule : « 1234567890123456 » est trop grand. "
                                "Corrigez la saisie."));
        saisir("1,2345");
        QVERIFY(boxes.texts().last().contains(QStringLiteral("garde 3 décimales au plus")));
        QVERIFY(societe().value("CHIFFREAFFAIREANNUEL").isNull());
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error).size(), 3);

        saisir("999 999 999 999 999,999");
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error).size(), 3);
        QCOMPARE(societe().value("CHIFFREAFFAIREANNUEL").toDecimal(),
                 Decimal(Decimal::Mantissa(999999999999999999LL), 3));
        societe().post();
        QCOMPARE(m_db->count("select count(*) from SOCIETE where CHIFFREAFFAIREANNUEL = "
                             "999999999999999.999"),
                 1);

        // NUMERIC(9,2), the rates: 7 digits before the decimal sign.
        FieldDef taux;
        taux.name = QStringLiteral("POURCENTCAPITAL");
        taux.type = FieldType::Numeric;
        taux.width = 9;
        taux.scale = 2;
        QVERIFY(DBNumberEdit::refus(QStringLiteral("1234567,99"), taux, QString()).isEmpty());
        QVERIFY(DBNumberEdit::refus(QStringLiteral("12345678"), taux, QStringLiteral("%Capital"))
                    .startsWith(QStringLiteral("Le champ « %Capital » accepte 7 chiffres")));
        // Whole numbers: no letter either.
        QVERIFY(
            DBNumberEdit::refus(QStringLiteral("10a2"), *societe().field("CODEPOSTAL"),
                                QStringLiteral("Code Postal"))
                .startsWith(QStringLiteral("Le champ « Code Postal » attend un nombre entier")));

        // Set by code (a rule, the import), a value beyond the column is refused at the row,
        // in French, before it reaches the server.
        societe().edit();
        try {
            societe().setValue("CHIFFREAFFAIREANNUEL",
                               Value(Decimal(Decimal::Mantissa(1234567890123456LL), 0)));
            QFAIL("the value went in");
        } catch (const db::DatabaseError& e) {
            QCOMPARE(e.text(), QStringLiteral("La valeur 1234567890123456 ne tient pas dans la "
                                              "colonne CHIFFREAFFAIREANNUEL de SOCIETE, qui "
                                              "accepte 15 chiffres au plus avant la virgule."));
        }
        societe().cancel();
    }

    void leavingAFieldIsAnnouncedOnceItsTextIsWritten() {
        MessageBoxRecorder boxes;
        CompanyForm form(&societe());
        QVERIFY(form.show());
        QSignalSpy nomQuitte(&form.nom->link(), &FieldLink::exited);
        QSignalSpy chiffreQuitte(&form.chiffre->link(), &FieldLink::exited);
        QString vuEnSortant;
        connect(&form.nom->link(), &FieldLink::exited, this,
                [&] { vuEnSortant = societe().value("RAISONSOCIALE").toText(); });
        // Also when nothing was typed: the rules on leaving a field run on an empty field.
        form.nom->setFocus();
        form.leave();
        QCOMPARE(nomQuitte.count(), 1);
        QCOMPARE(societe().state(), DatasetState::Browse);
        form.nom->setFocus();
        form.nom->end(false);
        QTest::keyClicks(form.nom, " BIS");
        form.leave();
        QCOMPARE(nomQuitte.count(), 2);
        QCOMPARE(vuEnSortant, QStringLiteral("ALPHA BIS"));
        // Not when the text is refused: the focus stays and nothing was written.
        form.chiffre->setFocus();
        QTest::keyClicks(form.chiffre, "1,2,3");
        form.leave();
        QCOMPARE(chiffreQuitte.count(), 0);
        QCOMPARE(boxes.texts().size(), 1);

        QSignalSpy doubleClics(&form.qualite->link(), &FieldLink::doubleClicked);
        QTest::mouseDClick(form.qualite->lineEdit(), Qt::LeftButton);
        QSignalSpy nomDoubleClic(&form.nom->link(), &FieldLink::doubleClicked);
        QTest::mouseDClick(form.nom, Qt::LeftButton);
        QCOMPARE(doubleClics.count(), 1);
        QCOMPARE(nomDoubleClic.count(), 1);
    }

    void aFormIsBuiltFromItsTableOfFields() {
        QWidget window;
        auto* navigateur = new KeyboardNavigator(&window);
        const QVector<ChampSaisie> champs = {
            {{QStringLiteral("Raison Sociale :")},
             QStringLiteral("RAISONSOCIALE"),
             GenreChamp::Texte,
             {},
             {},
             true},
            {{QStringLiteral("Qualité Entreprises:")},
             QStringLiteral("QUALITE"),
             GenreChamp::Liste,
             CodeLists::ListeQualite(),
             CodeLists::ListeQualite().join(u'\n')},
            {{QStringLiteral("Description "), QStringLiteral("Activités Principales:")},
             QStringLiteral("DESCRIPTIONACTIVITESPRINCIPALES"),
             GenreChamp::Memo},
            {{QStringLiteral("Code Postal")},
             QStringLiteral("CODEPOSTAL"),
             GenreChamp::Nombre,
             {},
             {},
             true,
             false,
             QStringLiteral("quatre chiffres")},
        };
        FormulaireSaisie form(&window, &societe(), champs, navigateur, 2);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(form.widget());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        auto* nom = form.controle<DBEdit>(QStringLiteral("raisonsociale"));
        QVERIFY(nom);
        QCOMPARE(nom->text(), QStringLiteral("ALPHA"));
        QCOMPARE(form.libelle(QStringLiteral("RAISONSOCIALE"))->buddy(), nom);
        auto* description =
            form.controle<DBMemo>(QStringLiteral("DESCRIPTIONACTIVITESPRINCIPALES"));
        QCOMPARE(description->accessibleName(),
                 QStringLiteral("Description Activités Principales:"));
        QCOMPARE(form.libelle(QStringLiteral("DESCRIPTIONACTIVITESPRINCIPALES"))->text(),
                 QStringLiteral("Description \nActivités Principales:"));
        auto* qualite = form.controle<DBComboBox>(QStringLiteral("QUALITE"));
        QCOMPARE(qualite->items(), CodeLists::ListeQualite());
        QCOMPARE(qualite->toolTip().split(u'\n').size(), 5);
        QCOMPARE(form.apres(QStringLiteral("CODEPOSTAL"))->text(),
                 QStringLiteral("quatre chiffres"));
        QVERIFY(!form.apres(QStringLiteral("QUALITE")));

        // Tab order is the table's order; Enter moves on from the fields marked for it only.
        nom->setFocus();
        QTest::keyClick(nom, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), qualite);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), qualite);
        nom->setFocus();
        QSignalSpy sorties(&form, &FormulaireSaisie::sortie);
        QTest::keyClick(nom, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), qualite);
        QCOMPARE(sorties.count(), 1);
        QCOMPARE(sorties.at(0).at(0).toString(), QStringLiteral("RAISONSOCIALE"));
        QSignalSpy doubleClics(&form, &FormulaireSaisie::doubleClic);
        QTest::mouseDClick(qualite->lineEdit(), Qt::LeftButton);
        QCOMPARE(doubleClics.count(), 1);
        QCOMPARE(doubleClics.at(0).at(0).toString(), QStringLiteral("QUALITE"));
    }

    void wholeNumbers() {
        MessageBoxRecorder boxes;
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.postal->setFocus();
        QTest::keyClicks(form.postal, "1002");
        form.leave();
        QCOMPARE(societe().value("CODEPOSTAL").toInt(), 1002);
        QCOMPARE(form.postal->text(), QStringLiteral("1002"));
        form.postal->setFocus();
        form.postal->selectAll();
        QTest::keyClick(form.postal, Qt::Key_Delete);
        form.leave();
        QVERIFY(societe().value("CODEPOSTAL").isNull());
        QVERIFY(boxes.isEmpty());
    }

    void aChosenItemStoresItsCodeAndShowsIt() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.qualite->setFocus();
        form.qualite->showPopup();
        QAbstractItemView* list = form.qualite->view();
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        const QRect item = list->visualRect(list->model()->index(4, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QCOMPARE(societe().state(), DatasetState::Edit);
        QCOMPARE(societe().value("QUALITE").toText(), QStringLiteral("5"));
        QCOMPARE(form.qualite->currentText(), QStringLiteral("5"));
        // The list still offers the item texts.
        QCOMPARE(form.qualite->items(), CodeLists::ListeQualite());
        QCOMPARE(form.qualite->itemText(4), QStringLiteral("5: pour« Etablissement stable »."));
    }

    void aTypedTextIsCutToTheWidth() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.qualite->setFocus();
        QTest::keyClicks(form.qualite, "Filiale");
        QCOMPARE(form.qualite->currentText(), QStringLiteral("Filiale"));
        form.leave();
        QCOMPARE(societe().value("QUALITE").toText(), QStringLiteral("F"));
        QCOMPARE(form.qualite->currentText(), QStringLiteral("F"));
        form.qualite->setFocus();
        form.qualite->lineEdit()->selectAll();
        QTest::keyClick(form.qualite, Qt::Key_Delete);
        form.leave();
        QVERIFY(societe().value("QUALITE").isNull());
        // Typing added no item.
        QCOMPARE(form.qualite->count(), 5);
    }

    void theDropDownShowsTheStoredCodeOfAReopenedRow() {
        societe().edit();
        societe().setValue("QUALITE", Value(u"2"));
        societe().post();
        societe().open();
        CompanyForm form(&societe());
        QCOMPARE(form.qualite->currentText(), QStringLiteral("2"));
        QCOMPARE(form.qualite->toolTip(), CodeLists::ListeQualite().join(u'\n'));
    }

    void multiLineTextIsStoredWithCrLf() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.description->setFocus();
        QTest::keyClicks(form.description, "ligne 1");
        QTest::keyClick(form.description, Qt::Key_Return);
        QTest::keyClicks(form.description, "ligne 2");
        QCOMPARE(societe().state(), DatasetState::Edit);
        form.leave();
        QCOMPARE(societe().value("DESCRIPTION").toText(), QStringLiteral("ligne 1\r\nligne 2"));
        societe().post();
        QCOMPARE(m_db->count("select count(*) from SOCIETE where DESCRIPTION = "
                             "'ligne 1' || ascii_char(13) || ascii_char(10) || "
                             "'ligne 2'"),
                 1);
        societe().open();
        QCOMPARE(form.description->toPlainText(), QStringLiteral("ligne 1\nligne 2"));
    }

    void datesAreTypedChosenOrEmpty() {
        MessageBoxRecorder boxes;
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.debut->setFocus();
        QTest::keyClicks(form.debut, "31/12/2023");
        form.leave();
        QCOMPARE(societe().value("DATEDEBUT").toDate(), QDate(2023, 12, 31));
        QCOMPARE(form.debut->text(), QStringLiteral("31/12/2023"));

        form.debut->showCalendar();
        QVERIFY(form.debut->calendar()->isVisible());
        QCOMPARE(form.debut->calendar()->selectedDate(), QDate(2023, 12, 31));
        form.debut->chooseDate(QDate(2024, 1, 15));
        QVERIFY(!form.debut->calendar()->isVisible());
        QCOMPARE(societe().value("DATEDEBUT").toDate(), QDate(2024, 1, 15));

        form.debut->setFocus();
        form.debut->selectAll();
        QTest::keyClick(form.debut, Qt::Key_Delete);
        form.leave();
        QVERIFY(societe().value("DATEDEBUT").isNull());
        QVERIFY(boxes.isEmpty());

        form.debut->setFocus();
        QTest::keyClicks(form.debut, "32/13/2023");
        form.leave();
        QCOMPARE(boxes.texts(), QStringList({QStringLiteral("« 32/13/2023 » n'est pas une date "
                                                            "valide")}));
        QCOMPARE(QApplication::focusWidget(), form.debut);
    }

    void aChosenDateStartsTheEditOnABrowsedRow() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        QCOMPARE(societe().state(), DatasetState::Browse);
        form.debut->showCalendar();
        form.debut->calendar()->setSelectedDate(QDate(2023, 1, 1));
        QTest::keyClick(form.debut->calendar()->focusWidget()
                            ? form.debut->calendar()->focusWidget()
                            : form.debut->calendar(),
                        Qt::Key_Return);
        QCOMPARE(societe().state(), DatasetState::Edit);
        QCOMPARE(societe().value("DATEDEBUT").toDate(), QDate(2023, 1, 1));
    }

    void anEditRefusedByTheDatasetIsShownAndUndone() {
        MessageBoxRecorder boxes;
        CompanyForm form(&societe());
        QVERIFY(form.show());
        societe().close();
        form.nom->setFocus();
        QTest::keyClicks(form.nom, "X");
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error).size(), 1);
        QCOMPARE(form.nom->text(), QString());
        QVERIFY(!form.nom->link().isDirty());
    }

    void leavingTheRowDropsNothingThatWasWritten() {
        CompanyForm form(&societe());
        QVERIFY(form.show());
        form.nom->setFocus();
        form.nom->selectAll();
        QTest::keyClicks(form.nom, "OMEGA");
        // Moving to another row posts the row first, with the pending text.
        societe().next();
        QCOMPARE(form.nom->text(), QStringLiteral("BETA"));
        QCOMPARE(m_db->count("select count(*) from SOCIETE where RAISONSOCIALE = 'OMEGA'"), 1);
    }
};

QTEST_MAIN(TestDataControls)
#include "tst_datacontrols.moc"
