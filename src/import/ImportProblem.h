#pragma once

#include <QString>

/// The first row that failed: its sheet row, the column (letter and column name) and why.
struct ImportProblem {
    /// Sheet row, 1-based; 0 when the problem is not a row's (a line being typed).
    int ligne = 0;
    /// Column letter and table column; empty when the row failed as a whole.
    QString lettre;
    QString colonne;
    QString raison;

    /// "Ligne 5, colonne K (ACHATS) : « abc » n'est pas un montant valide."
    QString texte() const;
};
