// A desktop that appends COUNT operation lines to the first company of the database named
// by INI, through the shared dataset and its rules, each line marked PREFIX-n. Exits 0 once
// every line is posted; prints the error and exits 1 otherwise.
#include "data/TDataprix.h"
#include "db/DatabaseError.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        return 2;
    }
    const QString ini = QString::fromLocal8Bit(argv[1]);
    const int count = QString::fromLocal8Bit(argv[2]).toInt();
    const QString prefix = QString::fromLocal8Bit(argv[3]);
    try {
        TDataprix module;
        module.DataModuleCreate(ini);
        module.societe->open();
        Dataset& lines = *module.montanttransactions;
        module.openForActiveCompany(lines);
        for (int i = 1; i <= count; ++i) {
            lines.append();
            lines.setValue(QStringLiteral("MATRICULEFISCAL"),
                           QStringLiteral("%1-%2").arg(prefix).arg(i));
            lines.post();
        }
    } catch (const db::DatabaseError& e) {
        QTextStream(stderr) << e.text() << Qt::endl;
        return 1;
    }
    return 0;
}
