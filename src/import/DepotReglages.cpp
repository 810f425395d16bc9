#include "import/DepotReglages.h"

#include "import/ImportError.h"
#include "import/LecteursInternes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <QStandardPaths>

DepotReglages::DepotReglages(const QString& fichier)
    : m_fichier(fichier.isEmpty() ? fichierParDefaut() : fichier) {}

QString DepotReglages::fichierParDefaut() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("reglages-import.json"));
}

QJsonObject DepotReglages::lire(bool pourEcrire) const {
    if (!QFileInfo::exists(m_fichier)) {
        return QJsonObject();
    }
    QString raison;
    QFile f(m_fichier);
    if (!f.open(QIODevice::ReadOnly)) {
        raison = QStringLiteral("il ne s'ouvre pas") + lecteurs::detail(f.errorString());
    } else {
        QJsonParseError erreur;
        const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &erreur);
        if (erreur.error != QJsonParseError::NoError) {
            raison = QStringLiteral("son contenu n'est pas du JSON valide (position %1)")
                         .arg(erreur.offset);
        } else if (!doc.object().value(QLatin1StringView("reglages")).isObject()) {
            raison = QStringLiteral("il ne contient pas de spécifications");
        } else {
            return doc.object().value(QLatin1StringView("reglages")).toObject();
        }
    }
    f.close();
    // Set aside, never written over: what it holds may still be recovered by hand.
    const QString base = m_fichier + QStringLiteral(".illisible-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aCote = base;
    for (int n = 2; QFileInfo::exists(aCote); ++n) {
        aCote = base + QStringLiteral("-%1").arg(n);
    }
    const QString fichier = QDir::toNativeSeparators(m_fichier);
    if (QFile::rename(m_fichier, aCote)) {
        m_avis = QStringLiteral(
                     "Les spécifications d'importation enregistrées ne se lisent pas : le "
                     "fichier « %1 » est illisible, %2. Il a été mis de côté sous le nom « %3 » ; "
                     "les spécifications que vous enregistrerez iront dans un nouveau fichier.")
                     .arg(fichier, raison, QFileInfo(aCote).fileName());
        return QJsonObject();
    }
    m_avis = QStringLiteral(
                 "Les spécifications d'importation enregistrées ne se lisent pas : le fichier "
                 "« %1 » est illisible, %2, et il ne peut pas être mis de côté. Aucune "
                 "spécification ne sera enregistrée tant qu'il est là : déplacez-le ou "
                 "réparez-le.")
                 .arg(fichier, raison);
    if (pourEcrire) {
        throw ImportError(m_avis);
    }
    return QJsonObject();
}

QString DepotReglages::prendreAvis() const {
    QString avis;
    std::swap(avis, m_avis);
    return avis;
}

void DepotReglages::ecrire(const QJsonObject& reglages) {
    QDir().mkpath(QFileInfo(m_fichier).absolutePath());
    QSaveFile f(m_fichier);
    const QJsonObject racine{{"version", 1}, {"reglages", reglages}};
    if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(racine).toJson()) < 0 ||
        !f.commit()) {
        throw ImportError(
            QStringLiteral("Les spécifications d'importation ne peuvent pas être enregistrées "
                           "dans « %1 » : le fichier ne peut pas être écrit%2.")
                .arg(QDir::toNativeSeparators(m_fichier), lecteurs::detail(f.errorString())));
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
    QJsonObject reglages = lire(true);
    reglages.insert(nom, reglage.versJson());
    ecrire(reglages);
}

bool DepotReglages::supprimer(const QString& nom) {
    QJsonObject reglages = lire(true);
    if (!reglages.contains(nom)) {
        return false;
    }
    reglages.remove(nom);
    ecrire(reglages);
    return true;
}
