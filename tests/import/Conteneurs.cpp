#include "Conteneurs.h"

namespace fichiers {

namespace {

quint32 crc32(const QByteArray& data) {
    static quint32 table[256];
    static bool ready = false;
    if (!ready) {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            table[i] = c;
        }
        ready = true;
    }
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data) {
        crc = table[(crc ^ static_cast<quint8>(ch)) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

}  // namespace

void ecrire16(QByteArray& b, quint16 v) {
    b.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
}
void ecrire32(QByteArray& b, quint32 v) {
    ecrire16(b, v & 0xFFFF);
    ecrire16(b, v >> 16);
}

QByteArray zip(const QVector<QPair<QString, QByteArray>>& parts) {
    QByteArray out;
    QByteArray central;
    for (const auto& [name, data] : parts) {
        const QByteArray n = name.toUtf8();
        const quint32 offset = static_cast<quint32>(out.size());
        const quint32 crc = crc32(data);
        ecrire32(out, 0x04034b50);
        ecrire16(out, 20);
        ecrire16(out, 0x0800);
        ecrire16(out, 0);  // stored
        ecrire16(out, 0);
        ecrire16(out, 0x21);
        ecrire32(out, crc);
        ecrire32(out, data.size());
        ecrire32(out, data.size());
        ecrire16(out, n.size());
        ecrire16(out, 0);
        out += n;
        out += data;
        ecrire32(central, 0x02014b50);
        ecrire16(central, 20);
        ecrire16(central, 20);
        ecrire16(central, 0x0800);
        ecrire16(central, 0);
        ecrire16(central, 0);
        ecrire16(central, 0x21);
        ecrire32(central, crc);
        ecrire32(central, data.size());
        ecrire32(central, data.size());
        ecrire16(central, n.size());
        ecrire16(central, 0);
        ecrire16(central, 0);
        ecrire16(central, 0);
        ecrire16(central, 0);
        ecrire32(central, 0);
        ecrire32(central, offset);
        central += n;
    }
    const quint32 start = static_cast<quint32>(out.size());
    out += central;
    ecrire32(out, 0x06054b50);
    ecrire16(out, 0);
    ecrire16(out, 0);
    ecrire16(out, parts.size());
    ecrire16(out, parts.size());
    ecrire32(out, central.size());
    ecrire32(out, start);
    ecrire16(out, 0);
    return out;
}

QVector<QPair<QString, QByteArray>> parties(const QByteArray& zip) {
    // zip() stores its parts one after the other, each behind a 30-byte header.
    QVector<QPair<QString, QByteArray>> out;
    auto lu16 = [&zip](qsizetype at) {
        return static_cast<quint16>(static_cast<quint8>(zip[at]) | static_cast<quint8>(zip[at + 1])
                                                                       << 8);
    };
    auto lu32 = [&](qsizetype at) { return lu16(at) | static_cast<quint32>(lu16(at + 2)) << 16; };
    qsizetype p = 0;
    while (p + 30 <= zip.size() && lu32(p) == 0x04034b50) {
        const quint32 taille = lu32(p + 18);
        const quint16 n = lu16(p + 26);
        const quint16 extra = lu16(p + 28);
        out.append({QString::fromUtf8(zip.mid(p + 30, n)), zip.mid(p + 30 + n + extra, taille)});
        p += 30 + n + extra + taille;
    }
    return out;
}

QByteArray modifierPartie(const QByteArray& zip, const QString& part, const QByteArray& avant,
                          const QByteArray& apres) {
    auto contenu = parties(zip);
    for (auto& [nom, donnees] : contenu) {
        if (nom == part) {
            donnees.replace(avant, apres);
        }
    }
    return fichiers::zip(contenu);
}

QByteArray enregistrement(quint16 type, const QByteArray& donnees) {
    QByteArray r;
    ecrire16(r, type);
    ecrire16(r, static_cast<quint16>(donnees.size()));
    return r + donnees;
}

QByteArray fichierCompose(const QByteArray& fluxDonne, const QString& nom) {
    // Version 3, 512-byte sectors: the allocation table, the directory, then the stream, made
    // at least 4096 bytes long so that it is an ordinary stream.
    QByteArray flux = fluxDonne;
    if (flux.size() < 4096) {
        flux.append(QByteArray(4096 - flux.size(), '\0'));
    }
    const quint32 secteursFlux = static_cast<quint32>((flux.size() + 511) / 512);
    quint32 secteursFat = 1;
    while ((secteursFat + 1 + secteursFlux) > secteursFat * 128) {
        ++secteursFat;
    }
    QByteArray entete;
    entete.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    entete.append(QByteArray(16, '\0'));
    ecrire16(entete, 0x003E);
    ecrire16(entete, 3);
    ecrire16(entete, 0xFFFE);
    ecrire16(entete, 9);
    ecrire16(entete, 6);
    entete.append(QByteArray(6, '\0'));
    ecrire32(entete, 0);
    ecrire32(entete, secteursFat);
    ecrire32(entete, secteursFat);  // the directory follows the allocation table
    ecrire32(entete, 0);
    ecrire32(entete, 4096);
    ecrire32(entete, 0xFFFFFFFE);
    ecrire32(entete, 0);
    ecrire32(entete, 0xFFFFFFFE);
    ecrire32(entete, 0);
    for (quint32 i = 0; i < 109; ++i) {
        ecrire32(entete, i < secteursFat ? i : 0xFFFFFFFF);
    }
    QByteArray fat;
    for (quint32 i = 0; i < secteursFat; ++i) {
        ecrire32(fat, 0xFFFFFFFD);
    }
    ecrire32(fat, 0xFFFFFFFE);
    const quint32 premier = secteursFat + 1;
    for (quint32 i = 0; i < secteursFlux; ++i) {
        ecrire32(fat, i + 1 < secteursFlux ? premier + i + 1 : 0xFFFFFFFE);
    }
    while (fat.size() < static_cast<qsizetype>(secteursFat) * 512) {
        ecrire32(fat, 0xFFFFFFFF);
    }
    auto entree = [](const QString& nom, quint8 type, quint32 enfant, quint32 debut,
                     quint32 taille) {
        QByteArray e;
        for (const QChar c : nom) {
            ecrire16(e, c.unicode());
        }
        e.append(QByteArray(64 - e.size(), '\0'));
        ecrire16(e, nom.isEmpty() ? 0 : static_cast<quint16>(2 * nom.size() + 2));
        e.append(static_cast<char>(type));
        e.append('\x01');
        ecrire32(e, 0xFFFFFFFF);
        ecrire32(e, 0xFFFFFFFF);
        ecrire32(e, enfant);
        e.append(QByteArray(36, '\0'));
        ecrire32(e, debut);
        ecrire32(e, taille);
        ecrire32(e, 0);
        return e;
    };
    QByteArray repertoire = entree(QStringLiteral("Root Entry"), 5, 1, 0xFFFFFFFE, 0);
    repertoire += entree(nom, 2, 0xFFFFFFFF, premier, static_cast<quint32>(flux.size()));
    repertoire += entree(QString(), 0, 0xFFFFFFFF, 0xFFFFFFFF, 0);
    repertoire += entree(QString(), 0, 0xFFFFFFFF, 0xFFFFFFFF, 0);
    flux.append(QByteArray(static_cast<qsizetype>(secteursFlux) * 512 - flux.size(), '\0'));
    return entete + fat + repertoire + flux;
}

}  // namespace fichiers
