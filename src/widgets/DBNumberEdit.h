#pragma once

#include "widgets/DBEdit.h"

/**
 * An entry field for a whole number or an exact amount. It shows the column's display form
 * (for amounts "### ### ### 0##.000" or "### ### ### ##0.000" with the locale's decimal
 * sign), right-aligned, and accepts "," and "." as decimal sign and blanks as thousands
 * separators when typing. The value travels as db::Decimal, never as a binary fraction.
 *
 * What is typed is kept as typed, letters included, so that nothing is dropped without a
 * word; when the field is left (or its row sent), a text that is not a number, a number with
 * more digits before the decimal sign than the column holds (15 for NUMERIC(18,3), 7 for
 * NUMERIC(9,2)) or with more decimals than it keeps is refused in the standard error box,
 * with the field named, and the focus stays in the field. Nothing of it reaches the row.
 */
class DBNumberEdit : public DBEdit {
    Q_OBJECT

public:
    explicit DBNumberEdit(QWidget* parent = nullptr);

    /**
     * Why @p text cannot go into @p field, in French, naming the field @p libelle (its
     * caption; the column's name when empty); empty when it can.
     */
    static QString refus(const QString& text, const FieldDef& field, const QString& libelle);

protected:
    void writeField(Dataset& dataset, const FieldDef& field) override;
};
