#pragma once

#include "db/Credentials.h"
#include "db/DatabaseError.h"

#include <QString>
#include <functional>

class QFile;

namespace db {

/**
 * Backup and restore of a database through Firebird's services interface, the same way
 * for a local file (the embedded engine runs the service in this process) and for a
 * "host:path" database (the server runs it).
 *
 * The backup is consistent: the service reads one snapshot of the database while it stays
 * in use. Its bytes are streamed to this program, which writes the backup file itself, so
 * that the file is where the user chose, on this machine, even for a server database; the
 * restore streams the file back the same way. A restore always creates a new database and
 * never replaces an existing one.
 */
class BackupService {
public:
    /// Where an operation stands: bytes streamed so far and, for a restore, the file's size
    /// (-1 when unknown); @c line is the service's latest progress line, when it gave one.
    struct Progress {
        qint64 bytesDone = 0;
        qint64 bytesTotal = -1;
        QString line;
    };
    using ProgressHandler = std::function<void(const Progress&)>;

    /// A restore refused because the database it would create exists already.
    class TargetExists : public DatabaseError {
    public:
        explicit TargetExists(const QString& path);
    };

    /**
     * Backs up @p database (a connection name: a path, or "host:path") into @p backupFile,
     * logged in with @p credentials (a server's owner of the database or its SYSDBA),
     * replacing that file only once the backup is complete. Throws DatabaseError with the
     * service's text, or a French message when the file cannot be written.
     */
    static void backup(const QString& database, const QString& backupFile,
                       const Credentials& credentials, const ProgressHandler& progress = {});

    /**
     * Restores @p backupFile into the new database @p database (a path, or "host:path"),
     * which the user of @p credentials then owns.
     * Refused with TargetExists (a French message) when the database file exists already,
     * on this machine or on the server. Throws DatabaseError.
     */
    static void restore(const QString& backupFile, const QString& database,
                        const Credentials& credentials, const ProgressHandler& progress = {});

    /// As Connection::splitServer().
    static void splitServer(const QString& name, QString& server, QString& path);

private:
    static void restoreFrom(QFile& in, const QString& server, const QString& path,
                            const Credentials& credentials, const ProgressHandler& progress);
};

}  // namespace db
