#include "import/PaquetZip.h"

#include "import/ImportError.h"

#include <QFileInfo>

#include <zlib.h>

namespace {

quint16 u16(const QByteArray& b, qint64 at) {
    return static_cast<quint16>(static_cast<quint8>(b[at]) | static_cast<quint8>(b[at + 1]) << 8);
}

quint32 u32(const QByteArray& b, qint64 at) {
    return static_cast<quint32>(u16(b, at)) | static_cast<quint32>(u16(b, at + 2)) << 16;
}

/// Deflate cannot make more than about 1032 bytes of one; a directory that says otherwise lies.
constexpr qint64 kRapportMaxDeflate = 1032;

}  // namespace

void PaquetZip::endommage(const QString& raison) const {
    throw ImportError(
        QStringLiteral("Le fichier « %1 » est endommagé ou tronqué : %2.").arg(m_fichier, raison));
}

PaquetZip::PaquetZip(const QByteArray& contenu, const QString& fichier)
    : m_contenu(contenu), m_fichier(QFileInfo(fichier).fileName()) {
    const qint64 taille = m_contenu.size();
    // The end record is the last thing in the file, followed by a comment of at most 64 KiB.
    qint64 fin = -1;
    for (qint64 p = taille - 22; p >= 0 && p >= taille - 22 - 0xFFFF; --p) {
        if (m_contenu[p] == 'P' && m_contenu[p + 1] == 'K' && m_contenu[p + 2] == 5 &&
            m_contenu[p + 3] == 6) {
            fin = p;
            break;
        }
    }
    if (fin < 0) {
        endommage(
            QStringLiteral("son contenu compressé ne se lit pas (la fin de l'archive "
                           "manque)"));
    }
    const quint16 nombre = u16(m_contenu, fin + 10);
    const qint64 tailleRepertoire = u32(m_contenu, fin + 12);
    const qint64 debutRepertoire = u32(m_contenu, fin + 16);
    if (debutRepertoire == 0xFFFFFFFF || nombre == 0xFFFF) {
        endommage(
            QStringLiteral("son contenu compressé est dans un format d'archive trop grand "
                           "(ZIP64) pour un classeur"));
    }
    if (debutRepertoire + tailleRepertoire > fin) {
        endommage(
            QStringLiteral("son contenu compressé ne se lit pas (le répertoire de "
                           "l'archive sort du fichier)"));
    }
    qint64 p = debutRepertoire;
    for (int i = 0; i < nombre; ++i) {
        if (p + 46 > debutRepertoire + tailleRepertoire || u32(m_contenu, p) != 0x02014b50) {
            endommage(
                QStringLiteral("son contenu compressé ne se lit pas (répertoire de "
                               "l'archive incomplet)"));
        }
        Entree e;
        e.drapeaux = u16(m_contenu, p + 8);
        e.methode = u16(m_contenu, p + 10);
        e.crc = u32(m_contenu, p + 16);
        e.tailleCompressee = u32(m_contenu, p + 20);
        e.taille = u32(m_contenu, p + 24);
        const qint64 n = u16(m_contenu, p + 28);
        const qint64 extra = u16(m_contenu, p + 30);
        const qint64 commentaire = u16(m_contenu, p + 32);
        e.position = u32(m_contenu, p + 42);
        if (p + 46 + n + extra + commentaire > debutRepertoire + tailleRepertoire) {
            endommage(
                QStringLiteral("son contenu compressé ne se lit pas (répertoire de "
                               "l'archive incomplet)"));
        }
        const QByteArray brut = m_contenu.mid(p + 46, n);
        // Names are UTF-8 when the entry says so; the parts of a workbook are plain ASCII.
        const QString nom =
            (e.drapeaux & 0x0800) ? QString::fromUtf8(brut) : QString::fromLatin1(brut);
        const QString cle = nom.toLower();
        if (!m_entrees.contains(cle)) {
            m_entrees.insert(cle, e);
            m_noms.append(nom);
        }
        p += 46 + n + extra + commentaire;
    }
}

bool PaquetZip::contient(const QString& part) const {
    return m_entrees.contains(part.toLower());
}

QByteArray PaquetZip::lire(const QString& part) const {
    const auto it = m_entrees.constFind(part.toLower());
    if (it == m_entrees.constEnd()) {
        return QByteArray();
    }
    const Entree& e = *it;
    auto illisible = [&](const QString& pourquoi) {
        endommage(QStringLiteral("la partie %1 ne se lit pas (%2)").arg(part, pourquoi));
    };
    if (e.drapeaux & 0x0001) {
        illisible(QStringLiteral("elle est chiffrée"));
    }
    const qint64 taille = m_contenu.size();
    const qint64 entete = e.position;
    if (entete + 30 > taille || u32(m_contenu, entete) != 0x04034b50) {
        illisible(QStringLiteral("son en-tête manque"));
    }
    const qint64 debut = entete + 30 + u16(m_contenu, entete + 26) + u16(m_contenu, entete + 28);
    if (debut + e.tailleCompressee > taille) {
        illisible(QStringLiteral("elle sort du fichier"));
    }
    const char* donnees = m_contenu.constData() + debut;
    QByteArray out;
    switch (e.methode) {
        case 0:
            if (e.taille != e.tailleCompressee) {
                illisible(QStringLiteral("ses tailles ne concordent pas"));
            }
            out = QByteArray(donnees, e.taille);
            break;
        case 8: {
            if (e.taille > kTailleMaxPartie ||
                e.taille > qint64(e.tailleCompressee) * kRapportMaxDeflate + 1024) {
                illisible(QStringLiteral("elle annonce une taille de %1 octets que ses données "
                                         "compressées ne peuvent pas donner")
                              .arg(e.taille));
            }
            out.resize(e.taille);
            z_stream z{};
            if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
                illisible(QStringLiteral("la décompression ne démarre pas"));
            }
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(donnees));
            z.avail_in = e.tailleCompressee;
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = e.taille;
            const int rc = inflate(&z, Z_FINISH);
            const uLong produit = z.total_out;
            inflateEnd(&z);
            if (rc != Z_STREAM_END || produit != e.taille) {
                illisible(QStringLiteral("ses données compressées sont abîmées"));
            }
            break;
        }
        default:
            illisible(
                QStringLiteral("elle est compressée par une méthode inconnue (%1)").arg(e.methode));
    }
    if (crc32(0L, reinterpret_cast<const Bytef*>(out.constData()), static_cast<uInt>(out.size())) !=
        e.crc) {
        illisible(QStringLiteral("son contenu ne correspond pas à sa somme de contrôle"));
    }
    return out;
}
