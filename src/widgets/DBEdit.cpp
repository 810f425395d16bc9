#include "widgets/DBEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QValidator>

namespace {

/// A text column's width: a text longer than it is refused whole, whether typed or pasted,
/// where the line edit's own limit would cut a paste silently.
class LargeurColonne : public QValidator {
public:
    LargeurColonne(int largeur, std::function<void()> refus, QObject* parent)
        : QValidator(parent), m_largeur(largeur), m_refus(std::move(refus)) {}

    State validate(QString& input, int&) const override {
        if (input.size() <= m_largeur) {
            return Acceptable;
        }
        m_refus();
        return Invalid;
    }

private:
    int m_largeur;
    std::function<void()> m_refus;
};

}  // namespace

DBEdit::DBEdit(QWidget* parent)
    : QLineEdit(parent),
      m_link(new FieldLink(
          this, [this](const db::Value& value, const QString& text) { showValue(value, text); },
          [this](Dataset& dataset, const FieldDef& field) { writeField(dataset, field); })) {
    connect(this, &QLineEdit::textEdited, this, [this] { m_link->startEdit(); });
}

void DBEdit::bind(Dataset* dataset, const QString& field) {
    m_link->bind(dataset, field);
    const FieldDef* f = m_link->field();
    if (f && (f->type == FieldType::Char || f->type == FieldType::Varchar)) {
        setValidator(new LargeurColonne(
            f->width,
            [this] {
                if (m_collage) {
                    m_collageRefuse = true;
                }
            },
            this));
    }
}

void DBEdit::coller(const std::function<void()>& insertion) {
    {
        QScopedValueRollback collage(m_collage, true);
        m_collageRefuse = false;
        insertion();
    }
    if (m_collageRefuse) {
        m_collageRefuse = false;
        m_link->refusePaste();
    }
}

void DBEdit::showValue(const db::Value&, const QString& text) {
    if (QLineEdit::text() != text) {
        setText(text);
        setCursorPosition(0);
    }
}

void DBEdit::writeField(Dataset& dataset, const FieldDef& field) {
    // A field left with blanks only looks empty, and is: it stores null, never blanks.
    if (field.isText() && text().trimmed().isEmpty()) {
        dataset.setValue(field.name, db::Value());
        return;
    }
    dataset.setText(field.name, text());
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Switching to another application or opening a popup is not leaving the field.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        m_link->focusLeft();
    }
}

void DBEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        m_link->isDirty()) {
        m_link->reset();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        coller([&] { QLineEdit::keyPressEvent(event); });
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    m_link->doubleClick();
}

void DBEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection where the platform has one.
    if (event->button() == Qt::MiddleButton) {
        coller([&] { QLineEdit::mouseReleaseEvent(event); });
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void DBEdit::contextMenuEvent(QContextMenuEvent* event) {
    coller([&] { QLineEdit::contextMenuEvent(event); });
}

void DBEdit::dropEvent(QDropEvent* event) {
    coller([&] { QLineEdit::dropEvent(event); });
}
