#pragma once

#include <QString>
#include <QStringList>

#include <functional>

/**
 * The program's answer to SIGINT and SIGTERM (Ctrl+C in a terminal, `kill`, the end of a
 * session).
 *
 * The embedded Firebird engine installs handlers of its own for both signals when it first
 * attaches a database; they shut the engine down under the program's feet and leave the
 * process running. A handler installed before or after would race with them. Instead both
 * signals are blocked in every thread, from the very start of the program, and one thread of
 * our own waits for them: no handler ever runs, whatever the engine installs.
 *
 * On Unix only; elsewhere the functions do nothing.
 */
class StopSignals {
public:
    /// What a stop signal does; runs on the waiting thread, so it must only hand work over
    /// (post to the event loop, interrupt the database work).
    using Action = std::function<void(int signal)>;

    /**
     * Blocks SIGINT and SIGTERM in the calling thread, and so in every thread created after,
     * then starts the waiting thread. Call it first in main, before any thread exists;
     * calling it again does nothing.
     */
    static void install();

    /**
     * Sets what each stop signal does from now on, replacing the previous action; an empty
     * action only records the signal. When a signal has come already, @p action runs at once
     * on the calling thread. Once this returns, the previous action no longer runs.
     */
    static void setAction(Action action);

    /// The first stop signal received, or 0.
    static int received();

    /**
     * Starts @p program with @p arguments as a process of its own, not waited for, with the
     * stop signals unblocked again (a child inherits the blocked set, and QProcess cannot
     * change it for a detached process). True when the program could be started.
     */
    static bool startDetached(const QString& program, const QStringList& arguments = {});
};
