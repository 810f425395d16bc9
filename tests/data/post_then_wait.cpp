// Makes a database in FOLDER, posts one line through the data module, says so on
// stdout, then waits to be killed. Everything happens in this process: a database
// file stays held by the engine of the process that last opened it.
#include "data/DatabaseCreator.h"
#include "data/TDataprix.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QThread>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    DatabaseCreator::create(folder.filePath(QStringLiteral("db")));
    QFile ini(folder.filePath(QStringLiteral("CheminBase.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(("[CheminBase]\nRep=" + folder.filePath(QStringLiteral("db")) + "\n").toUtf8());
    ini.close();

    TDataprix module;
    module.DataModuleCreate(ini.fileName());
    module.societe->open();
    module.societe->append();
    module.societe->setValue(QStringLiteral("MFISCAL"), QStringLiteral("1234567"));
    module.societe->setValue(QStringLiteral("CLE"), QStringLiteral("A"));
    module.societe->setValue(QStringLiteral("EXERCICE"), 2023);
    module.societe->post();
    module.openForActiveCompany(*module.montanttransactions);
    module.montanttransactions->append();
    module.montanttransactions->setText(QStringLiteral("ACHATS"), QStringLiteral("1234,567"));
    module.montanttransactions->post();
    QTextStream(stdout) << "posted" << Qt::endl;
    QThread::sleep(600);
    return 0;
}
