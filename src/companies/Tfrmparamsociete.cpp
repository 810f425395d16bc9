#include "companies/Tfrmparamsociete.h"

#include "data/CodeLists.h"
#include "db/DatabaseError.h"
#include "reference/Choix.h"
#include "widgets/FormScrollArea.h"
#include "widgets/FormulaireSaisie.h"
#include "widgets/KeyboardNavigator.h"
#include "widgets/LibelleCode.h"
#include "widgets/MessageBoxes.h"
#include "widgets/PageLignes.h"
#include "widgets/PendingChanges.h"
#include "widgets/ServicesFenetres.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kMatricule = QStringLiteral("MFISCAL");
const QString kNationalite = QStringLiteral("NATIONALITE");
const QString kNote = QStringLiteral("Matricule Fiscal 7 Chiffres+Clé (ABCDEFGHJKLMNPQRSTVWXYZ)");
const QString kLibelleTerritorial = QStringLiteral("Libéllé Territorial");

ChampSaisie champ(QStringList libelle, const char* colonne, GenreChamp genre = GenreChamp::Texte,
                  bool entree = false) {
    ChampSaisie c;
    c.libelle = std::move(libelle);
    c.colonne = QString::fromLatin1(colonne);
    c.genre = genre;
    c.entree = entree;
    return c;
}

ChampSaisie liste(QStringList libelle, const char* colonne, const QStringList& items,
                  const QString& infobulle = QString(), bool entree = false) {
    ChampSaisie c = champ(std::move(libelle), colonne, GenreChamp::Liste, entree);
    c.items = items;
    c.infobulle = infobulle;
    return c;
}

QVector<ChampSaisie> champsIdentification() {
    const QString lignes = QStringLiteral("\n");
    ChampSaisie nationalite =
        champ({QStringLiteral("Nationalité:")}, "NATIONALITE", GenreChamp::Texte, true);
    nationalite.apres = QStringLiteral(" ");
    ChampSaisie chiffre = champ({QStringLiteral("Chiffre d'Affaire Annuel:")},
                                "CHIFFREAFFAIREANNUEL", GenreChamp::Nombre, true);
    chiffre.apres = QStringLiteral(
        "Cet élément représente le chiffre d’affaires annuel (CA local hors taxes + CA Export) "
        "déclaré au niveau de la déclaration");
    return {
        champ({QStringLiteral("Matricule Fiscal")}, "MFISCAL", GenreChamp::Texte, true),
        liste({QStringLiteral("Clé")}, "CLE", CodeLists::ListeCle()),
        liste({QStringLiteral("C.TVA")}, "TVA", CodeLists::ListeCodeTVA()),
        liste({QStringLiteral("Catégorie")}, "CATEGORIE", CodeLists::ListeCategorie()),
        champ({QStringLiteral("Exercice")}, "EXERCICE", GenreChamp::Nombre, true),
        champ({QStringLiteral("Date début")}, "DATEDEBUT", GenreChamp::Date),
        champ({QStringLiteral("Date Fin")}, "DATEFIN", GenreChamp::Date),
        liste({QStringLiteral("Nature Date Fin")}, "NATUREDATEFIN",
              CodeLists::ListeNatureDateFin()),
        liste({QStringLiteral("Code Acte,  0 POUR 2021")}, "CODEACTE", CodeLists::ListeCodeActe(),
              CodeLists::ListeCodeActeInfobulle()),
        liste({QStringLiteral("Type Déclaration")}, "TYPEDECLARATION",
              CodeLists::ListeTypeDeclaration(), CodeLists::ListeTypeDeclaration().join(lignes)),
        champ({QStringLiteral("Raison Sociale :")}, "RAISONSOCIALE", GenreChamp::Texte, true),
        nationalite,
        champ({QStringLiteral("Adresse du Siège Social:")}, "ADRESSE", GenreChamp::Texte, true),
        champ({QStringLiteral("Code Postal")}, "CODEPOSTAL", GenreChamp::Nombre, true),
        champ({QStringLiteral("Activité Principale:")}, "ACTIVITEPRINCIPALE", GenreChamp::Texte,
              true),
        champ({QStringLiteral("Activité Secondaire:")}, "ACTIVITESECONDAIRE", GenreChamp::Texte,
              true),
        chiffre,
        liste({QStringLiteral("Qualité Entreprises:")}, "QUALITE", CodeLists::ListeQualite(),
              CodeLists::ListeQualite().join(lignes)),
        champ({QStringLiteral("Autres"), QStringLiteral("Qualité:")}, "AUTRESQUALITE",
              GenreChamp::Texte, true),
        champ({QStringLiteral("Description "), QStringLiteral("Activités Principales:")},
              "DESCRIPTIONACTIVITESPRINCIPALES", GenreChamp::Memo),
        liste({QStringLiteral("Chanagement Activités "), QStringLiteral("au Cours de l'exercice")},
              "AFFIRMATION", CodeLists::ListeON()),
        champ({QStringLiteral("Description Chanagement d'activités au Cours de l'exercice")},
              "DESCRIPTION", GenreChamp::Memo),
        liste({QStringLiteral("Chanagement Captal "), QStringLiteral("au Cours de l'exercice")},
              "AFFIRMATIONCHANGEMENTCAPITAL", CodeLists::ListeON()),
        champ({QStringLiteral("Description Chanagement Captal au Cours de l'exercice")},
              "DESCRIPTIONCHANGCAPITAL", GenreChamp::Memo),
        champ({QStringLiteral("Forme Juridique:")}, "FORMEJURIDIQUE", GenreChamp::Texte, true),
    };
}

QVector<ChampSaisie> champsAutresInformations() {
    return {
        champ({QStringLiteral("Description des"), QStringLiteral("Transactions avec un "),
               QStringLiteral("Regime Fiscal Privilegié")},
              "DESCRIPTIONREGIMEFISCAL", GenreChamp::Memo, true),
        champ({QStringLiteral("Description Des"), QStringLiteral("Autres informations "),
               QStringLiteral("à renseigner")},
              "AUTRESINFORMATIONS", GenreChamp::Memo, true),
        liste({QStringLiteral("Affirmation biens "), QStringLiteral("et services sans "),
               QStringLiteral("contre partie monétaire")},
              "AFFIRMATIONBIENSERVICE", CodeLists::ListeON(), QString(), true),
        liste({QStringLiteral("Affirmation biens et "), QStringLiteral("services avec contre "),
               QStringLiteral("partie non monétaire")},
              "AFFIRMATIONBIENSERVICEAVECCONTR", CodeLists::ListeON(), QString(), true),
        liste({QStringLiteral("Affirmation opérations"), QStringLiteral("monétaires avec "),
               QStringLiteral("accord préalable")},
              "AFFIRMATIONACCORDPREALABLE", CodeLists::ListeON(), QString(), true),
    };
}

QVector<ChampSaisie> champsCapital() {
    ChampSaisie etat =
        champ({QStringLiteral("Etat Territorial")}, "ETATTERRITOIRE", GenreChamp::Texte, true);
    etat.apres = kLibelleTerritorial;
    return {
        champ({QStringLiteral("Matricule Fiscal")}, "MFISCALLIE", GenreChamp::Texte, true),
        champ({QStringLiteral("Autre Identifiant")}, "AUTREIDENTIFIANT", GenreChamp::Texte, true),
        etat,
        champ({QStringLiteral("Raison Sociale:")}, "RAISONSOCIALE", GenreChamp::Texte, true),
        liste({QStringLiteral("Qualité Entreprises:")}, "QUALITE", CodeLists::ListeQualite(),
              CodeLists::ListeQualite().join(u'\n')),
        champ({QStringLiteral("Autres Qualité:")}, "AUTREQUALITE", GenreChamp::Texte, true),
        champ({QStringLiteral("%Détention du Capital:")}, "POURCENTCAPITAL", GenreChamp::Nombre,
              true),
        champ({QStringLiteral("% Droit au Vote:")}, "POURVENVOTE", GenreChamp::Nombre, true),
    };
}

QPushButton* bouton(const QString& libelle, QWidget* parent) {
    auto* b = new QPushButton(libelle, parent);
    b->setMinimumWidth(100);
    return b;
}

}  // namespace

Tfrmparamsociete::Tfrmparamsociete(ServicesFenetres& services, QWidget* parent)
    : QWidget(parent),
      m_services(services),
      m_societe(Dataprix->DSSOCIETE.dataset()),
      m_navigateur(new KeyboardNavigator(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmparamsociete"));
    setWindowTitle(titre());
    m_pages = new QTabWidget(this);

    // "Identification Entreprise"
    auto* identification = new QWidget(m_pages);
    m_identification =
        new FormulaireSaisie(identification, m_societe, champsIdentification(), m_navigateur, 2);
    m_nationalite = m_identification->apres(kNationalite);
    m_nationalite->clear();
    m_nationalite->setObjectName(QStringLiteral("LibelleNationalite"));
    new LibelleCode(m_nationalite, m_societe, m_identification->controle(kNationalite),
                    LibelleCode::nomEtat());
    auto* valider = bouton(QStringLiteral("Valider"), identification);
    auto* annuler = bouton(QStringLiteral("Annuler"), identification);
    auto* fermer = bouton(QStringLiteral("fermer"), identification);
    // The Tab key passes over "fermer".
    fermer->setFocusPolicy(Qt::ClickFocus);
    m_navigateur->skip(fermer);
    auto* boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(valider);
    boutons->addWidget(annuler);
    boutons->addWidget(fermer);
    auto* colonne = new QVBoxLayout(identification);
    colonne->addWidget(new FormScrollArea(m_identification->widget(), identification), 1);
    colonne->addLayout(boutons);
    QWidget::setTabOrder(m_identification->dernier(), valider);
    QWidget::setTabOrder(valider, annuler);
    m_pages->addTab(identification, QStringLiteral("Identification Entreprise"));

    // The capital-link pages
    m_liens =
        creerPageCapital(QStringLiteral("Liens Capital"), Dataprix->capitallie,
                         QStringLiteral("Identifiant Entreprise:"),
                         QStringLiteral("Voulez-vous supprimer toutes les stés du capital lié ?"));
    m_declarante = creerPageCapital(
        QStringLiteral("Capital Déclarante"), Dataprix->Capitaldeclarante,
        QStringLiteral("Identifiant Entreprise"),
        QStringLiteral("Voulez-vous supprimer toutes les stés du capital déclarante ?"));

    // "Autres Informations"
    auto* autres = new QWidget(m_pages);
    m_autres = new FormulaireSaisie(autres, m_societe, champsAutresInformations(), m_navigateur);
    auto* validerAutres = bouton(QStringLiteral("Valider"), autres);
    auto* boutonsAutres = new QHBoxLayout;
    boutonsAutres->addStretch();
    boutonsAutres->addWidget(validerAutres);
    auto* colonneAutres = new QVBoxLayout(autres);
    colonneAutres->addWidget(new FormScrollArea(m_autres->widget(), autres), 1);
    colonneAutres->addLayout(boutonsAutres);
    QWidget::setTabOrder(m_autres->dernier(), validerAutres);
    m_pages->addTab(autres, QStringLiteral("Autres Informations"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);

    connect(valider, &QPushButton::clicked, this, &Tfrmparamsociete::BtnValiderClick);
    connect(validerAutres, &QPushButton::clicked, this, &Tfrmparamsociete::BtnValiderClick);
    connect(annuler, &QPushButton::clicked, this, &Tfrmparamsociete::BtnAnnulerClick);
    connect(fermer, &QPushButton::clicked, this, &QWidget::close);
    connect(m_identification, &FormulaireSaisie::sortie, this, [this](const QString& colonne) {
        if (colonne == kMatricule) {
            NormaliserMatricule();
        }
    });
    connect(m_identification, &FormulaireSaisie::doubleClic, this, [this](const QString& colonne) {
        if (colonne == kNationalite) {
            NationaliteDblClick();
        }
    });

    // F10 in a field with keyboard navigation saves the record and closes the window.
    auto* f10 = new QAction(this);
    f10->setShortcut(Qt::Key_F10);
    f10->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(f10, &QAction::triggered, this, &Tfrmparamsociete::ValiderEtFermer);
    addAction(f10);

    FormCreate();
    // The window opens ready to type, in its first field.
    m_identification->controle(kMatricule)->setFocus(Qt::OtherFocusReason);
}

PageLignes* Tfrmparamsociete::creerPageCapital(const QString& titre, Dataset* dataset,
                                               const QString& legende, const QString& question) {
    DefinitionPageLignes def;
    def.dataset = dataset;
    def.champs = champsCapital();
    def.liste = {{QStringLiteral("M.Fiscal"), QStringLiteral("MFISCALLIE")},
                 {QStringLiteral("Autre Id."), QStringLiteral("AUTREIDENTIFIANT")},
                 {QStringLiteral("Raison Sociale"), QStringLiteral("RAISONSOCIALE")},
                 {QStringLiteral("Nat"), QStringLiteral("ETATTERRITOIRE")},
                 {QStringLiteral("Qualité Ese"), QStringLiteral("QUALITE")},
                 {QStringLiteral("%Capital"), QStringLiteral("POURCENTCAPITAL")},
                 {QStringLiteral("%Vote"), QStringLiteral("POURVENVOTE")}};
    def.questionEffacerTout = question;
    def.legendeIdentifiant = legende;
    def.noteIdentifiant = kNote;
    def.champAjouter = QStringLiteral("MFISCALLIE");
    auto* page = new PageLignes(def, m_navigateur, m_pages);
    page->setObjectName(dataset == Dataprix->Capitaldeclarante
                            ? QStringLiteral("PageCapitalDeclarante")
                            : QStringLiteral("PageLiensCapital"));
    new LibelleCode(page->formulaire()->apres(QStringLiteral("ETATTERRITOIRE")), dataset,
                    page->formulaire()->controle(QStringLiteral("ETATTERRITOIRE")),
                    LibelleCode::nomEtat());
    m_pages->addTab(page, titre);
    connect(page->boutonFermer(), &QPushButton::clicked, this, &QWidget::close);

    // Leaving these fields also pads the company's own identifier, as leaving "Matricule
    // Fiscal" of the first page does.
    const bool declarante = dataset == Dataprix->Capitaldeclarante;
    connect(page->formulaire(), &FormulaireSaisie::sortie, this,
            [this, declarante](const QString& colonne) {
                if (colonne == QLatin1StringView("MFISCALLIE") ||
                    colonne == QLatin1StringView("RAISONSOCIALE") ||
                    (declarante && colonne == QLatin1StringView("AUTREIDENTIFIANT"))) {
                    NormaliserMatricule();
                }
            });
    connect(page->formulaire(), &FormulaireSaisie::doubleClic, this,
            [this, page](const QString& colonne) {
                if (colonne == QLatin1StringView("ETATTERRITOIRE")) {
                    EtatTerritoireDblClick(page);
                }
            });
    return page;
}

void Tfrmparamsociete::FormCreate() {
    m_pages->setCurrentIndex(0);
    try {
        m_liens->charger();
        m_declarante->charger();
        // The name look-ups read the state list with the query last set on it. A row another
        // window is typing into it is sent first; when it is refused, the list stays as it is.
        Dataset* etats = Dataprix->Etatterritorial;
        try {
            etats->reopen();
        } catch (const db::DatabaseError& e) {
            MessageBoxes::showError(this, e.text());
        }
        m_nationalite->setText(etats
                                   ->lookup(QStringLiteral("CODE"), m_societe->value(kNationalite),
                                            QStringLiteral("PAYS"))
                                   .toText());
        afficherTerritoire(m_liens);
        afficherTerritoire(m_declarante);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void Tfrmparamsociete::afficherTerritoire(PageLignes* page) {
    Dataset* lignes = page->dataset();
    if (lignes->isEmpty()) {
        return;
    }
    page->formulaire()
        ->apres(QStringLiteral("ETATTERRITOIRE"))
        ->setText(Dataprix->Etatterritorial
                      ->lookup(QStringLiteral("CODE"),
                               lignes->value(QStringLiteral("ETATTERRITOIRE")),
                               QStringLiteral("PAYS"))
                      .toText());
}

Tfrmparamsociete* Tfrmparamsociete::ouvrirNouvelle(ServicesFenetres& services) {
    // A window opened on a record that is not the new one would have the user type over an
    // existing company.
    try {
        Dataprix->societe->append();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(nullptr, e.text());
        return nullptr;
    }
    auto* fenetre = new Tfrmparamsociete(services);
    services.ouvrirFenetre(fenetre);
    return fenetre;
}

Tfrmparamsociete* Tfrmparamsociete::ouvrirModification(ServicesFenetres& services) {
    try {
        Dataprix->societe->edit();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(nullptr, e.text());
        return nullptr;
    }
    auto* fenetre = new Tfrmparamsociete(services);
    services.ouvrirFenetre(fenetre);
    return fenetre;
}

void Tfrmparamsociete::BtnValiderClick() {
    enregistrer();
}

bool Tfrmparamsociete::enregistrer() {
    try {
        if (!m_societe->isEditing()) {
            m_societe->edit();
        }
        m_societe->post();
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
        return false;
    }
    return true;
}

void Tfrmparamsociete::BtnAnnulerClick() {
    m_societe->cancel();
    close();
}

void Tfrmparamsociete::ValiderEtFermer() {
    if (enregistrer()) {
        close();
    }
}

bool Tfrmparamsociete::fermetureAcceptee() {
    if (PendingChanges::holdsUserChanges(*m_societe)) {
        m_pages->setCurrentIndex(0);
    }
    return PendingChanges::settle(this, *m_societe) && m_liens->fermetureAcceptee() &&
           m_declarante->fermetureAcceptee();
}

void Tfrmparamsociete::closeEvent(QCloseEvent* event) {
    if (fermetureAcceptee()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void Tfrmparamsociete::NormaliserMatricule() {
    try {
        const db::Value avant = m_societe->value(kMatricule);
        const QString matricule = avant.toText().trimmed();
        const int largeur = m_societe->field(kMatricule)->width;
        const QString complet = matricule.rightJustified(largeur, u'0');
        // An identifier already whole is left as it is, and its record as it was.
        if (complet == avant.toText() && !m_societe->isEmpty()) {
            return;
        }
        if (!m_societe->isEditing()) {
            m_societe->edit();
        }
        // The zeros of an identifier nobody typed are the program's, not a change to save.
        if (avant.isNull()) {
            m_societe->setRuleValue(kMatricule, complet);
        } else {
            m_societe->setValue(kMatricule, complet);
        }
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void Tfrmparamsociete::NationaliteDblClick() {
    if (!Choix::etatTerritorial(m_services, this,
                                Choix::valeurDe(m_identification->controle(kNationalite)))) {
        return;
    }
    try {
        m_societe->setValue(kNationalite, m_services.contexte().CodeChoisi);
        m_nationalite->setText(m_services.contexte().LibelleChoisi);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}

void Tfrmparamsociete::EtatTerritoireDblClick(PageLignes* page) {
    if (!Choix::etatTerritorial(
            m_services, this,
            Choix::valeurDe(page->formulaire()->controle(QStringLiteral("ETATTERRITOIRE"))))) {
        return;
    }
    try {
        page->dataset()->setValue(QStringLiteral("ETATTERRITOIRE"),
                                  m_services.contexte().CodeChoisi);
        page->formulaire()
            ->apres(QStringLiteral("ETATTERRITOIRE"))
            ->setText(m_services.contexte().LibelleChoisi);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
}
