#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "app/DesktopApplication.h"
#include "app/TfRMMAIN.h"
#include "companies/Tfrmparamsociete.h"
#include "group/Tfrminfogroupe.h"
#include "operations/TFrmoperations.h"
#include "reference/TFrmdevise.h"
#include "widgets/FormulaireSaisie.h"
#include "widgets/PageLignes.h"
#include "widgets/PendingChanges.h"

#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using db::Value;
using Reponse = MessageBoxes::Reponse;

Q_DECLARE_METATYPE(MessageBoxes::Reponse)

/**
 * What is typed and not sent when a window closes or the program quits: each kind of window
 * asks its question, and the database afterwards holds what the answer says.
 */
class TestFermeture : public QObject {
    Q_OBJECT

    QString m_startFolder;

    static void taper(QWidget* champ, const QString& texte) {
        champ->setFocus();
        if (auto* ligne = qobject_cast<QLineEdit*>(champ)) {
            ligne->selectAll();
        }
        QTest::keyClicks(champ, texte);
    }

    static QToolButton* quitter(TfRMMAIN* main) {
        return main->findChild<QToolButton*>(QStringLiteral("BtnQuitter"));
    }

    /// Opens the window of @p genre on the active company and types into it something not
    /// yet sent; returns the window, and in @p question the question it must ask, in @p table
    /// and @p condition where the row lands once sent.
    static QWidget* saisir(TfRMMAIN* main, const QString& genre, QString& question,
                           QString& requete) {
        const QString ligne = PendingChanges::questionLigne();
        const QString modifications = PendingChanges::questionModifications();
        if (genre == QLatin1StringView("operations")) {
            TFrmoperations* f = main->ouvrirOperations(4);
            f->pageLignes()->boutonAjouter()->click();
            taper(f->pageLignes()->formulaire()->controle("MATRICULEFISCAL"), "5555555E");
            question = ligne;
            requete =
                "select count(*) from OPERATIONRESCRITFISCAUX where MATRICULEFISCAL = "
                "'5555555E'";
            return f;
        }
        if (genre == QLatin1StringView("identification")) {
            main->IdentificationEntrepriseClick();
            auto* f =
                qobject_cast<Tfrmparamsociete*>(main->zoneFenetres()->activeSubWindow()->widget());
            taper(f->identification()->controle("ADRESSE"), "Rue de Marseille");
            question = modifications;
            requete = "select count(*) from SOCIETE where ADRESSE = 'Rue de Marseille'";
            return f;
        }
        if (genre == QLatin1StringView("liens")) {
            main->IdentificationEntrepriseClick();
            auto* f =
                qobject_cast<Tfrmparamsociete*>(main->zoneFenetres()->activeSubWindow()->widget());
            f->pages()->setCurrentWidget(f->liensCapital());
            f->liensCapital()->boutonAjouter()->click();
            taper(f->liensCapital()->formulaire()->controle("RAISONSOCIALE"), "Beta SA");
            question = ligne;
            requete = "select count(*) from CAPITALLIEE where RAISONSOCIALE = 'Beta SA'";
            return f;
        }
        if (genre == QLatin1StringView("groupe")) {
            Tfrminfogroupe* f = main->InformationsGroupeClick();
            taper(f->formulaireGroupe()->controle("AUTREMFISCAL"), "MERE-01");
            question = modifications;
            requete = "select count(*) from INFORMATIONGROUPE where AUTREMFISCAL = 'MERE-01'";
            return f;
        }
        if (genre == QLatin1StringView("actifs")) {
            Tfrminfogroupe* f = main->InformationsGroupeClick();
            f->pages()->setCurrentWidget(f->pageIncorporels());
            f->pageIncorporels()->boutonAjouter()->click();
            f->pageIncorporels()->dataset()->setValue("NATUREACTIF", Value(u"1"));
            taper(f->pageIncorporels()->formulaire()->controle("RAISONSOCIALE"), "Brevet SA");
            question = ligne;
            requete = "select count(*) from LISTEACTIFINCORPOREL where RAISONSOCIALE = 'Brevet SA'";
            return f;
        }
        // The currency list: its row is typed in the grid's cells.
        main->DevisesClick();
        auto* f = qobject_cast<TFrmdevise*>(main->zoneFenetres()->activeSubWindow()->widget());
        f->findChild<QToolButton*>(QStringLiteral("BtnAjouter"))->click();
        f->dataset()->setValue("DEVISE", Value(u"ZZZ"));
        f->dataset()->setValue("LIBELLE", Value(u"Devise d'essai"));
        question = ligne;
        requete = "select count(*) from DEVISE where DEVISE = 'ZZZ'";
        return f;
    }

private slots:
    void initTestCase() { m_startFolder = QDir::currentPath(); }
    void cleanup() {
        QDir::setCurrent(m_startFolder);
        flushDeletions();
    }

    void quitterAndCtrlF4AskEachWindowsQuestion_data() {
        QTest::addColumn<QString>("genre");
        QTest::addColumn<bool>("parQuitter");
        QTest::addColumn<Reponse>("reponse");
        for (const char* genre :
             {"operations", "identification", "liens", "groupe", "actifs", "devises"}) {
            for (const bool parQuitter : {true, false}) {
                for (const auto& [nom, reponse] :
                     {std::pair{"Oui", Reponse::Oui}, std::pair{"Non", Reponse::Non},
                      std::pair{"Annuler", Reponse::Annuler}}) {
                    QTest::addRow("%s %s %s", genre, parQuitter ? "Quitter" : "Ctrl+F4", nom)
                        << QString::fromLatin1(genre) << parQuitter << reponse;
                }
            }
        }
    }

    void quitterAndCtrlF4AskEachWindowsQuestion() {
        QFETCH(QString, genre);
        QFETCH(bool, parQuitter);
        QFETCH(Reponse, reponse);
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2023, "ALPHA");
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QString question;
        QString requete;
        QPointer<QWidget> fenetre = saisir(main, genre, question, requete);
        QVERIFY(fenetre);
        QVERIFY(boxes.isEmpty());
        boxes.setQuestionAnswer(reponse);

        if (parQuitter) {
            quitter(main)->click();
        } else {
            QTest::keyClick(main, Qt::Key_F4, Qt::ControlModifier);
        }
        flushDeletions();
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Question), QStringList{question});
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Error), QStringList());
        QCOMPARE(database.count(requete), reponse == Reponse::Oui ? 1 : 0);
        if (reponse == Reponse::Annuler) {
            // Nothing closes: the window, what is typed and the program stay.
            QVERIFY(fenetre);
            QVERIFY(main->isVisible());
            QCOMPARE(main->zoneFenetres()->activeSubWindow()->widget(), fenetre.data());
        } else {
            QVERIFY(!fenetre);
            // Quitter closes the company list too, which asks nothing; Ctrl+F4 the one window.
            QCOMPARE(main->isVisible(), !parQuitter);
            QCOMPARE(main->zoneFenetres()->subWindowList().size(), parQuitter ? 0 : 1);
        }
        desktop.finish();
        // What was sent stays; what was dropped never reaches the database.
        QCOMPARE(database.count(requete), reponse == Reponse::Oui ? 1 : 0);
    }

    void ctrlWClosesTheActiveWindowAndTheProgramsOwnChangesAskNothing() {
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2023, "ALPHA");
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));

        // Passing through "Matricule Fiscal" pads the identifier; the group window puts the
        // company record into editing; a line only put into editing after a send: none of
        // it is the user's.
        main->IdentificationEntrepriseClick();
        QPointer<QWidget> identification = main->zoneFenetres()->activeSubWindow()->widget();
        auto* societe = qobject_cast<Tfrmparamsociete*>(identification.data());
        QWidget* matricule = societe->identification()->controle("MFISCAL");
        matricule->setFocus();
        QTest::keyClick(matricule, Qt::Key_Tab);
        QPointer<Tfrminfogroupe> groupe = main->InformationsGroupeClick();
        QPointer<TFrmoperations> operations = main->ouvrirOperations(3);
        operations->pageLignes()->boutonAjouter()->click();
        taper(operations->pageLignes()->formulaire()->controle("MATRICULEFISCAL"), "5555555E");
        operations->pageLignes()->boutonValider()->click();
        QCOMPARE(operations->dataset()->state(), DatasetState::Edit);

        QTest::keyClick(main, Qt::Key_W, Qt::ControlModifier);
        flushDeletions();
        QVERIFY(!operations);
        QVERIFY(groupe);
        quitter(main)->click();
        flushDeletions();
        QVERIFY(boxes.isEmpty());
        QVERIFY(!main->isVisible());
        QVERIFY(!groupe && !identification);
        desktop.finish();
    }

    void theGroupWindowsAnnulerDropsWithoutAQuestion() {
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2023, "ALPHA");
        MessageBoxRecorder boxes;
        DesktopApplication desktop;
        desktop.start(database.iniPath());
        TfRMMAIN* main = desktop.mainWindow();
        QPointer<Tfrminfogroupe> groupe = main->InformationsGroupeClick();
        taper(groupe->formulaireGroupe()->controle("AUTREMFISCAL"), "MERE-01");
        groupe->boutonAnnuler()->click();
        flushDeletions();
        QVERIFY(!groupe);
        QVERIFY(boxes.isEmpty());
        QCOMPARE(database.count("select count(*) from INFORMATIONGROUPE"), 0);
        desktop.finish();
    }
};

QTEST_MAIN(TestFermeture)
#include "tst_fermeture.moc"
