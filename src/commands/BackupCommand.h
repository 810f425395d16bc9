#pragma once

#include <QString>
#include <QStringList>

class CommandOptions;
class QTextStream;

/**
 * Backup and restore of the declaration database from the command line, for scripts and
 * scheduled tasks:
 *
 *     ardoz --backup FILE.fbk [--database DB]
 *     ardoz --restore FILE.fbk FOLDER
 *
 * The backup is taken from the database named by ../CheminBase.ini, or DB (a path or
 * "host:path"), while it stays in use; FILE.fbk is written on this machine. The restore
 * creates FOLDER/TALMORIX.gdb, FOLDER being a folder of this machine or "host:/path" on a
 * server, and never replaces an existing database. Progress goes to standard error, the
 * path of the file made to standard output.
 */
class BackupCommand {
public:
    /// Exit codes, those of --generate.
    enum class Exit : int {
        Success = 0,
        Failed = 1,          ///< the backup file cannot be written or read, the target exists
        Usage = 2,           ///< missing or unknown option
        DatabaseFailed = 3,  ///< the database or its server refused or failed
    };

    /**
     * Runs the command line @p arguments (the program's name first), which asks for --backup
     * or --restore, as the program does.
     */
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);
    /// Runs the backup, or the restore, on options read by the command line.
    static int execute(const CommandOptions& options, QTextStream& out, QTextStream& err);

    /// The database a restore into @p folder creates ("host:/path" folders included).
    static QString restoredDatabase(const QString& folder);
};
