#include "widgets/DBNumberEdit.h"

#include <QRegularExpressionValidator>

DBNumberEdit::DBNumberEdit(QWidget* parent) : DBEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Only what a number can be made of; whether it parses is the column's business.
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[-+]?[0-9 \\x{00A0}\\x{202F},.]*")), this));
}
