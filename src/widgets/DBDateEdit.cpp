#include "widgets/DBDateEdit.h"

#include <QAction>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
const QString kDateFormat = QStringLiteral("dd/MM/yyyy");
}

DBDateEdit::DBDateEdit(QWidget* parent) : DBEdit(parent) {
    setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
    QAction* open = addAction(QIcon::fromTheme(QStringLiteral("x-office-calendar"),
                                               style()->standardIcon(QStyle::SP_ArrowDown)),
                              QLineEdit::TrailingPosition);
    open->setToolTip(QStringLiteral("Calendrier"));
    open->setText(QStringLiteral("Calendrier"));
    open->setObjectName(QStringLiteral("Calendrier"));
    connect(open, &QAction::triggered, this, &DBDateEdit::showCalendar);
}

int DBDateEdit::dateWidth() const {
    const QFontMetrics fm = fontMetrics();
    const int texte = std::max(fm.horizontalAdvance(QStringLiteral("00/00/0000")),
                               fm.horizontalAdvance(placeholderText())) +
                      fm.averageCharWidth();
    // The calendar button at the end of the field, as the line edit lays it out: the icon,
    // its padding and the margin beside it; then the line edit's own text margins.
    const int icone = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int bouton = icone + 6 + icone / 4;
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()
        ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(texte + bouton + 4, fm.height()),
                           this)
        .width();
}

QSize DBDateEdit::sizeHint() const {
    QSize taille = DBEdit::sizeHint();
    taille.setWidth(std::max(taille.width(), dateWidth()));
    return taille;
}

QSize DBDateEdit::minimumSizeHint() const {
    QSize taille = DBEdit::minimumSizeHint();
    taille.setWidth(std::max(taille.width(), dateWidth()));
    return taille;
}

void DBDateEdit::showCalendar() {
    if (isReadOnly() || link().isReadOnly()) {
        return;
    }
    if (!m_calendar) {
        m_calendar = new QCalendarWidget(this);
        m_calendar->setWindowFlag(Qt::Popup);
        m_calendar->setLocale(QLocale(QLocale::French, QLocale::France));
        m_calendar->setGridVisible(true);
        m_calendar->setAccessibleName(QStringLiteral("Calendrier"));
        connect(m_calendar, &QCalendarWidget::clicked, this, &DBDateEdit::chooseDate);
        connect(m_calendar, &QCalendarWidget::activated, this, &DBDateEdit::chooseDate);
    }
    const QDate shown = QDate::fromString(text().trimmed(), kDateFormat);
    m_calendar->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
    m_calendar->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        if (at.y() + m_calendar->height() > area.bottom()) {
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_calendar->height());
        }
        at.setX(std::min(at.x(), area.right() - m_calendar->width()));
    }
    m_calendar->move(at);
    m_calendar->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void DBDateEdit::chooseDate(const QDate& date) {
    if (m_calendar) {
        m_calendar->hide();
    }
    setFocus(Qt::PopupFocusReason);
    const QString chosen = date.toString(kDateFormat);
    if (text() == chosen && !link().isDirty()) {
        return;
    }
    setText(chosen);
    if (link().startEdit()) {
        link().leave();
    }
}

void DBDateEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F4 ||
        (event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier)) {
        showCalendar();
        event->accept();
        return;
    }
    DBEdit::keyPressEvent(event);
}
