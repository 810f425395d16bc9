// The company list over N companies (default 10,000), on the offscreen platform: the time to
// open the list (the dataset re-opened and the grid shown), and the time of each search
// keystroke (a new query with its bound parameter, the grid refilled), against the bare
// running of the same queries with every row fetched.
#include "BenchServices.h"
#include "companies/Tfrmsocietes.h"
#include "data/DatabaseCreator.h"
#include "data/TDataprix.h"
#include "db/Statement.h"
#include "widgets/DBGrid.h"
#include "widgets/SearchEdit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int companies = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTemporaryDir dir;
    const QString path = DatabaseCreator::create(dir.filePath(QStringLiteral("db")));
    TDataprix module;
    module.connectTo(path);
    module.ensureConnected();
    {
        db::Statement insert(module.IBTransaction1);
        insert.prepare(QStringLiteral(
            "insert into SOCIETE (MFISCAL, CLE, EXERCICE, RAISONSOCIALE, ADRESSE) values (:m, "
            "'A', :e, :r, 'Rue de la Liberté, Tunis')"));
        const QStringList debuts = {u"ALPHA"_qs, u"BETA"_qs,  u"CARTHAGE"_qs,
                                    u"DELTA"_qs, u"ÉLITE"_qs, u"SOUSSE"_qs};
        for (int i = 0; i < companies; ++i) {
            insert.setParam(QStringLiteral("m"), QString::number(1000000 + i / 3));
            insert.setParam(QStringLiteral("e"), 2021 + i % 3);
            insert.setParam(QStringLiteral("r"),
                            QStringLiteral("%1 %2 SARL").arg(debuts[i % debuts.size()]).arg(i));
            insert.execute();
        }
        module.commitRetaining();
    }

    // Bare: the same queries, every row fetched, nothing shown.
    auto bare = [&](const QString& sql, const QString& param) {
        db::Statement st(module.IBTransaction1);
        st.prepare(sql);
        if (!param.isEmpty()) {
            st.setParam(QStringLiteral("raisonsociale"), param);
        }
        QElapsedTimer t;
        t.start();
        st.execute();
        int n = 0;
        while (st.fetch()) {
            ++n;
        }
        return t.nsecsElapsed();
    };
    QVector<qint64> bareOpen;
    for (int i = 0; i < 5; ++i) {
        bareOpen.append(bare(QStringLiteral("select * from SOCIETE order by RAISONSOCIALE"), {}));
    }

    QVector<qint64> datasetOpen;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        module.societe->open();
        datasetOpen.append(t.nsecsElapsed());
    }
    out << "dataset open alone " << medianMs(datasetOpen) << " ms" << Qt::endl;
    BenchServices services;
    QVector<qint64> opening;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        auto* liste = new Tfrmsocietes(services);
        services.ouvrirFenetre(liste);
        QCoreApplication::processEvents();
        opening.append(t.nsecsElapsed());
        if (i < 4) {
            liste->close();
            delete liste;
        }
    }
    auto* liste =
        qobject_cast<Tfrmsocietes*>(services.ouvrirFenetre(new Tfrmsocietes(services))->widget());
    QCoreApplication::processEvents();
    QVector<qint64> keystrokes;
    const QString texte = QStringLiteral("CARTHAGE 12");
    for (int round = 0; round < 3; ++round) {
        liste->champRecherche()->clear();
        QCoreApplication::processEvents();
        for (const QChar c : texte) {
            QElapsedTimer t;
            t.start();
            liste->champRecherche()->insert(QString(c));
            QCoreApplication::processEvents();
            keystrokes.append(t.nsecsElapsed());
        }
    }
    out << companies << " companies: opening the list " << medianMs(opening)
        << " ms (median of 5; bare query with every row fetched " << medianMs(bareOpen)
        << " ms); search keystroke " << medianMs(keystrokes) << " ms median, "
        << double(*std::max_element(keystrokes.begin(), keystrokes.end())) / 1e6 << " ms worst ("
        << keystrokes.size()
        << " keystrokes); rows fetched by the grid after the last: " << module.societe->rowCount()
        << Qt::endl;
    return 0;
}
