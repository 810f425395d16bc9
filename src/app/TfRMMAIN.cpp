#include "app/TfRMMAIN.h"

#include "app/FenetreFille.h"
#include "app/StopSignals.h"
#include "app/TFrmSauvegarde.h"
#include "app/TFrminitialisation.h"
#include "companies/Tfrmparamsociete.h"
#include "companies/Tfrmsocietes.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "declaration/ProblemLocation.h"
#include "declaration/ui/Tfrmgeneration.h"
#include "declaration/ui/Tfrmproblemes.h"
#include "group/Tfrminfogroupe.h"
#include "import/ui/AssistantImport.h"
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
#include <QPointer>
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

    // The usual keys of document windows close the active one, through its own close.
    auto* fermer = new QAction(QStringLiteral("Fermer la fenêtre"), this);
    fermer->setObjectName(QStringLiteral("ActionFermerFenetre"));
    fermer->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_W)});
    fermer->setShortcutContext(Qt::WindowShortcut);
    connect(fermer, &QAction::triggered, this, &TfRMMAIN::fermerFenetreActive);
    addAction(fermer);

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

    QWidget* identification = nouvellePage(QStringLiteral("&Identification Entreprise"));
    QToolButton* identificationEse =
        ajouterCommande(identification, QStringLiteral("I&dentification et Informations Ese"),
                        QString(), icone(this, "contact-new", QStyle::SP_FileDialogInfoView));
    connect(identificationEse, &QToolButton::clicked, this,
            &TfRMMAIN::IdentificationEntrepriseClick);
    QToolButton* groupe =
        ajouterCommande(identification, QStringLiteral("Informations G&roupe Ese"), QString(),
                        icone(this, "system-users", QStyle::SP_DirHomeIcon));
    connect(groupe, &QToolButton::clicked, this, &TfRMMAIN::InformationsGroupeClick);

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
    QToolButton* sauvegarde =
        ajouterCommande(parametres, QStringLiteral("S&auvegarde"),
                        QStringLiteral("Sauvegarder la base dans un fichier"),
                        icone(this, "document-save-as", QStyle::SP_DialogSaveButton));
    connect(sauvegarde, &QToolButton::clicked, this, &TfRMMAIN::SauvegardeClick);
    QToolButton* restauration =
        ajouterCommande(parametres, QStringLiteral("&Restauration"),
                        QStringLiteral("Restaurer une sauvegarde dans une nouvelle base"),
                        icone(this, "document-revert", QStyle::SP_BrowserReload));
    connect(restauration, &QToolButton::clicked, this, &TfRMMAIN::RestaurationClick);

    QWidget* generation = nouvellePage(QStringLiteral("&Génération Fichier"));
    QToolButton* generer =
        ajouterCommande(generation, QStringLiteral("Génération &Fichier"), QString(),
                        icone(this, "document-save", QStyle::SP_DialogSaveButton));
    connect(generer, &QToolButton::clicked, this, &TfRMMAIN::GenerationFichierClick);

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

ServicesFenetres::ImportExcel TfRMMAIN::importExcel() {
    return [](QWidget* fenetre, int page, Dataset& dataset) {
        AssistantImport::importerPage(fenetre, page, dataset);
    };
}

QMdiSubWindow* TfRMMAIN::ouvrirFenetre(QWidget* form) {
    // The field a window chose to open in: the frame, once shown, would focus its first
    // control (a tab bar) instead.
    const QPointer<QWidget> premier = form->focusWidget();
    auto* fenetre = new FenetreFille(form);
    m_zoneFenetres->addSubWindow(fenetre);
    fenetre->showMaximized();
    if (premier) {
        premier->setFocus(Qt::OtherFocusReason);
    }
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

void TfRMMAIN::IdentificationEntrepriseClick() {
    Tfrmparamsociete::ouvrirModification(*this);
}

void TfRMMAIN::SocietesClick() {
    m_contexte->ModeSocietes = 2;
    ouvrirListeSocietes();
}

Tfrminfogroupe* TfRMMAIN::InformationsGroupeClick() {
    auto* fenetre = new Tfrminfogroupe(*this);
    try {
        // The company record stays in editing while the window is open; on an empty company
        // table this starts a new row.
        Dataprix->societe->edit();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
    ouvrirFenetre(fenetre);
    return fenetre;
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

void TfRMMAIN::SauvegardeClick() {
    if (!TFrmMotPasse::demanderCodeAcces(
            this, QStringLiteral("Sauvegarde"),
            QStringLiteral("La sauvegarde de la base est réservée à l'administrateur : tapez le "
                           "code d'accès de l'administrateur (le mot de passe de la base)."))) {
        return;
    }
    TFrmSauvegarde dialogue(TFrmSauvegarde::Mode::Sauvegarde, this);
    dialogue.exec();
}

void TfRMMAIN::RestaurationClick() {
    if (!TFrmMotPasse::demanderCodeAcces(
            this, QStringLiteral("Restauration"),
            QStringLiteral("La restauration d'une sauvegarde est réservée à l'administrateur : "
                           "tapez le code d'accès de l'administrateur (le mot de passe de la "
                           "base)."))) {
        return;
    }
    TFrmSauvegarde dialogue(TFrmSauvegarde::Mode::Restauration, this);
    dialogue.exec();
}

void TfRMMAIN::GenerationFichierClick() {
    Tfrmgeneration dialogue(this);
    // The list of problems names the declaration of the company of the moment; a double
    // click opens that company's entry window, even if another company is active by then.
    connect(&dialogue, &Tfrmgeneration::listeProblemesOuverte, this, [this](Tfrmproblemes* liste) {
        const QString identifiant = Dataprix->identifiantComplet();
        const db::Value exercice = Dataprix->exerciceActif();
        connect(liste, &Tfrmproblemes::emplacementDemande, this,
                [this, identifiant, exercice](const ProblemLocation& emplacement) {
                    ouvrirEmplacement(emplacement, identifiant, exercice);
                });
    });
    dialogue.exec();
}

QWidget* TfRMMAIN::ouvrirEmplacement(const ProblemLocation& emplacement, const QString& identifiant,
                                     const db::Value& exercice) {
    if (identifiant.isEmpty()) {
        return nullptr;
    }
    try {
        if (Dataprix->identifiantComplet() != identifiant ||
            Dataprix->exerciceActif() != exercice) {
            const bool trouvee = Dataprix->societe->locate(
                {QStringLiteral("MFISCAL"), QStringLiteral("CLE"), QStringLiteral("EXERCICE")},
                {identifiant.chopped(1), identifiant.right(1), exercice});
            if (!trouvee) {
                MessageBoxes::information(
                    this, QStringLiteral("La société %1 (exercice %2) n'est plus dans la liste "
                                         "des sociétés.")
                              .arg(identifiant, exercice.toText()));
                return nullptr;
            }
        }
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return nullptr;
    }

    QWidget* fenetre = nullptr;
    QTabWidget* onglets = nullptr;
    switch (emplacement.window()) {
        case DeclarationWindow::Societe: {
            auto* f = Tfrmparamsociete::ouvrirModification(*this);
            if (!f) {
                return nullptr;
            }
            onglets = f->pages();
            fenetre = f;
            break;
        }
        case DeclarationWindow::Groupe: {
            auto* f = InformationsGroupeClick();
            onglets = f->pages();
            fenetre = f;
            break;
        }
        case DeclarationWindow::Operations: {
            auto* f = ouvrirOperations(emplacement.pageIndex() + 1);
            onglets = f->PageControl1();
            fenetre = f;
            break;
        }
    }
    onglets->setCurrentIndex(emplacement.pageIndex());

    if (emplacement.lg > 0) {
        for (Dataset* ds : Dataprix->datasets()) {
            if (ds->table().name != emplacement.table()) {
                continue;
            }
            try {
                if (!ds->locate({QStringLiteral("LG")}, {db::Value(emplacement.lg)})) {
                    MessageBoxes::information(
                        fenetre, QStringLiteral("La ligne %1 n'existe plus sur cette page.")
                                     .arg(emplacement.lg));
                }
            } catch (const db::DatabaseError& e) {
                MessageBoxes::showError(fenetre, e.text());
            }
        }
    }
    // The forms name each control after its column.
    if (!emplacement.column.isEmpty()) {
        const auto champs = onglets->currentWidget()->findChildren<QWidget*>(emplacement.column);
        for (QWidget* champ : champs) {
            if (champ->isEnabled()) {
                champ->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
    return fenetre;
}

void TfRMMAIN::EcranPrecedantClick() {
    m_zoneFenetres->activatePreviousSubWindow();
}

void TfRMMAIN::EcranSuivantClick() {
    m_zoneFenetres->activateNextSubWindow();
}

QStringList TfRMMAIN::calculatricesCherchees() {
#ifdef Q_OS_WIN
    return {QDir::current().absoluteFilePath(QStringLiteral("../Calc.exe"))};
#else
    return {QStringLiteral("gnome-calculator"),
            QStringLiteral("kcalc"),
            QStringLiteral("galculator"),
            QStringLiteral("mate-calc"),
            QStringLiteral("qalculate-gtk"),
            QStringLiteral("qalculate-qt"),
            QStringLiteral("xcalc")};
#endif
}

QString TfRMMAIN::programmeCalculatrice() {
    for (const QString& nom : calculatricesCherchees()) {
#ifdef Q_OS_WIN
        const QString chemin = QFileInfo::exists(nom) ? nom : QString();
#else
        const QString chemin = QStandardPaths::findExecutable(nom);
#endif
        if (!chemin.isEmpty()) {
            return chemin;
        }
    }
    return QString();
}

QString TfRMMAIN::messageSansCalculatrice() {
    QStringList noms = calculatricesCherchees();
    const QString dernier = noms.takeLast();
    const QString liste = noms.isEmpty()
                              ? dernier
                              : noms.join(QStringLiteral(", ")) + QStringLiteral(" et ") + dernier;
    return QStringLiteral(
               "Aucune calculatrice n'est installée sur ce poste. Le programme a "
               "cherché : %1.\nInstallez l'un de ces programmes (par exemple le "
               "paquet gnome-calculator) pour utiliser « Calculatrice ».")
        .arg(liste);
}

void TfRMMAIN::CalculatriceClick() {
    const QString programme = programmeCalculatrice();
    if (programme.isEmpty() || !StopSignals::startDetached(programme)) {
        // A command that silently does nothing reads as a broken program.
        MessageBoxes::information(this, messageSansCalculatrice());
    }
}

void TfRMMAIN::QuitterClick() {
    close();
}

void TfRMMAIN::arreterSansQuestion() {
    m_sansQuestion = true;
    close();
}

void TfRMMAIN::fermerFenetreActive() {
    if (QMdiSubWindow* fenetre = m_zoneFenetres->activeSubWindow()) {
        fenetre->close();
    }
}

bool TfRMMAIN::fermerFenetres() {
    // The window in front first: the user sees the window that asks.
    const auto fenetres = m_zoneFenetres->subWindowList(QMdiArea::StackingOrder);
    QVector<QPointer<QMdiSubWindow>> ordre;
    for (auto it = fenetres.crbegin(); it != fenetres.crend(); ++it) {
        ordre.append(*it);
    }
    for (const QPointer<QMdiSubWindow>& fenetre : ordre) {
        if (!fenetre || !fenetre->widget()) {
            continue;
        }
        m_zoneFenetres->setActiveSubWindow(fenetre);
        if (!fenetre->close()) {
            return false;
        }
    }
    return true;
}

void TfRMMAIN::closeEvent(QCloseEvent* event) {
    // A stop signal cannot ask: what is being typed is dropped, as the README says.
    if (!m_sansQuestion && !fermerFenetres()) {
        event->ignore();
        return;
    }
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
