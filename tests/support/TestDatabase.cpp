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

TestDatabase::TestDatabase() {
    if (!m_dir.isValid() || (serverMode() && serverAddress().isEmpty())) {
        return;
    }
    QDir(m_dir.path()).mkpath(QStringLiteral("work"));
    // Made by the embedded engine, which lets the file go when it detaches: the server may
    // open it then.
    DatabaseCreator::create(m_dir.filePath(QStringLiteral("db")));
    QFile ini(iniPath());
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return;
    }
    ini.write(QStringLiteral("[CheminBase]\nRep=%1\nModelessexcel=%2\n")
                  .arg(databaseFolder(), rootFolder())
                  .toUtf8());
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
