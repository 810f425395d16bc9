#include "app/DesktopApplication.h"
#include "app/StopSignals.h"
#include "commands/CommandLine.h"
#include "data/Configuration.h"
#include "db/Connection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

namespace {

/**
 * Ends the process with @p code once every connection is closed, without the exit handlers.
 * The client library's handler unloads the embedded engine, and the engine may still be
 * ending a thread of its own: a service that has just reported its failure (a backup of a
 * missing database) winds down after the program has detached from it. Unloaded under that
 * thread, the engine crashed the process (status 139 instead of the command's code), and its
 * own shutdown call unloads it the same way. Nothing is left for the handlers to do: the
 * databases are closed, and the output is flushed here.
 */
[[noreturn]] void endProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}

}  // namespace
#include <memory>

int main(int argc, char** argv) {
    // Before anything else, and above all before any thread starts.
    StopSignals::install();

    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const CommandLine commandLine(arguments);
    if (commandLine.isDesktop()) {
        endProcess(DesktopApplication::run(argc, argv));
    }

    int code = 0;
    {
        // No window, no display needed: a document is drawn on the offscreen platform.
        std::unique_ptr<QCoreApplication> app;
        if (commandLine.drawsDocuments()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
        // The desktop's name: both find the same configuration folder of the user.
        QCoreApplication::setApplicationName(Configuration::kApplicationName);
        QCoreApplication::setApplicationVersion(QStringLiteral(ARDOZ_VERSION));
        StopSignals::setAction([](int) { db::Connection::interruptAll(); });
        code = commandLine.run();
        if (const int signal = StopSignals::received()) {
            QTextStream(stderr) << QStringLiteral(
                                       "Arrêt demandé (signal %1) : la commande a été interrompue.")
                                       .arg(signal)
                                << Qt::endl;
            code = 128 + signal;
        }
    }
    endProcess(code);
}
