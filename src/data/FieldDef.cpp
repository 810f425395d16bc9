#include "data/FieldDef.h"

QString FieldDef::sqlType() const {
    switch (type) {
        case FieldType::Integer:
            return QStringLiteral("INTEGER");
        case FieldType::Char:
            return QStringLiteral("CHAR(%1)").arg(width);
        case FieldType::Varchar:
            return QStringLiteral("VARCHAR(%1)").arg(width);
        case FieldType::Numeric:
            return QStringLiteral("NUMERIC(%1,%2)").arg(width).arg(scale);
        case FieldType::Date:
            return QStringLiteral("DATE");
        case FieldType::Blob:
            return QStringLiteral("BLOB SUB_TYPE 0 SEGMENT SIZE 80");
    }
    return QString();
}
