#include "db/Transaction.h"

#include "db/Connection.h"
#include "db/FbInternal.h"

namespace db {

using namespace Firebird;

namespace {

ITransaction* startWith(Connection& connection, const std::initializer_list<int>& tags,
                        int lockTimeout) {
    return fb::callOn(connection, [&](ThrowStatusWrapper& st) {
        IXpbBuilder* tpb = fb::util()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0);
        ITransaction* tra = nullptr;
        try {
            for (int tag : tags) {
                tpb->insertTag(&st, static_cast<unsigned char>(tag));
            }
            if (lockTimeout > 0) {
                tpb->insertInt(&st, isc_tpb_lock_timeout, lockTimeout);
            }
            tra = connection.attachment()->startTransaction(&st, tpb->getBufferLength(&st),
                                                            tpb->getBuffer(&st));
        } catch (...) {
            tpb->dispose();
            throw;
        }
        tpb->dispose();
        return tra;
    });
}

}  // namespace

Transaction::~Transaction() {
    if (isActive()) {
        rollback();
    } else {
        forgetStale();
    }
}

bool Transaction::isActive() const {
    return m_transaction != nullptr && m_connection.isConnected() &&
           m_generation == m_connection.generation();
}

void Transaction::forgetStale() {
    // The attachment these handles belong to is gone: only the client's objects remain.
    if (m_snapshot) {
        m_snapshot->release();
        m_snapshot = nullptr;
    }
    if (m_transaction) {
        m_transaction->release();
        m_transaction = nullptr;
    }
}

void Transaction::start() {
    if (isActive()) {
        return;
    }
    forgetStale();
    if (!m_connection.isConnected()) {
        throw DatabaseError(QStringLiteral("Database not connected"));
    }
    m_transaction = startWith(
        m_connection, {isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_write, isc_tpb_wait},
        kLockTimeoutSeconds);
    m_generation = m_connection.generation();
}

void Transaction::commitRetaining() {
    if (!isActive()) {
        throw DatabaseError(QStringLiteral("Transaction is not active"));
    }
    fb::callOn(m_connection, [&](ThrowStatusWrapper& st) { m_transaction->commitRetaining(&st); });
}

void Transaction::commit() {
    if (!isActive()) {
        forgetStale();
        return;
    }
    endReadingSnapshot();
    fb::callOn(m_connection, [&](ThrowStatusWrapper& st) { m_transaction->commit(&st); });
    m_transaction = nullptr;
}

void Transaction::rollback() {
    if (!isActive()) {
        forgetStale();
        return;
    }
    endReadingSnapshot();
    try {
        fb::callOn(m_connection, [&](ThrowStatusWrapper& st) { m_transaction->rollback(&st); });
    } catch (const DatabaseError&) {
        if (m_transaction) {
            m_transaction->release();
        }
    }
    m_transaction = nullptr;
}

void Transaction::abandon() {
    m_transaction = nullptr;
    m_snapshot = nullptr;
}

void Transaction::beginReadingSnapshot() {
    if (!isActive()) {
        throw DatabaseError(QStringLiteral("Transaction is not active"));
    }
    if (m_snapshot) {
        return;
    }
    m_snapshot = startWith(m_connection, {isc_tpb_concurrency, isc_tpb_read, isc_tpb_nowait}, 0);
}

void Transaction::endReadingSnapshot() {
    if (!m_snapshot) {
        return;
    }
    ITransaction* snapshot = m_snapshot;
    m_snapshot = nullptr;
    if (!isActive()) {
        snapshot->release();
        return;
    }
    // Nothing was written in it: committing only frees it.
    try {
        fb::callOn(m_connection, [&](ThrowStatusWrapper& st) { snapshot->commit(&st); });
    } catch (const DatabaseError&) {
        snapshot->release();
    }
}

}  // namespace db
