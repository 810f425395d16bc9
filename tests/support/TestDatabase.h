#pragma once

#include "data/TDataprix.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

/**
 * A fresh declaration database in a temporary folder, made by the same code as
 * `ardoz --create-database`, with a CheminBase.ini beside the folder structure
 * so that a data module started from `workFolder()` finds it.
 *
 * Layout: <tmp>/CheminBase.ini (Rep=<tmp>/db), <tmp>/db/TALMORIX.gdb, <tmp>/work.
 */
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();

    bool isValid() const { return m_valid; }
    QString rootFolder() const { return m_dir.path(); }
    /// The folder that holds TALMORIX.gdb.
    QString databaseFolder() const;
    QString databasePath() const;
    /// A folder whose parent holds CheminBase.ini: make it current before DataModuleCreate().
    QString workFolder() const;
    QString iniPath() const;

    /// A data module connected to this database (DataModuleCreate with iniPath()); the
    /// global Dataprix points at it while it lives.
    std::unique_ptr<TDataprix> openModule() const;

    /// Inserts a SOCIETE row through a separate connection and commits it.
    void addCompany(const QString& mfiscal, const QString& cle, int exercice,
                    const QString& raisonSociale) const;

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};
