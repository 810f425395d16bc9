#include "data/DatabaseCreator.h"
#include "db/DatabaseError.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

namespace {

int createDatabase(const QStringList& arguments) {
    QTextStream err(stderr);
    const qsizetype at = arguments.indexOf(QStringLiteral("--create-database"));
    if (at + 1 >= arguments.size()) {
        err << QStringLiteral("Usage : ardoz --create-database DOSSIER") << Qt::endl;
        return 2;
    }
    try {
        const QString path = DatabaseCreator::create(arguments.at(at + 1));
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
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Ardoz Prix de Transfert"));
    return 0;
}
