#include "widgets/DBMemo.h"

#include <QFocusEvent>
#include <QKeyEvent>

DBMemo::DBMemo(QWidget* parent)
    : QPlainTextEdit(parent),
      m_link(new FieldLink(
          this, [this](const db::Value&, const QString& text) { showValue(text); },
          [this](Dataset& dataset, const FieldDef& field) {
              dataset.setValue(field.name, db::Value(storedText()));
          })) {
    setTabChangesFocus(true);
}

void DBMemo::bind(Dataset* dataset, const QString& field) {
    m_link->bind(dataset, field);
}

QString DBMemo::storedText() const {
    QString text = toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

void DBMemo::showValue(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    if (toPlainText() != shown) {
        setPlainText(shown);
    }
}

bool DBMemo::changesText(QKeyEvent* event) {
    if (event == QKeySequence::Paste || event == QKeySequence::Cut || event == QKeySequence::Undo ||
        event == QKeySequence::Redo || event == QKeySequence::DeleteStartOfWord ||
        event == QKeySequence::DeleteEndOfWord || event == QKeySequence::DeleteEndOfLine) {
        return true;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return true;
        default:
            break;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

void DBMemo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        m_link->isDirty()) {
        m_link->reset();
        event->accept();
        return;
    }
    // The row goes into editing before the key changes the text, so a refused edit leaves
    // the text untouched.
    if (!isReadOnly() && changesText(event) && !m_link->startEdit()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (!isReadOnly() && !event->commitString().isEmpty() && !m_link->startEdit()) {
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void DBMemo::insertFromMimeData(const QMimeData* source) {
    if (!isReadOnly() && !m_link->startEdit()) {
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

void DBMemo::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        m_link->focusLeft();
    }
}
