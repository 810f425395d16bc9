// Two programs appending lines to the same company and year at the same moment, on one
// server database.
#include "TestDatabase.h"
#include "db/Statement.h"

#include <QProcess>
#include <QSet>
#include <QTest>

class TestConcurrentAppend : public QObject {
    Q_OBJECT

private slots:
    void twoDesktopsAppendingTogetherLoseNothing() {
        if (!TestDatabase::serverMode()) {
            QSKIP("two programs share a database through a server only");
        }
        TestDatabase database;
        QVERIFY(database.isValid());
        database.addCompany("1234567", "A", 2023, "ALPHA");
        constexpr int kLines = 500;

        QProcess first;
        QProcess second;
        first.start(QStringLiteral(APPEND_LINES),
                    {database.iniPath(), QString::number(kLines), QStringLiteral("P1")});
        second.start(QStringLiteral(APPEND_LINES),
                     {database.iniPath(), QString::number(kLines), QStringLiteral("P2")});
        QVERIFY(first.waitForFinished(240000));
        QVERIFY(second.waitForFinished(240000));
        QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());

        auto module = database.openModule();
        module->ensureConnected();
        db::Statement lines(module->IBTransaction1);
        lines.prepare(QStringLiteral(
            "select LG, MATRICULEFISCAL from OPERATIONSMONTANTS where MFISCAL = '1234567A' "
            "and EXERCICE = 2023"));
        lines.execute();
        QSet<qint64> numbers;
        QSet<QString> marks;
        int rows = 0;
        while (lines.fetch()) {
            ++rows;
            numbers.insert(lines.row().at(0).toInt());
            marks.insert(lines.row().at(1).toText().trimmed());
        }
        QCOMPARE(rows, 2 * kLines);
        QCOMPARE(numbers.size(), 2 * kLines);
        QCOMPARE(marks.size(), 2 * kLines);
        for (int i = 1; i <= kLines; ++i) {
            QVERIFY(marks.contains(QStringLiteral("P1-%1").arg(i)));
            QVERIFY(marks.contains(QStringLiteral("P2-%1").arg(i)));
        }
        // Numbered from 1 without a gap: no number was lost to a collision.
        QCOMPARE(*std::max_element(numbers.begin(), numbers.end()), qint64(2 * kLines));
    }
};

QTEST_GUILESS_MAIN(TestConcurrentAppend)
#include "tst_concurrentappend.moc"
