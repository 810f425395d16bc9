#include "data/DatabaseCreator.h"

#include "data/ReferenceData.h"
#include "data/Schema.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QDir>
#include <QFileInfo>

namespace {

void insertRows(db::Transaction& transaction, const QString& sql,
                const QVector<ReferenceRow>& rows) {
    db::Statement statement(transaction);
    statement.prepare(sql);
    for (const ReferenceRow& row : rows) {
        statement.setParam(QStringLiteral("code"), row.code);
        statement.setParam(QStringLiteral("libelle"), row.label);
        statement.execute();
    }
}

}  // namespace

QString DatabaseCreator::create(const QString& folder) {
    const QString path = QDir(folder).absoluteFilePath(QStringLiteral("TALMORIX.gdb"));
    if (QFileInfo::exists(path)) {
        throw db::DatabaseError(
            QStringLiteral("Le fichier %1 existe déjà : il n'a pas été modifié.").arg(path));
    }
    if (!QDir().mkpath(folder)) {
        throw db::DatabaseError(QStringLiteral("Impossible de créer le dossier %1.")
                                    .arg(QDir::toNativeSeparators(folder)));
    }
    db::Connection::createDatabase(path);
    try {
        db::Connection connection;
        connection.setDatabaseName(path);
        connection.open();
        db::Transaction transaction(connection);
        connection.setDefaultTransaction(&transaction);
        transaction.start();
        for (const QString& statement : Schema::creationScript()) {
            db::Statement ddl(transaction);
            ddl.prepare(statement);
            ddl.execute();
        }
        // Definitions must be committed before the tables take rows.
        transaction.commitRetaining();
        insertRows(transaction,
                   QStringLiteral("insert into DEVISE (DEVISE, LIBELLE) values (:code, :libelle)"),
                   ReferenceData::currencies());
        insertRows(
            transaction,
            QStringLiteral("insert into ETATTERRITORIAL (CODE, PAYS) values (:code, :libelle)"),
            ReferenceData::states());
        insertRows(transaction,
                   QStringLiteral("insert into CATEGORIE (CODE, LIBELLE) values (:code, :libelle)"),
                   ReferenceData::categories());
        transaction.commit();
        connection.close();
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    return path;
}
