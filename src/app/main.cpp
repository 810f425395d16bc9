#include "app/DesktopApplication.h"
#include "app/StopSignals.h"
#include "commands/BackupCommand.h"
#include "commands/GenerateCommand.h"
#include "commands/ImportCommand.h"
#include "data/DatabaseCreator.h"
#include "data/DemoData.h"
#include "data/TDataprix.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "import/ui/AssistantImport.h"
#include "operations/TFrmoperations.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

const QString kProgramme = QStringLiteral("ardoz");

QString createDatabaseUsage() {
    return QStringLiteral("Usage : ardoz --create-database DOSSIER [--demo]");
}

int createDatabase(const QStringList& arguments) {
    QTextStream err(stderr);
    QString folder;
    bool demo = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1StringView("--create-database")) {
            if (i + 1 >= arguments.size()) {
                err << createDatabaseUsage() << Qt::endl;
                return 2;
            }
            folder = arguments.at(++i);
        } else if (argument == QLatin1StringView("--demo")) {
            demo = true;
        } else {
            err << QStringLiteral("Option inconnue : %1.").arg(argument) << '\n'
                << createDatabaseUsage() << Qt::endl;
            return 2;
        }
    }
    QString path;
    try {
        path = DatabaseCreator::create(folder);
        if (demo) {
            TDataprix module;
            module.connectTo(path);
            DemoData::fill(module);
        }
        QTextStream(stdout) << QDir::toNativeSeparators(path) << Qt::endl;
        return 0;
    } catch (const db::DatabaseError& e) {
        // The module has closed its connection by now: a database left half filled with
        // demonstration data goes, as the creator removes a half-made one.
        if (!path.isEmpty()) {
            QFile::remove(path);
        }
        err << e.text() << Qt::endl;
        return 1;
    }
}

int generate(const QStringList& arguments) {
    return GenerateCommand::run(arguments);
}

QString generateUsage() {
    return GenerateCommand::usage().section(u'\n', 0, 0);
}

QString backupUsage() {
    return BackupCommand::usage().section(u'\n', 0, 0);
}

QString restoreUsage() {
    return BackupCommand::usage().section(u'\n', 1, 1);
}

QString checkUsage() {
    return GenerateCommand::usage().section(u'\n', 1, 1);
}

/// A command-line mode: its option, its usage line, what it is for, and the command.
struct Mode {
    QLatin1StringView option;
    QString (*usage)();
    const char16_t* description;
    int (*run)(const QStringList& arguments);
};

const Mode kModes[] = {
    {QLatin1StringView("--create-database"), createDatabaseUsage,
     u"crée une base de déclaration neuve DOSSIER/TALMORIX.gdb ; --demo y ajoute les sociétés "
     u"de démonstration",
     createDatabase},
    {QLatin1StringView("--generate"), generateUsage,
     u"écrit le fichier de déclaration d'une société et d'un exercice (matricule complet, par "
     u"exemple 1234567A) dans REPERTOIRE, sans ouvrir de fenêtre ; le nombre de problèmes "
     u"relevés par le contrôle sort sur la sortie d'erreur",
     generate},
    {QLatin1StringView("--backup"), backupUsage,
     u"sauvegarde la base (celle de ../CheminBase.ini, ou BASE) dans FICHIER.fbk, base "
     u"ouverte",
     BackupCommand::run},
    {QLatin1StringView("--restore"), restoreUsage,
     u"crée DOSSIER/TALMORIX.gdb (DOSSIER peut être serveur:/chemin) à partir d'une "
     u"sauvegarde, jamais par-dessus une base existante",
     BackupCommand::run},
    {QLatin1StringView("--check"), checkUsage,
     u"contrôle la déclaration d'une société et d'un exercice selon le schéma de "
     u"l'administration, sans écrire de fichier : un problème par ligne sur la sortie standard",
     generate},
    {QLatin1StringView("--import"), [] { return ImportCommand::usage().section(u'\n', 0, 0); },
     u"importe les lignes d'un fichier (.xlsx, .xls, .ods, .csv, .txt, .html, .xml, .dbf) dans "
     u"la page d'opérations N (1 montants, 2 prêts et emprunts, 3 sans contrepartie, 4 accords "
     u"préalables) d'une société et d'un exercice, sans ouvrir de fenêtre",
     ImportCommand::run},
};

// Qt's own options of the desktop application, with the number of values each takes.
struct QtOption {
    QLatin1StringView name;
    int values;
};

const QtOption kQtOptions[] = {
    {QLatin1StringView("-platform"), 1},
    {QLatin1StringView("-platformpluginpath"), 1},
    {QLatin1StringView("-platformtheme"), 1},
    {QLatin1StringView("-plugin"), 1},
    {QLatin1StringView("-display"), 1},
    {QLatin1StringView("-geometry"), 1},
    {QLatin1StringView("-qwindowgeometry"), 1},
    {QLatin1StringView("-qwindowtitle"), 1},
    {QLatin1StringView("-qwindowicon"), 1},
    {QLatin1StringView("-style"), 1},
    {QLatin1StringView("-stylesheet"), 1},
    {QLatin1StringView("-session"), 1},
    {QLatin1StringView("-name"), 1},
    {QLatin1StringView("-title"), 1},
    {QLatin1StringView("-reverse"), 0},
    {QLatin1StringView("-widgetcount"), 0},
    {QLatin1StringView("-nograb"), 0},
    {QLatin1StringView("-dograb"), 0},
    {QLatin1StringView("-sync"), 0},
};

QString version() {
    return QStringLiteral("Ardoz Prix de Transfert " ARDOZ_VERSION);
}

QString usage() {
    QString text = version() + QStringLiteral(
                                   "\n\nUsage :\n"
                                   "  ardoz [-platform NOM]\n"
                                   "      l'application (il faut un affichage : DISPLAY, "
                                   "WAYLAND_DISPLAY, QT_QPA_PLATFORM ou -platform)\n");
    for (const Mode& mode : kModes) {
        QString line = mode.usage();
        line = line.mid(line.indexOf(kProgramme));
        text += QStringLiteral("  ") + line + QStringLiteral("\n      ") +
                QString::fromUtf16(mode.description) + u'\n';
    }
    text += QStringLiteral(
        "  ardoz --help\n"
        "      affiche cette aide\n"
        "  ardoz --version\n"
        "      affiche la version du programme\n"
        "\n"
        "Les options de Qt (-platform, -style, -geometry, ...) sont acceptées par l'application.\n"
        "SIGINT (Ctrl+C) ou SIGTERM : l'application se ferme comme par « Quitter » ; une commande "
        "sans fenêtre s'arrête sans laisser de fichier incomplet et rend 128 + le numéro du "
        "signal.\n");
    return text;
}

/// What is wrong with the arguments of the desktop application, or an empty text.
QString desktopArgumentProblem(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString name = arguments.at(i);
        if (name.startsWith(QLatin1StringView("--")) && name.size() > 2 && name.at(2) != u'-') {
            name.remove(0, 1);  // Qt takes its options with two dashes as well
        }
        const qsizetype equal = name.indexOf(u'=');
        const bool valueAttached = equal > 0;
        if (valueAttached) {
            name.truncate(equal);
        }
        const QtOption* known = nullptr;
        for (const QtOption& option : kQtOptions) {
            if (name == option.name) {
                known = &option;
            }
        }
        if (!known) {
            return QStringLiteral("Option inconnue : %1").arg(arguments.at(i));
        }
        if (!valueAttached && known->values > 0) {
            if (i + known->values >= arguments.size()) {
                return QStringLiteral("L'option %1 attend une valeur.").arg(arguments.at(i));
            }
            i += known->values;
        }
    }
    return QString();
}

bool hasDisplay(const QStringList& arguments) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(variable)) {
            return true;
        }
    }
    for (const QString& argument : arguments) {
        if (argument == QLatin1StringView("-platform") ||
            argument == QLatin1StringView("--platform") ||
            argument.startsWith(QLatin1StringView("-platform=")) ||
            argument.startsWith(QLatin1StringView("--platform="))) {
            return true;
        }
    }
    return false;
#else
    Q_UNUSED(arguments);
    return true;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything else, and above all before any thread starts.
    StopSignals::install();

    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (arguments.contains(QLatin1StringView("--help")) ||
        arguments.contains(QLatin1StringView("-h"))) {
        out << usage() << Qt::flush;
        return 0;
    }
    if (arguments.contains(QLatin1StringView("--version"))) {
        out << version() << Qt::endl;
        return 0;
    }

    for (const Mode& mode : kModes) {
        if (arguments.contains(mode.option)) {
            // No window, no display needed.
            QCoreApplication app(argc, argv);
            StopSignals::setAction([](int) { db::Connection::interruptAll(); });
            const int code = mode.run(arguments);
            if (const int signal = StopSignals::received()) {
                err << QStringLiteral("Arrêt demandé (signal %1) : la commande a été interrompue.")
                           .arg(signal)
                    << Qt::endl;
                return 128 + signal;
            }
            return code;
        }
    }

    const QString problem = desktopArgumentProblem(arguments);
    if (!problem.isEmpty()) {
        err << problem << "\n\n" << usage() << Qt::flush;
        return 2;
    }
    if (!hasDisplay(arguments)) {
        err << QStringLiteral(
                   "Aucun affichage disponible (ni DISPLAY ni WAYLAND_DISPLAY) : l'application ne "
                   "peut pas s'ouvrir ; ardoz --help donne les commandes sans fenêtre.")
            << Qt::endl;
        return 1;
    }
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Ardoz Prix de Transfert"));
    app.setApplicationVersion(QStringLiteral(ARDOZ_VERSION));
    // Each operations page's "Import Excel" runs the import wizard on the page's dataset.
    TFrmoperations::setImportExcel(AssistantImport::importerPage);
    return DesktopApplication::run(app);
}
