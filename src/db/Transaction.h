#pragma once

#include <QtGlobal>

namespace Firebird {
class ITransaction;
}

namespace db {

class Connection;

/**
 * The read-write transaction of a connection: read committed with record versions, so that
 * every statement sees what other workstations have committed, and waiting on a row that
 * another transaction holds for kLockTimeoutSeconds at most. Committing with retaining keeps
 * it, and every open cursor, alive.
 *
 * For a read that must see one moment only (the declaration file), a reading snapshot can
 * be put in front of it: between beginReadingSnapshot() and endReadingSnapshot() every
 * statement run in this transaction reads one read-only snapshot taken when it began.
 */
class Transaction {
public:
    /// How long a statement waits for a row that another transaction holds.
    static constexpr int kLockTimeoutSeconds = 5;

    explicit Transaction(Connection& connection) : m_connection(connection) {}
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Starts the transaction; the connection must be open. Throws DatabaseError.
    void start();
    /// True once started on the connection's current attachment (false again after the
    /// attachment was closed or lost).
    bool isActive() const;
    /// Makes the work permanent and keeps the transaction open. Throws DatabaseError.
    void commitRetaining();
    /// Makes the work permanent and ends the transaction. Throws DatabaseError.
    void commit();
    /// Undoes the work and ends the transaction. Never throws.
    void rollback();
    /// Forgets the transaction without ending it on the server (the attachment is gone).
    void abandon();

    /**
     * Starts a read-only snapshot transaction: until endReadingSnapshot(), handle() is that
     * transaction, so that the statements run in this one read the database as it was at
     * this moment, and any write is refused by the server. The read-write transaction stays
     * open behind it (commitRetaining() still commits it). The transaction must be active.
     */
    void beginReadingSnapshot();
    /// Ends the reading snapshot; cursors opened in it are closed with it. Never throws.
    void endReadingSnapshot();
    bool inReadingSnapshot() const { return m_snapshot != nullptr; }

    Connection& connection() const { return m_connection; }
    /// The transaction statements run in: the reading snapshot while there is one.
    Firebird::ITransaction* handle() const { return m_snapshot ? m_snapshot : m_transaction; }

private:
    void forgetStale();

    Connection& m_connection;
    Firebird::ITransaction* m_transaction = nullptr;
    Firebird::ITransaction* m_snapshot = nullptr;
    // The attachment the handles belong to (Connection::generation()).
    quint64 m_generation = 0;
};

}  // namespace db
