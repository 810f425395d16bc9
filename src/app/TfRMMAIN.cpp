#include "app/TfRMMAIN.h"

#include "app/FenetreFille.h"
#include "app/StopSignals.h"
#include "app/TFrminitialisation.h"
#include "companies/Tfrmsocietes.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "declaration/Tfrmgeneration.h"
#include "operations/TFrmoperations.h"
#include "reference/TFrmdevise.h"
#include "reference/TFrmetatterritoire.h"
#include "widgets/ContexteSocieteActive.h"
#include "widgets/MessageBoxes.h"
#include "widgets/TFrmMotPasse.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QIcon icone(const QWidget* w, const char* theme, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(theme), w->style()->standardIcon(fallback));
}

/// A caption without its mnemonic marker ("&Quitter" gives "Quitter", "&&" gives "&").
QString sansMnemonique(const QString& caption) {
    QString texte;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        texte.append(caption.at(i));
    }
    return texte;
}

}  // namespace

TfRMMAIN::TfRMMAIN(QWidget* parent)
    : QMainWindow(parent), m_contexte(new ContexteSocieteActive(this)) {
    setObjectName(QStringLiteral("fRMMAIN"));
    setWindowTitle(titre());
    m_contexte->ModeSocietes = 1;
    // Without a window manager (or before it answers) the window still covers the screen.
    if (const QScreen* ecran = screen()) {
        setGeometry(ecran->availableGeometry());
    }

    m_zoneFenetres = new QMdiArea(this);
    m_zoneFenetres->setObjectName(QStringLiteral("ZoneFenetres"));
    m_zoneFenetres->setActivationOrder(QMdiArea::CreationOrder);
    m_zoneFenetres->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_zoneFenetres->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* centre = new QWidget(this);
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(creerPages());
    layout->addWidget(creerBarreAcces());
    layout->addWidget(m_zoneFenetres, 1);
    layout->addWidget(creerPanneauScript());
    setCentralWidget(centre);

    auto* script = new QAction(QStringLiteral("Exécuter Un Script"), this);
    script->setObjectName(QStringLiteral("ActionScript"));
    script->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F12")));
    script->setShortcutContext(Qt::ApplicationShortcut);
    connect(script, &QAction::triggered, this, &TfRMMAIN::ScriptClick);
    addAction(script);

    connect(m_contexte, &ContexteSocieteActive::libelleSocieteChanged, m_societeActive,
            &QLabel::setText);
}

TfRMMAIN::~TfRMMAIN() {
    // Child windows are views on the data module's datasets: they go first, while the
    // datasets they listen to are still there.
    const auto fenetres = m_zoneFenetres->subWindowList();
    for (QMdiSubWindow* fenetre : fenetres) {
        delete fenetre;
    }
}

QToolButton* TfRMMAIN::ajouterCommande(QWidget* page, const QString& caption, const QString& hint,
                                       const QIcon& icon) {
    auto* bouton = new QToolButton(page);
    // The marker gives the command its Alt+letter; screen readers and tests read the plain text.
    bouton->setText(caption);
    bouton->setIcon(icon);
    bouton->setIconSize(QSize(32, 32));
    bouton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bouton->setAutoRaise(true);
    bouton->setAccessibleName(sansMnemonique(caption));
    if (!hint.isEmpty()) {
        bouton->setToolTip(hint);
        bouton->setStatusTip(hint);
    }
    bouton->setMinimumWidth(110);
    static_cast<QHBoxLayout*>(page->layout())->insertWidget(page->layout()->count() - 1, bouton);
    return bouton;
}

QWidget* TfRMMAIN::creerPages() {
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PagesCommandes"));
    m_pages->setDocumentMode(true);
    auto nouvellePage = [this](const QString& titre) {
        auto* page = new QWidget(m_pages);
        auto* rangee = new QHBoxLayout(page);
        rangee->setContentsMargins(4, 2, 4, 2);
        rangee->addStretch();
        m_pages->addTab(page, titre);
        return page;
    };

    QList<QToolButton*> sansFenetre;
    QWidget* identification = nouvellePage(QStringLiteral("&Identification Entreprise"));
    sansFenetre.append(
        ajouterCommande(identification, QStringLiteral("I&dentification et Informations Ese"),
                        QString(), icone(this, "contact-new", QStyle::SP_FileDialogInfoView)));
    sansFenetre.append(ajouterCommande(identification, QStringLiteral("Informations G&roupe Ese"),
                                       QString(),
                                       icone(this, "system-users", QStyle::SP_DirHomeIcon)));

    QWidget* operations = nouvellePage(QStringLiteral("&Opérations"));
    QList<QToolButton*> commandesOperations;
    commandesOperations.append(ajouterCommande(
        operations, QStringLiteral("&Montant Transcation"),
        QStringLiteral("Montant Transactions et Méthodes de détermination du Prix de Transfert"),
        icone(this, "x-office-spreadsheet", QStyle::SP_FileDialogDetailedView)));
    commandesOperations.append(
        ajouterCommande(operations, QStringLiteral("Informations Prets et &Emprunts"), QString(),
                        icone(this, "view-list-details", QStyle::SP_FileDialogListView)));
    commandesOperations.append(ajouterCommande(
        operations, QStringLiteral("Opérations sans &Contre Partie"),
        QStringLiteral("Opérations sans Contre Partie ou avec contre partie non monétaire"),
        icone(this, "view-list-text", QStyle::SP_FileDialogContentsView)));
    commandesOperations.append(ajouterCommande(
        operations, QStringLiteral("Opérations avec &accord préalable ou rescrits fiscaux"),
        QStringLiteral("Opérations avec accord préalable ou rescrits fiscaux"),
        icone(this, "document-properties", QStyle::SP_FileDialogInfoView)));
    // Each command opens a new operations window on its page (Indicateur 1 to 4).
    for (int page = 1; page <= commandesOperations.size(); ++page) {
        connect(commandesOperations[page - 1], &QToolButton::clicked, this,
                [this, page] { ouvrirOperations(page); });
    }

    QWidget* parametres = nouvellePage(QStringLiteral("&Paramètres"));
    QToolButton* societes = ajouterCommande(parametres, QStringLiteral("&Sociétés"), QString(),
                                            icone(this, "go-home", QStyle::SP_DirHomeIcon));
    connect(societes, &QToolButton::clicked, this, &TfRMMAIN::SocietesClick);
    QToolButton* devises =
        ajouterCommande(parametres, QStringLiteral("&Devises"), QString(),
                        icone(this, "accessories-calculator", QStyle::SP_FileDialogListView));
    connect(devises, &QToolButton::clicked, this, &TfRMMAIN::DevisesClick);
    QToolButton* etats =
        ajouterCommande(parametres, QStringLiteral("&Etats Térritorial"), QString(),
                        icone(this, "applications-internet", QStyle::SP_DriveNetIcon));
    connect(etats, &QToolButton::clicked, this, &TfRMMAIN::EtatsTerritorialClick);
    QToolButton* initialisation =
        ajouterCommande(parametres, QStringLiteral("I&nitialisation"), QString(),
                        icone(this, "edit-clear", QStyle::SP_TrashIcon));
    connect(initialisation, &QToolButton::clicked, this, &TfRMMAIN::InitialisationClick);

    QWidget* generation = nouvellePage(QStringLiteral("&Génération Fichier"));
    QToolButton* generer =
        ajouterCommande(generation, QStringLiteral("Génération &Fichier"), QString(),
                        icone(this, "document-save", QStyle::SP_DialogSaveButton));
    connect(generer, &QToolButton::clicked, this, &TfRMMAIN::GenerationFichierClick);

    // Commands whose window this version does not have yet stay visible, greyed out,
    // so that the pages keep their layout and nothing pretends to work.
    for (QToolButton* bouton : sansFenetre) {
        bouton->setEnabled(false);
    }
    m_pages->setCurrentIndex(1);

    // "Quitter" stands beside the pages.
    auto* quitter = new QToolButton(this);
    quitter->setText(QStringLiteral("&Quitter"));
    quitter->setAccessibleName(QStringLiteral("Quitter"));
    quitter->setIcon(icone(this, "application-exit", QStyle::SP_DialogCloseButton));
    quitter->setIconSize(QSize(32, 32));
    quitter->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    quitter->setAutoRaise(true);
    quitter->setObjectName(QStringLiteral("BtnQuitter"));
    connect(quitter, &QToolButton::clicked, this, &TfRMMAIN::QuitterClick);
    m_pages->setMaximumHeight(m_pages->sizeHint().height() + 8);

    auto* rangee = new QWidget(this);
    auto* layout = new QHBoxLayout(rangee);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages, 1);
    layout->addWidget(quitter, 0, Qt::AlignBottom);
    return rangee;
}

QWidget* TfRMMAIN::creerBarreAcces() {
    auto* barre = new QWidget(this);
    barre->setObjectName(QStringLiteral("BarreAcces"));
    auto* rangee = new QHBoxLayout(barre);
    rangee->setContentsMargins(0, 0, 0, 0);
    auto boutonIcone = [barre, rangee](const QString& hint, const QIcon& icon, const char* name) {
        auto* bouton = new QToolButton(barre);
        bouton->setIcon(icon);
        bouton->setIconSize(QSize(24, 24));
        bouton->setAutoRaise(true);
        bouton->setToolTip(hint);
        bouton->setStatusTip(hint);
        bouton->setAccessibleName(hint);
        bouton->setObjectName(QString::fromLatin1(name));
        rangee->addWidget(bouton);
        return bouton;
    };
    QToolButton* precedent =
        boutonIcone(QStringLiteral("Aller vers Ecran Précédant"),
                    icone(this, "go-previous", QStyle::SP_ArrowBack), "BtnEcranPrecedant");
    QToolButton* suivant =
        boutonIcone(QStringLiteral("Aller vers Ecran Suivant"),
                    icone(this, "go-next", QStyle::SP_ArrowForward), "BtnEcranSuivant");
    QToolButton* calculatrice = boutonIcone(
        QStringLiteral("Calculatrice"),
        icone(this, "accessories-calculator", QStyle::SP_ComputerIcon), "BtnCalculatrice");
    calculatrice->setText(QStringLiteral("Fermer"));
    // The usual keys of document windows: Ctrl+F6 goes to the next one.
    suivant->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6));
    precedent->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
    connect(precedent, &QToolButton::clicked, this, &TfRMMAIN::EcranPrecedantClick);
    connect(suivant, &QToolButton::clicked, this, &TfRMMAIN::EcranSuivantClick);
    connect(calculatrice, &QToolButton::clicked, this, &TfRMMAIN::CalculatriceClick);

    rangee->addStretch();
    auto* legende = new QLabel(QStringLiteral("Société Active"), barre);
    legende->setObjectName(QStringLiteral("LabelSocieteActive"));
    QFont gras = legende->font();
    gras.setBold(true);
    legende->setFont(gras);
    m_societeActive = new QLabel(m_contexte->libelleSociete(), barre);
    m_societeActive->setObjectName(QStringLiteral("Societeactive"));
    m_societeActive->setFont(gras);
    m_societeActive->setStyleSheet(QStringLiteral("color: #00307a;"));
    m_societeActive->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rangee->addWidget(legende);
    rangee->addSpacing(8);
    rangee->addWidget(m_societeActive);
    return barre;
}

QGroupBox* TfRMMAIN::creerPanneauScript() {
    m_panneauScript = new QGroupBox(QStringLiteral("Exécuter Un Script"), this);
    m_panneauScript->setObjectName(QStringLiteral("PanneauScript"));
    m_editeurScript = new QTextEdit(m_panneauScript);
    m_editeurScript->setObjectName(QStringLiteral("EditeurScript"));
    m_editeurScript->setAcceptRichText(false);
    m_editeurScript->setAccessibleName(QStringLiteral("Script"));
    m_editeurScript->setFontFamily(QStringLiteral("monospace"));
    auto* executer = new QPushButton(QStringLiteral("Exécuter Script"), m_panneauScript);
    executer->setObjectName(QStringLiteral("BtnExecuterScript"));
    auto* fermer = new QPushButton(QStringLiteral("Fermer"), m_panneauScript);
    fermer->setObjectName(QStringLiteral("BtnFermerScript"));
    connect(executer, &QPushButton::clicked, this, &TfRMMAIN::BtnExecuterScriptClick);
    connect(fermer, &QPushButton::clicked, this, &TfRMMAIN::BtnFermerScriptClick);
    auto* boutons = new QVBoxLayout;
    boutons->addWidget(executer);
    boutons->addWidget(fermer);
    boutons->addStretch();
    auto* rangee = new QHBoxLayout(m_panneauScript);
    rangee->addWidget(m_editeurScript, 1);
    rangee->addLayout(boutons);
    m_panneauScript->setMaximumHeight(220);
    m_panneauScript->hide();
    return m_panneauScript;
}

QString TfRMMAIN::libelleSocieteActive() const {
    return m_societeActive->text();
}

QMdiSubWindow* TfRMMAIN::ouvrirFenetre(QWidget* form) {
    auto* fenetre = new FenetreFille(form);
    m_zoneFenetres->addSubWindow(fenetre);
    fenetre->showMaximized();
    return fenetre;
}

TFrmoperations* TfRMMAIN::ouvrirOperations(int page) {
    m_contexte->Indicateur = page;
    auto* fenetre = new TFrmoperations(*this);
    ouvrirFenetre(fenetre);
    return fenetre;
}

Tfrmsocietes* TfRMMAIN::ouvrirListeSocietes() {
    auto* liste = new Tfrmsocietes(*this);
    ouvrirFenetre(liste);
    return liste;
}

void TfRMMAIN::SocietesClick() {
    m_contexte->ModeSocietes = 2;
    ouvrirListeSocietes();
}

void TfRMMAIN::DevisesClick() {
    ouvrirFenetre(new TFrmdevise);
}

void TfRMMAIN::EtatsTerritorialClick() {
    ouvrirFenetre(new TFrmetatterritoire);
}

void TfRMMAIN::InitialisationClick() {
    TFrminitialisation dialogue(this);
    dialogue.exec();
}

void TfRMMAIN::GenerationFichierClick() {
    Tfrmgeneration dialogue(this);
    dialogue.exec();
}

void TfRMMAIN::EcranPrecedantClick() {
    m_zoneFenetres->activatePreviousSubWindow();
}

void TfRMMAIN::EcranSuivantClick() {
    m_zoneFenetres->activateNextSubWindow();
}

QString TfRMMAIN::programmeCalculatrice() {
#ifdef Q_OS_WIN
    const QString chemin = QDir::current().absoluteFilePath(QStringLiteral("../Calc.exe"));
    return QFileInfo::exists(chemin) ? chemin : QString();
#else
    for (const char* nom : {"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk",
                            "qalculate-qt", "xcalc"}) {
        const QString chemin = QStandardPaths::findExecutable(QString::fromLatin1(nom));
        if (!chemin.isEmpty()) {
            return chemin;
        }
    }
    return QString();
#endif
}

void TfRMMAIN::CalculatriceClick() {
    const QString programme = programmeCalculatrice();
    if (!programme.isEmpty()) {
        // Whether it started is not looked at: a missing calculator shows nothing.
        StopSignals::startDetached(programme);
    }
}

void TfRMMAIN::QuitterClick() {
    close();
}

void TfRMMAIN::closeEvent(QCloseEvent* event) {
    event->accept();
    QCoreApplication::quit();
}

void TfRMMAIN::ScriptClick() {
    if (!TFrmMotPasse::demanderCodeAcces(this)) {
        return;
    }
    m_panneauScript->show();
    m_editeurScript->setFocus(Qt::OtherFocusReason);
}

void TfRMMAIN::BtnExecuterScriptClick() {
    // The text is sent as one statement, line breaks included, as the program has always
    // sent it (CR LF).
    QString texte = m_editeurScript->toPlainText();
    texte.replace(u'\n', QStringLiteral("\r\n"));
    try {
        m_ExecuterSql.executer(u' ' + texte);
        Dataprix->commitRetaining();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    MessageBoxes::information(this, QStringLiteral("Sql Exécuté"));
}

void TfRMMAIN::BtnFermerScriptClick() {
    m_panneauScript->hide();
}
