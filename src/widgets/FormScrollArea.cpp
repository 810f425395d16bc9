#include "widgets/FormScrollArea.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

/// The room kept around a field brought into view, so that its frame shows too.
constexpr int kMarge = 6;

}  // namespace

FormScrollArea::FormScrollArea(QWidget* form, QWidget* parent) : QScrollArea(parent), m_form(form) {
    setObjectName(QStringLiteral("ZoneFormulaire"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    // The form keeps its own height at the top; what is left stays empty below it.
    auto* contenu = new QWidget(this);
    contenu->setObjectName(QStringLiteral("ContenuFormulaire"));
    auto* colonne = new QVBoxLayout(contenu);
    colonne->setContentsMargins(0, 0, 0, 0);
    colonne->addWidget(form);
    colonne->addStretch();
    setWidget(contenu);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { focusChanged(now); });
}

void FormScrollArea::focusChanged(QWidget* now) {
    if (!now || !widget() || !widget()->isAncestorOf(now)) {
        return;
    }
    // The whole field, not only its text cursor as ensureWidgetVisible() would: the frame of
    // a drop-down and every line of a memo show. A field taller than the view shows its top.
    const QRect champ(now->mapTo(widget(), QPoint(0, 0)), now->size());
    ensureVisible(champ.center().x(), champ.center().y(), champ.width() / 2 + kMarge,
                  champ.height() / 2 + kMarge);
    if (champ.height() + 2 * kMarge > viewport()->height()) {
        ensureVisible(champ.center().x(), champ.top(), champ.width() / 2 + kMarge, kMarge);
    }
}

QSize FormScrollArea::sizeHint() const {
    QSize taille = widget() ? widget()->sizeHint() : QSize();
    const int cadre = 2 * frameWidth();
    return taille + QSize(cadre + verticalScrollBar()->sizeHint().width(), cadre);
}

QSize FormScrollArea::minimumSizeHint() const {
    const int cadre = 2 * frameWidth();
    const int largeur = widget() ? widget()->minimumSizeHint().width() : 0;
    // Room for a few lines of fields; the bars scroll to the rest.
    const int hauteur = fontMetrics().height() * 6;
    return QSize(largeur + cadre + verticalScrollBar()->sizeHint().width(),
                 std::min(hauteur, sizeHint().height()) + cadre);
}
