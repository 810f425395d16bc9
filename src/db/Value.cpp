#include "db/Value.h"

namespace db {

Value::Value(const QDate& date) {
    if (date.isValid()) {
        m_data = date;
    }
}

std::int64_t Value::toInt() const {
    switch (type()) {
        case Type::Integer:
            return std::get<std::int64_t>(m_data);
        case Type::Decimal:
            return static_cast<std::int64_t>(std::get<Decimal>(m_data).roundedToInteger());
        case Type::Text: {
            bool ok = false;
            const qlonglong v = std::get<QString>(m_data).trimmed().toLongLong(&ok);
            return ok ? v : 0;
        }
        default:
            return 0;
    }
}

Decimal Value::toDecimal() const {
    switch (type()) {
        case Type::Integer:
            return Decimal::fromInt(std::get<std::int64_t>(m_data));
        case Type::Decimal:
            return std::get<Decimal>(m_data);
        case Type::Text:
            return Decimal::parse(std::get<QString>(m_data)).value_or(Decimal());
        default:
            return Decimal();
    }
}

QDate Value::toDate() const {
    switch (type()) {
        case Type::Date:
            return std::get<QDate>(m_data);
        case Type::Text:
            return QDate::fromString(std::get<QString>(m_data).trimmed(),
                                     QStringLiteral("dd/MM/yyyy"));
        default:
            return QDate();
    }
}

QString Value::toText() const {
    switch (type()) {
        case Type::Integer:
            return QString::number(std::get<std::int64_t>(m_data));
        case Type::Decimal:
            return std::get<Decimal>(m_data).toString();
        case Type::Date:
            return std::get<QDate>(m_data).toString(QStringLiteral("dd/MM/yyyy"));
        case Type::Text:
            return std::get<QString>(m_data);
        default:
            return QString();
    }
}

}  // namespace db
