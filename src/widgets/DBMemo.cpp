#include "widgets/DBMemo.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>
#include <QTextDocumentFragment>

DBMemo::DBMemo(QWidget* parent)
    : QPlainTextEdit(parent),
      m_link(new FieldLink(
          this, [this](const db::Value&, const QString& text) { showValue(text); },
          [this](Dataset& dataset, const FieldDef& field) {
              // Blanks and line breaks only are an empty field: null, never blanks.
              const QString texte = storedText();
              dataset.setValue(field.name,
                               texte.trimmed().isEmpty() ? db::Value() : db::Value(texte));
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

qsizetype DBMemo::storedLength(const QString& text) {
    return text.size() + text.count(u'\n');
}

bool DBMemo::fits(const QString& text) const {
    const FieldDef* f = m_link->field();
    if (!f || (f->type != FieldType::Char && f->type != FieldType::Varchar)) {
        return true;
    }
    const qsizetype kept =
        storedLength(toPlainText()) - storedLength(textCursor().selection().toPlainText());
    return kept + storedLength(text) <= f->width;
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
    // Typing stops at the column's width; a paste is told apart below, when it is inserted.
    if (!isReadOnly() && !event->matches(QKeySequence::Paste)) {
        const bool saut = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const QString tape = saut ? QStringLiteral("\n") : event->text();
        if ((saut || (!tape.isEmpty() && tape.at(0).isPrint())) && !fits(tape)) {
            event->accept();
            return;
        }
    }
    // The row goes into editing before the key changes the text, so a refused edit leaves
    // the text untouched.
    if (!isReadOnly() && changesText(event) && !event->matches(QKeySequence::Paste) &&
        !m_link->startEdit()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (!isReadOnly() && !event->commitString().isEmpty() &&
        (!fits(event->commitString()) || !m_link->startEdit())) {
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void DBMemo::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // The text as the field would hold it: its line breaks, of any kind, become one each.
    if (!fits(QTextDocumentFragment::fromPlainText(source->text()).toPlainText())) {
        m_link->refusePaste(QStringLiteral("un retour à la ligne compte pour deux"));
        return;
    }
    if (!m_link->startEdit()) {
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

QSize DBMemo::sizeHint() const {
    QSize taille = QPlainTextEdit::sizeHint();
    taille.setHeight(fontMetrics().lineSpacing() * 5 + 2 * frameWidth() +
                     static_cast<int>(2 * document()->documentMargin()));
    return taille;
}
