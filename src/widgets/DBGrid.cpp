#include "widgets/DBGrid.h"

#include "db/DatabaseError.h"
#include "widgets/MessageBoxes.h"

#include <QHeaderView>
#include <QScopedValueRollback>

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), m_model(new DatasetTableModel(this)) {
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("▶▶")));
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            &DBGrid::onCurrentChanged);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < m_model->columns().size()) {
            emit titleClicked(section, m_model->columns()[section].field);
        }
    });
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            &DBGrid::onSortIndicatorChanged);
}

void DBGrid::setDataset(Dataset* dataset) {
    if (Dataset* old = m_model->dataset()) {
        disconnect(old, nullptr, this, nullptr);
    }
    m_model->setDataset(dataset);
    if (dataset) {
        connect(dataset, &Dataset::currentRowChanged, this, &DBGrid::followCurrentRow);
        connect(dataset, &Dataset::rowsReset, this, &DBGrid::followCurrentRow);
    }
    followCurrentRow();
}

void DBGrid::addColumn(const QString& title, const QString& field, int width) {
    m_model->addColumn(title, field);
    const int column = static_cast<int>(m_model->columns().size()) - 1;
    if (width < 0) {
        width = horizontalHeader()->fontMetrics().horizontalAdvance(title) + 32;
    }
    setColumnWidth(column, width);
}

void DBGrid::setSortMark(int column) {
    m_sortColumn = column;
    QHeaderView* header = horizontalHeader();
    header->setSortIndicatorShown(column >= 0);
    header->setSortIndicator(column, Qt::AscendingOrder);
}

void DBGrid::onSortIndicatorChanged(int section, Qt::SortOrder order) {
    // The header flips the mark on each click; the rows are always sorted ascending by the
    // column the window chose, so the mark shows that and nothing else.
    if (section != m_sortColumn || order != Qt::AscendingOrder) {
        QSignalBlocker block(horizontalHeader());
        horizontalHeader()->setSortIndicator(m_sortColumn, Qt::AscendingOrder);
    }
}

void DBGrid::followCurrentRow() {
    QScopedValueRollback following(m_following, true);
    Dataset* ds = m_model->dataset();
    const int row = ds ? ds->currentIndex() : -1;
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clear();
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex target = m_model->index(row, column);
    selectionModel()->setCurrentIndex(
        target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(target);
}

void DBGrid::onCurrentChanged(const QModelIndex& current, const QModelIndex&) {
    Dataset* ds = m_model->dataset();
    if (m_following || m_model->isSyncing() || !ds || !current.isValid() ||
        current.row() == ds->currentIndex()) {
        return;
    }
    try {
        ds->moveTo(current.row());
    } catch (const db::DatabaseError& e) {
        MessageBoxes::showError(this, e.text());
    }
    followCurrentRow();
}
