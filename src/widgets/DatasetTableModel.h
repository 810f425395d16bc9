#pragma once

#include "data/Dataset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

/**
 * A table model over a dataset: one row per fetched row, one column per chosen field, each
 * cell in the field's display form. It follows the dataset's notifications, so every grid
 * over the same dataset shows the same rows; the row being edited shows its edit buffer.
 * Views fetch further rows through canFetchMore()/fetchMore() as they scroll. The vertical
 * header marks the current row with the dataset's state: "▶" browsing, "✎" editing, "*"
 * inserting.
 *
 * The model is read-only unless setEditable(true): cells then take typed text, written into
 * the current row through the dataset (which puts the row into editing).
 */
class DatasetTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    struct Column {
        QString title;
        QString field;
    };

    /// Rows a view asks for at a time when it scrolls past the fetched rows.
    static constexpr int kFetchBatch = 128;

    explicit DatasetTableModel(QObject* parent = nullptr);

    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return m_dataset; }

    void addColumn(const QString& title, const QString& field);
    const QVector<Column>& columns() const { return m_columns; }

    /// Cells take typed text while true.
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }

    /// True while the model passes on a change of the dataset's rows (views must not move
    /// the dataset in answer to the adjustments of their selection).
    bool isSyncing() const { return m_syncing; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    /// A database error arose where no one could be told at once (a fetch asked by a view, a
    /// cell written by an editor); the grid shows it.
    void databaseError(const QString& text);

private:
    void onAboutToReset();
    void onRowsReset();
    void onRowsAboutToBeInserted(int first, int last);
    void onRowsInserted(int first, int last);
    void onRowAboutToBeRemoved(int index);
    void onRowRemoved(int index);
    void onRowChanged(int index);
    void onIndicatorChanged();
    const FieldDef* fieldOf(int column) const;

    QPointer<Dataset> m_dataset;
    QVector<Column> m_columns;
    QVector<QMetaObject::Connection> m_connections;
    int m_rowCount = 0;
    bool m_syncing = false;
    bool m_resetting = false;
    bool m_editable = false;
};
