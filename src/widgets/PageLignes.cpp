#include "widgets/PageLignes.h"

#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "widgets/DBGrid.h"
#include "widgets/FormScrollArea.h"
#include "widgets/KeyboardNavigator.h"
#include "widgets/MessageBoxes.h"
#include "widgets/PendingChanges.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* boutonIcone(QWidget* parent, const QString& nom, const char* theme,
                         QStyle::StandardPixmap secours) {
    auto* bouton = new QToolButton(parent);
    bouton->setIcon(
        QIcon::fromTheme(QString::fromLatin1(theme), parent->style()->standardIcon(secours)));
    bouton->setIconSize(QSize(24, 24));
    bouton->setToolTip(nom);
    bouton->setAccessibleName(nom);
    bouton->setFocusPolicy(Qt::StrongFocus);
    return bouton;
}

}  // namespace

PageLignes::PageLignes(const DefinitionPageLignes& definition, KeyboardNavigator* navigateur,
                       QWidget* parent)
    : QWidget(parent), m_definition(definition) {
    Dataset* ds = definition.dataset;
    m_formulaire = new FormulaireSaisie(this, ds, definition.champs, navigateur,
                                        definition.colonnesFormulaire);

    m_grille = new DBGrid(this);
    m_grille->setObjectName(QStringLiteral("Liste"));
    for (const DatasetTableModel::Column& c : definition.liste) {
        m_grille->addColumn(c.title, c.field);
    }
    m_grille->setDataset(ds);
    m_grille->setAccessibleName(QStringLiteral("Liste des lignes"));
    m_grille->setCtrlDeleteDeletes(true);
    if (definition.navigationDansListe && navigateur) {
        navigateur->attach(m_grille);
    }

    m_valider = new QPushButton(definition.libelleValider, this);
    m_valider->setToolTip(QStringLiteral("Valider"));
    m_ajouter = boutonIcone(this, QStringLiteral("Ajouter"), "list-add", QStyle::SP_FileIcon);
    m_supprimer =
        boutonIcone(this, QStringLiteral("Supprimer"), "list-remove", QStyle::SP_TrashIcon);
    m_modifier = boutonIcone(this, QStringLiteral("Modifier"), "document-edit",
                             QStyle::SP_FileDialogDetailedView);
    m_effacerTout = boutonIcone(this, QStringLiteral("Effacer Tout"), "edit-clear",
                                QStyle::SP_DialogResetButton);
    m_fermer = new QPushButton(QStringLiteral("fermer"), this);
    // The Tab key and the keyboard navigation pass over the close button.
    m_fermer->setFocusPolicy(Qt::ClickFocus);
    if (navigateur) {
        navigateur->skip(m_fermer);
    }

    // The commands stay short beside the list, so that the list and the fields share a
    // laptop screen: the four icon buttons two by two.
    m_commandes = new QVBoxLayout;
    m_commandes->addWidget(m_valider, 0, Qt::AlignHCenter);
    auto* icones = new QGridLayout;
    icones->addWidget(m_ajouter, 0, 0);
    icones->addWidget(m_supprimer, 0, 1);
    icones->addWidget(m_modifier, 1, 0);
    icones->addWidget(m_effacerTout, 1, 1);
    m_commandes->addLayout(icones);
    m_commandes->setAlignment(icones, Qt::AlignHCenter);
    m_commandes->addStretch();
    m_commandes->addWidget(m_fermer);

    m_sousListe = new QHBoxLayout;
    m_sousListe->addStretch();
    auto* liste = new QVBoxLayout;
    liste->addWidget(m_grille, 1);
    liste->addLayout(m_sousListe);

    auto* bas = new QHBoxLayout;
    bas->addLayout(liste, 1);
    bas->addLayout(m_commandes);

    auto* champs = new QVBoxLayout;
    if (!definition.legendeIdentifiant.isEmpty() || !definition.noteIdentifiant.isEmpty()) {
        auto* entete = new QHBoxLayout;
        auto* legende = new QLabel(definition.legendeIdentifiant, this);
        QFont gras = legende->font();
        gras.setBold(true);
        legende->setFont(gras);
        entete->addWidget(legende);
        entete->addSpacing(12);
        entete->addWidget(new QLabel(definition.noteIdentifiant, this));
        entete->addStretch();
        champs->addLayout(entete);
    }
    // The list keeps room for five lines; the fields take the rest of a small screen and
    // scroll to the focused one.
    m_grille->setMinimumHeight(m_grille->heightForRows(5));
    champs->addWidget(new FormScrollArea(m_formulaire->widget(), this), 1);

    auto* layout = new QVBoxLayout(this);
    if (definition.listeEnHaut) {
        layout->addLayout(bas, 1);
        layout->addLayout(champs);
    } else {
        layout->addLayout(champs);
        layout->addLayout(bas, 1);
    }

    connect(m_valider, &QPushButton::clicked, this, &PageLignes::BtnValiderClick);
    connect(m_ajouter, &QToolButton::clicked, this, &PageLignes::BtnAjouterClick);
    connect(m_supprimer, &QToolButton::clicked, this, &PageLignes::BtnSupprimerClick);
    connect(m_modifier, &QToolButton::clicked, this, &PageLignes::BtnModifierClick);
    connect(m_effacerTout, &QToolButton::clicked, this, &PageLignes::BtnEffacerToutClick);
    appliquerOrdre();
}

void PageLignes::ajouterApresModifier(QWidget* widget) {
    // After "Valider" and the icon buttons, before what follows "Effacer Tout".
    m_commandes->insertWidget(2 + m_dansCommandes, widget);
    ++m_dansCommandes;
    m_apresModifier.append(widget);
    appliquerOrdre();
}

void PageLignes::ajouterSousListe(QWidget* widget) {
    m_sousListe->addWidget(widget);
    m_apresModifier.append(widget);
    appliquerOrdre();
}

void PageLignes::ajouterApresEffacerTout(QWidget* widget) {
    m_commandes->insertWidget(2 + m_dansCommandes + static_cast<int>(m_apresEffacerTout.size()),
                              widget);
    m_apresEffacerTout.append(widget);
    appliquerOrdre();
}

void PageLignes::appliquerOrdre() {
    QVector<QWidget*> ordre;
    if (m_definition.listeAvantChamps) {
        ordre.append(m_grille);
        ordre += m_formulaire->controles();
    } else {
        ordre += m_formulaire->controles();
        ordre.append(m_grille);
    }
    ordre += {m_valider, m_ajouter, m_supprimer, m_modifier};
    ordre += m_apresModifier;
    ordre.append(m_effacerTout);
    ordre += m_apresEffacerTout;
    for (int i = 1; i < ordre.size(); ++i) {
        QWidget::setTabOrder(ordre[i - 1], ordre[i]);
    }
}

void PageLignes::charger() {
    m_mfiscal = Dataprix->identifiantComplet();
    m_exercice = Dataprix->exerciceActif();
    relire();
}

void PageLignes::relire() {
    Dataset* ds = m_definition.dataset;
    ds->close();
    ds->setParam(QStringLiteral("mfiscal"), m_mfiscal);
    ds->setParam(QStringLiteral("exercice"), m_exercice);
    ds->open();
}

QWidget* PageLignes::premierChamp() const {
    const QVector<QWidget*> champs = m_formulaire->controles();
    if (m_definition.listeAvantChamps || champs.isEmpty()) {
        return m_grille;
    }
    return champs.first();
}

bool PageLignes::fermetureAcceptee() {
    Dataset* ds = m_definition.dataset;
    if (PendingChanges::holdsUserChanges(*ds)) {
        // The question is about the line the user sees: its page comes forward.
        QWidget* pile = parentWidget();
        if (auto* onglets = qobject_cast<QTabWidget*>(pile ? pile->parentWidget() : nullptr)) {
            onglets->setCurrentWidget(this);
        }
    }
    return PendingChanges::settle(this, *ds, PendingChanges::questionLigne());
}

void PageLignes::BtnValiderClick() {
    Dataset* ds = m_definition.dataset;
    try {
        if (!ds->isEditing()) {
            ds->edit();
        }
        ds->post();
        ds->edit();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    emit valide();
}

void PageLignes::BtnAjouterClick() {
    try {
        m_definition.dataset->append();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    if (QWidget* champ = m_formulaire->controle(m_definition.champAjouter)) {
        champ->setFocus(Qt::OtherFocusReason);
    }
}

void PageLignes::BtnSupprimerClick() {
    if (!MessageBoxes::confirm(
            this, QStringLiteral("Voulez-vous supprimer l'enregistrement en cours ?"))) {
        return;
    }
    try {
        m_definition.dataset->remove();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    emit supprime();
}

void PageLignes::BtnModifierClick() {
    try {
        m_definition.dataset->edit();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void PageLignes::BtnEffacerToutClick() {
    if (!MessageBoxes::confirm(this, m_definition.questionEffacerTout)) {
        return;
    }
    try {
        // The lines the list shows, by their own keys: after a change of the company's
        // identifier or year they carry either, and a company just added was loaded
        // without one. The rules commit the deletion at once.
        m_definition.dataset->removeAll();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    emit effaceTout();
}
