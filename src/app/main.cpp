#include "app/DesktopApplication.h"
#include "app/StopSignals.h"
#include "commands/CommandLine.h"
#include "db/Connection.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    // Before anything else, and above all before any thread starts.
    StopSignals::install();

    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const CommandLine commandLine(arguments);
    if (commandLine.isDesktop()) {
        const int code = DesktopApplication::run(argc, argv);
        db::Connection::shutdownEngine();
        return code;
    }

    // No window, no display needed.
    QCoreApplication app(argc, argv);
    StopSignals::setAction([](int) { db::Connection::interruptAll(); });
    const int code = commandLine.run();
    db::Connection::shutdownEngine();
    if (const int signal = StopSignals::received()) {
        QTextStream(stderr) << QStringLiteral(
                                   "Arrêt demandé (signal %1) : la commande a été interrompue.")
                                   .arg(signal)
                            << Qt::endl;
        return 128 + signal;
    }
    return code;
}
