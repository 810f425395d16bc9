#include "widgets/DatasetTableModel.h"

#include <QScopedValueRollback>

DatasetTableModel::DatasetTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetTableModel::setDataset(Dataset* dataset) {
    beginResetModel();
    for (const auto& c : m_connections) {
        disconnect(c);
    }
    m_connections.clear();
    m_dataset = dataset;
    if (dataset) {
        m_connections = {
            connect(dataset, &Dataset::rowsReset, this, &DatasetTableModel::onRowsReset),
            connect(dataset, &Dataset::rowInserted, this, &DatasetTableModel::onRowInserted),
            connect(dataset, &Dataset::rowRemoved, this, &DatasetTableModel::onRowRemoved),
            connect(dataset, &Dataset::rowChanged, this, &DatasetTableModel::onRowChanged),
            connect(dataset, &Dataset::currentRowChanged, this,
                    &DatasetTableModel::onIndicatorChanged),
            connect(dataset, &Dataset::stateChanged, this, &DatasetTableModel::onIndicatorChanged),
            connect(dataset, &QObject::destroyed, this, &DatasetTableModel::onRowsReset),
        };
    }
    m_rowCount = dataset ? dataset->rowCount() : 0;
    endResetModel();
}

void DatasetTableModel::addColumn(const QString& title, const QString& field) {
    const int at = static_cast<int>(m_columns.size());
    beginInsertColumns(QModelIndex(), at, at);
    m_columns.append({title, field});
    endInsertColumns();
}

int DatasetTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int DatasetTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

const FieldDef* DatasetTableModel::fieldOf(int column) const {
    if (!m_dataset || column < 0 || column >= m_columns.size()) {
        return nullptr;
    }
    const int i = m_dataset->fieldIndex(m_columns[column].field);
    return i < 0 ? nullptr : &m_dataset->fields()[i];
}

QVariant DatasetTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_dataset || index.row() >= m_dataset->rowCount()) {
        return {};
    }
    const FieldDef* f = fieldOf(index.column());
    if (!f) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return Dataset::displayText(*f, m_dataset->valueAt(index.row(), f->name));
        case Qt::TextAlignmentRole:
            if (f->type == FieldType::Integer || f->type == FieldType::Numeric) {
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            }
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (orientation == Qt::Horizontal) {
        return section >= 0 && section < m_columns.size() ? m_columns[section].title : QString();
    }
    if (!m_dataset || section != m_dataset->currentIndex()) {
        return QString();
    }
    switch (m_dataset->state()) {
        case DatasetState::Edit:
            return QStringLiteral("✎");
        case DatasetState::Insert:
            return QStringLiteral("*");
        case DatasetState::Browse:
            return QStringLiteral("▶");
        case DatasetState::Inactive:
            break;
    }
    return QString();
}

Qt::ItemFlags DatasetTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void DatasetTableModel::onRowsReset() {
    QScopedValueRollback syncing(m_syncing, true);
    beginResetModel();
    m_rowCount = m_dataset ? m_dataset->rowCount() : 0;
    endResetModel();
}

void DatasetTableModel::onRowInserted(int index) {
    QScopedValueRollback syncing(m_syncing, true);
    beginInsertRows(QModelIndex(), index, index);
    ++m_rowCount;
    endInsertRows();
}

void DatasetTableModel::onRowRemoved(int index) {
    QScopedValueRollback syncing(m_syncing, true);
    beginRemoveRows(QModelIndex(), index, index);
    --m_rowCount;
    endRemoveRows();
}

void DatasetTableModel::onRowChanged(int index) {
    if (index < 0 || index >= m_rowCount || m_columns.isEmpty()) {
        return;
    }
    emit dataChanged(this->index(index, 0), this->index(index, columnCount() - 1));
}

void DatasetTableModel::onIndicatorChanged() {
    if (m_rowCount > 0) {
        emit headerDataChanged(Qt::Vertical, 0, m_rowCount - 1);
    }
}
