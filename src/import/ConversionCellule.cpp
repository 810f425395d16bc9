#include "import/ConversionCellule.h"

#include <QRegularExpression>
#include <limits>
#include <stdexcept>

using db::Decimal;
using db::Value;

ErreurConversion::ErreurConversion(const QString& raison)
    : std::runtime_error(raison.toStdString()), m_raison(raison) {}

namespace {

/// Cuts the decimals of a plain decimal text to @p keep digits. Half-away rounding to one
/// digit fewer then gives the same result as rounding the full text.
QString couperDecimales(const QString& plain, int keep) {
    const qsizetype point = plain.indexOf(u'.');
    if (point < 0 || plain.size() - point - 1 <= keep) {
        return plain;
    }
    return plain.left(point + 1 + keep);
}

Decimal::Mantissa puissanceDeDix(int n) {
    Decimal::Mantissa p = 1;
    for (int i = 0; i < n; ++i) {
        p *= 10;
    }
    return p;
}

/// The plain decimal text @p plain at the column's scale, refused when it overflows.
Value montantDeColonne(const QString& plain, const FieldDef& colonne, const QString& affiche) {
    const std::optional<Decimal> d = Decimal::parse(couperDecimales(plain, colonne.scale + 1));
    if (!d) {
        throw ErreurConversion(QStringLiteral("« %1 » n'est pas un montant valide").arg(affiche));
    }
    const int width = colonne.width > 0 ? colonne.width : 18;
    std::optional<Decimal> valeur;
    try {
        valeur = d->rescaled(colonne.scale);
    } catch (const std::overflow_error&) {
        // Beyond what any decimal holds, and so beyond the column.
    }
    const Decimal::Mantissa limite = puissanceDeDix(width);
    if (!valeur || valeur->mantissa() >= limite || valeur->mantissa() <= -limite) {
        throw ErreurConversion(
            QStringLiteral("le montant %1 dépasse la capacité de la colonne (%2 chiffres avant "
                           "la virgule au plus)")
                .arg(affiche)
                .arg(width - colonne.scale));
    }
    return Value(*valeur);
}

Value entierDeTexte(const QString& plain, const QString& affiche) {
    static const QRegularExpression entier(QStringLiteral("^[+-]?\\d+(\\.0*)?$"));
    if (!entier.match(plain).hasMatch()) {
        throw ErreurConversion(
            QStringLiteral("« %1 » n'est pas un nombre entier valide").arg(affiche));
    }
    bool ok = false;
    const qlonglong v = plain.section(u'.', 0, 0).toLongLong(&ok);
    if (!ok || v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max()) {
        throw ErreurConversion(
            QStringLiteral("le nombre %1 est trop grand pour la colonne").arg(affiche));
    }
    return Value(static_cast<std::int64_t>(v));
}

QDate dateDeSerie(const QString& plain, const QString& affiche) {
    // Spreadsheets count days from 30 December 1899; a fraction is the time of day.
    bool ok = false;
    const qlonglong jours = plain.section(u'.', 0, 0).toLongLong(&ok);
    if (!ok || jours < 1 || jours > 2958465) {
        throw ErreurConversion(QStringLiteral("« %1 » n'est pas une date valide").arg(affiche));
    }
    return QDate(1899, 12, 30).addDays(jours);
}

bool estBlanc(QChar c) {
    return c.isSpace() || c == QChar(0x00A0) || c == QChar(0x202F);
}

}  // namespace

std::optional<Decimal> ConversionCellule::lireMontant(const QString& texte,
                                                      const FormatsValeurs& formats) {
    QString t = texte;
    if (!formats.symboleMonetaire.isEmpty()) {
        t.remove(formats.symboleMonetaire);
    }
    QString plain;
    plain.reserve(t.size());
    const QChar milliers = formats.separateurMilliers;
    const QChar decimal = formats.separateurDecimal;
    const QString trimmed = t.trimmed();
    for (const QChar c : trimmed) {
        if (!milliers.isNull() && (c == milliers || (estBlanc(milliers) && estBlanc(c)))) {
            continue;
        }
        if (c == decimal) {
            plain += u'.';
        } else if (c == u'.' || c == u',') {
            // The other separator is not a decimal sign here: 1,5 with a decimal point is
            // refused rather than read as 15.
            return std::nullopt;
        } else {
            plain += c;
        }
    }
    static const QRegularExpression nombre(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!nombre.match(plain).hasMatch()) {
        return std::nullopt;
    }
    if (plain.endsWith(u'.')) {
        plain.chop(1);
    }
    return Decimal::parse(couperDecimales(plain, 18));
}

QDate ConversionCellule::lireDate(const QString& texte, const FormatsValeurs& formats) {
    QString t = texte.trimmed();
    // A time after the date is not part of a DATE column.
    const qsizetype blank = t.indexOf(u' ');
    if (blank > 0) {
        t = t.left(blank);
    }
    const QString annee =
        formats.anneeQuatreChiffres ? QStringLiteral("yyyy") : QStringLiteral("yy");
    QStringList parties;
    switch (formats.ordreDate) {
        case FormatsValeurs::OrdreDate::JourMoisAnnee:
            parties = {QStringLiteral("d"), QStringLiteral("M"), annee};
            break;
        case FormatsValeurs::OrdreDate::MoisJourAnnee:
            parties = {QStringLiteral("M"), QStringLiteral("d"), annee};
            break;
        case FormatsValeurs::OrdreDate::AnneeMoisJour:
            parties = {annee, QStringLiteral("M"), QStringLiteral("d")};
            break;
    }
    const QString sep =
        formats.separateurDate.isNull() ? QString() : QString(formats.separateurDate);
    QDate d = QDate::fromString(t, parties.join(sep));
    if (d.isValid() && !formats.anneeQuatreChiffres && d.year() < 1950) {
        d = d.addYears(100);
    }
    if (!d.isValid()) {
        d = QDate::fromString(t, Qt::ISODate);
    }
    return d;
}

QString ConversionCellule::ecrireDate(const QDate& date, const FormatsValeurs& formats) {
    const QString j = formats.zerosEnTete ? QStringLiteral("dd") : QStringLiteral("d");
    const QString m = formats.zerosEnTete ? QStringLiteral("MM") : QStringLiteral("M");
    const QString a = formats.anneeQuatreChiffres ? QStringLiteral("yyyy") : QStringLiteral("yy");
    const QString sep =
        formats.separateurDate.isNull() ? QString() : QString(formats.separateurDate);
    switch (formats.ordreDate) {
        case FormatsValeurs::OrdreDate::MoisJourAnnee:
            return date.toString(m + sep + j + sep + a);
        case FormatsValeurs::OrdreDate::AnneeMoisJour:
            return date.toString(a + sep + m + sep + j);
        default:
            return date.toString(j + sep + m + sep + a);
    }
}

Value ConversionCellule::convertir(const Cellule& cellule, const FieldDef& colonne,
                                   const FormatsValeurs& formats) {
    if (cellule.estVide()) {
        return Value();
    }
    if (cellule.genre == Cellule::Genre::Erreur) {
        // What a spreadsheet shows for a failed formula is not a value of any column.
        throw ErreurConversion(
            cellule.texte.isEmpty()
                ? QStringLiteral("la cellule contient une formule dont le fichier ne donne pas le "
                                 "résultat (ouvrez-le dans son tableur et enregistrez-le)")
                : QStringLiteral("la cellule contient une erreur de formule (%1)")
                      .arg(cellule.texte));
    }
    const QString affiche = cellule.texteAffiche();
    switch (colonne.type) {
        case FieldType::Char:
        case FieldType::Varchar:
        case FieldType::Blob:
            switch (cellule.genre) {
                case Cellule::Genre::Date:
                    return Value(ecrireDate(cellule.dateHeure.date(), formats));
                case Cellule::Genre::Booleen:
                    // A yes/no list holds "Oui" and "Non"; the dataset cuts them to the
                    // column's width like any text, so a one-letter column keeps "O" or "N".
                    return Value(cellule.texte == u"1" ? QStringLiteral("Oui")
                                                       : QStringLiteral("Non"));
                default:
                    return Value(cellule.texte);
            }
        case FieldType::Integer:
            switch (cellule.genre) {
                case Cellule::Genre::Nombre:
                    return entierDeTexte(cellule.texte, affiche);
                case Cellule::Genre::Booleen:
                    return Value(cellule.texte == u"1" ? 1 : 0);
                case Cellule::Genre::Date:
                    throw ErreurConversion(
                        QStringLiteral("la date %1 n'est pas un nombre entier").arg(affiche));
                default: {
                    const QString t = cellule.texte.trimmed();
                    if (t.compare(formats.vrai, Qt::CaseInsensitive) == 0 &&
                        !formats.vrai.isEmpty()) {
                        return Value(1);
                    }
                    if (t.compare(formats.faux, Qt::CaseInsensitive) == 0 &&
                        !formats.faux.isEmpty()) {
                        return Value(0);
                    }
                    return entierDeTexte(t, affiche);
                }
            }
        case FieldType::Numeric:
            switch (cellule.genre) {
                case Cellule::Genre::Nombre:
                    return montantDeColonne(cellule.texte, colonne, affiche);
                case Cellule::Genre::Texte: {
                    const std::optional<Decimal> d = lireMontant(cellule.texte, formats);
                    if (!d) {
                        QString raison =
                            QStringLiteral("« %1 » n'est pas un montant valide").arg(affiche);
                        const QChar autre = formats.separateurDecimal == u'.' ? u',' : u'.';
                        if (cellule.texte.contains(autre) && autre != formats.separateurMilliers) {
                            raison += QStringLiteral(" (séparateur décimal attendu : « %1 »)")
                                          .arg(formats.separateurDecimal);
                        }
                        throw ErreurConversion(raison);
                    }
                    return montantDeColonne(d->toString(), colonne, affiche);
                }
                default:
                    throw ErreurConversion(
                        QStringLiteral("« %1 » n'est pas un montant valide").arg(affiche));
            }
        case FieldType::Date:
            switch (cellule.genre) {
                case Cellule::Genre::Date:
                    return Value(cellule.dateHeure.date());
                case Cellule::Genre::Nombre:
                    return Value(dateDeSerie(cellule.texte, affiche));
                case Cellule::Genre::Texte: {
                    const QDate d = lireDate(cellule.texte, formats);
                    if (!d.isValid()) {
                        throw ErreurConversion(
                            QStringLiteral("« %1 » n'est pas une date valide (format attendu : %2)")
                                .arg(affiche, ecrireDate(QDate(2023, 12, 31), formats)));
                    }
                    return Value(d);
                }
                default:
                    throw ErreurConversion(
                        QStringLiteral("« %1 » n'est pas une date valide").arg(affiche));
            }
    }
    return Value();
}
