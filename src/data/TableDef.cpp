#include "data/TableDef.h"

int TableDef::fieldIndex(const QString& field) const {
    // Callers mostly spell the name as the table does: an exact match first is cheap, and a
    // list is read by name for every field of every row.
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name == field) {
            return i;
        }
    }
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(field, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString TableDef::listQuery() const {
    QString sql = QStringLiteral("select * from %1").arg(name);
    if (detail) {
        sql += QStringLiteral(" where MFISCAL = :mfiscal and EXERCICE = :exercice");
    }
    if (!order.isEmpty()) {
        sql += QStringLiteral(" order by ") + order.join(QStringLiteral(", "));
    }
    return sql;
}
