#pragma once

#include <QScrollArea>

/**
 * The scroll area an entry form sits in, so that a form taller (or wider) than the window
 * stays usable on a small screen: whichever way a field of the form gets the focus (Tab,
 * Enter or the Up arrow, a click, a command), the area scrolls to bring it into view.
 *
 * Its size hint is the whole form's, so that the form shows whole, without scroll bars,
 * wherever there is the room; it can shrink to a few lines, never to less than the form's
 * width.
 */
class FormScrollArea : public QScrollArea {
    Q_OBJECT

public:
    /// Puts @p form into a new area, at the top of it, owned by @p parent.
    explicit FormScrollArea(QWidget* form, QWidget* parent = nullptr);

    QWidget* form() const { return m_form; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    void focusChanged(QWidget* now);

    QWidget* m_form;
};
