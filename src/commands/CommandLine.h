#pragma once

#include "commands/OptionReader.h"

#include <QString>
#include <QStringList>
#include <span>

class QTextStream;

/**
 * A mode of the program without a window: one row of the command table (CommandLine.cpp).
 * A new mode is one row there and its command's execute().
 */
struct CommandMode {
    /// Its options in the order of the usage line: first the one that names the mode
    /// (u"--generate"), positional places where they stand.
    std::span<const OptionSpec> options;
    /// What it does, under its usage line in --help.
    const char16_t* description;
    /// Lines shown under the usage line after a usage error; may be null.
    const char16_t* note;
    /// Runs the mode on what was read; returns the exit code.
    int (*execute)(const CommandOptions& options, QTextStream& out, QTextStream& err);
    /// Answers whatever else the line holds, before any other mode (--help, --version).
    bool answersAlone = false;
};

/**
 * The choice main makes between the desktop and a command, and the running of the command:
 * every mode goes through the one OptionReader with the table's texts.
 *
 * A line that names no mode asks for the desktop, which accepts Qt's own options (-platform,
 * -style, ...). A line with a usage error prints the French report and the mode's usage (the
 * whole help for the desktop) on standard error and gives exit code 2.
 */
class CommandLine {
public:
    /// The exit code of every usage error.
    static constexpr int kUsageError = 2;

    /// @p arguments is the command line as the program received it, its name first.
    explicit CommandLine(const QStringList& arguments);

    /// True when the line asks for the desktop: no mode, and only Qt's own options.
    bool isDesktop() const { return !m_mode && m_problem.isEmpty(); }
    /// True when the command draws a document (--summary): it needs a QGuiApplication, on
    /// the offscreen platform since commands run without a display.
    bool drawsDocuments() const { return m_drawsDocuments; }

    /// Runs the mode, or reports why the line cannot be used, on the standard streams as
    /// UTF-8 text; returns the exit code. Not for the desktop.
    int run() const;
    /// As run(), writing to @p out and @p err.
    int run(QTextStream& out, QTextStream& err) const;
    /// CommandLine(arguments).run(out, err): what the commands' own run() do.
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

    /// The help of every mode, written from the table.
    static QString help();
    static QString version();
    /// "Usage : " and the usage line of the mode named @p option (u"--import"), with its note.
    static QString usage(QStringView option);

private:
    QStringList m_arguments;
    const CommandMode* m_mode = nullptr;
    QString m_problem;
    bool m_drawsDocuments = false;
};
