#include "commands/BackupCommand.h"

#include "commands/SocieteCommand.h"

#include "data/Configuration.h"
#include "db/BackupService.h"
#include "db/DatabaseError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

int code(BackupCommand::Exit exit) {
    return static_cast<int>(exit);
}

struct Options {
    QString backup;
    QString restore;
    QString database;
    QString folder;
};

/// Reads the options; returns the French reason when the command line cannot be used.
QString parse(const QStringList& arguments, Options& options) {
    QStringList positional;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        QString name = argument;
        QString value;
        bool hasValue = false;
        const qsizetype equal = argument.indexOf(u'=');
        if (argument.startsWith(QLatin1StringView("--")) && equal > 2) {
            name = argument.left(equal);
            value = argument.mid(equal + 1);
            hasValue = true;
        }
        QString* target = nullptr;
        if (name == QLatin1StringView("--backup")) {
            target = &options.backup;
        } else if (name == QLatin1StringView("--restore")) {
            target = &options.restore;
        } else if (name == QLatin1StringView("--database")) {
            target = &options.database;
        } else if (!argument.startsWith(QLatin1StringView("--"))) {
            positional.append(argument);
            continue;
        } else {
            return QStringLiteral("Option inconnue : %1.").arg(argument);
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                return QStringLiteral("L'option %1 attend une valeur.").arg(name);
            }
            value = arguments.at(++i);
        }
        *target = value;
    }
    if (options.backup.isEmpty() == options.restore.isEmpty()) {
        return QStringLiteral("Indiquez soit --backup FICHIER, soit --restore FICHIER DOSSIER.");
    }
    if (!options.restore.isEmpty()) {
        if (positional.size() != 1) {
            return QStringLiteral(
                "Le dossier de la nouvelle base manque (--restore FICHIER "
                "DOSSIER).");
        }
        if (!options.database.isEmpty()) {
            return QStringLiteral("--database ne s'emploie qu'avec --backup.");
        }
        options.folder = positional.first();
    } else if (!positional.isEmpty()) {
        return QStringLiteral("Argument inattendu : %1.").arg(positional.first());
    }
    return QString();
}

/// Progress on standard error, a line now and then.
class ProgressPrinter {
public:
    explicit ProgressPrinter(QTextStream& err) : m_err(err) {}

    void operator()(const db::BackupService::Progress& p) {
        if (p.bytesTotal > 0) {
            const int percent = int(p.bytesDone * 100 / p.bytesTotal);
            if (percent >= m_next) {
                m_err << QStringLiteral("Restauration : %1 %").arg(percent) << Qt::endl;
                m_next = (percent / 10 + 1) * 10;
            }
        } else if (p.bytesDone >= m_nextBytes) {
            m_err << QStringLiteral("Sauvegarde : %1 Mo écrits").arg(p.bytesDone >> 20) << Qt::endl;
            m_nextBytes = ((p.bytesDone >> 22) + 1) << 22;
        }
    }

private:
    QTextStream& m_err;
    int m_next = 10;
    qint64 m_nextBytes = qint64(4) << 20;
};

}  // namespace

bool BackupCommand::handles(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString name = arguments.at(i).section(u'=', 0, 0);
        if (name == QLatin1StringView("--backup") || name == QLatin1StringView("--restore")) {
            return true;
        }
    }
    return false;
}

QString BackupCommand::usage() {
    return QStringLiteral(
        "Usage : ardoz --backup FICHIER.fbk [--database BASE]\n"
        "        ardoz --restore FICHIER.fbk DOSSIER");
}

QString BackupCommand::restoredDatabase(const QString& folder) {
    QString server;
    QString path;
    db::BackupService::splitServer(folder, server, path);
    if (server.isEmpty()) {
        return QDir(folder).absoluteFilePath(QStringLiteral("TALMORIX.gdb"));
    }
    if (!path.endsWith(u'/') && !path.endsWith(u'\\')) {
        path += u'/';
    }
    return server + u':' + path + QStringLiteral("TALMORIX.gdb");
}

int BackupCommand::run(const QStringList& arguments) {
    return SocieteCommand::surFluxStandard(
        [&arguments](QTextStream& out, QTextStream& err) { return run(arguments, out, err); });
}

int BackupCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Options options;
    const QString problem = parse(arguments, options);
    if (!problem.isEmpty()) {
        err << problem << '\n' << usage() << Qt::endl;
        return code(Exit::Usage);
    }
    ProgressPrinter printer(err);

    if (!options.backup.isEmpty()) {
        const QString database =
            options.database.isEmpty()
                ? Configuration::read(Configuration::defaultPath()).databaseName()
                : options.database;
        const QFileInfo file(options.backup);
        if (!file.absoluteDir().exists()) {
            err << QStringLiteral("Le dossier %1 n'existe pas : la sauvegarde n'a pas été faite.")
                       .arg(QDir::toNativeSeparators(file.absolutePath()))
                << Qt::endl;
            return code(Exit::Failed);
        }
        try {
            db::BackupService::backup(database, file.absoluteFilePath(), std::ref(printer));
        } catch (const db::DatabaseError& e) {
            err << QStringLiteral("Sauvegarde de %1 impossible : %2").arg(database, e.text())
                << Qt::endl;
            // The backup file is checked first: what fails afterwards is the database's.
            return code(QFileInfo(file.absolutePath()).isWritable() ? Exit::DatabaseFailed
                                                                    : Exit::Failed);
        }
        out << QDir::toNativeSeparators(file.absoluteFilePath()) << Qt::endl;
        return code(Exit::Success);
    }

    const QFileInfo file(options.restore);
    if (!file.isFile() || !file.isReadable()) {
        err << QStringLiteral("Le fichier de sauvegarde %1 est introuvable ou illisible.")
                   .arg(QDir::toNativeSeparators(file.absoluteFilePath()))
            << Qt::endl;
        return code(Exit::Failed);
    }
    const QString database = restoredDatabase(options.folder);
    QString server;
    QString path;
    db::BackupService::splitServer(database, server, path);
    try {
        db::BackupService::restore(file.absoluteFilePath(), database, std::ref(printer));
    } catch (const db::BackupService::TargetExists& e) {
        err << e.text() << Qt::endl;
        return code(Exit::Failed);
    } catch (const db::DatabaseError& e) {
        err << QStringLiteral("Restauration dans %1 impossible : %2").arg(database, e.text())
            << Qt::endl;
        return code(Exit::DatabaseFailed);
    }
    out << (server.isEmpty() ? QDir::toNativeSeparators(database) : database) << Qt::endl;
    return code(Exit::Success);
}
