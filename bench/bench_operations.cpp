// The operations window on a company with N transaction-amount lines (default 10,000), on the
// offscreen platform: the time to open page 1 (window built, lines loaded, totals computed from
// every line, window shown), and the time of "Valider" on one line (the line sent and committed,
// the totals computed again, the last line made current), against the bare running of the list
// query with every row fetched, in the same run.
#include "data/DatabaseCreator.h"
#include "data/TDataprix.h"
#include "db/Statement.h"
#include "operations/TFrmoperations.h"
#include "widgets/ServicesFenetres.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>

namespace {

class Services : public ServicesFenetres {
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

double medianMs(QVector<qint64> ns) {
    std::sort(ns.begin(), ns.end());
    return double(ns[ns.size() / 2]) / 1e6;
}

/// Processor time of the process so far, in nanoseconds: on a machine shared with other work
/// it tells what the program itself costs, whatever the wait for a processor.
qint64 cpuNs() {
    return static_cast<qint64>(double(std::clock()) * 1e9 / CLOCKS_PER_SEC);
}

double worstMs(const QVector<qint64>& ns) {
    return double(*std::max_element(ns.begin(), ns.end())) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int lignes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTemporaryDir dir;
    const QString path = DatabaseCreator::create(dir.filePath(QStringLiteral("db")));
    TDataprix module;
    module.connectTo(path);
    module.ensureConnected();
    {
        db::Statement societe(module.IBTransaction1);
        societe.prepare(QStringLiteral(
            "insert into SOCIETE (MFISCAL, CLE, EXERCICE, RAISONSOCIALE) values ('1234567', 'A', "
            "2023, 'ALPHA SA')"));
        societe.execute();
        // Lines of the company and year, as a year of real work fills them; one in twenty
        // describes another method in its multi-line field.
        db::Statement insert(module.IBTransaction1);
        insert.prepare(QStringLiteral(
            "insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, TYPEMONTANT, "
            "NATUREOPERATIONS, ACHATS, VENTES, MATRICULEFISCAL, ETATTERRITORIAL, RAISONSOCIALE, "
            "QUALITE, NATURRELATION, METHODE, AUTREMETHODE) values ('1234567A', 2023, :lg, :type, "
            "'1', :achats, :ventes, :mf, 'FR', :raison, '4', '1', 'CUP ', :autre)"));
        for (int i = 1; i <= lignes; ++i) {
            insert.setParam(QStringLiteral("lg"), i);
            insert.setParam(QStringLiteral("type"), QString::number(1 + i % 6));
            insert.setParam(QStringLiteral("achats"),
                            db::Decimal(static_cast<db::Decimal::Mantissa>(i) * 1234567, 3));
            insert.setParam(QStringLiteral("ventes"),
                            db::Decimal(static_cast<db::Decimal::Mantissa>(i) * 7654321, 3));
            insert.setParam(QStringLiteral("mf"), QStringLiteral("%1B").arg(1000000 + i, 7));
            insert.setParam(QStringLiteral("raison"),
                            QStringLiteral("SOCIÉTÉ LIÉE %1 SARL").arg(i));
            insert.setParam(QStringLiteral("autre"),
                            i % 20 == 0
                                ? db::Value(QStringLiteral("Méthode de marge\r\nligne %1").arg(i))
                                : db::Value());
            insert.execute();
        }
        module.commitRetaining();
    }
    module.societe->open();

    // Bare: the page's list query, every row fetched, nothing shown.
    QVector<qint64> bare;
    for (int i = 0; i < 5; ++i) {
        db::Statement st(module.IBTransaction1);
        st.prepare(module.montanttransactions->sql());
        st.setParam(QStringLiteral("mfiscal"), QStringLiteral("1234567A"));
        st.setParam(QStringLiteral("exercice"), 2023);
        QElapsedTimer t;
        t.start();
        st.execute();
        while (st.fetch()) {
        }
        bare.append(t.nsecsElapsed());
    }

    // The dataset alone: opened on the company and year, every line fetched.
    QVector<qint64> jeu;
    Dataset& ds = *module.montanttransactions;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        module.openForActiveCompany(ds);
        ds.fetchAll();
        jeu.append(t.nsecsElapsed());
    }
    ds.close();

    Services services;
    services.contexte().Indicateur = 1;
    QVector<qint64> ouvertures;
    QVector<qint64> ouverturesCpu;
    TFrmoperations* fenetre = nullptr;
    for (int i = 0; i < 5; ++i) {
        if (fenetre) {
            delete fenetre;
        }
        QElapsedTimer t;
        const qint64 cpu = cpuNs();
        t.start();
        fenetre = new TFrmoperations(services);
        services.ouvrirFenetre(fenetre);
        QCoreApplication::processEvents();
        ouvertures.append(t.nsecsElapsed());
        ouverturesCpu.append(cpuNs() - cpu);
    }
    const QString totalOuverture = fenetre->total1()->text();

    QVector<qint64> validations;
    QVector<qint64> validationsCpu;
    for (int i = 0; i < 5; ++i) {
        ds.moveTo(100 + i * 1000);
        ds.edit();
        ds.setValue(QStringLiteral("ACHATS"), db::Value(db::Decimal::fromInt(1000 + i)));
        QElapsedTimer t;
        const qint64 cpu = cpuNs();
        t.start();
        fenetre->pageLignes()->boutonValider()->click();
        QCoreApplication::processEvents();
        validations.append(t.nsecsElapsed());
        validationsCpu.append(cpuNs() - cpu);
    }

    out << lignes << " lines on page 1: opening the window " << medianMs(ouvertures)
        << " ms median (processor " << medianMs(ouverturesCpu) << " ms), " << worstMs(ouvertures)
        << " ms worst (5 openings; bare list query with "
        << "every row fetched " << medianMs(bare) << " ms, the dataset opened with every line "
        << "fetched " << medianMs(jeu) << " ms); Valider on one line " << medianMs(validations)
        << " ms median (processor " << medianMs(validationsCpu) << " ms), " << worstMs(validations)
        << " ms worst (5 lines); totals " << totalOuverture << " then " << fenetre->total1()->text()
        << ", current line " << ds.currentIndex() + 1 << " of " << ds.rowCount() << Qt::endl;
    delete fenetre;
    return 0;
}
