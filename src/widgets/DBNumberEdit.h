#pragma once

#include "widgets/DBEdit.h"

/**
 * An entry field for a whole number or an exact amount. It shows the column's display form
 * (for amounts "### ### ### 0##.000" or "### ### ### ##0.000" with the locale's decimal
 * sign), right-aligned, and accepts "," and "." as decimal sign and blanks as thousands
 * separators when typing. The value travels as db::Decimal, never as a binary fraction.
 */
class DBNumberEdit : public DBEdit {
    Q_OBJECT

public:
    explicit DBNumberEdit(QWidget* parent = nullptr);
};
