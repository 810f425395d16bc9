#include "declaration/DeclarationProblem.h"

QString DeclarationProblem::text() const {
    QString sentence = location.describe();
    if (!caption.isEmpty()) {
        sentence += QStringLiteral(", « ") + caption + QStringLiteral(" »");
    }
    return sentence + QStringLiteral(" : ") + detail;
}
