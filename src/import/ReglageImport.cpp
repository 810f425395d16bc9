#include "import/ReglageImport.h"

#include <QFileInfo>
#include <QJsonArray>

namespace {

struct FormatDecrit {
    FormatSource format;
    const char16_t* cle;
    const char16_t* libelle;
    QStringList extensions;
};

const QVector<FormatDecrit>& formats() {
    static const QVector<FormatDecrit> liste = {
        {FormatSource::Excel, u"excel", u"Classeur Excel (.xlsx, .xls)", {"xlsx", "xlsm", "xls"}},
        {FormatSource::OpenDocument, u"opendocument", u"Classeur OpenDocument (.ods)", {"ods"}},
        {FormatSource::Texte, u"texte", u"Fichier texte délimité (.csv, .txt)", {"csv", "txt"}},
        {FormatSource::Html, u"html", u"Tableau HTML (.html, .htm)", {"html", "htm"}},
        {FormatSource::XmlExcel, u"xml", u"Feuille XML Excel 2003 (.xml)", {"xml"}},
        {FormatSource::DBase, u"dbase", u"Table dBase (.dbf)", {"dbf"}},
    };
    return liste;
}

const FormatDecrit& decrit(FormatSource format) {
    for (const FormatDecrit& f : formats()) {
        if (f.format == format) {
            return f;
        }
    }
    return formats().front();
}

QString caractere(QChar c) {
    return c.isNull() ? QString() : QString(c);
}

QChar premier(const QString& text) {
    return text.isEmpty() ? QChar() : text.at(0);
}

// The operations pages' mappings, column letters A, B, C, ... in order.
const QStringList& colonnesDeLaPage(int page) {
    static const QStringList p1 = {"MFISCAL",
                                   "EXERCICE",
                                   "LG",
                                   "MATRICULEFISCAL",
                                   "AUTREIDENTIFIANT",
                                   "ETATTERRITORIAL",
                                   "TYPEMONTANT",
                                   "RAISONSOCIALE",
                                   "NATUREOPERATIONS",
                                   "AUTRESNATURESOPERATIONS",
                                   "ACHATS",
                                   "VENTES",
                                   "QUALITE",
                                   "AUTREQUALITE",
                                   "NATURRELATION",
                                   "AUTRENATURERELATIONS",
                                   "METHODE",
                                   "AUTREMETHODE",
                                   "CHANGEMENTMETHODE",
                                   "CHANGEMENTAUTREMETRHODE"};
    static const QStringList p2 = {
        "MFISCAL",         "EXERCICE",        "LG",          "MATRICULEFISCAL", "AUTREIDENTIFIANT",
        "ETATTERRITORIAL", "TYPEPRETEMPRUNT", "DEVISE",      "RAISONSOCIALE",   "QUALITE",
        "AUTREQUALITE",    "NATURERELATION",  "AUTRENATURE", "SOLDEOUVERTURE",  "AUGMENTATIONS",
        "DIMINUTIONS",     "SOLDECLOTURE",    "PRETINTERET", "TAUXINTERET"};
    static const QStringList p3 = {"MFISCAL",           "EXERCICE",          "LG",
                                   "MATRICULEFISCAL",   "AUTREIDENTIFIANT",  "ETATTERRITORIAL",
                                   "AVECCONTREOUINON",  "RAISONSOCIALE",     "QUALITE",
                                   "AUTREQUALITE",      "NATURERELATION",    "AUTRENATURE",
                                   "NATUREBIENSERVICE", "NATURECONTREPARTIE"};
    static const QStringList p4 = {"MFISCAL",         "EXERCICE",         "LG",
                                   "MATRICULEFISCAL", "AUTREIDENTIFIANT", "ETATTERRITORIAL",
                                   "RAISONSOCIALE",   "QUALITE",          "AUTREQUALITE",
                                   "NATURERELATION",  "AUTRENATURE",      "NATUREOPERATION",
                                   "EXERCICEDEBUT",   "EXERCICEFIN"};
    static const QStringList aucune;
    switch (page) {
        case 1:
            return p1;
        case 2:
            return p2;
        case 3:
            return p3;
        case 4:
            return p4;
        default:
            return aucune;
    }
}

QString cleOrdre(FormatsValeurs::OrdreDate ordre) {
    switch (ordre) {
        case FormatsValeurs::OrdreDate::MoisJourAnnee:
            return QStringLiteral("MJA");
        case FormatsValeurs::OrdreDate::AnneeMoisJour:
            return QStringLiteral("AMJ");
        default:
            return QStringLiteral("JMA");
    }
}

QString cleCodage(OptionsTexte::Codage codage) {
    switch (codage) {
        case OptionsTexte::Codage::Utf8:
            return QStringLiteral("utf-8");
        case OptionsTexte::Codage::Windows1252:
            return QStringLiteral("windows-1252");
        default:
            return QStringLiteral("auto");
    }
}

}  // namespace

QString libelleFormat(FormatSource format) {
    return QString::fromUtf16(decrit(format).libelle);
}

QStringList motifsFormat(FormatSource format) {
    QStringList motifs;
    for (const QString& e : decrit(format).extensions) {
        motifs.append(QStringLiteral("*.") + e);
    }
    return motifs;
}

QVector<FormatSource> tousLesFormats() {
    QVector<FormatSource> liste;
    for (const FormatDecrit& f : formats()) {
        liste.append(f.format);
    }
    return liste;
}

std::optional<FormatSource> formatDuFichier(const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    for (const FormatDecrit& f : formats()) {
        if (f.extensions.contains(extension)) {
            return f.format;
        }
    }
    return std::nullopt;
}

QString cleFormat(FormatSource format) {
    return QString::fromUtf16(decrit(format).cle);
}

std::optional<FormatSource> formatDeCle(const QString& key) {
    for (const FormatDecrit& f : formats()) {
        if (key == QStringView(f.cle)) {
            return f.format;
        }
    }
    return std::nullopt;
}

FormatsValeurs FormatsValeurs::francais() {
    FormatsValeurs f;
    f.separateurDecimal = u',';
    return f;
}

ReglageImport ReglageImport::pourPage(int page) {
    ReglageImport reglage;
    const QStringList& colonnes = colonnesDeLaPage(page);
    for (int i = 0; i < colonnes.size(); ++i) {
        reglage.correspondances.append({colonnes[i], QString(QChar(u'A' + i))});
    }
    return reglage;
}

QString ReglageImport::datasetDeLaPage(int page) {
    switch (page) {
        case 1:
            return QStringLiteral("montanttransactions");
        case 2:
            return QStringLiteral("Empruntsprets");
        case 3:
            return QStringLiteral("operationssanscontre");
        case 4:
            return QStringLiteral("operationsaccord");
        default:
            return QString();
    }
}

QString ReglageImport::lettreDe(const QString& colonne) const {
    for (const CorrespondanceColonne& c : correspondances) {
        if (c.colonne.compare(colonne, Qt::CaseInsensitive) == 0) {
            return c.lettre;
        }
    }
    return QString();
}

QJsonObject ReglageImport::versJson() const {
    QJsonArray mapping;
    for (const CorrespondanceColonne& c : correspondances) {
        mapping.append(QJsonObject{{"colonne", c.colonne}, {"lettre", c.lettre}});
    }
    return QJsonObject{
        {"format", cleFormat(format)},
        {"feuille", feuille},
        {"premiereLigne", premiereLigne},
        {"separateur", caractere(texte.separateur)},
        {"delimiteur", caractere(texte.delimiteur)},
        {"codage", cleCodage(texte.codage)},
        {"ordreDate", cleOrdre(valeurs.ordreDate)},
        {"separateurDate", caractere(valeurs.separateurDate)},
        {"separateurHeure", caractere(valeurs.separateurHeure)},
        {"anneeQuatreChiffres", valeurs.anneeQuatreChiffres},
        {"zerosEnTete", valeurs.zerosEnTete},
        {"separateurMilliers", caractere(valeurs.separateurMilliers)},
        {"separateurDecimal", caractere(valeurs.separateurDecimal)},
        {"symboleMonetaire", valeurs.symboleMonetaire},
        {"vrai", valeurs.vrai},
        {"faux", valeurs.faux},
        {"correspondances", mapping},
    };
}

ReglageImport ReglageImport::depuisJson(const QJsonObject& json) {
    ReglageImport reglage;
    reglage.format = formatDeCle(json.value("format").toString()).value_or(FormatSource::Excel);
    reglage.feuille = json.value("feuille").toString();
    reglage.premiereLigne = std::max(1, json.value("premiereLigne").toInt(2));
    if (json.contains("separateur")) {
        reglage.texte.separateur = premier(json.value("separateur").toString());
        if (reglage.texte.separateur.isNull()) {
            reglage.texte.separateur = u';';
        }
    }
    if (json.contains("delimiteur")) {
        reglage.texte.delimiteur = premier(json.value("delimiteur").toString());
    }
    const QString codage = json.value("codage").toString();
    reglage.texte.codage = codage == u"utf-8"          ? OptionsTexte::Codage::Utf8
                           : codage == u"windows-1252" ? OptionsTexte::Codage::Windows1252
                                                       : OptionsTexte::Codage::Automatique;
    const QString ordre = json.value("ordreDate").toString();
    reglage.valeurs.ordreDate = ordre == u"MJA"   ? FormatsValeurs::OrdreDate::MoisJourAnnee
                                : ordre == u"AMJ" ? FormatsValeurs::OrdreDate::AnneeMoisJour
                                                  : FormatsValeurs::OrdreDate::JourMoisAnnee;
    auto lireCaractere = [&json](const char* cle, QChar& cible) {
        if (json.contains(QLatin1StringView(cle))) {
            cible = premier(json.value(QLatin1StringView(cle)).toString());
        }
    };
    lireCaractere("separateurDate", reglage.valeurs.separateurDate);
    lireCaractere("separateurHeure", reglage.valeurs.separateurHeure);
    lireCaractere("separateurMilliers", reglage.valeurs.separateurMilliers);
    lireCaractere("separateurDecimal", reglage.valeurs.separateurDecimal);
    if (reglage.valeurs.separateurDecimal.isNull()) {
        reglage.valeurs.separateurDecimal = u'.';
    }
    reglage.valeurs.anneeQuatreChiffres = json.value("anneeQuatreChiffres").toBool(true);
    reglage.valeurs.zerosEnTete = json.value("zerosEnTete").toBool(true);
    if (json.contains("symboleMonetaire")) {
        reglage.valeurs.symboleMonetaire = json.value("symboleMonetaire").toString();
    }
    if (json.contains("vrai")) {
        reglage.valeurs.vrai = json.value("vrai").toString();
    }
    if (json.contains("faux")) {
        reglage.valeurs.faux = json.value("faux").toString();
    }
    for (const QJsonValue& v : json.value("correspondances").toArray()) {
        const QJsonObject o = v.toObject();
        const QString colonne = o.value("colonne").toString();
        if (!colonne.isEmpty()) {
            reglage.correspondances.append({colonne, o.value("lettre").toString().toUpper()});
        }
    }
    return reglage;
}
