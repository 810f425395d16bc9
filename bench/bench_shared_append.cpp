// Appending lines on a shared database: N operation lines through the dataset with every
// record rule (line-number query, stamping, zeroing, refresh, commit with retaining), over
// loopback to a Firebird server and with the embedded engine, against a raw prepared insert
// with a commit with retaining per row over the same loopback. One run, three rates.
//
//     bench_shared_append ADDRESS [N]      ADDRESS: the server, e.g. 127.0.0.1/3050
//
// scripts/test-server.sh start DIR starts a server and prints its address; its test user
// logs in through ISC_USER=$(cat DIR/test-user) and ISC_PASSWORD=$(cat DIR/test-password).
#include "AjoutLignes.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace bench;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc < 2) {
        out << "Usage : bench_shared_append ADRESSE_DU_SERVEUR [LIGNES]" << Qt::endl;
        return 2;
    }
    const QString address = QString::fromLocal8Bit(argv[1]);
    const int rows = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 2000;

    QTemporaryDir embeddedDir;
    QTemporaryDir serverDir;
    double embedded = 0;
    double loopback = 0;
    double raw = 0;
    {
        auto module = freshDatabase(embeddedDir, QString());
        embedded = datasetSeconds(*module, rows);
    }
    {
        auto module = freshDatabase(serverDir, address + u':');
        module->ensureConnected();
        raw = rawSeconds(*module, rows);
        loopback = datasetSeconds(*module, rows);
    }

    out << "rows: " << rows << Qt::endl;
    out << "dataset append, embedded:                 " << qRound(rows / embedded) << " rows/s"
        << Qt::endl;
    out << "dataset append, loopback server:          " << qRound(rows / loopback) << " rows/s"
        << Qt::endl;
    out << "raw insert + commit retaining, loopback:  " << qRound(rows / raw) << " rows/s"
        << Qt::endl;
    out << "ratio loopback dataset / loopback raw:    " << QString::number(raw / loopback, 'f', 2)
        << Qt::endl;
    out << "ratio loopback dataset / embedded dataset: "
        << QString::number(embedded / loopback, 'f', 2) << Qt::endl;
    return 0;
}
