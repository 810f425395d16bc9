#include "data/DatabaseCreator.h"

#include "data/ReferenceData.h"
#include "data/Schema.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFileInfo>

namespace {

void insertRows(db::Transaction& transaction, const QString& sql,
                const QVector<ReferenceRow>& rows) {
    db::Statement statement(transaction);
    statement.prepare(sql);
    for (const ReferenceRow& row : rows) {
        statement.setParam(QStringLiteral("code"), row.code);
        statement.setParam(QStringLiteral("libelle"), row.label);
        statement.execute();
    }
}

}  // namespace

QString DatabaseCreator::databaseIn(const QString& folder) {
    QString server;
    QString path;
    db::Connection::splitServer(folder, server, path);
    if (server.isEmpty()) {
        return QDir(folder).absoluteFilePath(QStringLiteral("TALMORIX.gdb"));
    }
    if (!path.endsWith(u'/') && !path.endsWith(u'\\')) {
        path += u'/';
    }
    return server + u':' + path + QStringLiteral("TALMORIX.gdb");
}

void DatabaseCreator::remove(const QString& database, const db::Credentials& credentials) {
    QString server;
    QString path;
    db::Connection::splitServer(database, server, path);
    if (server.isEmpty()) {
        QFile::remove(database);
        return;
    }
    try {
        db::Connection connection;
        connection.setDatabaseName(database);
        connection.setCredentials(credentials);
        connection.open();
        connection.dropDatabase();
    } catch (const db::DatabaseError&) {
        // The server keeps the half-made file; the failure that led here is the one to tell.
    }
}

QString DatabaseCreator::create(const QString& folder, const db::Credentials& credentials) {
    const QString path = databaseIn(folder);
    QString server;
    QString onServer;
    db::Connection::splitServer(path, server, onServer);
    const QString exists = QStringLiteral("Le fichier %1 existe déjà : il n'a pas été modifié.");
    if (server.isEmpty()) {
        if (QFileInfo::exists(path)) {
            throw db::DatabaseError(exists.arg(path));
        }
        if (!QDir().mkpath(folder)) {
            throw db::DatabaseError(QStringLiteral("Impossible de créer le dossier %1.")
                                        .arg(QDir::toNativeSeparators(folder)));
        }
    } else {
        // Only the server sees its files: a database that lets itself be opened is there.
        db::Connection probe;
        probe.setDatabaseName(path);
        probe.setCredentials(credentials);
        bool opened = false;
        try {
            probe.open();
            opened = true;
        } catch (const db::DatabaseError& e) {
            if (e.kind() == db::DatabaseError::Kind::LoginRefused) {
                throw;
            }
        }
        if (opened) {
            throw db::DatabaseError(exists.arg(path));
        }
    }
    db::Connection::createDatabase(path, credentials);
    try {
        db::Connection connection;
        connection.setDatabaseName(path);
        connection.setCredentials(credentials);
        connection.open();
        db::Transaction transaction(connection);
        connection.setDefaultTransaction(&transaction);
        transaction.start();
        for (const QString& statement : Schema::creationScript()) {
            db::Statement ddl(transaction);
            ddl.prepare(statement);
            ddl.execute();
        }
        // Definitions must be committed before the tables take rows.
        transaction.commitRetaining();
        insertRows(transaction,
                   QStringLiteral("insert into DEVISE (DEVISE, LIBELLE) values (:code, :libelle)"),
                   ReferenceData::currencies());
        insertRows(
            transaction,
            QStringLiteral("insert into ETATTERRITORIAL (CODE, PAYS) values (:code, :libelle)"),
            ReferenceData::states());
        insertRows(transaction,
                   QStringLiteral("insert into CATEGORIE (CODE, LIBELLE) values (:code, :libelle)"),
                   ReferenceData::categories());
        transaction.commit();
        connection.close();
    } catch (...) {
        remove(path, credentials);
        throw;
    }
    return path;
}
