#pragma once

// What the append benchmarks share: a fresh database with one company, the appending of
// operation lines through the dataset with every record rule, and the raw baseline.
#include "data/Configuration.h"
#include "data/DatabaseCreator.h"
#include "data/TDataprix.h"
#include "db/Statement.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace bench {

/// A new database in @p dir, named as the program will reach it (@p prefix: "" or
/// "address:"), with one company; returns the module connected to it. On a server the
/// database is made by, and belongs to, the login the program takes from ISC_USER and
/// ISC_PASSWORD: a server that refuses the historical SYSDBA password serves it all the same.
inline std::unique_ptr<TDataprix> freshDatabase(const QTemporaryDir& dir, const QString& prefix) {
    QFile ini(dir.filePath(QStringLiteral("CheminBase.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(("[CheminBase]\nRep=" + prefix + dir.filePath(QStringLiteral("db")) + "\n").toUtf8());
    ini.close();
    // The server makes the file, in a folder that must exist.
    QDir(dir.path()).mkpath(QStringLiteral("db"));
    DatabaseCreator::create(prefix + dir.filePath(QStringLiteral("db")),
                            Configuration::read(ini.fileName()).credentials());
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

/// Appends @p rows lines through the dataset of the transaction amounts.
inline double datasetSeconds(TDataprix& module, int rows) {
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

/// The same lines, for another company, by a raw prepared insert committed with retaining
/// per row: the ceiling that one commit per row sets.
inline double rawSeconds(TDataprix& module, int rows) {
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

}  // namespace bench
