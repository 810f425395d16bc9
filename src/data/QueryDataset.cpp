#include "data/QueryDataset.h"

#include <stdexcept>

namespace {

TableDef queryTable(const QVector<FieldDef>& fields) {
    TableDef table;
    table.fields = fields;
    return table;
}

}  // namespace

QueryDataset::QueryDataset(const QString& name, const QString& sql, const QVector<FieldDef>& fields,
                           TDataprix& module, QObject* parent)
    : Dataset(name, queryTable(fields), module, parent) {
    setSql(sql);
    setReadOnly(true);
}

QVector<FieldDef> QueryDataset::columnsOf(const TableDef& table, const QStringList& names) {
    QVector<FieldDef> fields;
    for (const QString& n : names) {
        const int i = table.fieldIndex(n);
        if (i < 0) {
            throw std::out_of_range("unknown column " + n.toStdString());
        }
        fields.append(table.fields[i]);
    }
    return fields;
}
