#pragma once

#include "data/FieldDef.h"
#include "db/Value.h"
#include "import/Classeur.h"
#include "import/ReglageImport.h"

#include <stdexcept>

/// A cell that does not convert to its column's type; carries the French reason.
class ErreurConversion : public std::runtime_error {
public:
    explicit ErreurConversion(const QString& raison);
    const QString& raison() const noexcept { return m_raison; }

private:
    QString m_raison;
};

/**
 * Turns a source cell into the value of a table column: whole numbers for INTEGER, exact
 * decimals at the column's scale for NUMERIC, dates for DATE, texts for the others (the
 * dataset then cuts them to the column's width). Texts are read with the value formats;
 * numbers and dates held as such by a spreadsheet need none.
 */
class ConversionCellule {
public:
    /// The value for @p colonne; a null value for an empty cell. Throws ErreurConversion.
    static db::Value convertir(const Cellule& cellule, const FieldDef& colonne,
                               const FormatsValeurs& formats);

    /// An amount written as text: currency sign, thousands separator and decimal separator
    /// of @p formats; nothing when it is not one.
    static std::optional<db::Decimal> lireMontant(const QString& texte,
                                                  const FormatsValeurs& formats);
    /// A date written as text in the order and separators of @p formats (an ISO date
    /// yyyy-mm-dd is read as well); an invalid date when it is not one.
    static QDate lireDate(const QString& texte, const FormatsValeurs& formats);
    /// A date as @p formats writes it.
    static QString ecrireDate(const QDate& date, const FormatsValeurs& formats);
};
