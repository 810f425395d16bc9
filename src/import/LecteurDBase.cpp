#include "db/Win1252.h"
#include "import/ImportError.h"
#include "import/LecteursInternes.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <shapefil.h>

namespace lecteurs {

Classeur lireDBase(const QString& path) {
    DBFHandle h = DBFOpen(QFile::encodeName(path).constData(), "rb");
    if (!h) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" n'est pas une table dBase lisible (fichier endommagé, "
                                         "tronqué ou d'un autre format)."));
    }
    const QByteArray page = QByteArray(DBFGetCodePage(h) ? DBFGetCodePage(h) : "").toUpper();
    const bool utf8Declare = page.contains("UTF-8") || page.contains("UTF8");
    auto texte = [utf8Declare](const char* bytes) {
        const QByteArray b(bytes ? bytes : "");
        if (utf8Declare) {
            return QString::fromUtf8(b);
        }
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString t = utf8(b);
        return utf8.hasError() ? db::Win1252::decode(b) : t;
    };

    FeuilleSource f;
    f.nom = QStringLiteral("Table");
    const int champs = DBFGetFieldCount(h);
    QVector<DBFFieldType> types;
    // Row 1 holds the field names, as a title row does in a sheet.
    for (int c = 0; c < champs; ++c) {
        char nom[XBASE_FLDNAME_LEN_READ + 1] = {};
        int largeur = 0;
        int decimales = 0;
        types.append(DBFGetFieldInfo(h, c, nom, &largeur, &decimales));
        f.definir(0, c, Cellule::deTexte(texte(nom)));
    }
    const int enregistrements = DBFGetRecordCount(h);
    // The header counts the records; the file must hold them, or the count is a lie that
    // would have every missing record looked for.
    const qint64 attendu = static_cast<qint64>(h->nHeaderLength) +
                           static_cast<qint64>(enregistrements) * h->nRecordLength;
    if (enregistrements < 0 || h->nRecordLength < 1 || attendu > QFileInfo(path).size()) {
        DBFClose(h);
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" est tronqué : son en-tête annonce %1 enregistrements "
                                         "que le fichier ne contient pas.")
                              .arg(enregistrements));
    }
    int ligne = 1;
    for (int r = 0; r < enregistrements; ++r) {
        if (DBFIsRecordDeleted(h, r)) {
            continue;
        }
        for (int c = 0; c < champs; ++c) {
            if (DBFIsAttributeNULL(h, r, c)) {
                continue;
            }
            const QString valeur = texte(DBFReadStringAttribute(h, r, c)).trimmed();
            if (valeur.isEmpty()) {
                continue;
            }
            Cellule cell;
            switch (types[c]) {
                case FTInteger:
                case FTDouble:
                    cell = Cellule::deNombreDecimal(valeur);
                    break;
                case FTLogical:
                    cell = Cellule::deBooleen(QStringLiteral("TtYy").contains(valeur.at(0)));
                    break;
                case FTDate:
                    cell = Cellule::deDate(QDateTime(
                        QDate::fromString(valeur, QStringLiteral("yyyyMMdd")), QTime(0, 0)));
                    break;
                default:
                    cell = Cellule::deTexte(valeur);
                    break;
            }
            f.definir(ligne, c, cell);
        }
        ++ligne;
    }
    DBFClose(h);
    f.compacter();
    Classeur classeur;
    classeur.feuilles.append(std::move(f));
    return classeur;
}

}  // namespace lecteurs
