#include "widgets/SearchEdit.h"

#include <QValidator>

namespace {

// A validator that accepts every text after turning it into capitals: the line edit then
// keeps the capitalised text, with the cursor where it was.
class CapitalsValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        const QString upper = input.toUpper();
        if (upper.size() == input.size()) {
            input = upper;
        } else {
            // A letter whose capital is longer (ß): keep the cursor after the same characters.
            const QString before = input.left(pos).toUpper();
            input = upper;
            pos = static_cast<int>(before.size());
        }
        return Acceptable;
    }
};

}  // namespace

SearchEdit::SearchEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new CapitalsValidator(this));
    setClearButtonEnabled(true);
}
