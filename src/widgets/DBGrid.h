#pragma once

#include "widgets/DatasetTableModel.h"

#include <QTableView>

/**
 * A read-only grid over a dataset. It selects whole rows, keeps its selection on the
 * dataset's current row (whoever moves it) and moves the current row when the user clicks
 * or uses the arrow keys; leaving a row being edited posts it, and a refused post is shown
 * in the standard error box with the selection back on the row. Column titles are clickable
 * (titleClicked); the window decides what a click does and marks the sort column with
 * setSortMark().
 */
class DBGrid : public QTableView {
    Q_OBJECT

public:
    explicit DBGrid(QWidget* parent = nullptr);

    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return m_model->dataset(); }
    DatasetTableModel* datasetModel() const { return m_model; }

    /// Adds a column titled @p title showing @p field; @p width in pixels, or fitted to the
    /// title when negative.
    void addColumn(const QString& title, const QString& field, int width = -1);

    /// Marks @p column as the one the rows are sorted by (ascending); -1 removes the mark.
    void setSortMark(int column);
    int sortMark() const { return m_sortColumn; }

    /// Puts the selection on the dataset's current row.
    void followCurrentRow();

signals:
    /// A column title was clicked.
    void titleClicked(int column, const QString& field);

private:
    void onCurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void onSortIndicatorChanged(int section, Qt::SortOrder order);

    DatasetTableModel* m_model;
    int m_sortColumn = -1;
    bool m_following = false;
};
