#include "import/ImportError.h"
#include "import/LecteurSource.h"

#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

#include <memory>

namespace {

/// An opened package and the names of its parts.
class Paquet {
public:
    explicit Paquet(const QString& path) : m_path(path) {
        try {
            m_stream =
                std::make_unique<orcus::zip_archive_stream_fd>(QFile::encodeName(path).constData());
            m_zip = std::make_unique<orcus::zip_archive>(m_stream.get());
            m_zip->load();
            for (std::size_t i = 0; i < m_zip->get_file_entry_count(); ++i) {
                const std::string_view name = m_zip->get_file_entry_name(i);
                m_parts.insert(
                    QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toLower(),
                    std::string(name));
            }
        } catch (const std::exception& e) {
            throw ImportError(
                QStringLiteral("Le classeur « %1 » est endommagé ou tronqué : son contenu "
                               "compressé ne se lit pas (%2).")
                    .arg(QFileInfo(path).fileName(), QString::fromLocal8Bit(e.what())));
        }
    }

    bool contient(const QString& part) const { return m_parts.contains(part.toLower()); }

    /// The bytes of @p part; empty when the package has no such part.
    QByteArray lire(const QString& part) const {
        const auto it = m_parts.constFind(part.toLower());
        if (it == m_parts.constEnd()) {
            return QByteArray();
        }
        std::vector<unsigned char> buffer;
        bool ok = false;
        try {
            ok = m_zip->read_file_entry(*it, buffer);
        } catch (const std::exception&) {
            ok = false;
        }
        if (!ok) {
            throw ImportError(
                QStringLiteral("Le classeur « %1 » est endommagé : la partie %2 ne se lit pas.")
                    .arg(QFileInfo(m_path).fileName(), part));
        }
        // liborcus ends the buffer with a NUL for its own parsers: it is not part of the part.
        qsizetype size = static_cast<qsizetype>(buffer.size());
        if (size > 0 && buffer.back() == 0) {
            --size;
        }
        return QByteArray(reinterpret_cast<const char*>(buffer.data()), size);
    }

    const QString& path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<orcus::zip_archive_stream_fd> m_stream;
    std::unique_ptr<orcus::zip_archive> m_zip;
    QHash<QString, std::string> m_parts;
};

/// A part name from a relationship target: absolute ("/xl/...") or relative to @p base.
QString resoudre(const QString& base, const QString& target) {
    QString path = target.startsWith(u'/') ? target.mid(1) : base + target;
    QStringList out;
    for (const QString& piece : path.split(u'/', Qt::SkipEmptyParts)) {
        if (piece == u"..") {
            if (!out.isEmpty()) {
                out.removeLast();
            }
        } else if (piece != u".") {
            out.append(piece);
        }
    }
    return out.join(u'/');
}

QString dossierDe(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relsDe(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

struct Relation {
    QString type;
    QString target;
    bool absolue = false;
};

QHash<QString, Relation> relations(const QByteArray& xml) {
    QHash<QString, Relation> out;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"Relationship") {
            const auto a = r.attributes();
            const QString target = a.value(QLatin1StringView("Target")).toString();
            out.insert(
                a.value(QLatin1StringView("Id")).toString(),
                {a.value(QLatin1StringView("Type")).toString(), target, target.startsWith(u'/')});
        }
    }
    return out;
}

struct FeuilleDecrite {
    QString nom;
    QString part;
};

struct Structure {
    QString workbook;
    QVector<FeuilleDecrite> feuilles;
    QString sharedStrings;
    QString styles;
    bool date1904 = false;
    bool cheminsAbsolus = false;
};

Structure structure(const Paquet& p) {
    Structure s;
    const auto racine = relations(p.lire(QStringLiteral("_rels/.rels")));
    for (const Relation& rel : racine) {
        if (rel.type.endsWith(u"/officeDocument")) {
            s.workbook = resoudre(QString(), rel.target);
            s.cheminsAbsolus |= rel.absolue;
        }
    }
    if (s.workbook.isEmpty() && p.contient(QStringLiteral("xl/workbook.xml"))) {
        s.workbook = QStringLiteral("xl/workbook.xml");
    }
    if (s.workbook.isEmpty() || !p.contient(s.workbook)) {
        throw ImportError(QStringLiteral("Le fichier « %1 » n'est pas un classeur Excel : il ne "
                                         "contient pas de classeur.")
                              .arg(QFileInfo(p.path()).fileName()));
    }
    const QString base = dossierDe(s.workbook);
    const auto rels = relations(p.lire(relsDe(s.workbook)));
    for (const Relation& rel : rels) {
        s.cheminsAbsolus |= rel.absolue;
        if (rel.type.endsWith(u"/sharedStrings")) {
            s.sharedStrings = resoudre(base, rel.target);
        } else if (rel.type.endsWith(u"/styles")) {
            s.styles = resoudre(base, rel.target);
        }
    }
    QXmlStreamReader r(p.lire(s.workbook));
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement()) {
            continue;
        }
        if (r.name() == u"workbookPr") {
            const QString v = r.attributes().value(QLatin1StringView("date1904")).toString();
            s.date1904 = v == u"1" || v == u"true";
        } else if (r.name() == u"sheet") {
            const auto a = r.attributes();
            QString id;
            for (const QXmlStreamAttribute& attr : a) {
                if (attr.name() == u"id") {
                    id = attr.value().toString();
                }
            }
            const auto rel = rels.constFind(id);
            if (rel != rels.constEnd() && rel->type.endsWith(u"/worksheet")) {
                s.feuilles.append(
                    {a.value(QLatin1StringView("name")).toString(), resoudre(base, rel->target)});
            }
        }
    }
    if (r.hasError()) {
        throw ImportError(QStringLiteral("Le classeur « %1 » est endommagé : %2.")
                              .arg(QFileInfo(p.path()).fileName(), r.errorString()));
    }
    return s;
}

/// The text of a <si> or <is> element: its <t> pieces, phonetic runs left out.
QString texteRiche(QXmlStreamReader& r) {
    const QString fin = r.name().toString();
    QString texte;
    int phonetique = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == u"rPh") {
                ++phonetique;
            } else if (r.name() == u"t" && phonetique == 0) {
                texte += r.readElementText(QXmlStreamReader::IncludeChildElements);
            }
        } else if (r.isEndElement()) {
            if (r.name() == u"rPh") {
                --phonetique;
            } else if (r.name() == fin) {
                break;
            }
        }
    }
    return texte;
}

QStringList chainesPartagees(const QByteArray& xml) {
    QStringList out;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"si") {
            out.append(texteRiche(r));
        }
    }
    return out;
}

bool codeDeDate(int id, const QString& code) {
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
        (id >= 50 && id <= 58)) {
        return true;
    }
    if (code.isEmpty()) {
        return false;
    }
    // Quoted text, bracketed parts and escaped characters are not placeholders.
    QString nu;
    bool cite = false;
    int crochet = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"') {
            cite = !cite;
        } else if (!cite && c == u'[') {
            ++crochet;
        } else if (!cite && c == u']') {
            --crochet;
        } else if (!cite && c == u'\\') {
            ++i;
        } else if (!cite && crochet == 0) {
            nu += c.toLower();
        }
    }
    return nu.contains(u'd') || nu.contains(u'y');
}

/// For each cell format (the s attribute), whether it shows a date.
QVector<bool> formatsDeDate(const QByteArray& xml) {
    QHash<int, QString> codes;
    QVector<bool> out;
    QXmlStreamReader r(xml);
    bool dansXfs = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == u"numFmt") {
                codes.insert(r.attributes().value(QLatin1StringView("numFmtId")).toInt(),
                             r.attributes().value(QLatin1StringView("formatCode")).toString());
            } else if (r.name() == u"cellXfs") {
                dansXfs = true;
            } else if (dansXfs && r.name() == u"xf") {
                const int id = r.attributes().value(QLatin1StringView("numFmtId")).toInt();
                out.append(codeDeDate(id, codes.value(id)));
            }
        } else if (r.isEndElement() && r.name() == u"cellXfs") {
            dansXfs = false;
        }
    }
    return out;
}

/// "B12" → row 11, column 1.
bool reference(QStringView ref, int& ligne, int& colonne) {
    int c = 0;
    qsizetype i = 0;
    while (i < ref.size() && ref[i].isLetter()) {
        c = c * 26 + (ref[i].toUpper().unicode() - u'A' + 1);
        ++i;
    }
    bool ok = false;
    const int l = ref.mid(i).toInt(&ok);
    if (c == 0 || !ok || l < 1) {
        return false;
    }
    ligne = l - 1;
    colonne = c - 1;
    return true;
}

FeuilleSource lireFeuille(const QByteArray& xml, const QString& nom, const QStringList& partagees,
                          const QVector<bool>& dates, bool date1904) {
    FeuilleSource f;
    f.nom = nom;
    QXmlStreamReader r(xml);
    int ligne = -1;
    int colonne = -1;
    const QDate origine = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement()) {
            continue;
        }
        if (r.name() == u"row") {
            const int n = r.attributes().value(QLatin1StringView("r")).toInt();
            ligne = n > 0 ? n - 1 : ligne + 1;
            colonne = -1;
            continue;
        }
        if (r.name() != u"c") {
            continue;
        }
        const auto a = r.attributes();
        int l = ligne;
        int c = colonne + 1;
        if (!reference(a.value(QLatin1StringView("r")), l, c)) {
            l = std::max(ligne, 0);
            c = colonne + 1;
        }
        ligne = l;
        colonne = c;
        const QString type = a.value(QLatin1StringView("t")).toString();
        const int style = a.value(QLatin1StringView("s")).toInt();
        QString valeur;
        QString enLigne;
        bool aValeur = false;
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement() && r.name() == u"v") {
                valeur = r.readElementText();
                aValeur = true;
            } else if (r.isStartElement() && r.name() == u"is") {
                enLigne = texteRiche(r);
                aValeur = true;
            } else if (r.isStartElement()) {
                r.skipCurrentElement();
            } else if (r.isEndElement() && r.name() == u"c") {
                break;
            }
        }
        if (!aValeur) {
            continue;
        }
        Cellule cell;
        if (type == u"s") {
            const int index = valeur.trimmed().toInt();
            cell = Cellule::deTexte(partagees.value(index));
        } else if (type == u"inlineStr") {
            cell = Cellule::deTexte(enLigne);
        } else if (type == u"str" || type == u"e") {
            cell = Cellule::deTexte(valeur);
        } else if (type == u"b") {
            cell = Cellule::deBooleen(valeur.trimmed() == u"1");
        } else if (type == u"d") {
            cell = Cellule::deDate(QDateTime::fromString(valeur.trimmed(), Qt::ISODate));
        } else {
            bool ok = false;
            const double v = valeur.trimmed().toDouble(&ok);
            if (!ok) {
                cell = Cellule::deTexte(valeur);
            } else if (style >= 0 && style < dates.size() && dates[style] && v >= 0 &&
                       v < 2958466) {
                const qint64 jours = static_cast<qint64>(v);
                const qint64 secondes = qRound64((v - static_cast<double>(jours)) * 86400.0);
                cell = Cellule::deDate(
                    QDateTime(origine.addDays(jours), QTime(0, 0)).addSecs(secondes));
            } else {
                cell = Cellule::deNombre(v);
            }
        }
        f.definir(ligne, colonne, cell);
    }
    if (r.hasError()) {
        throw ImportError(
            QStringLiteral("La feuille « %1 » est endommagée : %2.").arg(nom, r.errorString()));
    }
    f.compacter();
    return f;
}

bool aDesCellules(const QByteArray& xml) {
    return xml.contains("<v>") || xml.contains("<v ") || xml.contains("<is>") ||
           xml.contains(":v>") || xml.contains(":is>");
}

}  // namespace

Classeur LecteurPaquetXlsx::lire(const QString& path) {
    const Paquet p(path);
    const Structure s = structure(p);
    const QStringList partagees =
        s.sharedStrings.isEmpty() ? QStringList() : chainesPartagees(p.lire(s.sharedStrings));
    const QVector<bool> dates =
        s.styles.isEmpty() ? QVector<bool>() : formatsDeDate(p.lire(s.styles));
    Classeur classeur;
    for (const FeuilleDecrite& d : s.feuilles) {
        classeur.feuilles.append(lireFeuille(p.lire(d.part), d.nom, partagees, dates, s.date1904));
    }
    return classeur;
}

LecteurPaquetXlsx::Analyse LecteurPaquetXlsx::analyser(const QString& path) {
    const Paquet p(path);
    const Structure s = structure(p);
    Analyse a;
    a.demandeCeLecteur = s.cheminsAbsolus;
    for (const FeuilleDecrite& d : s.feuilles) {
        const QByteArray xml = p.lire(d.part);
        a.demandeCeLecteur |= xml.contains("inlineStr");
        a.feuillesAvecCellules.append(aDesCellules(xml));
    }
    return a;
}
