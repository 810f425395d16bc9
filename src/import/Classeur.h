#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

/**
 * One cell of a source, as the reader found it. Numbers are kept as the shortest decimal
 * text that reads back to the stored value ("1234.567", "-5"), never as a floating-point
 * value handed on: amounts stay exact from the cell to the database.
 */
struct Cellule {
    enum class Genre { Vide, Texte, Nombre, Date, Booleen, Erreur };

    Genre genre = Genre::Vide;
    /// Texte: the text; Nombre: the decimal text; Booleen: "1" or "0"; Erreur: the error the
    /// spreadsheet shows ("#N/A"), empty for a formula whose result the file does not hold;
    /// Date: empty.
    QString texte;
    /// Date: the date and time of the cell.
    QDateTime dateHeure;

    static Cellule deTexte(const QString& text);
    /// From a floating-point cell value (spreadsheets store numbers so).
    static Cellule deNombre(double value);
    /// From a number already written in decimals ("1234.567"), kept exactly as it is.
    static Cellule deNombreDecimal(const QString& plain);
    static Cellule deDate(const QDateTime& value);
    static Cellule deBooleen(bool value);
    /// A formula whose result is an error (@p code "#N/A", "#DIV/0!"...), or whose result the
    /// file does not hold (@p code empty): never a value.
    static Cellule deErreur(const QString& code);

    /// Empty, or a text of blanks only: the cell leaves its column alone.
    bool estVide() const;
    /// The cell as a person reads it (dates dd/MM/yyyy), for reports and previews.
    QString texteAffiche() const;
};

/// Cells side by side in one row holding the same thing: @p nombre columns from @p colonne.
/// Most hold one cell; an OpenDocument sheet says "this cell, repeated" in one element.
struct Plage {
    int colonne = 0;
    int nombre = 1;
    Cellule cellule;
};

/// A stored row, or @p repetitions identical rows from @p ligne (0-based), with their cells by
/// column, in column order and without overlap.
struct LigneSource {
    int ligne = 0;
    int repetitions = 1;
    QVector<Plage> plages;

    /// The cell at column @p colonne (0-based); an empty cell where the row holds none.
    const Cellule& cellule(int colonne) const;
};

/**
 * One sheet: its name and the cells it holds, row 0 being the sheet's row 1 and column 0
 * column A. Only what a file holds is kept: a lone cell far down the sheet costs one cell,
 * never the rows and columns before it.
 *
 * Readers build a sheet cell by cell with definir() (in any order, the last value of a cell
 * winning) or row by row with ajouterLignes() (in row order), then call compacter(); what is
 * read afterwards is the compacted sheet.
 */
class FeuilleSource {
public:
    QString nom;

    /// Sets a cell; ignored for a negative position.
    void definir(int ligne, int colonne, const Cellule& cellule);
    /// Adds @p repetitions identical rows from @p ligne, after the rows added so far.
    void ajouterLignes(int ligne, int repetitions, QVector<Plage> plages);
    /// Puts the cells in order and drops the empty ones and the rows left without a cell.
    void compacter();

    /// The rows that hold cells, in order.
    const QVector<LigneSource>& lignes() const { return m_lignes; }
    /// One past the last row holding a cell: the sheet's extent downwards.
    int nombreLignes() const;
    /// The cell at @p ligne, @p colonne (0-based); an empty cell outside the data.
    const Cellule& cellule(int ligne, int colonne) const;
    /// The stored row that holds sheet row @p ligne, or null.
    const LigneSource* ligne(int ligne) const;
    /// True when no cell of the sheet holds anything.
    bool estVide() const;

private:
    struct CelluleDefinie {
        int ligne;
        int colonne;
        Cellule cellule;
    };
    QVector<CelluleDefinie> m_definies;
    QVector<LigneSource> m_lignes;
};

/// What a source file holds: its sheets in order (a text file or a table has one).
struct Classeur {
    QVector<FeuilleSource> feuilles;

    QStringList nomsFeuilles() const;
    /// The sheet named @p nom (case-insensitive), or null.
    const FeuilleSource* feuille(const QString& nom) const;
};

/// "A" for 0, "Z" for 25, "AA" for 26.
QString lettreColonne(int index);
/// The 0-based index of a column letter ("a" and "A" alike); -1 when it is not one.
int indexColonne(const QString& lettre);
