// Imports a 10,000-row .xlsx into the transaction amounts (page 1) through the wizard's
// engine — reading the workbook, converting every cell, appending, numbering, stamping,
// zeroing and committing each row through the shared dataset — against a raw prepared insert
// of the same columns with one commit with retaining per row on the same table: the ceiling
// that one commit per row sets. The raw inserts run in two halves, before and after the import,
// so that a disk whose speed drifts weighs on both alike. Prints both rates and their ratio.
//
//     bench_import [ROWS] [--async-writes]
//
// --async-writes turns the database's forced writes off first (gfix -write async): commits
// then cost no disk flush and the figures show what the engine itself costs.
#include "FichiersSource.h"
#include "data/DatabaseCreator.h"
#include "data/TDataprix.h"
#include "import/ImportateurLignes.h"
#include "import/LecteurSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool async = args.contains(QStringLiteral("--async-writes"));
    int rows = 10000;
    for (const QString& a : args.mid(1)) {
        if (a.toInt() > 0) {
            rows = a.toInt();
        }
    }
    QTemporaryDir dir;
    DatabaseCreator::create(dir.filePath(QStringLiteral("db")));
    QFile ini(dir.filePath(QStringLiteral("CheminBase.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write(("[CheminBase]\nRep=" + dir.filePath(QStringLiteral("db")) + "\n").toUtf8());
    ini.close();

    // The sheet: a title row, then rows filling every column of page 1.
    fichiers::Lignes lignes = {
        {QStringLiteral("MFISCAL"), QStringLiteral("EXERCICE"), QStringLiteral("LG")}};
    for (int i = 1; i <= rows; ++i) {
        lignes.append(
            {QStringLiteral("9999999Z"),
             2023,
             i,
             QStringLiteral("0000%1A").arg(i % 1000, 3, 10, QChar(u'0')),
             QStringLiteral("ID-%1").arg(i),
             QStringLiteral("FR"),
             QStringLiteral("3 :Service "),
             QStringLiteral("Société liée %1").arg(i % 50),
             2,
             QVariant(),
             1234.5 + i,
             0.125 * i,
             QStringLiteral("4: pour « Entreprise filiale »"),
             QVariant(),
             QStringLiteral("1: pour « Propriétaires »"),
             QVariant(),
             QStringLiteral("CUP  : pour « Méthode du prix comparable sur le marché libre »"),
             QVariant(),
             QStringLiteral("MPRM"),
             QVariant()});
    }
    const QString path = dir.filePath(QStringLiteral("lignes.xlsx"));
    fichiers::ecrire(path, fichiers::xlsx(lignes));

    if (async) {
        const int rc = QProcess::execute(
            QStringLiteral("gfix"),
            {QStringLiteral("-user"), QStringLiteral("SYSDBA"), QStringLiteral("-write"),
             QStringLiteral("async"), dir.filePath(QStringLiteral("db/TALMORIX.gdb"))});
        if (rc != 0) {
            QTextStream(stderr) << "gfix -write async failed" << Qt::endl;
            return 1;
        }
    }
    TDataprix module;
    module.DataModuleCreate(ini.fileName());
    module.societe->open();
    module.societe->append();
    module.societe->setValue(QStringLiteral("MFISCAL"), QStringLiteral("1234567"));
    module.societe->setValue(QStringLiteral("CLE"), QStringLiteral("A"));
    module.societe->setValue(QStringLiteral("EXERCICE"), 2023);
    module.societe->post();

    // Raw ceiling: every column the import writes, bound once per row, one commit with
    // retaining per row, for another company so that the keys never meet.
    db::Statement insert(module.IBTransaction1);
    insert.prepare(QStringLiteral(
        "insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, MATRICULEFISCAL, AUTREIDENTIFIANT, "
        "ETATTERRITORIAL, TYPEMONTANT, RAISONSOCIALE, NATUREOPERATIONS, ACHATS, VENTES, QUALITE, "
        "NATURRELATION, METHODE, CHANGEMENTMETHODE) values (:m, :e, :lg, :mat, :autre, :etat, :t, "
        ":r, :n, :a, :v, :q, :nr, :meth, :chg)"));
    auto raw = [&](int from, int to) {
        QElapsedTimer timer;
        timer.start();
        for (int i = from; i <= to; ++i) {
            insert.setParam(QStringLiteral("m"), QStringLiteral("7654321B"));
            insert.setParam(QStringLiteral("e"), 2023);
            insert.setParam(QStringLiteral("lg"), i);
            insert.setParam(QStringLiteral("mat"),
                            QStringLiteral("0000%1A").arg(i % 1000, 3, 10, QChar(u'0')));
            insert.setParam(QStringLiteral("autre"), QStringLiteral("ID-%1").arg(i));
            insert.setParam(QStringLiteral("etat"), QStringLiteral("FR"));
            insert.setParam(QStringLiteral("t"), QStringLiteral("3"));
            insert.setParam(QStringLiteral("r"), QStringLiteral("Société liée %1").arg(i % 50));
            insert.setParam(QStringLiteral("n"), QStringLiteral("2"));
            insert.setParam(QStringLiteral("a"), db::Decimal(1234500 + 1000 * i, 3));
            insert.setParam(QStringLiteral("v"), db::Decimal(125 * i, 3));
            insert.setParam(QStringLiteral("q"), QStringLiteral("4"));
            insert.setParam(QStringLiteral("nr"), QStringLiteral("1"));
            insert.setParam(QStringLiteral("meth"), QStringLiteral("CUP "));
            insert.setParam(QStringLiteral("chg"), QStringLiteral("MPRM"));
            insert.execute();
            module.commitRetaining();
        }
        return timer.nsecsElapsed() / 1e9;
    };
    double rawSeconds = raw(1, rows / 2);

    Dataset& ds = *module.montanttransactions;
    module.openForActiveCompany(ds);
    QElapsedTimer timer;
    timer.start();
    const Classeur classeur = LecteurSource::lire(path, FormatSource::Excel, {});
    const double readSeconds = timer.nsecsElapsed() / 1e9;
    ImportateurLignes importateur(ds, ReglageImport::pourPage(1));
    const BilanImport bilan = importateur.importer(classeur.feuilles.front());
    const double importSeconds = timer.nsecsElapsed() / 1e9;
    rawSeconds += raw(rows / 2 + 1, rows);

    QTextStream out(stdout);
    if (!bilan.reussi() || bilan.importees != rows) {
        out << "import failed: " << bilan.rapport() << Qt::endl;
        return 1;
    }
    out << "rows: " << rows << (async ? " (forced writes off)" : " (forced writes on)") << Qt::endl;
    out << "raw prepared insert + commit retaining per row: " << qRound(rows / rawSeconds)
        << " rows/s" << Qt::endl;
    out << "import of the .xlsx (reading included):        " << qRound(rows / importSeconds)
        << " rows/s (reading the workbook: " << QString::number(readSeconds, 'f', 3) << " s)"
        << Qt::endl;
    out << "ratio import / raw: " << QString::number(rawSeconds / importSeconds, 'f', 2)
        << Qt::endl;
    return 0;
}
