#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

/**
 * The parts of a zip package (.xlsx, .ods), read from the bytes of the file.
 *
 * Nothing the archive says about itself is trusted before it is checked against the file: an
 * entry must lie inside the file, its data must inflate to exactly the size and checksum its
 * directory gives, and a part is never inflated beyond what deflate can make of its
 * compressed bytes (about a thousand to one) nor beyond kTailleMaxPartie. Memory and time
 * stay bounded by the file, whatever its directory claims.
 *
 * Every failure throws ImportError with a French text naming the file.
 */
class PaquetZip {
public:
    /// The largest part read: far beyond any worksheet an import is made from.
    static constexpr qint64 kTailleMaxPartie = qint64(256) << 20;

    /// Reads the directory of @p contenu; @p fichier is the file's name, for messages.
    PaquetZip(const QByteArray& contenu, const QString& fichier);

    /// Whether the package has @p part (a part name, case ignored).
    bool contient(const QString& part) const;
    /// The bytes of @p part; empty when the package has no such part.
    QByteArray lire(const QString& part) const;
    /// The part names, in the order of the archive's directory.
    const QStringList& parties() const { return m_noms; }
    const QString& fichier() const { return m_fichier; }

private:
    struct Entree {
        quint16 drapeaux = 0;
        quint16 methode = 0;
        quint32 crc = 0;
        quint32 tailleCompressee = 0;
        quint32 taille = 0;
        quint32 position = 0;
    };
    [[noreturn]] void endommage(const QString& raison) const;

    const QByteArray m_contenu;
    QString m_fichier;
    QStringList m_noms;
    QHash<QString, Entree> m_entrees;
};
