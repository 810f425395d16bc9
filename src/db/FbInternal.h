#pragma once

// The layer's private access to the Firebird client; never included outside src/db.

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
        throw DatabaseError(statusText(e.getStatus()));
    }
}

}  // namespace db::fb
