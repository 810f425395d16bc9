#pragma once

#include "data/FieldDef.h"

#include <QStringList>
#include <QVector>

/**
 * One declaration table: its columns in order, its key, the order of its list query
 * and the record rules its dataset carries.
 */
struct TableDef {
    QString name;
    QVector<FieldDef> fields;
    QStringList key;
    QStringList order;
    /// Detail tables: listed with :mfiscal and :exercice, stamped before every post.
    bool detail = false;
    /// Line-numbered tables: the spelling of the table name in the line-number query.
    QString lineNumberTable;
    /// Amount columns set to 0 when empty at post.
    QStringList zeroedWhenEmpty;

    bool lineNumbered() const { return !lineNumberTable.isEmpty(); }
    /// Position of the column @p field (any case), or -1.
    int fieldIndex(const QString& field) const;
    /// The list query: all columns, restricted to the company and year for detail tables.
    QString listQuery() const;
};
