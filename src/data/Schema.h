#pragma once

#include "data/TableDef.h"

#include <QStringList>
#include <QVector>

/**
 * The declaration database: the thirteen tables with their columns, keys and list
 * orders, and the statements that create a new database.
 */
class Schema {
public:
    /// The thirteen tables, companies and reference data first.
    static const QVector<TableDef>& tables();
    /// The table named @p name (any case); throws std::out_of_range for an unknown name.
    static const TableDef& table(const QString& name);
    /// The statements that create the tables and the procedure INITIALISATION, in order.
    static QStringList creationScript();
    /// The tables that INITIALISATION empties: every table of entered data.
    static QStringList enteredDataTables();
};
