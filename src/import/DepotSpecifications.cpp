#include "import/DepotSpecifications.h"

#include "import/ErreurImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

DepotSpecifications::DepotSpecifications(const QString& fichier)
    : m_fichier(fichier.isEmpty() ? fichierParDefaut() : fichier) {}

QString DepotSpecifications::fichierParDefaut() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("specifications-import.json"));
}

QJsonObject DepotSpecifications::lire() const {
    QFile f(m_fichier);
    if (!f.open(QIODevice::ReadOnly)) {
        return QJsonObject();
    }
    return QJsonDocument::fromJson(f.readAll()).object().value("specifications").toObject();
}

void DepotSpecifications::ecrire(const QJsonObject& specifications) {
    QDir().mkpath(QFileInfo(m_fichier).absolutePath());
    QSaveFile f(m_fichier);
    const QJsonObject racine{{"version", 1}, {"specifications", specifications}};
    if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(racine).toJson()) < 0 ||
        !f.commit()) {
        throw ErreurImport(
            QStringLiteral("Les spécifications d'importation ne peuvent pas être enregistrées "
                           "dans « %1 » : %2.")
                .arg(QDir::toNativeSeparators(m_fichier), f.errorString()));
    }
}

QStringList DepotSpecifications::noms() const {
    QStringList noms = lire().keys();
    noms.sort(Qt::CaseInsensitive);
    return noms;
}

std::optional<SpecificationImport> DepotSpecifications::charger(const QString& nom) const {
    const QJsonObject specs = lire();
    if (!specs.contains(nom)) {
        return std::nullopt;
    }
    return SpecificationImport::depuisJson(specs.value(nom).toObject());
}

void DepotSpecifications::enregistrer(const QString& nom,
                                      const SpecificationImport& specification) {
    QJsonObject specs = lire();
    specs.insert(nom, specification.versJson());
    ecrire(specs);
}

bool DepotSpecifications::supprimer(const QString& nom) {
    QJsonObject specs = lire();
    if (!specs.contains(nom)) {
        return false;
    }
    specs.remove(nom);
    ecrire(specs);
    return true;
}
