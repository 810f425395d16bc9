// Reading workbooks as the import wizard does (LecteurSource::lire), format by format, against a
// raw baseline of the same bytes in the same run: the file read whole and, for the zip
// packages, the XML of every part tokenised (QXmlStreamReader) without building a cell.
//
// Then what a lone cell at XFD1048576 costs next to one real row, against the row alone: in the
// inner loop, and as the user meets it, by the whole program (ardoz --import reading the file;
// its elapsed time and peak resident memory, from wait4).
//
//   bench_lecture [LIGNES]     (10,000 rows of 20 columns by default)
#include "FichiersSource.h"
#include "import/LecteurSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamReader>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>

extern char** environ;

using namespace fichiers;

namespace {

/// The median of @p passes runs of @p f, in seconds.
template <typename F>
double mediane(int passes, F f) {
    QVector<double> temps;
    for (int i = 0; i < passes; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        temps.append(t.nsecsElapsed() / 1e9);
    }
    std::sort(temps.begin(), temps.end());
    return temps[temps.size() / 2];
}

QByteArray lireTout(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

/// The baseline: the bytes, and every XML part of a package tokenised once.
qint64 brut(const QString& path, bool paquet) {
    const QByteArray octets = lireTout(path);
    qint64 jetons = octets.size();
    if (paquet) {
        for (const auto& [nom, donnees] : parties(octets)) {
            QXmlStreamReader r(donnees);
            while (!r.atEnd()) {
                r.readNext();
                ++jetons;
            }
        }
    }
    return jetons;
}

struct Processus {
    double secondes = 0;
    long memoireKo = 0;
};

/// ardoz --import @p path, which reads the file whole, then stops at the database it cannot
/// open: the program's time and peak resident memory for the reading.
Processus programme(const QString& path) {
    const QByteArray fichier = QFile::encodeName(path);
    const char* arguments[] = {ARDOZ_EXECUTABLE,
                               "--import",
                               fichier.constData(),
                               "--page",
                               "1",
                               "--company",
                               "1234567A",
                               "--year",
                               "2023",
                               "--database",
                               "/nulle/part/TALMORIX.gdb",
                               nullptr};
    posix_spawn_file_actions_t sorties;
    posix_spawn_file_actions_init(&sorties);
    posix_spawn_file_actions_addopen(&sorties, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&sorties, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    Processus p;
    if (posix_spawn(&pid, ARDOZ_EXECUTABLE, &sorties, nullptr, const_cast<char**>(arguments),
                    environ) == 0) {
        int statut = 0;
        rusage usage{};
        wait4(pid, &statut, 0, &usage);
        p.secondes = t.nsecsElapsed() / 1e9;
        p.memoireKo = usage.ru_maxrss;
    }
    posix_spawn_file_actions_destroy(&sorties);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int lignes = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10000;
    QTextStream out(stdout);
    QTemporaryDir dir;

    Lignes feuille = {
        {QStringLiteral("MFISCAL"), QStringLiteral("EXERCICE"), QStringLiteral("LG")}};
    for (int i = 1; i <= lignes; ++i) {
        Ligne l(20);
        l[0] = QStringLiteral("7654321B");
        l[1] = 2023;
        l[2] = i;
        l[3] = QStringLiteral("0000%1A").arg(i % 1000, 3, 10, QChar(u'0'));
        l[5] = QStringLiteral("FR");
        l[6] = QStringLiteral("3");
        l[7] = QStringLiteral("Société liée %1").arg(i % 50);
        l[8] = 2;
        l[10] = 1234.5 + i;
        l[11] = 0.125 * i;
        l[16] = QStringLiteral("CUP");
        feuille.append(l);
    }
    struct Format {
        QString nom;
        QByteArray contenu;
        FormatSource format;
        bool paquet;
    };
    const QVector<Format> formats = {
        {QStringLiteral("lignes.xlsx"), xlsx(feuille), FormatSource::Excel, true},
        {QStringLiteral("lignes.ods"), ods(feuille), FormatSource::OpenDocument, true},
        {QStringLiteral("lignes.xls"), xls(feuille), FormatSource::Excel, false},
    };
    out << "rows: " << lignes << " of 20 columns" << Qt::endl;
    for (const Format& f : formats) {
        const QString path = dir.filePath(f.nom);
        ecrire(path, f.contenu);
        qint64 garde = 0;
        const double base = mediane(5, [&] { garde += brut(path, f.paquet); });
        const double lecture = mediane(5, [&] {
            garde += LecteurSource::lire(path, f.format, {}).feuilles.front().nombreLignes();
        });
        out << f.nom << ": read " << QString::number(lecture * 1000, 'f', 1) << " ms, baseline "
            << QString::number(base * 1000, 'f', 1) << " ms, ratio "
            << QString::number(lecture / base, 'f', 2) << " (" << (garde > 0 ? "" : "!")
            << QString::number(f.contenu.size() / 1024) << " KiB)" << Qt::endl;
    }

    // One row, and the same row with a lone cell at the last row and column.
    const Lignes une = {feuille[0], feuille[1]};
    const QString seule = dir.filePath(QStringLiteral("une.xlsx"));
    const QString isolee = dir.filePath(QStringLiteral("isolee.xlsx"));
    ecrire(seule, xlsx(une));
    ecrire(isolee,
           modifierPartie(xlsx(une), QStringLiteral("xl/worksheets/sheet1.xml"), "</sheetData>",
                          "<row r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row>"
                          "</sheetData>"));
    const double tUne = mediane(21, [&] { LecteurSource::lire(seule, FormatSource::Excel, {}); });
    const double tIsolee =
        mediane(21, [&] { LecteurSource::lire(isolee, FormatSource::Excel, {}); });
    out << "one row: " << QString::number(tUne * 1e6, 'f', 0)
        << " us; with a cell at XFD1048576: " << QString::number(tIsolee * 1e6, 'f', 0)
        << " us; ratio " << QString::number(tIsolee / tUne, 'f', 2) << Qt::endl;
    QVector<Processus> pUne;
    QVector<Processus> pIsolee;
    for (int i = 0; i < 5; ++i) {
        pUne.append(programme(seule));
        pIsolee.append(programme(isolee));
    }
    auto median = [](QVector<Processus> v, auto champ) {
        std::sort(v.begin(), v.end(),
                  [&](const Processus& a, const Processus& b) { return a.*champ < b.*champ; });
        return v[v.size() / 2].*champ;
    };
    out << "ardoz --import, one row: "
        << QString::number(median(pUne, &Processus::secondes), 'f', 3) << " s, "
        << median(pUne, &Processus::memoireKo) << " KiB; with the lone cell: "
        << QString::number(median(pIsolee, &Processus::secondes), 'f', 3) << " s, "
        << median(pIsolee, &Processus::memoireKo) << " KiB" << Qt::endl;
    return 0;
}
