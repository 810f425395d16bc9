#pragma once

#include "db/Credentials.h"

#include <QString>

/**
 * Makes a new declaration database: FOLDER/TALMORIX.gdb with its thirteen tables,
 * the procedure INITIALISATION and the reference rows (currencies, states and
 * territories, categories). FOLDER is a folder of this machine or a server's,
 * "host[/port]:folder".
 */
class DatabaseCreator {
public:
    /**
     * Creates the database in @p folder and returns its connection name (the file's path,
     * or "host:path" on a server). The user of @p credentials creates it and so owns it. A
     * local folder is made when missing; a server's must exist. Refuses, with a French
     * db::DatabaseError, when the database exists already; it is then left untouched. On
     * any other failure the half-made database is removed.
     */
    static QString create(const QString& folder, const db::Credentials& credentials = {});

    /// The database named TALMORIX.gdb in @p folder (a local folder or "host[/port]:folder").
    static QString databaseIn(const QString& folder);

    /// Removes the database @p database made by create(); a failure is left unsaid, as the
    /// caller is already reporting the failure that made it remove the database.
    static void remove(const QString& database, const db::Credentials& credentials = {});
};
