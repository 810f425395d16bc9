#pragma once

namespace Firebird {
class ITransaction;
}

namespace db {

class Connection;

/**
 * A read-write snapshot transaction that waits on lock conflicts (the server's
 * defaults). Committing with retaining keeps it, and every open cursor, alive.
 */
class Transaction {
public:
    explicit Transaction(Connection& connection) : m_connection(connection) {}
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Starts the transaction; the connection must be open. Throws DatabaseError.
    void start();
    bool isActive() const { return m_transaction != nullptr; }
    /// Makes the work permanent and keeps the transaction open. Throws DatabaseError.
    void commitRetaining();
    /// Makes the work permanent and ends the transaction. Throws DatabaseError.
    void commit();
    /// Undoes the work and ends the transaction. Never throws.
    void rollback();
    /// Forgets the transaction without ending it on the server (the attachment is gone).
    void abandon() { m_transaction = nullptr; }

    Connection& connection() const { return m_connection; }
    Firebird::ITransaction* handle() const { return m_transaction; }

private:
    Connection& m_connection;
    Firebird::ITransaction* m_transaction = nullptr;
};

}  // namespace db
