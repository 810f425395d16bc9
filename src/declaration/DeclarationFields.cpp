#include "declaration/DeclarationFields.h"

#include <QtGlobal>
#include <cstring>

namespace {

using P = DeclarationPage;

// Captions as the entry windows show them; their misspellings are the windows' own.
constexpr DeclarationField kFields[] = {
    // "Paramètre de la société", page "Identification Entreprise"
    {P::IdentificationEntreprise, "MFISCAL", "Matricule Fiscal"},
    {P::IdentificationEntreprise, "CLE", "Clé"},
    {P::IdentificationEntreprise, "TVA", "C.TVA"},
    {P::IdentificationEntreprise, "CATEGORIE", "Catégorie"},
    {P::IdentificationEntreprise, "EXERCICE", "Exercice"},
    {P::IdentificationEntreprise, "DATEDEBUT", "Date début"},
    {P::IdentificationEntreprise, "DATEFIN", "Date Fin"},
    {P::IdentificationEntreprise, "NATUREDATEFIN", "Nature Date Fin"},
    {P::IdentificationEntreprise, "CODEACTE", "Code Acte, 0 POUR 2021"},
    {P::IdentificationEntreprise, "TYPEDECLARATION", "Type Déclaration"},
    {P::IdentificationEntreprise, "RAISONSOCIALE", "Raison Sociale"},
    {P::IdentificationEntreprise, "NATIONALITE", "Nationalité"},
    {P::IdentificationEntreprise, "ADRESSE", "Adresse du Siège Social"},
    {P::IdentificationEntreprise, "CODEPOSTAL", "Code Postal"},
    {P::IdentificationEntreprise, "ACTIVITEPRINCIPALE", "Activité Principale"},
    {P::IdentificationEntreprise, "ACTIVITESECONDAIRE", "Activité Secondaire"},
    {P::IdentificationEntreprise, "CHIFFREAFFAIREANNUEL", "Chiffre d'Affaire Annuel"},
    {P::IdentificationEntreprise, "QUALITE", "Qualité Entreprises"},
    {P::IdentificationEntreprise, "AUTRESQUALITE", "Autres Qualité"},
    {P::IdentificationEntreprise, "DESCRIPTIONACTIVITESPRINCIPALES",
     "Description Activités Principales"},
    {P::IdentificationEntreprise, "AFFIRMATION", "Chanagement Activités au Cours de l'exercice"},
    {P::IdentificationEntreprise, "DESCRIPTION",
     "Description Chanagement d'activités au Cours de l'exercice"},
    {P::IdentificationEntreprise, "AFFIRMATIONCHANGEMENTCAPITAL",
     "Chanagement Captal au Cours de l'exercice"},
    {P::IdentificationEntreprise, "DESCRIPTIONCHANGCAPITAL",
     "Description Chanagement Captal au Cours de l'exercice"},
    {P::IdentificationEntreprise, "FORMEJURIDIQUE", "Forme Juridique"},

    // "Paramètre de la société", page "Autres Informations"
    {P::AutresInformations, "DESCRIPTIONREGIMEFISCAL",
     "Description des Transactions avec un Regime Fiscal Privilegié"},
    {P::AutresInformations, "AUTRESINFORMATIONS",
     "Description Des Autres informations à renseigner"},
    {P::AutresInformations, "AFFIRMATIONBIENSERVICE",
     "Affirmation biens et services sans contre partie monétaire"},
    {P::AutresInformations, "AFFIRMATIONBIENSERVICEAVECCONTR",
     "Affirmation biens et services avec contre partie non monétaire"},
    {P::AutresInformations, "AFFIRMATIONACCORDPREALABLE",
     "Affirmation opérations monétaires avec accord préalable"},

    // Capital-link pages
    {P::LiensCapital, "MFISCALLIE", "Matricule Fiscal"},
    {P::LiensCapital, "AUTREIDENTIFIANT", "Autre Identifiant"},
    {P::LiensCapital, "ETATTERRITOIRE", "Etat Territorial"},
    {P::LiensCapital, "RAISONSOCIALE", "Raison Sociale"},
    {P::LiensCapital, "QUALITE", "Qualité Entreprises"},
    {P::LiensCapital, "AUTREQUALITE", "Autres Qualité"},
    {P::LiensCapital, "POURCENTCAPITAL", "%Détention du Capital"},
    {P::LiensCapital, "POURVENVOTE", "% Droit au Vote"},
    {P::CapitalDeclarante, "MFISCALLIE", "Matricule Fiscal"},
    {P::CapitalDeclarante, "AUTREIDENTIFIANT", "Autre Identifiant"},
    {P::CapitalDeclarante, "ETATTERRITOIRE", "Etat Territorial"},
    {P::CapitalDeclarante, "RAISONSOCIALE", "Raison Sociale"},
    {P::CapitalDeclarante, "QUALITE", "Qualité Entreprises"},
    {P::CapitalDeclarante, "AUTREQUALITE", "Autres Qualité"},
    {P::CapitalDeclarante, "POURCENTCAPITAL", "%Détention du Capital"},
    {P::CapitalDeclarante, "POURVENVOTE", "% Droit au Vote"},

    // "Informations Groupe de Sociétés"
    {P::InformationsGroupe, "MFISCALMERE", "Matricule Fiscal"},
    {P::InformationsGroupe, "AUTREMFISCAL", "Autre Identifiant"},
    {P::InformationsGroupe, "ETATTERRITORIAL", "Etat Territorial"},
    {P::InformationsGroupe, "RAISONSOCIALE", "Raison Sociale"},
    {P::InformationsGroupe, "ADRESSE", "Adresse"},
    {P::InformationsGroupe, "DESCRIPTIONACTIVITE", "Description des Activités"},
    {P::InformationsGroupe, "DESCRIPTIONPOLITIQUE", "Description des Politiques"},
    {P::InformationsGroupe, "DESCRIPTIONRESTRUCTURATION", "Description Restructuration"},
    {P::InformationsGroupe, "AFFIRMATOINRESTRUCTURATION", "Affirmation Restructuration"},

    // Asset pages
    {P::ActifsIncorporels, "MATRICULEFISCAL", "Matricule Fiscal"},
    {P::ActifsIncorporels, "AUTREIDENTIFIANT", "Autre Identifiant"},
    {P::ActifsIncorporels, "TERRITOIRE", "Etat Territorial"},
    {P::ActifsIncorporels, "ONEREUXGRATUIT", "Onéreux"},
    {P::ActifsIncorporels, "RAISONSOCIALE", "Raison Sociale"},
    {P::ActifsIncorporels, "NATUREACTIF", "Nature Actif"},
    {P::ActifsIncorporels, "AUTRENATURE", "Autres Natures"},
    {P::ActifsIncorporels, "QUALITE", "Qualité Entreprises"},
    {P::ActifsIncorporels, "AUTREQUALITE", "Autres Qualité"},
    {P::ActifsIncorporels, "NATURERELATION", "Nature de la Relation"},
    {P::ActifsIncorporels, "AUTRESNATURE", "Autres Natures"},
    {P::ActifsCorporels, "MATRICULEFISCAL", "Matricule Fiscal"},
    {P::ActifsCorporels, "AUTREIDENTIFIANT", "Autre Identifiant"},
    {P::ActifsCorporels, "TERRITOIRE", "Etat Territorial"},
    {P::ActifsCorporels, "RAISONSOCIALE", "Raison Sociale"},
    {P::ActifsCorporels, "NATUREACTIF", "Nature Actif"},
    {P::ActifsCorporels, "AUTRENATURE", "Autres Natures"},
    {P::ActifsCorporels, "QUALITE", "Qualité Entreprises"},
    {P::ActifsCorporels, "AUTREQUALITE", "Autres Qualité"},
    {P::ActifsCorporels, "NATURERELATION", "Nature de la Relation"},
    {P::ActifsCorporels, "AUTRESNATURE", "Autres Natures"},

    // Operations page 1
    {P::MontantsTransactions, "MATRICULEFISCAL", "Matricule Fiscal"},
    {P::MontantsTransactions, "AUTREIDENTIFIANT", "Autre Identifiant"},
    {P::MontantsTransactions, "ETATTERRITORIAL", "Etat Territorial"},
    {P::MontantsTransactions, "TYPEMONTANT", "Type des Montants"},
    {P::MontantsTransactions, "RAISONSOCIALE", "Raison Sociale"},
    {P::MontantsTransactions, "NATUREOPERATIONS", "Nature Opération"},
    {P::MontantsTransactions, "AUTRESNATURESOPERATIONS", "Autres Natures d'Opérations"},
    {P::MontantsTransactions, "ACHATS", "Montant des Achats/Dépenses"},
    {P::MontantsTransactions, "VENTES", "Montant des Ventes"},
    {P::MontantsTransactions, "QUALITE", "Qualité Entreprises"},
    {P::MontantsTransactions, "AUTREQUALITE", "Autres Qualité"},
    {P::MontantsTransactions, "NATURRELATION", "Nature Relation"},
    {P::MontantsTransactions, "AUTRENATURERELATIONS", "Autres Natures de Relations"},
    {P::MontantsTransactions, "METHODE", "Méthode du Prix de Transfert"},
    {P::MontantsTransactions, "AUTREMETHODE", "Autres Méthodes"},
    {P::MontantsTransactions, "CHANGEMENTMETHODE", "Changemen Méthode du Prix de Transfert"},
    {P::MontantsTransactions, "CHANGEMENTAUTREMETRHODE", "Autres Méthodes de Changement"},

    // Operations page 2
    {P::PretsEmprunts, "MATRICULEFISCAL", "Matricule Fiscal"},
    {P::PretsEmprunts, "AUTREIDENTIFIANT", "Autre Identifiant"},
    {P::PretsEmprunts, "ETATTERRITORIAL", "Etat Territorial"},
    {P::PretsEmprunts, "TYPEPRETEMPRUNT", "Type Emprunt/Pret"},
    {P::PretsEmprunts, "DEVISE", "Devise"},
    {P::PretsEmprunts, "RAISONSOCIALE", "Raison Sociale"},
    {P::PretsEmprunts, "QUALITE", "Qualité Entreprises"},
    {P::PretsEmprunts, "AUTREQUALITE", "Autres Qualité"},
    {P::PretsEmprunts, "NATURERELATION", "Nature Relation"},
    {P::PretsEmprunts, "AUTRENATURE", "Autres Natures de Relations"},
    {P::PretsEmprunts, "SOLDEOUVERTURE", "Solde Ouverture"},
    {P::PretsEmprunts, "AUGMENTATIONS", "Mouvements Augmentation"},
    {P::PretsEmprunts, "DIMINUTIONS", "Mouvements Diminution"},
    {P::PretsEmprunts, "SOLDECLOTURE", "Solde Clôture"},
    {P::PretsEmprunts, "PRETINTERET", "Avec Intérêt Oui/Non"},
    {P::PretsEmprunts, "TAUXINTERET", "Taux d'Intérêt"},

    // Operations page 3
    {P::SansContrepartie, "MATRICULEFISCAL", "Matricule Fiscal"},
    {P::SansContrepartie, "AUTREIDENTIFIANT", "Autre Identifiant"},
    {P::SansContrepartie, "ETATTERRITORIAL", "Etat Territorial"},
    {P::SansContrepartie, "AVECCONTREOUINON", "Avec ou Sans Contre Partie Non monétaire"},
    {P::SansContrepartie, "RAISONSOCIALE", "Raison Sociale"},
    {P::SansContrepartie, "QUALITE", "Qualité Entreprises"},
    {P::SansContrepartie, "AUTREQUALITE", "Autres Qualité"},
    {P::SansContrepartie, "NATURERELATION", "Nature Relation"},
    {P::SansContrepartie, "AUTRENATURE", "Autres Natures de Relations"},
    {P::SansContrepartie, "NATUREBIENSERVICE", "Nature Service"},
    {P::SansContrepartie, "NATURECONTREPARTIE", "NatureContre partie"},

    // Operations page 4
    {P::AccordsPrealables, "MATRICULEFISCAL", "Matricule Fiscal"},
    {P::AccordsPrealables, "AUTREIDENTIFIANT", "Autre Identifiant"},
    {P::AccordsPrealables, "ETATTERRITORIAL", "Etat Territorial"},
    {P::AccordsPrealables, "RAISONSOCIALE", "Raison Sociale"},
    {P::AccordsPrealables, "QUALITE", "Qualité Entreprise"},
    {P::AccordsPrealables, "AUTREQUALITE", "Autres Qualité"},
    {P::AccordsPrealables, "NATURERELATION", "Nature de la Relation"},
    {P::AccordsPrealables, "AUTRENATURE", "Autres Natures"},
    {P::AccordsPrealables, "NATUREOPERATION", "Autres Opérations"},
    {P::AccordsPrealables, "EXERCICEDEBUT", "Exercice Début"},
    {P::AccordsPrealables, "EXERCICEFIN", "Exercice Fin"},
};

}  // namespace

const DeclarationField* DeclarationFields::find(DeclarationPage page, QLatin1StringView column) {
    for (const DeclarationField& field : kFields) {
        if (field.page == page && column == QLatin1StringView(field.column)) {
            return &field;
        }
    }
    return nullptr;
}

const DeclarationField& DeclarationFields::at(DeclarationPage page, QLatin1StringView column) {
    const DeclarationField* field = find(page, column);
    Q_ASSERT_X(field, "DeclarationFields::at", column.data());
    if (!field) {
        // A field the catalogue forgot still gets its problems reported, on its page.
        static const DeclarationField unknown{DeclarationPage::IdentificationEntreprise, "", ""};
        return unknown;
    }
    return *field;
}

std::span<const DeclarationField> DeclarationFields::all() {
    return kFields;
}
