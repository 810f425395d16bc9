#include "db/DatabaseError.h"

#include "db/Transaction.h"

namespace db {

DatabaseError::DatabaseError(const QString& text, Kind kind)
    : std::runtime_error(text.toStdString()), m_text(text), m_kind(kind) {}

QString DatabaseError::conflictText() {
    return QStringLiteral(
               "Ces données sont en cours de modification sur un autre poste, ou viennent d'y "
               "être modifiées : l'opération a été abandonnée (attente limitée à %1 secondes). "
               "Rouvrez la liste pour voir les données actuelles, puis réessayez.")
        .arg(Transaction::kLockTimeoutSeconds);
}

QString DatabaseError::connectionLostText() {
    return QStringLiteral(
        "Le serveur de la base de données ne répond pas (serveur arrêté ou réseau coupé). Les "
        "données déjà enregistrées sont conservées ; l'opération en cours n'a pas été faite. "
        "Quand le serveur est de nouveau disponible, rouvrez la liste : la connexion est "
        "rétablie d'elle-même.");
}

QString DatabaseError::detailServeur(const QString& texteServeur) {
    return QStringLiteral("\n\nDétail (message du serveur) : ") + texteServeur;
}

}  // namespace db
