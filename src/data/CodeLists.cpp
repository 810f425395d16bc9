#include "data/CodeLists.h"

#include <QRegularExpression>

namespace {
QStringList list(std::initializer_list<const char16_t*> items) {
    QStringList result;
    for (const char16_t* item : items) {
        result.append(QString::fromUtf16(item));
    }
    return result;
}
}  // namespace

db::Value CodeLists::storedCode(const QString& text, int width) {
    if (text.isEmpty()) {
        return db::Value();
    }
    return db::Value(width > 0 && text.size() > width ? text.left(width) : text);
}

const QStringList& CodeLists::ListeQualite() {
    static const QStringList l = list({
        u"1: pour la qualité « Entité mère ultime » ",
        u"2. pour la qualité « Entité mère non ultime »",
        u"3: pour « Entreprise holding»",
        u"4: pour « Entreprise filiale »",
        u"5: pour« Etablissement stable ».",
    });
    return l;
}

const QStringList& CodeLists::ListeNatureRelationLong() {
    static const QStringList l = list({
        u"1: pour « Propriétaires »",
        u"2: pour « Copropriétaires »",
        u"3: pour « Locataires » ",
        u"4: pour « Concessionnaire ».",
    });
    return l;
}

const QStringList& CodeLists::ListeNatureRelationCourt() {
    static const QStringList l = list({
        u"1:Propriétaires ",
        u"2:Copropriétaires",
        u"3: Locataires",
        u"4:Concessionnaire",
    });
    return l;
}

const QStringList& CodeLists::ListeMethode() {
    static const QStringList l = list({
        u"CUP  : pour « Méthode du prix comparable sur le marché libre »",
        u"MPR  : pour « Méthode du prix de revente »",
        u"MPRM: pour « Méthode du prix de revient majoré »",
        u"MTMN: pour « Méthode transactionnelle de la marge nette »",
        u"MPB  :pour « Méthode du partage des bénéfices »",
    });
    return l;
}

const QStringList& CodeLists::ListeChangementMethode() {
    static const QStringList l = list({
        u"CUP  : pour « Méthode du prix comparable sur le marché libre »,",
        u"MPR  : pour « Méthode du prix de revente », ",
        u"MPRM: pour « Méthode du prix de revient majoré »,",
        u"MTMN: pour « Méthode transactionnelle de la marge nette », ",
        u"MPB  :pour « Méthode du partage des bénéfices ».",
    });
    return l;
}

const QStringList& CodeLists::ListeTypeMontant() {
    static const QStringList l = list({
        u"1 :Valeur d'Exploitation",
        u"2 :Rémunérations biens corporel et incorporel ",
        u"3 :Service ",
        u"4 :Opérations Financières",
        u"5 :Cessions Acquisitions actifs",
        u"6 :Autres opérations",
        u"7 :Transactions Régime Fiscal Préviligé",
    });
    return l;
}

const QStringList& CodeLists::ListeTypeMontantInfobulle() {
    static const QStringList l = ListeTypeMontant().mid(0, 6);
    return l;
}

QStringList CodeLists::ListesNatureOperation(const QString& type) {
    if (type == u"1") {
        return list({u"1:Matière première", u"2:Produits finis ou semi-finis", u"3:marchandises"});
    }
    if (type == u"2") {
        return list({u"1:Loyers", u"2:Redevances", u"3:Rémunérations de franchise."});
    }
    if (type == u"3") {
        return list({u"1:Gestion/Administration",
                     u"2:Services techniques et rémunérations du travail intellectuel",
                     u"3:Recherche et développement", u"4:Formation", u"5:commission"});
    }
    if (type == u"4") {
        return list(
            {u"1:Intérêts", u"2:Frais de garantie et de caution", u"3:Leasing", u"4:Assurance"});
    }
    if (type == u"5") {
        return list({u"1:Brevets", u"2:Marques", u"3::Fonds de commerce",
                     u"4:Autres actifs incorporels", u"5:Actifs corporels", u"6:Biens immeubles"});
    }
    if (type == u"6") {
        return list({u"1:Remboursements de frais",
                     u"2:Coûts supportés pour la mise à disposition de personnel du groupe"});
    }
    return {};
}

const QStringList& CodeLists::ListesNatureOperationInitiale() {
    static const QStringList l =
        list({u"Matière première ", u"Produits finis", u"semi-finis", u"marchandises"});
    return l;
}

bool CodeLists::natureValide(const QString& type, const QString& code) {
    if (code.isEmpty()) {
        return false;
    }
    for (const QString& item : ListesNatureOperation(type)) {
        if (item.startsWith(code)) {
            return true;
        }
    }
    return false;
}

const QStringList& CodeLists::ListeTypePretEmprunt() {
    static const QStringList l = list({u"Emprunt", u"Pret"});
    return l;
}

const QStringList& CodeLists::ListeOuiNon() {
    static const QStringList l = list({u"Oui", u"Non"});
    return l;
}

const QStringList& CodeLists::ListeContrepartie() {
    static const QStringList l =
        list({u"S: Sans Contre Partie monétaire", u"A: Avec Contre Partie non monétaire"});
    return l;
}

const QStringList& CodeLists::ListeCle() {
    static const QStringList l =
        list({u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H", u"J", u"K", u"L", u"M",
              u"N", u"P", u"Q", u"R", u"S", u"T", u"V", u"W", u"X", u"Y", u"Z"});
    return l;
}

const QStringList& CodeLists::ListeCodeTVA() {
    static const QStringList l = list({u"A", u"B", u"P", u"D", u"N"});
    return l;
}

const QStringList& CodeLists::ListeCategorie() {
    static const QStringList l = list({u"M", u"C", u"P", u"N"});
    return l;
}

const QStringList& CodeLists::ListeCodeActe() {
    static const QStringList l =
        list({u"0: Initiale", u"1 : Rectificative", u"4 : Cessation d’activité"});
    return l;
}

const QString& CodeLists::ListeCodeActeInfobulle() {
    static const QString t =
        QString::fromUtf16(u"Code Acte   l’exercice 2021 doit avoir le code 0");
    return t;
}

const QStringList& CodeLists::ListeTypeDeclaration() {
    static const QStringList l =
        list({u"P : Déclaration provisoire", u"D : Déclaration définitive"});
    return l;
}

const QStringList& CodeLists::ListeNatureDateFin() {
    static const QStringList l =
        list({u"1 : Clôture de l’exercice,", u"2 : Cession de l’entreprise,",
              u"3 : Cessation d’activité,", u"4 : Fusion,", u"5 : Scission."});
    return l;
}

const QStringList& CodeLists::ListeON() {
    static const QStringList l = list({u"O", u"N"});
    return l;
}

const QStringList& CodeLists::ListeNatureActif() {
    static const QStringList l = list({
        u"01 : Investissements de recherche et de développement,",
        u"02 : Concessions de marques,",
        u"03 : Marques de fabrique,",
        u"04 : Brevets,",
        u"05 : Licences marques,",
        u"06 : Licences et droits limités,",
        u"07 : Noms commerciaux,",
        u"08 : Procédés & valeurs similaires,",
        u"09 : Logiciels,",
        u"10 : Droit au bail.",
    });
    return l;
}

QString CodeLists::meaning(const QStringList& items, const QString& code, int width) {
    const QString wanted = code.trimmed();
    if (wanted.isEmpty() || width <= 0) {
        return QString();
    }
    static const QRegularExpression separator(QStringLiteral("^[\\s:.]+"));
    static const QRegularExpression pour(QStringLiteral("^pour( la qualité)?\\s*"));
    static const QRegularExpression end(QStringLiteral("[\\s,.]+$"));
    for (const QString& item : items) {
        if (item.left(width).trimmed() != wanted) {
            continue;
        }
        QString rest = item.mid(width);
        if (rest.trimmed().isEmpty()) {
            return QString();
        }
        if (!separator.match(rest).hasMatch()) {
            // The code is the first letter of a word: the word says it all.
            rest = item;
        }
        rest.remove(separator).remove(pour).remove(u'«').remove(u'»');
        return rest.trimmed().remove(end);
    }
    return QString();
}
