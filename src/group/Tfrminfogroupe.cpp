#include "group/Tfrminfogroupe.h"

#include "data/CodeLists.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "reference/Choix.h"
#include "widgets/DBGrid.h"
#include "widgets/FormScrollArea.h"
#include "widgets/FormulaireSaisie.h"
#include "widgets/KeyboardNavigator.h"
#include "widgets/LibelleCode.h"
#include "widgets/MessageBoxes.h"
#include "widgets/PageLignes.h"
#include "widgets/PendingChanges.h"
#include "widgets/ServicesFenetres.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kNoteIdentifiant =
    QStringLiteral("Matricule Fiscal 7 Chiffres+Clé (ABCDEFGHJKLMNPQRSTVWXYZ)");
const QString kLibelleTerritoire = QStringLiteral("Libéllé Territorial");

ChampSaisie texte(const QString& libelle, const QString& colonne, bool entree = true) {
    ChampSaisie champ;
    champ.libelle = QStringList{libelle};
    champ.colonne = colonne;
    champ.entree = entree;
    return champ;
}

ChampSaisie liste(const QString& libelle, const QString& colonne, const QStringList& items,
                  bool infobulle) {
    ChampSaisie champ;
    champ.libelle = QStringList{libelle};
    champ.colonne = colonne;
    champ.genre = GenreChamp::Liste;
    champ.items = items;
    if (infobulle) {
        champ.infobulle = items.join(u'\n');
    }
    return champ;
}

ChampSaisie memo(const QStringList& libelle, const QString& colonne) {
    ChampSaisie champ;
    champ.libelle = libelle;
    champ.colonne = colonne;
    champ.genre = GenreChamp::Memo;
    return champ;
}

ChampSaisie territoire(const QString& colonne) {
    ChampSaisie champ = texte(QStringLiteral("Etat Territorial"), colonne);
    champ.apres = kLibelleTerritoire;
    return champ;
}

QLabel* legende(const QString& texte, QWidget* parent) {
    auto* label = new QLabel(texte, parent);
    QFont gras = label->font();
    gras.setBold(true);
    label->setFont(gras);
    return label;
}

}  // namespace

Tfrminfogroupe::Tfrminfogroupe(ServicesFenetres& services, QWidget* parent)
    : QWidget(parent),
      m_services(services),
      m_groupe(Dataprix->INFOGROUPE),
      m_navigateur(new KeyboardNavigator(this)),
      m_pages(new QTabWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frminfogroupe"));
    setWindowTitle(QStringLiteral("Informations Groupe de Sociétés"));

    m_pageGroupe = creerPageGroupe();
    m_incorporels = creerPageActifs(Dataprix->actifincorporel, true);
    m_corporels = creerPageActifs(Dataprix->Actifcorporel, false);
    m_pages->addTab(m_pageGroupe, QStringLiteral("Informations Groupe d'Entreprises"));
    m_pages->addTab(m_incorporels, QStringLiteral("Actifs Incorporels"));
    m_pages->addTab(m_corporels, QStringLiteral("Actifs Corporels"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    FormCreate();
    // The window opens ready to type, in its first field.
    m_formulaire->controle(QStringLiteral("MFISCALMERE"))->setFocus(Qt::OtherFocusReason);
}

QWidget* Tfrminfogroupe::creerPageGroupe() {
    auto* page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("PageGroupe"));

    const QVector<ChampSaisie> champs = {
        texte(QStringLiteral("Matricule Fiscal"), QStringLiteral("MFISCALMERE")),
        texte(QStringLiteral("Autre Identifiant"), QStringLiteral("AUTREMFISCAL")),
        territoire(QStringLiteral("ETATTERRITORIAL")),
        texte(QStringLiteral("Raison Sociale:"), QStringLiteral("RAISONSOCIALE")),
        texte(QStringLiteral("Adresse:"), QStringLiteral("ADRESSE")),
        memo({QStringLiteral("Description "), QStringLiteral("des Activités:")},
             QStringLiteral("DESCRIPTIONACTIVITE")),
        memo({QStringLiteral("Description "), QStringLiteral("des Politiques:")},
             QStringLiteral("DESCRIPTIONPOLITIQUE")),
        memo({QStringLiteral("Description"), QStringLiteral("Restructuration:")},
             QStringLiteral("DESCRIPTIONRESTRUCTURATION")),
        [] {
            ChampSaisie champ =
                liste(QStringLiteral("Affirmation"), QStringLiteral("AFFIRMATOINRESTRUCTURATION"),
                      CodeLists::ListeOuiNon(), false);
            champ.libelle.append(QStringLiteral("Restructuration"));
            return champ;
        }(),
    };
    m_formulaire = new FormulaireSaisie(page, m_groupe, champs, m_navigateur);
    new LibelleCode(m_formulaire->apres(QStringLiteral("ETATTERRITORIAL")), m_groupe,
                    m_formulaire->controle(QStringLiteral("ETATTERRITORIAL")),
                    LibelleCode::nomEtat());
    connect(m_formulaire, &FormulaireSaisie::doubleClic, this, [this](const QString& colonne) {
        if (colonne == QStringLiteral("ETATTERRITORIAL")) {
            EtatTerritorialDblClick();
        }
    });

    auto* entete = new QHBoxLayout;
    entete->addWidget(legende(QStringLiteral("Identifiant\nEntreprise Mère"), page));
    entete->addSpacing(12);
    entete->addWidget(new QLabel(kNoteIdentifiant, page));
    entete->addStretch();

    m_valider = new QPushButton(QStringLiteral("Valider"), page);
    m_valider->setObjectName(QStringLiteral("BtnValider"));
    m_annuler = new QPushButton(QStringLiteral("Annuler"), page);
    m_annuler->setObjectName(QStringLiteral("BtnAnnuler"));
    m_fermer = new QPushButton(QStringLiteral("fermer"), page);
    m_fermer->setObjectName(QStringLiteral("BtnFermer"));
    // The Tab key and the keyboard navigation pass over the close button.
    m_fermer->setFocusPolicy(Qt::ClickFocus);
    m_navigateur->skip(m_fermer);
    connect(m_valider, &QPushButton::clicked, this, &Tfrminfogroupe::BtnValiderClick);
    connect(m_annuler, &QPushButton::clicked, this, &Tfrminfogroupe::BtnAnnulerClick);
    connect(m_fermer, &QPushButton::clicked, this, &QWidget::close);

    auto* boutons = new QHBoxLayout;
    boutons->addWidget(m_valider);
    boutons->addWidget(m_annuler);
    boutons->addStretch();
    boutons->addWidget(m_fermer);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(entete);
    layout->addWidget(new FormScrollArea(m_formulaire->widget(), page), 1);
    layout->addLayout(boutons);

    QWidget::setTabOrder(m_formulaire->dernier(), m_valider);
    QWidget::setTabOrder(m_valider, m_annuler);
    return page;
}

PageLignes* Tfrminfogroupe::creerPageActifs(Dataset* dataset, bool incorporel) {
    DefinitionPageLignes def;
    def.dataset = dataset;
    def.champs = {
        texte(QStringLiteral("Matricule Fiscal"), QStringLiteral("MATRICULEFISCAL")),
        texte(QStringLiteral("Autre Identifiant"), QStringLiteral("AUTREIDENTIFIANT")),
        territoire(QStringLiteral("TERRITOIRE")),
    };
    if (incorporel) {
        def.champs.append(liste(QStringLiteral("Onéreux:"), QStringLiteral("ONEREUXGRATUIT"),
                                CodeLists::ListeOuiNon(), false));
    }
    def.champs += {
        texte(QStringLiteral("Raison Sociale:"), QStringLiteral("RAISONSOCIALE")),
        liste(QStringLiteral("Nature Actif:"), QStringLiteral("NATUREACTIF"),
              CodeLists::ListeNatureActif(), true),
        texte(QStringLiteral("Autres Natures:"), QStringLiteral("AUTRENATURE")),
        liste(QStringLiteral("Qualité Entreprises:"), QStringLiteral("QUALITE"),
              CodeLists::ListeQualite(), true),
        texte(QStringLiteral("Autres Qualité:"), QStringLiteral("AUTREQUALITE")),
        liste(QStringLiteral("Nature de la Relation:"), QStringLiteral("NATURERELATION"),
              CodeLists::ListeNatureRelationCourt(), true),
        texte(QStringLiteral("Autres Natures:"), QStringLiteral("AUTRESNATURE")),
    };
    def.liste = {
        {QStringLiteral("M.Fiscal"), QStringLiteral("MATRICULEFISCAL")},
        {QStringLiteral("Autre Id."), QStringLiteral("AUTREIDENTIFIANT")},
        {QStringLiteral("Raison Sociale"), QStringLiteral("RAISONSOCIALE")},
        {QStringLiteral("Nat"), QStringLiteral("TERRITOIRE")},
        {QStringLiteral("Nature Actif"), QStringLiteral("NATUREACTIF")},
        {QStringLiteral("Nature Relation"), QStringLiteral("NATURERELATION")},
        {QStringLiteral("Qualité"), QStringLiteral("QUALITE")},
    };
    def.questionEffacerTout =
        incorporel ? QStringLiteral("Voulez-vous supprimer toute la liste de l'actif incorporel ?")
                   : QStringLiteral("Voulez-vous supprimer toute la liste de l'actif corporel ?");
    def.legendeIdentifiant = QStringLiteral("Identifiant Entreprise:");
    def.noteIdentifiant = kNoteIdentifiant;

    auto* page = new PageLignes(def, m_navigateur, m_pages);
    page->setObjectName(incorporel ? QStringLiteral("PageActifsIncorporels")
                                   : QStringLiteral("PageActifsCorporels"));
    new LibelleCode(page->formulaire()->apres(QStringLiteral("TERRITOIRE")), dataset,
                    page->formulaire()->controle(QStringLiteral("TERRITOIRE")),
                    LibelleCode::nomEtat());
    connect(page->boutonFermer(), &QPushButton::clicked, this, &QWidget::close);
    connect(page->formulaire(), &FormulaireSaisie::doubleClic, this,
            [this, page](const QString& colonne) {
                if (colonne == QStringLiteral("MATRICULEFISCAL")) {
                    MatriculeFiscalDblClick(page);
                } else if (colonne == QStringLiteral("TERRITOIRE")) {
                    TerritoireDblClick(page);
                }
            });

    if (!incorporel) {
        // On this page the other nature of asset is reached last, after the list.
        FormulaireSaisie* f = page->formulaire();
        QVector<QWidget*> ordre;
        for (QWidget* controle : f->controles()) {
            if (controle != f->controle(QStringLiteral("AUTRENATURE"))) {
                ordre.append(controle);
            }
        }
        ordre +=
            {page->grille(), f->controle(QStringLiteral("AUTRENATURE")), page->boutonValider()};
        for (int i = 1; i < ordre.size(); ++i) {
            QWidget::setTabOrder(ordre[i - 1], ordre[i]);
        }
    }
    return page;
}

QLabel* Tfrminfogroupe::libelleTerritoire() const {
    return m_formulaire->apres(QStringLiteral("ETATTERRITORIAL"));
}

QLabel* Tfrminfogroupe::libelleTerritoire(const PageLignes* page) {
    return page->formulaire()->apres(QStringLiteral("TERRITOIRE"));
}

QString Tfrminfogroupe::nomTerritoire(const QString& code) const {
    if (code.isEmpty()) {
        return QString();
    }
    return Dataprix->Etatterritorial
        ->lookup(QStringLiteral("CODE"), db::Value(code), QStringLiteral("PAYS"))
        .toText();
}

void Tfrminfogroupe::montrerTerritoire(QLabel* libelle, Dataset* dataset, const QString& colonne) {
    libelle->setText(nomTerritoire(dataset->value(colonne).toText()));
}

void Tfrminfogroupe::FormCreate() {
    m_pages->setCurrentWidget(m_pageGroupe);
    try {
        Dataprix->openForActiveCompany(*m_groupe);
        m_incorporels->charger();
        m_corporels->charger();
        // Read again with the query in force: a filter left by a pick or the list of states
        // stays, and the names below are looked up among its rows. A row another window is
        // typing into it is sent first; when it is refused, the list stays as it is.
        try {
            Dataprix->Etatterritorial->reopen();
        } catch (const db::DatabaseError& e) {
            MessageBoxes::showError(this, e.text());
        }
        montrerTerritoire(libelleTerritoire(), m_groupe, QStringLiteral("ETATTERRITORIAL"));
        for (PageLignes* page : {m_incorporels, m_corporels}) {
            if (!page->dataset()->isEmpty()) {
                montrerTerritoire(libelleTerritoire(page), page->dataset(),
                                  QStringLiteral("TERRITOIRE"));
            }
        }
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void Tfrminfogroupe::BtnValiderClick() {
    try {
        if (!m_groupe->isEditing()) {
            return;
        }
        // A field still being typed in counts as a change: have it written first.
        m_groupe->updateRecord();
        if (!m_groupe->isModified()) {
            m_groupe->cancel();
            return;
        }
        m_groupe->post();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void Tfrminfogroupe::BtnAnnulerClick() {
    m_groupe->cancel();
    close();
}

void Tfrminfogroupe::choisirTerritoire(Dataset* dataset, FormulaireSaisie* formulaire,
                                       const QString& colonne, QLabel* libelle) {
    // The dialog opens on the row of the code the field shows, typed and not yet sent included.
    const QString valeur = Choix::valeurDe(formulaire->controle(colonne));
    try {
        if (!Choix::etatTerritorial(m_services, this, valeur)) {
            return;
        }
        // Unlike the company pick, this one does not start an edit: on a row that is not
        // being edited it is refused and nothing changes.
        dataset->setValue(colonne, db::Value(m_services.contexte().CodeChoisi));
        libelle->setText(m_services.contexte().LibelleChoisi);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void Tfrminfogroupe::EtatTerritorialDblClick() {
    choisirTerritoire(m_groupe, m_formulaire, QStringLiteral("ETATTERRITORIAL"),
                      libelleTerritoire());
}

void Tfrminfogroupe::TerritoireDblClick(PageLignes* page) {
    choisirTerritoire(page->dataset(), page->formulaire(), QStringLiteral("TERRITOIRE"),
                      libelleTerritoire(page));
}

void Tfrminfogroupe::MatriculeFiscalDblClick(PageLignes* page) {
    try {
        if (const auto societe = Choix::societeLiee(
                m_services, this,
                Choix::valeurDe(page->formulaire()->controle(QStringLiteral("MATRICULEFISCAL"))))) {
            Choix::copierSocieteLiee(*page->dataset(), *societe, QStringLiteral("MATRICULEFISCAL"),
                                     QStringLiteral("TERRITOIRE"));
        }
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void Tfrminfogroupe::closeEvent(QCloseEvent* event) {
    if (PendingChanges::holdsUserChanges(*m_groupe)) {
        m_pages->setCurrentWidget(m_pageGroupe);
    }
    if (!PendingChanges::settle(this, *m_groupe) || !m_incorporels->fermetureAcceptee() ||
        !m_corporels->fermetureAcceptee()) {
        event->ignore();
        return;
    }

    // The main window put the company record into editing for this window. It goes back to
    // browse mode unless it holds a change, typed in an identification window and not yet
    // saved: that change is not this window's to drop.
    Dataset* societe = Dataprix->societe;
    if (societe->isEditing() && !PendingChanges::holdsUserChanges(*societe)) {
        societe->cancel();
    }
    QWidget::closeEvent(event);
}
