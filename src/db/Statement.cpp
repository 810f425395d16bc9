#include "db/Statement.h"

#include "db/Connection.h"
#include "db/FbInternal.h"
#include "db/NamedParameters.h"
#include "db/Transaction.h"
#include "db/Win1252.h"

#include <QHash>
#include <cstring>
#include <vector>

namespace db {

using namespace Firebird;

namespace {

// Message buffers hold 64-bit fields at offsets the client aligns; the vector's
// element type gives the buffer that alignment.
class MessageBuffer {
public:
    void resize(unsigned bytes) { m_words.assign((bytes + 7) / 8 + 1, 0); }
    unsigned char* data() { return reinterpret_cast<unsigned char*>(m_words.data()); }

private:
    std::vector<std::int64_t> m_words;
};

template <typename T>
T readAt(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
void writeAt(unsigned char* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

Value scaledInteger(std::int64_t raw, int scale) {
    if (scale < 0) {
        return Value(Decimal(raw, -scale));
    }
    std::int64_t v = raw;
    for (int i = 0; i < scale; ++i) {
        v *= 10;
    }
    return Value(v);
}

}  // namespace

struct Statement::Impl {
    /// Where a result column lies in the output message, read once at preparation: a
    /// list may have a hundred thousand rows.
    struct Column {
        unsigned offset = 0;
        unsigned nullOffset = 0;
        unsigned length = 0;
        unsigned type = 0;
        int scale = 0;
    };

    IStatement* statement = nullptr;
    IMessageMetadata* inMeta = nullptr;
    IMessageMetadata* outMeta = nullptr;
    IResultSet* cursor = nullptr;
    MessageBuffer outBuffer;
    std::vector<Column> columns;
    QStringList positionalNames;
    QHash<QString, Value> params;
    unsigned type = 0;
    bool singletonPending = false;
    // The attachment the handles belong to (Connection::generation()).
    quint64 generation = 0;

    /// Frees every handle; @p serverAlive false when the attachment is gone, so that only
    /// the client's objects are released and nothing is sent.
    void releaseAll(bool serverAlive) {
        if (cursor) {
            if (serverAlive) {
                try {
                    fb::call([&](ThrowStatusWrapper& st) { cursor->close(&st); });
                } catch (const DatabaseError&) {
                    cursor->release();
                }
            } else {
                cursor->release();
            }
            cursor = nullptr;
        }
        if (inMeta) {
            inMeta->release();
            inMeta = nullptr;
        }
        if (outMeta) {
            outMeta->release();
            outMeta = nullptr;
        }
        if (statement) {
            if (serverAlive) {
                try {
                    fb::call([&](ThrowStatusWrapper& st) { statement->free(&st); });
                } catch (const DatabaseError&) {
                    statement->release();
                }
            } else {
                statement->release();
            }
            statement = nullptr;
        }
        singletonPending = false;
    }
};

Statement::Statement(Transaction& transaction)
    : m_transaction(transaction), m_impl(std::make_unique<Impl>()) {}

Statement::~Statement() {
    m_impl->releaseAll(isAlive());
}

DatabaseError Statement::notConnected() const {
    if (m_transaction.connection().wasLost()) {
        return DatabaseError(DatabaseError::connectionLostText(),
                             DatabaseError::Kind::ConnectionLost);
    }
    return DatabaseError(QStringLiteral("Database not connected"));
}

bool Statement::isAlive() const {
    const Connection& connection = m_transaction.connection();
    return connection.isConnected() && m_impl->generation == connection.generation();
}

bool Statement::isPrepared() const {
    return m_impl->statement != nullptr && isAlive();
}

bool Statement::hasOpenCursor() const {
    return m_impl->cursor != nullptr && isAlive();
}

void Statement::prepare(const QString& sql) {
    if (!m_transaction.isActive()) {
        throw DatabaseError(QStringLiteral("Transaction is not active"));
    }
    m_impl->releaseAll(isAlive());
    m_sql = sql;
    m_columnNames.clear();
    m_row.clear();
    const QString positional = NamedParameters::toPositional(sql, m_impl->positionalNames);
    QByteArray text;
    QString unmapped;
    if (!Win1252::encode(positional, text, &unmapped)) {
        throw DatabaseError(
            QStringLiteral("Le texte de la requête contient des caractères impossibles à "
                           "enregistrer dans la base (Windows-1252) : %1")
                .arg(unmapped));
    }
    IAttachment* att = m_transaction.connection().attachment();
    fb::callOn(m_transaction.connection(), [&](ThrowStatusWrapper& st) {
        m_impl->statement = att->prepare(&st, m_transaction.handle(), text.size(), text.constData(),
                                         3, IStatement::PREPARE_PREFETCH_METADATA);
        m_impl->type = m_impl->statement->getType(&st);
        m_impl->inMeta = m_impl->statement->getInputMetadata(&st);
        m_impl->outMeta = m_impl->statement->getOutputMetadata(&st);
        const unsigned count = m_impl->outMeta->getCount(&st);
        m_impl->columns.assign(count, {});
        for (unsigned i = 0; i < count; ++i) {
            m_columnNames.append(
                QString::fromLocal8Bit(m_impl->outMeta->getAlias(&st, i)).toUpper());
            Impl::Column& c = m_impl->columns[i];
            c.offset = m_impl->outMeta->getOffset(&st, i);
            c.nullOffset = m_impl->outMeta->getNullOffset(&st, i);
            c.length = m_impl->outMeta->getLength(&st, i);
            c.type = m_impl->outMeta->getType(&st, i) & ~1u;
            c.scale = m_impl->outMeta->getScale(&st, i);
        }
        m_impl->outBuffer.resize(m_impl->outMeta->getMessageLength(&st));
    });
    m_impl->generation = m_transaction.connection().generation();
    m_row.resize(m_columnNames.size());
}

bool Statement::isQuery() const {
    return m_impl->type == isc_info_sql_stmt_select ||
           m_impl->type == isc_info_sql_stmt_select_for_upd;
}

QStringList Statement::parameterNames() const {
    QStringList names;
    for (const QString& n : m_impl->positionalNames) {
        if (!names.contains(n)) {
            names.append(n);
        }
    }
    return names;
}

void Statement::setParam(const QString& name, const Value& value) {
    m_impl->params.insert(name.toLower(), value);
}

void Statement::clearParams() {
    m_impl->params.clear();
}

void Statement::execute() {
    if (!isPrepared()) {
        if (m_impl->statement && !isAlive()) {
            throw notConnected();
        }
        throw DatabaseError(QStringLiteral("Statement not prepared"));
    }
    Connection::checkInterrupted();
    closeCursor();
    m_affectedRows = 0;
    IAttachment* att = m_transaction.connection().attachment();
    ITransaction* tra = m_transaction.handle();
    const QStringList& names = m_impl->positionalNames;

    // Text parameters first, so that a text the database cannot hold is refused
    // before anything reaches the server.
    QVector<QByteArray> bytes(names.size());
    for (int i = 0; i < names.size(); ++i) {
        const Value v = m_impl->params.value(names[i]);
        if (v.type() == Value::Type::Text) {
            QString unmapped;
            if (!Win1252::encode(v.toText(), bytes[i], &unmapped)) {
                throw DatabaseError(
                    QStringLiteral("La valeur de %1 contient des caractères impossibles à "
                                   "enregistrer dans la base (Windows-1252) : %2")
                        .arg(names[i].toUpper(), unmapped));
            }
        }
    }

    fb::callOn(m_transaction.connection(), [&](ThrowStatusWrapper& st) {
        IMessageMetadata* inMeta = nullptr;
        MessageBuffer inBuffer;
        const unsigned count = m_impl->inMeta->getCount(&st);
        if (count > 0) {
            IMetadataBuilder* builder = m_impl->inMeta->getBuilder(&st);
            try {
                for (unsigned i = 0; i < count; ++i) {
                    const Value v =
                        i < unsigned(names.size()) ? m_impl->params.value(names[i]) : Value();
                    const unsigned serverType = m_impl->inMeta->getType(&st, i) & ~1u;
                    if (serverType == SQL_BLOB || v.isNull()) {
                        continue;
                    }
                    switch (v.type()) {
                        case Value::Type::Text: {
                            const bool textual =
                                serverType == SQL_TEXT || serverType == SQL_VARYING;
                            builder->setType(&st, i, SQL_VARYING);
                            builder->setLength(&st, i, std::max<unsigned>(1, bytes[i].size()));
                            builder->setCharSet(&st, i,
                                                textual ? m_impl->inMeta->getCharSet(&st, i) : 0);
                            builder->setScale(&st, i, 0);
                            break;
                        }
                        case Value::Type::Integer:
                        case Value::Type::Decimal:
                            builder->setType(&st, i, SQL_INT64);
                            builder->setLength(&st, i, 8);
                            builder->setScale(
                                &st, i,
                                v.type() == Value::Type::Decimal ? -v.toDecimal().scale() : 0);
                            break;
                        case Value::Type::Date:
                            builder->setType(&st, i, SQL_TYPE_DATE);
                            builder->setLength(&st, i, 4);
                            builder->setScale(&st, i, 0);
                            break;
                        case Value::Type::Null:
                            break;
                    }
                }
                inMeta = builder->getMetadata(&st);
            } catch (...) {
                builder->release();
                throw;
            }
            builder->release();
            inBuffer.resize(inMeta->getMessageLength(&st));
            unsigned char* buf = inBuffer.data();
            for (unsigned i = 0; i < count; ++i) {
                const Value v =
                    i < unsigned(names.size()) ? m_impl->params.value(names[i]) : Value();
                unsigned char* field = buf + inMeta->getOffset(&st, i);
                writeAt<short>(buf + inMeta->getNullOffset(&st, i), v.isNull() ? -1 : 0);
                if (v.isNull()) {
                    continue;
                }
                const unsigned type = inMeta->getType(&st, i) & ~1u;
                if (type == SQL_BLOB) {
                    QByteArray data = bytes[i];
                    if (v.type() != Value::Type::Text) {
                        Win1252::encode(v.toText(), data);
                    }
                    ISC_QUAD id;
                    IBlob* blob = att->createBlob(&st, tra, &id, 0, nullptr);
                    for (qsizetype pos = 0; pos < data.size(); pos += 32768) {
                        const auto len =
                            static_cast<unsigned>(std::min<qsizetype>(32768, data.size() - pos));
                        blob->putSegment(&st, len, data.constData() + pos);
                    }
                    blob->close(&st);
                    writeAt(field, id);
                    continue;
                }
                switch (v.type()) {
                    case Value::Type::Text:
                        writeAt<unsigned short>(field,
                                                static_cast<unsigned short>(bytes[i].size()));
                        std::memcpy(field + 2, bytes[i].constData(), bytes[i].size());
                        break;
                    case Value::Type::Integer:
                        writeAt<std::int64_t>(field, v.toInt());
                        break;
                    case Value::Type::Decimal: {
                        const Decimal d = v.toDecimal();
                        try {
                            writeAt<std::int64_t>(field, d.toInt64AtScale(d.scale()));
                        } catch (const std::overflow_error&) {
                            throw DatabaseError(
                                QStringLiteral("arithmetic exception, numeric overflow, or "
                                               "string truncation"),
                                DatabaseError::Kind::Overflow);
                        }
                        break;
                    }
                    case Value::Type::Date: {
                        const QDate d = v.toDate();
                        writeAt<ISC_DATE>(field,
                                          fb::util()->encodeDate(d.year(), d.month(), d.day()));
                        break;
                    }
                    case Value::Type::Null:
                        break;
                }
            }
        }
        struct MetaRelease {
            IMessageMetadata* m;
            ~MetaRelease() {
                if (m) {
                    m->release();
                }
            }
        } release{inMeta};

        if (isQuery()) {
            m_impl->cursor = m_impl->statement->openCursor(&st, tra, inMeta, inBuffer.data(),
                                                           m_impl->outMeta, 0);
        } else {
            const bool hasOutput = m_impl->outMeta->getCount(&st) > 0;
            m_impl->statement->execute(&st, tra, inMeta, inBuffer.data(),
                                       hasOutput ? m_impl->outMeta : nullptr,
                                       hasOutput ? m_impl->outBuffer.data() : nullptr);
            m_impl->singletonPending = hasOutput;
            m_affectedRows = static_cast<qint64>(m_impl->statement->getAffectedRecords(&st));
        }
    });
}

bool Statement::fetch() {
    bool haveRow = false;
    if (m_impl->singletonPending) {
        m_impl->singletonPending = false;
        haveRow = true;
    } else if (m_impl->cursor) {
        Connection::checkInterrupted();
        if (!isAlive()) {
            m_impl->cursor->release();
            m_impl->cursor = nullptr;
            throw notConnected();
        }
        haveRow = fb::callOn(m_transaction.connection(), [&](ThrowStatusWrapper& st) {
            return m_impl->cursor->fetchNext(&st, m_impl->outBuffer.data()) == IStatus::RESULT_OK;
        });
        if (!haveRow) {
            closeCursor();
        }
    }
    if (!haveRow) {
        return false;
    }
    IAttachment* att = m_transaction.connection().attachment();
    ITransaction* tra = m_transaction.handle();
    fb::callOn(m_transaction.connection(), [&](ThrowStatusWrapper& st) {
        const unsigned char* buf = m_impl->outBuffer.data();
        for (int i = 0; i < m_columnNames.size(); ++i) {
            const Impl::Column& column = m_impl->columns[i];
            if (readAt<short>(buf + column.nullOffset) != 0) {
                m_row[i] = Value();
                continue;
            }
            const unsigned char* field = buf + column.offset;
            const int scale = column.scale;
            switch (column.type) {
                case SQL_TEXT:
                    m_row[i] =
                        Value(Win1252::decode(reinterpret_cast<const char*>(field), column.length));
                    break;
                case SQL_VARYING:
                    m_row[i] = Value(Win1252::decode(reinterpret_cast<const char*>(field + 2),
                                                     readAt<unsigned short>(field)));
                    break;
                case SQL_SHORT:
                    m_row[i] = scaledInteger(readAt<short>(field), scale);
                    break;
                case SQL_LONG:
                    m_row[i] = scaledInteger(readAt<std::int32_t>(field), scale);
                    break;
                case SQL_INT64:
                    m_row[i] = scaledInteger(readAt<std::int64_t>(field), scale);
                    break;
                case SQL_FLOAT:
                    m_row[i] = Value(QString::number(readAt<float>(field), 'g', 9));
                    break;
                case SQL_DOUBLE:
                    m_row[i] = Value(QString::number(readAt<double>(field), 'g', 17));
                    break;
                case SQL_TYPE_DATE: {
                    unsigned y = 0, mo = 0, d = 0;
                    fb::util()->decodeDate(readAt<ISC_DATE>(field), &y, &mo, &d);
                    m_row[i] = Value(QDate(int(y), int(mo), int(d)));
                    break;
                }
                case SQL_TYPE_TIME: {
                    unsigned h = 0, mi = 0, s = 0, f = 0;
                    fb::util()->decodeTime(readAt<ISC_TIME>(field), &h, &mi, &s, &f);
                    m_row[i] =
                        Value(QTime(int(h), int(mi), int(s)).toString(QStringLiteral("hh:mm:ss")));
                    break;
                }
                case SQL_TIMESTAMP: {
                    const auto ts = readAt<ISC_TIMESTAMP>(field);
                    unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, f = 0;
                    fb::util()->decodeDate(ts.timestamp_date, &y, &mo, &d);
                    fb::util()->decodeTime(ts.timestamp_time, &h, &mi, &s, &f);
                    m_row[i] = Value(
                        QDateTime(QDate(int(y), int(mo), int(d)), QTime(int(h), int(mi), int(s)))
                            .toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")));
                    break;
                }
                case SQL_BOOLEAN:
                    m_row[i] = Value(static_cast<std::int64_t>(*field != 0));
                    break;
                case SQL_BLOB: {
                    ISC_QUAD id = readAt<ISC_QUAD>(field);
                    IBlob* blob = att->openBlob(&st, tra, &id, 0, nullptr);
                    QByteArray data;
                    char chunk[32768];
                    for (;;) {
                        unsigned got = 0;
                        const int rc = blob->getSegment(&st, sizeof chunk, chunk, &got);
                        if (rc == IStatus::RESULT_NO_DATA) {
                            break;
                        }
                        data.append(chunk, got);
                    }
                    blob->close(&st);
                    m_row[i] = Value(Win1252::decode(data));
                    break;
                }
                default:
                    m_row[i] = Value();
                    break;
            }
        }
    });
    return true;
}

void Statement::closeCursor() {
    m_impl->singletonPending = false;
    if (m_impl->cursor) {
        IResultSet* cursor = m_impl->cursor;
        m_impl->cursor = nullptr;
        if (!isAlive()) {
            cursor->release();
            return;
        }
        try {
            fb::call([&](ThrowStatusWrapper& st) { cursor->close(&st); });
        } catch (const DatabaseError&) {
            cursor->release();
        }
    }
}

int Statement::columnIndex(const QString& name) const {
    return static_cast<int>(m_columnNames.indexOf(name.toUpper()));
}

const Value& Statement::value(const QString& name) const {
    const int i = columnIndex(name);
    if (i < 0) {
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    }
    return m_row[i];
}

}  // namespace db
