#pragma once

#include <QString>

/// Column types of the declaration tables.
enum class FieldType { Integer, Char, Varchar, Numeric, Date, Blob };

/**
 * One column of a declaration table: its name, type, width (characters for CHAR and
 * VARCHAR, digits for NUMERIC), decimals, whether it may be null and, for amounts,
 * the display pattern of grids and entry fields.
 */
struct FieldDef {
    QString name;
    FieldType type = FieldType::Varchar;
    int width = 0;
    int scale = 0;
    bool notNull = false;
    QString displayFormat;

    bool isText() const {
        return type == FieldType::Char || type == FieldType::Varchar || type == FieldType::Blob;
    }
    /// The column's type in the creation script ("VARCHAR(250)", "NUMERIC(18,3)", ...).
    QString sqlType() const;
};
