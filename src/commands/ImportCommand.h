#pragma once

#include <QString>
#include <QStringList>

class CommandOptions;
class QTextStream;

/**
 * Import of operation lines from the command line, for scripts and batch work:
 *
 *     ardoz --import FILE --page N --company ID --year YYYY [--database FILE]
 *           [--sheet NAME] [--first-row R] [--separator C]
 *
 * N is the operations page (1 transaction amounts, 2 loans and borrowings, 3 operations
 * without monetary counterpart, 4 advance agreements), ID the full identifier (MFISCAL
 * followed by CLE). The format comes from the file's extension; the page's preset mapping is
 * used. A text file reads with the French conventions (separator ";", decimal comma, dates
 * dd/mm/yyyy) unless --separator changes the separator ("tab" for a tabulation). Without
 * --database the database named by ../CheminBase.ini is used.
 */
class ImportCommand {
public:
    enum class Exit : int {
        Success = 0,
        RowFailed = 1,       ///< a row failed: the rows before it stay committed
        Usage = 2,           ///< missing or unknown option, malformed value
        DatabaseFailed = 3,  ///< the database could not be opened or read
        UnknownCompany = 4,  ///< no company row with this identifier, whatever the year
        UnknownYear = 5,     ///< the company exists, but not for this year
        FileUnreadable = 6,  ///< missing, damaged, encrypted file, another format, no such sheet
    };

    /**
     * Runs the command line @p arguments (the program's name first), which asks for
     * --import, as the program does. Prints the number of rows imported on @p out and
     * returns 0; on a failure prints the French report on @p err and returns one of the
     * non-zero Exit codes.
     */
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);
    /// Runs the import on options read by the command line.
    static int execute(const CommandOptions& options, QTextStream& out, QTextStream& err);

    /// "Usage : " and the usage line, with the pages.
    static QString usage();
};
