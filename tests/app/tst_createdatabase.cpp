#include "data/TDataprix.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCreateDatabase : public QObject {
    Q_OBJECT

    static int run(const QStringList& arguments, QByteArray* out = nullptr,
                   QByteArray* err = nullptr) {
        QProcess p;
        p.start(QStringLiteral(ARDOZ_EXECUTABLE), arguments);
        p.waitForFinished(120000);
        if (out) {
            *out = p.readAllStandardOutput();
        }
        if (err) {
            *err = p.readAllStandardError();
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

private slots:
    void createsTheDatabaseAndPrintsItsPath() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("nouveau/dossier"));
        QByteArray out;
        QCOMPARE(run({QStringLiteral("--create-database"), folder}, &out), 0);
        const QString path = folder + QStringLiteral("/TALMORIX.gdb");
        QCOMPARE(QString::fromLocal8Bit(out).trimmed(), path);
        QVERIFY(QFile::exists(path));

        TDataprix module;
        module.connectTo(path);
        module.societe->open();
        QCOMPARE(module.societe->rowCount(), 0);
        module.Etatterritorial->open();
        module.Etatterritorial->fetchAll();
        QCOMPARE(module.Etatterritorial->rowCount(), 252);
    }

    void refusesAnExistingFileAndLeavesItUntouched() {
        QTemporaryDir dir;
        QFile existing(dir.filePath(QStringLiteral("TALMORIX.gdb")));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("pas une base");
        existing.close();
        QByteArray err;
        QVERIFY(run({QStringLiteral("--create-database"), dir.path()}, nullptr, &err) != 0);
        QVERIFY2(QString::fromLocal8Bit(err).contains(QString::fromUtf16(u"existe déjà")),
                 err.constData());
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("pas une base"));
    }

    void demoDataFillsEveryTable() {
        QTemporaryDir dir;
        QCOMPARE(run({QStringLiteral("--create-database"), dir.path(), QStringLiteral("--demo")}),
                 0);
        TDataprix module;
        module.connectTo(dir.filePath(QStringLiteral("TALMORIX.gdb")));
        module.societe->open();
        QCOMPARE(module.societe->rowCount(), 3);
        for (Dataset* ds : module.datasets()) {
            if (ds->table().detail) {
                module.openForActiveCompany(*ds);
                QVERIFY2(!ds->isEmpty(), qPrintable(ds->name()));
            }
        }
    }

    void withoutAFolderItExplainsTheUsage() {
        QByteArray err;
        QCOMPARE(run({QStringLiteral("--create-database")}, nullptr, &err), 2);
        QVERIFY(err.contains("--create-database"));
    }
};

QTEST_GUILESS_MAIN(TestCreateDatabase)
#include "tst_createdatabase.moc"
