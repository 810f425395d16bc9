#pragma once

#include <QString>

/**
 * The settings read from CheminBase.ini: the database folder `Rep` and the folder of
 * spreadsheet models `Modelessexcel`, both in section [CheminBase]. Section and key
 * names match without regard to case, blanks around a value are dropped and a value
 * is read up to 2047 characters; a missing file, section or key gives the default text.
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

    /// The database name: the Rep text, the platform's separator, then TALMORIX.gdb.
    QString databaseName() const;
};
