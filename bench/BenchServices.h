#pragma once

// What the benchmarks of windows share: the services of a main window at 1366×768, and
// the median of timings.

#include "widgets/ServicesFenetres.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVector>
#include <algorithm>

/// The main window's services, child windows in an area of the size of a small screen.
class BenchServices : public ServicesFenetres {
public:
    ContexteSocieteActive& contexte() override { return m_contexte; }
    ExecuteurSql& ExecuterSql() override { return m_executer; }
    QMdiSubWindow* ouvrirFenetre(QWidget* form) override {
        QMdiSubWindow* w = m_zone.addSubWindow(form);
        m_zone.resize(1366, 768);
        m_zone.show();
        w->showMaximized();
        return w;
    }

private:
    ContexteSocieteActive m_contexte;
    ExecuteurSql m_executer;
    QMdiArea m_zone;
};

/// The median of @p ns nanoseconds, in milliseconds.
inline double medianMs(QVector<qint64> ns) {
    std::sort(ns.begin(), ns.end());
    return double(ns[ns.size() / 2]) / 1e6;
}
