#pragma once

#include "widgets/DatasetTableModel.h"

#include <QHash>
#include <QTableView>
#include <QVector>

/**
 * A grid over a dataset. It selects whole rows, keeps its selection on the dataset's current
 * row (whoever moves it) and moves the current row when the user clicks or uses the arrow
 * keys; leaving a row being edited posts it, and a refused post is shown in the standard
 * error box with the selection back on the row. Rows are fetched as the grid scrolls.
 * Column titles are clickable (titleClicked); the column the dataset's list query is sorted
 * by (Dataset::sortField) is marked.
 *
 * Read-only by default. Options:
 * - setInPlaceEditing(true), for the reference lists: a click in a cell puts a browsed row
 *   into editing; Enter in the first column goes to the second, Enter in the second sends
 *   the row (editing it first when browsed) and makes the cells read-only again; the Up
 *   arrow abandons the row being added or edited when its code (first column) is empty;
 *   the mouse wheel moves the current row one row per step. Cells take typed text only
 *   while setCellsEditable(true) ("Ajouter" and "Modifier" turn it on).
 * - setCtrlDeleteDeletes(true): Ctrl+Delete deletes the current row after confirmation.
 *
 * Column widths follow what the rows hold: number and code columns (text of 20 characters
 * or less) fit their widest cell among the fetched rows and their title, other text columns
 * too up to a cap, and the names column (the first of the widest text columns: "Raison
 * Sociale", a reference list's label) takes the width that remains. A cell cut all the same
 * shows its whole text as a tooltip. A width the user drags is kept in the user's settings,
 * per window and grid (settingsKey()), and wins over the fitted one; a double click on a
 * title's edge fits that column again and forgets the user's width.
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

    /// The column marked as the one the rows are sorted by (ascending), -1 when none.
    int sortMark() const { return m_sortColumn; }

    void setInPlaceEditing(bool enabled);
    bool inPlaceEditing() const { return m_inPlaceEditing; }
    /// Cells take typed text (in-place editing only).
    void setCellsEditable(bool editable);
    bool cellsEditable() const { return m_model->isEditable(); }

    void setCtrlDeleteDeletes(bool enabled) { m_ctrlDelete = enabled; }

    /// Puts the selection on the dataset's current row.
    void followCurrentRow();

    /// The height that shows the titles and @p rows rows.
    int heightForRows(int rows) const;
    /// Fits the column widths to the fetched rows now (done by itself when rows change).
    void fitColumns();
    /// The column that takes the remaining width; -1 when none.
    int namesColumn() const;
    /// True when the text of @p index does not fit its cell.
    bool isCut(const QModelIndex& index) const;
    /// Where the user's widths are kept: the object names from the child window down to the
    /// grid, unless set.
    QString settingsKey() const;
    void setSettingsKey(const QString& key) { m_settingsKey = key; }
    /// The settings file of the user's column widths.
    static QString settingsFile();

signals:
    /// A column title was clicked.
    void titleClicked(int column, const QString& field);
    /// A row was sent by Enter in the last column (in-place editing).
    void rowSent();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool viewportEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void onCurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void onSortIndicatorChanged(int section, Qt::SortOrder order);
    void markSortColumn();
    /// Enter in a cell: on to the next column, or send the row from the last one.
    void enterPressed();
    /// Up arrow: abandons the row being edited when its code is empty; true when it did.
    bool abandonEmptyRow();
    void showError(const QString& text);
    int fittedWidth(int column) const;
    /// The widest a column other than the names gets from its cells; -1 for no limit.
    int widthCap(int column) const;
    /// Widens the measured widths to rows @p first to @p last.
    void measureRows(int first, int last);
    /// Sets the widths: the user's, the fitted ones (measuring first when needed), the names.
    void applyWidths();
    int textWidth(const QString& text) const;
    void scheduleFit();
    void fillNamesColumn();
    void readUserWidths();
    void onSectionResized(int section, int oldSize, int newSize);
    void onHandleDoubleClicked(int section);

    DatasetTableModel* m_model;
    int m_sortColumn = -1;
    bool m_following = false;
    bool m_inPlaceEditing = false;
    bool m_ctrlDelete = false;
    int m_wheelRemainder = 0;
    /// Widths the user dragged, by field name.
    QHash<QString, int> m_userWidths;
    /// The widest cell text of each column among the rows measured; empty: to measure.
    QVector<int> m_contentWidths;
    QString m_settingsKey;
    bool m_widthsRead = false;
    bool m_fitting = false;
    bool m_fitScheduled = false;
};
