#pragma once

#include "import/Classeur.h"
#include "import/ImportProblem.h"
#include "import/ReglageImport.h"

#include <QString>
#include <functional>
#include <optional>

class Dataset;
struct FieldDef;

/// What an import did.
struct BilanImport {
    /// Rows sent and committed.
    int importees = 0;
    /// Rows of the sheet with no value in any mapped column besides the company, the year
    /// and the line number, passed over.
    int videsIgnorees = 0;
    /// Data rows of the sheet (from the first data row on).
    int total = 0;
    /// The sheet row the data started at.
    int premiereLigne = 1;
    bool annule = false;
    std::optional<ImportProblem> probleme;

    bool reussi() const { return !annule && !probleme; }
    /// The French report for the user: rows imported, and the problem or the cancellation.
    QString rapport() const;
};

/**
 * Imports the rows of one sheet into a shared dataset, one row at a time, through the
 * dataset and its record rules: for each source row from the first data row on it appends a
 * row (numbered and stamped by the rules), sets every mapped column whose cell holds a value
 * (text cut to the column's width, so a full item text of a coded list stores its code) and
 * posts it (stamped again, empty amounts zeroed, committed). An empty cell leaves its column
 * as the rules set it. A row with nothing but the company, the year and the line number (a
 * template filled down) is passed over and counted with the empty rows. The first row that fails
 * stops the import: it is cancelled in the dataset, the rows before it stay committed, and the
 * problem names the sheet row and the column. No widget is involved: the wizard and the command
 * line both run it.
 */
class ImportateurLignes {
public:
    /// Called after each row; returns false to stop before the next row.
    using Progression = std::function<bool(int traitees, int total)>;

    /// @p cible must be open (on the active company and year for a detail table).
    ImportateurLignes(Dataset& cible, const ReglageImport& reglage);

    /// Checks the mapping against the target's columns; the French reason when it cannot
    /// be used (an unknown column, a wrong letter), empty when it can.
    QString verifierCorrespondances() const;

    BilanImport importer(const FeuilleSource& feuille, const Progression& progression = {});

    /// One row of the preview: the values as they will be stored, one per mapped column, and
    /// the reason a cell will be refused (empty when none).
    struct LigneApercu {
        int ligne = 0;
        QStringList valeurs;
        QStringList erreurs;
    };
    /// The first @p lignes data rows as they will be stored (company and year as stamped,
    /// empty amounts as zeroed), without touching the dataset.
    QVector<LigneApercu> apercu(const FeuilleSource& feuille, int lignes) const;
    /// The mapped columns, in the order of the preview's values: "K (ACHATS)".
    QStringList colonnesApercu() const;

private:
    struct Colonne {
        int index;
        QString lettre;
        QString nom;
        const FieldDef* definition;
        /// The company, year or line number: filled by the record rules when left empty.
        bool cle;
    };
    /// No mapped cell holds a value besides the company, the year and the line number: a
    /// template row, passed over like an empty one.
    bool ligneVide(const LigneSource& ligne) const;
    /// Appends, fills and posts one row; false, with the problem, when it fails.
    bool importerLigne(const LigneSource& ligne, int ligneFeuille, BilanImport& bilan);
    LigneApercu ligneApercu(const LigneSource& ligne, int ligneFeuille) const;
    ImportProblem problemeEnvoi(const QString& erreur, int ligne) const;

    Dataset& m_cible;
    ReglageImport m_reglage;
    QVector<Colonne> m_colonnes;
};
