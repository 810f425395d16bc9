#include "app/FenetreFille.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QTimer>

FenetreFille::FenetreFille(QWidget* form, QWidget* parent) : QMdiSubWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    form->setAttribute(Qt::WA_DeleteOnClose);
    setWidget(form);
    setWindowTitle(form->windowTitle());
    setWindowIcon(form->windowIcon());
    // A window that closes itself does not close its frame: the frame follows it.
    connect(form, &QObject::destroyed, this, &FenetreFille::formulaireDetruit);
    // Ctrl+F4 and Ctrl+W belong to the main window, which closes the active frame whichever
    // has them: the frames' own copies would make the keys ambiguous, and do nothing.
    if (QMenu* menu = systemMenu()) {
        for (QAction* action : menu->actions()) {
            const QList<QKeySequence> touches = action->shortcuts();
            if (touches.contains(QKeySequence(Qt::CTRL | Qt::Key_F4)) ||
                touches.contains(QKeySequence(Qt::CTRL | Qt::Key_W))) {
                action->setShortcuts({});
            }
        }
    }
}

FenetreFille::~FenetreFille() {
    // The frame destroys the window it holds: that must not come back here.
    if (QWidget* form = widget()) {
        disconnect(form, nullptr, this, nullptr);
    }
}

void FenetreFille::formulaireDetruit() {
    cederLaPlace();
    hide();
    deleteLater();
}

void FenetreFille::closeEvent(QCloseEvent* event) {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) {
        cederLaPlace();
    }
}

void FenetreFille::cederLaPlace() {
    // A frame maximised over the others restored them; once it has gone, the window the
    // area brings forward takes its place.
    QPointer<QMdiArea> zone = mdiArea();
    if (!zone || !isMaximized()) {
        return;
    }
    QPointer<QMdiSubWindow> partante(this);
    QTimer::singleShot(0, zone, [zone, partante] {
        const auto ordre = zone->subWindowList(QMdiArea::ActivationHistoryOrder);
        QMdiSubWindow* suivante = nullptr;
        for (auto it = ordre.crbegin(); it != ordre.crend() && !suivante; ++it) {
            if (*it != partante && (*it)->isVisible()) {
                suivante = *it;
            }
        }
        if (suivante) {
            zone->setActiveSubWindow(suivante);
            suivante->showMaximized();
        }
    });
}
