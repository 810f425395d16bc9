#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

namespace db {

/**
 * An exact decimal number: an integer mantissa and a count of decimals.
 *
 * Amounts (NUMERIC(18,3)) and rates (NUMERIC(9,2)) travel as Decimal from the
 * server to the screen and to the declaration file; no floating point is ever
 * involved. The mantissa is 128 bits wide so that sums of many 18-digit amounts
 * stay exact; arithmetic that would leave that range throws std::overflow_error.
 */
class Decimal {
public:
    __extension__ typedef __int128 Mantissa;

    Decimal() = default;
    Decimal(Mantissa mantissa, int scale);
    static Decimal fromInt(std::int64_t value) { return Decimal(value, 0); }

    /**
     * Parses "1234.5", "-0,25", "1 234 567,890" (blanks and non-breaking blanks are
     * thousands separators, "," or "." the decimal sign). Returns nothing for any
     * other text, including the empty one.
     */
    static std::optional<Decimal> parse(const QString& text);

    Mantissa mantissa() const { return m_mantissa; }
    int scale() const { return m_scale; }
    bool isZero() const { return m_mantissa == 0; }
    bool isNegative() const { return m_mantissa < 0; }

    /// The same value with exactly @p scale decimals, rounding half away from zero.
    Decimal rescaled(int scale) const;
    /// Rounded to a whole number, a fraction of exactly one half away from zero.
    Mantissa roundedToInteger() const;
    /// The mantissa at @p scale as a 64-bit integer; throws std::overflow_error when it does not
    /// fit.
    std::int64_t toInt64AtScale(int scale) const;

    Decimal operator+(const Decimal& other) const;
    Decimal operator-(const Decimal& other) const;
    Decimal operator-() const;
    Decimal& operator+=(const Decimal& other) { return *this = *this + other; }
    bool operator==(const Decimal& other) const;
    std::strong_ordering operator<=>(const Decimal& other) const;

    /// Plain text with "." and all its decimals: "-1234.500".
    QString toString() const;
    /**
     * Text in a display pattern such as "### ### ### 0##.000": integer digits in groups
     * of three separated by a blank, every digit place from the pattern's first '0' to
     * the point always shown ("0##" shows 5 as 005), as many decimals as the pattern has.
     */
    QString format(const QString& pattern, QChar decimalSign) const;

    static QString mantissaToString(Mantissa value);

private:
    Mantissa m_mantissa = 0;
    int m_scale = 0;
};

}  // namespace db
