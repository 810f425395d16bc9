#include "companies/Tfrmsocietes.h"

#include "companies/Tfrmparamsociete.h"
#include "data/NextYearCreator.h"
#include "db/DatabaseError.h"
#include "db/Win1252.h"
#include "widgets/DBGrid.h"
#include "widgets/MessageBoxes.h"
#include "widgets/PendingChanges.h"
#include "widgets/SearchEdit.h"
#include "widgets/ServicesFenetres.h"
#include "widgets/TFrmMotPasse.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct Colonne {
    const char16_t* titre;
    const char16_t* champ;
    int largeur;
};

constexpr Colonne kColonnes[] = {
    {u"Code", u"MFISCAL", 80},      {u"Clé", u"CLE", 40},
    {u"Exercice", u"EXERCICE", 70}, {u"Raison Sociale", u"RAISONSOCIALE", 320},
    {u"Adresse", u"ADRESSE", 320},  {u"Code Postal", u"CODEPOSTAL", 90},
    {u"Nat", u"NATIONALITE", 50},
};

const QString kParametreNom = QStringLiteral("raisonsociale");
constexpr int kLongueurMotif = 1024;
const QString kInfoExerciceSuivant =
    QStringLiteral("Créer l'exercice suivant de cette société à partir de celui-ci");

}  // namespace

Tfrmsocietes::Tfrmsocietes(ServicesFenetres& services, QWidget* parent)
    : QWidget(parent), m_services(services), m_societe(Dataprix->societe) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmsocietes"));
    setWindowTitle(QStringLiteral("Liste des Sociétés"));

    auto* banniere = new QLabel(QStringLiteral("<<<  Liste des Sociétés >>>"), this);
    banniere->setAlignment(Qt::AlignCenter);
    QFont grand = banniere->font();
    grand.setBold(true);
    grand.setPointSizeF(grand.pointSizeF() * 1.4);
    banniere->setFont(grand);

    auto* libelleRecherche = new QLabel(QStringLiteral("Recherche par Raison Sociale :"), this);
    m_recherche = new SearchEdit(this);
    m_recherche->setObjectName(QStringLiteral("EditRecherche"));
    m_recherche->setAccessibleName(libelleRecherche->text());
    libelleRecherche->setBuddy(m_recherche);
    auto* libelleTri = new QLabel(QStringLiteral("Tri :"), this);
    m_tri = new QLabel(this);
    m_tri->setObjectName(QStringLiteral("LabelTri"));
    m_tri->setMinimumWidth(120);
    QFont gras = m_tri->font();
    gras.setBold(true);
    m_tri->setFont(gras);

    m_grid = new DBGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(QStringLiteral("Liste des Sociétés"));
    for (const Colonne& c : kColonnes) {
        m_grid->addColumn(QString::fromUtf16(c.titre), QString::fromUtf16(c.champ), c.largeur);
    }
    m_grid->setDataset(m_societe);

    m_ajouter = new QPushButton(QStringLiteral("Ajouter"), this);
    m_modifier = new QPushButton(QStringLiteral("Modifier"), this);
    m_supprimer = new QPushButton(QStringLiteral("Supprimer"), this);
    m_fermer = new QPushButton(QStringLiteral("Fermer"), this);
    m_ajouter->setObjectName(QStringLiteral("BtnAjouter"));
    m_modifier->setObjectName(QStringLiteral("BtnModifier"));
    m_supprimer->setObjectName(QStringLiteral("BtnSupprimer"));
    m_fermer->setObjectName(QStringLiteral("BtnFermer"));
    // Alt+X: a letter no command page of the main window takes.
    m_exerciceSuivant = new QPushButton(QStringLiteral("E&xercice suivant"), this);
    m_exerciceSuivant->setObjectName(QStringLiteral("BtnExerciceSuivant"));
    m_exerciceSuivant->setToolTip(kInfoExerciceSuivant);
    m_exerciceSuivant->setAccessibleName(QStringLiteral("Exercice suivant"));
    m_exerciceSuivant->setAccessibleDescription(kInfoExerciceSuivant);

    // The grid's context menu offers the same commands, then "Fermer", which has no effect.
    auto* menuAjouter = new QAction(QStringLiteral("Ajouter"), m_grid);
    auto* menuModifier = new QAction(QStringLiteral("Modifier"), m_grid);
    auto* menuSupprimer = new QAction(QStringLiteral("Supprimer"), m_grid);
    auto* menuExerciceSuivant = new QAction(QStringLiteral("Exercice suivant"), m_grid);
    menuExerciceSuivant->setToolTip(kInfoExerciceSuivant);
    auto* separateur = new QAction(m_grid);
    separateur->setSeparator(true);
    auto* menuFermer = new QAction(QStringLiteral("Fermer"), m_grid);
    m_grid->addActions(
        {menuAjouter, menuModifier, menuSupprimer, menuExerciceSuivant, separateur, menuFermer});
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* barreRecherche = new QHBoxLayout;
    barreRecherche->addWidget(libelleRecherche);
    barreRecherche->addWidget(m_recherche, 1);
    barreRecherche->addSpacing(16);
    barreRecherche->addWidget(libelleTri);
    barreRecherche->addWidget(m_tri);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    for (QPushButton* b : {m_ajouter, m_modifier, m_supprimer, m_exerciceSuivant, m_fermer}) {
        b->setMinimumWidth(100);
        boutons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banniere);
    layout->addLayout(barreRecherche);
    layout->addWidget(m_grid, 1);
    layout->addLayout(boutons);

    connect(m_grid, &DBGrid::titleClicked, this, [this](int column) { DBGrid1TitleClick(column); });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { DBGrid1DblClick(); });
    m_grid->installEventFilter(this);
    connect(m_recherche, &QLineEdit::textChanged, this, &Tfrmsocietes::FiltrerAffichage);
    connect(m_ajouter, &QPushButton::clicked, this, &Tfrmsocietes::BtnAjouterClick);
    connect(menuAjouter, &QAction::triggered, this, &Tfrmsocietes::BtnAjouterClick);
    connect(m_modifier, &QPushButton::clicked, this, &Tfrmsocietes::BtnModifierClick);
    connect(menuModifier, &QAction::triggered, this, &Tfrmsocietes::BtnModifierClick);
    connect(m_supprimer, &QPushButton::clicked, this, &Tfrmsocietes::BtnSupprimerClick);
    connect(menuSupprimer, &QAction::triggered, this, &Tfrmsocietes::BtnSupprimerClick);
    connect(m_exerciceSuivant, &QPushButton::clicked, this, &Tfrmsocietes::BtnExerciceSuivantClick);
    connect(menuExerciceSuivant, &QAction::triggered, this, &Tfrmsocietes::BtnExerciceSuivantClick);
    connect(m_fermer, &QPushButton::clicked, this, &QWidget::close);
}

QString Tfrmsocietes::libelleTri() const {
    return m_tri->text();
}

void Tfrmsocietes::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void Tfrmsocietes::FormShow() {
    rouvrir();
}

void Tfrmsocietes::rouvrir() {
    try {
        m_societe->close();
        m_societe->open();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void Tfrmsocietes::DBGrid1TitleClick(int column) {
    if (column < 0 || column >= static_cast<int>(std::size(kColonnes))) {
        return;
    }
    const QString champ = QString::fromUtf16(kColonnes[column].champ);
    m_societe->setSql(QStringLiteral("select * from societe Order by ") + champ, champ);
    m_tri->setText(QString::fromUtf16(kColonnes[column].titre));
    rouvrir();
}

void Tfrmsocietes::FiltrerAffichage(const QString& text) {
    const QString tri = QStringLiteral("RAISONSOCIALE");
    if (text.isEmpty()) {
        m_societe->setSql(QStringLiteral("select * from SOCIETE order by RAISONSOCIALE"), tri);
    } else {
        // The typed text travels as a parameter: a quote in it is a character like any other.
        // Names are stored in any case while the field turns letters into capitals, so the
        // name is compared in capitals too; the database's UPPER turns the accented letters
        // of Windows-1252 into theirs (é into É, œ into Œ, ÿ into Ÿ).
        m_societe->setSql(
            QStringLiteral("select * from SOCIETE where upper(RAISONSOCIALE) like "
                           "cast(:raisonsociale as varchar(%1)) order by RAISONSOCIALE")
                .arg(kLongueurMotif),
            tri);
        // A text the database cannot hold (a character outside Windows-1252, or longer than
        // any name) begins no name: null lists nothing instead of failing at each keystroke.
        const QString motif = SearchEdit::majuscules(text) + u'%';
        const bool possible = motif.size() <= kLongueurMotif && db::Win1252::canEncode(motif);
        m_societe->setParam(kParametreNom, possible ? db::Value(motif) : db::Value());
    }
    rouvrir();
}

void Tfrmsocietes::BtnAjouterClick() {
    Tfrmparamsociete::ouvrirNouvelle(m_services);
}

void Tfrmsocietes::BtnModifierClick() {
    Tfrmparamsociete::ouvrirModification(m_services);
}

void Tfrmsocietes::DBGrid1DblClick() {
    if (m_services.contexte().ModeSocietes != 1) {
        BtnModifierClick();
        return;
    }
    if (!m_societe->isActive() || m_societe->isEmpty()) {
        return;
    }
    m_services.contexte().prendreSociete(*m_societe);
    close();
}

bool Tfrmsocietes::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a row does what the double click does.
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            DBGrid1DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Tfrmsocietes::BtnSupprimerClick() {
    if (!TFrmMotPasse::demanderCodeAcces(this)) {
        return;
    }
    try {
        m_societe->remove();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void Tfrmsocietes::BtnExerciceSuivantClick() {
    // A change of the company record not yet saved is settled first: the new year is made
    // from the record as the database holds it, and the list is read again afterwards.
    if (!PendingChanges::settle(this, *m_societe)) {
        return;
    }
    if (!m_societe->isActive() || m_societe->isEmpty()) {
        return;
    }
    const QString mfiscal = m_societe->value(QStringLiteral("MFISCAL")).toText();
    const QString cle = m_societe->value(QStringLiteral("CLE")).toText();
    const int exercice = static_cast<int>(m_societe->value(QStringLiteral("EXERCICE")).toInt());
    const QString deSociete = NextYearCreator::deSociete(
        m_societe->value(QStringLiteral("RAISONSOCIALE")).toText(), mfiscal + cle);
    if (!MessageBoxes::confirm(
            this, QStringLiteral("Créer l'exercice %1 %2 à partir de l'exercice %3 ?")
                      .arg(exercice + 1)
                      .arg(deSociete)
                      .arg(exercice))) {
        return;
    }
    try {
        const NextYearCreator::Result r = NextYearCreator(*Dataprix).create(mfiscal, cle, exercice);
        if (r.outcome != NextYearCreator::Outcome::Created) {
            MessageBoxes::showError(this, r.text);
            return;
        }
        MessageBoxes::information(this, r.text);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return;
    }
    rouvrir();
    try {
        if (m_societe->isActive()) {
            m_societe->locate(
                {QStringLiteral("MFISCAL"), QStringLiteral("CLE"), QStringLiteral("EXERCICE")},
                {db::Value(mfiscal), db::Value(cle), db::Value(exercice + 1)});
        }
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}
