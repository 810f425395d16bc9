#include "data/TDataprix.h"

#include "data/Schema.h"
#include "db/DatabaseError.h"

#include <QSet>

TDataprix* Dataprix = nullptr;

namespace {

using Regle = void (TDataprix::*)(Dataset&);

// The handlers of each dataset, under their names. Which of them a dataset carries follows
// from its table (see attacherRegles); what they do, too (line number, stamping, zeroing).
struct HandlersNommes {
    const char16_t* dataset;
    Regle afterInsert;
    Regle beforePost;
    Regle afterPost;
    Regle afterDelete;
};

}  // namespace

TDataprix::TDataprix(QObject* parent) : QObject(parent) {
    idataprix.setDefaultTransaction(&IBTransaction1);
    societe = makeDataset(QStringLiteral("societe"), QStringLiteral("SOCIETE"));
    ctegorie = makeDataset(QStringLiteral("ctegorie"), QStringLiteral("CATEGORIE"));
    devise = makeDataset(QStringLiteral("devise"), QStringLiteral("DEVISE"));
    Etatterritorial =
        makeDataset(QStringLiteral("Etatterritorial"), QStringLiteral("ETATTERRITORIAL"));
    capitallie = makeDataset(QStringLiteral("capitallie"), QStringLiteral("CAPITALLIEE"));
    Capitaldeclarante =
        makeDataset(QStringLiteral("Capitaldeclarante"), QStringLiteral("CAPITALDECLARANTE"));
    INFOGROUPE = makeDataset(QStringLiteral("INFOGROUPE"), QStringLiteral("INFORMATIONGROUPE"));
    actifincorporel =
        makeDataset(QStringLiteral("actifincorporel"), QStringLiteral("LISTEACTIFINCORPOREL"));
    Actifcorporel =
        makeDataset(QStringLiteral("Actifcorporel"), QStringLiteral("LISTEACTIFCORPOREL"));
    montanttransactions =
        makeDataset(QStringLiteral("montanttransactions"), QStringLiteral("OPERATIONSMONTANTS"));
    Empruntsprets =
        makeDataset(QStringLiteral("Empruntsprets"), QStringLiteral("OPERATIONPRETEMPRUNT"));
    operationssanscontre =
        makeDataset(QStringLiteral("operationssanscontre"), QStringLiteral("OPERATIONSANSCONTRE"));
    operationsaccord =
        makeDataset(QStringLiteral("operationsaccord"), QStringLiteral("OPERATIONRESCRITFISCAUX"));
    for (Dataset* ds : m_datasets) {
        attacherRegles(*ds);
    }
    QueryMaxNumero = std::make_unique<db::Statement>(IBTransaction1);
    DSSOCIETE.setDataset(societe);
    Dataprix = this;
}

void TDataprix::attacherRegles(Dataset& ds) {
    // In a member, which alone may name the private handlers.
    static const HandlersNommes kHandlers[] = {
        {u"societe", nullptr, nullptr, &TDataprix::societeAfterPost,
         &TDataprix::societeAfterDelete},
        {u"ctegorie", nullptr, nullptr, &TDataprix::ctegorieAfterPost,
         &TDataprix::ctegorieAfterDelete},
        {u"devise", nullptr, nullptr, &TDataprix::deviseAfterPost, &TDataprix::deviseAfterDelete},
        {u"Etatterritorial", nullptr, nullptr, &TDataprix::EtatterritorialAfterPost,
         &TDataprix::EtatterritorialAfterDelete},
        {u"capitallie", &TDataprix::capitallieAfterInsert, &TDataprix::capitallieBeforePost,
         &TDataprix::capitallieAfterPost, &TDataprix::capitallieAfterDelete},
        {u"Capitaldeclarante", &TDataprix::CapitaldeclaranteAfterInsert,
         &TDataprix::CapitaldeclaranteBeforePost, &TDataprix::CapitaldeclaranteAfterPost,
         &TDataprix::CapitaldeclaranteAfterDelete},
        {u"INFOGROUPE", &TDataprix::INFOGROUPEAfterInsert, &TDataprix::INFOGROUPEBeforePost,
         &TDataprix::INFOGROUPEAfterPost, &TDataprix::INFOGROUPEAfterDelete},
        {u"actifincorporel", &TDataprix::actifincorporelAfterInsert,
         &TDataprix::actifincorporelBeforePost, &TDataprix::actifincorporelAfterPost,
         &TDataprix::actifincorporelAfterDelete},
        {u"Actifcorporel", &TDataprix::ActifcorporelAfterInsert,
         &TDataprix::ActifcorporelBeforePost, &TDataprix::ActifcorporelAfterPost,
         &TDataprix::ActifcorporelAfterDelete},
        {u"montanttransactions", &TDataprix::montanttransactionsAfterInsert,
         &TDataprix::montanttransactionsBeforePost, &TDataprix::montanttransactionsAfterPost,
         &TDataprix::montanttransactionsAfterDelete},
        {u"Empruntsprets", &TDataprix::EmpruntspretsAfterInsert,
         &TDataprix::EmpruntspretsBeforePost, &TDataprix::EmpruntspretsAfterPost,
         &TDataprix::EmpruntspretsAfterDelete},
        {u"operationssanscontre", &TDataprix::operationssanscontreAfterInsert,
         &TDataprix::operationssanscontreBeforePost, &TDataprix::operationssanscontreAfterPost,
         &TDataprix::operationssanscontreAfterDelete},
        {u"operationsaccord", &TDataprix::operationsaccordAfterInsert,
         &TDataprix::operationsaccordBeforePost, &TDataprix::operationsaccordAfterPost,
         &TDataprix::operationsaccordAfterDelete},
    };
    const HandlersNommes* handlers = nullptr;
    for (const HandlersNommes& h : kHandlers) {
        if (ds.name() == QStringView(h.dataset)) {
            handlers = &h;
        }
    }
    Q_ASSERT_X(handlers, "TDataprix", "a dataset without its named handlers");
    auto lier = [this](Regle regle) -> Dataset::Handler {
        return [this, regle](Dataset& d) { (this->*regle)(d); };
    };
    // Every table commits after a post and a delete; detail tables are also numbered or
    // stamped when a row is created, and stamped (and zeroed) before it is sent.
    ds.onAfterPost = lier(handlers->afterPost);
    ds.onAfterDelete = lier(handlers->afterDelete);
    if (ds.table().detail) {
        Q_ASSERT(handlers->afterInsert && handlers->beforePost);
        ds.onAfterInsert = lier(handlers->afterInsert);
        ds.onBeforePost = lier(handlers->beforePost);
    }
    // Another workstation may take the line number between the rule and the insert: the
    // rule then numbers the row again, from what that workstation has committed.
    if (ds.table().lineNumbered()) {
        ds.onKeyCollision = [this](Dataset& d) { numberLine(d); };
    }
}

TDataprix::~TDataprix() {
    // Statements must be freed while the attachment still exists; a row still being
    // edited is abandoned, as at any exit.
    for (Dataset* ds : m_datasets) {
        ds->close();
    }
    qDeleteAll(m_datasets);
    m_datasets.clear();
    QueryMaxNumero.reset();
    idataprix.close();
    if (Dataprix == this) {
        Dataprix = nullptr;
    }
}

Dataset* TDataprix::makeDataset(const QString& name, const QString& table) {
    auto* ds = new Dataset(name, Schema::table(table), *this);
    m_datasets.append(ds);
    return ds;
}

void TDataprix::DataModuleCreate(const QString& configPath) {
    const Configuration config =
        configPath.isEmpty() ? Configuration::find() : Configuration::read(configPath);
    RepertoireExcel = config.modelesExcel;
    idataprix.setCredentials(config.credentials());
    connectTo(config.databaseName());
}

void TDataprix::connectTo(const QString& databaseName) {
    for (Dataset* ds : m_datasets) {
        ds->close();
    }
    idataprix.close();
    idataprix.setDatabaseName(databaseName);
    idataprix.open();
}

void TDataprix::ensureConnected() {
    if (!idataprix.isConnected()) {
        idataprix.open();
    }
    if (!IBTransaction1.isActive()) {
        IBTransaction1.start();
    }
}

void TDataprix::commitRetaining() {
    IBTransaction1.commitRetaining();
}

void TDataprix::lectureInstantanee(const std::function<void()>& lecture) {
    ensureConnected();
    IBTransaction1.beginReadingSnapshot();
    // The datasets opened by the pass read in the snapshot, and their cursors end with it.
    QSet<Dataset*> ouverts;
    QVector<QMetaObject::Connection> suivis;
    for (Dataset* ds : m_datasets) {
        suivis.append(connect(ds, &Dataset::rowsReset, this, [ds, &ouverts] {
            if (ds->isActive()) {
                ouverts.insert(ds);
            } else {
                ouverts.remove(ds);
            }
        }));
    }
    auto terminer = [&](bool reussi) {
        for (const QMetaObject::Connection& c : suivis) {
            disconnect(c);
        }
        // A list read to its end keeps its rows. One the pass only looked into (a presence
        // test, left on its first row) is opened again on the shared transaction once the
        // snapshot is over, rather than read whole now: it may hold a hundred thousand lines
        // that no one asked for. A list the pass left elsewhere is read to its end, so that
        // its place stays.
        QVector<Dataset*> aRouvrir;
        for (Dataset* ds : std::as_const(ouverts)) {
            if (!ds->canFetchMore()) {
                continue;
            }
            if (ds->currentIndex() <= 0) {
                aRouvrir.append(ds);
                continue;
            }
            try {
                ds->fetchAll();
            } catch (const db::DatabaseError&) {
                // The pass failed and its error is on its way to the user; a fetch that
                // fails closes its cursor and leaves the rows read so far.
                if (reussi) {
                    throw;
                }
            }
        }
        IBTransaction1.endReadingSnapshot();
        for (Dataset* ds : aRouvrir) {
            if (reussi) {
                ds->open();
            } else {
                ds->close();
            }
        }
    };
    try {
        if (societe->isActive() && !societe->isEditing() && societe->currentIndex() >= 0) {
            societe->refresh();
        }
        lecture();
    } catch (...) {
        terminer(false);
        throw;
    }
    terminer(true);
}

Dataset* TDataprix::dataset(const QString& name) const {
    for (Dataset* ds : m_datasets) {
        if (ds->name().compare(name, Qt::CaseInsensitive) == 0) {
            return ds;
        }
    }
    return nullptr;
}

QString TDataprix::identifiantComplet() const {
    if (!societe->isActive() || societe->isEmpty()) {
        return QString();
    }
    return societe->value(QStringLiteral("MFISCAL")).toText() +
           societe->value(QStringLiteral("CLE")).toText();
}

db::Value TDataprix::exerciceActif() const {
    if (!societe->isActive() || societe->isEmpty()) {
        return db::Value();
    }
    return societe->value(QStringLiteral("EXERCICE"));
}

void TDataprix::openForActiveCompany(Dataset& dataset) {
    dataset.close();
    dataset.setParam(QStringLiteral("mfiscal"), identifiantComplet());
    dataset.setParam(QStringLiteral("exercice"), exerciceActif());
    dataset.open();
}

void TDataprix::numberLine(Dataset& ds) {
    const QString sql = QStringLiteral(
                            "select max(%1.lg) as MaxNumero from %1 Where mfiscal=:mfiscal and  "
                            "exercice=:exercice")
                            .arg(ds.table().lineNumberTable);
    QueryMaxNumero->closeCursor();
    ensureConnected();
    // Same text as last time: the prepared statement serves again, saving a round trip.
    if (!QueryMaxNumero->isPrepared() || QueryMaxNumero->sql() != sql) {
        QueryMaxNumero->prepare(sql);
    }
    QueryMaxNumero->setParam(QStringLiteral("mfiscal"), identifiantComplet());
    QueryMaxNumero->setParam(QStringLiteral("exercice"), exerciceActif());
    QueryMaxNumero->execute();
    db::Value max;
    if (QueryMaxNumero->fetch()) {
        max = QueryMaxNumero->value(QStringLiteral("MAXNUMERO"));
    }
    QueryMaxNumero->closeCursor();
    ds.setRuleValue(QStringLiteral("LG"), max.isNull() ? db::Value(1) : db::Value(max.toInt() + 1));
    stamp(ds);
}

void TDataprix::stamp(Dataset& ds) {
    ds.setValue(QStringLiteral("MFISCAL"), identifiantComplet());
    ds.setValue(QStringLiteral("EXERCICE"), exerciceActif());
}

void TDataprix::zeroEmptyAmounts(Dataset& ds) {
    for (const QString& field : ds.table().zeroedWhenEmpty) {
        if (ds.value(field).isNull()) {
            ds.setValue(field, db::Decimal(0, 3));
        }
    }
}

void TDataprix::apresInsertion(Dataset& ds) {
    if (ds.table().lineNumbered()) {
        numberLine(ds);
    } else {
        stamp(ds);
    }
}

void TDataprix::avantEnvoi(Dataset& ds) {
    stamp(ds);
    zeroEmptyAmounts(ds);
}

void TDataprix::capitallieAfterInsert(Dataset& ds) {
    apresInsertion(ds);
}
void TDataprix::capitallieBeforePost(Dataset& ds) {
    avantEnvoi(ds);
}
void TDataprix::CapitaldeclaranteAfterInsert(Dataset& ds) {
    apresInsertion(ds);
}
void TDataprix::CapitaldeclaranteBeforePost(Dataset& ds) {
    avantEnvoi(ds);
}
void TDataprix::INFOGROUPEAfterInsert(Dataset& ds) {
    apresInsertion(ds);
}
void TDataprix::INFOGROUPEBeforePost(Dataset& ds) {
    avantEnvoi(ds);
}
void TDataprix::actifincorporelAfterInsert(Dataset& ds) {
    apresInsertion(ds);
}
void TDataprix::actifincorporelBeforePost(Dataset& ds) {
    avantEnvoi(ds);
}
void TDataprix::ActifcorporelAfterInsert(Dataset& ds) {
    apresInsertion(ds);
}
void TDataprix::ActifcorporelBeforePost(Dataset& ds) {
    avantEnvoi(ds);
}
void TDataprix::montanttransactionsAfterInsert(Dataset& ds) {
    apresInsertion(ds);
}
void TDataprix::montanttransactionsBeforePost(Dataset& ds) {
    avantEnvoi(ds);
}
void TDataprix::EmpruntspretsAfterInsert(Dataset& ds) {
    apresInsertion(ds);
}
void TDataprix::EmpruntspretsBeforePost(Dataset& ds) {
    avantEnvoi(ds);
}
void TDataprix::operationssanscontreAfterInsert(Dataset& ds) {
    apresInsertion(ds);
}
void TDataprix::operationssanscontreBeforePost(Dataset& ds) {
    avantEnvoi(ds);
}
void TDataprix::operationsaccordAfterInsert(Dataset& ds) {
    apresInsertion(ds);
}
void TDataprix::operationsaccordBeforePost(Dataset& ds) {
    avantEnvoi(ds);
}
void TDataprix::societeAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::societeAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::ctegorieAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::ctegorieAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::deviseAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::deviseAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::EtatterritorialAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::EtatterritorialAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::capitallieAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::capitallieAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::CapitaldeclaranteAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::CapitaldeclaranteAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::INFOGROUPEAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::INFOGROUPEAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::actifincorporelAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::actifincorporelAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::ActifcorporelAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::ActifcorporelAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::montanttransactionsAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::montanttransactionsAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::EmpruntspretsAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::EmpruntspretsAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::operationssanscontreAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::operationssanscontreAfterDelete(Dataset&) {
    commitRetaining();
}
void TDataprix::operationsaccordAfterPost(Dataset&) {
    commitRetaining();
}
void TDataprix::operationsaccordAfterDelete(Dataset&) {
    commitRetaining();
}
