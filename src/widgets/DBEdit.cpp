#include "widgets/DBEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

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
        setMaxLength(f->width);
    }
}

void DBEdit::showValue(const db::Value&, const QString& text) {
    if (QLineEdit::text() != text) {
        setText(text);
        setCursorPosition(0);
    }
}

void DBEdit::writeField(Dataset& dataset, const FieldDef& field) {
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
    QLineEdit::keyPressEvent(event);
}

void DBEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    m_link->doubleClick();
}
