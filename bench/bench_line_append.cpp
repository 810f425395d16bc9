// Appends N lines through the line-numbered dataset of the transaction amounts, with
// every record rule (line-number query, stamping, zeroing, refresh, commit with
// retaining), against a raw prepared insert with a commit with retaining per row on
// the same table. Prints both rates and their ratio.
#include "AjoutLignes.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTemporaryDir dir;
    const std::unique_ptr<TDataprix> module = bench::freshDatabase(dir, QString());
    const double rawSeconds = bench::rawSeconds(*module, rows);
    const double datasetSeconds = bench::datasetSeconds(*module, rows);

    QTextStream out(stdout);
    out << "rows: " << rows << Qt::endl;
    out << "raw prepared insert + commit retaining: " << qRound(rows / rawSeconds) << " rows/s"
        << Qt::endl;
    out << "dataset append with record rules:      " << qRound(rows / datasetSeconds) << " rows/s"
        << Qt::endl;
    out << "ratio dataset / raw: " << QString::number(rawSeconds / datasetSeconds, 'f', 2)
        << Qt::endl;
    return 0;
}
