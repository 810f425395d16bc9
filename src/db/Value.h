#pragma once

#include "db/Decimal.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <variant>

namespace db {

/**
 * One typed value as it travels between the server, the datasets and the windows:
 * null, a whole number, an exact decimal, a date or a text (CHAR, VARCHAR and text
 * BLOB alike, already converted from Windows-1252).
 */
class Value {
public:
    enum class Type { Null, Integer, Decimal, Date, Text };

    Value() = default;
    Value(std::int64_t integer) : m_data(integer) {}
    Value(int integer) : m_data(static_cast<std::int64_t>(integer)) {}
    Value(const db::Decimal& decimal) : m_data(decimal) {}
    Value(const QDate& date);
    Value(const QString& text) : m_data(text) {}
    Value(const char16_t* text) : m_data(QString::fromUtf16(text)) {}
    Value(const char*) = delete;  // spell texts as u"..." or QStringLiteral: source files are UTF-8

    Type type() const { return static_cast<Type>(m_data.index()); }
    bool isNull() const { return m_data.index() == 0; }

    /// Whole number; a decimal is rounded half away from zero, a text is parsed; 0 for null or
    /// garbage.
    std::int64_t toInt() const;
    /// Exact decimal; 0 for null or garbage.
    db::Decimal toDecimal() const;
    /// The date; an invalid QDate for null.
    QDate toDate() const;
    /// Text form: integers in digits, decimals with "." and all their decimals, dates as
    /// dd/MM/yyyy, null as "".
    QString toText() const;

    bool operator==(const Value& other) const = default;

private:
    std::variant<std::monostate, std::int64_t, db::Decimal, QDate, QString> m_data;
};

}  // namespace db
