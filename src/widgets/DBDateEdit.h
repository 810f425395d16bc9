#pragma once

#include "widgets/DBEdit.h"

#include <QDate>

class QCalendarWidget;

/**
 * A date field bound to a DATE column: the date is typed as dd/MM/yyyy or chosen in a
 * calendar that opens from the button at the end of the field (or with Alt+Down or F4).
 * An empty field stores no date. A chosen date is written at once.
 */
class DBDateEdit : public DBEdit {
    Q_OBJECT

public:
    explicit DBDateEdit(QWidget* parent = nullptr);

    /// Opens the calendar on the field's date (today when empty).
    void showCalendar();
    /// The calendar popup, created on first use; null before.
    QCalendarWidget* calendar() const { return m_calendar; }
    /// Chooses @p date as if it were clicked in the calendar.
    void chooseDate(const QDate& date);

    /// Wide enough for a whole date beside the calendar button.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int dateWidth() const;

    QCalendarWidget* m_calendar = nullptr;
};
