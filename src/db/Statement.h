#pragma once

#include "db/DatabaseError.h"
#include "db/Value.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

namespace db {

class Transaction;

/**
 * A prepared statement with named parameters (":mfiscal"), run in one transaction.
 *
 * Parameter names match without regard to case; a name used twice in the text takes
 * the one value. Text parameters are sent as Windows-1252; a text with a character
 * that has no Windows-1252 byte is refused with a French message naming the
 * parameter. Numbers, decimals and dates are sent exactly and converted by the
 * server to the column's type.
 */
class Statement {
public:
    explicit Statement(Transaction& transaction);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    /// Prepares @p sql; throws DatabaseError with the server's text.
    void prepare(const QString& sql);
    /// True when prepared on the connection's current attachment: after a reconnection a
    /// statement reports false and must be prepared again.
    bool isPrepared() const;
    /// True while a query's cursor is open on the current attachment.
    bool hasOpenCursor() const;
    const QString& sql() const { return m_sql; }
    /// True for a statement that returns rows (a select).
    bool isQuery() const;

    /// The distinct parameter names, in lower case, in order of first occurrence.
    QStringList parameterNames() const;
    void setParam(const QString& name, const Value& value);
    void clearParams();

    /**
     * Runs the statement. A query opens its cursor (read with fetch()); any other
     * statement is executed and its affected row count recorded.
     */
    void execute();
    /// Reads the next row of an open query; false past the last row (the cursor is then closed).
    bool fetch();
    /// Closes the cursor, if any; the statement stays prepared.
    void closeCursor();
    /// Rows inserted, updated or deleted by the last execute().
    qint64 affectedRows() const { return m_affectedRows; }

    int columnCount() const { return static_cast<int>(m_columnNames.size()); }
    /// Upper-case name (alias) of each result column.
    const QStringList& columnNames() const { return m_columnNames; }
    int columnIndex(const QString& name) const;
    /// Values of the row last fetched.
    const QVector<Value>& row() const { return m_row; }
    /// Value of the row last fetched by column name; throws DatabaseError for an unknown name.
    const Value& value(const QString& name) const;

private:
    bool isAlive() const;
    /// The error for a use of a statement whose attachment is gone.
    DatabaseError notConnected() const;

    struct Impl;
    Transaction& m_transaction;
    std::unique_ptr<Impl> m_impl;
    QString m_sql;
    QStringList m_columnNames;
    QVector<Value> m_row;
    qint64 m_affectedRows = 0;
};

}  // namespace db
