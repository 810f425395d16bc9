#pragma once

#include "db/Value.h"

#include <QPair>
#include <QString>
#include <QVector>
#include <memory>

namespace db {
class Statement;
}

/**
 * The main window's statement runner `ExecuterSql`: one statement at a time, on the data
 * module's connection and in its one transaction. It never commits: the script console
 * commits after it.
 */
class ExecuteurSql {
public:
    using Parametres = QVector<QPair<QString, db::Value>>;

    ExecuteurSql();
    ~ExecuteurSql();

    /**
     * Closes the previous statement, replaces the text with @p sql, binds @p parametres by
     * name and runs it on Dataprix (connecting when needed). A query is opened and its rows
     * are not read. Throws db::DatabaseError with the server's text; the text then stays
     * until the next run.
     */
    void executer(const QString& sql, const Parametres& parametres = {});
    /// The text of the last statement run, or being run.
    const QString& texte() const { return m_texte; }
    /// Rows inserted, updated or deleted by the last statement.
    qint64 lignesTouchees() const { return m_lignesTouchees; }

private:
    std::unique_ptr<db::Statement> m_statement;
    QString m_texte;
    qint64 m_lignesTouchees = 0;
};
