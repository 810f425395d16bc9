#include "import/ImportError.h"
#include "import/LecteursInternes.h"

#include <QFile>

#include <freexl.h>

namespace lecteurs {

namespace {

/// Closes the FreeXL handle on every path, a failed opening included.
struct Poignee {
    const void* h = nullptr;
    ~Poignee() {
        if (h) {
            freexl_close(h);
        }
    }
};

QString texteUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

}  // namespace

Classeur lireXls(const QString& path) {
    Poignee p;
    const int rc = freexl_open(QFile::encodeName(path).constData(), &p.h);
    if (rc != FREEXL_OK) {
        if (rc == FREEXL_FILE_NOT_FOUND) {
            throw ImportError(nomFichier(path) + QStringLiteral(" est introuvable."));
        }
        if (rc == FREEXL_INVALID_CFBF_HEADER) {
            throw ImportError(nomFichier(path) +
                              QStringLiteral(" n'est pas un classeur Excel (.xls)."));
        }
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" est endommagé ou tronqué : le classeur Excel (.xls) "
                                         "ne se lit pas (code %1).")
                              .arg(rc));
    }
    unsigned int info = 0;
    if (freexl_get_info(p.h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" est protégé par un mot de passe (chiffré) : "
                                         "enregistrez-le sans mot de passe puis recommencez."));
    }
    unsigned int sheets = 0;
    freexl_get_info(p.h, FREEXL_BIFF_SHEET_COUNT, &sheets);
    Classeur classeur;
    for (unsigned short s = 0; s < sheets; ++s) {
        FeuilleSource f;
        const char* nom = nullptr;
        if (freexl_get_worksheet_name(p.h, s, &nom) == FREEXL_OK) {
            f.nom = texteUtf8(nom);
        }
        if (freexl_select_active_worksheet(p.h, s) != FREEXL_OK) {
            throw ImportError(
                nomFichier(path) +
                QStringLiteral(" est endommagé : la feuille %1 ne se lit pas.").arg(f.nom));
        }
        unsigned int rows = 0;
        unsigned short cols = 0;
        freexl_worksheet_dimensions(p.h, &rows, &cols);
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(p.h, r, c, &v) != FREEXL_OK) {
                    throw ImportError(nomFichier(path) +
                                      QStringLiteral(" est endommagé : la cellule %1%2 de la "
                                                     "feuille « %3 » ne se lit pas.")
                                          .arg(lettreColonne(c))
                                          .arg(r + 1)
                                          .arg(f.nom));
                }
                Cellule cell;
                switch (v.type) {
                    case FREEXL_CELL_INT:
                        cell = Cellule::deNombreDecimal(QString::number(v.value.int_value));
                        break;
                    case FREEXL_CELL_DOUBLE:
                        cell = Cellule::deNombre(v.value.double_value);
                        break;
                    case FREEXL_CELL_TEXT:
                    case FREEXL_CELL_SST_TEXT:
                        cell = Cellule::deTexte(texteUtf8(v.value.text_value));
                        break;
                    case FREEXL_CELL_DATE:
                        cell = Cellule::deDate(
                            QDateTime(QDate::fromString(texteUtf8(v.value.text_value), Qt::ISODate),
                                      QTime(0, 0)));
                        break;
                    case FREEXL_CELL_DATETIME:
                        cell = Cellule::deDate(QDateTime::fromString(
                            texteUtf8(v.value.text_value), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
                        break;
                    case FREEXL_CELL_TIME:
                        cell = Cellule::deTexte(texteUtf8(v.value.text_value));
                        break;
                    default:
                        continue;
                }
                f.definir(static_cast<int>(r), c, cell);
            }
        }
        f.compacter();
        classeur.feuilles.append(std::move(f));
    }
    return classeur;
}

}  // namespace lecteurs
