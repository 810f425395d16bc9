#pragma once

#include "import/ReglageImport.h"

#include <QString>
#include <QStringList>
#include <optional>

/**
 * The import reglages the user saved under a name, kept in one JSON file of the
 * user's configuration folder (QStandardPaths::AppConfigLocation). The file is read at each
 * call and written whole and atomically, so that two windows never lose each other's work.
 *
 * A file that is there but does not read (it does not open, is not JSON, or holds no
 * "reglages" object) is never written over: it is set aside as
 * "reglages-import.json.illisible-AAAAMMJJ-HHMMSS" and the next save starts a new file. What
 * happened is told once through prendreAvis(); should the file not move, nothing is saved.
 */
class DepotReglages {
public:
    /// @p fichier: the JSON file; the default one of the user's configuration folder when empty.
    explicit DepotReglages(const QString& fichier = QString());

    static QString fichierParDefaut();
    const QString& fichier() const { return m_fichier; }

    /// The names, sorted without regard to case.
    QStringList noms() const;
    std::optional<ReglageImport> charger(const QString& nom) const;
    /// Saves @p reglage under @p nom, replacing one of the same name; throws
    /// ImportError when the file cannot be written.
    void enregistrer(const QString& nom, const ReglageImport& reglage);
    /// False when there was no such name. Throws ImportError when the file cannot be written.
    bool supprimer(const QString& nom);

    /// The French notice for the user about a settings file that did not read, once; empty
    /// when there is nothing to tell.
    QString prendreAvis() const;

private:
    /// The saved settings. A file that does not read is set aside (see above); when it cannot
    /// be, @p pourEcrire throws ImportError rather than let it be written over.
    QJsonObject lire(bool pourEcrire = false) const;
    void ecrire(const QJsonObject& reglages);

    QString m_fichier;
    mutable QString m_avis;
};
