#include "import/DepotReglages.h"

#include "import/ImportError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

DepotReglages::DepotReglages(const QString& fichier)
    : m_fichier(fichier.isEmpty() ? fichierParDefaut() : fichier) {}

QString DepotReglages::fichierParDefaut() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("reglages-import.json"));
}

QJsonObject DepotReglages::lire() const {
    QFile f(m_fichier);
    if (!f.open(QIODevice::ReadOnly)) {
        return QJsonObject();
    }
    return QJsonDocument::fromJson(f.readAll()).object().value("reglages").toObject();
}

void DepotReglages::ecrire(const QJsonObject& reglages) {
    QDir().mkpath(QFileInfo(m_fichier).absolutePath());
    QSaveFile f(m_fichier);
    const QJsonObject racine{{"version", 1}, {"reglages", reglages}};
    if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(racine).toJson()) < 0 ||
        !f.commit()) {
        throw ImportError(
            QStringLiteral("Les spécifications d'importation ne peuvent pas être enregistrées "
                           "dans « %1 » : %2.")
                .arg(QDir::toNativeSeparators(m_fichier), f.errorString()));
    }
}

QStringList DepotReglages::noms() const {
    QStringList noms = lire().keys();
    noms.sort(Qt::CaseInsensitive);
    return noms;
}

std::optional<ReglageImport> DepotReglages::charger(const QString& nom) const {
    const QJsonObject reglages = lire();
    if (!reglages.contains(nom)) {
        return std::nullopt;
    }
    return ReglageImport::depuisJson(reglages.value(nom).toObject());
}

void DepotReglages::enregistrer(const QString& nom, const ReglageImport& reglage) {
    QJsonObject reglages = lire();
    reglages.insert(nom, reglage.versJson());
    ecrire(reglages);
}

bool DepotReglages::supprimer(const QString& nom) {
    QJsonObject reglages = lire();
    if (!reglages.contains(nom)) {
        return false;
    }
    reglages.remove(nom);
    ecrire(reglages);
    return true;
}
