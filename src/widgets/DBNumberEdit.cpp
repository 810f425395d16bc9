#include "widgets/DBNumberEdit.h"

#include "db/DatabaseError.h"
#include "db/Decimal.h"

namespace {

/// The digits of @p mantissa's integer part at @p scale, without sign.
int chiffresEntiers(db::Decimal::Mantissa mantissa, int scale) {
    if (mantissa < 0) {
        mantissa = -mantissa;
    }
    for (int i = 0; i < scale; ++i) {
        mantissa /= 10;
    }
    int chiffres = 0;
    while (mantissa != 0) {
        mantissa /= 10;
        ++chiffres;
    }
    return chiffres;
}

}  // namespace

DBNumberEdit::DBNumberEdit(QWidget* parent) : DBEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Long enough for any amount with its blanks; what does not parse is refused on leaving.
    setMaxLength(40);
}

QString DBNumberEdit::refus(const QString& text, const FieldDef& field, const QString& libelle) {
    // The caption as the user reads it, without the colon that ends it on the form.
    QString nom = libelle.trimmed();
    while (nom.endsWith(u':')) {
        nom.chop(1);
        nom = nom.trimmed();
    }
    const QString champ = nom.isEmpty() ? QStringLiteral("La colonne %1").arg(field.name)
                                        : QStringLiteral("Le champ « %1 »").arg(nom);
    const QString saisi = text.trimmed();
    if (saisi.isEmpty()) {
        return QString();
    }
    const std::optional<db::Decimal> valeur = db::Decimal::parse(saisi);
    if (field.type == FieldType::Integer) {
        bool entier = false;
        saisi.toLongLong(&entier);
        if (!valeur || valeur->scale() > 0 || !entier) {
            return QStringLiteral(
                       "%1 attend un nombre entier, sans lettre : « %2 » n'en est pas "
                       "un. Corrigez la saisie.")
                .arg(champ, saisi);
        }
        if (chiffresEntiers(valeur->mantissa(), 0) > 9) {
            return QStringLiteral("%1 accepte 9 chiffres au plus : « %2 » est trop grand.")
                .arg(champ, saisi);
        }
        return QString();
    }
    if (field.type != FieldType::Numeric) {
        return QString();
    }
    if (!valeur) {
        return QStringLiteral(
                   "%1 attend un montant : « %2 » n'en est pas un (seuls les chiffres, "
                   "une virgule ou un point décimal, des blancs entre les milliers et "
                   "un signe moins sont acceptés). Corrigez la saisie.")
            .arg(champ, saisi);
    }
    const int avantVirgule = field.width - field.scale;
    if (field.width > 0 && chiffresEntiers(valeur->mantissa(), valeur->scale()) > avantVirgule) {
        return QStringLiteral(
                   "%1 accepte %2 chiffres au plus avant la virgule : « %3 » est trop "
                   "grand. Corrigez la saisie.")
            .arg(champ)
            .arg(avantVirgule)
            .arg(saisi);
    }
    if (valeur->scale() > field.scale && valeur->rescaled(field.scale) != *valeur) {
        return QStringLiteral(
                   "%1 garde %2 décimales au plus : « %3 » en a davantage et serait "
                   "arrondi. Corrigez la saisie.")
            .arg(champ)
            .arg(field.scale)
            .arg(saisi);
    }
    return QString();
}

void DBNumberEdit::writeField(Dataset& dataset, const FieldDef& field) {
    const QString motif = refus(text(), field, accessibleName());
    if (!motif.isEmpty()) {
        throw db::DatabaseError(motif);
    }
    DBEdit::writeField(dataset, field);
}
