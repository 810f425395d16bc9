#pragma once

#include "declaration/ProblemLocation.h"

#include <QString>
#include <QVector>

/**
 * One thing in a declaration that the administration's schema refuses, told where the
 * user corrects it: the location, the caption of the field (empty when the problem
 * concerns a whole line or page) and what is wrong, with the value found and what the
 * administration expects.
 */
struct DeclarationProblem {
    ProblemLocation location;
    QString caption;
    QString detail;

    /// The whole French sentence, for instance « Opérations — Montants des transactions,
    /// ligne 12, « Matricule Fiscal » : « 12345 » n'est pas un matricule fiscal (7 chiffres
    /// suivis d'une lettre clé). »
    QString text() const;
};

using DeclarationProblems = QVector<DeclarationProblem>;
