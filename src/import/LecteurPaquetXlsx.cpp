// Our reader of .xlsx packages: every workbook Excel, LibreOffice or another tool writes
// (shared or inline strings, relative or absolute part names), every cell it holds, and only
// those: a lone cell at XFD1048576 costs one cell.

#include "import/ImportError.h"
#include "import/LecteursInternes.h"
#include "import/PaquetZip.h"

#include <QHash>
#include <QXmlStreamReader>

namespace lecteurs {

namespace {

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
};

class Lecture {
public:
    Lecture(const QByteArray& contenu, const QString& path)
        : m_path(path), m_paquet(contenu, path) {}

    Classeur lire();

private:
    [[noreturn]] void endommage(const QString& quoi, const QXmlStreamReader& r) const {
        throw ImportError(QStringLiteral("%1 est endommagé : %2 %3.")
                              .arg(nomFichier(m_path), quoi, raisonXml(r)));
    }
    QHash<QString, Relation> relations(const QString& part) const;
    QString texteRiche(QXmlStreamReader& r) const;
    void chainesPartagees(const QString& part);
    void formatsDeDate(const QString& part);
    FeuilleSource lireFeuille(const QString& part, const QString& nom) const;

    QString m_path;
    PaquetZip m_paquet;
    QStringList m_partagees;
    QVector<bool> m_dates;
    bool m_date1904 = false;
};

QHash<QString, Relation> Lecture::relations(const QString& part) const {
    QHash<QString, Relation> out;
    QXmlStreamReader r(m_paquet.lire(part));
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"Relationship") {
            const auto a = r.attributes();
            out.insert(a.value(QLatin1StringView("Id")).toString(),
                       {a.value(QLatin1StringView("Type")).toString(),
                        a.value(QLatin1StringView("Target")).toString()});
        }
    }
    if (r.hasError() && m_paquet.contient(part)) {
        endommage(QStringLiteral("la partie %1 :").arg(part), r);
    }
    return out;
}

/// The text of a <si> or <is> element: its <t> pieces, phonetic runs left out.
QString Lecture::texteRiche(QXmlStreamReader& r) const {
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

void Lecture::chainesPartagees(const QString& part) {
    QXmlStreamReader r(m_paquet.lire(part));
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"si") {
            m_partagees.append(texteRiche(r));
        }
    }
    if (r.hasError()) {
        endommage(QStringLiteral("sa table des chaînes partagées :"), r);
    }
}

/// For each cell format (the s attribute), whether it shows a date.
void Lecture::formatsDeDate(const QString& part) {
    QHash<int, QString> codes;
    QXmlStreamReader r(m_paquet.lire(part));
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
                m_dates.append(formatDeDate(id, codes.value(id)));
            }
        } else if (r.isEndElement() && r.name() == u"cellXfs") {
            dansXfs = false;
        }
    }
    if (r.hasError()) {
        endommage(QStringLiteral("ses styles :"), r);
    }
}

/// A reference "B12": row 11, column 1, checked against the sheet's limits.
enum class Reference { Valide, Invalide, HorsLimites };

Reference lireReference(QStringView ref, qint64& ligne, qint64& colonne) {
    qsizetype i = 0;
    qint64 c = 0;
    while (i < ref.size() &&
           ((ref[i] >= u'A' && ref[i] <= u'Z') || (ref[i] >= u'a' && ref[i] <= u'z'))) {
        // Counted only as far as the first letters beyond the last column: no overflow.
        if (c <= kColonnesClasseur) {
            c = c * 26 + (ref[i].toUpper().unicode() - u'A' + 1);
        }
        ++i;
    }
    qint64 l = 0;
    const qsizetype chiffres = i;
    while (i < ref.size() && ref[i] >= u'0' && ref[i] <= u'9') {
        if (l <= kLignesClasseur) {
            l = l * 10 + (ref[i].unicode() - u'0');
        }
        ++i;
    }
    if (c == 0 || i == chiffres || i != ref.size() || l < 1) {
        return Reference::Invalide;
    }
    ligne = l - 1;
    colonne = c - 1;
    return l > kLignesClasseur || c > kColonnesClasseur ? Reference::HorsLimites
                                                        : Reference::Valide;
}

FeuilleSource Lecture::lireFeuille(const QString& part, const QString& nom) const {
    FeuilleSource f;
    f.nom = nom;
    QXmlStreamReader r(m_paquet.lire(part));
    qint64 ligne = -1;
    qint64 colonne = -1;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement()) {
            continue;
        }
        if (r.name() == u"row") {
            const QStringView attribut = r.attributes().value(QLatin1StringView("r"));
            if (attribut.isEmpty()) {
                ++ligne;
            } else {
                bool ok = false;
                const qint64 n = attribut.toLongLong(&ok);
                if (!ok || n < 1) {
                    referenceInvalide(m_path, nom, attribut.toString());
                }
                ligne = n - 1;
            }
            if (ligne >= kLignesClasseur) {
                horsLimites(m_path, nom, ligne, 0, kLignesClasseur, kColonnesClasseur);
            }
            colonne = -1;
            continue;
        }
        if (r.name() != u"c") {
            continue;
        }
        const auto a = r.attributes();
        const QStringView ref = a.value(QLatin1StringView("r"));
        if (ref.isEmpty()) {
            ligne = std::max<qint64>(ligne, 0);
            ++colonne;
        } else {
            switch (lireReference(ref, ligne, colonne)) {
                case Reference::Valide:
                    break;
                case Reference::Invalide:
                    referenceInvalide(m_path, nom, ref.toString());
                case Reference::HorsLimites:
                    horsLimites(m_path, nom, ligne, colonne, kLignesClasseur, kColonnesClasseur,
                                ref.toString());
            }
        }
        if (colonne >= kColonnesClasseur) {
            horsLimites(m_path, nom, ligne, colonne, kLignesClasseur, kColonnesClasseur);
        }
        const QStringView type = a.value(QLatin1StringView("t"));
        const int style = a.value(QLatin1StringView("s")).toInt();
        QString valeur;
        QString enLigne;
        bool aValeur = false;
        bool aFormule = false;
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement() && r.name() == u"v") {
                valeur = r.readElementText();
                aValeur = true;
            } else if (r.isStartElement() && r.name() == u"is") {
                enLigne = texteRiche(r);
                aValeur = true;
            } else if (r.isStartElement()) {
                aFormule |= r.name() == u"f";
                r.skipCurrentElement();
            } else if (r.isEndElement() && r.name() == u"c") {
                break;
            }
        }
        Cellule cell;
        if (!aValeur) {
            if (!aFormule) {
                continue;
            }
            // A formula saved without its result: the file does not say what it holds.
            cell = Cellule::deErreur(QString());
        } else if (type == u"s") {
            bool ok = false;
            const qsizetype index = valeur.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= m_partagees.size()) {
                throw ImportError(
                    QStringLiteral("%1 est endommagé : la cellule %2%3 de la feuille « %4 » "
                                   "renvoie à une chaîne partagée qui n'existe pas.")
                        .arg(nomFichier(m_path), lettreColonne(static_cast<int>(colonne)))
                        .arg(ligne + 1)
                        .arg(nom));
            }
            cell = Cellule::deTexte(m_partagees.at(index));
        } else if (type == u"inlineStr") {
            cell = Cellule::deTexte(enLigne);
        } else if (type == u"str") {
            cell = Cellule::deTexte(valeur);
        } else if (type == u"e") {
            // "#N/A", "#REF!"...: what the spreadsheet shows for a failed formula.
            cell = Cellule::deErreur(valeur.trimmed());
        } else if (type == u"b") {
            cell = Cellule::deBooleen(valeur.trimmed() == u"1" ||
                                      valeur.trimmed().compare(u"true", Qt::CaseInsensitive) == 0);
        } else if (type == u"d") {
            const QDateTime d = QDateTime::fromString(valeur.trimmed(), Qt::ISODate);
            cell = d.isValid() ? Cellule::deDate(d) : Cellule::deTexte(valeur);
        } else {
            bool ok = false;
            const double v = valeur.trimmed().toDouble(&ok);
            if (!ok) {
                cell = Cellule::deTexte(valeur);
            } else {
                cell = nombreOuDate(v, style >= 0 && style < m_dates.size() && m_dates[style],
                                    m_date1904);
            }
        }
        f.definir(static_cast<int>(ligne), static_cast<int>(colonne), cell);
    }
    if (r.hasError()) {
        throw ImportError(QStringLiteral("%1 est endommagé : la feuille « %2 » est illisible, %3.")
                              .arg(nomFichier(m_path), nom, raisonXml(r)));
    }
    f.compacter();
    return f;
}

Classeur Lecture::lire() {
    QString workbook;
    for (const Relation& rel : relations(QStringLiteral("_rels/.rels"))) {
        if (rel.type.endsWith(u"/officeDocument")) {
            workbook = resoudre(QString(), rel.target);
        }
    }
    if (workbook.isEmpty() && m_paquet.contient(QStringLiteral("xl/workbook.xml"))) {
        workbook = QStringLiteral("xl/workbook.xml");
    }
    if (workbook.isEmpty() || !m_paquet.contient(workbook)) {
        throw ImportError(nomFichier(m_path) +
                          QStringLiteral(" n'est pas un classeur Excel : il ne contient pas de "
                                         "classeur."));
    }
    const QString base = dossierDe(workbook);
    const auto rels = relations(relsDe(workbook));
    for (const Relation& rel : rels) {
        if (rel.type.endsWith(u"/sharedStrings")) {
            chainesPartagees(resoudre(base, rel.target));
        } else if (rel.type.endsWith(u"/styles")) {
            formatsDeDate(resoudre(base, rel.target));
        }
    }
    struct FeuilleDecrite {
        QString nom;
        QString part;
    };
    QVector<FeuilleDecrite> feuilles;
    QXmlStreamReader r(m_paquet.lire(workbook));
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement()) {
            continue;
        }
        if (r.name() == u"workbookPr") {
            const QStringView v = r.attributes().value(QLatin1StringView("date1904"));
            m_date1904 = v == u"1" || v == u"true";
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
                feuilles.append(
                    {a.value(QLatin1StringView("name")).toString(), resoudre(base, rel->target)});
            }
        }
    }
    if (r.hasError()) {
        endommage(QStringLiteral("la description de ses feuilles :"), r);
    }
    Classeur classeur;
    // Two sheets naming the same part read it once: a package cannot make its reading cost
    // more than its parts.
    QHash<QString, FeuilleSource> lues;
    for (const FeuilleDecrite& d : feuilles) {
        if (!m_paquet.contient(d.part)) {
            throw ImportError(QStringLiteral("%1 est endommagé : la feuille « %2 » manque (la "
                                             "partie %3 n'est pas dans le fichier).")
                                  .arg(nomFichier(m_path), d.nom, d.part));
        }
        auto it = lues.constFind(d.part);
        if (it == lues.constEnd()) {
            it = lues.insert(d.part, lireFeuille(d.part, d.nom));
        }
        FeuilleSource f = *it;
        f.nom = d.nom;
        classeur.feuilles.append(std::move(f));
    }
    return classeur;
}

}  // namespace

Classeur lireXlsx(const QByteArray& contenu, const QString& path) {
    Lecture lecture(contenu, path);
    return lecture.lire();
}

}  // namespace lecteurs
