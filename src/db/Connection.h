#pragma once

#include "db/Credentials.h"

#include <QString>
#include <QtGlobal>

namespace Firebird {
class IAttachment;
}

namespace db {

class Transaction;

/**
 * One attachment to a Firebird database, with the credentials given (by default the
 * program's historical "SYSDBA" login), SQL dialect 3 and no connection character set, so
 * that text travels as the database's Windows-1252 bytes. A plain path is served by the
 * embedded engine, "host:path" by a server. A server that refuses the login is reported in
 * French, naming the server and the user, never the password.
 *
 * Database names are handed to the client as UTF-8 whatever the process's locale, so
 * that a path with accents opens under the POSIX locale or an uninstalled one as well.
 * On Unix, unless FIREBIRD_LOCK is set, the embedded engine keeps its lock files in a
 * folder of the account's own (see lockFolder()), so that one account's use does not
 * lock the others out of the engine.
 */
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setDatabaseName(const QString& name) { m_databaseName = name; }
    const QString& databaseName() const { return m_databaseName; }
    /// Used by the next open().
    void setCredentials(const Credentials& credentials) { m_credentials = credentials; }
    const Credentials& credentials() const { return m_credentials; }

    /// Attaches to the database; throws DatabaseError with the client's text.
    void open();
    /// Commits the default transaction when it is active, then detaches. Never throws.
    void close();
    bool isConnected() const { return m_attachment != nullptr; }
    /**
     * Counts the attachments made by this connection. A statement prepared under another
     * generation belongs to an attachment that is gone and must be prepared again.
     */
    quint64 generation() const { return m_generation; }

    /// The transaction that close() commits. Not owned; must outlive the connection's use.
    void setDefaultTransaction(Transaction* transaction) { m_defaultTransaction = transaction; }
    Transaction* defaultTransaction() const { return m_defaultTransaction; }

    /// Creates an empty database with Windows-1252 as its default character set, owned by
    /// the user of @p credentials.
    static void createDatabase(const QString& path, const Credentials& credentials = {});
    /// Removes the database this connection is attached to, on this machine or on its server.
    void dropDatabase();

    /**
     * "host:path" split into the server ("host", "host/port") and the path on it; the
     * server is empty for a local path ("C:\..." is a drive, "/a:b" a local path).
     */
    static void splitServer(const QString& name, QString& server, QString& path);
    /// The French text of a server that refuses @p user (wrong password or unknown user).
    static QString loginRefusedText(const QString& server, const QString& user);

    /**
     * Stops the database work of the whole process, from any thread: the operation each
     * open connection is running is cancelled, and from then on every connection fails
     * to open and every call fails with the client's "operation was cancelled". Meant for
     * the command-line modes on a stop signal, which unwind and exit; never undone.
     */
    static void interruptAll();
    static bool isInterrupted();
    /// @throws DatabaseError once interruptAll() has been called. Statements ask before
    /// each request, so that a stop between two requests is not left to the engine.
    static void checkInterrupted();

    /// The lock folder the embedded engine of this process uses, once a connection has
    /// been opened or a database created.
    static QString lockFolder();

    /**
     * Forgets an attachment whose server is gone (stopped, network cut), without a word to
     * the server: the work not yet committed is lost with it. The connection then reports
     * not connected, and every statement and transaction of the former attachment knows it
     * is stale. Called by the layer when a call reports the loss.
     */
    void dropLostAttachment();
    /// True when the last attachment was dropped as lost (until the next open()).
    bool wasLost() const { return m_lost; }

    /// The attachment for the layer's own classes; null when not connected.
    Firebird::IAttachment* attachment() const { return m_attachment; }

private:
    QString m_databaseName;
    Credentials m_credentials;
    Firebird::IAttachment* m_attachment = nullptr;
    Transaction* m_defaultTransaction = nullptr;
    quint64 m_generation = 0;
    bool m_lost = false;
};

}  // namespace db
