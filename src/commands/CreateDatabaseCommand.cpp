#include "commands/CreateDatabaseCommand.h"

#include "commands/OptionReader.h"
#include "data/Configuration.h"
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
    const db::Credentials credentials =
        Configuration::read(Configuration::defaultPath()).credentials();
    try {
        path = DatabaseCreator::create(options.value(u"--create-database"), credentials);
        if (options.isSet(u"--demo")) {
            TDataprix module;
            module.idataprix.setCredentials(credentials);
            module.connectTo(path);
            DemoData::fill(module);
        }
        QString server;
        QString onServer;
        db::Connection::splitServer(path, server, onServer);
        out << (server.isEmpty() ? QDir::toNativeSeparators(path) : path) << Qt::endl;
        return static_cast<int>(Exit::Success);
    } catch (const db::DatabaseError& e) {
        // The module has closed its connection by now: a database left half filled with
        // demonstration data goes, as the creator removes a half-made one.
        if (!path.isEmpty()) {
            DatabaseCreator::remove(path, credentials);
        }
        err << e.text() << Qt::endl;
        return static_cast<int>(
            e.kind() == db::DatabaseError::Kind::LoginRefused ? Exit::LoginRefused : Exit::Failed);
    }
}
