#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

class QWidget;

/**
 * The keyboard navigation of the entry windows: in the fields attached to it, Enter moves
 * the focus to the next control of the window's tab order and the Up arrow to the previous
 * one, wrapping around. Controls that do not take part in tabbing (no tab focus, hidden,
 * disabled, on a hidden page) and the controls marked with skip() are passed over.
 * Other keys keep their usual effect.
 */
class KeyboardNavigator : public QObject {
    Q_OBJECT

public:
    /// Navigates within @p window, which owns the navigator.
    explicit KeyboardNavigator(QWidget* window);

    /// Enter and Up arrow in @p field move the focus.
    void attach(QWidget* field);
    void attach(const QList<QWidget*>& fields);
    /// @p control never receives the focus from the navigation.
    void skip(QWidget* control);

    /// Moves the focus from the focused control to the next one; false when none can take it.
    bool PassageChampSuiv();
    /// Moves the focus from the focused control to the previous one.
    bool PassageChampPrec();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool move(bool forward);
    bool canTakeFocus(QWidget* widget) const;

    QWidget* m_window;
    QSet<QObject*> m_fields;
    QSet<QObject*> m_skipped;
};
