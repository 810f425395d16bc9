// Appending lines on a shared database: N operation lines through the dataset with every
// record rule (line-number query, stamping, zeroing, refresh, commit with retaining), over
// loopback to a Firebird server and with the embedded engine, against a raw prepared insert
// with a commit with retaining per row over the same loopback. One run, three rates.
//
//     bench_shared_append ADDRESS [N]      ADDRESS: the server, e.g. 127.0.0.1/3050
//
// scripts/test-server.sh start DIR starts a server and prints its address.
#include "data/DatabaseCreator.h"
#include "data/TDataprix.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

/// A new database in @p dir, named as the program will reach it (@p prefix: "" or
/// "address:"), with one company; returns the module connected to it.
std::unique_ptr<TDataprix> freshDatabase(const QTemporaryDir& dir, const QString& prefix) {
    DatabaseCreator::create(dir.filePath(QStringLiteral("db")));
    QFile ini(dir.filePath(QStringLiteral("CheminBase.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(("[CheminBase]\nRep=" + prefix + dir.filePath(QStringLiteral("db")) + "\n").toUtf8());
    ini.close();
    auto module = std::make_unique<TDataprix>();
    module->DataModuleCreate(ini.fileName());
    module->societe->open();
    module->societe->append();
    module->societe->setValue(QStringLiteral("MFISCAL"), QStringLiteral("1234567"));
    module->societe->setValue(QStringLiteral("CLE"), QStringLiteral("A"));
    module->societe->setValue(QStringLiteral("EXERCICE"), 2023);
    module->societe->post();
    return module;
}

double datasetSeconds(TDataprix& module, int rows) {
    Dataset& ds = *module.montanttransactions;
    module.openForActiveCompany(ds);
    QElapsedTimer timer;
    timer.start();
    for (int i = 1; i <= rows; ++i) {
        ds.append();
        ds.setValue(QStringLiteral("TYPEMONTANT"), QStringLiteral("1"));
        ds.setValue(QStringLiteral("ACHATS"), db::Decimal(1234567 + i, 3));
        ds.setValue(QStringLiteral("RAISONSOCIALE"), QStringLiteral("Société liée"));
        ds.setValue(QStringLiteral("METHODE"), QStringLiteral("CUP "));
        ds.post();
    }
    return timer.nsecsElapsed() / 1e9;
}

double rawSeconds(TDataprix& module, int rows) {
    db::Statement insert(module.IBTransaction1);
    insert.prepare(QStringLiteral(
        "insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, TYPEMONTANT, ACHATS, VENTES, "
        "RAISONSOCIALE, METHODE) values (:m, :e, :lg, :t, :a, :v, :r, :meth)"));
    QElapsedTimer timer;
    timer.start();
    for (int i = 1; i <= rows; ++i) {
        insert.setParam(QStringLiteral("m"), QStringLiteral("7654321B"));
        insert.setParam(QStringLiteral("e"), 2023);
        insert.setParam(QStringLiteral("lg"), i);
        insert.setParam(QStringLiteral("t"), QStringLiteral("1"));
        insert.setParam(QStringLiteral("a"), db::Decimal(1234567 + i, 3));
        insert.setParam(QStringLiteral("v"), db::Decimal(0, 3));
        insert.setParam(QStringLiteral("r"), QStringLiteral("Société liée"));
        insert.setParam(QStringLiteral("meth"), QStringLiteral("CUP "));
        insert.execute();
        module.commitRetaining();
    }
    return timer.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc < 2) {
        out << "Usage : bench_shared_append ADRESSE_DU_SERVEUR [LIGNES]" << Qt::endl;
        return 2;
    }
    const QString address = QString::fromLocal8Bit(argv[1]);
    const int rows = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 2000;

    QTemporaryDir embeddedDir;
    QTemporaryDir serverDir;
    double embedded = 0;
    double loopback = 0;
    double raw = 0;
    {
        auto module = freshDatabase(embeddedDir, QString());
        embedded = datasetSeconds(*module, rows);
    }
    {
        auto module = freshDatabase(serverDir, address + u':');
        module->ensureConnected();
        raw = rawSeconds(*module, rows);
        loopback = datasetSeconds(*module, rows);
    }

    out << "rows: " << rows << Qt::endl;
    out << "dataset append, embedded:                 " << qRound(rows / embedded) << " rows/s"
        << Qt::endl;
    out << "dataset append, loopback server:          " << qRound(rows / loopback) << " rows/s"
        << Qt::endl;
    out << "raw insert + commit retaining, loopback:  " << qRound(rows / raw) << " rows/s"
        << Qt::endl;
    out << "ratio loopback dataset / loopback raw:    " << QString::number(raw / loopback, 'f', 2)
        << Qt::endl;
    out << "ratio loopback dataset / embedded dataset: "
        << QString::number(embedded / loopback, 'f', 2) << Qt::endl;
    return 0;
}
