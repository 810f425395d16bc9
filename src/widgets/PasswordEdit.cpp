#include "widgets/PasswordEdit.h"

#include <QProxyStyle>

namespace {

// The platform styles mask passwords with a bullet; the application has always shown "*".
class StarMaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter) {
            return u'*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

PasswordEdit::PasswordEdit(QWidget* parent) : QLineEdit(parent) {
    auto* style = new StarMaskStyle;
    style->setParent(this);
    setStyle(style);
    setEchoMode(QLineEdit::Password);
}
