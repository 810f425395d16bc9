#include "declaration/ProblemMessages.h"

#include <initializer_list>

namespace {

using V = QByteArrayView;

bool isOneOf(V name, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (name == V(n)) {
            return true;
        }
    }
    return false;
}

bool isCompanyPage(DeclarationPage page) {
    return page == DeclarationPage::IdentificationEntreprise ||
           page == DeclarationPage::AutresInformations ||
           page == DeclarationPage::InformationsGroupe;
}

ProblemLocation locationOf(const ElementSource& source, const DeclarationField* field) {
    ProblemLocation location;
    if (field) {
        location.page = field->page;
        location.column = QString::fromLatin1(field->column);
    } else if (source.page >= 0) {
        location.page = static_cast<DeclarationPage>(source.page);
    }
    // The company and group records have no line number, whatever row came before.
    location.lg = isCompanyPage(location.page) ? 0 : source.lg;
    return location;
}

QString caption(const DeclarationField* field) {
    return field ? field->captionText() : QString();
}

QString quoted(const QString& text) {
    return QStringLiteral("« ") + text + QStringLiteral(" »");
}

DeclarationProblem problem(const ElementSource& source, const DeclarationField* field,
                           const QString& detail) {
    return {locationOf(source, field), caption(field), detail};
}

const char* const kText250 = "un texte de 1 à 250 caractères";
const char* const kTextMax = "un texte non vide";
const char* const kAmount = "un montant d'au plus 16 chiffres";

}  // namespace

namespace {

struct Expectation {
    const char* phrase;
    int maxLength;
};

Expectation expected(QByteArrayView element, QByteArrayView parent) {
    const char* phrase = "une valeur que l'administration accepte";
    if (element == V("CodeActe")) {
        phrase =
            "un code acte accepté : 0 (initiale), 1 (rectificative) ou 4 (cessation "
            "d'activité)";
    } else if (isOneOf(element, {"Exercice", "ExerciceDebut", "ExerciceFin"})) {
        phrase = "une année de quatre chiffres";
    } else if (element == V("MatriculeFiscalDeclarant")) {
        phrase =
            "un matricule fiscal (7 chiffres suivis de la clé, une lettre autre que I, O "
            "et U)";
    } else if (element == V("MatriculeFiscal")) {
        phrase = "un matricule fiscal (7 chiffres suivis d'une lettre clé)";
    } else if (element == V("CodeTVA")) {
        phrase = "un code TVA accepté : A, B, P, D ou N";
    } else if (element == V("CodeCategorie")) {
        phrase = "la catégorie M, la seule que l'administration accepte";
    } else if (element == V("TypeDeclaration")) {
        phrase = "un type de déclaration accepté : P (provisoire) ou D (définitive)";
    } else if (isOneOf(element, {"DateDebutExercice", "DateFinExercice"})) {
        phrase = "une date au format JJ/MM/AAAA, entre 1900 et 2099";
    } else if (element == V("NatureDateFin")) {
        phrase = "une nature de date de fin de 1 à 5";
    } else if (isOneOf(element, {"Nationalite", "EtatTerritoire"})) {
        phrase = "un code d'État ou de territoire de la liste de l'administration";
    } else if (element == V("Devise")) {
        phrase = "un code de devise de la liste de l'administration";
    } else if (element == V("CodePostal")) {
        phrase = "un code postal de 4 chiffres";
    } else if (isOneOf(element, {"PourcentageDetentionCapital", "PourcentageDetentionDroitsVote",
                                 "TauxInterets"})) {
        phrase = "un pourcentage d'au plus 4 chiffres";
    } else if (element == V("Qualite")) {
        phrase = "une qualité de 1 à 5";
    } else if (element == V("NatureRelation")) {
        phrase = "une nature de relation de 1 à 4";
    } else if (element == V("NatureActifIncorporel")) {
        phrase = "une nature d'actif incorporel de 01 à 10";
    } else if (element == V("NatureActifCorporel")) {
        phrase = "une nature d'actif corporel de 01 à 17";
    } else if (element == V("OnereuxGratuit")) {
        phrase = "une réponse O (onéreux) ou N (gratuit)";
    } else if (element == V("MethodeDeterminationPrixTransfert")) {
        phrase = "une méthode acceptée : CUP, MPR, MPRM, MTMN ou MPB";
    } else if (isOneOf(element, {"Affirmation", "PretsInterets", "EmpruntInterets"})) {
        phrase = "une réponse O ou N";
    } else if (element == V("NatureAutreOperation")) {
        phrase = "une nature d'opération 1 ou 2";
    } else if (element == V("NatureOperation")) {
        if (isOneOf(parent,
                    {"NatureOperationValeurExploitation", "NatureOperationRemunerationBiens"})) {
            phrase = "une nature d'opération de 1 à 3";
        } else if (parent == V("NatureOperationService")) {
            phrase = "une nature d'opération de 1 à 5";
        } else if (parent == V("NatureOperationFinanciere")) {
            phrase = "une nature d'opération de 1 à 4";
        } else if (parent == V("NatureOperationCessionAcquisitionActif")) {
            phrase = "une nature d'opération de 1 à 6";
        } else {
            phrase = kText250;
        }
    } else if (element == V("Identifiant")) {
        return {"un identifiant de 1 à 20 caractères", 20};
    } else if (element.startsWith(V("Description")) ||
               isOneOf(element, {"AutresInformationsARenseignerSurDeclarationPrixTransfert",
                                 "AutreMethodeDeterminationPrixTransfert"})) {
        phrase = kTextMax;
    } else if (isOneOf(element,
                       {"ChiffreAffaireAnnuel", "AchatsDepenses", "VentesRevenus", "SoldeOuverture",
                        "MouvementsAugmentations", "MouvementsDiminutions", "SoldeCloture"}) ||
               element.startsWith(V("Total"))) {
        phrase = kAmount;
    } else if (isOneOf(element,
                       {"RaisonSociale", "FormeJuridique", "AdresseSiegeSocialEtablissementTunisie",
                        "AdresseSiegeSocial", "ActivitePrincipale", "ActiviteSecondaire",
                        "AutreQualite", "AutreNatureRelation", "AutreNatureOperation",
                        "AutreNatureActifIncorporel", "AutreNatureActifCorporel",
                        "NatureBiensOuService", "NatureContrepartie"})) {
        phrase = kText250;
    }
    return {phrase, phrase == kText250 ? 250 : 0};
}

}  // namespace

QString ProblemMessages::expectation(QByteArrayView element, QByteArrayView parent) {
    return QString::fromUtf8(expected(element, parent).phrase);
}

int ProblemMessages::maxLength(QByteArrayView element, QByteArrayView parent) {
    return expected(element, parent).maxLength;
}

QString ProblemMessages::collapsed(const QString& value) {
    // The schema's collapse knows only these four blanks, not every Unicode space.
    auto isBlank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    QString out;
    out.reserve(value.size());
    bool pendingBlank = false;
    for (const QChar c : value) {
        if (isBlank(c)) {
            pendingBlank = !out.isEmpty();
            continue;
        }
        if (pendingBlank) {
            out += u' ';
            pendingBlank = false;
        }
        out += c;
    }
    return out;
}

QString ProblemMessages::shown(const QString& value) {
    QString text = value;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\n', u' ');
    text.replace(u'\r', u' ');
    constexpr qsizetype kLongest = 60;
    if (text.size() > kLongest) {
        text = text.left(kLongest - 1) + u'…';
    }
    return text;
}

DeclarationProblem ProblemMessages::refused(const Refused& r) {
    const ElementSource& source = r.source;
    const DeclarationField* field = source.field;
    const DeclarationField* alternative = source.alternative;

    const bool identifierMissing =
        (r.refusal == Refusal::MissingChild && r.element == V("IdentifiantEntreprise")) ||
        (r.element == V("MatriculeFiscal") && alternative && collapsed(r.value).isEmpty());
    if (identifierMissing) {
        return problem(
            source, field,
            QStringLiteral("le champ est vide, tout comme ") + quoted(caption(alternative)) +
                QStringLiteral(" ; l'administration attend un matricule fiscal (7 chiffres "
                               "suivis d'une lettre clé) ou, pour une société sans matricule "
                               "tunisien, un autre identifiant avec son état."));
    }
    if (r.refusal == Refusal::MissingChild && r.element == V("QualiteEntrepriseDeclarante")) {
        return problem(source, field,
                       QStringLiteral("le champ est vide, tout comme ") +
                           quoted(caption(alternative)) +
                           QStringLiteral(" ; l'administration attend une qualité de 1 à 5 ou "
                                          "une autre qualité."));
    }
    if (r.refusal == Refusal::UnexpectedChild && r.element == V("AutreIdentifiant")) {
        return problem(source, field,
                       QStringLiteral("l'identifiant est donné en même temps que le ") +
                           quoted(caption(alternative)) +
                           QStringLiteral(" ; l'administration n'accepte qu'un des deux "
                                          "identifiants : videz l'un des deux."));
    }
    if (r.refusal == Refusal::MissingChild || r.refusal == Refusal::UnexpectedChild) {
        return problem(source, field,
                       QStringLiteral("l'élément ") + quoted(QString::fromLatin1(r.element)) +
                           QStringLiteral(" ne suit pas la structure que l'administration "
                                          "attend."));
    }

    QByteArrayView element = r.element;
    if (!r.attribute.isEmpty()) {
        // The only attribute of the document is the nature of the end date.
        element = r.attribute;
        field = alternative;
        alternative = nullptr;
    }
    const QString value = collapsed(r.value);

    // A free text written because the code beside it is empty: both are empty, and the
    // code is the field the user most likely fills.
    if (value.isEmpty() && alternative &&
        isOneOf(element, {"AutreQualite", "AutreNatureRelation"})) {
        const QString choice = element == V("AutreQualite")
                                   ? QStringLiteral("une qualité de 1 à 5 ou une autre qualité")
                                   : QStringLiteral(
                                         "une nature de relation de 1 à 4 ou une autre nature "
                                         "de relation");
        return problem(source, alternative,
                       QStringLiteral("le champ est vide, tout comme ") + quoted(caption(field)) +
                           QStringLiteral(" ; l'administration attend ") + choice +
                           QStringLiteral("."));
    }

    const QString wanted = expectation(element, r.parent);
    if (value.isEmpty()) {
        return problem(source, field,
                       QStringLiteral("le champ est vide, alors que l'administration attend ") +
                           wanted + QStringLiteral("."));
    }
    const int longest = maxLength(element, r.parent);
    if (r.refusal == Refusal::TooLong || (longest > 0 && value.size() > longest)) {
        return problem(source, field,
                       quoted(shown(value)) + QStringLiteral(" compte %1 caractères, alors que "
                                                             "l'administration en accepte au "
                                                             "plus %2.")
                                                  .arg(value.size())
                                                  .arg(longest));
    }
    return problem(
        source, field,
        quoted(shown(value)) + QStringLiteral(" n'est pas ") + wanted + QStringLiteral("."));
}

DeclarationProblem ProblemMessages::missingDetail(QByteArrayView container,
                                                  const ElementSource& source) {
    const DeclarationField* field = source.field;
    if (isOneOf(container,
                {"ChangementsActiviteAuCoursExercice", "ModificationLiensCapitalAuCoursExercice",
                 "RestructurationsGroupeEntreprises"})) {
        return problem(source, field,
                       QStringLiteral("le champ est vide alors que ") +
                           quoted(caption(source.alternative)) +
                           QStringLiteral(" répond oui ; l'administration attend cette "
                                          "description, ou la réponse non."));
    }
    QString missing;
    if (container == V("InformationsSurBiensOuServicesSansContrePartie")) {
        missing = QStringLiteral(
            "aucune ligne « S » (sans contre partie monétaire) n'est saisie "
            "dans Opérations — Opérations sans Contre Partie");
    } else if (container == V("InformationsSurContrepartieNonMonetairePourBiensOuServices")) {
        missing = QStringLiteral(
            "aucune ligne « A » (avec contre partie non monétaire) n'est "
            "saisie dans Opérations — Opérations sans Contre Partie");
    } else {
        missing = QStringLiteral(
            "aucune ligne n'est saisie dans Opérations — Opérations avec "
            "accord préalable");
    }
    return problem(source, field,
                   QStringLiteral("la réponse est « O », mais ") + missing +
                       QStringLiteral(" ; l'administration attend au moins une ligne, ou la "
                                      "réponse « N »."));
}
