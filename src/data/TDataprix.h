#pragma once

#include "data/Configuration.h"
#include "data/DataSource.h"
#include "data/Dataset.h"
#include "db/Connection.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QObject>
#include <QVector>
#include <functional>
#include <memory>

/**
 * The data module: the one connection, the one transaction, every dataset of the
 * declaration tables and the record rules attached to them (line numbers, stamping
 * with the active company, zeroing of empty amounts, commit with retaining).
 *
 * One instance, reachable as `Dataprix`, lives from start to exit. The active company
 * is the current row of `societe`.
 */
class TDataprix : public QObject {
    Q_OBJECT

public:
    explicit TDataprix(QObject* parent = nullptr);
    ~TDataprix() override;

    /**
     * Reads CheminBase.ini at @p configPath (default: the first found of
     * Configuration::searchPaths(), the parent of the working folder first),
     * keeps `Modelessexcel` in RepertoireExcel, sets the database name and the login
     * (Configuration::credentials()) and connects.
     * On a failed connection it throws db::DatabaseError; the module then stays
     * unconnected and every later open retries.
     */
    void DataModuleCreate(const QString& configPath = QString());
    /// Closes every dataset, sets the database name and connects with the login the
    /// connection has (idataprix.setCredentials()); throws db::DatabaseError.
    void connectTo(const QString& databaseName);

    /// Connects when needed and starts IBTransaction1 when needed; throws db::DatabaseError.
    void ensureConnected();
    /// Commits IBTransaction1 with retaining.
    void commitRetaining();

    /**
     * Runs @p lecture with every read of the module in one read-only snapshot of the
     * database, taken now, so that what it reads never mixes two moments: the datasets it
     * opens and the statements run in IBTransaction1 all read that snapshot. The current row
     * of `societe` (the active company) is read again first, in the snapshot, unless it is
     * being edited. Nothing can be written meanwhile (the server refuses it).
     *
     * The datasets of the module that the pass opens are left as it left them: a list read to
     * its end keeps its rows; one left on its first row is opened again once the snapshot is
     * over (first row current); one left elsewhere reads its remaining rows first. From then
     * on they read and write in IBTransaction1 again. Throws what @p lecture throws, or
     * db::DatabaseError.
     */
    void lectureInstantanee(const std::function<void()>& lecture);

    /// The dataset named @p name (any case), or null.
    Dataset* dataset(const QString& name) const;
    const QVector<Dataset*>& datasets() const { return m_datasets; }

    /// MFISCAL followed by CLE of the current row of societe; empty without a current row.
    QString identifiantComplet() const;
    /// EXERCICE of the current row of societe (null without a current row).
    db::Value exerciceActif() const;
    /// Sets :mfiscal and :exercice of @p dataset from the active company and opens it.
    void openForActiveCompany(Dataset& dataset);

    // The connection and the transaction of the whole run.
    db::Connection idataprix;
    db::Transaction IBTransaction1{idataprix};

    // The datasets, owned by the module.
    Dataset* societe;
    Dataset* ctegorie;
    Dataset* devise;
    Dataset* Etatterritorial;
    Dataset* capitallie;
    Dataset* Capitaldeclarante;
    Dataset* INFOGROUPE;
    Dataset* actifincorporel;
    Dataset* Actifcorporel;
    Dataset* montanttransactions;
    Dataset* Empruntsprets;
    Dataset* operationssanscontre;
    Dataset* operationsaccord;

    /// The line-number query; its text is replaced each time a number is needed.
    std::unique_ptr<db::Statement> QueryMaxNumero;
    /// The data source of the company identification form, bound to societe.
    DataSource DSSOCIETE;
    /// The value of Modelessexcel, kept for the whole run.
    QString RepertoireExcel = Configuration::kDefaultModelesExcel;

private:
    // Record rules, attached to the dataset events by attacherRegles() from the table of
    // their names: line number and first stamping after insert, stamping (and zeroing)
    // before post, commit with retaining after post and delete.
    void capitallieAfterInsert(Dataset& ds);
    void capitallieBeforePost(Dataset& ds);
    void CapitaldeclaranteAfterInsert(Dataset& ds);
    void CapitaldeclaranteBeforePost(Dataset& ds);
    void INFOGROUPEAfterInsert(Dataset& ds);
    void INFOGROUPEBeforePost(Dataset& ds);
    void actifincorporelAfterInsert(Dataset& ds);
    void actifincorporelBeforePost(Dataset& ds);
    void ActifcorporelAfterInsert(Dataset& ds);
    void ActifcorporelBeforePost(Dataset& ds);
    void montanttransactionsAfterInsert(Dataset& ds);
    void montanttransactionsBeforePost(Dataset& ds);
    void EmpruntspretsAfterInsert(Dataset& ds);
    void EmpruntspretsBeforePost(Dataset& ds);
    void operationssanscontreAfterInsert(Dataset& ds);
    void operationssanscontreBeforePost(Dataset& ds);
    void operationsaccordAfterInsert(Dataset& ds);
    void operationsaccordBeforePost(Dataset& ds);
    void societeAfterPost(Dataset& ds);
    void societeAfterDelete(Dataset& ds);
    void ctegorieAfterPost(Dataset& ds);
    void ctegorieAfterDelete(Dataset& ds);
    void deviseAfterPost(Dataset& ds);
    void deviseAfterDelete(Dataset& ds);
    void EtatterritorialAfterPost(Dataset& ds);
    void EtatterritorialAfterDelete(Dataset& ds);
    void capitallieAfterPost(Dataset& ds);
    void capitallieAfterDelete(Dataset& ds);
    void CapitaldeclaranteAfterPost(Dataset& ds);
    void CapitaldeclaranteAfterDelete(Dataset& ds);
    void INFOGROUPEAfterPost(Dataset& ds);
    void INFOGROUPEAfterDelete(Dataset& ds);
    void actifincorporelAfterPost(Dataset& ds);
    void actifincorporelAfterDelete(Dataset& ds);
    void ActifcorporelAfterPost(Dataset& ds);
    void ActifcorporelAfterDelete(Dataset& ds);
    void montanttransactionsAfterPost(Dataset& ds);
    void montanttransactionsAfterDelete(Dataset& ds);
    void EmpruntspretsAfterPost(Dataset& ds);
    void EmpruntspretsAfterDelete(Dataset& ds);
    void operationssanscontreAfterPost(Dataset& ds);
    void operationssanscontreAfterDelete(Dataset& ds);
    void operationsaccordAfterPost(Dataset& ds);
    void operationsaccordAfterDelete(Dataset& ds);

    Dataset* makeDataset(const QString& name, const QString& table);
    void attacherRegles(Dataset& ds);
    void apresInsertion(Dataset& ds);
    void avantEnvoi(Dataset& ds);
    void numberLine(Dataset& ds);
    void stamp(Dataset& ds);
    void zeroEmptyAmounts(Dataset& ds);

    QVector<Dataset*> m_datasets;
};

/// The one data module of the run; null before it is created and after it is destroyed.
extern TDataprix* Dataprix;
