#include "db/Decimal.h"

#include <algorithm>
#include <stdexcept>

namespace db {

namespace {

constexpr int kMaxScale = 18;

Decimal::Mantissa powerOfTen(int exponent) {
    Decimal::Mantissa result = 1;
    for (int i = 0; i < exponent; ++i) {
        result *= 10;
    }
    return result;
}

Decimal::Mantissa checkedMultiply(Decimal::Mantissa a, Decimal::Mantissa b) {
    Decimal::Mantissa result;
    if (__builtin_mul_overflow(a, b, &result)) {
        throw std::overflow_error("decimal overflow");
    }
    return result;
}

Decimal::Mantissa checkedAdd(Decimal::Mantissa a, Decimal::Mantissa b) {
    Decimal::Mantissa result;
    if (__builtin_add_overflow(a, b, &result)) {
        throw std::overflow_error("decimal overflow");
    }
    return result;
}

// Division of a mantissa by 10^exponent, a remainder of exactly one half rounding away from zero.
Decimal::Mantissa divideRounded(Decimal::Mantissa value, int exponent) {
    if (exponent <= 0) {
        return value;
    }
    const Decimal::Mantissa divisor = powerOfTen(exponent);
    Decimal::Mantissa quotient = value / divisor;
    Decimal::Mantissa remainder = value % divisor;
    if (remainder < 0) {
        remainder = -remainder;
    }
    if (remainder * 2 >= divisor) {
        quotient += value < 0 ? -1 : 1;
    }
    return quotient;
}

}  // namespace

Decimal::Decimal(Mantissa mantissa, int scale) : m_mantissa(mantissa), m_scale(scale) {
    if (scale < 0 || scale > kMaxScale) {
        throw std::invalid_argument("decimal scale out of range");
    }
}

std::optional<Decimal> Decimal::parse(const QString& text) {
    const QString t = text.trimmed();
    Mantissa mantissa = 0;
    int scale = 0;
    bool negative = false;
    bool seenDigit = false;
    bool seenPoint = false;
    int i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            if (seenPoint) {
                if (scale == kMaxScale) {
                    return std::nullopt;
                }
                ++scale;
            }
            try {
                mantissa = checkedAdd(checkedMultiply(mantissa, 10), c.unicode() - u'0');
            } catch (const std::overflow_error&) {
                return std::nullopt;
            }
            seenDigit = true;
        } else if ((c == u'.' || c == u',') && !seenPoint) {
            seenPoint = true;
        } else if ((c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F)) && !seenPoint) {
            continue;
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit) {
        return std::nullopt;
    }
    return Decimal(negative ? -mantissa : mantissa, scale);
}

Decimal Decimal::rescaled(int scale) const {
    if (scale == m_scale) {
        return *this;
    }
    if (scale > m_scale) {
        return Decimal(checkedMultiply(m_mantissa, powerOfTen(scale - m_scale)), scale);
    }
    return Decimal(divideRounded(m_mantissa, m_scale - scale), scale);
}

Decimal::Mantissa Decimal::roundedToInteger() const {
    return divideRounded(m_mantissa, m_scale);
}

std::int64_t Decimal::toInt64AtScale(int scale) const {
    const Mantissa m = rescaled(scale).m_mantissa;
    if (m > INT64_MAX || m < INT64_MIN) {
        throw std::overflow_error("decimal overflow");
    }
    return static_cast<std::int64_t>(m);
}

Decimal Decimal::operator+(const Decimal& other) const {
    const int scale = std::max(m_scale, other.m_scale);
    return Decimal(checkedAdd(rescaled(scale).m_mantissa, other.rescaled(scale).m_mantissa), scale);
}

Decimal Decimal::operator-(const Decimal& other) const {
    return *this + (-other);
}

Decimal Decimal::operator-() const {
    return Decimal(-m_mantissa, m_scale);
}

bool Decimal::operator==(const Decimal& other) const {
    return (*this <=> other) == 0;
}

std::strong_ordering Decimal::operator<=>(const Decimal& other) const {
    const int scale = std::max(m_scale, other.m_scale);
    const Mantissa a = rescaled(scale).m_mantissa;
    const Mantissa b = other.rescaled(scale).m_mantissa;
    return a < b ? std::strong_ordering::less
                 : (a > b ? std::strong_ordering::greater : std::strong_ordering::equal);
}

QString Decimal::mantissaToString(Mantissa value) {
    if (value == 0) {
        return QStringLiteral("0");
    }
    const bool negative = value < 0;
    QString digits;
    while (value != 0) {
        int digit = static_cast<int>(value % 10);
        digits.prepend(QChar(u'0' + (digit < 0 ? -digit : digit)));
        value /= 10;
    }
    if (negative) {
        digits.prepend(u'-');
    }
    return digits;
}

QString Decimal::toString() const {
    Mantissa absolute = m_mantissa < 0 ? -m_mantissa : m_mantissa;
    QString digits = mantissaToString(absolute);
    if (m_scale > 0) {
        if (digits.size() <= m_scale) {
            digits = QString(m_scale - digits.size() + 1, u'0') + digits;
        }
        digits.insert(digits.size() - m_scale, u'.');
    }
    return m_mantissa < 0 ? u'-' + digits : digits;
}

QString Decimal::format(const QString& pattern, QChar decimalSign) const {
    const qsizetype point = pattern.indexOf(u'.');
    const QString integerPattern = point < 0 ? pattern : pattern.left(point);
    const int decimals = point < 0 ? 0 : static_cast<int>(pattern.size() - point - 1);
    // Every digit place from the first zero on is shown: "0##" always shows three digits.
    const qsizetype firstZero = integerPattern.indexOf(u'0');
    int minimumIntegerDigits = 0;
    if (firstZero >= 0) {
        for (qsizetype i = firstZero; i < integerPattern.size(); ++i) {
            if (integerPattern[i] == u'0' || integerPattern[i] == u'#') {
                ++minimumIntegerDigits;
            }
        }
    }

    const Decimal value = rescaled(decimals);
    Mantissa absolute = value.m_mantissa < 0 ? -value.m_mantissa : value.m_mantissa;
    const Mantissa divisor = powerOfTen(decimals);
    QString integerDigits = mantissaToString(absolute / divisor);
    if (integerDigits.size() < minimumIntegerDigits) {
        integerDigits.prepend(QString(minimumIntegerDigits - integerDigits.size(), u'0'));
    }
    if (integerDigits == QStringLiteral("0") && minimumIntegerDigits == 0) {
        integerDigits.clear();
    }
    QString grouped;
    for (qsizetype i = 0; i < integerDigits.size(); ++i) {
        if (i > 0 && (integerDigits.size() - i) % 3 == 0) {
            grouped += u' ';
        }
        grouped += integerDigits[i];
    }
    QString result = grouped;
    if (decimals > 0) {
        QString fraction = mantissaToString(absolute % divisor);
        fraction.prepend(QString(decimals - fraction.size(), u'0'));
        result += decimalSign + fraction;
    }
    return value.m_mantissa < 0 ? u'-' + result : result;
}

}  // namespace db
