#include "TestDatabase.h"

#include "data/DatabaseCreator.h"
#include "db/Connection.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFile>

TestDatabase::TestDatabase() {
    if (!m_dir.isValid()) {
        return;
    }
    QDir(m_dir.path()).mkpath(QStringLiteral("work"));
    DatabaseCreator::create(databaseFolder());
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
    return m_dir.filePath(QStringLiteral("db"));
}

QString TestDatabase::databasePath() const {
    return QDir(databaseFolder()).filePath(QStringLiteral("TALMORIX.gdb"));
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

void TestDatabase::addCompany(const QString& mfiscal, const QString& cle, int exercice,
                              const QString& raisonSociale) const {
    db::Connection connection;
    connection.setDatabaseName(databasePath());
    connection.open();
    db::Transaction transaction(connection);
    connection.setDefaultTransaction(&transaction);
    transaction.start();
    db::Statement insert(transaction);
    insert.prepare(QStringLiteral(
        "insert into SOCIETE (MFISCAL, CLE, EXERCICE, RAISONSOCIALE) values (:m, :c, :e, :r)"));
    insert.setParam(QStringLiteral("m"), mfiscal);
    insert.setParam(QStringLiteral("c"), cle);
    insert.setParam(QStringLiteral("e"), exercice);
    insert.setParam(QStringLiteral("r"), raisonSociale);
    insert.execute();
    transaction.commit();
}
