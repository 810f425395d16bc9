#include "app/DesktopApplication.h"

#include "app/StopSignals.h"
#include "app/TFrmPremiereUtilisation.h"
#include "app/TfRMMAIN.h"
#include "data/Configuration.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "widgets/ContexteSocieteActive.h"
#include "widgets/MessageBoxes.h"
#include "widgets/QtTranslations.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

namespace {

// The run in progress; only touched on the user-interface thread.
DesktopApplication* gEnCours = nullptr;

bool hasDisplay(int argc, char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(variable)) {
            return true;
        }
    }
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1StringView("-platform") ||
            argument == QLatin1StringView("--platform") ||
            argument.startsWith(QLatin1StringView("-platform=")) ||
            argument.startsWith(QLatin1StringView("--platform="))) {
            return true;
        }
    }
    return false;
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
}

}  // namespace

DesktopApplication::DesktopApplication() = default;

DesktopApplication::~DesktopApplication() {
    finish();
}

bool DesktopApplication::start(const QString& configPath) {
    QString path = configPath.isEmpty() ? Configuration::findPath() : configPath;
    if (path.isEmpty()) {
        // No configuration anywhere: the user chooses the database before any window.
        path = TFrmPremiereUtilisation::demander();
        if (path.isEmpty()) {
            return false;
        }
    }
    m_main = std::make_unique<TfRMMAIN>();
    m_main->showMaximized();
    m_module = std::make_unique<TDataprix>();
    m_main->contexte().suivre(m_module->societe);
    try {
        m_module->DataModuleCreate(path);
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(m_main.get(), e.text());
    }
    m_main->ouvrirListeSocietes();
    return true;
}

void DesktopApplication::finish() {
    if (m_main) {
        m_main->contexte().suivre(nullptr);
    }
    m_main.reset();
    m_module.reset();
}

void DesktopApplication::arreter() {
    if (gEnCours && gEnCours->m_main) {
        gEnCours->m_main->arreterSansQuestion();
    }
    // "Quitter" ends the main event loop; a signal must also end the loop of a dialog open
    // before that loop runs (the connection error at start), which quit() leaves alone.
    QCoreApplication::exit(0);
}

int DesktopApplication::run(int& argc, char** argv) {
    if (!hasDisplay(argc, argv)) {
        QTextStream(stderr) << QStringLiteral(
                                   "Aucun affichage disponible (ni DISPLAY ni WAYLAND_DISPLAY) : "
                                   "l'application ne peut pas s'ouvrir ; ardoz --help donne les "
                                   "commandes sans fenêtre.")
                            << Qt::endl;
        return 1;
    }
    QApplication app(argc, argv);
    app.setApplicationName(Configuration::kApplicationName);
    app.setApplicationVersion(QStringLiteral(ARDOZ_VERSION));
    // The icon the package installs in the icon theme.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("ardoz")));
    return run(app);
}

int DesktopApplication::run(QApplication& app, const QString& configPath) {
    QtTranslations::installFrench(app);
    app.setApplicationDisplayName(MessageBoxes::applicationTitle());
    DesktopApplication desktop;
    gEnCours = &desktop;
    // A stop signal ends the run as "Quitter" does, once the event loop takes it: what the
    // user is doing at that moment ends first (a dialog open is closed as if cancelled).
    QCoreApplication* const application = &app;
    StopSignals::setAction([application](int) {
        QMetaObject::invokeMethod(application, &DesktopApplication::arreter, Qt::QueuedConnection);
    });
    // Quitting the first start, or a signal taken by a dialog of the start-up (the first
    // start, the connection error), which has ended that dialog's loop only, ends the run.
    const bool started = desktop.start(configPath);
    const int code = !started || StopSignals::received() != 0 ? 0 : app.exec();
    StopSignals::setAction({});
    desktop.finish();
    gEnCours = nullptr;
    return code;
}
