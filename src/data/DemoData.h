#pragma once

#include "db/Credentials.h"

#include <QString>

class TDataprix;

/**
 * Fictitious companies with data in every table, for demonstrations and trials.
 * Every row goes through the datasets of @p module, so that the record rules number,
 * stamp and commit it as they would for typed lines.
 *
 * The declarations of 1234567A and 7654321A (2023) are accepted by the administration's
 * schema; 0456789A is left incomplete on purpose, to show the pre-filing check at work.
 */
class DemoData {
public:
    static void fill(TDataprix& module);

    /**
     * Creates a new database in @p folder as DatabaseCreator::create() does, fills it with
     * fill() and returns the file's path. Throws db::DatabaseError in French when the file
     * exists (left untouched) or when the creation or the filling fails; a database left
     * half filled is removed.
     */
    static QString createDatabase(const QString& folder, const db::Credentials& credentials = {});
};
