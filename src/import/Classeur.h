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
    enum class Genre { Vide, Texte, Nombre, Date, Booleen };

    Genre genre = Genre::Vide;
    /// Texte: the text; Nombre: the decimal text; Booleen: "1" or "0"; Date: empty.
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

    /// Empty, or a text of blanks only: the cell leaves its column alone.
    bool estVide() const;
    /// The cell as a person reads it (dates dd/MM/yyyy), for reports and previews.
    QString texteAffiche() const;
};

/// One sheet: its name and its rows, row 0 being the sheet's row 1 and column 0 column A.
struct FeuilleSource {
    QString nom;
    QVector<QVector<Cellule>> lignes;

    int nombreLignes() const { return static_cast<int>(lignes.size()); }
    /// The cell at @p ligne, @p colonne (0-based); an empty cell outside the data.
    const Cellule& cellule(int ligne, int colonne) const;
    /// True when no cell of the sheet holds anything.
    bool estVide() const;
    /// Sets a cell, growing the rows as needed.
    void definir(int ligne, int colonne, const Cellule& cellule);
    /// Drops the empty rows at the end and the empty cells at the end of each row.
    void compacter();
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
