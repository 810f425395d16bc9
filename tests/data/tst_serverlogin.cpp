// Logging in to a server: the office's own user does everything, from creating the
// database to backing it up; a refused login is told in French, exits 3 and never shows a
// password. The whole program is run, as a script would, against the test server, whose
// SYSDBA password nobody knows.
#include "TestDatabase.h"
#include "db/Connection.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int code = -1;
    QString out;
    QString err;
    QString all() const { return out + err; }
};

/// The test server's address followed by @p localFolder.
QString onServer(const QString& localFolder) {
    return TestDatabase::serverAddress() + u':' + localFolder;
}

}  // namespace

class TestServerLogin : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

    /// Writes ROOT/CheminBase.ini with @p lines after [CheminBase].
    void writeIni(const QString& lines) {
        QFile ini(m_root.filePath(QStringLiteral("CheminBase.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(("[CheminBase]\n" + lines).toUtf8());
    }

    /// Runs ardoz from ROOT/work (so that ROOT/CheminBase.ini is the file in use), without
    /// Firebird's variables unless @p user is given.
    Run ardoz(const QStringList& arguments, const QString& user = QString(),
              const QString& password = QString()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("ISC_USER"));
        env.remove(QStringLiteral("ISC_PASSWORD"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (!user.isNull()) {
            env.insert(QStringLiteral("ISC_USER"), user);
            env.insert(QStringLiteral("ISC_PASSWORD"), password);
        }
        QDir(m_root.path()).mkpath(QStringLiteral("work"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_root.filePath(QStringLiteral("work")));
        p.start(QStringLiteral(ARDOZ_EXECUTABLE), arguments);
        Run r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    /// The owner of @p database's tables, asked as the test user.
    static QString owner(const QString& database) {
        db::Connection connection;
        connection.setDatabaseName(database);
        connection.setCredentials(TestDatabase::credentials());
        connection.open();
        db::Transaction transaction(connection);
        connection.setDefaultTransaction(&transaction);
        transaction.start();
        db::Statement select(transaction);
        select.prepare(QStringLiteral(
            "select RDB$OWNER_NAME from RDB$RELATIONS where RDB$RELATION_NAME = 'SOCIETE'"));
        select.execute();
        return select.fetch() ? select.row().at(0).toText().trimmed() : QString();
    }

    QString csv() {
        const QString path = m_root.filePath(QStringLiteral("lignes.csv"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(
                "MF;EX;LG;MAT;AUTRE;ETAT;TYPE;RAISON;NAT;AUTRES;ACHATS;VENTES\r\n"
                "X;2023;;0000001A;;FR;1;Fournisseur;1;;1 234,5;0\r\n");
        }
        return path;
    }

private slots:
    void initTestCase() {
        if (!TestDatabase::serverMode()) {
            QSKIP("Through the test server only (ctest runs it as tst_serverlogin_serveur).");
        }
        QVERIFY(m_root.isValid());
        QVERIFY(!TestDatabase::credentials().password.isEmpty());
    }

    void theOwnerDoesEverythingWithoutSysdba() {
        const db::Credentials login = TestDatabase::credentials();
        QVERIFY(login.user.compare(QStringLiteral("SYSDBA"), Qt::CaseInsensitive) != 0);
        const QString folder = m_root.filePath(QStringLiteral("base"));
        QVERIFY(QDir().mkpath(folder));
        writeIni(QStringLiteral("Rep=%1\nUtilisateur=%2\nMotDePasse=%3\n")
                     .arg(onServer(folder), login.user, login.password));

        // Created on the server, by the office's user, who owns it.
        Run r = ardoz({"--create-database", onServer(folder), "--demo"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QString database = onServer(folder) + QStringLiteral("/TALMORIX.gdb");
        QCOMPARE(r.out, database + u'\n');
        QCOMPARE(owner(database).toUpper(), login.user.toUpper());
        r = ardoz({"--create-database", onServer(folder)});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("existe déjà")), qPrintable(r.err));
        QCOMPARE(owner(database).toUpper(), login.user.toUpper());

        // Imported, generated and carried to the next year in the base of the file in use.
        r = ardoz({"--import", csv(), "--page", "1", "--company", "1234567A", "--year", "2023"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QString output = m_root.filePath(QStringLiteral("sortie"));
        QVERIFY(QDir().mkpath(output));
        r = ardoz({"--generate", "--company", "1234567A", "--year", "2023", "--output", output});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(r.out.trimmed()));

        // Backed up, then restored into a new base, which the same user owns and uses.
        const QString backup = m_root.filePath(QStringLiteral("copie.fbk"));
        r = ardoz({"--backup", backup});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QString second = m_root.filePath(QStringLiteral("restauree"));
        QVERIFY(QDir().mkpath(second));
        r = ardoz({"--restore", backup, onServer(second)});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QString restored = onServer(second) + QStringLiteral("/TALMORIX.gdb");
        QCOMPARE(owner(restored).toUpper(), login.user.toUpper());
        r = ardoz(
            {"--next-year", "--company", "1234567A", "--year", "2023", "--database", restored});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        r = ardoz({"--check", "--company", "1234567A", "--year", "2024", "--database", restored});
        QVERIFY2(r.code == 0 || r.code == 1, qPrintable(r.err));
        QVERIFY(!r.all().contains(login.password));
    }

    void firebirdsVariablesServeWhenTheFileNamesNoUser() {
        const db::Credentials login = TestDatabase::credentials();
        TestDatabase database;
        QVERIFY(database.isValid());
        writeIni(QStringLiteral("Rep=%1\n").arg(database.databaseFolder()));
        const QString backup = m_root.filePath(QStringLiteral("variables.fbk"));
        Run r = ardoz({"--backup", backup}, login.user, login.password);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFileInfo(backup).size() > 0);

        const QString wrong = QStringLiteral("Faux%1").arg(QRandomGenerator::global()->generate());
        r = ardoz({"--backup", backup}, login.user, wrong);
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains(
                     db::Connection::loginRefusedText(TestDatabase::serverAddress(), login.user)),
                 qPrintable(r.err));
        QVERIFY(!r.all().contains(wrong));
    }

    void aRefusedLoginIsToldInFrenchWithoutThePassword_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        // The program's built-in login, which the server must refuse: nothing in the file.
        QTest::newRow("SYSDBA d'origine")
            << QString() << QString::fromLatin1(db::Credentials::kDefaultPassword);
        QTest::newRow("mauvais mot de passe")
            << TestDatabase::credentials().user
            << QStringLiteral("Faux%1").arg(QRandomGenerator::global()->generate());
        QTest::newRow("utilisateur inconnu")
            << QStringLiteral("PERSONNE")
            << QStringLiteral("Secret%1").arg(QRandomGenerator::global()->generate());
    }

    void aRefusedLoginIsToldInFrenchWithoutThePassword() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2023, "ALPHA");
        QString keys = QStringLiteral("Rep=%1\n").arg(database.databaseFolder());
        if (!user.isEmpty()) {
            keys += QStringLiteral("Utilisateur=%1\nMotDePasse=%2\n").arg(user, password);
        }
        const QString refused = db::Connection::loginRefusedText(
            TestDatabase::serverAddress(), user.isEmpty() ? QStringLiteral("SYSDBA") : user);

        // A backup made by the owner (the file names no user yet), for the restore below.
        writeIni(QStringLiteral("Rep=%1\n").arg(database.databaseFolder()));
        const QString backup = m_root.filePath(QStringLiteral("refus.fbk"));
        QFile::remove(backup);
        const db::Credentials login = TestDatabase::credentials();
        QCOMPARE(ardoz({"--backup", backup, "--database", database.databasePath()}, login.user,
                       login.password)
                     .code,
                 0);
        writeIni(keys);

        const QString elsewhere = m_root.filePath(QStringLiteral("ailleurs"));
        QVERIFY(QDir().mkpath(elsewhere));
        const QList<QStringList> commands = {
            {"--generate", "--company", "1234567A", "--year", "2023", "--output", elsewhere},
            {"--check", "--company", "1234567A", "--year", "2023"},
            {"--import", csv(), "--page", "1", "--company", "1234567A", "--year", "2023"},
            {"--next-year", "--company", "1234567A", "--year", "2023"},
            {"--backup", m_root.filePath(QStringLiteral("jamais.fbk"))},
            {"--restore", backup, onServer(elsewhere)},
            {"--create-database", onServer(elsewhere)},
        };
        for (const QStringList& command : commands) {
            const Run r = ardoz(command);
            QVERIFY2(r.code == 3, qPrintable(command.constFirst() + u' ' + r.err));
            QVERIFY2(r.err.contains(refused), qPrintable(r.err));
            QVERIFY2(!r.all().contains(password), qPrintable(command.constFirst()));
        }
        QVERIFY(!QFile::exists(m_root.filePath(QStringLiteral("jamais.fbk"))));
        QVERIFY(QDir(elsewhere).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestServerLogin)
#include "tst_serverlogin.moc"
