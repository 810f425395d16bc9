#include "widgets/SearchEdit.h"

#include "db/Win1252.h"

#include <QValidator>

namespace {

// A validator that accepts every text after turning it into capitals: the line edit then
// keeps the capitalised text, with the cursor where it was.
class CapitalsValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override {
        // Same length: the cursor stays after the same characters.
        input = SearchEdit::majuscules(input);
        return Acceptable;
    }
};

}  // namespace

QString SearchEdit::majuscules(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const QString capitale = QString(c).toUpper();
        result += capitale.size() == 1 && db::Win1252::canEncode(capitale) ? capitale : QString(c);
    }
    return result;
}

SearchEdit::SearchEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new CapitalsValidator(this));
    setClearButtonEnabled(true);
}
