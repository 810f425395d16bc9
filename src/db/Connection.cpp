#include "db/Connection.h"

#include "db/FbInternal.h"
#include "db/Transaction.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#ifdef Q_OS_UNIX
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <clocale>
#endif

namespace db {

using namespace Firebird;

namespace {

const QString kInterrupted =
    QStringLiteral("Opération interrompue : l'arrêt du programme a été demandé.");

// In the shared modes (SuperClassic, Classic) the engine takes only a shared lock on the
// file and the lock folder is what keeps processes apart: with a folder of its own, a process
// could write a file another one has open. There the administrator names the common folder.
const QString kSharedMode = QStringLiteral(
    "Firebird est configuré en mode partagé (ServerMode = %1) : les programmes qui ouvrent une "
    "même base doivent partager un dossier de verrous. Indiquez-le dans la variable "
    "d'environnement FIREBIRD_LOCK (par exemple /tmp/firebird).");

IXpbBuilder* makeDpb(ThrowStatusWrapper& st, const Credentials& credentials) {
    IXpbBuilder* dpb = fb::util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, credentials.user.toUtf8().constData());
    dpb->insertString(&st, isc_dpb_password, credentials.password.toUtf8().constData());
    if (!credentials.role.isEmpty()) {
        dpb->insertString(&st, isc_dpb_sql_role_name, credentials.role.toUtf8().constData());
    }
    dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
    // Qt gives file names in UTF-8 on every platform.
    dpb->insertTag(&st, isc_dpb_utf8_filename);
    return dpb;
}

// The open attachments, so that interruptAll() can reach them from another thread.
struct Registry {
    std::mutex mutex;
    std::vector<IAttachment*> attachments;
    std::atomic<bool> interrupted{false};
    QString lockFolder;
};

Registry& registry() {
    // Never destroyed: a stop signal may come while the process is exiting.
    static auto* r = new Registry;
    return *r;
}

void unregisterAttachment(IAttachment* attachment) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.attachments.erase(std::remove(r.attachments.begin(), r.attachments.end(), attachment),
                        r.attachments.end());
}

void cancel(IAttachment* attachment) {
    CheckStatusWrapper status(fb::master()->getStatus());
    attachment->cancelOperation(&status, fb_cancel_raise);
    status.dispose();
}

#ifdef Q_OS_UNIX

// The client converts a database name between the locale's character set and UTF-8, with
// a converter it makes once, from LC_CTYPE, at its first name. Under the POSIX locale (no
// locale at all) or a locale that is not installed that set is ASCII and an "é" fails with
// "Cannot transliterate character between character sets". The calls that hand over a name
// therefore run with a UTF-8 LC_CTYPE on their own thread; the rest of the process keeps
// its locale.
class Utf8Names {
public:
    Utf8Names() {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
            m_utf8 = newlocale(LC_CTYPE_MASK, name, locale_t(nullptr));
            if (m_utf8) {
                m_previous = uselocale(m_utf8);
                return;
            }
        }
    }
    ~Utf8Names() {
        if (m_utf8) {
            uselocale(m_previous);
            freelocale(m_utf8);
        }
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

private:
    locale_t m_utf8 = locale_t(nullptr);
    locale_t m_previous = locale_t(nullptr);
};

bool isPrivateFolder(const QByteArray& path) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QString serverMode() {
    IFirebirdConf* conf = fb::master()->getConfigManager()->getFirebirdConf();
    const char* mode = conf->asString(conf->getKey("ServerMode"));
    const QString value = QString::fromUtf8(mode ? mode : "").trimmed();
    conf->release();
    return value;
}

bool engineRunsSuper() {
    const QString mode = serverMode().toLower();
    return mode.isEmpty() || mode == QLatin1StringView("super") ||
           mode == QLatin1StringView("threadeddedicated");
}

// The embedded engine keeps its lock tables in one folder, /tmp/firebird by default, which
// the first account to use it creates for itself and its group: any other account is then
// refused ("operating system directive access failed"). Each account gets a folder of its
// own instead, unless FIREBIRD_LOCK names one. This coordinates nothing away: in the default
// Super mode the engine holds an exclusive lock on the database file itself, so a second
// process, of any account and whatever its lock folder, is refused the file ("Database
// already opened with engine instance, incompatible with current").
// The engine reads the variable when it first reads its configuration: it is set before.
QString chooseLockFolder(bool& own) {
    own = false;
    if (qEnvironmentVariableIsSet("FIREBIRD_LOCK")) {
        return qEnvironmentVariable("FIREBIRD_LOCK");
    }
    const QString standard = QStringLiteral("/tmp/firebird");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray folder = isPrivateFolder(runtime)
                                  ? runtime + "/firebird"
                                  : "/tmp/firebird-" + QByteArray::number(::geteuid());
    ::mkdir(folder.constData(), 0700);
    if (!isPrivateFolder(folder)) {
        return standard;
    }
    qputenv("FIREBIRD_LOCK", folder);
    own = true;
    return QFile::decodeName(folder);
}

QString sharedMode() {
    return engineRunsSuper() ? QString() : serverMode();
}

#else

struct Utf8Names {};

QString chooseLockFolder(bool& own) {
    own = false;
    return QString();
}

QString sharedMode() {
    return QString();
}

#endif

// Everything the client needs before a database name is handed over.
class ClientCall {
public:
    explicit ClientCall(const QString& databaseName) {
        // Empty, or the shared mode that forbids the folder chosen.
        static const QString refused = [] {
            bool own = false;
            registry().lockFolder = chooseLockFolder(own);
            return own ? sharedMode() : QString();
        }();
        // A name "host:path" goes to a server, whose lock folder is its own affair.
        const qsizetype colon = databaseName.indexOf(u':');
        const qsizetype slash = databaseName.indexOf(u'/');
        const bool local = colon < 0 || (slash >= 0 && slash < colon);
        if (!refused.isEmpty() && local) {
            throw DatabaseError(kSharedMode.arg(refused));
        }
        Connection::checkInterrupted();
    }

private:
    Utf8Names m_names;
};

}  // namespace

Connection::Connection() = default;

Connection::~Connection() {
    close();
}

void Connection::open() {
    if (m_attachment) {
        return;
    }
    const ClientCall client(m_databaseName);
    const QByteArray name = m_databaseName.toUtf8();
    m_attachment = fb::attach(m_databaseName, m_credentials.user, [&](ThrowStatusWrapper& st) {
        IXpbBuilder* dpb = makeDpb(st, m_credentials);
        IProvider* provider = fb::master()->getDispatcher();
        IAttachment* att = nullptr;
        try {
            att = provider->attachDatabase(&st, name.constData(), dpb->getBufferLength(&st),
                                           dpb->getBuffer(&st));
        } catch (...) {
            dpb->dispose();
            provider->release();
            throw;
        }
        dpb->dispose();
        provider->release();
        return att;
    });
    ++m_generation;
    m_lost = false;
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.attachments.push_back(m_attachment);
    if (r.interrupted) {
        cancel(m_attachment);
    }
}

void Connection::close() {
    if (!m_attachment) {
        return;
    }
    unregisterAttachment(m_attachment);
    if (m_defaultTransaction && m_defaultTransaction->isActive()) {
        try {
            m_defaultTransaction->commit();
        } catch (const DatabaseError&) {
            // The engine rolls back what it could not commit when it detaches; nothing
            // else can be done on the way out.
            m_defaultTransaction->rollback();
        }
    }
    if (!m_attachment) {
        return;  // lost while committing
    }
    if (m_defaultTransaction) {
        // Its handle belongs to the attachment about to go.
        m_defaultTransaction->abandon();
    }
    try {
        fb::call([&](ThrowStatusWrapper& st) { m_attachment->detach(&st); });
    } catch (const DatabaseError&) {
        m_attachment->release();
    }
    m_attachment = nullptr;
}

void Connection::dropLostAttachment() {
    if (!m_attachment) {
        return;
    }
    // A stop signal must not cancel an attachment that is no longer there.
    unregisterAttachment(m_attachment);
    m_attachment->release();
    m_attachment = nullptr;
    m_lost = true;
}

void Connection::dropDatabase() {
    if (!m_attachment) {
        return;
    }
    unregisterAttachment(m_attachment);
    if (m_defaultTransaction) {
        m_defaultTransaction->rollback();
        if (m_defaultTransaction) {
            m_defaultTransaction->abandon();
        }
    }
    IAttachment* attachment = m_attachment;
    m_attachment = nullptr;
    try {
        // On success the attachment is gone with its database.
        fb::call([&](ThrowStatusWrapper& st) { attachment->dropDatabase(&st); });
    } catch (const DatabaseError&) {
        attachment->release();
        throw;
    }
}

void Connection::splitServer(const QString& name, QString& server, QString& path) {
    const qsizetype colon = name.indexOf(u':');
    const QString prefix = name.left(colon);
    // "C:\..." is a drive, "/a:b" a local path: a server name is longer than one letter and
    // does not begin a path.
    if (colon > 1 && !prefix.startsWith(u'/') && !prefix.startsWith(u'.') &&
        !prefix.contains(u'\\')) {
        server = prefix;
        path = name.mid(colon + 1);
    } else {
        server.clear();
        path = name;
    }
}

QString Connection::loginRefusedText(const QString& server, const QString& user) {
    return QStringLiteral(
               "Le serveur « %1 » refuse l'utilisateur « %2 » : mot de passe incorrect ou "
               "utilisateur inconnu.")
        .arg(server.isEmpty() ? QStringLiteral("localhost") : server, user);
}

void Connection::createDatabase(const QString& path, const Credentials& credentials) {
    const ClientCall client(path);
    const QByteArray name = path.toUtf8();
    fb::attach(path, credentials.user, [&](ThrowStatusWrapper& st) {
        IXpbBuilder* dpb = makeDpb(st, credentials);
        dpb->insertInt(&st, isc_dpb_page_size, 8192);
        dpb->insertString(&st, isc_dpb_set_db_charset, "WIN1252");
        IProvider* provider = fb::master()->getDispatcher();
        try {
            IAttachment* att = provider->createDatabase(
                &st, name.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
            att->detach(&st);
        } catch (...) {
            dpb->dispose();
            provider->release();
            throw;
        }
        dpb->dispose();
        provider->release();
    });
}

void Connection::interruptAll() {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    r.interrupted = true;
    for (IAttachment* attachment : r.attachments) {
        cancel(attachment);
    }
}

bool Connection::isInterrupted() {
    return registry().interrupted;
}

void Connection::checkInterrupted() {
    if (registry().interrupted) {
        throw DatabaseError(kInterrupted);
    }
}

QString Connection::lockFolder() {
    return registry().lockFolder;
}

}  // namespace db
