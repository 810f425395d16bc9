#include "widgets/DatasetTableModel.h"

#include "db/DatabaseError.h"

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
            connect(dataset, &Dataset::aboutToReset, this, &DatasetTableModel::onAboutToReset),
            connect(dataset, &Dataset::rowsReset, this, &DatasetTableModel::onRowsReset),
            connect(dataset, &Dataset::rowsAboutToBeInserted, this,
                    &DatasetTableModel::onRowsAboutToBeInserted),
            connect(dataset, &Dataset::rowsInserted, this, &DatasetTableModel::onRowsInserted),
            connect(dataset, &Dataset::rowAboutToBeRemoved, this,
                    &DatasetTableModel::onRowAboutToBeRemoved),
            connect(dataset, &Dataset::rowRemoved, this, &DatasetTableModel::onRowRemoved),
            connect(dataset, &Dataset::rowChanged, this, &DatasetTableModel::onRowChanged),
            connect(dataset, &Dataset::currentRowChanged, this,
                    &DatasetTableModel::onIndicatorChanged),
            connect(dataset, &Dataset::stateChanged, this, &DatasetTableModel::onIndicatorChanged),
            connect(dataset, &QObject::destroyed, this,
                    [this] {
                        beginResetModel();
                        m_rowCount = 0;
                        endResetModel();
                    }),
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
    if (!index.isValid() || !m_dataset || index.row() >= m_rowCount ||
        index.row() >= m_dataset->rowCount()) {
        return {};
    }
    const FieldDef* f = fieldOf(index.column());
    if (!f) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
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
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable && m_dataset && !m_dataset->isReadOnly()) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

void DatasetTableModel::setEditable(bool editable) {
    if (m_editable == editable) {
        return;
    }
    m_editable = editable;
    if (m_rowCount > 0 && !m_columns.isEmpty()) {
        emit dataChanged(index(0, 0), index(m_rowCount - 1, columnCount() - 1));
    }
}

bool DatasetTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const FieldDef* f = fieldOf(index.column());
    if (role != Qt::EditRole || !f || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    const QString text = value.toString();
    if (!m_dataset->isEditing() &&
        text == Dataset::displayText(*f, m_dataset->valueAt(index.row(), f->name))) {
        // An editor closed without a change does not put a browsed row into editing.
        return false;
    }
    try {
        m_dataset->moveTo(index.row());
        m_dataset->edit();
        m_dataset->setText(f->name, text);
    } catch (const db::DatabaseError& e) {
        emit databaseError(e.text());
        return false;
    }
    return true;
}

bool DatasetTableModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_dataset && m_dataset->canFetchMore();
}

void DatasetTableModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) {
        return;
    }
    if (m_syncing) {
        // A view asks while it hears of rows just added: the batch waits until every view
        // has heard of them, so that no change starts inside another.
        QMetaObject::invokeMethod(
            this, [this] { fetchMore(QModelIndex()); }, Qt::QueuedConnection);
        return;
    }
    try {
        m_dataset->fetchMore(kFetchBatch);
    } catch (const db::DatabaseError& e) {
        // Views fetch in the middle of a layout: the message waits until it is over.
        QMetaObject::invokeMethod(
            this, [this, text = e.text()] { emit databaseError(text); }, Qt::QueuedConnection);
    }
}

void DatasetTableModel::onAboutToReset() {
    if (!m_resetting) {
        m_resetting = true;
        beginResetModel();
    }
}

void DatasetTableModel::onRowsReset() {
    QScopedValueRollback syncing(m_syncing, true);
    if (!m_resetting) {
        beginResetModel();
    }
    m_rowCount = m_dataset ? m_dataset->rowCount() : 0;
    m_resetting = false;
    endResetModel();
}

void DatasetTableModel::onRowsAboutToBeInserted(int first, int last) {
    m_syncing = true;
    beginInsertRows(QModelIndex(), first, last);
}

void DatasetTableModel::onRowsInserted(int first, int last) {
    m_rowCount += last - first + 1;
    endInsertRows();
    m_syncing = false;
}

void DatasetTableModel::onRowAboutToBeRemoved(int index) {
    m_syncing = true;
    beginRemoveRows(QModelIndex(), index, index);
}

void DatasetTableModel::onRowRemoved(int) {
    --m_rowCount;
    endRemoveRows();
    m_syncing = false;
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
