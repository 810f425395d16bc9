#pragma once

#include "db/Decimal.h"
#include "db/Value.h"

#include <QString>

/**
 * The forms in which the declaration file writes a stored value, and the escaping
 * every value goes through before it reaches a line of the file.
 *
 * All forms are pure functions of the value: no regional setting, no floating point.
 * Amounts and rates are rounded once, to a whole number, a fraction of exactly one half
 * going away from zero.
 */
class XmlValueForms {
public:
    /// The column's text unchanged (CHAR padding kept); null gives the empty text.
    static QString asStored(const db::Value& value);

    /// The text without leading and trailing blanks and control characters; null gives "".
    static QString trimmed(const db::Value& value);
    static QString trimmed(const QString& text);
    /// True when the value, trimmed, is empty (null included).
    static bool isBlank(const db::Value& value);

    /// A whole number in decimal digits without separators (2023); null gives "".
    static QString year(const db::Value& value);

    /// Day/month/four-digit year with "/" (31/12/2023), whatever the regional settings; null gives
    /// "".
    static QString date(const db::Value& value);

    /// Rounded to a whole number, zero-padded to at least 5 digits (1234.567 gives 01235,
    /// -12 gives -00012, -0.4 gives 00000); null counts as 0.
    static QString amount(const db::Value& value);
    static QString amount(const db::Decimal& value);

    /// As amount(), padded to at least 4 digits (33.5 gives 0034); null gives 0000.
    static QString percentage(const db::Value& value);

    /// The integer zero-padded to at least 4 digits (800 gives 0800); null gives 0000.
    static QString postalCode(const db::Value& value);

    /// @p value rounded to a whole number and zero-padded to @p width digits; a "-" comes
    /// before the digits of a negative value unless it rounds to zero.
    static QString roundedPadded(const db::Decimal& value, int width);

    /**
     * An element's text as it goes into the file: "&", "<" and ">" become entities,
     * characters that XML 1.0 forbids are left out (so that the file always parses) and
     * every line break becomes carriage return plus line feed, like the lines around it.
     */
    static QString escapeText(const QString& text);

    /// As escapeText(), and a double quote becomes &quot; (the value goes between double quotes).
    static QString escapeAttribute(const QString& text);
};
