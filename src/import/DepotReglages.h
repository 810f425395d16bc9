#pragma once

#include "import/ReglageImport.h"

#include <QString>
#include <QStringList>
#include <optional>

/**
 * The import reglages the user saved under a name, kept in one JSON file of the
 * user's configuration folder (QStandardPaths::AppConfigLocation). The file is read at each
 * call and written whole and atomically, so that two windows never lose each other's work.
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

private:
    QJsonObject lire() const;
    void ecrire(const QJsonObject& reglages);

    QString m_fichier;
};
