#pragma once

class CommandOptions;
class QTextStream;

/**
 * Creation of a new declaration database from the command line:
 *
 *     ardoz --create-database FOLDER [--demo]
 *
 * Creates FOLDER/TALMORIX.gdb (never over an existing file) and prints its path; --demo adds
 * the demonstration companies. A database left half filled by a failure is removed.
 */
class CreateDatabaseCommand {
public:
    enum class Exit : int {
        Success = 0,
        Failed = 1,        ///< the database could not be created or filled
        Usage = 2,         ///< missing folder, unknown option
        LoginRefused = 3,  ///< the server refused the login
    };

    /// Runs the command on options read by the command line.
    static int execute(const CommandOptions& options, QTextStream& out, QTextStream& err);
};
