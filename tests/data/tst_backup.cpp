// Backup and restore through the services interface, from the command line.
#include "CommandResult.h"
#include "TestDatabase.h"
#include "commands/BackupCommand.h"
#include "data/DemoData.h"
#include "data/Schema.h"
#include "db/Statement.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextStream>

namespace {

using Result = CommandResult;

Result runCommand(const QStringList& options) {
    return runCaptured(BackupCommand::run, QStringList{QStringLiteral("ardoz")} + options);
}

/// Every row of every table of @p database, each table in the order of its key.
QStringList allRows(const QString& database) {
    db::Connection connection;
    connection.setDatabaseName(database);
    connection.setCredentials(TestDatabase::credentials());
    connection.open();
    db::Transaction transaction(connection);
    connection.setDefaultTransaction(&transaction);
    transaction.start();
    QStringList rows;
    for (const TableDef& table : Schema::tables()) {
        db::Statement select(transaction);
        select.prepare(QStringLiteral("select * from %1 order by %2")
                           .arg(table.name, table.key.join(QStringLiteral(", "))));
        select.execute();
        while (select.fetch()) {
            QStringList values;
            for (const db::Value& v : select.row()) {
                values.append(v.isNull() ? QStringLiteral("<null>") : v.toText());
            }
            rows.append(table.name + u'|' + values.join(u'|'));
        }
    }
    return rows;
}

}  // namespace

class TestBackup : public QObject {
    Q_OBJECT

private slots:
    void aRestoredBackupHoldsTheSameRows() {
        TestDatabase database;
        QVERIFY(database.isValid());
        {
            auto module = database.openModule();
            DemoData::fill(*module);
        }
        const QStringList before = allRows(database.databasePath());
        QVERIFY(before.size() > 100);

        QTemporaryDir elsewhere;
        const QString backup = elsewhere.filePath(QStringLiteral("sauvegarde.fbk"));
        Result r = runCommand({"--backup", backup, "--database", database.databasePath()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, QDir::toNativeSeparators(backup) + u'\n');
        QVERIFY(QFileInfo(backup).size() > 0);

        // A server writes into a folder that exists; a local restore makes it.
        if (TestDatabase::serverMode()) {
            QDir(elsewhere.path()).mkdir(QStringLiteral("restauree"));
        }
        const QString folder =
            TestDatabase::connectionName(elsewhere.filePath(QStringLiteral("restauree")));
        r = runCommand({"--restore", backup, folder});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Restauration : 100 %")), qPrintable(r.err));
        const QString restored = BackupCommand::restoredDatabase(folder);
        QCOMPARE(allRows(restored), before);

        // Never over an existing database.
        const QString file = elsewhere.filePath(QStringLiteral("restauree/TALMORIX.gdb"));
        const qint64 size = QFileInfo(file).size();
        r = runCommand({"--restore=" + backup, folder});
        QCOMPARE(r.code, int(BackupCommand::Exit::Failed));
        QVERIFY2(r.err.contains(QStringLiteral("existe déjà")), qPrintable(r.err));
        QCOMPARE(QFileInfo(file).size(), size);
        QCOMPARE(allRows(restored), before);
    }

    void theDatabaseOfCheminBaseIniByDefault() {
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2023, "ALPHA");
        const QString saved = QDir::currentPath();
        QDir::setCurrent(database.workFolder());
        const Result r = runCommand({"--backup=sauvegarde.fbk"});
        QDir::setCurrent(saved);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(QDir(database.workFolder()).filePath("sauvegarde.fbk")));
    }

    void failuresHaveTheirExitCodes() {
        QTemporaryDir folder;
        const QString backup = folder.filePath(QStringLiteral("x.fbk"));
        QCOMPARE(runCommand({"--backup"}).code, int(BackupCommand::Exit::Usage));
        QCOMPARE(runCommand({"--restore", backup}).code, int(BackupCommand::Exit::Usage));
        QCOMPARE(runCommand({"--backup", backup, "--vite"}).code, int(BackupCommand::Exit::Usage));
        QCOMPARE(runCommand({"--restore", backup, folder.path()}).code,
                 int(BackupCommand::Exit::Failed));
        const Result r = runCommand(
            {"--backup", backup, "--database",
             TestDatabase::connectionName(folder.filePath(QStringLiteral("absente.gdb")))});
        QCOMPARE(r.code, int(BackupCommand::Exit::DatabaseFailed));
        QVERIFY(!QFile::exists(backup));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
