#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "app/DesktopApplication.h"
#include "app/StopSignals.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>
#include <csignal>

// SIGTERM while the first start asks for the database, in this very process (a signal once
// received stays received: one run per process, as the program has).
class TestStopSignalPremiere : public QObject {
    Q_OBJECT

private slots:
    void sigtermDuringTheFirstStartEndsTheRunWithoutWritingAnything() {
        // No CheminBase.ini anywhere: the run waits in "Première utilisation".
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("work")));
        const QString depart = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root.filePath(QStringLiteral("work"))));
        qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
        qputenv("ARDOZ_SYSTEM_CONFIG_DIR", root.filePath(QStringLiteral("etc")).toUtf8());
        MessageBoxRecorder boxes;
        QString titre;
        whenModalOpens([&titre](QWidget* modal) {
            titre = modal->windowTitle();
            ::kill(::getpid(), SIGTERM);
        });
        QElapsedTimer timer;
        timer.start();
        const int code = DesktopApplication::run(*qApp);
        QDir::setCurrent(depart);
        QCOMPARE(titre, QStringLiteral("Première utilisation"));
        QCOMPARE(code, 0);
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(StopSignals::received(), SIGTERM);
        QVERIFY(boxes.isEmpty());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(QDir(root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QStringLiteral("work")});
    }
};

int main(int argc, char** argv) {
    StopSignals::install();
    QApplication app(argc, argv);
    TestStopSignalPremiere test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stopsignal_premiere.moc"
