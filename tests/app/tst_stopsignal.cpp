#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "app/DesktopApplication.h"
#include "app/StopSignals.h"
#include "app/TfRMMAIN.h"
#include "data/Dataset.h"
#include "db/DatabaseError.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <unistd.h>
#include <csignal>

// The desktop run stopped by SIGTERM, in this very process: the signals are blocked and
// waited for from the start of main, as the program does, and the embedded engine attaches
// afterwards with its own handlers.
class TestStopSignal : public QObject {
    Q_OBJECT

private slots:
    void sigtermEndsTheRunAsQuitterDoes() {
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1111111", "A", 2023, "ALPHA");
        database.addCompany("2222222", "B", 2023, "BETA");
        const QString depart = QDir::currentPath();
        QVERIFY(QDir::setCurrent(database.workFolder()));
        MessageBoxRecorder boxes;

        bool fait = false;
        auto* attente = new QTimer;
        attente->setInterval(20);
        connect(attente, &QTimer::timeout, [attente, &fait] {
            if (!Dataprix || !Dataprix->societe->isActive()) {
                return;
            }
            attente->stop();
            attente->deleteLater();
            // Whatever happens below, the run is stopped the way under test.
            struct Arret {
                ~Arret() { ::kill(::getpid(), SIGTERM); }
            } arret;
            Dataset& societe = *Dataprix->societe;
            try {
                // Posted: committed at once by the record rules.
                QVERIFY(societe.locate({"MFISCAL"}, {db::Value(QStringLiteral("1111111"))}));
                societe.edit();
                societe.setValue(QStringLiteral("ADRESSE"), db::Value(QStringLiteral("POSTEE")));
                societe.post();
                // Work of the transaction that only the closing commit makes permanent.
                db::Statement script(Dataprix->IBTransaction1);
                script.prepare(QStringLiteral(
                    "update SOCIETE set CODEPOSTAL = 1000 where MFISCAL = '2222222'"));
                script.execute();
                // Being edited: abandoned.
                QVERIFY(societe.locate({"MFISCAL"}, {db::Value(QStringLiteral("2222222"))}));
                societe.edit();
                societe.setValue(QStringLiteral("ADRESSE"), db::Value(QStringLiteral("ABANDON")));
                // In a window that would ask about it on "Quitter": a signal cannot ask.
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (auto* main = qobject_cast<TfRMMAIN*>(w)) {
                        main->IdentificationEntrepriseClick();
                    }
                }
            } catch (const db::DatabaseError& e) {
                QFAIL(qPrintable(e.text()));
            }
            fait = true;
        });
        attente->start();

        QElapsedTimer timer;
        timer.start();
        const int code = DesktopApplication::run(*qApp);
        QDir::setCurrent(depart);
        QVERIFY(fait);
        QCOMPARE(code, 0);
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(StopSignals::received(), SIGTERM);
        QVERIFY(boxes.isEmpty());
        QCOMPARE(database.count("select count(*) from SOCIETE where ADRESSE = 'POSTEE'"), 1);
        QCOMPARE(database.count("select count(*) from SOCIETE where CODEPOSTAL = 1000"), 1);
        QCOMPARE(database.count("select count(*) from SOCIETE where ADRESSE = 'ABANDON'"), 0);
    }
};

int main(int argc, char** argv) {
    StopSignals::install();
    QApplication app(argc, argv);
    TestStopSignal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stopsignal.moc"
