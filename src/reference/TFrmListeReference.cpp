#include "reference/TFrmListeReference.h"

#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "reference/RechercheContient.h"
#include "widgets/DBGrid.h"
#include "widgets/MessageBoxes.h"
#include "widgets/PendingChanges.h"
#include "widgets/SearchEdit.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* petitBouton(QWidget* parent, const QString& hint, const char* name,
                         QStyle::StandardPixmap pixmap, const char* theme) {
    auto* bouton = new QToolButton(parent);
    bouton->setObjectName(QString::fromLatin1(name));
    bouton->setIcon(
        QIcon::fromTheme(QString::fromLatin1(theme), parent->style()->standardIcon(pixmap)));
    bouton->setAutoRaise(true);
    bouton->setToolTip(hint);
    bouton->setAccessibleName(hint);
    return bouton;
}

}  // namespace

TFrmListeReference::TFrmListeReference(const DefinitionListeReference& definition, QWidget* parent)
    : QWidget(parent), m_definition(definition), m_dataset(Dataprix->*definition.dataset) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QString::fromUtf16(definition.nom));
    setWindowTitle(QString::fromUtf16(definition.titre));

    m_libelleRecherche = new QLabel(this);
    m_libelleRecherche->setObjectName(QStringLiteral("LabelRecherche"));
    m_libelleRecherche->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_libelleRecherche->setMinimumWidth(120);
    QFont gras = m_libelleRecherche->font();
    gras.setBold(true);
    m_libelleRecherche->setFont(gras);
    m_recherche = new SearchEdit(this);
    m_recherche->setObjectName(QStringLiteral("EditRecherche"));
    m_recherche->setAccessibleName(QStringLiteral("Recherche"));
    m_libelleRecherche->setBuddy(m_recherche);

    m_ajouter = petitBouton(this, QStringLiteral("Ajouter"), "BtnAjouter",
                            QStyle::SP_FileDialogNewFolder, "list-add");
    m_modifier = petitBouton(this, QStringLiteral("Modifier"), "BtnModifier",
                             QStyle::SP_FileDialogDetailedView, "document-edit");
    m_supprimer = petitBouton(this, QStringLiteral("Suprimer"), "BtnSupprimer",
                              QStyle::SP_TrashIcon, "list-remove");
    m_fermer = new QPushButton(QStringLiteral("Fermer"), this);
    m_fermer->setObjectName(QStringLiteral("BtnFermer"));

    m_grid = new DBGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(windowTitle());
    m_grid->addColumn(titreColonne(0), champ(0), 120);
    m_grid->addColumn(titreColonne(1), champ(1), 420);
    m_grid->setDataset(m_dataset);
    m_grid->setInPlaceEditing(true);

    auto* menuAjouter = new QAction(QStringLiteral("Ajouter"), m_grid);
    auto* menuModifier = new QAction(QStringLiteral("Modifier"), m_grid);
    auto* menuSupprimer = new QAction(QStringLiteral("Supprimer"), m_grid);
    m_grid->addActions({menuAjouter, menuModifier, menuSupprimer});
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* barre = new QHBoxLayout;
    barre->addWidget(m_libelleRecherche);
    barre->addWidget(m_recherche, 1);
    barre->addSpacing(12);
    for (QToolButton* b : {m_ajouter, m_modifier, m_supprimer}) {
        barre->addWidget(b);
    }
    barre->addStretch();
    barre->addWidget(m_fermer);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(barre);
    layout->addWidget(m_grid, 1);

    connect(m_grid, &DBGrid::titleClicked, this, [this](int column) { DBGrid1TitleClick(column); });
    connect(m_recherche, &QLineEdit::textChanged, this, &TFrmListeReference::EditRechercheChange);
    connect(m_ajouter, &QToolButton::clicked, this, &TFrmListeReference::BtnAjouterClick);
    connect(m_modifier, &QToolButton::clicked, this, &TFrmListeReference::BtnModifierClick);
    connect(m_supprimer, &QToolButton::clicked, this, &TFrmListeReference::BtnSupprimerClick);
    connect(menuAjouter, &QAction::triggered, this, &TFrmListeReference::BtnAjouterClick);
    connect(menuModifier, &QAction::triggered, this, &TFrmListeReference::BtnModifierClick);
    connect(menuSupprimer, &QAction::triggered, this, &TFrmListeReference::BtnSupprimerClick);
    connect(m_fermer, &QPushButton::clicked, this, &QWidget::close);
    // The first field in the tab order: the search.
    m_recherche->setFocus(Qt::OtherFocusReason);
}

QString TFrmListeReference::champ(int column) const {
    return QString::fromUtf16(m_definition.colonnes[column].champ);
}

QString TFrmListeReference::titreColonne(int column) const {
    return QString::fromUtf16(m_definition.colonnes[column].titre);
}

void TFrmListeReference::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFrmListeReference::closeEvent(QCloseEvent* event) {
    // A cell still open is written into the row first: it is part of the line.
    const bool editable = m_grid->cellsEditable();
    m_grid->setCellsEditable(false);
    if (!PendingChanges::settle(this, *m_dataset, PendingChanges::questionLigne())) {
        m_grid->setCellsEditable(editable);
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TFrmListeReference::FormShow() {
    rouvrir();
}

void TFrmListeReference::rouvrir() {
    // Re-reading drops a row being added or modified: the cells take no typed text until
    // "Ajouter" or "Modifier" again.
    m_grid->setCellsEditable(false);
    try {
        m_dataset->close();
        m_dataset->open();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void TFrmListeReference::DBGrid1TitleClick(int column) {
    if (column < 0 || column > 1) {
        return;
    }
    m_colonneRecherche = column;
    m_libelleRecherche->setText(titreColonne(column));
    const QString table = QString::fromUtf16(m_definition.table);
    m_dataset->setSql(QStringLiteral("select * from %1 Order by %2").arg(table, champ(column)),
                      champ(column));
    rouvrir();
}

void TFrmListeReference::EditRechercheChange(const QString& text) {
    if (m_colonneRecherche < 0) {
        return;
    }
    const QString table = QString::fromUtf16(m_definition.table);
    const QString colonne = champ(m_colonneRecherche);
    RechercheContient::appliquer(
        *m_dataset,
        QStringLiteral("select * from %1 where %2 order by %3")
            .arg(table, RechercheContient::condition(colonne), colonne),
        QStringLiteral("select * from %1  order by %2").arg(table, colonne), text, colonne);
    rouvrir();
    m_recherche->setFocus();
}

void TFrmListeReference::BtnAjouterClick() {
    try {
        m_dataset->append();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    m_grid->setCellsEditable(true);
    m_grid->setCurrentIndex(m_grid->model()->index(m_dataset->currentIndex(), 0));
    m_grid->setFocus();
}

void TFrmListeReference::BtnModifierClick() {
    try {
        m_dataset->edit();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    m_grid->setCellsEditable(true);
    m_grid->setFocus();
}

void TFrmListeReference::BtnSupprimerClick() {
    if (!MessageBoxes::confirm(this, QStringLiteral("Voulez-vous supprimer la ligne en cours ?"))) {
        return;
    }
    try {
        m_dataset->remove();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}
