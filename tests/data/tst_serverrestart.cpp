// The server stopped and started again while a desktop works: a French message meanwhile,
// the next opening of a list connects again, nothing posted is lost. The test runs a server
// of its own, so that stopping it disturbs no other test.
#include "TestDatabase.h"
#include "db/DatabaseError.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using db::DatabaseError;
using db::Value;

class TestServerRestart : public QObject {
    Q_OBJECT

    QTemporaryDir m_state;

    bool server(const QString& action) {
        QProcess script;
        script.start(QStringLiteral("bash"),
                     {QStringLiteral(TEST_SERVER_SCRIPT), action, m_state.path()});
        if (!script.waitForFinished(60000) || script.exitCode() != 0) {
            qWarning("%s", script.readAllStandardError().constData());
            return false;
        }
        return true;
    }

    QString address() {
        QFile file(QDir(m_state.path()).filePath(QStringLiteral("address")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed()
                                              : QString();
    }

    static DatabaseError::Kind failureOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const DatabaseError& e) {
            return e.kind();
        }
        return DatabaseError::Kind::Other;
    }

private slots:
    void cleanup() { server(QStringLiteral("stop")); }

    void aDesktopOutlivesARestartOfTheServer() {
        QVERIFY(server(QStringLiteral("start")));
        // The database of this server, made and reached as its test user (CheminBase.ini
        // names it); the user's password outlives the restart, SYSDBA's does not.
        qputenv("ARDOZ_TEST_SERVER", QFile::encodeName(m_state.path()));
        TestDatabase database;
        QVERIFY(database.isValid());
        QVERIFY(database.databasePath().startsWith(address() + u':'));

        TDataprix module;
        module.DataModuleCreate(database.iniPath());
        Dataset& societe = *module.societe;
        societe.open();
        societe.append();
        societe.setValue("MFISCAL", QStringLiteral("1234567"));
        societe.setValue("CLE", QStringLiteral("A"));
        societe.setValue("EXERCICE", 2023);
        societe.post();
        Dataset& lines = *module.montanttransactions;
        module.openForActiveCompany(lines);
        lines.append();
        lines.setValue("MATRICULEFISCAL", QStringLiteral("AVANT"));
        lines.post();

        // A line being typed when the server goes away.
        lines.append();
        lines.setValue("MATRICULEFISCAL", QStringLiteral("PENDANT"));
        QVERIFY(server(QStringLiteral("stop")));
        try {
            lines.post();
            QFAIL("a post reported as done without a server");
        } catch (const DatabaseError& e) {
            QCOMPARE(e.kind(), DatabaseError::Kind::ConnectionLost);
            QVERIFY2(e.text().startsWith(DatabaseError::connectionLostText()),
                     qPrintable(e.text()));
        }
        QCOMPARE(lines.state(), DatasetState::Insert);
        QCOMPARE(lines.value("MATRICULEFISCAL").toText(), "PENDANT");
        QCOMPARE(failureOf([&] { module.openForActiveCompany(*module.Empruntsprets); }),
                 DatabaseError::Kind::ConnectionLost);

        // Back: the line being typed is sent, and a list opens again.
        QVERIFY(server(QStringLiteral("start")));
        lines.post();
        module.openForActiveCompany(lines);
        QCOMPARE(lines.rowCount(), 2);
        QVERIFY(lines.locate({"MATRICULEFISCAL"}, {Value(QStringLiteral("AVANT"))}));
        QVERIFY(lines.locate({"MATRICULEFISCAL"}, {Value(QStringLiteral("PENDANT"))}));

        // Stopped and started again unnoticed: the first opening afterwards connects again.
        QVERIFY(server(QStringLiteral("stop")));
        QVERIFY(server(QStringLiteral("start")));
        module.openForActiveCompany(lines);
        QCOMPARE(lines.rowCount(), 2);
    }
};

QTEST_GUILESS_MAIN(TestServerRestart)
#include "tst_serverrestart.moc"
