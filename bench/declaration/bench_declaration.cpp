// Generation of the declaration file against the bare running of its queries.
//
//   bench_declaration populate FOLDER LINES [OTHERS]
//                            database with LINES transaction lines over the six categories and
//                            OTHERS lines (default LINES/10) in each of the seven other lists
//   bench_declaration fetch FOLDER      run the generation's queries, fetch every row
//   bench_declaration generate FOLDER   write the declaration file into FOLDER/out
//   bench_declaration compare FOLDER [RUNS]
//                            runs fetch and generate RUNS times each (default 5), alternately,
//                            each in a process of its own, and prints the medians, the time
//                            ratio and the memory each grew by
//   bench_declaration check FOLDER            in one run: the bare fetch, the generation (file
//                                             written and checked) and the check alone (no file),
//                                             with the ratio of the check to the generation
//   bench_declaration validate FILE           the schema validation alone of a written file,
//                                             against reading it
//   bench_declaration rawfetch FOLDER   the generation's queries through the bare Firebird
//                                       interface, every row fetched, nothing converted
//   bench_declaration process FOLDER... [--runs N] [--ardoz PROGRAM]
//                            as a user meets it: `ardoz --generate` against rawfetch, each a
//                            whole process, alternated, N times (default 3); the medians of
//                            the elapsed time and of the peak resident memory, and the load
//                            average around the runs, and the processor time of each side
//                            (all threads), which the load of other programs disturbs less.
//                            --ardoz measures another build of the program. With two folders, how
//                            much more each grew from the first to the second, and the difference.
//
// Each measuring run prints its time and the process's peak resident memory before and after,
// so that fetch and generate are compared in separate processes with the same page cache size.

#include "data/DatabaseCreator.h"
#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "declaration/DeclarationError.h"
#include "declaration/DeclarationValidator.h"
#include "declaration/DeclarationWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>

#include "data/Schema.h"

#include <fcntl.h>
#include <firebird/Interface.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

const QString kIdentifiant = QStringLiteral("1234567A");
constexpr int kExercice = 2023;

long peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return -1;
    }
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

db::Value dec(qint64 thousandths) {
    return db::Value(db::Decimal(thousandths, 3));
}

void populate(const QString& folder, int lines, int others) {
    const QString path = DatabaseCreator::create(QDir(folder).filePath(QStringLiteral("db")));
    TDataprix module;
    module.connectTo(path);
    module.ensureConnected();
    db::Transaction& tr = module.IBTransaction1;
    // Freed before the module, while the attachment still exists.
    QHash<QString, std::shared_ptr<db::Statement>> prepared;
    auto run = [&](const QString& sql, const QList<QPair<QString, db::Value>>& params) {
        auto& st = prepared[sql];
        if (!st) {
            st = std::make_shared<db::Statement>(tr);
            st->prepare(sql);
        }
        for (const auto& p : params) {
            st->setParam(p.first, p.second);
        }
        st->execute();
    };
    run(QStringLiteral(
            "insert into SOCIETE (MFISCAL, CLE, EXERCICE, RAISONSOCIALE, AFFIRMATIONBIENSERVICE, "
            "AFFIRMATIONBIENSERVICEAVECCONTR, AFFIRMATIONACCORDPREALABLE) "
            "values ('1234567', 'A', 2023, 'Société du banc d''essai', 'O', 'O', 'O')"),
        {});
    run(QStringLiteral(
            "insert into INFORMATIONGROUPE (MFISCAL, EXERCICE, AUTREMFISCAL, ETATTERRITORIAL, "
            "RAISONSOCIALE, AFFIRMATOINRESTRUCTURATION) values (:m, :e, 'HRB 1', 'DE', 'Mère', "
            "'Non')"),
        {{"m", kIdentifiant}, {"e", kExercice}});
    auto matricule = [](int i) {
        return QStringLiteral("%1B").arg(1000000 + i % 8999999, 7, 10, QLatin1Char('0'));
    };
    for (int i = 1; i <= lines; ++i) {
        run(QStringLiteral(
                "insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, TYPEMONTANT, "
                "NATUREOPERATIONS, "
                "ACHATS, VENTES, MATRICULEFISCAL, RAISONSOCIALE, QUALITE, NATURRELATION, METHODE, "
                "CHANGEMENTMETHODE) values (:m, :e, :lg, :t, '1', :a, :v, :mf, :rs, '4', '1', 'CUP "
                "', "
                "'MPB ')"),
            {{"m", kIdentifiant},
             {"e", kExercice},
             {"lg", i},
             {"t", QString::number(1 + i % 6)},
             {"a", dec(100400 + i)},
             {"v", dec(2500500 + 7 * i)},
             {"mf", matricule(i)},
             {"rs", QStringLiteral("Entreprise liée n° %1 & associés").arg(i)}});
    }
    for (int i = 1; i <= others; ++i) {
        const QList<QPair<QString, db::Value>> key = {
            {"m", kIdentifiant},
            {"e", kExercice},
            {"lg", i},
            {"mf", matricule(i)},
            {"rs", QStringLiteral("Société liée %1").arg(i)}};
        for (const char* table : {"CAPITALLIEE", "CAPITALDECLARANTE"}) {
            run(QStringLiteral(
                    "insert into %1 (MFISCAL, EXERCICE, LG, MFISCALLIE, RAISONSOCIALE, QUALITE, "
                    "POURCENTCAPITAL, POURVENVOTE) values (:m, :e, :lg, :mf, :rs, '4', 33.33, 50)")
                    .arg(QLatin1StringView(table)),
                key);
        }
        run(QStringLiteral("insert into LISTEACTIFINCORPOREL (MFISCAL, EXERCICE, LG, NATUREACTIF, "
                           "ONEREUXGRATUIT, "
                           "MATRICULEFISCAL, RAISONSOCIALE, QUALITE, NATURERELATION) "
                           "values (:m, :e, :lg, '04', 'N', :mf, :rs, '4', '1')"),
            key);
        run(QStringLiteral("insert into LISTEACTIFCORPOREL (MFISCAL, EXERCICE, LG, NATUREACTIF, "
                           "MATRICULEFISCAL, "
                           "RAISONSOCIALE, QUALITE, NATURERELATION) values (:m, :e, :lg, '05', "
                           ":mf, :rs, '4', '1')"),
            key);
        run(QStringLiteral(
                "insert into OPERATIONPRETEMPRUNT (MFISCAL, EXERCICE, LG, TYPEPRETEMPRUNT, "
                "MATRICULEFISCAL, RAISONSOCIALE, QUALITE, NATURERELATION, SOLDEOUVERTURE, DEVISE, "
                "AUGMENTATIONS, DIMINUTIONS, SOLDECLOTURE, PRETINTERET, TAUXINTERET) values (:m, "
                ":e, "
                ":lg, :t, :mf, :rs, '4', '1', 10000, 'EUR', 2500.25, 0, 12500.25, 'Oui', 5.25)"),
            key + QList<QPair<QString, db::Value>>{{"t", QString::fromLatin1(i % 2 ? "P" : "E")}});
        run(QStringLiteral(
                "insert into OPERATIONSANSCONTRE (MFISCAL, EXERCICE, LG, MATRICULEFISCAL, "
                "RAISONSOCIALE, "
                "QUALITE, NATURERELATION, NATUREBIENSERVICE, NATURECONTREPARTIE, AVECCONTREOUINON) "
                "values (:m, :e, :lg, :mf, :rs, '4', '1', 'Services', 'Aucune', :t)"),
            key + QList<QPair<QString, db::Value>>{{"t", QString::fromLatin1(i % 2 ? "S" : "A")}});
        run(QStringLiteral(
                "insert into OPERATIONRESCRITFISCAUX (MFISCAL, EXERCICE, LG, MATRICULEFISCAL, "
                "RAISONSOCIALE, QUALITE, NATURERELATION, NATUREOPERATION, EXERCICEDEBUT, "
                "EXERCICEFIN) "
                "values (:m, :e, :lg, :mf, :rs, '4', '1', 'Redevances', 2021, 2024)"),
            key);
    }
    tr.commit();
    prepared.clear();
}

void openCompany(TDataprix& module, const QString& folder) {
    module.connectTo(QDir(folder).filePath(QStringLiteral("db/TALMORIX.gdb")));
    module.societe->open();
    module.societe->first();
}

/// The generation's queries and nothing else: every row fetched, every column read.
qint64 fetchAll(TDataprix& module) {
    qint64 values = 0;
    auto reopen = [&](Dataset& ds, bool walk) {
        ds.close();
        ds.setParam(QStringLiteral("mfiscal"), kIdentifiant);
        ds.setParam(QStringLiteral("exercice"), kExercice);
        ds.open();
        for (; walk && !ds.eof(); ds.next()) {
            for (const FieldDef& field : ds.fields()) {
                values += ds.value(field.name).isNull() ? 0 : 1;
            }
        }
    };
    reopen(*module.capitallie, true);
    reopen(*module.Capitaldeclarante, true);
    reopen(*module.INFOGROUPE, false);
    reopen(*module.actifincorporel, true);
    reopen(*module.Actifcorporel, true);
    reopen(*module.montanttransactions, false);
    reopen(*module.Empruntsprets, false);
    reopen(*module.operationsaccord, true);

    auto statement = [&](const QString& sql, const QString& name, const QStringList& codes) {
        db::Statement st(module.IBTransaction1);
        st.prepare(sql);
        for (const QString& code : codes) {
            st.setParam(QStringLiteral("mfiscal"), kIdentifiant);
            st.setParam(QStringLiteral("exercice"), kExercice);
            st.setParam(name, code);
            st.execute();
            while (st.fetch()) {
                for (const db::Value& v : st.row()) {
                    values += v.isNull() ? 0 : 1;
                }
            }
        }
    };
    statement(
        QStringLiteral("select LG, TYPEMONTANT, NATUREOPERATIONS, ACHATS, VENTES, MATRICULEFISCAL, "
                       "AUTREIDENTIFIANT, "
                       "ETATTERRITORIAL, RAISONSOCIALE, QUALITE, AUTREQUALITE, NATURRELATION, "
                       "AUTRENATURERELATIONS, "
                       "METHODE, CHANGEMENTMETHODE from OPERATIONSMONTANTS "
                       "where MFISCAL = :mfiscal and EXERCICE = :exercice and TYPEMONTANT = :typem "
                       "order by MATRICULEFISCAL, AUTREIDENTIFIANT"),
        QStringLiteral("typem"), {"1", "2", "3", "4", "5", "6"});
    statement(
        QStringLiteral(
            "select LG, MATRICULEFISCAL, AUTREIDENTIFIANT, ETATTERRITORIAL, RAISONSOCIALE, "
            "QUALITE, "
            "AUTREQUALITE, "
            "NATURERELATION, SOLDEOUVERTURE, DEVISE, AUGMENTATIONS, DIMINUTIONS, SOLDECLOTURE, "
            "PRETINTERET, TAUXINTERET from OPERATIONPRETEMPRUNT "
            "where MFISCAL = :mfiscal and EXERCICE = :exercice and TYPEPRETEMPRUNT = "
            ":typepretemprunt "
            "order by MATRICULEFISCAL, AUTREIDENTIFIANT"),
        QStringLiteral("typepretemprunt"), {"P", "E"});
    statement(
        QStringLiteral(
            "select LG, MATRICULEFISCAL, AUTREIDENTIFIANT, ETATTERRITORIAL, RAISONSOCIALE, "
            "QUALITE, "
            "AUTREQUALITE, "
            "NATURERELATION, NATUREBIENSERVICE, NATURECONTREPARTIE from OPERATIONSANSCONTRE "
            "where MFISCAL = :mfiscal and EXERCICE = :exercice and AVECCONTREOUINON = :ouinon "
            "order by MATRICULEFISCAL, AUTREIDENTIFIANT"),
        QStringLiteral("ouinon"), {"S", "A"});
    return values;
}

struct Mesure {
    qint64 ms = 0;
    qint64 cpuMs = 0;
    long growthKiB = 0;
};

/// Processor time of this process so far, user and system, every thread.
qint64 cpuMsSoFar() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

Mesure measure(const QString& mode, const QString& folder) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {mode, folder});
    child.waitForFinished(-1);
    const QString text = QString::fromLocal8Bit(child.readAllStandardOutput());
    static const QRegularExpression pattern(
        QStringLiteral("(\\d+) ms.*peak before (\\d+) KiB, peak after (\\d+) KiB, cpu (\\d+) ms"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        throw DeclarationError(QStringLiteral("%1 failed: %2").arg(mode, text));
    }
    return {m.captured(1).toLongLong(), m.captured(4).toLongLong(),
            m.captured(3).toLong() - m.captured(2).toLong()};
}

template <typename T>
T median(QVector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int compare(const QString& folder, int runs, QTextStream& out) {
    QVector<qint64> fetchMs, generateMs, fetchCpu, generateCpu;
    QVector<long> fetchGrowth, generateGrowth;
    measure(QStringLiteral("fetch"), folder);  // warms the page cache
    for (int i = 0; i < runs; ++i) {
        const Mesure f = measure(QStringLiteral("fetch"), folder);
        const Mesure g = measure(QStringLiteral("generate"), folder);
        fetchMs.append(f.ms);
        generateMs.append(g.ms);
        fetchGrowth.append(f.growthKiB);
        generateGrowth.append(g.growthKiB);
        fetchCpu.append(f.cpuMs);
        generateCpu.append(g.cpuMs);
    }
    const qint64 f = median(fetchMs);
    const qint64 g = median(generateMs);
    out << "fetch " << f << " ms (median of " << runs << "), generate " << g << " ms, ratio "
        << QString::number(double(g) / double(std::max<qint64>(f, 1)), 'f', 2) << Qt::endl;
    const qint64 fc = median(fetchCpu);
    const qint64 gc = median(generateCpu);
    out << "processor time (user and system, all threads): fetch " << fc << " ms, generate " << gc
        << " ms, ratio " << QString::number(double(gc) / double(std::max<qint64>(fc, 1)), 'f', 2)
        << Qt::endl;
    out << "memory growth: fetch " << median(fetchGrowth) / 1024 << " MiB, generate "
        << median(generateGrowth) / 1024 << " MiB, generate beyond fetch "
        << (median(generateGrowth) - median(fetchGrowth)) / 1024 << " MiB" << Qt::endl;
    return 0;
}

// The generation's own queries, as its writer runs them (the category, loan and counterpart
// lists), with ? for the parameters after the company and the year.
const char* const kMontantsSql =
    "select LG, TYPEMONTANT, NATUREOPERATIONS, ACHATS, VENTES, MATRICULEFISCAL, AUTREIDENTIFIANT, "
    "ETATTERRITORIAL, RAISONSOCIALE, QUALITE, AUTREQUALITE, NATURRELATION, AUTRENATURERELATIONS, "
    "METHODE, CHANGEMENTMETHODE from OPERATIONSMONTANTS "
    "where MFISCAL = ? and EXERCICE = ? and TYPEMONTANT = ? "
    "order by MATRICULEFISCAL, AUTREIDENTIFIANT";
const char* const kPretsSql =
    "select LG, MATRICULEFISCAL, AUTREIDENTIFIANT, ETATTERRITORIAL, RAISONSOCIALE, QUALITE, "
    "AUTREQUALITE, NATURERELATION, SOLDEOUVERTURE, DEVISE, AUGMENTATIONS, DIMINUTIONS, "
    "SOLDECLOTURE, PRETINTERET, TAUXINTERET from OPERATIONPRETEMPRUNT "
    "where MFISCAL = ? and EXERCICE = ? and TYPEPRETEMPRUNT = ? "
    "order by MATRICULEFISCAL, AUTREIDENTIFIANT";
const char* const kSansContreSql =
    "select LG, MATRICULEFISCAL, AUTREIDENTIFIANT, ETATTERRITORIAL, RAISONSOCIALE, QUALITE, "
    "AUTREQUALITE, NATURERELATION, NATUREBIENSERVICE, NATURECONTREPARTIE from OPERATIONSANSCONTRE "
    "where MFISCAL = ? and EXERCICE = ? and AVECCONTREOUINON = ? "
    "order by MATRICULEFISCAL, AUTREIDENTIFIANT";

/**
 * The floor the generation is measured against: the same queries through the Firebird
 * interface alone, in the same read-only snapshot, every row the generation reads fetched
 * into the message buffer and its null flags read, no value converted, nothing written.
 * The presence tests read at most the 64 rows a data module's dataset reads on opening.
 */
qint64 rawFetch(const QString& folder) {
    using namespace Firebird;
    IMaster* master = fb_get_master_interface();
    ThrowStatusWrapper st(master->getStatus());
    qint64 values = 0;
    IAttachment* att = nullptr;
    ITransaction* tra = nullptr;
    try {
        IUtil* util = master->getUtilInterface();
        IXpbBuilder* dpb = util->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
        dpb->insertString(&st, isc_dpb_password, "quillhorn");
        dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
        dpb->insertTag(&st, isc_dpb_utf8_filename);
        IProvider* provider = master->getDispatcher();
        const QByteArray path = QDir(folder).filePath(QStringLiteral("db/TALMORIX.gdb")).toUtf8();
        att = provider->attachDatabase(&st, path.constData(), dpb->getBufferLength(&st),
                                       dpb->getBuffer(&st));
        dpb->dispose();
        provider->release();
        const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_concurrency, isc_tpb_read,
                                     isc_tpb_nowait};
        tra = att->startTransaction(&st, sizeof tpb, tpb);

        // Runs @p sql with the company, the year and @p code (when given) as parameters.
        auto run = [&](const char* sql, const char* code, long limit) {
            IStatement* stmt =
                att->prepare(&st, tra, 0, sql, 3, IStatement::PREPARE_PREFETCH_METADATA);
            IMessageMetadata* in = stmt->getInputMetadata(&st);
            IMessageMetadata* out = stmt->getOutputMetadata(&st);
            std::vector<std::int64_t> inBuffer(in->getMessageLength(&st) / 8 + 1);
            std::vector<std::int64_t> outBuffer(out->getMessageLength(&st) / 8 + 1);
            auto* inBytes = reinterpret_cast<unsigned char*>(inBuffer.data());
            const char* texts[] = {"1234567A", nullptr, code};
            for (unsigned i = 0; i < in->getCount(&st); ++i) {
                unsigned char* field = inBytes + in->getOffset(&st, i);
                std::memset(inBytes + in->getNullOffset(&st, i), 0, sizeof(short));
                const unsigned length = in->getLength(&st, i);
                switch (in->getType(&st, i) & ~1u) {
                    case SQL_VARYING: {
                        const auto n = static_cast<unsigned short>(std::strlen(texts[i]));
                        std::memcpy(field, &n, sizeof n);
                        std::memcpy(field + 2, texts[i], n);
                        break;
                    }
                    case SQL_TEXT:
                        std::memset(field, ' ', length);
                        std::memcpy(field, texts[i], std::strlen(texts[i]));
                        break;
                    case SQL_SHORT: {
                        const short year = kExercice;
                        std::memcpy(field, &year, sizeof year);
                        break;
                    }
                    case SQL_LONG: {
                        const std::int32_t year = kExercice;
                        std::memcpy(field, &year, sizeof year);
                        break;
                    }
                    default:
                        throw std::runtime_error("unexpected parameter type");
                }
            }
            IResultSet* cursor = stmt->openCursor(&st, tra, in, inBytes, out, 0);
            auto* outBytes = reinterpret_cast<unsigned char*>(outBuffer.data());
            const unsigned count = out->getCount(&st);
            std::vector<unsigned> nullOffsets(count);
            for (unsigned i = 0; i < count; ++i) {
                nullOffsets[i] = out->getNullOffset(&st, i);
            }
            for (long row = 0;
                 row < limit && cursor->fetchNext(&st, outBytes) == IStatus::RESULT_OK; ++row) {
                for (const unsigned offset : nullOffsets) {
                    short null;
                    std::memcpy(&null, outBytes + offset, sizeof null);
                    values += null ? 0 : 1;
                }
            }
            cursor->close(&st);
            in->release();
            out->release();
            stmt->free(&st);
        };
        auto list = [&](const char* table, long limit) {
            const QByteArray sql = Schema::table(QString::fromLatin1(table))
                                       .listQuery()
                                       .replace(QStringLiteral(":mfiscal"), QStringLiteral("?"))
                                       .replace(QStringLiteral(":exercice"), QStringLiteral("?"))
                                       .toLatin1();
            run(sql.constData(), nullptr, limit);
        };
        constexpr long kAll = std::numeric_limits<long>::max();
        constexpr long kFirstBatch = 64;
        const QByteArray societe = Schema::table(QStringLiteral("SOCIETE")).listQuery().toLatin1();
        IResultSet* companies = att->openCursor(&st, tra, 0, societe.constData(), 3, nullptr,
                                                nullptr, nullptr, nullptr, 0);
        IMessageMetadata* companyMeta = companies->getMetadata(&st);
        std::vector<std::int64_t> companyRow(companyMeta->getMessageLength(&st) / 8 + 1);
        while (companies->fetchNext(&st, companyRow.data()) == IStatus::RESULT_OK) {
            ++values;
        }
        companies->close(&st);
        companyMeta->release();
        list("CAPITALLIEE", kAll);
        list("CAPITALDECLARANTE", kAll);
        list("INFORMATIONGROUPE", kAll);
        list("LISTEACTIFINCORPOREL", kAll);
        list("LISTEACTIFCORPOREL", kAll);
        list("OPERATIONSMONTANTS", kFirstBatch);
        for (const char* code : {"1", "2", "3", "4", "5", "6"}) {
            run(kMontantsSql, code, kAll);
        }
        list("OPERATIONPRETEMPRUNT", kFirstBatch);
        for (const char* code : {"P", "E"}) {
            run(kPretsSql, code, kAll);
        }
        for (const char* code : {"S", "A"}) {
            run(kSansContreSql, code, kAll);
        }
        list("OPERATIONRESCRITFISCAUX", kAll);
        tra->commit(&st);
        tra = nullptr;
        att->detach(&st);
        att = nullptr;
    } catch (const FbException& e) {
        char text[512];
        master->getUtilInterface()->formatStatus(text, sizeof text, e.getStatus());
        if (tra) {
            tra->release();
        }
        if (att) {
            att->release();
        }
        throw DeclarationError(QString::fromLocal8Bit(text));
    }
    return values;
}

struct Process {
    double ms = 0;
    double cpuMs = 0;     // user and system, every thread
    double othersMs = 0;  // processor time every other process took meanwhile
    long peakKiB = 0;
    int status = -1;
};

/// Processor time the whole machine has spent busy since boot, every core, in milliseconds.
double machineBusyMs() {
    QFile file(QStringLiteral("/proc/stat"));
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    // "cpu  user nice system idle iowait irq softirq steal ...", in clock ticks.
    const QList<QByteArray> fields = file.readLine().simplified().split(' ');
    double busy = 0;
    for (qsizetype i = 1; i < fields.size() && i <= 8; ++i) {
        if (i != 4 && i != 5) {
            busy += fields[i].toDouble();
        }
    }
    return busy * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

/// Runs @p arguments as a process of its own, its output dropped: elapsed time and peak memory.
/// On a shared machine another process can hold a core for the whole run, which turns the
/// generation's two threads into one: the processor time others took says when that happened.
Process spawn(const QStringList& arguments) {
    QList<QByteArray> bytes;
    std::vector<char*> argv;
    for (const QString& a : arguments) {
        bytes.append(a.toLocal8Bit());
    }
    for (QByteArray& b : bytes) {
        argv.push_back(b.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t outputs;
    posix_spawn_file_actions_init(&outputs);
    posix_spawn_file_actions_addopen(&outputs, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&outputs, 2, "/dev/null", O_WRONLY, 0);
    Process p;
    timespec start{}, end{};
    const double busyBefore = machineBusyMs();
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &outputs, nullptr, argv.data(), environ) == 0) {
        rusage usage{};
        wait4(pid, &p.status, 0, &usage);
        clock_gettime(CLOCK_MONOTONIC, &end);
        p.ms = (end.tv_sec - start.tv_sec) * 1e3 + (end.tv_nsec - start.tv_nsec) / 1e6;
        p.peakKiB = usage.ru_maxrss;
        p.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        p.othersMs = std::max(0.0, machineBusyMs() - busyBefore - p.cpuMs);
    }
    posix_spawn_file_actions_destroy(&outputs);
    if (p.status != 0) {
        throw DeclarationError(
            QStringLiteral("%1 failed (%2)").arg(arguments.join(u' ')).arg(p.status));
    }
    return p;
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("?");
    }
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

/// The program measured: the one built beside this benchmark, or another given with --ardoz.
QString& ardozExecutable() {
    static QString path = QStringLiteral(ARDOZ_EXECUTABLE);
    return path;
}

struct ProcessFigures {
    double fetchMs = 0;
    double generateMs = 0;
    double fetchCpuMs = 0;
    double generateCpuMs = 0;
    long fetchKiB = 0;
    long generateKiB = 0;
    double generateCores = 0;  // processor time over elapsed time
    double othersCores = 0;    // the same, for every other process during the generation
};

ProcessFigures processOnce(const QString& folder, int runs, QTextStream& out) {
    const QString self = QCoreApplication::applicationFilePath();
    const QString target = QDir(folder).filePath(QStringLiteral("out"));
    QDir().mkpath(target);
    const QStringList fetch = {self, QStringLiteral("rawfetch"), folder};
    const QStringList generate = {ardozExecutable(),
                                  QStringLiteral("--generate"),
                                  QStringLiteral("--database"),
                                  QDir(folder).filePath(QStringLiteral("db/TALMORIX.gdb")),
                                  QStringLiteral("--company"),
                                  kIdentifiant,
                                  QStringLiteral("--year"),
                                  QString::number(kExercice),
                                  QStringLiteral("--output"),
                                  target};
    const QString before = loadAverage();
    spawn(fetch);  // warms the page cache
    spawn(generate);
    QVector<double> fetchMs, generateMs, fetchCpu, generateCpu, generateCores, othersCores;
    QVector<long> fetchKiB, generateKiB;
    for (int i = 0; i < runs; ++i) {
        // Alternated, and each side first in turn.
        const bool fetchFirst = i % 2 == 0;
        const Process a = spawn(fetchFirst ? fetch : generate);
        const Process b = spawn(fetchFirst ? generate : fetch);
        const Process& f = fetchFirst ? a : b;
        const Process& g = fetchFirst ? b : a;
        fetchMs.append(f.ms);
        generateMs.append(g.ms);
        fetchKiB.append(f.peakKiB);
        generateKiB.append(g.peakKiB);
        fetchCpu.append(f.cpuMs);
        generateCpu.append(g.cpuMs);
        generateCores.append(g.cpuMs / std::max(g.ms, 1.0));
        othersCores.append(g.othersMs / std::max(g.ms, 1.0));
    }
    ProcessFigures r{median(fetchMs),       median(generateMs), median(fetchCpu),
                     median(generateCpu),   median(fetchKiB),   median(generateKiB),
                     median(generateCores), median(othersCores)};
    out << folder << ": raw fetch " << qRound(r.fetchMs) << " ms, ardoz --generate "
        << qRound(r.generateMs) << " ms (medians of " << runs << "), ratio "
        << QString::number(r.generateMs / std::max(r.fetchMs, 1.0), 'f', 2)
        << "; processor time (user and system, all threads) " << qRound(r.fetchCpuMs) << " and "
        << qRound(r.generateCpuMs) << " ms, ratio "
        << QString::number(r.generateCpuMs / std::max(r.fetchCpuMs, 1.0), 'f', 2)
        << "; peak memory: raw fetch " << r.fetchKiB / 1024 << " MiB, generate "
        << r.generateKiB / 1024 << " MiB; cores in use during the generation: its own "
        << QString::number(r.generateCores, 'f', 2) << ", other processes "
        << QString::number(r.othersCores, 'f', 2) << "; load average before " << before
        << ", after " << loadAverage() << Qt::endl;
    return r;
}

int process(const QStringList& folders, int runs, QTextStream& out) {
    QVector<ProcessFigures> figures;
    for (const QString& folder : folders) {
        figures.append(processOnce(folder, runs, out));
    }
    if (figures.size() == 2) {
        const long fetchGrowth = figures[1].fetchKiB - figures[0].fetchKiB;
        const long generateGrowth = figures[1].generateKiB - figures[0].generateKiB;
        out << "peak memory growth from the first folder to the second: raw fetch "
            << fetchGrowth / 1024 << " MiB, generate " << generateGrowth / 1024
            << " MiB, generate beyond raw fetch "
            << QString::number((generateGrowth - fetchGrowth) / 1024.0, 'f', 1) << " MiB"
            << Qt::endl;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        out << "usage: bench_declaration populate|fetch|generate|compare|check|rawfetch FOLDER "
               "[LINES] | "
               "process FOLDER... [--runs N] [--ardoz PROGRAM] | validate FILE"
            << Qt::endl;
        return 2;
    }
    const QString mode = args.at(1);
    const QString folder = args.at(2);
    try {
        QElapsedTimer timer;
        if (mode == QLatin1StringView("validate")) {
            QFile file(folder);
            if (!file.open(QIODevice::ReadOnly)) {
                out << file.errorString() << Qt::endl;
                return 1;
            }
            constexpr qint64 kBlock = 256 * 1024;
            timer.start();
            qint64 bytes = 0;
            while (!file.atEnd()) {
                bytes += file.read(kBlock).size();
            }
            const qint64 readMs = timer.elapsed();
            file.seek(0);
            timer.start();
            DeclarationValidator validator;
            while (!file.atEnd()) {
                const QByteArray block = file.read(kBlock);
                validator.dataWritten(block.constData(), block.size());
            }
            validator.finish();
            out << "read " << readMs << " ms, validate " << timer.elapsed() << " ms, " << bytes
                << " bytes, " << validator.problems().size() << " problems, peak " << peakKiB()
                << " KiB" << Qt::endl;
            return 0;
        }
        if (mode == QLatin1StringView("populate")) {
            timer.start();
            const int lines = args.size() > 3 ? args.at(3).toInt() : 1000;
            populate(folder, lines, args.size() > 4 ? args.at(4).toInt() : std::max(1, lines / 10));
            out << "populate " << timer.elapsed() << " ms" << Qt::endl;
            return 0;
        }
        if (mode == QLatin1StringView("process")) {
            QStringList folders = args.mid(2);
            int runs = 3;
            if (const qsizetype at = folders.indexOf(QStringLiteral("--runs")); at >= 0) {
                runs = folders.value(at + 1).toInt();
                folders.remove(at, std::min<qsizetype>(2, folders.size() - at));
            }
            if (const qsizetype at = folders.indexOf(QStringLiteral("--ardoz")); at >= 0) {
                ardozExecutable() = folders.value(at + 1);
                folders.remove(at, std::min<qsizetype>(2, folders.size() - at));
            }
            return process(folders, std::max(1, runs), out);
        }
        if (mode == QLatin1StringView("rawfetch")) {
            timer.start();
            const qint64 values = rawFetch(folder);
            out << "raw fetch " << timer.elapsed() << " ms, " << values << " values" << Qt::endl;
            return 0;
        }
        if (mode == QLatin1StringView("compare")) {
            return compare(folder, args.size() > 3 ? args.at(3).toInt() : 5, out);
        }
        TDataprix module;
        openCompany(module, folder);
        const long before = peakKiB();
        if (mode == QLatin1StringView("check")) {
            const QString target = QDir(folder).filePath(QStringLiteral("out"));
            QDir().mkpath(target);
            timer.start();
            const qint64 values = fetchAll(module);
            const qint64 fetchMs = timer.elapsed();
            DeclarationWriter writer(module);
            timer.start();
            const QString path = writer.generate(target);
            const qint64 generateMs = timer.elapsed();
            const qsizetype generatedProblems = writer.problems().size();
            const long afterGenerate = peakKiB();
            timer.start();
            writer.check();
            const qint64 checkMs = timer.elapsed();
            out << "fetch " << fetchMs << " ms (" << values << " values)\n"
                << "generate " << generateMs << " ms, " << QFileInfo(path).size() << " bytes, "
                << generatedProblems << " problems, peak " << afterGenerate << " KiB\n"
                << "check " << checkMs << " ms, " << writer.problems().size() << " problems, peak "
                << peakKiB() << " KiB\n"
                << "check / generate = " << QString::number(double(checkMs) / generateMs, 'f', 2)
                << " (at most 2), peak before " << before << " KiB" << Qt::endl;
            return 0;
        }
        timer.start();
        const qint64 cpuBefore = cpuMsSoFar();
        if (mode == QLatin1StringView("fetch")) {
            const qint64 values = fetchAll(module);
            out << "fetch " << timer.elapsed() << " ms, " << values << " values";
        } else {
            const QString target = QDir(folder).filePath(QStringLiteral("out"));
            QDir().mkpath(target);
            DeclarationWriter writer(module);
            const QString path = writer.generate(target);
            out << "generate " << timer.elapsed() << " ms, " << QFileInfo(path).size() << " bytes";
        }
        out << ", peak before " << before << " KiB, peak after " << peakKiB() << " KiB, cpu "
            << cpuMsSoFar() - cpuBefore << " ms" << Qt::endl;
        return 0;
    } catch (const db::DatabaseError& e) {
        out << e.text() << Qt::endl;
    } catch (const DeclarationError& e) {
        out << e.text() << Qt::endl;
    }
    return 1;
}
