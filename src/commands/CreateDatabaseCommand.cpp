#include "commands/CreateDatabaseCommand.h"

#include "commands/OptionReader.h"
#include "data/Configuration.h"
#include "data/DatabaseCreator.h"
#include "data/DemoData.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"

#include <QDir>
#include <QTextStream>

int CreateDatabaseCommand::execute(const CommandOptions& options, QTextStream& out,
                                   QTextStream& err) {
    const db::Credentials credentials = Configuration::find().credentials();
    try {
        const QString folder = options.value(u"--create-database");
        const QString path = options.isSet(u"--demo")
                                 ? DemoData::createDatabase(folder, credentials)
                                 : DatabaseCreator::create(folder, credentials);
        QString server;
        QString onServer;
        db::Connection::splitServer(path, server, onServer);
        out << (server.isEmpty() ? QDir::toNativeSeparators(path) : path) << Qt::endl;
        return static_cast<int>(Exit::Success);
    } catch (const db::DatabaseError& e) {
        err << e.text() << Qt::endl;
        return static_cast<int>(
            e.kind() == db::DatabaseError::Kind::LoginRefused ? Exit::LoginRefused : Exit::Failed);
    }
}
