#pragma once

#include <QString>
#include <QStringList>

namespace db {

/**
 * Turns a statement with named parameters (":mfiscal") into the positional form the
 * server takes ("?"), recording the names in order of occurrence. Quoted literals,
 * quoted identifiers and comments are left untouched.
 */
class NamedParameters {
public:
    static QString toPositional(const QString& sql, QStringList& names);
};

}  // namespace db
