// Appends N lines through the line-numbered dataset of the transaction amounts, with
// every record rule (line-number query, stamping, zeroing, refresh, commit with
// retaining), against a raw prepared insert with a commit with retaining per row on
// the same table. Prints both rates and their ratio.
#include "data/DatabaseCreator.h"
#include "data/TDataprix.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTemporaryDir dir;
    DatabaseCreator::create(dir.filePath(QStringLiteral("db")));
    QFile ini(dir.filePath(QStringLiteral("CheminBase.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(("[CheminBase]\nRep=" + dir.filePath(QStringLiteral("db")) + "\n").toUtf8());
    ini.close();

    TDataprix module;
    module.DataModuleCreate(ini.fileName());
    module.societe->open();
    module.societe->append();
    module.societe->setValue(QStringLiteral("MFISCAL"), QStringLiteral("1234567"));
    module.societe->setValue(QStringLiteral("CLE"), QStringLiteral("A"));
    module.societe->setValue(QStringLiteral("EXERCICE"), 2023);
    module.societe->post();

    // Raw baseline: the same columns, bound once per row, committed with retaining per row.
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
    const double rawSeconds = timer.nsecsElapsed() / 1e9;

    Dataset& ds = *module.montanttransactions;
    module.openForActiveCompany(ds);
    timer.restart();
    for (int i = 1; i <= rows; ++i) {
        ds.append();
        ds.setValue(QStringLiteral("TYPEMONTANT"), QStringLiteral("1"));
        ds.setValue(QStringLiteral("ACHATS"), db::Decimal(1234567 + i, 3));
        ds.setValue(QStringLiteral("RAISONSOCIALE"), QStringLiteral("Société liée"));
        ds.setValue(QStringLiteral("METHODE"), QStringLiteral("CUP "));
        ds.post();
    }
    const double datasetSeconds = timer.nsecsElapsed() / 1e9;

    QTextStream out(stdout);
    out << "rows: " << rows << Qt::endl;
    out << "raw prepared insert + commit retaining: " << qRound(rows / rawSeconds) << " rows/s"
        << Qt::endl;
    out << "dataset append with record rules:      " << qRound(rows / datasetSeconds) << " rows/s"
        << Qt::endl;
    out << "ratio dataset / raw: " << QString::number(rawSeconds / datasetSeconds, 'f', 2)
        << Qt::endl;
    return 0;
}
