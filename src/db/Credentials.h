#pragma once

#include <QString>

namespace db {

/**
 * Who logs in to a server: the user, the password and an optional SQL role. The defaults
 * are the program's historical ones, which every existing set-up relies on; the embedded
 * engine does not check them. A server gets credentials of its own, from the configuration
 * (see Configuration::credentials()).
 *
 * The password never goes into a message: texts name the user only.
 */
struct Credentials {
    static constexpr const char* kDefaultUser = "SYSDBA";
    static constexpr const char* kDefaultPassword = "quillhorn";

    QString user = QString::fromLatin1(kDefaultUser);
    QString password = QString::fromLatin1(kDefaultPassword);
    QString role;

    friend bool operator==(const Credentials&, const Credentials&) = default;
};

}  // namespace db
