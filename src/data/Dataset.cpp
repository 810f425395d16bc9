#include "data/Dataset.h"

#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "db/Win1252.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QThread>

#include <optional>

using db::DatabaseError;
using db::Value;

namespace {

QString rightTrimmed(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ') {
        --end;
    }
    return text.left(end);
}

bool sameValue(const Value& a, const Value& b, Qt::CaseSensitivity cs) {
    if (a.isNull() || b.isNull()) {
        return a.isNull() && b.isNull();
    }
    if (a.type() == Value::Type::Text || b.type() == Value::Type::Text) {
        return rightTrimmed(a.toText()).compare(rightTrimmed(b.toText()), cs) == 0;
    }
    if (a.type() == Value::Type::Date || b.type() == Value::Type::Date) {
        return a.toDate() == b.toDate();
    }
    return a.toDecimal() == b.toDecimal();
}

/// True when @p value, at @p scale, has more digits than @p precision holds.
bool depasse(const db::Decimal& value, int precision, int scale) {
    db::Decimal::Mantissa m = value.rescaled(scale).mantissa();
    if (m < 0) {
        m = -m;
    }
    db::Decimal::Mantissa limite = 1;
    for (int i = 0; i < precision; ++i) {
        limite *= 10;
    }
    return m >= limite;
}

}  // namespace

Dataset::Dataset(const QString& name, const TableDef& table, TDataprix& module, QObject* parent)
    : QObject(parent),
      m_name(name),
      m_table(table),
      m_module(module),
      m_sql(table.listQuery()),
      m_sortField(table.order.value(0)) {}

Dataset::~Dataset() = default;

const FieldDef* Dataset::field(const QString& field) const {
    const int i = fieldIndex(field);
    return i < 0 ? nullptr : &m_table.fields[i];
}

void Dataset::requireActive() const {
    if (m_state == DatasetState::Inactive) {
        throw DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    }
}

void Dataset::requireWritable() const {
    if (m_readOnly) {
        throw DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    }
}

void Dataset::setState(DatasetState state) {
    if (m_state != state) {
        m_state = state;
        emit stateChanged(state);
    }
}

void Dataset::setCurrent(int index) {
    m_current = index;
    emit currentRowChanged(index);
}

void Dataset::setSql(const QString& sql, const QString& sortField) {
    close();
    m_sql = sql;
    m_sortField = sortField;
}

void Dataset::setParam(const QString& name, const Value& value) {
    m_params.insert(name.toLower(), value);
}

void Dataset::addEditor(DatasetEditor* editor) {
    if (editor && !m_editors.contains(editor)) {
        m_editors.append(editor);
    }
}

void Dataset::removeEditor(DatasetEditor* editor) {
    m_editors.removeAll(editor);
}

QString Dataset::keyText(const Row& row) const {
    QString text;
    for (const QString& k : m_table.key) {
        text += rightTrimmed(row[fieldIndex(k)].toText());
        text += QChar(0x1f);
    }
    return text;
}

void Dataset::open() {
    close();
    QVector<Row> rows;
    // An attachment whose server went away is only found out by using it: opening a list
    // then connects again once, so that the opening after the server is back succeeds.
    for (bool retried = false;; retried = true) {
        const bool wasConnected = m_module.idataprix.isConnected();
        try {
            rows = readFirstRows();
            break;
        } catch (const DatabaseError& e) {
            if (e.kind() != DatabaseError::Kind::ConnectionLost || retried || !wasConnected ||
                m_module.idataprix.isConnected()) {
                throw;
            }
        }
    }
    m_cursorOpen = m_list->hasOpenCursor();
    m_postedKeys.clear();
    emit aboutToReset();
    m_rows = std::move(rows);
    m_current = m_rows.isEmpty() ? -1 : 0;
    m_eof = m_rows.isEmpty();
    m_bof = true;
    m_state = DatasetState::Browse;
    emit rowsReset();
    emit stateChanged(m_state);
    emit currentRowChanged(m_current);
}

QVector<Dataset::Row> Dataset::readFirstRows() {
    m_module.ensureConnected();
    // The prepared list query serves again for the same text (searches re-open with new
    // parameters at every keystroke).
    if (!m_list || !m_list->isPrepared() || m_list->sql() != m_sql) {
        auto list = std::make_unique<db::Statement>(m_module.IBTransaction1);
        list->prepare(m_sql);
        m_list = std::move(list);
    }
    m_listedFields.resize(m_table.fields.size());
    for (int i = 0; i < m_table.fields.size(); ++i) {
        m_listedFields[i] = m_list->columnIndex(m_table.fields[i].name) >= 0;
    }
    m_list->clearParams();
    for (const QString& name : m_list->parameterNames()) {
        m_list->setParam(name, m_params.value(name));
    }
    QVector<Row> rows;
    try {
        m_list->execute();
        while (rows.size() < kFirstBatch && m_list->fetch()) {
            rows.append(readRow(*m_list));
        }
    } catch (const DatabaseError&) {
        m_list->closeCursor();
        throw;
    }
    return rows;
}

bool Dataset::canFetchMore() const {
    return m_state != DatasetState::Inactive && m_cursorOpen;
}

int Dataset::fetchMore(int count) {
    if (!canFetchMore() || count <= 0) {
        return 0;
    }
    QVector<Row> rows;
    rows.reserve(std::min(count, 1024));
    std::optional<DatabaseError> failure;
    try {
        while (rows.size() < count && m_list->fetch()) {
            Row row = readRow(*m_list);
            if (!m_postedKeys.isEmpty() && m_postedKeys.contains(keyText(row))) {
                continue;
            }
            rows.append(std::move(row));
        }
        m_cursorOpen = m_list->hasOpenCursor();
    } catch (const DatabaseError& e) {
        m_list->closeCursor();
        m_cursorOpen = false;
        failure = e;
    }
    if (!rows.isEmpty()) {
        const int first = rowCount();
        const int last = first + static_cast<int>(rows.size()) - 1;
        emit rowsAboutToBeInserted(first, last);
        m_rows += rows;
        emit rowsInserted(first, last);
    }
    if (failure) {
        throw *failure;
    }
    return static_cast<int>(rows.size());
}

void Dataset::fetchAll() {
    while (canFetchMore()) {
        fetchMore(1024);
    }
}

Dataset::Row Dataset::readRow(const db::Statement& statement) const {
    Row row(m_table.fields.size());
    for (int i = 0; i < m_table.fields.size(); ++i) {
        const int column = statement.columnIndex(m_table.fields[i].name);
        if (column >= 0) {
            row[i] = statement.row()[column];
        }
    }
    return row;
}

void Dataset::close() {
    if (m_list) {
        m_list->closeCursor();
    }
    m_cursorOpen = false;
    if (m_state == DatasetState::Inactive) {
        return;
    }
    emit aboutToReset();
    m_rows.clear();
    m_buffer.clear();
    m_postedKeys.clear();
    m_modified = false;
    m_current = -1;
    m_eof = m_bof = true;
    m_state = DatasetState::Inactive;
    emit rowsReset();
    emit stateChanged(m_state);
    emit currentRowChanged(m_current);
}

void Dataset::updateRecord() {
    if (!isEditing()) {
        return;
    }
    // An editor may unbind itself while writing (a window closing): walk a copy.
    const QVector<DatasetEditor*> editors = m_editors;
    for (DatasetEditor* editor : editors) {
        if (m_editors.contains(editor)) {
            editor->writePending();
        }
    }
}

void Dataset::leaveRow() {
    if (!isEditing()) {
        return;
    }
    // The bound controls write what they hold first: a text typed but not yet written makes
    // the row modified, so that leaving the row sends it.
    updateRecord();
    if (m_modified) {
        post();
    } else {
        cancel();
    }
}

void Dataset::checkBrowseMode() {
    requireActive();
    leaveRow();
}

void Dataset::reopen() {
    leaveRow();
    open();
}

void Dataset::first() {
    requireActive();
    leaveRow();
    m_bof = true;
    m_eof = m_rows.isEmpty();
    if (!m_rows.isEmpty()) {
        setCurrent(0);
    }
}

void Dataset::last() {
    requireActive();
    leaveRow();
    fetchAll();
    m_eof = true;
    m_bof = m_rows.isEmpty();
    if (!m_rows.isEmpty()) {
        setCurrent(rowCount() - 1);
    }
}

void Dataset::next() {
    requireActive();
    leaveRow();
    if (m_current + 1 >= rowCount()) {
        fetchMore(kFirstBatch);
    }
    if (m_current + 1 < rowCount()) {
        m_bof = false;
        setCurrent(m_current + 1);
    } else {
        m_eof = true;
    }
}

void Dataset::prior() {
    requireActive();
    leaveRow();
    if (m_current > 0) {
        m_eof = false;
        setCurrent(m_current - 1);
    } else {
        m_bof = true;
    }
}

void Dataset::moveTo(int index) {
    requireActive();
    if (index < 0 || index >= rowCount() || index == m_current) {
        return;
    }
    // A new row counts as changed, so leaving a row posts or cancels an edit but never
    // removes a row: the target index stays valid.
    leaveRow();
    m_eof = m_bof = false;
    setCurrent(index);
}

QVector<int> Dataset::fieldIndexes(const QStringList& fields) const {
    QVector<int> indexes;
    for (const QString& f : fields) {
        const int i = fieldIndex(f);
        if (i < 0) {
            throw DatabaseError(QStringLiteral("Field '%1' not found").arg(f));
        }
        indexes.append(i);
    }
    return indexes;
}

int Dataset::findRow(const QVector<int>& fields, const QVector<Value>& values,
                     Qt::CaseSensitivity cs, int from) {
    for (int r = from;; ++r) {
        if (r >= rowCount() && fetchMore(kFirstBatch) == 0) {
            return -1;
        }
        bool match = true;
        for (int k = 0; k < fields.size() && match; ++k) {
            match = sameValue(m_rows[r][fields[k]], k < values.size() ? values[k] : Value(), cs);
        }
        if (match) {
            return r;
        }
    }
}

bool Dataset::locate(const QStringList& fields, const QVector<Value>& values,
                     Qt::CaseSensitivity cs) {
    requireActive();
    const QVector<int> indexes = fieldIndexes(fields);
    leaveRow();
    const int r = findRow(indexes, values, cs);
    if (r < 0) {
        return false;
    }
    m_eof = m_bof = false;
    setCurrent(r);
    return true;
}

Value Dataset::lookup(const QString& keyField, const Value& key, const QString& resultField,
                      Qt::CaseSensitivity cs) {
    if (!isActive() || key.isNull()) {
        return Value();
    }
    const QVector<int> indexes = fieldIndexes({keyField, resultField});
    const int r = findRow({indexes[0]}, {key}, cs);
    return r < 0 ? Value() : m_rows[r][indexes[1]];
}

void Dataset::append() {
    requireActive();
    requireWritable();
    leaveRow();
    fetchAll();
    addRow(rowCount());
}

void Dataset::insert() {
    requireActive();
    requireWritable();
    leaveRow();
    addRow(m_current < 0 ? 0 : m_current);
}

void Dataset::addRow(int position) {
    emit rowsAboutToBeInserted(position, position);
    m_rows.insert(position, Row(m_table.fields.size()));
    m_buffer = Row(m_table.fields.size());
    m_ruleValues.clear();
    m_current = position;
    m_eof = m_bof = false;
    // A new row counts as changed: the rules fill it and leaving it must send it.
    m_modified = true;
    m_state = DatasetState::Insert;
    emit rowsInserted(position, position);
    emit stateChanged(m_state);
    emit currentRowChanged(m_current);
    if (onAfterInsert) {
        onAfterInsert(*this);
    }
}

void Dataset::removeRowAt(int index) {
    emit rowAboutToBeRemoved(index);
    m_rows.removeAt(index);
    m_current = std::min(index, rowCount() - 1);
    emit rowRemoved(index);
    // The row that followed may not have been fetched yet: it becomes current, as it would
    // in a list read whole.
    if (index >= rowCount() && canFetchMore() && fetchMore(kFirstBatch) > 0) {
        m_current = index;
    }
    m_eof = m_bof = m_rows.isEmpty();
}

void Dataset::edit() {
    requireActive();
    requireWritable();
    if (isEditing()) {
        return;
    }
    if (m_rows.isEmpty()) {
        append();
        return;
    }
    m_buffer = m_rows[m_current];
    m_ruleValues.clear();
    m_modified = false;
    setState(DatasetState::Edit);
}

Value Dataset::coerce(const FieldDef& field, const Value& value) const {
    if (value.isNull()) {
        return Value();
    }
    switch (field.type) {
        case FieldType::Char:
        case FieldType::Varchar:
        case FieldType::Blob: {
            QString text = value.toText();
            if (text.isEmpty()) {
                return Value();
            }
            if (field.type != FieldType::Blob && text.size() > field.width) {
                text.truncate(field.width);
            }
            return Value(text);
        }
        case FieldType::Integer:
            if (value.type() == Value::Type::Text) {
                bool ok = false;
                const qlonglong v = value.toText().trimmed().toLongLong(&ok);
                if (!ok) {
                    throw DatabaseError(QStringLiteral("« %1 » n'est pas un nombre entier valide")
                                            .arg(value.toText()));
                }
                return Value(static_cast<std::int64_t>(v));
            }
            return Value(value.toInt());
        case FieldType::Numeric:
            if (value.type() == Value::Type::Text) {
                const auto d = db::Decimal::parse(value.toText());
                if (!d) {
                    throw DatabaseError(
                        QStringLiteral("« %1 » n'est pas un nombre valide").arg(value.toText()));
                }
                return checkedDecimal(field, *d);
            }
            return checkedDecimal(field, value.toDecimal());
        case FieldType::Date:
            if (value.type() == Value::Type::Date) {
                return value;
            }
            if (!value.toDate().isValid()) {
                throw DatabaseError(
                    QStringLiteral("« %1 » n'est pas une date valide").arg(value.toText()));
            }
            return Value(value.toDate());
    }
    return value;
}

Value Dataset::checkedDecimal(const FieldDef& field, const db::Decimal& value) const {
    // Refused here rather than by the server, which would answer in English and only when
    // the row is sent.
    if (field.width > 0 && depasse(value, field.width, field.scale)) {
        throw DatabaseError(
            QStringLiteral("La valeur %1 ne tient pas dans la colonne %2 de %3, qui accepte %4 "
                           "chiffres au plus avant la virgule.")
                .arg(value.toString(), field.name, m_table.name)
                .arg(field.width - field.scale),
            DatabaseError::Kind::Overflow);
    }
    return Value(value.rescaled(field.scale));
}

QString Dataset::rowDesignation(const Row& row) const {
    const int lg = fieldIndex(QStringLiteral("LG"));
    if (m_table.detail && lg >= 0 && !row.value(lg).isNull()) {
        return QStringLiteral("la ligne n° %1 de la table %2")
            .arg(row.value(lg).toText(), m_table.name);
    }
    QStringList parts;
    for (const QString& k : m_table.key) {
        parts.append(
            QStringLiteral("%1 = %2").arg(k, rightTrimmed(row.value(fieldIndex(k)).toText())));
    }
    return QStringLiteral("la ligne %1 de la table %2")
        .arg(parts.join(QStringLiteral(", ")), m_table.name);
}

DatabaseError Dataset::explained(const DatabaseError& e, const Row& row) const {
    const QString detail = DatabaseError::detailServeur(e.text());
    const QString nonEnregistree =
        QStringLiteral(" : %1 n'a pas été enregistrée.").arg(rowDesignation(row));
    QString phrase;
    switch (e.kind()) {
        case DatabaseError::Kind::Overflow:
            phrase = QStringLiteral("Un nombre est trop grand pour sa colonne dans la base");
            for (int i = 0; i < m_table.fields.size(); ++i) {
                const FieldDef& f = m_table.fields[i];
                const Value& v = row.value(i);
                if (v.isNull()) {
                    continue;
                }
                // What the column's type holds on the server: its digits, or a 32-bit integer.
                const bool tropGrand = (f.type == FieldType::Numeric && f.width > 0 &&
                                        depasse(v.toDecimal(), f.width, f.scale)) ||
                                       (f.type == FieldType::Integer &&
                                        (v.toInt() > 2147483647LL || v.toInt() < -2147483648LL));
                if (tropGrand) {
                    phrase = QStringLiteral(
                                 "La valeur %1 de la colonne %2 est trop grande pour "
                                 "la base")
                                 .arg(v.toText(), f.name);
                    break;
                }
            }
            break;
        case DatabaseError::Kind::Truncation:
            phrase = QStringLiteral("Un texte est trop long pour sa colonne dans la base");
            for (int i = 0; i < m_table.fields.size(); ++i) {
                const FieldDef& f = m_table.fields[i];
                const Value& v = row.value(i);
                if (f.type != FieldType::Blob && f.isText() && !v.isNull() &&
                    v.toText().size() > f.width) {
                    phrase = QStringLiteral(
                                 "Le texte de la colonne %1 dépasse les %2 caractères "
                                 "que la base accepte")
                                 .arg(f.name)
                                 .arg(f.width);
                    break;
                }
            }
            break;
        case DatabaseError::Kind::DuplicateKey:
            phrase = QStringLiteral("Une ligne de même clé existe déjà");
            break;
        case DatabaseError::Kind::Conflict:
        case DatabaseError::Kind::ConnectionLost:
            // Already told in French (the row being changed, or the server gone), the
            // server's text after it.
        case DatabaseError::Kind::Other:
            return e;
    }
    return DatabaseError(phrase + nonEnregistree + detail, e.kind());
}

void Dataset::setValue(const QString& field, const Value& value) {
    if (!isEditing()) {
        throw DatabaseError(QStringLiteral("Not in edit mode"));
    }
    const int i = fieldIndex(field);
    if (i < 0) {
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(field));
    }
    m_buffer[i] = coerce(m_table.fields[i], value);
    m_ruleValues.remove(i);
    m_modified = true;
    emit fieldChanged(m_table.fields[i].name);
    emit rowChanged(m_current);
}

void Dataset::setText(const QString& field, const QString& text) {
    const int i = fieldIndex(field);
    if (i < 0) {
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(field));
    }
    const FieldDef& f = m_table.fields[i];
    if (!f.isText() && text.trimmed().isEmpty()) {
        setValue(field, Value());
        return;
    }
    if (f.type == FieldType::Date) {
        const QString t = text.trimmed();
        QDate d;
        for (const char* format :
             {"dd/MM/yyyy", "d/M/yyyy", "dd.MM.yyyy", "dd-MM-yyyy", "yyyy-MM-dd"}) {
            d = QDate::fromString(t, QString::fromLatin1(format));
            if (d.isValid()) {
                break;
            }
        }
        if (!d.isValid()) {
            throw DatabaseError(QStringLiteral("« %1 » n'est pas une date valide").arg(text));
        }
        setValue(field, Value(d));
        return;
    }
    setValue(field, Value(text));
}

Value Dataset::value(const QString& field) const {
    if (m_current < 0) {
        return Value();
    }
    return valueAt(m_current, field);
}

Value Dataset::valueAt(int index, const QString& field) const {
    const int i = fieldIndex(field);
    if (i < 0 || index < 0 || index >= rowCount()) {
        return Value();
    }
    if (isEditing() && index == m_current) {
        return m_buffer[i];
    }
    return m_rows[index][i];
}

QString Dataset::displayText(const FieldDef& field, const Value& value) {
    if (value.isNull()) {
        return QString();
    }
    switch (field.type) {
        case FieldType::Numeric: {
            const QChar sign = QLocale().decimalPoint().at(0);
            if (!field.displayFormat.isEmpty()) {
                return value.toDecimal().format(field.displayFormat, sign);
            }
            return value.toDecimal().rescaled(field.scale).toString().replace(u'.', sign);
        }
        case FieldType::Date:
            return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
        default:
            return value.toText();
    }
}

QString Dataset::displayText(int index, const QString& field) const {
    const int i = fieldIndex(field);
    if (i < 0) {
        return QString();
    }
    return displayText(m_table.fields[i], valueAt(index, field));
}

void Dataset::checkEncodable(const Row& row) const {
    for (int i = 0; i < row.size(); ++i) {
        if (row[i].type() != Value::Type::Text) {
            continue;
        }
        QString unmapped;
        if (!db::Win1252::canEncode(row[i].toText(), &unmapped)) {
            throw DatabaseError(
                QStringLiteral("Le champ %1 contient des caractères que la base ne peut pas "
                               "enregistrer (%2) : corrigez la saisie.")
                    .arg(m_table.fields[i].name, unmapped));
        }
    }
}

QString Dataset::keyCondition() const {
    QStringList parts;
    for (const QString& k : m_table.key) {
        parts.append(QStringLiteral("%1 = :OLD_%1").arg(k));
    }
    return parts.join(QStringLiteral(" and "));
}

void Dataset::bindOldKey(db::Statement& statement, const Row& row) const {
    for (const QString& k : m_table.key) {
        statement.setParam(QStringLiteral("OLD_") + k, row[fieldIndex(k)]);
    }
}

db::Statement& Dataset::rowStatement(std::unique_ptr<db::Statement>& slot, const QString& sql) {
    if (!slot || !slot->isPrepared()) {
        slot = std::make_unique<db::Statement>(m_module.IBTransaction1);
        slot->prepare(sql);
    }
    return *slot;
}

QStringList Dataset::columnNames() const {
    QStringList columns;
    for (const FieldDef& f : m_table.fields) {
        columns.append(f.name);
    }
    return columns;
}

bool Dataset::sameListedValues(const Row& a, const Row& b) const {
    for (int i = 0; i < m_table.fields.size(); ++i) {
        // A column the list query did not read is null in the listed row, whatever the
        // table holds: it tells nothing.
        if (i < m_listedFields.size() && !m_listedFields[i]) {
            continue;
        }
        if (!sameValue(a.value(i), b.value(i), Qt::CaseSensitive)) {
            return false;
        }
    }
    return true;
}

std::optional<Dataset::Row> Dataset::readStored(const Row& row) {
    db::Statement& refresh = rowStatement(
        m_refresh,
        QStringLiteral("select %1 from %2 where %3")
            .arg(columnNames().join(QStringLiteral(", ")), m_table.name, keyCondition()));
    bindOldKey(refresh, row);
    refresh.execute();
    std::optional<Row> stored;
    if (refresh.fetch()) {
        stored = readRow(refresh);
    }
    refresh.closeCursor();
    return stored;
}

void Dataset::lockForChange(const Row& listed, bool deleting) {
    db::Statement& lock = rowStatement(
        m_lock, QStringLiteral("select %1 from %2 where %3 with lock")
                    .arg(columnNames().join(QStringLiteral(", ")), m_table.name, keyCondition()));
    bindOldKey(lock, listed);
    std::optional<Row> current;
    try {
        lock.execute();
        if (lock.fetch()) {
            current = readRow(lock);
        }
        lock.closeCursor();
    } catch (const DatabaseError& e) {
        lock.closeCursor();
        if (e.kind() != DatabaseError::Kind::Conflict) {
            throw;
        }
        // Either another workstation still holds the row (the wait ran out), or it changed
        // or deleted it and committed while we waited: the committed version tells which.
        const std::optional<Row> committed = readStored(listed);
        if (committed && sameListedValues(*committed, listed)) {
            throw DatabaseError(kRowLocked.arg(db::Transaction::kLockTimeoutSeconds),
                                DatabaseError::Kind::Conflict);
        }
        current = committed;
    }
    if (!current) {
        throw DatabaseError(deleting ? kDeleteVanished : kModifyVanished);
    }
    if (!sameListedValues(*current, listed)) {
        throw DatabaseError(deleting ? kDeleteChanged : kModifyChanged,
                            DatabaseError::Kind::Conflict);
    }
}

void Dataset::post() {
    requireActive();
    requireWritable();
    if (!isEditing()) {
        throw DatabaseError(QStringLiteral("Not in edit mode"));
    }
    updateRecord();
    if (onBeforePost) {
        onBeforePost(*this);
    }
    for (int i = 0; i < m_table.fields.size(); ++i) {
        if (m_table.fields[i].notNull && m_buffer[i].isNull()) {
            throw DatabaseError(
                QStringLiteral("Field '%1' must have a value").arg(m_table.fields[i].name));
        }
    }
    checkEncodable(m_buffer);
    m_module.ensureConnected();

    const QStringList columns = columnNames();
    const DatasetState sentFrom = m_state;
    const Row listed = m_rows[m_current];
    std::optional<Row> storedRow;

    // Should the server refuse the row or its commit, nothing of it may stay in the
    // transaction for a later commit. A change is undone to a mark taken before it, the lock
    // it takes included; a new row, whose only trace is the row itself, is deleted again,
    // which spares every line of an import the mark's round trip to the server.
    const bool inserting = m_state == DatasetState::Insert;
    if (!inserting) {
        markSavepoint();
    }
    try {
        sendRow(columns, listed, storedRow);
    } catch (const DatabaseError& e) {
        // Every window and the import read the same French sentence.
        const DatabaseError refus = explained(e, m_buffer);
        // A refused statement leaves nothing behind; the lock of a change does.
        if (!inserting) {
            undoSend(refus);
        }
        throw refus;
    }

    // The row as the server holds it (CHAR columns come back blank-padded).
    const Row sent = m_buffer;
    const QSet<int> ruleValues = m_ruleValues;
    const Row stored = storedRow.value_or(m_buffer);

    m_rows[m_current] = stored;
    const QString key = keyText(stored);
    const bool newKey = !m_postedKeys.contains(key);
    m_postedKeys.insert(key);
    m_buffer.clear();
    m_ruleValues.clear();
    m_modified = false;
    setState(DatasetState::Browse);
    emit rowChanged(m_current);
    try {
        if (onAfterPost) {
            onAfterPost(*this);
        }
    } catch (const DatabaseError& e) {
        // The commit failed: the server undoes the row (it has dropped it when it is gone),
        // and the row is back in the state it was sent from, with what was typed, so that
        // it can be corrected and sent again. Nothing of it is left for a later commit.
        if (newKey) {
            m_postedKeys.remove(key);
        }
        m_rows[m_current] = listed;
        m_buffer = sent;
        m_ruleValues = ruleValues;
        m_modified = true;
        setState(sentFrom);
        emit rowChanged(m_current);
        undoSend(e, inserting ? &stored : nullptr);
        throw;
    }
}

void Dataset::markSavepoint() {
    // Prepared once: a post sends it with every row.
    rowStatement(m_savepoint, QStringLiteral("savepoint %1").arg(QLatin1StringView(kSavepoint)))
        .execute();
}

void Dataset::undoSend(const DatabaseError& cause, const Row* inserted) {
    if (cause.kind() == DatabaseError::Kind::ConnectionLost) {
        return;
    }
    try {
        if (inserted) {
            db::Statement& st = rowStatement(
                m_delete,
                QStringLiteral("delete from %1 where %2").arg(m_table.name, keyCondition()));
            bindOldKey(st, *inserted);
            st.execute();
        } else {
            rowStatement(
                m_undoToSavepoint,
                QStringLiteral("rollback to savepoint %1").arg(QLatin1StringView(kSavepoint)))
                .execute();
        }
    } catch (const DatabaseError& e) {
        throw DatabaseError(
            cause.text() +
                QStringLiteral("\n\nDe plus, ce qui avait été envoyé n'a pas pu être "
                               "annulé : ") +
                e.text(),
            e.kind() == DatabaseError::Kind::ConnectionLost ? e.kind() : cause.kind());
    }
}

void Dataset::sendRow(const QStringList& columns, const Row& listed,
                      std::optional<Row>& storedRow) {
    if (m_state == DatasetState::Insert) {
        QStringList params;
        for (const QString& c : columns) {
            params.append(u':' + c);
        }
        // The row comes back as the server stored it in the same round trip.
        db::Statement& st =
            rowStatement(m_insert, QStringLiteral("insert into %1 (%2) values (%3) returning %2")
                                       .arg(m_table.name, columns.join(QStringLiteral(", ")),
                                            params.join(QStringLiteral(", "))));
        for (int attempt = 1;; ++attempt) {
            for (int i = 0; i < columns.size(); ++i) {
                st.setParam(columns[i], m_buffer[i]);
            }
            try {
                st.execute();
                if (st.fetch()) {
                    storedRow = readRow(st);
                }
                break;
            } catch (const DatabaseError& e) {
                // Another workstation took the number the rules gave this row: the rules give
                // the next free one and the row is sent again. A key typed by the user or
                // read from a sheet is never changed.
                if (e.kind() != DatabaseError::Kind::DuplicateKey || !onKeyCollision ||
                    !keyHoldsRuleValue() || attempt >= kMaxKeyRetries) {
                    throw;
                }
                // Two workstations appending at full speed (imports) otherwise move in step:
                // the one that waited for the other's commit keeps losing the next number
                // too. A short pause of random length breaks the step.
                QThread::msleep(QRandomGenerator::global()->bounded(1u, 2u + 2u * attempt));
                onKeyCollision(*this);
                if (!keyHoldsRuleValue()) {
                    throw;
                }
            }
        }
    } else {
        lockForChange(listed, false);
        QStringList assignments;
        for (const QString& c : columns) {
            assignments.append(QStringLiteral("%1 = :%1").arg(c));
        }
        db::Statement& st = rowStatement(
            m_modify,
            QStringLiteral("update %1 set %2 where %3")
                .arg(m_table.name, assignments.join(QStringLiteral(", ")), keyCondition()));
        for (int i = 0; i < columns.size(); ++i) {
            st.setParam(columns[i], m_buffer[i]);
        }
        bindOldKey(st, listed);
        st.execute();
        if (st.affectedRows() != 1) {
            throw DatabaseError(kModifyVanished);
        }
        storedRow = readStored(m_buffer);
    }
}

void Dataset::cancel() {
    if (!isEditing()) {
        return;
    }
    const bool inserting = m_state == DatasetState::Insert;
    // Views read the listed row once the buffer is gone: the state says browse before any
    // of them hears of the change.
    m_buffer.clear();
    m_ruleValues.clear();
    m_modified = false;
    m_state = DatasetState::Browse;
    if (inserting) {
        removeRowAt(m_current);
        emit stateChanged(m_state);
        emit currentRowChanged(m_current);
    } else {
        emit stateChanged(m_state);
        emit rowChanged(m_current);
    }
}

void Dataset::remove() {
    requireActive();
    requireWritable();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    if (m_rows.isEmpty()) {
        throw DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    }
    m_module.ensureConnected();
    const Row listed = m_rows[m_current];
    markSavepoint();
    try {
        lockForChange(listed, true);
        db::Statement& st = rowStatement(
            m_delete, QStringLiteral("delete from %1 where %2").arg(m_table.name, keyCondition()));
        bindOldKey(st, listed);
        st.execute();
        if (st.affectedRows() != 1) {
            throw DatabaseError(kDeleteVanished);
        }
    } catch (const DatabaseError& e) {
        undoSend(e);
        throw;
    }
    // The row is gone on the server: drop any change typed into it and say browse before
    // the views hear of the removal, so that they read listed rows only.
    const int index = m_current;
    const DatasetState before = m_state;
    const Row buffer = m_buffer;
    const bool modified = m_modified;
    const bool wasEditing = isEditing();
    m_buffer.clear();
    m_modified = false;
    m_state = DatasetState::Browse;
    removeRowAt(m_current);
    if (wasEditing) {
        emit stateChanged(m_state);
    }
    emit currentRowChanged(m_current);
    try {
        if (onAfterDelete) {
            onAfterDelete(*this);
        }
    } catch (const DatabaseError& e) {
        // The commit failed: the server undoes the deletion (it has when it is gone), and
        // the row comes back in the list as it was.
        emit rowsAboutToBeInserted(index, index);
        m_rows.insert(index, listed);
        m_current = index;
        m_eof = m_bof = false;
        m_buffer = buffer;
        m_modified = modified;
        m_state = before;
        emit rowsInserted(index, index);
        emit stateChanged(m_state);
        emit currentRowChanged(m_current);
        undoSend(e);
        throw;
    }
}

void Dataset::removeAll() {
    requireActive();
    requireWritable();
    if (m_state == DatasetState::Insert) {
        cancel();
    }
    fetchAll();
    if (m_rows.isEmpty()) {
        return;
    }
    m_module.ensureConnected();
    markSavepoint();
    try {
        deleteListedRows();
        if (onAfterDelete) {
            onAfterDelete(*this);
        }
    } catch (const DatabaseError& e) {
        // Nothing is deleted: the list, and any change typed into its current row, stay.
        undoSend(e);
        throw;
    }
    const bool wasEditing = isEditing();
    emit aboutToReset();
    m_rows.clear();
    m_buffer.clear();
    m_ruleValues.clear();
    m_postedKeys.clear();
    m_modified = false;
    m_current = -1;
    m_eof = m_bof = true;
    m_state = DatasetState::Browse;
    emit rowsReset();
    if (wasEditing) {
        emit stateChanged(m_state);
    }
    emit currentRowChanged(m_current);
}

void Dataset::deleteListedRows() {
    // Rows are found by their own key, whatever company or year the list was read for: one
    // statement for up to kChunk rows that share the other key columns, which the lines of
    // one company and year do.
    constexpr int kChunk = 200;
    const QStringList& key = m_table.key;
    const QStringList fixed = key.mid(0, key.size() - 1);
    const QString last = key.last();
    QStringList conditions;
    for (const QString& k : fixed) {
        conditions.append(QStringLiteral("%1 = :%1").arg(k));
    }
    QStringList values;
    for (int i = 0; i < kChunk; ++i) {
        values.append(QStringLiteral(":V%1").arg(i));
    }
    conditions.append(QStringLiteral("%1 in (%2)").arg(last, values.join(QStringLiteral(", "))));
    db::Statement statement(m_module.IBTransaction1);
    statement.prepare(QStringLiteral("delete from %1 where %2")
                          .arg(m_table.name, conditions.join(QStringLiteral(" and "))));

    QHash<QString, QVector<int>> groups;
    QStringList order;
    for (int r = 0; r < m_rows.size(); ++r) {
        QString group;
        for (const QString& k : fixed) {
            group += rightTrimmed(m_rows[r][fieldIndex(k)].toText()) + QChar(0x1f);
        }
        auto it = groups.find(group);
        if (it == groups.end()) {
            order.append(group);
            it = groups.insert(group, {});
        }
        it->append(r);
    }
    const int lastIndex = fieldIndex(last);
    for (const QString& group : std::as_const(order)) {
        const QVector<int>& rows = groups[group];
        for (const QString& k : fixed) {
            statement.setParam(k, m_rows[rows.first()][fieldIndex(k)]);
        }
        for (int from = 0; from < rows.size(); from += kChunk) {
            // A short chunk repeats its last value: the condition stays the same.
            for (int i = 0; i < kChunk; ++i) {
                const int r = rows[std::min<int>(from + i, rows.size() - 1)];
                statement.setParam(QStringLiteral("V%1").arg(i), m_rows[r][lastIndex]);
            }
            statement.execute();
        }
    }
}

void Dataset::refresh() {
    requireActive();
    if (isEditing() || m_current < 0) {
        return;
    }
    m_module.ensureConnected();
    const std::optional<Row> stored = readStored(m_rows[m_current]);
    if (!stored) {
        throw DatabaseError(kRefreshVanished);
    }
    m_rows[m_current] = *stored;
    emit rowChanged(m_current);
}

bool Dataset::differsFromListed() const {
    if (m_state == DatasetState::Insert) {
        return true;
    }
    if (m_state != DatasetState::Edit || !m_modified) {
        return false;
    }
    const Row& listed = m_rows[m_current];
    for (int i = 0; i < m_buffer.size(); ++i) {
        if (!sameValue(m_buffer[i], listed.value(i), Qt::CaseSensitive)) {
            return true;
        }
    }
    return false;
}

void Dataset::setRuleValue(const QString& field, const Value& value) {
    setValue(field, value);
    m_ruleValues.insert(fieldIndex(field));
}

bool Dataset::holdsRuleValue(const QString& field) const {
    return isEditing() && m_ruleValues.contains(fieldIndex(field));
}

bool Dataset::keyHoldsRuleValue() const {
    for (const QString& k : m_table.key) {
        if (holdsRuleValue(k)) {
            return true;
        }
    }
    return false;
}

const QString Dataset::kModifyVanished = QStringLiteral(
    "L'enregistrement à modifier n'existe plus dans la base : il a été supprimé ou sa clé a été "
    "changée entre-temps. Rouvrez la liste pour voir les données actuelles.");
const QString Dataset::kDeleteVanished = QStringLiteral(
    "L'enregistrement à supprimer n'existe plus dans la base : il a été supprimé ou sa clé a été "
    "changée entre-temps. Rouvrez la liste pour voir les données actuelles.");
const QString Dataset::kRefreshVanished = QStringLiteral(
    "L'enregistrement courant n'existe plus dans la base : il a été supprimé ou sa clé a été "
    "changée sur un autre poste. Rouvrez la liste pour voir les données actuelles.");
const QString Dataset::kModifyChanged = QStringLiteral(
    "L'enregistrement a été modifié sur un autre poste depuis qu'il a été lu : votre "
    "modification n'a pas été enregistrée. Rouvrez la liste pour voir les données actuelles.");
const QString Dataset::kDeleteChanged = QStringLiteral(
    "L'enregistrement a été modifié sur un autre poste depuis qu'il a été lu : il n'a pas été "
    "supprimé. Rouvrez la liste pour voir les données actuelles.");
const QString Dataset::kRowLocked = QStringLiteral(
    "L'enregistrement est en cours de modification sur un autre poste, qui ne l'a pas encore "
    "enregistré : après %1 secondes d'attente, l'opération a été abandonnée. Réessayez dans un "
    "instant.");
