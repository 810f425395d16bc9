#include "data/TDataprix.h"

#include "data/Schema.h"
#include "db/DatabaseError.h"

TDataprix* Dataprix = nullptr;

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

    societe->onAfterPost = [this](Dataset& ds) { societeAfterPost(ds); };
    societe->onAfterDelete = [this](Dataset& ds) { societeAfterDelete(ds); };
    ctegorie->onAfterPost = [this](Dataset& ds) { ctegorieAfterPost(ds); };
    ctegorie->onAfterDelete = [this](Dataset& ds) { ctegorieAfterDelete(ds); };
    devise->onAfterPost = [this](Dataset& ds) { deviseAfterPost(ds); };
    devise->onAfterDelete = [this](Dataset& ds) { deviseAfterDelete(ds); };
    Etatterritorial->onAfterPost = [this](Dataset& ds) { EtatterritorialAfterPost(ds); };
    Etatterritorial->onAfterDelete = [this](Dataset& ds) { EtatterritorialAfterDelete(ds); };
    capitallie->onAfterPost = [this](Dataset& ds) { capitallieAfterPost(ds); };
    capitallie->onAfterDelete = [this](Dataset& ds) { capitallieAfterDelete(ds); };
    Capitaldeclarante->onAfterPost = [this](Dataset& ds) { CapitaldeclaranteAfterPost(ds); };
    Capitaldeclarante->onAfterDelete = [this](Dataset& ds) { CapitaldeclaranteAfterDelete(ds); };
    INFOGROUPE->onAfterPost = [this](Dataset& ds) { INFOGROUPEAfterPost(ds); };
    INFOGROUPE->onAfterDelete = [this](Dataset& ds) { INFOGROUPEAfterDelete(ds); };
    actifincorporel->onAfterPost = [this](Dataset& ds) { actifincorporelAfterPost(ds); };
    actifincorporel->onAfterDelete = [this](Dataset& ds) { actifincorporelAfterDelete(ds); };
    Actifcorporel->onAfterPost = [this](Dataset& ds) { ActifcorporelAfterPost(ds); };
    Actifcorporel->onAfterDelete = [this](Dataset& ds) { ActifcorporelAfterDelete(ds); };
    montanttransactions->onAfterPost = [this](Dataset& ds) { montanttransactionsAfterPost(ds); };
    montanttransactions->onAfterDelete = [this](Dataset& ds) {
        montanttransactionsAfterDelete(ds);
    };
    Empruntsprets->onAfterPost = [this](Dataset& ds) { EmpruntspretsAfterPost(ds); };
    Empruntsprets->onAfterDelete = [this](Dataset& ds) { EmpruntspretsAfterDelete(ds); };
    operationssanscontre->onAfterPost = [this](Dataset& ds) { operationssanscontreAfterPost(ds); };
    operationssanscontre->onAfterDelete = [this](Dataset& ds) {
        operationssanscontreAfterDelete(ds);
    };
    operationsaccord->onAfterPost = [this](Dataset& ds) { operationsaccordAfterPost(ds); };
    operationsaccord->onAfterDelete = [this](Dataset& ds) { operationsaccordAfterDelete(ds); };
    capitallie->onAfterInsert = [this](Dataset& ds) { capitallieAfterInsert(ds); };
    capitallie->onBeforePost = [this](Dataset& ds) { capitallieBeforePost(ds); };
    Capitaldeclarante->onAfterInsert = [this](Dataset& ds) { CapitaldeclaranteAfterInsert(ds); };
    Capitaldeclarante->onBeforePost = [this](Dataset& ds) { CapitaldeclaranteBeforePost(ds); };
    INFOGROUPE->onAfterInsert = [this](Dataset& ds) { INFOGROUPEAfterInsert(ds); };
    INFOGROUPE->onBeforePost = [this](Dataset& ds) { INFOGROUPEBeforePost(ds); };
    actifincorporel->onAfterInsert = [this](Dataset& ds) { actifincorporelAfterInsert(ds); };
    actifincorporel->onBeforePost = [this](Dataset& ds) { actifincorporelBeforePost(ds); };
    Actifcorporel->onAfterInsert = [this](Dataset& ds) { ActifcorporelAfterInsert(ds); };
    Actifcorporel->onBeforePost = [this](Dataset& ds) { ActifcorporelBeforePost(ds); };
    montanttransactions->onAfterInsert = [this](Dataset& ds) {
        montanttransactionsAfterInsert(ds);
    };
    montanttransactions->onBeforePost = [this](Dataset& ds) { montanttransactionsBeforePost(ds); };
    Empruntsprets->onAfterInsert = [this](Dataset& ds) { EmpruntspretsAfterInsert(ds); };
    Empruntsprets->onBeforePost = [this](Dataset& ds) { EmpruntspretsBeforePost(ds); };
    operationssanscontre->onAfterInsert = [this](Dataset& ds) {
        operationssanscontreAfterInsert(ds);
    };
    operationssanscontre->onBeforePost = [this](Dataset& ds) {
        operationssanscontreBeforePost(ds);
    };
    operationsaccord->onAfterInsert = [this](Dataset& ds) { operationsaccordAfterInsert(ds); };
    operationsaccord->onBeforePost = [this](Dataset& ds) { operationsaccordBeforePost(ds); };
    QueryMaxNumero = std::make_unique<db::Statement>(IBTransaction1);
    DSSOCIETE.setDataset(societe);
    Dataprix = this;
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
        Configuration::read(configPath.isEmpty() ? Configuration::defaultPath() : configPath);
    RepertoireExcel = config.modelesExcel;
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
    ds.setValue(QStringLiteral("LG"), max.isNull() ? db::Value(1) : db::Value(max.toInt() + 1));
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

void TDataprix::capitallieAfterInsert(Dataset& ds) {
    numberLine(ds);
}
void TDataprix::capitallieBeforePost(Dataset& ds) {
    stamp(ds);
}
void TDataprix::CapitaldeclaranteAfterInsert(Dataset& ds) {
    numberLine(ds);
}
void TDataprix::CapitaldeclaranteBeforePost(Dataset& ds) {
    stamp(ds);
}
void TDataprix::INFOGROUPEAfterInsert(Dataset& ds) {
    stamp(ds);
}
void TDataprix::INFOGROUPEBeforePost(Dataset& ds) {
    stamp(ds);
}
void TDataprix::actifincorporelAfterInsert(Dataset& ds) {
    numberLine(ds);
}
void TDataprix::actifincorporelBeforePost(Dataset& ds) {
    stamp(ds);
}
void TDataprix::ActifcorporelAfterInsert(Dataset& ds) {
    numberLine(ds);
}
void TDataprix::ActifcorporelBeforePost(Dataset& ds) {
    stamp(ds);
}
void TDataprix::montanttransactionsAfterInsert(Dataset& ds) {
    numberLine(ds);
}
void TDataprix::montanttransactionsBeforePost(Dataset& ds) {
    stamp(ds);
    zeroEmptyAmounts(ds);
}
void TDataprix::EmpruntspretsAfterInsert(Dataset& ds) {
    numberLine(ds);
}
void TDataprix::EmpruntspretsBeforePost(Dataset& ds) {
    stamp(ds);
    zeroEmptyAmounts(ds);
}
void TDataprix::operationssanscontreAfterInsert(Dataset& ds) {
    numberLine(ds);
}
void TDataprix::operationssanscontreBeforePost(Dataset& ds) {
    stamp(ds);
}
void TDataprix::operationsaccordAfterInsert(Dataset& ds) {
    numberLine(ds);
}
void TDataprix::operationsaccordBeforePost(Dataset& ds) {
    stamp(ds);
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
