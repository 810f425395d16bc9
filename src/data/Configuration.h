#pragma once

#include "db/Credentials.h"

#include <QString>
#include <QStringList>

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
    /// The name the program gives itself, the desktop and the command modes alike: it names
    /// the user's configuration folder.
    static inline const QString kApplicationName = QStringLiteral("Ardoz Prix de Transfert");
    /// Names the system folder of systemPath() in place of /etc/ardoz (for the tests).
    static constexpr const char* kSystemFolderVariable = "ARDOZ_SYSTEM_CONFIG_DIR";

    /// The path of CheminBase.ini for the current working folder: its parent folder.
    static QString defaultPath();
    /// CheminBase.ini in the user's configuration folder
    /// (~/.config/Ardoz Prix de Transfert/CheminBase.ini under the program's name).
    static QString userPath();
    /// CheminBase.ini of the whole machine: /etc/ardoz/CheminBase.ini.
    static QString systemPath();
    /// The places searched, in order: defaultPath(), userPath(), systemPath().
    static QStringList searchPaths();
    /// The first of searchPaths() that exists; empty when there is none.
    static QString findPath();
    /// Reads the first file found; the defaults when there is none.
    static Configuration find();

    /**
     * Writes a new CheminBase.ini at @p path with Rep and Modelessexcel set to @p folder,
     * making its folder when missing. Never replaces a file: returns a French reason when
     * the file exists or cannot be written, an empty text when it is written.
     */
    static QString writeNew(const QString& path, const QString& folder);

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
