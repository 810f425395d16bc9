#pragma once

// Helpers shared by the widget, application and company-list tests.

#include "TestDatabase.h"
#include "widgets/ServicesFenetres.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

/// Runs @p action on the next modal dialog that opens (checked every few milliseconds, for
/// at most five seconds), so that a test can answer a dialog that a command opens with exec().
inline void whenModalOpens(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [timer, action, elapsed] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (elapsed->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

/// Processes the pending deletions (windows closed with WA_DeleteOnClose).
inline void flushDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

/// The services of a main window for the tests of a window without the main window: its
/// own context and statement runner, and child windows opened in an area of its own.
class ServicesDeTest : public ServicesFenetres {
public:
    ServicesDeTest() { m_zone.resize(1000, 700); }
    ContexteSocieteActive& contexte() override { return m_contexte; }
    ExecuteurSql& ExecuterSql() override { return m_executerSql; }
    QMdiSubWindow* ouvrirFenetre(QWidget* form) override {
        form->setAttribute(Qt::WA_DeleteOnClose);
        QMdiSubWindow* fenetre = m_zone.addSubWindow(form);
        fenetre->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(form, &QObject::destroyed, fenetre, &QObject::deleteLater);
        m_zone.show();
        fenetre->showMaximized();
        return fenetre;
    }
    QMdiArea& zone() { return m_zone; }
    ImportExcel importExcel() override { return m_import; }
    /// The import the operations pages' "Import Excel" runs from now on.
    void setImportExcel(ImportExcel import) { m_import = std::move(import); }

private:
    ImportExcel m_import;
    ContexteSocieteActive m_contexte;
    ExecuteurSql m_executerSql;
    QMdiArea m_zone;
};
