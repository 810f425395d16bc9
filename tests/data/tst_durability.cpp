#include "data/TDataprix.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestDurability : public QObject {
    Q_OBJECT

private slots:
    void aKilledProgramLosesNoPostedRow() {
        QTemporaryDir folder;
        QProcess child;
        child.start(QStringLiteral(POST_THEN_WAIT), {folder.path()});
        QVERIFY(child.waitForStarted());
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).contains("posted") ||
                                     child.state() == QProcess::NotRunning,
                                 60000);
        QVERIFY2(child.state() == QProcess::Running, child.readAllStandardError().constData());
        child.kill();  // SIGKILL: no destructor runs, nothing is committed at exit
        QVERIFY(child.waitForFinished());

        TDataprix module;
        module.DataModuleCreate(folder.filePath(QStringLiteral("CheminBase.ini")));
        module.societe->open();
        QCOMPARE(module.societe->rowCount(), 1);
        module.openForActiveCompany(*module.montanttransactions);
        QCOMPARE(module.montanttransactions->rowCount(), 1);
        QCOMPARE(module.montanttransactions->value("ACHATS").toDecimal().toString(), "1234.567");
    }
};

QTEST_GUILESS_MAIN(TestDurability)
#include "tst_durability.moc"
