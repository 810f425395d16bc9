#include "import/ImportProblem.h"

QString ImportProblem::texte() const {
    QString t;
    if (ligne > 0) {
        t = QStringLiteral("Ligne %1").arg(ligne);
        if (!lettre.isEmpty()) {
            t += QStringLiteral(", colonne %1 (%2)").arg(lettre, colonne);
        } else if (!colonne.isEmpty()) {
            t += QStringLiteral(", colonne %1").arg(colonne);
        }
        t += QStringLiteral(" : ");
    }
    t += raison;
    if (!t.endsWith(u'.')) {
        t += u'.';
    }
    return t;
}
