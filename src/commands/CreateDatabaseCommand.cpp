#include "commands/CreateDatabaseCommand.h"

#include "commands/OptionReader.h"
#include "data/DatabaseCreator.h"
#include "data/DemoData.h"
#include "db/DatabaseError.h"

#include <QDir>
#include <QTextStream>

int CreateDatabaseCommand::execute(const CommandOptions& options, QTextStream& out,
                                   QTextStream& err) {
    try {
        const QString folder = options.value(u"--create-database");
        const QString path = options.isSet(u"--demo") ? DemoData::createDatabase(folder)
                                                      : DatabaseCreator::create(folder);
        out << QDir::toNativeSeparators(path) << Qt::endl;
        return static_cast<int>(Exit::Success);
    } catch (const db::DatabaseError& e) {
        err << e.text() << Qt::endl;
        return static_cast<int>(Exit::Failed);
    }
}
