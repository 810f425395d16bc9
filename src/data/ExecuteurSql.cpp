#include "data/ExecuteurSql.h"

#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"

ExecuteurSql::ExecuteurSql() = default;

ExecuteurSql::~ExecuteurSql() = default;

void ExecuteurSql::executer(const QString& sql, const Parametres& parametres) {
    // The statement belongs to the attachment of the moment: the data module may have
    // reconnected since the last run.
    if (m_statement) {
        m_statement->closeCursor();
    }
    m_statement.reset();
    m_texte = sql;
    m_lignesTouchees = 0;
    if (!Dataprix) {
        throw db::DatabaseError(QStringLiteral("Database not connected"));
    }
    Dataprix->ensureConnected();
    m_statement = std::make_unique<db::Statement>(Dataprix->IBTransaction1);
    m_statement->prepare(sql);
    for (const auto& [nom, valeur] : parametres) {
        m_statement->setParam(nom, valeur);
    }
    m_statement->execute();
    m_lignesTouchees = m_statement->affectedRows();
    m_statement->closeCursor();
}
