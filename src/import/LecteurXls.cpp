// Our reader of Excel 97-2003 workbooks (.xls): the compound file that holds the workbook
// stream, then the BIFF8 (Excel 97 and later) or BIFF5 (Excel 5 and 95) records of its sheets.
//
// Every size and position the file gives is checked against the file before it is used, and
// only the cell records the sheets hold are read: a declared dimension is checked against the
// format's limits (65,536 rows, 256 columns) and never allocated. Booleans, errors and the
// results formulas were saved with are read as what they are.

#include "db/Win1252.h"
#include "import/ImportError.h"
#include "import/LecteursInternes.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <bit>
#include <limits>
#include <optional>

namespace lecteurs {

namespace {

constexpr quint32 kFinDeChaine = 0xFFFFFFFE;

quint16 u16(const QByteArray& b, qint64 at) {
    return static_cast<quint16>(static_cast<quint8>(b[at]) | static_cast<quint8>(b[at + 1]) << 8);
}

quint32 u32(const QByteArray& b, qint64 at) {
    return static_cast<quint32>(u16(b, at)) | static_cast<quint32>(u16(b, at + 2)) << 16;
}

double f64(const QByteArray& b, qint64 at) {
    const quint64 bits = static_cast<quint64>(u32(b, at)) | static_cast<quint64>(u32(b, at + 4))
                                                                << 32;
    return std::bit_cast<double>(bits);
}

/// The compound file (OLE2) around the workbook: sectors chained by an allocation table.
class FichierCompose {
public:
    FichierCompose(const QByteArray& data, const QString& path) : m_data(data), m_path(path) {
        if (m_data.size() < 512) {
            endommage(QStringLiteral("il s'arrête avant la fin de son en-tête"));
        }
        const quint16 decalage = u16(m_data, 0x1E);
        if ((decalage != 9 && decalage != 12) || u16(m_data, 0x20) != 6) {
            endommage(QStringLiteral("son en-tête annonce des secteurs d'une taille impossible"));
        }
        m_secteur = qint64(1) << decalage;
        m_nombreSecteurs = (m_data.size() - m_secteur + m_secteur - 1) / m_secteur;
        m_seuilMini = u32(m_data, 0x38);
        lireTable();
        lireRepertoire();
    }

    /// The stream named @p nom (case ignored); nothing when there is none.
    std::optional<QByteArray> flux(const QString& nom) const {
        for (const Entree& e : m_entrees) {
            if (e.type == 2 && e.nom.compare(nom, Qt::CaseInsensitive) == 0) {
                return e.taille < m_seuilMini ? lireMini(e.debut, e.taille)
                                              : lireChaine(e.debut, e.taille);
            }
        }
        return std::nullopt;
    }

private:
    struct Entree {
        QString nom;
        quint8 type = 0;
        quint32 debut = 0;
        qint64 taille = 0;
    };

    [[noreturn]] void endommage(const QString& raison) const {
        throw ImportError(
            QStringLiteral("%1 est endommagé ou tronqué : %2.").arg(nomFichier(m_path), raison));
    }

    /// The bytes of sector @p s, short for the last sector of a file cut short.
    QByteArray secteur(quint32 s) const {
        return m_data.mid(static_cast<qint64>(s + 1) * m_secteur, m_secteur);
    }

    void lireTable() {
        const qint64 parSecteur = m_secteur / 4;
        const quint32 nombreFat = u32(m_data, 0x2C);
        if (nombreFat > m_nombreSecteurs) {
            endommage(QStringLiteral("sa table d'allocation est plus grande que le fichier"));
        }
        QVector<quint32> secteursFat;
        for (int i = 0; i < 109 && static_cast<quint32>(secteursFat.size()) < nombreFat; ++i) {
            secteursFat.append(u32(m_data, 0x4C + 4 * i));
        }
        // Past 109 sectors, the list goes on in a chain of its own.
        quint32 suite = u32(m_data, 0x44);
        qint64 vus = 0;
        while (static_cast<quint32>(secteursFat.size()) < nombreFat && suite < m_nombreSecteurs) {
            if (++vus > m_nombreSecteurs) {
                endommage(QStringLiteral("sa table d'allocation boucle sur elle-même"));
            }
            const QByteArray s = secteur(suite);
            if (s.size() < m_secteur) {
                endommage(QStringLiteral("sa table d'allocation sort du fichier"));
            }
            for (qint64 i = 0;
                 i + 1 < parSecteur && static_cast<quint32>(secteursFat.size()) < nombreFat; ++i) {
                secteursFat.append(u32(s, 4 * i));
            }
            suite = u32(s, 4 * (parSecteur - 1));
        }
        if (static_cast<quint32>(secteursFat.size()) < nombreFat) {
            endommage(QStringLiteral("sa table d'allocation est incomplète"));
        }
        m_fat.reserve(secteursFat.size() * parSecteur);
        for (const quint32 f : secteursFat) {
            if (f >= m_nombreSecteurs) {
                endommage(QStringLiteral("sa table d'allocation sort du fichier"));
            }
            const QByteArray s = secteur(f);
            if (s.size() < m_secteur) {
                endommage(QStringLiteral("sa table d'allocation sort du fichier"));
            }
            for (qint64 i = 0; i < parSecteur; ++i) {
                m_fat.append(u32(s, 4 * i));
            }
        }
    }

    /// The sectors of the chain from @p debut, each checked, loops refused.
    QVector<quint32> chaine(quint32 debut, const QVector<quint32>& table, qint64 limite) const {
        QVector<quint32> out;
        for (quint32 s = debut; s != kFinDeChaine;) {
            if (s >= static_cast<quint32>(table.size()) || s >= limite || out.size() >= limite) {
                endommage(QStringLiteral("une chaîne de secteurs sort du fichier ou boucle"));
            }
            out.append(s);
            s = table[s];
        }
        return out;
    }

    QByteArray lireChaine(quint32 debut, qint64 taille) const {
        if (taille == 0) {
            return QByteArray();
        }
        if (taille > m_data.size()) {
            endommage(QStringLiteral("un flux annonce plus d'octets que le fichier n'en a"));
        }
        QByteArray out;
        for (const quint32 s : chaine(debut, m_fat, m_nombreSecteurs)) {
            out += secteur(s);
            if (out.size() >= taille) {
                break;
            }
        }
        if (out.size() < taille) {
            endommage(QStringLiteral("un flux s'arrête avant sa fin"));
        }
        out.truncate(taille);
        return out;
    }

    QByteArray lireMini(quint32 debut, qint64 taille) const {
        if (taille == 0) {
            return QByteArray();
        }
        // The small streams live together in the root's stream, cut in 64-byte pieces, with
        // an allocation table of their own.
        QVector<quint32> fatMini;
        const quint32 premierMini = u32(m_data, 0x3C);
        if (premierMini < 0xFFFFFFFA) {
            for (const quint32 s : chaine(premierMini, m_fat, m_nombreSecteurs)) {
                const QByteArray octets = secteur(s);
                for (qint64 i = 0; i + 4 <= octets.size(); i += 4) {
                    fatMini.append(u32(octets, i));
                }
            }
        }
        const QByteArray flotMini = lireChaine(m_racineDebut, m_racineTaille);
        if (taille > flotMini.size()) {
            endommage(QStringLiteral("un petit flux annonce plus d'octets qu'il n'y en a"));
        }
        QByteArray out;
        for (const quint32 s : chaine(debut, fatMini, flotMini.size() / 64)) {
            out += flotMini.mid(static_cast<qint64>(s) * 64, 64);
            if (out.size() >= taille) {
                break;
            }
        }
        if (out.size() < taille) {
            endommage(QStringLiteral("un petit flux s'arrête avant sa fin"));
        }
        out.truncate(taille);
        return out;
    }

    void lireRepertoire() {
        const QByteArray repertoire = [this] {
            QByteArray r;
            for (const quint32 s : chaine(u32(m_data, 0x30), m_fat, m_nombreSecteurs)) {
                r += secteur(s);
            }
            return r;
        }();
        for (qint64 p = 0; p + 128 <= repertoire.size(); p += 128) {
            Entree e;
            const int octets = std::clamp<int>(u16(repertoire, p + 64), 0, 64);
            for (int i = 0; i + 1 < octets; i += 2) {
                const char16_t c = u16(repertoire, p + i);
                if (c == 0) {
                    break;
                }
                e.nom += QChar(c);
            }
            e.type = static_cast<quint8>(repertoire[p + 66]);
            e.debut = u32(repertoire, p + 116);
            // Version 4 files give 64-bit sizes; a workbook never needs the high half.
            e.taille = u32(repertoire, p + 120);
            if (m_secteur == 4096 && u32(repertoire, p + 124) != 0) {
                e.taille = std::numeric_limits<qint64>::max();
            }
            m_entrees.append(e);
        }
        if (m_entrees.isEmpty() || m_entrees.front().type != 5) {
            endommage(QStringLiteral("son répertoire ne commence pas par sa racine"));
        }
        m_racineDebut = m_entrees.front().debut;
        m_racineTaille = m_entrees.front().taille;
    }

    const QByteArray& m_data;
    QString m_path;
    qint64 m_secteur = 512;
    qint64 m_nombreSecteurs = 0;
    qint64 m_seuilMini = 4096;
    QVector<quint32> m_fat;
    QVector<Entree> m_entrees;
    quint32 m_racineDebut = kFinDeChaine;
    qint64 m_racineTaille = 0;
};

/// One BIFF record: its type and where its data lies in the stream.
struct Enregistrement {
    quint16 type = 0;
    qint64 debut = 0;
    qint64 taille = 0;
};

class Classeur97 {
public:
    Classeur97(const QByteArray& flux, const QString& path) : m_flux(flux), m_path(path) {}

    Classeur lire();

private:
    [[noreturn]] void endommage(const QString& raison) const {
        throw ImportError(
            QStringLiteral("%1 est endommagé ou tronqué : %2.").arg(nomFichier(m_path), raison));
    }
    Enregistrement enregistrement(qint64 p) const {
        if (p + 4 > m_flux.size()) {
            endommage(QStringLiteral("le classeur s'arrête au milieu d'un enregistrement"));
        }
        Enregistrement e{u16(m_flux, p), p + 4, u16(m_flux, p + 2)};
        if (e.debut + e.taille > m_flux.size()) {
            endommage(QStringLiteral("le classeur s'arrête au milieu d'un enregistrement"));
        }
        return e;
    }
    void exiger(const Enregistrement& e, qint64 taille) const {
        if (e.taille < taille) {
            endommage(QStringLiteral("un enregistrement (type %1) est plus court que son contenu")
                          .arg(e.type, 4, 16, QChar(u'0')));
        }
    }
    QString octetsEnTexte(qint64 p, qint64 n) const;
    /// A string of one record: its length (@p longueur bytes), then BIFF8's flags. A long
    /// formula result may go on in CONTINUE records: @p tronquer keeps what this one holds.
    QString chaine(const Enregistrement& e, qint64 decalage, int longueur,
                   bool tronquer = false) const;
    void lireChainesPartagees(QVector<Enregistrement> morceaux);
    void lireGlobal();
    /// The sheet whose BOF record is at @p p; where its records end in @p fin.
    FeuilleSource lireFeuille(qint64 p, const QString& nom, qint64& fin);
    bool estDate(quint16 xf);

    const QByteArray& m_flux;
    QString m_path;
    bool m_biff8 = true;
    bool m_date1904 = false;
    quint16 m_pageDeCode = 1252;
    QHash<int, QString> m_formats;
    QVector<quint16> m_xf;
    QHash<quint16, bool> m_xfDates;
    QStringList m_chaines;
    struct Feuille {
        qint64 position;
        QString nom;
    };
    QVector<Feuille> m_feuilles;
};

QString Classeur97::octetsEnTexte(qint64 p, qint64 n) const {
    const QByteArray octets = m_flux.mid(p, n);
    switch (m_pageDeCode) {
        case 1252:
        case 0x8001:
        case 0:
            return db::Win1252::decode(octets);
        case 367:
            return QString::fromLatin1(octets);
        default:
            break;
    }
    static const QHash<quint16, const char*> noms = {
        {437, "IBM437"},        {850, "IBM850"},        {852, "IBM852"},
        {866, "IBM866"},        {874, "windows-874"},   {932, "Shift_JIS"},
        {936, "GBK"},           {949, "windows-949"},   {950, "Big5"},
        {1250, "windows-1250"}, {1251, "windows-1251"}, {1253, "windows-1253"},
        {1254, "windows-1254"}, {1255, "windows-1255"}, {1256, "windows-1256"},
        {1257, "windows-1257"}, {1258, "windows-1258"}, {10000, "macintosh"},
        {0x8000, "macintosh"},
    };
    QStringDecoder decodeur(noms.value(m_pageDeCode, "windows-1252"));
    return decodeur.isValid() ? QString(decodeur(octets)) : db::Win1252::decode(octets);
}

QString Classeur97::chaine(const Enregistrement& e, qint64 decalage, int longueur,
                           bool tronquer) const {
    qint64 p = e.debut + decalage;
    const qint64 fin = e.debut + e.taille;
    if (p + longueur > fin) {
        endommage(QStringLiteral("un texte sort de son enregistrement"));
    }
    qint64 n = longueur == 1 ? static_cast<quint8>(m_flux[p]) : u16(m_flux, p);
    p += longueur;
    if (!m_biff8) {
        if (p + n > fin) {
            if (!tronquer) {
                endommage(QStringLiteral("un texte sort de son enregistrement"));
            }
            n = fin - p;
        }
        return octetsEnTexte(p, n);
    }
    if (p + 1 > fin) {
        endommage(QStringLiteral("un texte sort de son enregistrement"));
    }
    const bool large = m_flux[p] & 0x01;
    ++p;
    if (p + n * (large ? 2 : 1) > fin) {
        if (!tronquer) {
            endommage(QStringLiteral("un texte sort de son enregistrement"));
        }
        n = (fin - p) / (large ? 2 : 1);
    }
    QString t(n, Qt::Uninitialized);
    for (qint64 i = 0; i < n; ++i) {
        t[i] = large ? QChar(u16(m_flux, p + 2 * i)) : QChar(static_cast<quint8>(m_flux[p + i]));
    }
    return t;
}

void Classeur97::lireChainesPartagees(QVector<Enregistrement> morceaux) {
    // The table runs over its record and the CONTINUE records after it. A text cut between
    // two of them goes on after a byte that says how its characters are written.
    int m = 0;
    qint64 p = morceaux[0].debut + 8;
    auto restant = [&] { return morceaux[m].debut + morceaux[m].taille - p; };
    auto suivant = [&] {
        if (m + 1 >= morceaux.size()) {
            endommage(QStringLiteral("la table des textes partagés est tronquée"));
        }
        ++m;
        p = morceaux[m].debut;
    };
    auto octets = [&](qint64 n) {
        // Moves over @p n bytes that are not characters.
        while (n > 0) {
            if (restant() == 0) {
                suivant();
            }
            const qint64 pas = std::min(n, restant());
            p += pas;
            n -= pas;
        }
    };
    auto lire16 = [&] {
        quint16 v = 0;
        for (int i = 0; i < 2; ++i) {
            if (restant() == 0) {
                suivant();
            }
            v |= static_cast<quint16>(static_cast<quint8>(m_flux[p++]) << (8 * i));
        }
        return v;
    };
    auto lire32 = [&] {
        return static_cast<quint32>(lire16()) | static_cast<quint32>(lire16()) << 16;
    };
    auto lire8 = [&] {
        if (restant() == 0) {
            suivant();
        }
        return static_cast<quint8>(m_flux[p++]);
    };

    exiger(morceaux[0], 8);
    const quint32 nombre = u32(m_flux, morceaux[0].debut + 4);
    for (quint32 i = 0; i < nombre; ++i) {
        if (restant() == 0 && m + 1 >= morceaux.size()) {
            // Some writers count more texts than they write; the cells say which they use.
            break;
        }
        const quint16 n = lire16();
        const quint8 drapeaux = lire8();
        const quint16 formats = (drapeaux & 0x08) ? lire16() : 0;
        const quint32 extension = (drapeaux & 0x04) ? lire32() : 0;
        bool large = drapeaux & 0x01;
        QString t;
        t.reserve(n);
        while (t.size() < n) {
            if (restant() == 0) {
                suivant();
                large = lire8() & 0x01;
            }
            const qint64 disponibles = restant() / (large ? 2 : 1);
            if (disponibles == 0) {
                endommage(QStringLiteral("la table des textes partagés est tronquée"));
            }
            const qint64 pris = std::min<qint64>(n - t.size(), disponibles);
            for (qint64 k = 0; k < pris; ++k) {
                t += large ? QChar(u16(m_flux, p + 2 * k))
                           : QChar(static_cast<quint8>(m_flux[p + k]));
            }
            p += pris * (large ? 2 : 1);
        }
        octets(4 * qint64(formats) + extension);
        m_chaines.append(t);
    }
}

void Classeur97::lireGlobal() {
    const Enregistrement bof = enregistrement(0);
    if (bof.type != 0x0809 || bof.taille < 4) {
        throw ImportError(nomFichier(m_path) +
                          QStringLiteral(" n'est pas un classeur Excel 97-2003 lisible : son "
                                         "classeur ne commence pas comme un classeur."));
    }
    const quint16 version = u16(m_flux, bof.debut);
    if (version != 0x0600 && version != 0x0500) {
        throw ImportError(nomFichier(m_path) +
                          QStringLiteral(" est un classeur Excel d'une version que le programme "
                                         "ne lit pas : enregistrez-le au format .xlsx."));
    }
    m_biff8 = version == 0x0600;
    m_pageDeCode = m_biff8 ? 1200 : 1252;
    qint64 p = bof.debut + bof.taille;
    while (p < m_flux.size()) {
        const Enregistrement e = enregistrement(p);
        p = e.debut + e.taille;
        switch (e.type) {
            case 0x000A:  // EOF
                return;
            case 0x002F:  // FILEPASS
                throw ImportError(
                    nomFichier(m_path) +
                    QStringLiteral(" est protégé par un mot de passe (chiffré) : "
                                   "enregistrez-le sans mot de passe puis recommencez."));
            case 0x0042:  // CODEPAGE
                exiger(e, 2);
                if (!m_biff8) {
                    m_pageDeCode = u16(m_flux, e.debut);
                }
                break;
            case 0x0022:  // DATEMODE
                exiger(e, 2);
                m_date1904 = u16(m_flux, e.debut) == 1;
                break;
            case 0x041E:  // FORMAT
                exiger(e, 3);
                m_formats.insert(u16(m_flux, e.debut), chaine(e, 2, m_biff8 ? 2 : 1));
                break;
            case 0x00E0:  // XF
                exiger(e, 4);
                m_xf.append(u16(m_flux, e.debut + 2));
                break;
            case 0x0085: {  // BOUNDSHEET
                exiger(e, 7);
                // Worksheets only: charts and macro sheets hold no cells to import.
                if (static_cast<quint8>(m_flux[e.debut + 5]) == 0) {
                    m_feuilles.append({u32(m_flux, e.debut), chaine(e, 6, 1)});
                }
                break;
            }
            case 0x00FC: {  // SST, and its CONTINUE records
                QVector<Enregistrement> morceaux{e};
                while (p < m_flux.size()) {
                    const Enregistrement c = enregistrement(p);
                    if (c.type != 0x003C) {
                        break;
                    }
                    morceaux.append(c);
                    p = c.debut + c.taille;
                }
                lireChainesPartagees(morceaux);
                break;
            }
            default:
                break;
        }
    }
}

bool Classeur97::estDate(quint16 xf) {
    auto it = m_xfDates.constFind(xf);
    if (it == m_xfDates.constEnd()) {
        const int format = xf < m_xf.size() ? m_xf[xf] : 0;
        it = m_xfDates.insert(xf, formatDeDate(format, m_formats.value(format)));
    }
    return *it;
}

/// What BIFF writes for the errors spreadsheets show.
QString codeErreur(quint8 code) {
    switch (code) {
        case 0x00:
            return QStringLiteral("#NULL!");
        case 0x07:
            return QStringLiteral("#DIV/0!");
        case 0x0F:
            return QStringLiteral("#VALUE!");
        case 0x17:
            return QStringLiteral("#REF!");
        case 0x1D:
            return QStringLiteral("#NAME?");
        case 0x24:
            return QStringLiteral("#NUM!");
        case 0x2A:
            return QStringLiteral("#N/A");
        default:
            return QStringLiteral("#ERREUR %1").arg(code);
    }
}

/// An RK number: 30 bits of an integer or of the high half of a double, perhaps × 100.
Cellule nombreRk(quint32 rk, bool date, bool date1904) {
    const bool centiemes = rk & 0x01;
    if (rk & 0x02) {
        const qint64 entier = static_cast<qint32>(rk) >> 2;
        if (!centiemes) {
            return date ? nombreOuDate(static_cast<double>(entier), true, date1904)
                        : Cellule::deNombreDecimal(QString::number(entier));
        }
        if (!date) {
            // Hundredths written exactly: 12345 is 123.45, not the double nearest to it.
            const qint64 absolu = entier < 0 ? -entier : entier;
            QString t = QStringLiteral("%1%2.%3")
                            .arg(entier < 0 ? QStringLiteral("-") : QString())
                            .arg(absolu / 100)
                            .arg(absolu % 100, 2, 10, QChar(u'0'));
            while (t.endsWith(u'0')) {
                t.chop(1);
            }
            if (t.endsWith(u'.')) {
                t.chop(1);
            }
            return Cellule::deNombreDecimal(t == u"-0" ? QStringLiteral("0") : t);
        }
        return nombreOuDate(static_cast<double>(entier) / 100.0, true, date1904);
    }
    double v = std::bit_cast<double>(static_cast<quint64>(rk & 0xFFFFFFFCu) << 32);
    if (centiemes) {
        v /= 100.0;
    }
    return nombreOuDate(v, date, date1904);
}

FeuilleSource Classeur97::lireFeuille(qint64 p, const QString& nom, qint64& fin) {
    FeuilleSource f;
    f.nom = nom;
    const Enregistrement bof = enregistrement(p);
    if (bof.type != 0x0809) {
        endommage(
            QStringLiteral("la feuille « %1 » ne commence pas là où le classeur le dit").arg(nom));
    }
    p = bof.debut + bof.taille;
    auto position = [&](const Enregistrement& e, qint64& ligne, qint64& colonne) {
        ligne = u16(m_flux, e.debut);
        colonne = u16(m_flux, e.debut + 2);
        if (colonne >= kColonnesXls) {
            horsLimites(m_path, nom, ligne, colonne, kLignesXls, kColonnesXls);
        }
    };
    auto definir = [&f](qint64 ligne, qint64 colonne, const Cellule& c) {
        f.definir(static_cast<int>(ligne), static_cast<int>(colonne), c);
    };
    // A formula saved with a text result gives the text in the STRING record after it.
    qint64 texteLigne = -1;
    qint64 texteColonne = -1;
    int profondeur = 0;
    while (true) {
        if (p >= m_flux.size()) {
            // A sheet without its end record: what was read stands.
            break;
        }
        const Enregistrement e = enregistrement(p);
        p = e.debut + e.taille;
        if (e.type == 0x0809) {
            // A chart inside the sheet has records of its own until its own end.
            ++profondeur;
            continue;
        }
        if (e.type == 0x000A) {
            if (profondeur == 0) {
                break;
            }
            --profondeur;
            continue;
        }
        if (profondeur > 0) {
            continue;
        }
        qint64 ligne = 0;
        qint64 colonne = 0;
        switch (e.type) {
            case 0x0200: {  // DIMENSION: checked, never used to reserve anything
                exiger(e, m_biff8 ? 12 : 8);
                const qint64 premiereLigne = m_biff8 ? u32(m_flux, e.debut) : u16(m_flux, e.debut);
                const qint64 lignes = m_biff8 ? u32(m_flux, e.debut + 4) : u16(m_flux, e.debut + 2);
                const qint64 colonnes = u16(m_flux, e.debut + (m_biff8 ? 10 : 6));
                if (lignes > kLignesXls || colonnes > kColonnesXls) {
                    throw ImportError(
                        nomFichier(m_path) +
                        QStringLiteral(" est illisible : la feuille « %1 » annonce des cellules "
                                       "jusqu'en %2%3 (%4 lignes, %5 colonnes), au-delà de ce "
                                       "que tient un classeur Excel 97-2003 (IV65536 : "
                                       "65 536 lignes, 256 colonnes).")
                            .arg(nom,
                                 lettreColonne(static_cast<int>(std::max<qint64>(colonnes, 1) - 1)))
                            .arg(std::max<qint64>(lignes, 1))
                            .arg(lignes)
                            .arg(colonnes));
                }
                if (premiereLigne > lignes) {
                    endommage(QStringLiteral("la feuille « %1 » annonce une étendue impossible")
                                  .arg(nom));
                }
                break;
            }
            case 0x0203:  // NUMBER
                exiger(e, 14);
                position(e, ligne, colonne);
                definir(ligne, colonne,
                        nombreOuDate(f64(m_flux, e.debut + 6), estDate(u16(m_flux, e.debut + 4)),
                                     m_date1904));
                break;
            case 0x027E:  // RK
                exiger(e, 10);
                position(e, ligne, colonne);
                definir(ligne, colonne,
                        nombreRk(u32(m_flux, e.debut + 6), estDate(u16(m_flux, e.debut + 4)),
                                 m_date1904));
                break;
            case 0x00BD: {  // MULRK: cells side by side, six bytes each
                exiger(e, 12);
                if ((e.taille - 6) % 6 != 0) {
                    endommage(QStringLiteral("un groupe de nombres de la feuille « %1 » est mal "
                                             "formé")
                                  .arg(nom));
                }
                position(e, ligne, colonne);
                const qint64 n = (e.taille - 6) / 6;
                if (colonne + n > kColonnesXls) {
                    horsLimites(m_path, nom, ligne, colonne + n - 1, kLignesXls, kColonnesXls);
                }
                for (qint64 i = 0; i < n; ++i) {
                    const qint64 a = e.debut + 4 + 6 * i;
                    definir(ligne, colonne + i,
                            nombreRk(u32(m_flux, a + 2), estDate(u16(m_flux, a)), m_date1904));
                }
                break;
            }
            case 0x0204:  // LABEL
            case 0x00D6:  // RSTRING
                exiger(e, 8);
                position(e, ligne, colonne);
                definir(ligne, colonne, Cellule::deTexte(chaine(e, 6, 2)));
                break;
            case 0x00FD: {  // LABELSST
                exiger(e, 10);
                position(e, ligne, colonne);
                const quint32 index = u32(m_flux, e.debut + 6);
                if (index >= static_cast<quint32>(m_chaines.size())) {
                    endommage(QStringLiteral("la cellule %1%2 de la feuille « %3 » renvoie à un "
                                             "texte partagé qui n'existe pas")
                                  .arg(lettreColonne(static_cast<int>(colonne)))
                                  .arg(ligne + 1)
                                  .arg(nom));
                }
                definir(ligne, colonne, Cellule::deTexte(m_chaines.at(index)));
                break;
            }
            case 0x0205: {  // BOOLERR
                exiger(e, 8);
                position(e, ligne, colonne);
                const quint8 valeur = static_cast<quint8>(m_flux[e.debut + 6]);
                definir(ligne, colonne,
                        m_flux[e.debut + 7] ? Cellule::deErreur(codeErreur(valeur))
                                            : Cellule::deBooleen(valeur != 0));
                break;
            }
            case 0x0006:  // FORMULA: the result it was saved with
            case 0x0206:
            case 0x0406: {
                exiger(e, 14);
                position(e, ligne, colonne);
                texteLigne = -1;
                const qint64 r = e.debut + 6;
                if (u16(m_flux, r + 6) != 0xFFFF) {
                    definir(ligne, colonne,
                            nombreOuDate(f64(m_flux, r), estDate(u16(m_flux, e.debut + 4)),
                                         m_date1904));
                    break;
                }
                switch (static_cast<quint8>(m_flux[r])) {
                    case 0:
                        texteLigne = ligne;
                        texteColonne = colonne;
                        // Until its text comes, the formula has no result.
                        definir(ligne, colonne, Cellule::deErreur(QString()));
                        break;
                    case 1:
                        definir(ligne, colonne, Cellule::deBooleen(m_flux[r + 2] != 0));
                        break;
                    case 2:
                        definir(ligne, colonne,
                                Cellule::deErreur(codeErreur(static_cast<quint8>(m_flux[r + 2]))));
                        break;
                    case 3:
                        // An empty text: the cell holds nothing.
                        definir(ligne, colonne, Cellule());
                        break;
                    default:
                        // What some writers put before a workbook was ever calculated.
                        definir(ligne, colonne, Cellule::deErreur(QString()));
                        break;
                }
                continue;
            }
            case 0x0207:  // STRING
                if (texteLigne >= 0) {
                    definir(texteLigne, texteColonne, Cellule::deTexte(chaine(e, 0, 2, true)));
                }
                break;
            default:
                break;
        }
        if (e.type != 0x0207 && e.type != 0x04BC && e.type != 0x0221 && e.type != 0x003C) {
            // The text of a formula follows it, perhaps after its shared formula or array.
            texteLigne = -1;
        }
    }
    fin = p;
    f.compacter();
    return f;
}

Classeur Classeur97::lire() {
    lireGlobal();
    // Sheets are read in the order of the stream and may not overlap: however the workbook
    // names them, reading costs no more than the stream.
    QVector<int> ordre(m_feuilles.size());
    for (int i = 0; i < ordre.size(); ++i) {
        ordre[i] = i;
    }
    std::stable_sort(ordre.begin(), ordre.end(), [this](int a, int b) {
        return m_feuilles[a].position < m_feuilles[b].position;
    });
    QVector<FeuilleSource> lues(m_feuilles.size());
    qint64 finPrecedente = 0;
    qint64 positionPrecedente = -1;
    int precedente = -1;
    for (const int i : ordre) {
        const Feuille& d = m_feuilles[i];
        if (d.position == positionPrecedente) {
            lues[i] = lues[precedente];
            lues[i].nom = d.nom;
            continue;
        }
        if (d.position < finPrecedente || d.position >= m_flux.size()) {
            endommage(QStringLiteral("la feuille « %1 » n'est pas là où le classeur la place")
                          .arg(d.nom));
        }
        lues[i] = lireFeuille(d.position, d.nom, finPrecedente);
        positionPrecedente = d.position;
        precedente = i;
    }
    Classeur classeur;
    classeur.feuilles = lues;
    return classeur;
}

}  // namespace

Classeur lireXls(const QByteArray& contenu, const QString& path) {
    const FichierCompose fichier(contenu, path);
    std::optional<QByteArray> flux = fichier.flux(QStringLiteral("Workbook"));
    if (!flux) {
        flux = fichier.flux(QStringLiteral("Book"));
    }
    if (!flux) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" n'est pas un classeur Excel (.xls) : il ne contient "
                                         "pas de classeur."));
    }
    Classeur97 classeur(*flux, path);
    return classeur.lire();
}

}  // namespace lecteurs
