#pragma once

#include "db/Credentials.h"

#include <QString>

/**
 * The settings read from CheminBase.ini: the database folder `Rep`, the folder of
 * spreadsheet models `Modelessexcel` and the server login `Utilisateur`, `MotDePasse` and
 * `Role`, all in section [CheminBase]. Section and key names match without regard to case,
 * blanks around a value are dropped and a value is read up to 2047 characters; a missing
 * file, section or key gives the default text (for the login keys: a null text).
 */
class Configuration {
public:
    static inline const QString kDefaultRep = QStringLiteral("Vérifier le chemin de la base!");
    static inline const QString kDefaultModelesExcel =
        QStringLiteral("Répertoire excel non défini!");
    static constexpr int kMaxValueLength = 2047;

    /// Reads @p path; never fails (a file that cannot be read gives the defaults).
    static Configuration read(const QString& path);
    /// The path of CheminBase.ini for the current working folder: its parent folder.
    static QString defaultPath();

    QString rep = kDefaultRep;
    QString modelesExcel = kDefaultModelesExcel;
    /// The login keys as the file gives them; null when absent.
    QString utilisateur;
    QString motDePasse;
    QString role;

    /**
     * The login for a server, the first source found winning: the keys `Utilisateur` and
     * `MotDePasse` (and `Role`) of the file, when it gives either of the first two; then the
     * environment variables ISC_USER and ISC_PASSWORD, when either is set; then the
     * program's historical SYSDBA login. A source that gives a password but no user logs in
     * as SYSDBA; one that gives a user but no password, with an empty password.
     */
    db::Credentials credentials() const;

    /// The database name: the Rep text, the platform's separator, then TALMORIX.gdb.
    QString databaseName() const;
};
