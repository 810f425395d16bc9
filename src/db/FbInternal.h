#pragma once

// The layer's private access to the Firebird client; never included outside src/db.

#include "db/Connection.h"
#include "db/DatabaseError.h"

#include <firebird/Interface.h>

#include <QString>

namespace db::fb {

inline Firebird::IMaster* master() {
    static Firebird::IMaster* m = Firebird::fb_get_master_interface();
    return m;
}

inline Firebird::IUtil* util() {
    return master()->getUtilInterface();
}

/// The client's formatted text of a failed status, line by line as the server gave it.
inline QString statusText(const Firebird::IStatus* status) {
    char buffer[4096];
    util()->formatStatus(buffer, sizeof buffer, const_cast<Firebird::IStatus*>(status));
    return QString::fromLocal8Bit(buffer).trimmed();
}

/// What kind of failure a status reports, from the error codes it holds.
inline DatabaseError::Kind statusKind(const Firebird::IStatus* status) {
    const intptr_t* v = const_cast<Firebird::IStatus*>(status)->getErrors();
    // "arithmetic exception, numeric overflow, or string truncation" opens the status; the
    // codes after it tell a number from a text (or from a division by zero, left as it is).
    while (v && *v != isc_arg_end) {
        const intptr_t tag = v[0];
        if (tag == isc_arg_gds) {
            switch (v[1]) {
                case isc_network_error:
                case isc_net_read_err:
                case isc_net_write_err:
                case isc_conn_lost:
                case isc_lost_db_connection:
                case isc_shutdown:
                case isc_att_shutdown:
                    return DatabaseError::Kind::ConnectionLost;
                case isc_login:
                    return DatabaseError::Kind::LoginRefused;
                case isc_unique_key_violation:
                case isc_no_dup:
                    return DatabaseError::Kind::DuplicateKey;
                case isc_update_conflict:
                case isc_deadlock:
                case isc_lock_conflict:
                case isc_lock_timeout:
                    return DatabaseError::Kind::Conflict;
                case isc_string_truncation:
                case isc_trunc_limits:
                    return DatabaseError::Kind::Truncation;
                case isc_numeric_out_of_range:
                    return DatabaseError::Kind::Overflow;
                default:
                    break;
            }
        }
        // Every argument takes one value, except the counted strings, which take two.
        v += tag == isc_arg_cstring ? 3 : 2;
    }
    return DatabaseError::Kind::Other;
}

/// The error a failed status becomes: the server's text, opened by a French explanation for
/// the failures the user must understand (a conflict with another workstation, a lost server).
inline DatabaseError statusError(const Firebird::IStatus* status) {
    const QString text = statusText(status);
    const DatabaseError::Kind kind = statusKind(status);
    switch (kind) {
        case DatabaseError::Kind::Conflict:
            return DatabaseError(DatabaseError::conflictText() + DatabaseError::detailServeur(text),
                                 kind);
        case DatabaseError::Kind::ConnectionLost:
            return DatabaseError(
                DatabaseError::connectionLostText() + DatabaseError::detailServeur(text), kind);
        default:
            return DatabaseError(text, kind);
    }
}

/// Runs @p body with a throwing status wrapper and turns the client's exception into DatabaseError.
template <typename Body>
auto call(Body&& body) {
    Firebird::ThrowStatusWrapper status(master()->getStatus());
    struct Disposer {
        Firebird::ThrowStatusWrapper& s;
        ~Disposer() { s.dispose(); }
    } disposer{status};
    try {
        return body(status);
    } catch (const Firebird::FbException& e) {
        throw statusError(e.getStatus());
    }
}

/// As call(), for an attachment to @p name (a database or a service manager) as @p user: a
/// refused login becomes the French text that names the server and the user.
template <typename Body>
auto attach(const QString& name, const QString& user, Body&& body) {
    try {
        return call(std::forward<Body>(body));
    } catch (const DatabaseError& e) {
        if (e.kind() != DatabaseError::Kind::LoginRefused) {
            throw;
        }
        QString server;
        QString path;
        Connection::splitServer(name, server, path);
        throw DatabaseError(Connection::loginRefusedText(server, user),
                            DatabaseError::Kind::LoginRefused);
    }
}

/// As call(), for work on @p connection's attachment: when the server turns out to be gone,
/// the attachment is dropped, so that the next opening connects again.
template <typename Body>
auto callOn(Connection& connection, Body&& body) {
    try {
        return call(std::forward<Body>(body));
    } catch (const DatabaseError& e) {
        if (e.kind() == DatabaseError::Kind::ConnectionLost) {
            connection.dropLostAttachment();
        }
        throw;
    }
}

}  // namespace db::fb
