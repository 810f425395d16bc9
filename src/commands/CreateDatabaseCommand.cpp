#include "commands/CreateDatabaseCommand.h"

#include "commands/OptionReader.h"
#include "data/DatabaseCreator.h"
#include "data/DemoData.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

int CreateDatabaseCommand::execute(const CommandOptions& options, QTextStream& out,
                                   QTextStream& err) {
    QString path;
    try {
        path = DatabaseCreator::create(options.value(u"--create-database"));
        if (options.isSet(u"--demo")) {
            TDataprix module;
            module.connectTo(path);
            DemoData::fill(module);
        }
        out << QDir::toNativeSeparators(path) << Qt::endl;
        return static_cast<int>(Exit::Success);
    } catch (const db::DatabaseError& e) {
        // The module has closed its connection by now: a database left half filled with
        // demonstration data goes, as the creator removes a half-made one.
        if (!path.isEmpty()) {
            QFile::remove(path);
        }
        err << e.text() << Qt::endl;
        return static_cast<int>(Exit::Failed);
    }
}
