#pragma once

#include <QString>

/**
 * Makes a new declaration database: FOLDER/TALMORIX.gdb with its thirteen tables,
 * the procedure INITIALISATION and the reference rows (currencies, states and
 * territories, categories).
 */
class DatabaseCreator {
public:
    /**
     * Creates the database in @p folder (made when missing) and returns the file's path.
     * Refuses, with a French db::DatabaseError, when the file exists already; the file is
     * then left untouched. On any other failure the half-made file is removed.
     */
    static QString create(const QString& folder);
};
