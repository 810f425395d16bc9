#pragma once

#include <QString>
#include <QVector>

/// A code and its French label, as delivered in the reference tables of a new database.
struct ReferenceRow {
    QString code;
    QString label;
};

/**
 * The reference rows of a new database: the ISO 4217 currencies with their French
 * names (DEVISE), the ISO 3166-1 alpha-2 states and territories with their French
 * names (ETATTERRITORIAL) and the category codes (CATEGORIE).
 */
class ReferenceData {
public:
    static const QVector<ReferenceRow>& currencies();
    static const QVector<ReferenceRow>& states();
    static const QVector<ReferenceRow>& categories();
};
