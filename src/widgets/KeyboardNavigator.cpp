#include "widgets/KeyboardNavigator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeyboardNavigator::KeyboardNavigator(QWidget* window) : QObject(window), m_window(window) {}

void KeyboardNavigator::attach(QWidget* field) {
    if (!field || m_fields.contains(field)) {
        return;
    }
    m_fields.insert(field);
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, [this](QObject* gone) {
        m_fields.remove(gone);
        m_skipped.remove(gone);
    });
}

void KeyboardNavigator::attach(const QList<QWidget*>& fields) {
    for (QWidget* field : fields) {
        attach(field);
    }
}

void KeyboardNavigator::skip(QWidget* control) {
    if (!control) {
        return;
    }
    m_skipped.insert(control);
    connect(control, &QObject::destroyed, this, [this](QObject* gone) { m_skipped.remove(gone); });
}

bool KeyboardNavigator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !m_fields.contains(watched)) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier) {
        return false;
    }
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            PassageChampSuiv();
            return true;
        case Qt::Key_Up:
            PassageChampPrec();
            return true;
        default:
            return false;
    }
}

bool KeyboardNavigator::PassageChampSuiv() {
    return move(true);
}

bool KeyboardNavigator::PassageChampPrec() {
    return move(false);
}

bool KeyboardNavigator::canTakeFocus(QWidget* widget) const {
    if (!widget || widget == m_window || !m_window->isAncestorOf(widget)) {
        return false;
    }
    if (m_skipped.contains(widget) || widget->focusProxy()) {
        return false;
    }
    // isVisibleTo() is false for the controls of a hidden page, as for a hidden control.
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && widget->isEnabled() &&
           widget->isVisibleTo(m_window);
}

bool KeyboardNavigator::move(bool forward) {
    QWidget* from = QApplication::focusWidget();
    if (!from || !m_window->isAncestorOf(from)) {
        from = m_window;
    }
    // A control's focus proxy chain ends at the widget that holds the focus; start from the
    // control itself so that its inner parts are not visited.
    QWidget* start = from;
    QWidget* candidate = start;
    for (;;) {
        candidate = forward ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (!candidate || candidate == start) {
            return false;
        }
        if (canTakeFocus(candidate)) {
            candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
}
