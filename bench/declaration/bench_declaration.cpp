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
        QStringLiteral("select TYPEMONTANT, NATUREOPERATIONS, ACHATS, VENTES, MATRICULEFISCAL, "
                       "AUTREIDENTIFIANT, "
                       "ETATTERRITORIAL, RAISONSOCIALE, QUALITE, AUTREQUALITE, NATURRELATION, "
                       "AUTRENATURERELATIONS, "
                       "METHODE, CHANGEMENTMETHODE from OPERATIONSMONTANTS "
                       "where MFISCAL = :mfiscal and EXERCICE = :exercice and TYPEMONTANT = :typem "
                       "order by MATRICULEFISCAL, AUTREIDENTIFIANT"),
        QStringLiteral("typem"), {"1", "2", "3", "4", "5", "6"});
    statement(
        QStringLiteral(
            "select MATRICULEFISCAL, AUTREIDENTIFIANT, RAISONSOCIALE, QUALITE, AUTREQUALITE, "
            "NATURERELATION, SOLDEOUVERTURE, DEVISE, AUGMENTATIONS, DIMINUTIONS, SOLDECLOTURE, "
            "PRETINTERET, TAUXINTERET from OPERATIONPRETEMPRUNT "
            "where MFISCAL = :mfiscal and EXERCICE = :exercice and TYPEPRETEMPRUNT = "
            ":typepretemprunt "
            "order by MATRICULEFISCAL, AUTREIDENTIFIANT"),
        QStringLiteral("typepretemprunt"), {"P", "E"});
    statement(
        QStringLiteral(
            "select MATRICULEFISCAL, AUTREIDENTIFIANT, RAISONSOCIALE, QUALITE, AUTREQUALITE, "
            "NATURERELATION, NATUREBIENSERVICE, NATURECONTREPARTIE from OPERATIONSANSCONTRE "
            "where MFISCAL = :mfiscal and EXERCICE = :exercice and AVECCONTREOUINON = :ouinon "
            "order by MATRICULEFISCAL, AUTREIDENTIFIANT"),
        QStringLiteral("ouinon"), {"S", "A"});
    return values;
}

struct Mesure {
    qint64 ms = 0;
    long growthKiB = 0;
};

Mesure measure(const QString& mode, const QString& folder) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {mode, folder});
    child.waitForFinished(-1);
    const QString text = QString::fromLocal8Bit(child.readAllStandardOutput());
    static const QRegularExpression pattern(
        QStringLiteral("(\\d+) ms.*peak before (\\d+) KiB, peak after (\\d+) KiB"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        throw DeclarationError(QStringLiteral("%1 failed: %2").arg(mode, text));
    }
    return {m.captured(1).toLongLong(), m.captured(3).toLong() - m.captured(2).toLong()};
}

template <typename T>
T median(QVector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int compare(const QString& folder, int runs, QTextStream& out) {
    QVector<qint64> fetchMs, generateMs;
    QVector<long> fetchGrowth, generateGrowth;
    measure(QStringLiteral("fetch"), folder);  // warms the page cache
    for (int i = 0; i < runs; ++i) {
        const Mesure f = measure(QStringLiteral("fetch"), folder);
        const Mesure g = measure(QStringLiteral("generate"), folder);
        fetchMs.append(f.ms);
        generateMs.append(g.ms);
        fetchGrowth.append(f.growthKiB);
        generateGrowth.append(g.growthKiB);
    }
    const qint64 f = median(fetchMs);
    const qint64 g = median(generateMs);
    out << "fetch " << f << " ms (median of " << runs << "), generate " << g << " ms, ratio "
        << QString::number(double(g) / double(std::max<qint64>(f, 1)), 'f', 2) << Qt::endl;
    out << "memory growth: fetch " << median(fetchGrowth) / 1024 << " MiB, generate "
        << median(generateGrowth) / 1024 << " MiB, generate beyond fetch "
        << (median(generateGrowth) - median(fetchGrowth)) / 1024 << " MiB" << Qt::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        out << "usage: bench_declaration populate|fetch|generate|compare|check FOLDER [LINES] | "
               "validate FILE"
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
        out << ", peak before " << before << " KiB, peak after " << peakKiB() << " KiB" << Qt::endl;
        return 0;
    } catch (const db::DatabaseError& e) {
        out << e.text() << Qt::endl;
    } catch (const DeclarationError& e) {
        out << e.text() << Qt::endl;
    }
    return 1;
}
