#pragma once

// What a command-line mode run in the test's own process printed and returned.

#include <QString>
#include <QStringList>
#include <QTextStream>

struct CommandResult {
    int code = -1;
    QString out;
    QString err;
};

/// Runs @p run (a command's run(arguments, out, err)) on @p arguments, program name first,
/// with its standard output and standard error captured.
inline CommandResult runCaptured(int (*run)(const QStringList&, QTextStream&, QTextStream&),
                                 const QStringList& arguments) {
    CommandResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = run(arguments, out, err);
    out.flush();
    err.flush();
    return result;
}
