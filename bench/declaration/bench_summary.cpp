// The PDF review of a declaration file against the generation of that file, in one run.
//
//   bench_declaration populate FOLDER 100000     the database (see bench_declaration.cpp)
//   bench_summary compare FOLDER                 in one run: the generation of the file
//                                                (DeclarationWriter, in this process), then the
//                                                review of that file in a process of its own
//                                                (time, peak memory growth), then the whole
//                                                program as a user meets it: ardoz --generate
//                                                against ardoz --generate --summary
//   bench_summary draw FILE.xml                  the review alone of a written file, with the
//                                                process's peak resident memory before and after
//
// The goal: the review takes at most twice the generation, and grows the peak memory by less
// than 64 MiB for 100,000 transaction lines. Times are given as wall time and as processor
// time (user + system, of every thread): on a machine shared with other work the second is
// the steadier of the two.

#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "declaration/DeclarationError.h"
#include "declaration/DeclarationWriter.h"
#include "summary/DeclarationSummary.h"

#include <sys/resource.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

namespace {

long peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

/// Processor time in ms, user and system, of this process (every thread) or of its children
/// that have ended.
qint64 cpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

QString ratio(qint64 a, qint64 b) {
    return QString::number(double(a) / double(std::max<qint64>(b, 1)), 'f', 2);
}

/// Runs a program and returns its wall time in ms (-1 when it failed), its processor time
/// in @p cpu and its output.
qint64 timed(const QString& program, const QStringList& arguments, QString* output, qint64* cpu) {
    const qint64 cpuBefore = cpuMs(RUSAGE_CHILDREN);
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    child.start(program, arguments);
    child.waitForFinished(-1);
    const qint64 ms = timer.elapsed();
    *cpu = cpuMs(RUSAGE_CHILDREN) - cpuBefore;
    *output = QString::fromUtf8(child.readAllStandardOutput() + child.readAllStandardError());
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 ? ms : -1;
}

int draw(const QString& xml, QTextStream& out) {
    const long before = peakKiB();
    QElapsedTimer timer;
    timer.start();
    const QString pdf = DeclarationSummary::write(xml, {});
    out << "summary " << timer.elapsed() << " ms, " << DeclarationSummary::lastPageCount()
        << " pages, " << QFileInfo(pdf).size() << " bytes, peak before " << before
        << " KiB, peak after " << peakKiB() << " KiB" << Qt::endl;
    return 0;
}

int compare(const QString& folder, QTextStream& out) {
    const QString target = QDir(folder).filePath(QStringLiteral("out"));
    QDir().mkpath(target);
    const QString database = QDir(folder).filePath(QStringLiteral("db/TALMORIX.gdb"));
    QString xml;
    qint64 generateMs = 0;
    qint64 generateCpu = 0;
    {
        TDataprix module;
        module.connectTo(database);
        module.societe->open();
        module.societe->first();
        DeclarationWriter writer(module);
        QElapsedTimer timer;
        const qint64 cpuBefore = cpuMs(RUSAGE_SELF);
        timer.start();
        xml = writer.generate(target);
        generateMs = timer.elapsed();
        generateCpu = cpuMs(RUSAGE_SELF) - cpuBefore;
    }
    out << "generate " << generateMs << " ms (processor " << generateCpu << " ms), "
        << QFileInfo(xml).size() << " bytes" << Qt::endl;

    QString text;
    qint64 drawCpu = 0;
    if (timed(QCoreApplication::applicationFilePath(), {QStringLiteral("draw"), xml}, &text,
              &drawCpu) < 0) {
        out << "draw failed: " << text << Qt::endl;
        return 1;
    }
    out << text.trimmed() << Qt::endl;
    static const QRegularExpression pattern(
        QStringLiteral("summary (\\d+) ms.*peak before (\\d+) KiB, peak after (\\d+) KiB"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (m.hasMatch()) {
        out << "summary / generate = " << ratio(m.captured(1).toLongLong(), generateMs)
            << " in wall time, " << ratio(drawCpu, generateCpu)
            << " in processor time (at most 2); memory growth "
            << (m.captured(3).toLong() - m.captured(2).toLong()) / 1024 << " MiB (under 64)"
            << Qt::endl;
    }

    // As a user meets it: the whole program, with and without the review.
    const QStringList generate = {QStringLiteral("--generate"),
                                  QStringLiteral("--company"),
                                  QStringLiteral("1234567A"),
                                  QStringLiteral("--year"),
                                  QStringLiteral("2023"),
                                  QStringLiteral("--output"),
                                  target,
                                  QStringLiteral("--database"),
                                  database};
    qint64 aloneCpu = 0;
    qint64 withCpu = 0;
    const qint64 alone = timed(QStringLiteral(ARDOZ_EXECUTABLE), generate, &text, &aloneCpu);
    const qint64 with = timed(QStringLiteral(ARDOZ_EXECUTABLE),
                              generate + QStringList{QStringLiteral("--summary")}, &text, &withCpu);
    out << "ardoz --generate " << alone << " ms (processor " << aloneCpu << " ms), with --summary "
        << with << " ms (processor " << withCpu << " ms): the review adds "
        << ratio(with - alone, alone) << " x the generation in wall time, "
        << ratio(withCpu - aloneCpu, aloneCpu) << " x in processor time" << Qt::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        out << "usage: bench_summary compare FOLDER | draw FILE.xml" << Qt::endl;
        return 2;
    }
    try {
        if (args.at(1) == QLatin1StringView("draw")) {
            return draw(args.at(2), out);
        }
        return compare(args.at(2), out);
    } catch (const db::DatabaseError& e) {
        out << e.text() << Qt::endl;
    } catch (const DeclarationError& e) {
        out << e.text() << Qt::endl;
    }
    return 1;
}
