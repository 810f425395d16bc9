#pragma once

#include "data/Dataset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

/**
 * A read-only table model over a dataset: one row per listed row, one column per chosen
 * field, each cell in the field's display form. It follows the dataset's notifications, so
 * every grid over the same dataset shows the same rows; the row being edited shows its edit
 * buffer. The vertical header marks the current row with the dataset's state: "▶" browsing,
 * "✎" editing, "*" inserting.
 */
class DatasetTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    struct Column {
        QString title;
        QString field;
    };

    explicit DatasetTableModel(QObject* parent = nullptr);

    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return m_dataset; }

    void addColumn(const QString& title, const QString& field);
    const QVector<Column>& columns() const { return m_columns; }

    /// True while the model passes on a change of the dataset's rows (views must not move
    /// the dataset in answer to the adjustments of their selection).
    bool isSyncing() const { return m_syncing; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void onRowsReset();
    void onRowInserted(int index);
    void onRowRemoved(int index);
    void onRowChanged(int index);
    void onIndicatorChanged();
    const FieldDef* fieldOf(int column) const;

    QPointer<Dataset> m_dataset;
    QVector<Column> m_columns;
    QVector<QMetaObject::Connection> m_connections;
    int m_rowCount = 0;
    bool m_syncing = false;
};
