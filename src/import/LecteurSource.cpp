#include "import/LecteurSource.h"

#include "import/ImportError.h"
#include "import/LecteurTexte.h"
#include "import/LecteursInternes.h"
#include "import/PaquetZip.h"

#include <QFile>
#include <QFileInfo>

#include <new>
#include <stdexcept>

using lecteurs::detail;
using lecteurs::nomFichier;

namespace {

enum class Contenu { Zip, Ole, Balises, Autre };

Contenu genreDeContenu(const QByteArray& debut) {
    if (debut.startsWith("PK\x03\x04")) {
        return Contenu::Zip;
    }
    if (debut.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        return Contenu::Ole;
    }
    QByteArray t = debut;
    if (t.startsWith("\xEF\xBB\xBF")) {
        t = t.mid(3);
    }
    if (t.trimmed().startsWith('<')) {
        return Contenu::Balises;
    }
    return Contenu::Autre;
}

/// Office saves a workbook protected by a password as an encrypted package inside a
/// compound file; its stream names are in UTF-16.
bool paquetChiffre(const QByteArray& contenu) {
    static const QByteArray nom =
        QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    return contenu.contains(nom);
}

bool feuilleXmlExcel(const QByteArray& contenu) {
    return contenu.contains("urn:schemas-microsoft-com:office:spreadsheet");
}

bool pageHtml(const QByteArray& contenu) {
    const QByteArray bas = contenu.left(1 << 20).toLower();
    return bas.contains("<table") || bas.contains("<html");
}

[[noreturn]] void autreFormat(const QString& path, const QString& attendu, const QString& conseil) {
    throw ImportError(nomFichier(path) + QStringLiteral(" n'est pas %1%2.").arg(attendu, conseil));
}

QString conseilSelon(Contenu c, const QByteArray& contenu) {
    switch (c) {
        case Contenu::Zip:
            return contenu.contains("opendocument.spreadsheet")
                       ? QStringLiteral(" : c'est un classeur OpenDocument, choisissez ce format")
                       : QStringLiteral(
                             " : c'est un classeur (.xlsx ou .ods), choisissez le "
                             "format correspondant");
        case Contenu::Ole:
            return QStringLiteral(" : c'est un classeur Excel (.xls), choisissez ce format");
        default:
            return QString();
    }
}

/// ODS: an OpenDocument package whose content may be encrypted by a password.
void verifierOds(const QString& path, const QByteArray& contenu) {
    if (!contenu.mid(30, 80).contains("application/vnd.oasis.opendocument.spreadsheet")) {
        autreFormat(path, QStringLiteral("un classeur OpenDocument (.ods)"),
                    contenu.contains("xl/") ? QStringLiteral(" : c'est un classeur Excel, "
                                                             "choisissez ce format")
                                            : QString());
    }
    const PaquetZip paquet(contenu, path);
    if (paquet.lire(QStringLiteral("META-INF/manifest.xml")).contains("encryption-data")) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" est protégé par un mot de passe (chiffré) : "
                                         "enregistrez-le sans mot de passe puis recommencez."));
    }
}

/// Why a file does not open, in French, the system's words as a detail.
QString raisonOuverture(const QFile& file) {
    QString raison;
    switch (file.error()) {
        case QFileDevice::PermissionsError:
            raison = QStringLiteral("vous n'avez pas le droit de le lire");
            break;
        case QFileDevice::ResourceError:
            raison = QStringLiteral("le système manque de ressources pour l'ouvrir");
            break;
        case QFileDevice::ReadError:
            raison = QStringLiteral("sa lecture a échoué");
            break;
        default:
            raison = QStringLiteral("le système refuse de l'ouvrir");
            break;
    }
    return raison + detail(file.errorString());
}

/// Larger than any workbook an import is made from; reading it would only fill the memory.
constexpr qint64 kTailleMaxFichier = qint64(1) << 30;

Classeur lireSelonFormat(const QString& path, const QByteArray& contenu, FormatSource format,
                         const OptionsTexte& texte) {
    const Contenu genre = genreDeContenu(contenu.left(4096));
    Classeur classeur;
    switch (format) {
        case FormatSource::Excel:
            if (genre == Contenu::Zip) {
                if (contenu.mid(30, 80).contains("opendocument")) {
                    autreFormat(path, QStringLiteral("un classeur Excel"),
                                conseilSelon(genre, contenu.left(200)));
                }
                classeur = lecteurs::lireXlsx(contenu, path);
            } else if (genre == Contenu::Ole) {
                if (paquetChiffre(contenu)) {
                    throw ImportError(
                        nomFichier(path) +
                        QStringLiteral(" est protégé par un mot de passe (chiffré) : "
                                       "enregistrez-le sans mot de passe puis recommencez."));
                }
                classeur = lecteurs::lireXls(contenu, path);
            } else if (genre == Contenu::Balises && feuilleXmlExcel(contenu)) {
                classeur = lecteurs::lireXmlExcel(contenu, path);
            } else if (genre == Contenu::Balises && pageHtml(contenu)) {
                // What many web sites export as an .xls file.
                classeur = lecteurs::lireHtml(contenu, path);
            } else {
                autreFormat(path, QStringLiteral("un classeur Excel (.xlsx ou .xls)"), QString());
            }
            break;
        case FormatSource::OpenDocument:
            if (genre != Contenu::Zip) {
                autreFormat(path, QStringLiteral("un classeur OpenDocument (.ods)"),
                            conseilSelon(genre, contenu));
            }
            verifierOds(path, contenu);
            classeur = lecteurs::lireOds(contenu, path);
            break;
        case FormatSource::Texte:
            if (genre == Contenu::Zip || genre == Contenu::Ole) {
                autreFormat(path, QStringLiteral("un fichier texte"), conseilSelon(genre, contenu));
            }
            try {
                classeur.feuilles.append(
                    LecteurTexte::lire(contenu, texte, QFileInfo(path).completeBaseName()));
            } catch (const ImportError& e) {
                QString t = e.text();
                throw ImportError(t.replace(QStringLiteral("Le fichier texte"), nomFichier(path))
                                      .replace(QStringLiteral("Le fichier n'est"),
                                               nomFichier(path) + QStringLiteral(" n'est")));
            }
            break;
        case FormatSource::Html:
            if (genre != Contenu::Balises || !pageHtml(contenu)) {
                autreFormat(path, QStringLiteral("une page HTML"), conseilSelon(genre, contenu));
            }
            classeur = lecteurs::lireHtml(contenu, path);
            break;
        case FormatSource::XmlExcel:
            if (genre != Contenu::Balises || !feuilleXmlExcel(contenu)) {
                autreFormat(path, QStringLiteral("une feuille XML Excel 2003"),
                            conseilSelon(genre, contenu));
            }
            classeur = lecteurs::lireXmlExcel(contenu, path);
            break;
        case FormatSource::DBase: {
            static const QByteArray versions("\x02\x03\x30\x31\x32\x43\x63\x83\x8B\xCB\xF5\xE5\xFB",
                                             13);
            if (contenu.size() < 32 || !versions.contains(contenu.at(0)) ||
                genre != Contenu::Autre) {
                autreFormat(path, QStringLiteral("une table dBase (.dbf)"),
                            conseilSelon(genre, contenu));
            }
            classeur = lecteurs::lireDBase(path);
            break;
        }
    }
    return classeur;
}

}  // namespace

Classeur LecteurSource::lire(const QString& path, FormatSource format, const OptionsTexte& texte) {
    QFile file(path);
    if (!file.exists()) {
        throw ImportError(nomFichier(path) + QStringLiteral(" est introuvable."));
    }
    if (QFileInfo(path).isDir()) {
        throw ImportError(nomFichier(path) + QStringLiteral(" est un dossier, pas un fichier."));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw ImportError(
            nomFichier(path) +
            QStringLiteral(" ne peut pas être ouvert : %1.").arg(raisonOuverture(file)));
    }
    if (file.size() > kTailleMaxFichier) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" est trop volumineux pour une importation (plus de "
                                         "1 Go)."));
    }
    const QByteArray contenu = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" ne peut pas être lu : %1.").arg(raisonOuverture(file)));
    }
    file.close();
    if (contenu.isEmpty()) {
        throw ImportError(nomFichier(path) + QStringLiteral(" est vide."));
    }

    Classeur classeur;
    // Whatever a library or the memory allocator throws on a hostile file ends here as the
    // French report of an unreadable file: nothing else leaves the readers.
    try {
        classeur = lireSelonFormat(path, contenu, format, texte);
    } catch (const ImportError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" est illisible : sa lecture demande plus de mémoire "
                                         "que l'ordinateur n'en a de libre."));
    } catch (const std::length_error& e) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" est illisible : il annonce une taille qu'aucun "
                                         "classeur n'a%1.")
                              .arg(detail(QString::fromLocal8Bit(e.what()))));
    } catch (const std::exception& e) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" est illisible : il est endommagé ou n'est pas dans "
                                         "le format choisi%1.")
                              .arg(detail(QString::fromLocal8Bit(e.what()))));
    } catch (...) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" est illisible : il est endommagé ou n'est pas dans "
                                         "le format choisi."));
    }
    for (FeuilleSource& f : classeur.feuilles) {
        f.compacter();
    }
    if (classeur.feuilles.isEmpty()) {
        throw ImportError(nomFichier(path) + QStringLiteral(" ne contient aucune feuille."));
    }
    return classeur;
}
