#include "data/CodeLists.h"
#include "data/Configuration.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

class TestConfiguration : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QByteArray& content) {
        const QString path = m_dir.filePath(QStringLiteral("CheminBase.ini"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
        return path;
    }

private slots:
    void missingFileGivesTheDefaultTexts() {
        const Configuration c = Configuration::read(m_dir.filePath(QStringLiteral("absent.ini")));
        QCOMPARE(c.rep, QString::fromUtf16(u"Vérifier le chemin de la base!"));
        QCOMPARE(c.modelesExcel, QString::fromUtf16(u"Répertoire excel non défini!"));
        QCOMPARE(c.databaseName(), QString::fromUtf16(u"Vérifier le chemin de la base!") +
                                       QDir::separator() + "TALMORIX.gdb");
    }

    void blanksAroundTheEqualsSignAreDropped() {
        const Configuration c = Configuration::read(
            write("[CheminBase]\r\nRep  =   /srv/ardoz   \r\nModelessexcel= /x \r\n"));
        QCOMPARE(c.rep, "/srv/ardoz");
        QCOMPARE(c.modelesExcel, "/x");
        QCOMPARE(c.databaseName(), "/srv/ardoz/TALMORIX.gdb");
    }

    void sectionAndKeyMatchWithoutCase() {
        const Configuration c = Configuration::read(write("[CHEMINBASE]\nREP=localhost:/srv/db\n"));
        QCOMPARE(c.rep, "localhost:/srv/db");
        QCOMPARE(c.databaseName(), "localhost:/srv/db/TALMORIX.gdb");
    }

    void missingModelessexcelKeepsItsDefault() {
        const Configuration c = Configuration::read(write("[CheminBase]\nRep=/data\n"));
        QCOMPARE(c.rep, "/data");
        QCOMPARE(c.modelesExcel, QString::fromUtf16(u"Répertoire excel non défini!"));
    }

    void otherSectionsAreIgnoredAndValuesAreCapped() {
        const QByteArray longValue(3000, 'x');
        const Configuration c = Configuration::read(
            write("[Autre]\nRep=/wrong\n[CheminBase]\nRep=" + longValue + "\n"));
        QCOMPARE(c.rep.size(), 2047);
    }

    void theServerLoginComesFromTheFileThenTheEnvironmentThenTheDefault() {
        // The environment of the run, put back afterwards.
        const QByteArray savedUser = qgetenv("ISC_USER");
        const QByteArray savedPassword = qgetenv("ISC_PASSWORD");
        const bool hadUser = qEnvironmentVariableIsSet("ISC_USER");
        const bool hadPassword = qEnvironmentVariableIsSet("ISC_PASSWORD");
        auto restore = qScopeGuard([&] {
            hadUser ? qputenv("ISC_USER", savedUser) : qunsetenv("ISC_USER");
            hadPassword ? qputenv("ISC_PASSWORD", savedPassword) : qunsetenv("ISC_PASSWORD");
        });
        const QString withKeys = write(
            "[Autre]\nUtilisateur=FAUX\n[CheminBase]\nRep=serveur:/srv/db\n"
            "  utilisateur =  ardoz  \nMOTDEPASSE= s3cret;#=x \nRole=COMPTABLE\n"
            "Utilisateur=SECOND\nMotDePasse=second\n");
        const QString withoutKeys = m_dir.filePath(QStringLiteral("sans.ini"));
        {
            QFile f(withoutKeys);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[CheminBase]\nRep=serveur:/srv/db\n");
        }

        // 1. The file's keys, the first occurrence of each, win over the environment.
        qputenv("ISC_USER", "ENVUSER");
        qputenv("ISC_PASSWORD", "envpass");
        db::Credentials c = Configuration::read(withKeys).credentials();
        QCOMPARE(c.user, "ardoz");
        QCOMPARE(c.password, "s3cret;#=x");
        QCOMPARE(c.role, "COMPTABLE");

        // 2. Without them, Firebird's variables; no role.
        c = Configuration::read(withoutKeys).credentials();
        QCOMPARE(c.user, "ENVUSER");
        QCOMPARE(c.password, "envpass");
        QCOMPARE(c.role, QString());

        // 3. Without either, the program's historical login.
        qunsetenv("ISC_USER");
        qunsetenv("ISC_PASSWORD");
        c = Configuration::read(withoutKeys).credentials();
        QCOMPARE(c, db::Credentials());
        QCOMPARE(c.user, "SYSDBA");
        QCOMPARE(Configuration::read(m_dir.filePath(QStringLiteral("absent.ini"))).credentials(),
                 db::Credentials());

        // A source is taken whole: a password alone logs in as SYSDBA, never mixed with
        // the next source's user; a user alone has an empty password.
        qputenv("ISC_USER", "ENVUSER");
        c = Configuration::read(write("[CheminBase]\nMotDePasse=seul\n")).credentials();
        QCOMPARE(c.user, "SYSDBA");
        QCOMPARE(c.password, "seul");
        qunsetenv("ISC_USER");
        qputenv("ISC_PASSWORD", "envpass");
        c = Configuration::read(write("[CheminBase]\nUtilisateur=ardoz\n")).credentials();
        QCOMPARE(c.user, "ardoz");
        QCOMPARE(c.password, QString());
    }

    void defaultPathIsInTheParentOfTheWorkingFolder() {
        const QString before = QDir::currentPath();
        QDir(m_dir.path()).mkpath(QStringLiteral("a/b"));
        QDir::setCurrent(m_dir.filePath(QStringLiteral("a/b")));
        QCOMPARE(QFileInfo(Configuration::defaultPath()).absoluteFilePath(),
                 QFileInfo(m_dir.filePath(QStringLiteral("a/CheminBase.ini"))).absoluteFilePath());
        QDir::setCurrent(before);
    }

    void theFirstFileFoundOfTheThreePlacesIsRead() {
        // The working folder a/work, the user's configuration folder and the system folder,
        // each in the test's own folder.
        QTemporaryDir places;
        const QDir root(places.path());
        QVERIFY(root.mkpath(QStringLiteral("a/work")));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root.filePath(QStringLiteral("a/work"))));
        qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
        qputenv(Configuration::kSystemFolderVariable,
                root.filePath(QStringLiteral("etc")).toUtf8());
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(Configuration::kApplicationName);
        auto restore = qScopeGuard([&] {
            QDir::setCurrent(before);
            QCoreApplication::setApplicationName(name);
            qunsetenv("XDG_CONFIG_HOME");
            qunsetenv(Configuration::kSystemFolderVariable);
        });

        const QString beside = root.filePath(QStringLiteral("a/CheminBase.ini"));
        const QString user =
            root.filePath(QStringLiteral("config/Ardoz Prix de Transfert/CheminBase.ini"));
        const QString system = root.filePath(QStringLiteral("etc/CheminBase.ini"));
        auto same = [](const QString& a, const QString& b) {
            return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
        };
        QCOMPARE(Configuration::searchPaths().size(), 3);
        QVERIFY(same(Configuration::searchPaths().at(0), beside));
        QVERIFY(same(Configuration::searchPaths().at(1), user));
        QVERIFY(same(Configuration::searchPaths().at(2), system));
        qunsetenv(Configuration::kSystemFolderVariable);
        QCOMPARE(Configuration::systemPath(), QStringLiteral("/etc/ardoz/CheminBase.ini"));
        qputenv(Configuration::kSystemFolderVariable,
                root.filePath(QStringLiteral("etc")).toUtf8());

        // None found: no path, and the defaults of a missing file.
        QVERIFY(Configuration::findPath().isEmpty());
        QCOMPARE(Configuration::find().rep, Configuration::kDefaultRep);

        // Each written file is the one read, until one earlier in the order appears.
        auto put = [](const QString& path, const QByteArray& rep) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write("[CheminBase]\nRep=" + rep + "\n") > 0;
        };
        QVERIFY(put(system, "/etc-base"));
        QVERIFY(same(Configuration::findPath(), system));
        QCOMPARE(Configuration::find().rep, "/etc-base");
        QVERIFY(put(user, "/user-base"));
        QVERIFY(same(Configuration::findPath(), user));
        QCOMPARE(Configuration::find().rep, "/user-base");
        QVERIFY(put(beside, "/beside-base"));
        QVERIFY(same(Configuration::findPath(), beside));
        QCOMPARE(Configuration::find().rep, "/beside-base");
        // A folder of that name is not a file.
        QVERIFY(QFile::remove(beside));
        QVERIFY(QDir().mkpath(beside));
        QVERIFY(same(Configuration::findPath(), user));
    }

    void aWrittenFileIsReadBackAndNeverReplaced() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nouveau/CheminBase.ini"));
        const QString folder = QStringLiteral("/home/comptable/Ardoz élève");
        QVERIFY(Configuration::writeNew(path, folder).isEmpty());
        const Configuration written = Configuration::read(path);
        QCOMPARE(written.rep, folder);
        QCOMPARE(written.modelesExcel, folder);
        QCOMPARE(written.databaseName(), folder + QStringLiteral("/TALMORIX.gdb"));
        // Readable by its user alone, like the file that will hold a server password.
        QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::WriteGroup |
                                             QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());

        const QString refused = Configuration::writeNew(path, QStringLiteral("/ailleurs"));
        QVERIFY2(refused.contains(QStringLiteral("existe déjà")), qPrintable(refused));
        QCOMPARE(Configuration::read(path).rep, folder);

        // Beneath a file no folder can be made, whoever the account.
        QVERIFY(QFile(dir.filePath(QStringLiteral("fichier"))).open(QIODevice::WriteOnly));
        const QString beneath = dir.filePath(QStringLiteral("fichier/CheminBase.ini"));
        QVERIFY(!Configuration::writeNew(beneath, folder).isEmpty());
        QVERIFY(!QFileInfo::exists(beneath));
        QVERIFY(!Configuration::writeNew(dir.filePath(QStringLiteral("autre.ini")),
                                         QStringLiteral("/a\nRep=/b"))
                     .isEmpty());
    }

    void storedCodesFollowTheColumnWidth() {
        auto code = [](const QString& text, int width) {
            return CodeLists::storedCode(text, width).toText();
        };
        QCOMPARE(code(CodeLists::ListeQualite().at(4), 1), "5");
        QCOMPARE(code(CodeLists::ListeChangementMethode().at(1), 4), "MPR ");
        QCOMPARE(code(CodeLists::ListeMethode().at(1), 4), "MPR ");
        QCOMPARE(code(CodeLists::ListeMethode().at(4), 4), "MPB ");
        QCOMPARE(code(QStringLiteral("Filiale"), 1), "F");
        QCOMPARE(code(QStringLiteral("Non"), 3), "Non");
        QCOMPARE(code(QStringLiteral("Non"), 1), "N");
        QCOMPARE(code(CodeLists::ListeNatureActif().at(9), 2), "10");
        QCOMPARE(code(CodeLists::ListeNatureActif().at(0), 2), "01");
        QCOMPARE(code(CodeLists::ListeNatureRelationCourt().at(2), 1), "3");
        QVERIFY(CodeLists::storedCode(QString(), 3).isNull());
        const QStringList cinq = CodeLists::ListesNatureOperation(QStringLiteral("5"));
        QCOMPARE(cinq.size(), 6);
        QCOMPARE(cinq.at(2), "3::Fonds de commerce");
        QCOMPARE(code(cinq.at(2), 1), "3");
        QVERIFY(CodeLists::ListesNatureOperation(QStringLiteral("7")).isEmpty());
        QVERIFY(CodeLists::natureValide(QStringLiteral("6"), QStringLiteral("2")));
        QVERIFY(!CodeLists::natureValide(QStringLiteral("6"), QStringLiteral("3")));
        QCOMPARE(CodeLists::ListeCle().join(QString()), "ABCDEFGHJKLMNPQRSTVWXYZ");
        QCOMPARE(CodeLists::ListeTypeMontantInfobulle().size(), 6);
    }
};

QTEST_GUILESS_MAIN(TestConfiguration)
#include "tst_configuration.moc"
