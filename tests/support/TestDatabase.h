#pragma once

#include "data/TDataprix.h"
#include "db/Value.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>
#include <functional>
#include <memory>

/**
 * A fresh declaration database in a temporary folder, made by the same code as
 * `ardoz --create-database`, with a CheminBase.ini beside the folder structure
 * so that a data module started from `workFolder()` finds it.
 *
 * Layout: <tmp>/CheminBase.ini (Rep=<tmp>/db), <tmp>/db/TALMORIX.gdb, <tmp>/work.
 *
 * Two modes, so that the same tests run against both engines: embedded (the default), or
 * through the test server when the environment variable ARDOZ_TEST_SERVER names the state
 * folder of scripts/test-server.sh. In server mode every name handed to the program
 * (databasePath(), databaseFolder(), Rep) is "address:path"; the file itself is still in the
 * temporary folder (localDatabasePath()), on this machine. There the test server's own user
 * (not SYSDBA) creates the database and owns it, and every connection logs in as that user:
 * CheminBase.ini names it in Utilisateur and MotDePasse, and ISC_USER and ISC_PASSWORD are set
 * for the commands that a test runs on a --database from a folder without CheminBase.ini.
 */
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();

    bool isValid() const { return m_valid; }
    QString rootFolder() const { return m_dir.path(); }
    /// The folder that holds TALMORIX.gdb, as Rep names it ("address:folder" in server mode).
    QString databaseFolder() const;
    /// The name to connect to ("address:path" in server mode).
    QString databasePath() const;
    /// The database file on this machine.
    QString localDatabasePath() const;
    /// A folder whose parent holds CheminBase.ini: make it current before DataModuleCreate().
    QString workFolder() const;
    QString iniPath() const;

    /// A data module connected to this database (DataModuleCreate with iniPath()); the
    /// global Dataprix points at it while it lives.
    std::unique_ptr<TDataprix> openModule() const;

    /// Inserts a SOCIETE row through a separate connection and commits it.
    void addCompany(const QString& mfiscal, const QString& cle, int exercice,
                    const QString& raisonSociale) const;

    // Side connections: each call opens a connection and a transaction of its own, so that it
    // sees only what has been committed, whatever the program under test holds open.
    /// The first column of the first row of @p sql ("select count(*) ..."); -1 without a row.
    qint64 count(const QString& sql) const;
    /// Every row of @p sql.
    QVector<QVector<db::Value>> rows(const QString& sql) const;
    /// Runs @p statements in order, then commits them.
    void execute(const QStringList& statements) const;

    /// True when the tests run through the test server.
    static bool serverMode();
    /// The test server's address ("127.0.0.1/port"); empty in embedded mode.
    static QString serverAddress();
    /// The state folder of the test server; empty in embedded mode.
    static QString serverStateFolder();
    /// @p localPath as the program names it in the mode of the run.
    static QString connectionName(const QString& localPath);
    /// The login of the run: the test server's user in server mode, the default otherwise.
    static db::Credentials credentials();

private:
    /// Runs @p work in a transaction of a connection of its own; commits when @p commit.
    void onSideConnection(const std::function<void(db::Transaction&)>& work, bool commit) const;

    QTemporaryDir m_dir;
    bool m_valid = false;
};
