#include "db/BackupService.h"

#include "db/Connection.h"
#include "db/FbInternal.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <vector>

namespace db {

using namespace Firebird;

namespace {

// Each query waits at most this long for the service, so that progress keeps coming.
constexpr int kQueryTimeoutSeconds = 1;
constexpr unsigned kResultSize = 60000;
// Bytes of the backup file sent to a restore in one query.
constexpr unsigned kStdinChunk = 32000;

unsigned readLength(const unsigned char*& p, const unsigned char* end, unsigned size) {
    if (end - p < static_cast<std::ptrdiff_t>(size)) {
        throw DatabaseError(QStringLiteral("Réponse du service de sauvegarde illisible."));
    }
    unsigned value = 0;
    for (unsigned i = 0; i < size; ++i) {
        value |= static_cast<unsigned>(p[i]) << (8 * i);
    }
    p += size;
    return value;
}

/// One running service: attached, started, then read until it has nothing more to say.
class ServiceRun {
public:
    ServiceRun(const QString& server, const Credentials& credentials) {
        const QString service = server.isEmpty() ? QStringLiteral("service_mgr")
                                                 : server + QStringLiteral(":service_mgr");
        const QByteArray name = service.toLocal8Bit();
        m_service = fb::attach(service, credentials.user, [&](ThrowStatusWrapper& st) {
            IXpbBuilder* spb = fb::util()->getXpbBuilder(&st, IXpbBuilder::SPB_ATTACH, nullptr, 0);
            IProvider* provider = fb::master()->getDispatcher();
            IService* service = nullptr;
            try {
                spb->insertString(&st, isc_spb_user_name, credentials.user.toUtf8().constData());
                spb->insertString(&st, isc_spb_password, credentials.password.toUtf8().constData());
                if (!credentials.role.isEmpty()) {
                    spb->insertString(&st, isc_spb_sql_role_name,
                                      credentials.role.toUtf8().constData());
                }
                service = provider->attachServiceManager(
                    &st, name.constData(), spb->getBufferLength(&st), spb->getBuffer(&st));
            } catch (...) {
                spb->dispose();
                provider->release();
                throw;
            }
            spb->dispose();
            provider->release();
            return service;
        });
    }

    ~ServiceRun() {
        try {
            fb::call([&](ThrowStatusWrapper& st) { m_service->detach(&st); });
        } catch (const DatabaseError&) {
            m_service->release();
        }
    }

    ServiceRun(const ServiceRun&) = delete;
    ServiceRun& operator=(const ServiceRun&) = delete;

    template <typename Fill>
    void start(Fill&& fill) {
        fb::call([&](ThrowStatusWrapper& st) {
            IXpbBuilder* spb = fb::util()->getXpbBuilder(&st, IXpbBuilder::SPB_START, nullptr, 0);
            try {
                fill(st, spb);
                m_service->start(&st, spb->getBufferLength(&st), spb->getBuffer(&st));
            } catch (...) {
                spb->dispose();
                throw;
            }
            spb->dispose();
        });
    }

    struct Answer {
        QByteArray data;    // isc_info_svc_to_eof
        QStringList lines;  // isc_info_svc_line
        unsigned stdinWanted = 0;
        bool more = false;
    };

    /// Asks for @p items, sending @p input to a service that wanted it.
    Answer query(const std::vector<unsigned char>& items, const QByteArray* input) {
        std::vector<unsigned char> send = {isc_info_svc_timeout, 4, 0};
        for (int i = 0; i < 4; ++i) {
            send.push_back(static_cast<unsigned char>(kQueryTimeoutSeconds >> (8 * i)));
        }
        if (input) {
            // The backup file's bytes travel as a "line" sent to the service.
            send.push_back(isc_info_svc_line);
            send.push_back(static_cast<unsigned char>(input->size() & 0xff));
            send.push_back(static_cast<unsigned char>((input->size() >> 8) & 0xff));
            send.insert(send.end(), input->begin(), input->end());
        }
        send.push_back(isc_info_end);
        std::vector<unsigned char> result(kResultSize);
        fb::call([&](ThrowStatusWrapper& st) {
            m_service->query(&st, static_cast<unsigned>(send.size()), send.data(),
                             static_cast<unsigned>(items.size()), items.data(),
                             static_cast<unsigned>(result.size()), result.data());
        });
        Answer answer;
        const unsigned char* p = result.data();
        const unsigned char* const end = p + result.size();
        while (p < end && *p != isc_info_end) {
            switch (*p++) {
                case isc_info_svc_to_eof: {
                    const unsigned length = readLength(p, end, 2);
                    if (end - p < static_cast<std::ptrdiff_t>(length)) {
                        throw DatabaseError(
                            QStringLiteral("Réponse du service de sauvegarde illisible."));
                    }
                    answer.data.append(reinterpret_cast<const char*>(p), length);
                    p += length;
                    answer.more = answer.more || length > 0;
                    break;
                }
                case isc_info_svc_line: {
                    const unsigned length = readLength(p, end, 2);
                    if (end - p < static_cast<std::ptrdiff_t>(length)) {
                        throw DatabaseError(
                            QStringLiteral("Réponse du service de sauvegarde illisible."));
                    }
                    if (length > 0) {
                        answer.lines.append(QString::fromLocal8Bit(reinterpret_cast<const char*>(p),
                                                                   static_cast<qsizetype>(length)));
                        answer.more = true;
                    }
                    p += length;
                    break;
                }
                case isc_info_svc_stdin:
                    answer.stdinWanted = readLength(p, end, 4);
                    answer.more = answer.more || answer.stdinWanted > 0;
                    break;
                case isc_info_truncated:
                case isc_info_svc_timeout:
                case isc_info_data_not_ready:
                    answer.more = true;
                    break;
                default:
                    throw DatabaseError(
                        QStringLiteral("Réponse du service de sauvegarde illisible."));
            }
        }
        return answer;
    }

private:
    IService* m_service = nullptr;
};

}  // namespace

void BackupService::splitServer(const QString& name, QString& server, QString& path) {
    Connection::splitServer(name, server, path);
}

void BackupService::backup(const QString& database, const QString& backupFile,
                           const Credentials& credentials, const ProgressHandler& progress) {
    QString server;
    QString path;
    splitServer(database, server, path);
    QSaveFile out(backupFile);
    if (!out.open(QIODevice::WriteOnly)) {
        throw DatabaseError(QStringLiteral("Impossible d'écrire le fichier de sauvegarde %1 : %2")
                                .arg(QDir::toNativeSeparators(backupFile), out.errorString()));
    }
    ServiceRun run(server, credentials);
    const QByteArray dbName = path.toLocal8Bit();
    run.start([&](ThrowStatusWrapper& st, IXpbBuilder* spb) {
        spb->insertTag(&st, isc_action_svc_backup);
        spb->insertString(&st, isc_spb_dbname, dbName.constData());
        // The service writes the backup into its answers, not into a file of its machine.
        spb->insertString(&st, isc_spb_bkp_file, "stdout");
    });
    Progress state;
    for (;;) {
        const ServiceRun::Answer answer = run.query({isc_info_svc_to_eof}, nullptr);
        if (!answer.data.isEmpty()) {
            if (out.write(answer.data) != answer.data.size()) {
                throw DatabaseError(
                    QStringLiteral("Impossible d'écrire le fichier de sauvegarde %1 : %2")
                        .arg(QDir::toNativeSeparators(backupFile), out.errorString()));
            }
            state.bytesDone += answer.data.size();
            if (progress) {
                progress(state);
            }
        }
        if (!answer.more) {
            break;
        }
    }
    if (state.bytesDone == 0 || !out.commit()) {
        throw DatabaseError(QStringLiteral("La sauvegarde n'a pas pu être écrite dans %1 : %2")
                                .arg(QDir::toNativeSeparators(backupFile), out.errorString()));
    }
}

void BackupService::restore(const QString& backupFile, const QString& database,
                            const Credentials& credentials, const ProgressHandler& progress) {
    QString server;
    QString path;
    splitServer(database, server, path);
    if (server.isEmpty()) {
        if (QFileInfo::exists(path)) {
            throw TargetExists(QDir::toNativeSeparators(path));
        }
        QDir().mkpath(QFileInfo(path).absolutePath());
    }
    QFile in(backupFile);
    if (!in.open(QIODevice::ReadOnly)) {
        throw DatabaseError(QStringLiteral("Impossible de lire le fichier de sauvegarde %1 : %2")
                                .arg(QDir::toNativeSeparators(backupFile), in.errorString()));
    }
    try {
        restoreFrom(in, server, path, credentials, progress);
    } catch (const DatabaseError& e) {
        // The server says so in English ("database ... already exists. To replace it, use
        // the -REP switch"): the refusal is told as for a local file.
        if (!server.isEmpty() && e.text().contains(QLatin1StringView("already exists"))) {
            throw TargetExists(database);
        }
        throw;
    }
}

BackupService::TargetExists::TargetExists(const QString& path)
    : DatabaseError(QStringLiteral("Le fichier %1 existe déjà : une restauration crée toujours "
                                   "une nouvelle base et ne remplace jamais une base existante.")
                        .arg(path)) {}

void BackupService::restoreFrom(QFile& in, const QString& server, const QString& path,
                                const Credentials& credentials, const ProgressHandler& progress) {
    const QString backupFile = in.fileName();
    ServiceRun run(server, credentials);
    const QByteArray dbName = path.toLocal8Bit();
    run.start([&](ThrowStatusWrapper& st, IXpbBuilder* spb) {
        spb->insertTag(&st, isc_action_svc_restore);
        spb->insertString(&st, isc_spb_bkp_file, "stdin");
        spb->insertString(&st, isc_spb_dbname, dbName.constData());
        spb->insertTag(&st, isc_spb_verbose);
        // Create, never replace: a database already there makes the service fail.
        spb->insertInt(&st, isc_spb_options, isc_spb_res_create);
    });
    Progress state;
    state.bytesTotal = in.size();
    QByteArray chunk;
    bool sending = false;
    for (;;) {
        const ServiceRun::Answer answer =
            run.query({isc_info_svc_stdin, isc_info_svc_line}, sending ? &chunk : nullptr);
        sending = false;
        if (!answer.lines.isEmpty()) {
            state.line = answer.lines.constLast().trimmed();
        }
        if (answer.stdinWanted > 0) {
            chunk = in.read(std::min<qint64>(answer.stdinWanted, kStdinChunk));
            if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
                throw DatabaseError(
                    QStringLiteral("Impossible de lire le fichier de sauvegarde %1 : %2")
                        .arg(QDir::toNativeSeparators(backupFile), in.errorString()));
            }
            state.bytesDone += chunk.size();
            sending = true;  // an empty chunk tells the service the file has ended
        }
        if (progress && (answer.stdinWanted > 0 || !answer.lines.isEmpty())) {
            progress(state);
        }
        if (!answer.more && !sending) {
            break;
        }
    }
}

}  // namespace db
