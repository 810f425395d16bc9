#pragma once

#include <QStringList>

class CommandOptions;
class QTextStream;

/**
 * Creation of a company's next fiscal year from the command line:
 *
 *     ardoz --next-year --company ID --year N [--database FILE]
 *
 * ID is the full identifier (MFISCAL followed by CLE), N the year the new one is made from.
 * Without --database the database named by ../CheminBase.ini is used. Year N+1 is made by
 * NextYearCreator, as the company list's "Exercice suivant" makes it, and the same French
 * sentence reports what was carried over.
 */
class NextYearCommand {
public:
    enum class Exit : int {
        Success = 0,
        CreationFailed = 1,  ///< a statement failed: nothing of N+1 was written
        Usage = 2,           ///< missing or unknown option, malformed identifier or year
        DatabaseFailed = 3,  ///< the database could not be opened or read
        UnknownCompany = 4,  ///< no company row with this identifier, whatever the year
        UnknownYear = 5,     ///< the company exists, but not for year N
        NextYearExists = 7,  ///< year N+1 exists already: nothing was written
    };

    /**
     * Runs the command line @p arguments (the program's name first), which asks for
     * --next-year, as the program does. Prints the sentence that reports the new year on
     * @p out and returns 0; on a refusal or a failure prints the French report on @p err and
     * returns one of the other Exit codes.
     */
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);
    /// Creates the next year on options read by the command line.
    static int execute(const CommandOptions& options, QTextStream& out, QTextStream& err);
};
