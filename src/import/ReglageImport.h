#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

/// The kinds of source the import reads.
enum class FormatSource {
    Excel,         ///< .xlsx, .xlsm (liborcus) and .xls (FreeXL); web exports named .xls too
    OpenDocument,  ///< .ods (liborcus)
    Texte,         ///< .csv, .txt: delimited text
    Html,          ///< the tables of an HTML page (libxml2)
    XmlExcel,      ///< an Excel 2003 XML spreadsheet (liborcus)
    DBase,         ///< a dBase table (shapelib)
};

/// The French name of a format, as the wizard offers it.
QString libelleFormat(FormatSource format);
/// The file name patterns of a format ("*.xlsx", ...).
QStringList motifsFormat(FormatSource format);
/// Every format, in the order the wizard offers them.
QVector<FormatSource> tousLesFormats();
/// The format a file name's extension names; nothing for an unknown extension.
std::optional<FormatSource> formatDuFichier(const QString& path);
/// Stable key of a format in saved import settings ("excel", "texte", ...).
QString cleFormat(FormatSource format);
std::optional<FormatSource> formatDeCle(const QString& key);

/// How a delimited text file is cut into cells.
struct OptionsTexte {
    enum class Codage { Automatique, Utf8, Windows1252 };

    QChar separateur = u';';
    /// The quote around fields that hold separators or line breaks; null for none.
    QChar delimiteur = u'"';
    Codage codage = Codage::Automatique;

    bool operator==(const OptionsTexte&) const = default;
};

/**
 * How values held as text read: dates, numbers, booleans. The regional settings of the
 * computer are never used, so that the same file reads the same everywhere.
 */
struct FormatsValeurs {
    enum class OrdreDate { JourMoisAnnee, MoisJourAnnee, AnneeMoisJour };

    OrdreDate ordreDate = OrdreDate::JourMoisAnnee;
    QChar separateurDate = u'/';
    QChar separateurHeure = u':';
    bool anneeQuatreChiffres = true;
    bool zerosEnTete = true;
    /// Null for none; a blank stands for every kind of blank (non-breaking ones too).
    QChar separateurMilliers = u' ';
    QChar separateurDecimal = u'.';
    QString symboleMonetaire = QStringLiteral("€");
    QString vrai = QStringLiteral("True");
    QString faux = QStringLiteral("False");

    /// The usual French conventions: decimal comma, blank thousands, dd/mm/yyyy.
    static FormatsValeurs francais();

    bool operator==(const FormatsValeurs&) const = default;
};

/// One column of the target table and the source column letter that fills it.
struct CorrespondanceColonne {
    QString colonne;
    QString lettre;

    bool operator==(const CorrespondanceColonne&) const = default;
};

/**
 * Everything an import needs besides the file and the target: the format, the sheet, the
 * first data row, the text and value formats and the column mapping. It is what the user
 * saves under a name and loads again.
 */
struct ReglageImport {
    FormatSource format = FormatSource::Excel;
    /// The sheet to read; empty for the first one.
    QString feuille;
    /// Sheet row (1-based) of the first data row; the rows above hold titles.
    int premiereLigne = 2;
    OptionsTexte texte;
    FormatsValeurs valeurs;
    QVector<CorrespondanceColonne> correspondances;
    /// The import stops at the first row that fails; nothing else is offered, so that no row
    /// is written past a problem.
    bool arretPremierProbleme = true;

    /// The preset of the operations page @p page (1 to 4): its mapping by letter, first data
    /// row 2, Excel, the value formats for text sources.
    static ReglageImport pourPage(int page);
    /// The name of the shared dataset of operations page @p page; empty outside 1 to 4.
    static QString datasetDeLaPage(int page);

    /// The letter mapped to @p colonne; empty when none.
    QString lettreDe(const QString& colonne) const;

    QJsonObject versJson() const;
    /// Reads what versJson() wrote; values missing or out of range keep their defaults.
    static ReglageImport depuisJson(const QJsonObject& json);

    bool operator==(const ReglageImport&) const = default;
};
