#pragma once

#include <QStringList>

class CommandOptions;
class QTextStream;

/**
 * Generation and check of the declaration file from the command line, for scripts and
 * batch work:
 *
 *     ardoz --generate --company ID --year YYYY [--output DIR] [--database FILE] [--summary]
 *     ardoz --check --company ID --year YYYY [--database FILE]
 *
 * ID is the full identifier (MFISCAL followed by CLE). Without --database the database
 * named by ../CheminBase.ini is used. The company row of that identifier and year becomes
 * the current row of `societe` and DeclarationWriter writes the same file the dialog
 * would, into DIR (default: the working folder).
 *
 * --generate prints the file's path on standard output and the number of problems the
 * administration's schema finds on standard error. With --summary it then writes the PDF
 * review of that file beside it (DeclarationSummary) and prints its path too; this needs a
 * QGuiApplication, which main creates on the offscreen platform for such a line.
 *
 * --check writes no file: it prints one problem per line on standard output and nothing else
 * there, and a summary naming the schema's version on standard error.
 */
class GenerateCommand {
public:
    /// Exit codes, for scripts that want to tell the failures apart.
    enum class Exit : int {
        Success = 0,
        GenerationFailed = 1,     ///< the file could not be written (folder, disk, query)
        ProblemsFound = 1,        ///< --check: the declaration has problems
        Usage = 2,                ///< missing or unknown option, malformed identifier or year
        DatabaseFailed = 3,       ///< the database could not be opened or read
        UnknownCompany = 4,       ///< no company row with this identifier, whatever the year
        UnknownYear = 5,          ///< the company exists, but not for this year
        DocumentNotProduced = 6,  ///< --check: the document could not be produced
        SummaryFailed = 8,        ///< --summary: the XML file is written, its PDF could not be
    };

    /**
     * Runs the command line @p arguments (the program's name first), which asks for
     * --generate or --check, as the program does. Generation prints the file's path and a
     * line feed on @p out and returns 0; the check prints the problems and returns 0 without
     * any, 1 with some. On any failure the French message goes to @p err and one of the other
     * Exit codes is returned.
     */
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

    /// Runs the generation, or the check when --check is set, on options read by the
    /// command line.
    static int execute(const CommandOptions& options, QTextStream& out, QTextStream& err);
};
