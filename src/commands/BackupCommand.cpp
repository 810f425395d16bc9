#include "commands/BackupCommand.h"

#include "commands/CommandLine.h"
#include "data/Configuration.h"
#include "data/DatabaseCreator.h"
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

QString BackupCommand::restoredDatabase(const QString& folder) {
    return DatabaseCreator::databaseIn(folder);
}

int BackupCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    return CommandLine::run(arguments, out, err);
}

int BackupCommand::execute(const CommandOptions& given, QTextStream& out, QTextStream& err) {
    const struct {
        QString backup;
        QString restore;
        QString database;
        QString folder;
    } options{given.value(u"--backup"), given.value(u"--restore"), given.value(u"--database"),
              given.positional().value(0)};
    ProgressPrinter printer(err);
    // The file in use gives the login even when --database names another base.
    const Configuration config = Configuration::find();
    const db::Credentials credentials = config.credentials();

    if (!options.backup.isEmpty()) {
        const QString database =
            options.database.isEmpty() ? config.databaseName() : options.database;
        const QFileInfo file(options.backup);
        if (!file.absoluteDir().exists()) {
            err << QStringLiteral("Le dossier %1 n'existe pas : la sauvegarde n'a pas été faite.")
                       .arg(QDir::toNativeSeparators(file.absolutePath()))
                << Qt::endl;
            return code(Exit::Failed);
        }
        try {
            db::BackupService::backup(database, file.absoluteFilePath(), credentials,
                                      std::ref(printer));
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
        db::BackupService::restore(file.absoluteFilePath(), database, credentials,
                                   std::ref(printer));
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
