#include "widgets/DBComboBox.h"

#include "data/CodeLists.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

DBComboBox::DBComboBox(QWidget* parent)
    : QComboBox(parent),
      m_link(new FieldLink(
          this, [this](const db::Value&, const QString& text) { showValue(text); },
          [this](Dataset& dataset, const FieldDef& field) { writeField(dataset, field); })) {
    setEditable(true);
    // Typed text is stored as typed (cut to the width): no completion, no new items.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(4);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_link->startEdit(); });
    connect(this, &QComboBox::activated, this, &DBComboBox::onActivated);
    lineEdit()->installEventFilter(this);
}

bool DBComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonDblClick) {
        m_link->doubleClick();
    }
    return QComboBox::eventFilter(watched, event);
}

void DBComboBox::bind(Dataset* dataset, const QString& field) {
    m_link->bind(dataset, field);
}

void DBComboBox::setItems(const QStringList& newItems) {
    const QString shown = currentText();
    clear();
    addItems(newItems);
    setCurrentIndex(-1);
    setEditText(shown);
}

QStringList DBComboBox::items() const {
    QStringList result;
    for (int i = 0; i < count(); ++i) {
        result.append(itemText(i));
    }
    return result;
}

void DBComboBox::setToolTipLines(const QStringList& lines) {
    setToolTip(lines.join(u'\n'));
}

void DBComboBox::setReadOnly(bool readOnly) {
    m_link->setReadOnly(readOnly);
    lineEdit()->setReadOnly(readOnly);
}

void DBComboBox::showValue(const QString& text) {
    if (currentIndex() != -1) {
        setCurrentIndex(-1);
    }
    if (currentText() != text) {
        setEditText(text);
        lineEdit()->setCursorPosition(0);
    }
}

void DBComboBox::writeField(Dataset& dataset, const FieldDef& field) {
    if (field.isText()) {
        // Blanks only are no code: the field stores null, as an emptied one does.
        const QString texte = currentText();
        dataset.setValue(field.name, texte.trimmed().isEmpty()
                                         ? db::Value()
                                         : CodeLists::storedCode(texte, field.width));
    } else {
        dataset.setText(field.name, currentText());
    }
}

void DBComboBox::onActivated(int) {
    if (m_link->startEdit()) {
        // A choice is final: store it now so that the field shows the code at once.
        m_link->leave();
    }
}

void DBComboBox::showPopup() {
    if (isReadOnly()) {
        return;
    }
    QComboBox::showPopup();
}

void DBComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        m_link->focusLeft();
    }
}

void DBComboBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        m_link->isDirty()) {
        m_link->reset();
        event->accept();
        return;
    }
    if (isReadOnly() && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                         event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown ||
                         event->key() == Qt::Key_Home || event->key() == Qt::Key_End)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DBComboBox::wheelEvent(QWheelEvent* event) {
    // Scrolling over a form must not change a code the user never looked at.
    if (isReadOnly() || !hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}
