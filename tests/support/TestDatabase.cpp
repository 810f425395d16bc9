#include "TestDatabase.h"

#include "data/DatabaseCreator.h"
#include "db/Connection.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

QString TestDatabase::serverStateFolder() {
    return qEnvironmentVariable("ARDOZ_TEST_SERVER");
}

bool TestDatabase::serverMode() {
    return !serverStateFolder().isEmpty();
}

QString TestDatabase::serverAddress() {
    if (!serverMode()) {
        return QString();
    }
    QFile file(QDir(serverStateFolder()).filePath(QStringLiteral("address")));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("No test server address in %s: start it with scripts/test-server.sh",
                 qPrintable(file.fileName()));
        return QString();
    }
    return QString::fromUtf8(file.readAll()).trimmed();
}

QString TestDatabase::connectionName(const QString& localPath) {
    return serverMode() ? serverAddress() + u':' + localPath : localPath;
}

namespace {

QString stateFile(const QString& name) {
    QFile file(QDir(TestDatabase::serverStateFolder()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

}  // namespace

db::Credentials TestDatabase::credentials() {
    db::Credentials credentials;
    if (serverMode()) {
        credentials.user = stateFile(QStringLiteral("test-user"));
        credentials.password = stateFile(QStringLiteral("test-password"));
    }
    return credentials;
}

TestDatabase::TestDatabase() {
    if (!m_dir.isValid() || (serverMode() && serverAddress().isEmpty())) {
        return;
    }
    QDir(m_dir.path()).mkpath(QStringLiteral("work"));
    const db::Credentials login = credentials();
    QString iniText = QStringLiteral("[CheminBase]\nRep=%1\nModelessexcel=%2\n")
                          .arg(databaseFolder(), rootFolder());
    if (serverMode()) {
        if (login.password.isEmpty()) {
            qWarning("No test user in %s: start the server with scripts/test-server.sh",
                     qPrintable(serverStateFolder()));
            return;
        }
        // The server makes the file, in a folder that must exist, for its owner.
        QDir(m_dir.path()).mkpath(QStringLiteral("db"));
        iniText +=
            QStringLiteral("Utilisateur=%1\nMotDePasse=%2\n").arg(login.user, login.password);
        qputenv("ISC_USER", login.user.toUtf8());
        qputenv("ISC_PASSWORD", login.password.toUtf8());
    }
    DatabaseCreator::create(databaseFolder(), login);
    QFile ini(iniPath());
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return;
    }
    ini.write(iniText.toUtf8());
    m_valid = true;
}

TestDatabase::~TestDatabase() = default;

QString TestDatabase::databaseFolder() const {
    return connectionName(m_dir.filePath(QStringLiteral("db")));
}

QString TestDatabase::databasePath() const {
    return connectionName(localDatabasePath());
}

QString TestDatabase::localDatabasePath() const {
    return QDir(m_dir.filePath(QStringLiteral("db"))).filePath(QStringLiteral("TALMORIX.gdb"));
}

QString TestDatabase::workFolder() const {
    return m_dir.filePath(QStringLiteral("work"));
}

QString TestDatabase::iniPath() const {
    return m_dir.filePath(QStringLiteral("CheminBase.ini"));
}

std::unique_ptr<TDataprix> TestDatabase::openModule() const {
    auto module = std::make_unique<TDataprix>();
    module->DataModuleCreate(iniPath());
    return module;
}

void TestDatabase::onSideConnection(const std::function<void(db::Transaction&)>& work,
                                    bool commit) const {
    db::Connection connection;
    connection.setDatabaseName(databasePath());
    connection.setCredentials(credentials());
    connection.open();
    db::Transaction transaction(connection);
    connection.setDefaultTransaction(&transaction);
    transaction.start();
    work(transaction);
    if (commit) {
        transaction.commit();
    }
}

void TestDatabase::addCompany(const QString& mfiscal, const QString& cle, int exercice,
                              const QString& raisonSociale) const {
    onSideConnection(
        [&](db::Transaction& transaction) {
            db::Statement insert(transaction);
            insert.prepare(
                QStringLiteral("insert into SOCIETE (MFISCAL, CLE, EXERCICE, "
                               "RAISONSOCIALE) values (:m, :c, :e, :r)"));
            insert.setParam(QStringLiteral("m"), mfiscal);
            insert.setParam(QStringLiteral("c"), cle);
            insert.setParam(QStringLiteral("e"), exercice);
            insert.setParam(QStringLiteral("r"), raisonSociale);
            insert.execute();
        },
        true);
}

qint64 TestDatabase::count(const QString& sql) const {
    const QVector<QVector<db::Value>> all = rows(sql);
    return all.isEmpty() ? -1 : all.constFirst().at(0).toInt();
}

QVector<QVector<db::Value>> TestDatabase::rows(const QString& sql) const {
    QVector<QVector<db::Value>> result;
    onSideConnection(
        [&](db::Transaction& transaction) {
            db::Statement query(transaction);
            query.prepare(sql);
            query.execute();
            while (query.fetch()) {
                result.append(query.row());
            }
        },
        false);
    return result;
}

void TestDatabase::execute(const QStringList& statements) const {
    onSideConnection(
        [&](db::Transaction& transaction) {
            for (const QString& sql : statements) {
                db::Statement statement(transaction);
                statement.prepare(sql);
                statement.execute();
            }
        },
        true);
}
