#pragma once

#include <QString>

class Dataset;

/**
 * The "contains" searches of the reference lists and pick dialogs, in any letter case.
 *
 * The condition compares the upper-cased column with the upper-cased typed text between two
 * `%`, by LIKE, the text sent as the bound parameter `:motif`: a quote is a character like any
 * other and the text never becomes SQL, while a `%` or `_` typed by the user keeps its
 * wildcard meaning. The parameter is declared wider than any column searched (the server
 * would otherwise hold it to the column's width, and the pattern is two characters longer
 * than the text).
 *
 * The server upper-cases Windows-1252 text letter by letter within the code page (é → É,
 * œ → Œ, ÿ → Ÿ) and leaves the letters that have no capital there (ß, µ, ƒ) as they are; the
 * typed text is upper-cased the same way, so that accented names are found whatever case
 * they are typed and stored in.
 */
class RechercheContient {
public:
    /// The name of the parameter that carries the pattern in the condition.
    static QString parametre() { return QStringLiteral("motif"); }
    /// The longest pattern the condition takes.
    static constexpr int kLongueurMotif = 1024;
    /// The condition of a contains-search on @p colonne.
    static QString condition(const QString& colonne);

    /// @p text in capitals as the server makes them for Windows-1252 text.
    static QString majuscules(const QString& text);
    /// The pattern of @p text: its capitals between two `%`.
    static QString motif(const QString& text);

    /**
     * Replaces the list query of @p dataset (which it closes): @p avecCondition, which holds
     * condition(), when @p text is not empty; @p sansCondition otherwise. @p sortField names
     * the order column for the grids (empty for the server's order). A text that cannot be
     * written in Windows-1252, or longer than kLongueurMotif, is contained in no stored text:
     * the condition then matches nothing. Does not open the dataset.
     */
    static void appliquer(Dataset& dataset, const QString& avecCondition,
                          const QString& sansCondition, const QString& text,
                          const QString& sortField = QString());
};
