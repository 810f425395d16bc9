#include "app/DesktopApplication.h"
#include "app/StopSignals.h"
#include "commands/CommandLine.h"
#include "db/Connection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
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
        return DesktopApplication::run(argc, argv);
    }

    // No window, no display needed: a document is drawn on the offscreen platform.
    std::unique_ptr<QCoreApplication> app;
    if (commandLine.drawsDocuments()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    StopSignals::setAction([](int) { db::Connection::interruptAll(); });
    const int code = commandLine.run();
    if (const int signal = StopSignals::received()) {
        QTextStream(stderr) << QStringLiteral(
                                   "Arrêt demandé (signal %1) : la commande a été interrompue.")
                                   .arg(signal)
                            << Qt::endl;
        return 128 + signal;
    }
    return code;
}
