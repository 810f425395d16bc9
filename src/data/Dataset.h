#pragma once

#include "data/TableDef.h"
#include "db/Value.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

namespace db {
class DatabaseError;
class Decimal;
class Statement;
}  // namespace db

class TDataprix;

/// The state of a dataset, as every window and control sees it.
enum class DatasetState { Inactive, Browse, Edit, Insert };

/**
 * Something bound to a dataset that may hold text not yet written into the row (an entry
 * field being typed in). The dataset asks every editor to write it before a post and
 * before it leaves the row, so that a refusal stops the post itself.
 */
class DatasetEditor {
public:
    virtual ~DatasetEditor() = default;
    /// Writes the pending content into the row being edited; throws db::DatabaseError when
    /// the column refuses it. Does nothing when nothing is pending.
    virtual void writePending() = 0;
};

/**
 * A dataset of the data module: the rows of one table as listed by a query with named
 * parameters, a current row, a state and an edit buffer, and the row statements that
 * send changes to the server at once.
 *
 * Rows are fetched as they are needed: open() reads a first batch and leaves the list
 * query's cursor open (also across commits with retaining); grids fetch more as they
 * scroll, next() past the last fetched row fetches the next one, last(), locate(),
 * lookup() and append() fetch what they need. rowCount() therefore counts the rows fetched
 * so far, not the rows of the query: code that needs every row walks to the end (or calls
 * fetchAll()), or asks the server with a query of its own. eof() is exact.
 *
 * Every view of a table (grids, entry fields, the generator) shares one Dataset and
 * follows it through its signals. Operations that fail throw db::DatabaseError and
 * leave the state, the current row and the edit buffer as they were.
 *
 * Field names match without regard to case. Values are kept typed: Text for CHAR,
 * VARCHAR and BLOB columns (CHAR blank-padded as the server returns it), Integer,
 * Decimal (at the column's scale) and Date.
 */
class Dataset : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(Dataset&)>;

    /// Rows read by open() before anything asks for more.
    static constexpr int kFirstBatch = 64;

    /// @p module owns the connection and transaction the dataset uses; it must outlive it.
    Dataset(const QString& name, const TableDef& table, TDataprix& module,
            QObject* parent = nullptr);
    ~Dataset() override;

    const QString& name() const { return m_name; }
    const TableDef& table() const { return m_table; }
    const QVector<FieldDef>& fields() const { return m_table.fields; }
    /// Position of a column (any case), or -1.
    int fieldIndex(const QString& field) const { return m_table.fieldIndex(field); }
    /// The column @p field (any case), or null.
    const FieldDef* field(const QString& field) const;

    /// A read-only dataset refuses every change ("Cannot modify a read-only dataset").
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // --- list query -------------------------------------------------------------
    /**
     * The list query text; it stays in force until replaced (it belongs to the dataset,
     * not to the window that set it). @p sortField names the column the text orders the
     * rows by, for the grids to mark; empty when the order is another. Closes the dataset.
     */
    void setSql(const QString& sql, const QString& sortField = QString());
    const QString& sql() const { return m_sql; }
    /// The column the list query orders by, as given to setSql(); the table's first order
    /// column for the list query the dataset starts with.
    const QString& sortField() const { return m_sortField; }
    void setParam(const QString& name, const db::Value& value);
    db::Value param(const QString& name) const { return m_params.value(name.toLower()); }

    // --- state and navigation ------------------------------------------------------
    DatasetState state() const { return m_state; }
    bool isActive() const { return m_state != DatasetState::Inactive; }
    bool isEditing() const {
        return m_state == DatasetState::Edit || m_state == DatasetState::Insert;
    }
    /// True when the row being edited holds changes (a new row always does).
    bool isModified() const { return m_modified; }
    /**
     * True when a field of the row being modified holds another value than the row as it
     * was listed: a value set again to what it was (a rule passed over) is no change. A new
     * row always differs.
     */
    bool differsFromListed() const;
    /// The rows fetched so far (and the rows added since the opening).
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    /// True when the query has no row at all (exact: a first row is always fetched).
    bool isEmpty() const { return m_rows.isEmpty(); }
    /// Index of the current row, -1 on an empty or inactive dataset.
    int currentIndex() const { return m_current; }
    /// True after next() was called on the last row, and on an empty dataset.
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }

    /// True while the list query may hold rows not fetched yet.
    bool canFetchMore() const;
    /// Fetches up to @p count more rows; returns how many came. Neither moves nor posts.
    int fetchMore(int count);
    /// Fetches every remaining row.
    void fetchAll();

    /**
     * Connects and starts the transaction when needed, binds the parameters, runs the
     * list query, fetches a first batch and makes the first row current. An active dataset
     * is closed first.
     */
    void open();
    /// Drops the rows and any pending change; state inactive. Never throws.
    void close();
    /**
     * Reads the list again with its query in force, as close() then open() do, but a row
     * being added or modified is left first (sent when modified): a list shared with another
     * window never drops what is being typed there. When the row is refused, the error is
     * thrown and the list, the row with it, stays as it was.
     */
    void reopen();
    void first();
    void next();
    void prior();
    void last();
    /// Makes row @p index (a fetched row) current, after leaving the current row.
    void moveTo(int index);
    /// Makes current the first row whose @p fields equal @p values; false when none does.
    bool locate(const QStringList& fields, const QVector<db::Value>& values,
                Qt::CaseSensitivity cs = Qt::CaseSensitive);
    /**
     * The value of @p resultField in the first row whose @p keyField equals @p key (texts
     * compared without their trailing blanks, with @p cs); null when no row does. Neither
     * moves nor posts the current row: it may be used while a row is being typed.
     */
    db::Value lookup(const QString& keyField, const db::Value& key, const QString& resultField,
                     Qt::CaseSensitivity cs = Qt::CaseInsensitive);

    // --- editing -----------------------------------------------------------------
    /// Leaves the current row, adds an empty row at the end, state insert, runs after-insert.
    void append();
    /// As append(), the new row placed before the current one.
    void insert();
    /// Starts editing the current row; on an empty dataset it appends. Nothing in edit or insert.
    void edit();
    /// Has every bound editor write its pending content; throws the first refusal.
    void updateRecord();
    /// Sends the row being edited; "Not in edit mode" in browse.
    void post();
    /// Drops the edit buffer; a row being inserted disappears.
    void cancel();
    /// Deletes the current row on the server ("Cannot perform this operation on an empty dataset").
    void remove();
    /**
     * Deletes every row of the list (all of them read first) on the server, each by its own
     * key, and commits at once (after-delete): the list is then empty. A row being added is
     * dropped first; a change typed into a listed row goes with it. Rows another
     * workstation added since the list was read stay. When anything fails, nothing is
     * deleted and the list stays as it was.
     */
    void removeAll();
    /// In edit or insert: post when modified, cancel otherwise.
    void checkBrowseMode();
    /**
     * Reads the current row again from the server, by its key, as the transaction sees it
     * now. Nothing in edit or insert. Throws db::DatabaseError when the row is gone.
     */
    void refresh();

    // --- field access --------------------------------------------------------------
    /// Value of the current row (the edit buffer while editing); null on an empty dataset.
    db::Value value(const QString& field) const;
    /// Value of row @p index as listed (the buffer for the row being edited).
    db::Value valueAt(int index, const QString& field) const;
    /// Sets a field of the row being edited ("Not in edit mode" otherwise); text is cut to
    /// the column's width and an empty text becomes null.
    void setValue(const QString& field, const db::Value& value);
    /// Sets a field from typed text, parsed for the column's type (French message when not valid).
    void setText(const QString& field, const QString& text);
    /**
     * Sets a field of the row being edited to a value the record rules chose (a line
     * number). When the server refuses a new row because another workstation took that key
     * meanwhile, onKeyCollision chooses again and the row is sent again; a value set in any
     * other way (typed, read from a sheet) is never changed.
     */
    void setRuleValue(const QString& field, const db::Value& value);
    /// True while @p field of the row being edited holds the value the rules chose for it.
    bool holdsRuleValue(const QString& field) const;
    /// The text a control or grid shows for a value of the column: codes as stored, amounts
    /// in the column's display format with the locale's decimal sign, dates dd/MM/yyyy.
    static QString displayText(const FieldDef& field, const db::Value& value);
    QString displayText(int index, const QString& field) const;

    // --- bound editors ----------------------------------------------------------------
    /// @p editor writes its pending content on updateRecord(); it must unregister before it dies.
    void addEditor(DatasetEditor* editor);
    void removeEditor(DatasetEditor* editor);

    // --- record-rule events (set by the data module) ----------------------------------
    Handler onAfterInsert;
    Handler onBeforePost;
    Handler onAfterPost;
    Handler onAfterDelete;
    /// A new row was refused for a duplicate key that holds a rule value: choose again
    /// with setRuleValue(); the row is then sent again (up to kMaxKeyRetries times).
    Handler onKeyCollision;

    /// Times a new row is sent when its rule-given key keeps colliding.
    static constexpr int kMaxKeyRetries = 100;

    // What a modify or a delete meets when another workstation was there first.
    static const QString kModifyVanished;
    static const QString kDeleteVanished;
    static const QString kRefreshVanished;
    static const QString kModifyChanged;
    static const QString kDeleteChanged;
    /// "%1": the lock timeout, in seconds.
    static const QString kRowLocked;

signals:
    /// The rows are about to be replaced as a whole (open, close).
    void aboutToReset();
    /// Rows replaced as a whole (open, close).
    void rowsReset();
    /// Rows @p first to @p last are about to be added (a new row, a fetched batch).
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    /// Row @p index is about to go (deleted, or a new row abandoned).
    void rowAboutToBeRemoved(int index);
    void rowRemoved(int index);
    /// Values of a listed row changed (post, refresh, a field of the row being edited).
    void rowChanged(int index);
    void currentRowChanged(int index);
    void stateChanged(DatasetState state);
    /// A field of the current row changed (set by code or by a control).
    void fieldChanged(const QString& field);

private:
    using Row = QVector<db::Value>;

    /// Runs the list query and reads its first batch (connecting when needed).
    QVector<QVector<db::Value>> readFirstRows();
    void requireActive() const;
    void requireWritable() const;
    void setState(DatasetState state);
    void setCurrent(int index);
    void leaveRow();
    void addRow(int position);
    void removeRowAt(int index);
    /// Index of the first row (from @p from on) matching; fetches as needed; -1 when none.
    int findRow(const QVector<int>& fields, const QVector<db::Value>& values,
                Qt::CaseSensitivity cs, int from = 0);
    QVector<int> fieldIndexes(const QStringList& fields) const;
    Row readRow(const db::Statement& statement) const;
    QString keyText(const Row& row) const;
    db::Value coerce(const FieldDef& field, const db::Value& value) const;
    /// @p value at the column's scale; refused (French, naming the column) when it has more
    /// digits than the column holds.
    db::Value checkedDecimal(const FieldDef& field, const db::Decimal& value) const;
    /// The row in words for a message: its line number, or its key values.
    QString rowDesignation(const Row& row) const;
    /**
     * The error @p e of the server, met while sending @p row, as the French sentence the user
     * reads: the column or the row named, the server's text kept as a detail. Errors of
     * other kinds come back unchanged.
     */
    db::DatabaseError explained(const db::DatabaseError& e, const Row& row) const;
    db::Statement& rowStatement(std::unique_ptr<db::Statement>& slot, const QString& sql);
    void checkEncodable(const Row& row) const;
    QStringList columnNames() const;
    /// True when the columns the list query read hold the same values in both rows.
    bool sameListedValues(const Row& a, const Row& b) const;
    /// The row of the key of @p row as the transaction sees it now; nothing when gone.
    std::optional<Row> readStored(const Row& row);
    /**
     * Locks the row @p listed on the server before it is changed or deleted, and checks that
     * nobody changed or deleted it since it was read; throws the French message otherwise.
     */
    void lockForChange(const Row& listed, bool deleting);
    bool keyHoldsRuleValue() const;
    /// Deletes the listed rows on the server by their keys, without committing.
    void deleteListedRows();
    /// Runs the insert, or the lock and the update, of the row being edited; @p storedRow
    /// receives the row as the server stored it.
    void sendRow(const QStringList& columns, const Row& listed, std::optional<Row>& storedRow);
    /// The mark a post or a delete can be undone to, when the server refuses it or its
    /// commit (a commit forgets it).
    static constexpr const char* kSavepoint = "ENVOI_LIGNE";
    /// Marks the point (kSavepoint) a post or a delete can be undone to.
    void markSavepoint();
    /**
     * Undoes what a post or a delete wrote on the server after @p cause stopped it: back to
     * the mark taken before it, or, for the new row @p inserted, by deleting that row again.
     * Nothing to undo when the server is gone. Throws when even that fails, with both
     * reasons.
     */
    void undoSend(const db::DatabaseError& cause, const Row* inserted = nullptr);
    /// "K1 = :OLD_K1 and ...": the condition that finds a row by its key as it was read.
    QString keyCondition() const;
    void bindOldKey(db::Statement& statement, const Row& row) const;

    QString m_name;
    TableDef m_table;
    TDataprix& m_module;
    QString m_sql;
    QString m_sortField;
    QHash<QString, db::Value> m_params;
    QVector<Row> m_rows;
    Row m_buffer;
    int m_current = -1;
    DatasetState m_state = DatasetState::Inactive;
    bool m_modified = false;
    bool m_eof = true;
    bool m_bof = true;
    bool m_readOnly = false;
    // The list query; its cursor stays open while rows remain to be fetched.
    std::unique_ptr<db::Statement> m_list;
    bool m_cursorOpen = false;
    // Keys of the rows posted since the opening: the open cursor may return them again
    // (a row inserted after the cursor opened, a row whose sort key changed), and a row
    // must never be listed twice.
    QSet<QString> m_postedKeys;
    QVector<DatasetEditor*> m_editors;
    std::unique_ptr<db::Statement> m_insert;
    std::unique_ptr<db::Statement> m_modify;
    std::unique_ptr<db::Statement> m_delete;
    std::unique_ptr<db::Statement> m_refresh;
    std::unique_ptr<db::Statement> m_lock;
    std::unique_ptr<db::Statement> m_savepoint;
    std::unique_ptr<db::Statement> m_undoToSavepoint;
    // Columns the list query reads (the others stay null in the listed rows).
    QVector<bool> m_listedFields;
    // Fields of the row being edited whose value the record rules chose.
    QSet<int> m_ruleValues;
};
