#include "db/Transaction.h"

#include "db/Connection.h"
#include "db/FbInternal.h"

namespace db {

using namespace Firebird;

Transaction::~Transaction() {
    if (m_transaction && m_connection.isConnected()) {
        rollback();
    }
}

void Transaction::start() {
    if (m_transaction) {
        return;
    }
    if (!m_connection.isConnected()) {
        throw DatabaseError(QStringLiteral("Database not connected"));
    }
    m_transaction = fb::call([&](ThrowStatusWrapper& st) {
        IXpbBuilder* tpb = fb::util()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0);
        tpb->insertTag(&st, isc_tpb_concurrency);
        tpb->insertTag(&st, isc_tpb_write);
        tpb->insertTag(&st, isc_tpb_wait);
        ITransaction* tra = nullptr;
        try {
            tra = m_connection.attachment()->startTransaction(&st, tpb->getBufferLength(&st),
                                                              tpb->getBuffer(&st));
        } catch (...) {
            tpb->dispose();
            throw;
        }
        tpb->dispose();
        return tra;
    });
}

void Transaction::commitRetaining() {
    if (!m_transaction) {
        throw DatabaseError(QStringLiteral("Transaction is not active"));
    }
    fb::call([&](ThrowStatusWrapper& st) { m_transaction->commitRetaining(&st); });
}

void Transaction::commit() {
    if (!m_transaction) {
        return;
    }
    fb::call([&](ThrowStatusWrapper& st) { m_transaction->commit(&st); });
    m_transaction = nullptr;
}

void Transaction::rollback() {
    if (!m_transaction) {
        return;
    }
    try {
        fb::call([&](ThrowStatusWrapper& st) { m_transaction->rollback(&st); });
    } catch (const DatabaseError&) {
        m_transaction->release();
    }
    m_transaction = nullptr;
}

}  // namespace db
