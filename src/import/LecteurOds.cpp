// Our reader of OpenDocument spreadsheets: the cells of content.xml with their typed values
// (numbers, currency, percentages, dates, booleans, texts) and the errors of their formulas.
// Repeated rows and cells, with which LibreOffice writes identical neighbours and the empty
// rest of a sheet once, stay one row or one cell run here: reading costs what the file holds.

#include "import/ImportError.h"
#include "import/LecteursInternes.h"
#include "import/PaquetZip.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace lecteurs {

namespace {

const QString kTable = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kTexte = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kCalcExt =
    QStringLiteral("urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0");

/// The longest text a spreadsheet cell holds.
constexpr qsizetype kLongueurMaxTexte = 32767;

class Lecture {
public:
    Lecture(const QString& path, const QByteArray& xml) : m_path(path), m_r(xml) {}

    Classeur lire();

private:
    [[noreturn]] void endommage(const QString& raison) const {
        throw ImportError(QStringLiteral("%1 est endommagé : %2.").arg(nomFichier(m_path), raison));
    }
    bool est(const QString& ns, QLatin1StringView nom) const {
        return m_r.namespaceUri() == ns && m_r.name() == nom;
    }
    /// The repeat count of the current element's @p attribut: 1 by default.
    qint64 repetition(QLatin1StringView attribut);
    void lireTable(FeuilleSource& f);
    void lireLigne(FeuilleSource& f, qint64& ligne);
    Cellule lireCellule();
    /// The text of a <text:p> and what it holds, spaces and tabs as written.
    QString lireParagraphe();

    QString m_path;
    QXmlStreamReader m_r;
    QString m_feuille;
};

qint64 Lecture::repetition(QLatin1StringView attribut) {
    const QStringView v = m_r.attributes().value(kTable, attribut);
    if (v.isEmpty()) {
        return 1;
    }
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok || n < 1) {
        endommage(QStringLiteral("la feuille « %1 » répète une ligne ou une cellule « %2 » fois")
                      .arg(m_feuille, v.left(20).toString()));
    }
    return n;
}

QString Lecture::lireParagraphe() {
    QString t;
    int profondeur = 1;
    while (profondeur > 0 && !m_r.atEnd()) {
        m_r.readNext();
        if (m_r.isCharacters()) {
            t += m_r.text();
        } else if (m_r.isStartElement()) {
            if (est(kTexte, QLatin1StringView("s"))) {
                // Spaces written as a count: never more than a cell can show.
                const int n = m_r.attributes().value(kTexte, QLatin1StringView("c")).toInt();
                const qsizetype place = std::max<qsizetype>(0, kLongueurMaxTexte - t.size());
                t += QString(std::min<qsizetype>(std::max(n, 1), place), u' ');
            } else if (est(kTexte, QLatin1StringView("tab"))) {
                t += u'\t';
            } else if (est(kTexte, QLatin1StringView("line-break"))) {
                t += u'\n';
            } else if (est(kOffice, QLatin1StringView("annotation")) ||
                       est(kTexte, QLatin1StringView("note"))) {
                m_r.skipCurrentElement();
                continue;
            }
            ++profondeur;
        } else if (m_r.isEndElement()) {
            --profondeur;
        }
    }
    return t;
}

Cellule Lecture::lireCellule() {
    const QXmlStreamAttributes a = m_r.attributes();
    const QString type = a.value(kOffice, QLatin1StringView("value-type")).toString();
    const bool formule = !a.value(kTable, QLatin1StringView("formula")).isEmpty();
    const bool erreur = a.value(kCalcExt, QLatin1StringView("value-type")) == u"error";
    const QString valeur = a.value(kOffice, QLatin1StringView("value")).toString();
    const QString date = a.value(kOffice, QLatin1StringView("date-value")).toString();
    const QString booleen = a.value(kOffice, QLatin1StringView("boolean-value")).toString();
    const bool aChaine = a.hasAttribute(kOffice, QLatin1StringView("string-value"));
    const QString chaine = a.value(kOffice, QLatin1StringView("string-value")).toString();

    QStringList paragraphes;
    while (!m_r.atEnd()) {
        m_r.readNext();
        if (m_r.isStartElement()) {
            if (est(kTexte, QLatin1StringView("p"))) {
                paragraphes.append(lireParagraphe());
            } else {
                // Annotations, drawings, and what a newer version may add: not the value.
                m_r.skipCurrentElement();
            }
        } else if (m_r.isEndElement()) {
            break;
        }
    }
    const QString texte = paragraphes.join(u'\n');

    if (formule && (erreur || (type.isEmpty() && codeErreur(texte.trimmed())))) {
        return Cellule::deErreur(texte.trimmed());
    }
    if (type == u"float" || type == u"percentage" || type == u"currency") {
        static const QRegularExpression decimal(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
        if (decimal.match(valeur).hasMatch()) {
            return Cellule::deNombreDecimal(valeur);
        }
        bool ok = false;
        const double v = valeur.toDouble(&ok);
        return ok ? Cellule::deNombre(v) : Cellule::deTexte(texte);
    }
    if (type == u"date") {
        QDateTime d = QDateTime::fromString(date, Qt::ISODate);
        if (!d.isValid()) {
            d = QDateTime(QDate::fromString(date, Qt::ISODate), QTime(0, 0));
        }
        return d.isValid() ? Cellule::deDate(d) : Cellule::deTexte(texte);
    }
    if (type == u"boolean") {
        return Cellule::deBooleen(booleen == u"true" || booleen == u"1");
    }
    if (type == u"string" && aChaine) {
        return Cellule::deTexte(chaine);
    }
    if (formule && type.isEmpty() && texte.isEmpty()) {
        return Cellule::deErreur(QString());
    }
    // Texts, times (as shown), and cells that say nothing of their type.
    return Cellule::deTexte(texte);
}

void Lecture::lireLigne(FeuilleSource& f, qint64& ligne) {
    const qint64 lignes = repetition(QLatin1StringView("number-rows-repeated"));
    qint64 colonne = 0;
    QVector<Plage> plages;
    while (!m_r.atEnd()) {
        m_r.readNext();
        if (m_r.isEndElement()) {
            break;
        }
        if (!m_r.isStartElement()) {
            continue;
        }
        if (!est(kTable, QLatin1StringView("table-cell")) &&
            !est(kTable, QLatin1StringView("covered-cell"))) {
            m_r.skipCurrentElement();
            continue;
        }
        const qint64 colonnes = repetition(QLatin1StringView("number-columns-repeated"));
        const Cellule cellule = lireCellule();
        if (!cellule.estVide()) {
            // Only cells holding something must lie inside the sheet; the empty rest of a row
            // or of a sheet, however long, costs nothing.
            if (colonne + colonnes > kColonnesClasseur) {
                horsLimites(m_path, m_feuille, ligne, std::max<qint64>(colonne, kColonnesClasseur),
                            kLignesClasseur, kColonnesClasseur);
            }
            if (ligne + lignes > kLignesClasseur) {
                horsLimites(m_path, m_feuille, std::max<qint64>(ligne, kLignesClasseur), colonne,
                            kLignesClasseur, kColonnesClasseur);
            }
            plages.append({static_cast<int>(colonne), static_cast<int>(colonnes), cellule});
        }
        // Counts stay far from overflow: every repeat is at most 2^63 and is added once.
        colonne = std::min<qint64>(colonne + colonnes, qint64(1) << 40);
    }
    if (!plages.isEmpty()) {
        f.ajouterLignes(static_cast<int>(ligne), static_cast<int>(lignes), std::move(plages));
    }
    ligne = std::min<qint64>(ligne + lignes, qint64(1) << 40);
}

void Lecture::lireTable(FeuilleSource& f) {
    qint64 ligne = 0;
    int profondeur = 1;
    while (profondeur > 0 && !m_r.atEnd()) {
        m_r.readNext();
        if (m_r.isEndElement()) {
            --profondeur;
        } else if (m_r.isStartElement()) {
            if (est(kTable, QLatin1StringView("table-row"))) {
                lireLigne(f, ligne);
            } else if (est(kTable, QLatin1StringView("table-rows")) ||
                       est(kTable, QLatin1StringView("table-header-rows")) ||
                       est(kTable, QLatin1StringView("table-row-group"))) {
                // Groups of rows hold rows.
                ++profondeur;
            } else {
                m_r.skipCurrentElement();
            }
        }
    }
}

Classeur Lecture::lire() {
    Classeur classeur;
    while (!m_r.atEnd()) {
        m_r.readNext();
        if (m_r.isStartElement() && est(kTable, QLatin1StringView("table"))) {
            FeuilleSource f;
            f.nom = m_r.attributes().value(kTable, QLatin1StringView("name")).toString();
            m_feuille = f.nom;
            lireTable(f);
            f.compacter();
            classeur.feuilles.append(std::move(f));
        }
    }
    if (m_r.hasError()) {
        endommage(m_feuille.isEmpty()
                      ? QStringLiteral("son contenu est illisible, %1").arg(raisonXml(m_r))
                      : QStringLiteral("la feuille « %1 » est illisible, %2")
                            .arg(m_feuille, raisonXml(m_r)));
    }
    return classeur;
}

}  // namespace

Classeur lireOds(const QByteArray& contenu, const QString& path) {
    const PaquetZip paquet(contenu, path);
    if (!paquet.contient(QStringLiteral("content.xml"))) {
        throw ImportError(nomFichier(path) +
                          QStringLiteral(" n'est pas un classeur OpenDocument : il ne contient "
                                         "pas de feuilles (content.xml)."));
    }
    Lecture lecture(path, paquet.lire(QStringLiteral("content.xml")));
    return lecture.lire();
}

}  // namespace lecteurs
