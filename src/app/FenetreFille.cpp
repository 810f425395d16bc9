#include "app/FenetreFille.h"

FenetreFille::FenetreFille(QWidget* form, QWidget* parent) : QMdiSubWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    form->setAttribute(Qt::WA_DeleteOnClose);
    setWidget(form);
    setWindowTitle(form->windowTitle());
    setWindowIcon(form->windowIcon());
    // A window that closes itself does not close its frame: the frame follows it.
    connect(form, &QObject::destroyed, this, &FenetreFille::formulaireDetruit);
}

FenetreFille::~FenetreFille() {
    // The frame destroys the window it holds: that must not come back here.
    if (QWidget* form = widget()) {
        disconnect(form, nullptr, this, nullptr);
    }
}

void FenetreFille::formulaireDetruit() {
    hide();
    deleteLater();
}
