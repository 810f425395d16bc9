#include "CompleteDeclaration.h"
#include "MessageBoxRecorder.h"
#include "commands/GenerateCommand.h"
#include "declaration/ProblemListModel.h"
#include "declaration/ui/FolderChooser.h"
#include "declaration/ui/Tfrmgeneration.h"
#include "declaration/ui/Tfrmproblemes.h"
#include "summary/DeclarationSummary.h"
#include "widgets/QtTranslations.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

using C = DeclarationFixture::Columns;
using Kind = MessageBoxes::Kind;

namespace {

db::Value txt(const QString& text) {
    return db::Value(text);
}

class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : m_saved(QDir::currentPath()) {
        QDir::setCurrent(folder);
    }
    ~CurrentFolder() { QDir::setCurrent(m_saved); }

private:
    QString m_saved;
};

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

/// Takes the desktop's "open" of file: URLs, as QDesktopServices hands them to a handler.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

/// Answers the first message box the dialog shows, on real widgets: records its text and
/// buttons and clicks the one named @p choice.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(const QString& choice) : m_choice(choice) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                return;
            }
            m_timer.stop();
            text = box->text();
            for (QAbstractButton* button : box->buttons()) {
                buttons.append(button->text());
            }
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == m_choice) {
                    button->click();
                    return;
                }
            }
            box->reject();
        });
        m_timer.start(20);
    }

    QString text;
    QStringList buttons;

private:
    QString m_choice;
    QTimer m_timer;
};

}  // namespace

class TestDeclarationDialog : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;

private slots:
    void initTestCase() {
        // The user's settings stay out of the tests, and every test starts from none.
        QVERIFY(m_settings.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }

    void init() {
        QSettings(QStringLiteral("Ardoz Prix de Transfert"), QStringLiteral("reglages")).clear();
    }

    // "Récapitulatif PDF" is on at first, remembered as the user leaves it, and writes the
    // review beside the file; one that cannot be written is said after the file's success.
    void recapitulatifCheckBox() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        const CurrentFolder cwd(f.outputFolder());
        const QString pdf = DeclarationSummary::pathFor(f.expectedPath());
        MessageBoxRecorder boxes;
        {
            Tfrmgeneration dialog(nullptr, &f.module());
            QCheckBox* box = dialog.findChild<QCheckBox*>();
            QCOMPARE(box, dialog.ChkRecapitulatif());
            QCOMPARE(box->text(), QStringLiteral("Récapitulatif PDF"));
            QVERIFY(box->isChecked());
            QVERIFY(box->focusPolicy() & Qt::TabFocus);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            // On the indicator: the box is as wide as the dialog, its text is not.
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
            QVERIFY(!box->isChecked());
            QTest::mouseClick(dialog.BtnOk(), Qt::LeftButton);
            QCOMPARE(boxes.texts(), QStringList{Tfrmgeneration::kSucces});
            QCOMPARE(entries(f.outputFolder()),
                     QStringList{QStringLiteral("FDPT-1234567A-2023.xml")});
        }
        boxes.clear();
        {
            Tfrmgeneration dialog(nullptr, &f.module());
            QVERIFY(!dialog.ChkRecapitulatif()->isChecked());
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::keyClick(dialog.ChkRecapitulatif(), Qt::Key_Space);
            QTest::mouseClick(dialog.BtnOk(), Qt::LeftButton);
            QCOMPARE(boxes.texts(), QStringList{Tfrmgeneration::kSucces});
            QFile written(pdf);
            QVERIFY(written.open(QIODevice::ReadOnly));
            QVERIFY(written.read(5) == "%PDF-");
        }
        boxes.clear();
        {
            // A folder where the review would go: the file is written, the review is not.
            QVERIFY(QFile::remove(pdf));
            QVERIFY(QDir().mkdir(pdf));
            Tfrmgeneration dialog(nullptr, &f.module());
            QVERIFY(dialog.ChkRecapitulatif()->isChecked());
            dialog.show();
            QTest::mouseClick(dialog.BtnOk(), Qt::LeftButton);
            QCOMPARE(boxes.texts(Kind::Information), QStringList{Tfrmgeneration::kSucces});
            const QStringList errors = boxes.texts(Kind::Error);
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().startsWith(
                         QStringLiteral("Le récapitulatif PDF n'a pas été écrit : ")),
                     qPrintable(errors.first()));
            QVERIFY(errors.first().endsWith(QStringLiteral("Le fichier Xml est conservé.")));
            QVERIFY(QFile::exists(f.expectedPath()));
            QVERIFY(QDir(pdf).isEmpty());
        }
    }

    // On real widgets: the success box offers "Ouvrir le récapitulatif", which asks the
    // desktop to open the PDF; OK opens nothing.
    void ouvrirLeRecapitulatif() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        const CurrentFolder cwd(f.outputFolder());
        UrlRecorder urls;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls, "open");
        {
            Tfrmgeneration dialog(nullptr, &f.module());
            dialog.show();
            BoxAnswerer answer(Tfrmgeneration::kOuvrirRecapitulatif);
            QTest::mouseClick(dialog.BtnOk(), Qt::LeftButton);
            QCOMPARE(answer.text, Tfrmgeneration::kSucces);
            QCOMPARE(answer.buttons,
                     (QStringList{QStringLiteral("OK"), Tfrmgeneration::kOuvrirRecapitulatif}));
        }
        QCOMPARE(urls.opened,
                 QList<QUrl>{QUrl::fromLocalFile(DeclarationSummary::pathFor(f.expectedPath()))});
        {
            Tfrmgeneration dialog(nullptr, &f.module());
            dialog.show();
            BoxAnswerer answer(QStringLiteral("OK"));
            QTest::mouseClick(dialog.BtnOk(), Qt::LeftButton);
            QCOMPARE(answer.text, Tfrmgeneration::kSucces);
        }
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(urls.opened.size(), 1);
    }
    void captionAndLabels() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"CODEACTE", txt("4")}, {"TYPEDECLARATION", txt("D")}});
        const CurrentFolder cwd(f.outputFolder());
        Tfrmgeneration dialog(nullptr, &f.module());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Génération  du Fichier Xml"));
        QCOMPARE(dialog.LabelSociete()->text(), Tfrmgeneration::texteSociete(*f.module().societe));
        QVERIFY(dialog.LabelSociete()->text().contains(QStringLiteral("1234567A  Exercice: 2023")));
        QVERIFY(dialog.LabelSociete()->text().contains(QStringLiteral("FDPT-1234567A-2023.xml")));
        QCOMPARE(dialog.LabelExercice()->text(), QStringLiteral("Exercice:2023"));
        QCOMPARE(dialog.LabelActe()->text(),
                 QStringLiteral("Acte de dépôt: 4 : Cessation d’activité"));
        QCOMPARE(dialog.LabelNature()->text(),
                 QStringLiteral("Nature de dépôt:  D : Déclaration définitive"));
        QCOMPARE(dialog.LabelRepertoire()->text(), QStringLiteral("Répertoire  des  Fichiers Xml"));
        QCOMPARE(dialog.LabelRepertoire()->buddy(), dialog.EditRepertoire());
        QCOMPARE(dialog.EditRepertoire()->text(), QDir::toNativeSeparators(QDir::currentPath()));
        QCOMPARE(dialog.focusWidget(), dialog.EditRepertoire());
        QCOMPARE(dialog.BtnOk()->text(), QStringLiteral("Valider"));
        QCOMPARE(dialog.BtnFermer()->text(), QStringLiteral("Fermer"));
        QVERIFY(!(dialog.BtnOk()->focusPolicy() & Qt::TabFocus));
        QVERIFY(!(dialog.BtnFermer()->focusPolicy() & Qt::TabFocus));
        QVERIFY(!dialog.BtnParcourir()->toolTip().isEmpty());
        QCOMPARE(dialog.BtnParcourir()->accessibleName(), dialog.BtnParcourir()->toolTip());
    }

    void labelTexts() {
        QCOMPARE(Tfrmgeneration::texteActe("0"), QStringLiteral("Acte de dépôt: 0 : Initiale"));
        QCOMPARE(Tfrmgeneration::texteActe("1"),
                 QStringLiteral("Acte de dépôt: 1 : Rectificative"));
        QCOMPARE(Tfrmgeneration::texteActe(QString()), QStringLiteral("Acte de Dépot"));
        QCOMPARE(Tfrmgeneration::texteActe("2"), QStringLiteral("Acte de Dépot"));
        QCOMPARE(Tfrmgeneration::texteNature("P"),
                 QStringLiteral("Nature de dépôt:  P : Déclaration provisoire"));
        QCOMPARE(Tfrmgeneration::texteNature(QString()), QStringLiteral("Nature Dépot"));
    }

    void emptyCodesShowTheDefaultLabels() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        Tfrmgeneration dialog(nullptr, &f.module());
        QCOMPARE(dialog.LabelActe()->text(), QStringLiteral("Acte de Dépot"));
        QCOMPARE(dialog.LabelNature()->text(), QStringLiteral("Nature Dépot"));
    }

    void validerWritesTheSameFileAsTheCommandLine() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"RAISONSOCIALE", txt(QStringLiteral("Société Alpha"))}});
        f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                 {{"TYPEMONTANT", txt("3")},
                  {"ACHATS", db::Value(*db::Decimal::parse(QStringLiteral("100.4")))}});
        const CurrentFolder cwd(f.outputFolder());
        DeclarationWriter check(f.module());
        check.check();
        MessageBoxRecorder boxes;
        boxes.setConfirmAnswer(false);
        Tfrmgeneration dialog(nullptr, &f.module());
        dialog.show();
        QTest::mouseClick(dialog.BtnOk(), Qt::LeftButton);
        // The success, then the problems of this incomplete declaration, whose list is declined.
        QCOMPARE(boxes.texts(),
                 (QStringList{QStringLiteral("Fichier Xml Générer avec succés"),
                              Tfrmgeneration::texteProblemes(check.problems().size())}));
        QCOMPARE(boxes.messages().first().kind, Kind::Information);
        QCOMPARE(boxes.messages().last().kind, Kind::Confirmation);
        QVERIFY(boxes.texts().last().startsWith(QStringLiteral("Le contrôle relève ")));
        QVERIFY(!dialog.ListeProblemes());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        QFile written(f.expectedPath());
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray fromDialog = written.readAll();
        written.close();

        QTemporaryDir other;
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QCOMPARE(GenerateCommand::run(
                     {"ardoz", "--generate", "--company", "1234567A", "--year", "2023", "--output",
                      other.path(), "--database", f.database().databasePath()},
                     outStream, errStream),
                 0);
        QFile fromCommand(QDir(other.path()).filePath(QStringLiteral("FDPT-1234567A-2023.xml")));
        QVERIFY(fromCommand.open(QIODevice::ReadOnly));
        QCOMPARE(fromCommand.readAll(), fromDialog);
    }

    // "Contrôler" writes nothing and lists the problems; a problem opened from the list
    // asks for its place and closes the dialog, whose list then belongs to the main window.
    void controlerListsTheProblems() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        f.exec(QStringLiteral("update CAPITALLIEE set AUTREIDENTIFIANT = null where LG = 2"));
        f.exec(QStringLiteral("update OPERATIONPRETEMPRUNT set DEVISE = 'SLE' where LG = 2"));
        QVERIFY(f.select());
        const CurrentFolder cwd(f.outputFolder());
        MessageBoxRecorder boxes;
        QWidget main;
        Tfrmgeneration dialog(&main, &f.module());
        QSignalSpy opened(&dialog, &Tfrmgeneration::listeProblemesOuverte);
        dialog.show();
        QTest::mouseClick(dialog.BtnControler(), Qt::LeftButton);
        QVERIFY(boxes.isEmpty());
        QVERIFY(entries(f.outputFolder()).isEmpty());
        QVERIFY(dialog.isVisible());

        Tfrmproblemes* liste = dialog.ListeProblemes();
        QVERIFY(liste);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.first().first().value<Tfrmproblemes*>(), liste);
        QVERIFY(liste->isVisible());
        QAbstractItemModelTester tester(liste->model());
        QCOMPARE(liste->model()->rowCount(), 2);
        QCOMPARE(liste->model()->index(0, ProblemListModel::Page).data().toString(),
                 QStringLiteral("Liens Capital"));
        QCOMPARE(liste->model()->index(0, ProblemListModel::Ligne).data().toInt(), 2);
        QCOMPARE(liste->model()->index(1, ProblemListModel::Champ).data().toString(),
                 QStringLiteral("Devise"));
        QVERIFY(
            liste->LabelResume()->text().contains(QStringLiteral("FDPT-1234567A-2023 : 2 "
                                                                 "problèmes")));

        // The whole sentence of the selected problem shows under the list.
        QCOMPARE(liste->LabelDetail()->text(), liste->model()->problem(0).text());
        liste->BtnCopierClick();
        QCOMPARE(QApplication::clipboard()->text(),
                 liste->model()->problem(0).text() + u'\n' + liste->model()->problem(1).text());

        QSignalSpy asked(liste, &Tfrmproblemes::emplacementDemande);
        QTableView* grille = liste->GrilleProblemes();
        grille->setCurrentIndex(liste->model()->index(1, 0));
        QTest::keyClick(grille, Qt::Key_Return);
        QCOMPARE(asked.count(), 1);
        const auto devise = asked.first().first().value<ProblemLocation>();
        QCOMPARE(devise.page, DeclarationPage::PretsEmprunts);
        QCOMPARE(devise.lg, 2);
        QCOMPARE(devise.column, QStringLiteral("DEVISE"));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(liste->parentWidget(), &main);
        QVERIFY(liste->isVisible());

        QVERIFY(QTest::qWaitForWindowExposed(liste));
        const QRect first = grille->visualRect(liste->model()->index(0, 3));
        QTest::mouseClick(grille->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(grille->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(asked.count(), 2);
        const auto identifiant = asked.last().first().value<ProblemLocation>();
        QCOMPARE(identifiant.page, DeclarationPage::LiensCapital);
        QCOMPARE(identifiant.lg, 2);
        QCOMPARE(identifiant.column, QStringLiteral("MFISCALLIE"));

        QPointer<Tfrmproblemes> guard(liste);
        QTest::mouseClick(liste->BtnFermer(), Qt::LeftButton);
        QTRY_VERIFY(guard.isNull());
    }

    void controlerWithoutProblem() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        const CurrentFolder cwd(f.outputFolder());
        MessageBoxRecorder boxes;
        Tfrmgeneration dialog(nullptr, &f.module());
        dialog.show();
        QTest::mouseClick(dialog.BtnControler(), Qt::LeftButton);
        QCOMPARE(boxes.texts(Kind::Information), QStringList{Tfrmgeneration::texteAucunProbleme()});
        QVERIFY(boxes.texts().first().contains(QStringLiteral("FDPT.xsd version 2.0")));
        QVERIFY(!dialog.ListeProblemes());
        QVERIFY(dialog.isVisible());
        QVERIFY(entries(f.outputFolder()).isEmpty());
    }

    void generationOffersTheList() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        f.exec(QStringLiteral("update SOCIETE set CODEPOSTAL = 12345"));
        QVERIFY(f.select());
        const CurrentFolder cwd(f.outputFolder());
        MessageBoxRecorder boxes;
        QWidget main;
        Tfrmgeneration dialog(&main, &f.module());
        dialog.show();
        QTest::mouseClick(dialog.BtnOk(), Qt::LeftButton);
        QCOMPARE(boxes.texts(),
                 (QStringList{Tfrmgeneration::kSucces, Tfrmgeneration::texteProblemes(1)}));
        QCOMPARE(boxes.texts().last(),
                 QStringLiteral("Le contrôle relève 1 problème que l'administration refuserait "
                                "(schéma FDPT.xsd version 2.0).\nVoulez-vous en voir la liste ?"));
        QVERIFY(QFile::exists(f.expectedPath()));
        QVERIFY(!dialog.isVisible());
        Tfrmproblemes* liste = dialog.ListeProblemes();
        QVERIFY(liste);
        QCOMPARE(liste->parentWidget(), &main);
        QCOMPARE(liste->model()->rowCount(), 1);
        QCOMPARE(liste->model()->problem(0).location.column, QStringLiteral("CODEPOSTAL"));
    }

    void failureShowsTheErrorAndCloses() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        MessageBoxRecorder boxes;
        Tfrmgeneration dialog(nullptr, &f.module());
        const QString missing = QDir(f.outputFolder()).filePath(QStringLiteral("absent"));
        dialog.EditRepertoire()->setText(missing);
        dialog.show();
        QTest::mouseClick(dialog.BtnOk(), Qt::LeftButton);
        QCOMPARE(boxes.texts(Kind::Error),
                 QStringList{DeclarationWriter::kFolderMissing.arg(missing)});
        QVERIFY(boxes.texts(Kind::Information).isEmpty());
        QVERIFY(!dialog.isVisible());
        QVERIFY(entries(f.outputFolder()).isEmpty());
    }

    void emptyFolderIsRefused() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        MessageBoxRecorder boxes;
        Tfrmgeneration dialog(nullptr, &f.module());
        dialog.EditRepertoire()->clear();
        dialog.GenXml();
        QCOMPARE(boxes.texts(Kind::Error), QStringList{DeclarationWriter::kNoFolder});
        QVERIFY(boxes.texts(Kind::Information).isEmpty());
    }

    void noCompanyIsRefused() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.module().societe->open();
        MessageBoxRecorder boxes;
        Tfrmgeneration dialog(nullptr, &f.module());
        QCOMPARE(dialog.LabelExercice()->text(), QStringLiteral("Exercice:"));
        QCOMPARE(dialog.LabelSociete()->text(), Tfrmgeneration::kAucuneSociete);
        dialog.EditRepertoire()->setText(f.outputFolder());
        dialog.GenXml();
        QCOMPARE(boxes.texts(Kind::Error), QStringList{DeclarationWriter::kNoActiveCompany});
        QVERIFY(entries(f.outputFolder()).isEmpty());
    }

    void fermerWritesNothing() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const CurrentFolder cwd(f.outputFolder());
        MessageBoxRecorder boxes;
        Tfrmgeneration dialog(nullptr, &f.module());
        dialog.show();
        QTest::mouseClick(dialog.BtnFermer(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(boxes.isEmpty());
        QVERIFY(entries(f.outputFolder()).isEmpty());
    }

    void enterAndEscapeDoNothing() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const CurrentFolder cwd(f.outputFolder());
        MessageBoxRecorder boxes;
        Tfrmgeneration dialog(nullptr, &f.module());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(dialog.EditRepertoire(), Qt::Key_Return);
        QTest::keyClick(dialog.EditRepertoire(), Qt::Key_Enter);
        QTest::keyClick(dialog.EditRepertoire(), Qt::Key_Escape);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QVERIFY(boxes.isEmpty());
        QVERIFY(entries(f.outputFolder()).isEmpty());
    }

    void browseCreatesATypedFolder() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        MessageBoxRecorder boxes;
        boxes.setConfirmAnswer(true);
        Tfrmgeneration dialog(nullptr, &f.module());
        dialog.EditRepertoire()->setText(f.outputFolder());
        dialog.show();
        QString startFolder;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<FolderChooser*>(QApplication::activeModalWidget());
            if (!chooser) {
                return;
            }
            startFolder = chooser->directory().absolutePath();
            chooser->selectFile(QStringLiteral("Déclarations 2023"));
            chooser->accept();
        });
        QTest::mouseClick(dialog.BtnParcourir(), Qt::LeftButton);
        const QString created =
            QDir(f.outputFolder()).filePath(QStringLiteral("Déclarations 2023"));
        QCOMPARE(startFolder, QDir(f.outputFolder()).absolutePath());
        QCOMPARE(
            boxes.texts(Kind::Confirmation),
            QStringList{FolderChooser::kCreateQuestion.arg(QDir::toNativeSeparators(created))});
        QVERIFY(QFileInfo(created).isDir());
        QCOMPARE(dialog.EditRepertoire()->text(), QDir::toNativeSeparators(created));
    }

    void browseDeclinedCreatesNothing() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        MessageBoxRecorder boxes;
        boxes.setConfirmAnswer(false);
        Tfrmgeneration dialog(nullptr, &f.module());
        // A field that names no folder: the chooser opens at the root of the drive.
        dialog.EditRepertoire()->setText(QDir(f.outputFolder()).filePath(QStringLiteral("absent")));
        dialog.show();
        QString startFolder;
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<FolderChooser*>(QApplication::activeModalWidget());
            if (!chooser) {
                return;
            }
            startFolder = chooser->directory().absolutePath();
            chooser->setDirectory(f.outputFolder());
            chooser->selectFile(QStringLiteral("refusé"));
            chooser->accept();  // declined: the chooser stays open
            const bool stillOpen = chooser->isVisible();
            chooser->reject();
            if (!stillOpen) {
                startFolder = QStringLiteral("fermé trop tôt");
            }
        });
        const QString before = dialog.EditRepertoire()->text();
        QTest::mouseClick(dialog.BtnParcourir(), Qt::LeftButton);
        QCOMPARE(startFolder, QDir(FolderChooser::rootOfCurrentDrive()).absolutePath());
        QCOMPARE(boxes.texts(Kind::Confirmation).size(), 1);
        QVERIFY(!QFileInfo::exists(QDir(f.outputFolder()).filePath(QStringLiteral("refusé"))));
        QCOMPARE(dialog.EditRepertoire()->text(), before);
    }

    void theChooserSpeaksFrenchAndChoisirStaysUsable() {
        QVERIFY2(QtTranslations::installFrench(*qApp), "qt6-translations-l10n manque");
        QTemporaryDir root;
        MessageBoxRecorder boxes;
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("existant")));
        QFile fichier(QDir(root.path()).filePath(QStringLiteral("notes.txt")));
        QVERIFY(fichier.open(QIODevice::WriteOnly));
        fichier.close();

        FolderChooser chooser(nullptr, root.path());
        chooser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chooser));
        auto* details = chooser.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(details);
        QTRY_COMPARE(details->model()->rowCount(details->rootIndex()), 1);
        QStringList textes;
        QHeaderView* header = details->header();
        for (int c = 0; c < header->count(); ++c) {
            if (!header->isSectionHidden(c)) {
                textes.append(details->model()->headerData(c, Qt::Horizontal).toString());
            }
        }
        QCOMPARE(textes, QStringList({"Nom", QStringLiteral("Dernière modification")}));
        // The date is shown whole.
        const QString date = details->model()->index(0, 3, details->rootIndex()).data().toString();
        QVERIFY(!date.isEmpty());
        QVERIFY(header->sectionSize(3) > details->fontMetrics().horizontalAdvance(date));
        auto* places = chooser.findChild<QListView*>(QStringLiteral("sidebar"));
        textes.append(places->model()->index(0, 0).data().toString());
        textes.append(
            chooser.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText());
        for (QAbstractButton* b : chooser.findChildren<QAbstractButton*>()) {
            textes.append(b->text().isEmpty() ? b->toolTip() : b->text());
        }
        QVERIFY2(textes.contains(QStringLiteral("Ordinateur")) &&
                     textes.contains(QStringLiteral("Dossiers")) &&
                     textes.contains(QStringLiteral("Créer un nouveau dossier")) &&
                     textes.contains(QStringLiteral("Choisir")),
                 qPrintable(textes.join(u'|')));
        for (const char* anglais : {"Name", "Size", "Date Modified", "Computer", "Directories",
                                    "Folder", "Create New Folder", "Back", "Parent Directory"}) {
            QVERIFY2(!textes.contains(QLatin1String(anglais)), anglais);
        }

        // A typed new name leaves "Choisir" usable; a click asks the create question.
        auto* nom = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        nom->setFocus();
        QTest::keyClicks(nom, "nouveau");
        QVERIFY(chooser.choisir()->isEnabled());
        // A file where the folder should be is said to be a file.
        nom->setText(QStringLiteral("notes.txt"));
        QVERIFY(chooser.choisir()->isEnabled());
        QTest::mouseClick(chooser.choisir(), Qt::LeftButton);
        const QString notes = QDir(root.path()).filePath(QStringLiteral("notes.txt"));
        QCOMPARE(boxes.texts(Kind::Error),
                 QStringList{FolderChooser::kNotAFolder.arg(QDir::toNativeSeparators(notes))});
        QVERIFY(boxes.texts(Kind::Confirmation).isEmpty());
        QVERIFY(chooser.isVisible());

        nom->setText(QStringLiteral("nouveau"));
        QTest::mouseClick(chooser.choisir(), Qt::LeftButton);
        const QString nouveau = QDir(root.path()).filePath(QStringLiteral("nouveau"));
        QCOMPARE(
            boxes.texts(Kind::Confirmation),
            QStringList{FolderChooser::kCreateQuestion.arg(QDir::toNativeSeparators(nouveau))});
        QVERIFY(QFileInfo(nouveau).isDir());
        QCOMPARE(chooser.result(), int(QDialog::Accepted));

        // Qt's own message boxes answer in French too.
        QMessageBox question(QMessageBox::Question, QStringLiteral("Confirmation"),
                             QStringLiteral("?"), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.button(QMessageBox::Yes)->text(), QStringLiteral("&Oui"));
        QCOMPARE(question.button(QMessageBox::No)->text(), QStringLiteral("&Non"));
    }

    void aFileInTheFolderFieldIsSaidToBeAFile() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const QString fichier = QDir(f.outputFolder()).filePath(QStringLiteral("pas-un-dossier"));
        QFile file(fichier);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        MessageBoxRecorder boxes;
        Tfrmgeneration dialog(nullptr, &f.module());
        dialog.EditRepertoire()->setText(fichier);
        dialog.GenXml();
        QCOMPARE(boxes.texts(Kind::Error), QStringList{FolderChooser::kNotAFolder.arg(fichier)});
        QCOMPARE(entries(f.outputFolder()), QStringList{QStringLiteral("pas-un-dossier")});
    }
};

QTEST_MAIN(TestDeclarationDialog)
#include "tst_declaration_dialog.moc"
