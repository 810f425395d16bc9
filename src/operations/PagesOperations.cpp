#include "operations/PagesOperations.h"

#include "data/CodeLists.h"
#include "data/TDataprix.h"

namespace {

ChampSaisie champ(QStringList libelle, const QString& colonne, GenreChamp genre = GenreChamp::Texte,
                  const QStringList& items = {}, const QStringList& infobulle = {}) {
    ChampSaisie c;
    c.libelle = std::move(libelle);
    c.colonne = colonne;
    c.genre = genre;
    c.items = items;
    c.infobulle = infobulle.join(u'\n');
    // Enter and the Up arrow move the focus in every field of these pages.
    c.entree = true;
    return c;
}

ChampSaisie liste(QStringList libelle, const QString& colonne, const QStringList& items,
                  const QStringList& infobulle) {
    return champ(std::move(libelle), colonne, GenreChamp::Liste, items, infobulle);
}

ChampSaisie montant(QStringList libelle, const QString& colonne) {
    return champ(std::move(libelle), colonne, GenreChamp::Nombre);
}

/// The first fields of every page: the related company's identifiers and its state.
QVector<ChampSaisie> identifiant() {
    ChampSaisie etat =
        champ({QStringLiteral("Etat Territorial")}, QStringLiteral("ETATTERRITORIAL"));
    etat.apres = QStringLiteral("Libéllé Territorial");
    return {
        champ({QStringLiteral("Matricule Fiscal")}, QStringLiteral("MATRICULEFISCAL")),
        champ({QStringLiteral("Autre Identifiant")}, QStringLiteral("AUTREIDENTIFIANT")),
        etat,
    };
}

ChampSaisie raisonSociale() {
    return champ({QStringLiteral("Raison Sociale:")}, QStringLiteral("RAISONSOCIALE"));
}

ChampSaisie qualite(const QString& libelle = QStringLiteral("Qualité Entreprises:")) {
    return liste({libelle}, QStringLiteral("QUALITE"), CodeLists::ListeQualite(),
                 CodeLists::ListeQualite());
}

ChampSaisie autreQualite() {
    return champ({QStringLiteral("Autres Qualité:")}, QStringLiteral("AUTREQUALITE"));
}

ChampSaisie natureRelation(const QString& colonne) {
    return liste({QStringLiteral("Nature Relation:")}, colonne,
                 CodeLists::ListeNatureRelationLong(), CodeLists::ListeNatureRelationLong());
}

ChampSaisie autresNaturesRelations(const QString& colonne) {
    return champ({QStringLiteral("Autres Natures"), QStringLiteral("de Relations:")}, colonne);
}

DatasetTableModel::Column colonne(const QString& titre, const QString& champ) {
    return {titre, champ};
}

DefinitionPageLignes lignes(Dataset* dataset, QVector<ChampSaisie> champs,
                            QVector<DatasetTableModel::Column> liste, const QString& question) {
    DefinitionPageLignes d;
    d.dataset = dataset;
    d.champs = std::move(champs);
    d.colonnesFormulaire = 2;
    d.liste = std::move(liste);
    d.questionEffacerTout = question;
    d.listeEnHaut = true;
    d.navigationDansListe = true;
    d.legendeIdentifiant = QStringLiteral("Identifiant Entreprise:");
    d.noteIdentifiant = QStringLiteral("Matricule Fiscal 7 Chiffres+Clé (ABCDEFGHJKLMNPQRSTVWXYZ)");
    d.champAjouter = QStringLiteral("MATRICULEFISCAL");
    return d;
}

PageOperations montants(TDataprix& module) {
    QVector<ChampSaisie> champs = identifiant();
    champs += {
        liste({QStringLiteral("Type des Montants")}, QStringLiteral("TYPEMONTANT"),
              CodeLists::ListeTypeMontant(), CodeLists::ListeTypeMontantInfobulle()),
        raisonSociale(),
        liste({QStringLiteral("Nature Opération:")}, QStringLiteral("NATUREOPERATIONS"),
              CodeLists::ListesNatureOperationInitiale(),
              CodeLists::ListesNatureOperationInitiale()),
        champ({QStringLiteral("Autres Natures"), QStringLiteral("d'Opérations:")},
              QStringLiteral("AUTRESNATURESOPERATIONS")),
        montant({QStringLiteral("Montant des Achats/Dépenses:")}, QStringLiteral("ACHATS")),
        montant({QStringLiteral("Montant des Ventes:")}, QStringLiteral("VENTES")),
        qualite(),
        autreQualite(),
        natureRelation(QStringLiteral("NATURRELATION")),
        autresNaturesRelations(QStringLiteral("AUTRENATURERELATIONS")),
        liste({QStringLiteral("Méthode du "), QStringLiteral("Prix de Transfert")},
              QStringLiteral("METHODE"), CodeLists::ListeMethode(),
              CodeLists::ListeChangementMethode()),
        champ({QStringLiteral("Autres "), QStringLiteral("Méthodes:")},
              QStringLiteral("AUTREMETHODE"), GenreChamp::Memo),
        liste({QStringLiteral("Changemen Méthode"), QStringLiteral("du Prix de Transfert")},
              QStringLiteral("CHANGEMENTMETHODE"), CodeLists::ListeChangementMethode(),
              CodeLists::ListeChangementMethode()),
        champ({QStringLiteral("Autres Méthodes "), QStringLiteral("de Changement:")},
              QStringLiteral("CHANGEMENTAUTREMETRHODE"), GenreChamp::Memo),
    };
    PageOperations p;
    p.numero = 1;
    p.onglet = PagesOperations::onglet(1);
    p.entete = QStringLiteral("Opérations des montants des transactions");
    p.lignes = lignes(
        module.montanttransactions, champs,
        {colonne(QStringLiteral("M.Fiscal"), QStringLiteral("MATRICULEFISCAL")),
         colonne(QStringLiteral("Autre Id."), QStringLiteral("AUTREIDENTIFIANT")),
         colonne(QStringLiteral("Raison Sociale"), QStringLiteral("RAISONSOCIALE")),
         colonne(QStringLiteral("Nat."), QStringLiteral("ETATTERRITORIAL")),
         colonne(QStringLiteral("Type Montant"), QStringLiteral("TYPEMONTANT")),
         colonne(QStringLiteral("Achats"), QStringLiteral("ACHATS")),
         colonne(QStringLiteral("Ventes"), QStringLiteral("VENTES"))},
        QStringLiteral("Voulez-vous supprimer toute la liste des montants des transactions ?"));
    p.totaux = {QStringLiteral("ACHATS"), QStringLiteral("VENTES")};
    p.libellesTotaux = {QStringLiteral("Total Achats"), QStringLiteral("Total Ventes")};
    return p;
}

PageOperations pretsEmprunts(TDataprix& module) {
    QVector<ChampSaisie> champs = identifiant();
    champs += {
        liste({QStringLiteral("Type Emprunt/Pret")}, QStringLiteral("TYPEPRETEMPRUNT"),
              CodeLists::ListeTypePretEmprunt(), CodeLists::ListeTypePretEmprunt()),
        champ({QStringLiteral("Devise")}, QStringLiteral("DEVISE")),
        raisonSociale(),
        qualite(),
        autreQualite(),
        natureRelation(QStringLiteral("NATURERELATION")),
        autresNaturesRelations(QStringLiteral("AUTRENATURE")),
        montant({QStringLiteral("Solde Ouverture:")}, QStringLiteral("SOLDEOUVERTURE")),
        montant({QStringLiteral("Mouvements Augmentation:")}, QStringLiteral("AUGMENTATIONS")),
        montant({QStringLiteral("Mouvements Diminution:")}, QStringLiteral("DIMINUTIONS")),
        montant({QStringLiteral("Solde Clôture:")}, QStringLiteral("SOLDECLOTURE")),
        liste({QStringLiteral("Avec Intérêt Oui/Non")}, QStringLiteral("PRETINTERET"),
              CodeLists::ListeOuiNon(), CodeLists::ListeOuiNon()),
        montant({QStringLiteral("Taux d'Intérêt:")}, QStringLiteral("TAUXINTERET")),
    };
    PageOperations p;
    p.numero = 2;
    p.onglet = PagesOperations::onglet(2);
    p.entete = QStringLiteral("Opérations des Emprunts et des Prets");
    p.lignes = lignes(
        module.Empruntsprets, champs,
        {colonne(QStringLiteral("M.Fiscal"), QStringLiteral("MATRICULEFISCAL")),
         colonne(QStringLiteral("Autre Id."), QStringLiteral("AUTREIDENTIFIANT")),
         colonne(QStringLiteral("Raison Sociale"), QStringLiteral("RAISONSOCIALE")),
         colonne(QStringLiteral("Nat"), QStringLiteral("ETATTERRITORIAL")),
         colonne(QStringLiteral("E/P"), QStringLiteral("TYPEPRETEMPRUNT")),
         colonne(QStringLiteral("Aygmentations"), QStringLiteral("AUGMENTATIONS")),
         colonne(QStringLiteral("Diminutions"), QStringLiteral("DIMINUTIONS"))},
        QStringLiteral("Voulez-vous supprimer toutes les opérations d'emprunts et de prêts ?"));
    p.lignes.libelleValider = QStringLiteral("Vallider");
    p.totaux = {QStringLiteral("AUGMENTATIONS"), QStringLiteral("DIMINUTIONS")};
    p.libellesTotaux = {QStringLiteral("Total Augmentations"), QStringLiteral("Total Diminutions")};
    return p;
}

PageOperations sansContrePartie(TDataprix& module) {
    QVector<ChampSaisie> champs = identifiant();
    champs += {
        liste({QStringLiteral("Avec ou Sans Contre"), QStringLiteral("Partie Non monétaire")},
              QStringLiteral("AVECCONTREOUINON"), CodeLists::ListeContrepartie(),
              CodeLists::ListeContrepartie()),
        raisonSociale(),
        qualite(),
        autreQualite(),
        natureRelation(QStringLiteral("NATURERELATION")),
        autresNaturesRelations(QStringLiteral("AUTRENATURE")),
        champ({QStringLiteral("Nature Service:")}, QStringLiteral("NATUREBIENSERVICE")),
        champ({QStringLiteral("NatureContre"), QStringLiteral("partie:")},
              QStringLiteral("NATURECONTREPARTIE")),
    };
    PageOperations p;
    p.numero = 3;
    p.onglet = PagesOperations::onglet(3);
    p.entete = QStringLiteral("Opérations sans contre partie ou avec contre partie non monétaire");
    p.lignes =
        lignes(module.operationssanscontre, champs,
               {colonne(QStringLiteral("M.Fiscal"), QStringLiteral("MATRICULEFISCAL")),
                colonne(QStringLiteral("Autre Id."), QStringLiteral("AUTREIDENTIFIANT")),
                colonne(QStringLiteral("Raison Sociale"), QStringLiteral("RAISONSOCIALE")),
                colonne(QStringLiteral("Nat."), QStringLiteral("ETATTERRITORIAL")),
                colonne(QStringLiteral("Nature Bien"), QStringLiteral("NATUREBIENSERVICE"))},
               QStringLiteral(
                   "Voulez-vous supprimer toutes les opérations sans contre partie monétaire ?"));
    return p;
}

PageOperations accordPrealable(TDataprix& module) {
    QVector<ChampSaisie> champs = identifiant();
    champs += {
        raisonSociale(),
        qualite(QStringLiteral("Qualité Entreprise:")),
        autreQualite(),
        liste({QStringLiteral("Nature de la Relation:")}, QStringLiteral("NATURERELATION"),
              CodeLists::ListeNatureRelationCourt(), CodeLists::ListeNatureRelationLong()),
        champ({QStringLiteral("Autres Natures:")}, QStringLiteral("AUTRENATURE")),
        champ({QStringLiteral("Autres Opérations:")}, QStringLiteral("NATUREOPERATION")),
        champ({QStringLiteral("Exercice Début:")}, QStringLiteral("EXERCICEDEBUT"),
              GenreChamp::Nombre),
        champ({QStringLiteral("Exercice Fin:")}, QStringLiteral("EXERCICEFIN"), GenreChamp::Nombre),
    };
    PageOperations p;
    p.numero = 4;
    p.onglet = PagesOperations::onglet(4);
    p.entete = QStringLiteral("Opérations avec accord préalable");
    p.lignes = lignes(
        module.operationsaccord, champs,
        {colonne(QStringLiteral("M.Fiscal"), QStringLiteral("MATRICULEFISCAL")),
         colonne(QStringLiteral("Autre Id."), QStringLiteral("AUTREIDENTIFIANT")),
         colonne(QStringLiteral("Raison Sociale"), QStringLiteral("RAISONSOCIALE")),
         colonne(QStringLiteral("Nat."), QStringLiteral("ETATTERRITORIAL")),
         colonne(QStringLiteral("Exercice Début"), QStringLiteral("EXERCICEDEBUT")),
         colonne(QStringLiteral("Exercice Fin"), QStringLiteral("EXERCICEFIN"))},
        QStringLiteral("Voulez-vous supprimer toutes les opérations avec accord préalable  ?"));
    // On this page the list comes first in the tab order.
    p.lignes.listeAvantChamps = true;
    return p;
}

}  // namespace

QString PagesOperations::onglet(int numero) {
    switch (numero) {
        case 1:
            return QStringLiteral("Opérations des Montants des Transcations:");
        case 2:
            return QStringLiteral("Informations Prets et Emprunts");
        case 3:
            return QStringLiteral("Opérations sans Contre Partie");
        case 4:
            return QStringLiteral("Opérations avec accord préalable");
        default:
            return QString();
    }
}

PageOperations PagesOperations::page(int numero, TDataprix& module) {
    switch (numero) {
        case 1:
            return montants(module);
        case 2:
            return pretsEmprunts(module);
        case 3:
            return sansContrePartie(module);
        case 4:
            return accordPrealable(module);
        default:
            return PageOperations();
    }
}
