#pragma once

#include <QString>
#include <QVector>

/// A code and its French label, as delivered in the reference tables of a new database.
struct ReferenceRow {
    QString code;
    QString label;
};

/**
 * The reference rows of a new database: exactly the currency codes (DEVISE) and the
 * state and territory codes (ETATTERRITORIAL) that the administration's schema accepts,
 * ordered by code, with their French names from Debian's iso-codes (a few written by
 * hand where iso-codes has none), and the category codes (CATEGORIE).
 */
class ReferenceData {
public:
    static const QVector<ReferenceRow>& currencies();
    static const QVector<ReferenceRow>& states();
    static const QVector<ReferenceRow>& categories();
};
