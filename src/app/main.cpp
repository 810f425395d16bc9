#include "app/DesktopApplication.h"
#include "data/DatabaseCreator.h"
#include "data/DemoData.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "declaration/GenerateCommand.h"
#include "import/ImportCommand.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

namespace {

int createDatabase(const QStringList& arguments) {
    QTextStream err(stderr);
    const qsizetype at = arguments.indexOf(QStringLiteral("--create-database"));
    if (at + 1 >= arguments.size()) {
        err << QStringLiteral("Usage : ardoz --create-database DOSSIER [--demo]") << Qt::endl;
        return 2;
    }
    try {
        const QString path = DatabaseCreator::create(arguments.at(at + 1));
        if (arguments.contains(QStringLiteral("--demo"))) {
            TDataprix module;
            module.connectTo(path);
            DemoData::fill(module);
        }
        QTextStream(stdout) << QDir::toNativeSeparators(path) << Qt::endl;
        return 0;
    } catch (const db::DatabaseError& e) {
        err << e.text() << Qt::endl;
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    if (arguments.contains(QStringLiteral("--create-database"))) {
        QCoreApplication app(argc, argv);
        return createDatabase(arguments);
    }
    if (arguments.contains(QStringLiteral("--generate"))) {
        // Batch generation of the declaration file: no window, no display needed.
        QCoreApplication app(argc, argv);
        return GenerateCommand::run(arguments);
    }
    if (arguments.contains(QStringLiteral("--import"))) {
        // Batch import of operation lines: no window, no display needed.
        QCoreApplication app(argc, argv);
        return ImportCommand::run(arguments);
    }
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Ardoz Prix de Transfert"));
    return DesktopApplication::run(app);
}
