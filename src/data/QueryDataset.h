#pragma once

#include "data/Dataset.h"

/**
 * A read-only dataset over a query of its own: its own text and its own columns, read on
 * the data module's connection and in its transaction, like every dataset. It navigates,
 * fetches and notifies its views as any dataset does, and refuses every change with
 * "Cannot modify a read-only dataset".
 *
 * For the windows that only read: the related-company pick, look-ups of their own.
 */
class QueryDataset : public Dataset {
    Q_OBJECT

public:
    /// @p fields names and types the columns the query returns (matched by name).
    QueryDataset(const QString& name, const QString& sql, const QVector<FieldDef>& fields,
                 TDataprix& module, QObject* parent = nullptr);

    /// The columns @p names of @p table, in that order, for a query that reads them.
    static QVector<FieldDef> columnsOf(const TableDef& table, const QStringList& names);
};
