#include "widgets/DBGrid.h"

#include "db/DatabaseError.h"
#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QToolTip>
#include <QWheelEvent>

namespace {

/// Text columns up to this width in characters hold codes and identifiers: fitted whole.
constexpr int kCodeWidth = 20;
/// Other text columns, besides the names column, are fitted up to this many characters.
constexpr int kTextCap = 40;

}  // namespace

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
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
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
    connect(m_model, &DatasetTableModel::databaseError, this, &DBGrid::showError);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &DBGrid::onSectionResized);
    connect(horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, this,
            &DBGrid::onHandleDoubleClicked);
    // The rows read again are measured again; new and changed rows only widen the columns, so
    // that a long import or fetch costs one measure per row.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_contentWidths.clear();
        scheduleFit();
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                measureRows(first, last);
                scheduleFit();
            });
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                measureRows(topLeft.row(), bottomRight.row());
                scheduleFit();
            });
}

void DBGrid::showError(const QString& text) {
    MessageBoxes::showError(this, text);
}

void DBGrid::setDataset(Dataset* dataset) {
    if (Dataset* old = m_model->dataset()) {
        disconnect(old, nullptr, this, nullptr);
    }
    m_model->setDataset(dataset);
    if (dataset) {
        connect(dataset, &Dataset::currentRowChanged, this, &DBGrid::followCurrentRow);
        connect(dataset, &Dataset::rowsReset, this, &DBGrid::followCurrentRow);
        connect(dataset, &Dataset::rowsReset, this, &DBGrid::markSortColumn);
    }
    followCurrentRow();
    markSortColumn();
}

void DBGrid::addColumn(const QString& title, const QString& field, int width) {
    m_model->addColumn(title, field);
    const int column = static_cast<int>(m_model->columns().size()) - 1;
    if (width < 0) {
        width = horizontalHeader()->fontMetrics().horizontalAdvance(title) + 32;
    }
    QScopedValueRollback fitting(m_fitting, true);
    setColumnWidth(column, width);
    markSortColumn();
    m_contentWidths.clear();
    scheduleFit();
}

int DBGrid::heightForRows(int rows) const {
    return horizontalHeader()->sizeHint().height() + rows * verticalHeader()->defaultSectionSize() +
           2 * frameWidth() + horizontalScrollBar()->sizeHint().height();
}

QString DBGrid::settingsFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("colonnes.ini"));
}

QString DBGrid::settingsKey() const {
    if (!m_settingsKey.isEmpty()) {
        return m_settingsKey;
    }
    QStringList names;
    for (const QWidget* w = this; w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1StringView("qt_"))) {
            names.prepend(name);
        }
        if (w->isWindow() || qobject_cast<const QMdiSubWindow*>(w->parentWidget())) {
            break;
        }
    }
    return names.join(u'/');
}

void DBGrid::readUserWidths() {
    m_widthsRead = true;
    const QString key = settingsKey();
    if (key.isEmpty()) {
        return;
    }
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.beginGroup(key);
    for (const DatasetTableModel::Column& c : m_model->columns()) {
        const int width = settings.value(c.field, 0).toInt();
        if (width > 0) {
            m_userWidths.insert(c.field, width);
        }
    }
}

void DBGrid::onSectionResized(int section, int, int newSize) {
    if (m_fitting || section < 0 || section >= m_model->columns().size()) {
        return;
    }
    // A width the user set: kept, here and in later sessions.
    const QString field = m_model->columns()[section].field;
    m_userWidths.insert(field, newSize);
    if (const QString key = settingsKey(); !key.isEmpty()) {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue(key + u'/' + field, newSize);
    }
    if (section != namesColumn()) {
        QMetaObject::invokeMethod(this, &DBGrid::fillNamesColumn, Qt::QueuedConnection);
    }
}

void DBGrid::onHandleDoubleClicked(int section) {
    if (section < 0 || section >= m_model->columns().size()) {
        return;
    }
    const QString field = m_model->columns()[section].field;
    m_userWidths.remove(field);
    if (const QString key = settingsKey(); !key.isEmpty()) {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.remove(key + u'/' + field);
    }
    fitColumns();
}

int DBGrid::namesColumn() const {
    const Dataset* ds = m_model->dataset();
    if (!ds) {
        return -1;
    }
    int column = -1;
    int widest = kCodeWidth;
    const auto& columns = m_model->columns();
    for (int i = 0; i < columns.size(); ++i) {
        const FieldDef* f = ds->field(columns[i].field);
        if (f && (f->type == FieldType::Varchar || f->type == FieldType::Char) &&
            f->width > widest) {
            widest = f->width;
            column = i;
        }
    }
    return column;
}

int DBGrid::textWidth(const QString& text) const {
    // The delegate's margins on both sides, and the grid line.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return fontMetrics().horizontalAdvance(text) + 2 * margin + 2;
}

int DBGrid::widthCap(int column) const {
    const Dataset* ds = m_model->dataset();
    const FieldDef* f = ds ? ds->field(m_model->columns()[column].field) : nullptr;
    if (f && (f->type == FieldType::Varchar || f->type == FieldType::Char) &&
        f->width > kCodeWidth && column != namesColumn()) {
        return fontMetrics().averageCharWidth() * kTextCap;
    }
    return -1;
}

void DBGrid::measureRows(int first, int last) {
    const int columns = m_model->columnCount();
    if (m_contentWidths.size() != columns) {
        // Not measured yet: the whole measure to come takes these rows in.
        return;
    }
    last = std::min(last, m_model->rowCount() - 1);
    for (int column = 0; column < columns; ++column) {
        const int cap = widthCap(column);
        int& width = m_contentWidths[column];
        for (int row = first; row <= last && (cap < 0 || width < cap); ++row) {
            width = std::max(width, textWidth(m_model->index(row, column).data().toString()));
        }
    }
}

int DBGrid::fittedWidth(int column) const {
    int width = m_contentWidths.value(column);
    if (const int cap = widthCap(column); cap > 0) {
        width = std::min(width, cap);
    }
    return std::max(width, horizontalHeader()->sectionSizeHint(column));
}

void DBGrid::scheduleFit() {
    if (m_fitScheduled) {
        return;
    }
    m_fitScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_fitScheduled) {
                applyWidths();
            }
        },
        Qt::QueuedConnection);
}

void DBGrid::fitColumns() {
    m_contentWidths.clear();
    applyWidths();
}

void DBGrid::applyWidths() {
    m_fitScheduled = false;
    if (m_contentWidths.size() != m_model->columnCount()) {
        m_contentWidths = QVector<int>(m_model->columnCount(), 0);
        measureRows(0, m_model->rowCount() - 1);
    }
    if (!m_widthsRead) {
        readUserWidths();
    }
    QScopedValueRollback fitting(m_fitting, true);
    const auto& columns = m_model->columns();
    const int names = namesColumn();
    for (int i = 0; i < columns.size(); ++i) {
        if (const auto user = m_userWidths.constFind(columns[i].field);
            user != m_userWidths.cend()) {
            setColumnWidth(i, *user);
        } else if (i != names) {
            setColumnWidth(i, fittedWidth(i));
        }
    }
    fillNamesColumn();
}

void DBGrid::fillNamesColumn() {
    const int names = namesColumn();
    if (names < 0 || m_userWidths.contains(m_model->columns()[names].field)) {
        return;
    }
    QScopedValueRollback fitting(m_fitting, true);
    int others = 0;
    for (int i = 0; i < m_model->columnCount(); ++i) {
        if (i != names) {
            others += columnWidth(i);
        }
    }
    const int available = viewport()->width() - others;
    setColumnWidth(names, std::max(available, horizontalHeader()->sectionSizeHint(names)));
}

bool DBGrid::isCut(const QModelIndex& index) const {
    if (!index.isValid()) {
        return false;
    }
    return textWidth(index.data(Qt::DisplayRole).toString()) > columnWidth(index.column());
}

bool DBGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // Only a cut cell has something to tell.
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (isCut(index)) {
            QToolTip::showText(help->globalPos(), index.data(Qt::DisplayRole).toString(),
                               viewport(), visualRect(index));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QTableView::viewportEvent(event);
}

void DBGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    if (!m_widthsRead) {
        // The key is made of the window's names, complete once the grid is shown.
        fitColumns();
    }
}

void DBGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    fillNamesColumn();
}

void DBGrid::markSortColumn() {
    int column = -1;
    if (const Dataset* ds = m_model->dataset()) {
        const auto& columns = m_model->columns();
        for (int i = 0; i < columns.size() && column < 0; ++i) {
            if (!ds->sortField().isEmpty() &&
                columns[i].field.compare(ds->sortField(), Qt::CaseInsensitive) == 0) {
                column = i;
            }
        }
    }
    m_sortColumn = column;
    QHeaderView* header = horizontalHeader();
    QSignalBlocker block(header);
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

void DBGrid::setInPlaceEditing(bool enabled) {
    m_inPlaceEditing = enabled;
    if (!enabled) {
        setCellsEditable(false);
    }
}

void DBGrid::setCellsEditable(bool editable) {
    editable = editable && m_inPlaceEditing;
    if (!editable && state() == QAbstractItemView::EditingState) {
        // Whatever the open editor holds is written before the cells close.
        if (QWidget* editor = QApplication::focusWidget(); editor && isAncestorOf(editor)) {
            commitData(editor);
            QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    m_model->setEditable(editable);
    setEditTriggers(editable
                        ? QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                        : QAbstractItemView::NoEditTriggers);
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    // The delegate closes its editor this way on Enter, once the text is written.
    if (m_inPlaceEditing && hint == QAbstractItemDelegate::SubmitModelCache) {
        enterPressed();
    }
}

void DBGrid::enterPressed() {
    Dataset* ds = m_model->dataset();
    if (!ds || !ds->isActive() || ds->isEmpty()) {
        return;
    }
    const int row = ds->currentIndex();
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    if (column + 1 < m_model->columnCount()) {
        const QModelIndex next = m_model->index(row, column + 1);
        setCurrentIndex(next);
        if (cellsEditable()) {
            edit(next);
        }
        return;
    }
    try {
        ds->edit();
        ds->post();
    } catch (const db::DatabaseError& e) {
        showError(e.text());
        return;
    }
    setCellsEditable(false);
    setCurrentIndex(m_model->index(ds->currentIndex(), 0));
    emit rowSent();
}

bool DBGrid::abandonEmptyRow() {
    Dataset* ds = m_model->dataset();
    if (!ds || !ds->isEditing() || m_model->columns().isEmpty()) {
        return false;
    }
    if (state() == QAbstractItemView::EditingState) {
        if (QWidget* editor = QApplication::focusWidget(); editor && isAncestorOf(editor)) {
            commitData(editor);
        }
    }
    if (!ds->value(m_model->columns().first().field).isNull()) {
        return false;
    }
    if (state() == QAbstractItemView::EditingState) {
        if (QWidget* editor = QApplication::focusWidget(); editor && isAncestorOf(editor)) {
            QTableView::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        }
    }
    ds->cancel();
    setCellsEditable(false);
    return true;
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (m_ctrlDelete && event->key() == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        event->accept();
        Dataset* ds = m_model->dataset();
        if (ds && ds->isActive() &&
            MessageBoxes::confirm(this, QStringLiteral("Supprimer l'enregistrement ?"))) {
            try {
                ds->remove();
            } catch (const db::DatabaseError& e) {
                showError(e.text());
            }
        }
        return;
    }
    if (m_inPlaceEditing && modifiers == Qt::NoModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // With a cell editor open, the delegate has the key: it writes the cell and
            // closes the editor, and closeEditor() goes on from there.
            event->accept();
            if (state() != QAbstractItemView::EditingState) {
                enterPressed();
            }
            return;
        }
        if (event->key() == Qt::Key_Up && abandonEmptyRow()) {
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    Dataset* ds = m_model->dataset();
    if (!m_inPlaceEditing || !ds || ds->state() != DatasetState::Browse ||
        !indexAt(event->position().toPoint()).isValid()) {
        return;
    }
    try {
        ds->edit();
    } catch (const db::DatabaseError& e) {
        showError(e.text());
    }
}

void DBGrid::wheelEvent(QWheelEvent* event) {
    if (!m_inPlaceEditing) {
        QTableView::wheelEvent(event);
        return;
    }
    event->accept();
    Dataset* ds = m_model->dataset();
    if (!ds || !ds->isActive()) {
        return;
    }
    // One row per wheel step (120 units), towards the end when the wheel turns towards the
    // user; fine-grained wheels add up until they make a step.
    m_wheelRemainder += event->angleDelta().y();
    try {
        while (m_wheelRemainder <= -120) {
            m_wheelRemainder += 120;
            ds->next();
        }
        while (m_wheelRemainder >= 120) {
            m_wheelRemainder -= 120;
            ds->prior();
        }
    } catch (const db::DatabaseError& e) {
        m_wheelRemainder = 0;
        showError(e.text());
    }
}
