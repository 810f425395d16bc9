// Our reader of Excel 2003 XML spreadsheets: worksheets, their rows and cells placed by
// ss:Index and ss:MergeAcross, and the typed value of each cell (texts, exact numbers, dates,
// booleans, and the errors of formulas).

#include "import/ImportError.h"
#include "import/LecteursInternes.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace lecteurs {

namespace {

const QString kSs = QStringLiteral("urn:schemas-microsoft-com:office:spreadsheet");

class Lecture {
public:
    Lecture(const QString& path, const QByteArray& xml) : m_path(path), m_r(xml) {}

    Classeur lire();

private:
    bool est(QLatin1StringView nom) const { return m_r.namespaceUri() == kSs && m_r.name() == nom; }
    /// An ss: position or count attribute, at least @p minimum; @p defaut when absent.
    /// Refuses what is not one.
    qint64 index(QLatin1StringView attribut, qint64 defaut, qint64 minimum = 1);
    void lireTable(FeuilleSource& f);
    Cellule lireDonnee();

    QString m_path;
    QXmlStreamReader m_r;
    QString m_feuille;
};

qint64 Lecture::index(QLatin1StringView attribut, qint64 defaut, qint64 minimum) {
    const QStringView v = m_r.attributes().value(kSs, attribut);
    if (v.isEmpty()) {
        return defaut;
    }
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok || n < minimum) {
        referenceInvalide(m_path, m_feuille, v.toString());
    }
    return n;
}

Cellule Lecture::lireDonnee() {
    const QString type = m_r.attributes().value(kSs, QLatin1StringView("Type")).toString();
    // Formatted text nests <B>, <Font>... inside the data: their text is the cell's.
    const QString texte = m_r.readElementText(QXmlStreamReader::IncludeChildElements);
    if (type == u"Number") {
        static const QRegularExpression decimal(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
        const QString t = texte.trimmed();
        if (decimal.match(t).hasMatch()) {
            return Cellule::deNombreDecimal(t);
        }
        bool ok = false;
        const double v = t.toDouble(&ok);
        return ok ? Cellule::deNombre(v) : Cellule::deTexte(texte);
    }
    if (type == u"DateTime") {
        const QDateTime d = QDateTime::fromString(texte.trimmed(), Qt::ISODateWithMs);
        return d.isValid() ? Cellule::deDate(d) : Cellule::deTexte(texte);
    }
    if (type == u"Boolean") {
        return Cellule::deBooleen(texte.trimmed() == u"1");
    }
    if (type == u"Error") {
        return Cellule::deErreur(texte.trimmed());
    }
    return Cellule::deTexte(texte);
}

void Lecture::lireTable(FeuilleSource& f) {
    qint64 ligne = -1;
    int profondeur = 1;
    while (profondeur > 0 && !m_r.atEnd()) {
        m_r.readNext();
        if (m_r.isEndElement()) {
            --profondeur;
            continue;
        }
        if (!m_r.isStartElement()) {
            continue;
        }
        if (!est(QLatin1StringView("Row"))) {
            m_r.skipCurrentElement();
            continue;
        }
        ligne = index(QLatin1StringView("Index"), ligne + 2) - 1;
        // Rows after this one with the same format: empty, they only move the next row down.
        const qint64 saut = index(QLatin1StringView("Span"), 0, 0);
        qint64 colonne = -1;
        while (!m_r.atEnd()) {
            m_r.readNext();
            if (m_r.isEndElement()) {
                break;
            }
            if (!m_r.isStartElement()) {
                continue;
            }
            if (!est(QLatin1StringView("Cell"))) {
                m_r.skipCurrentElement();
                continue;
            }
            colonne = index(QLatin1StringView("Index"), colonne + 2) - 1;
            const bool formule = m_r.attributes().hasAttribute(kSs, QLatin1StringView("Formula"));
            const qint64 fusion = index(QLatin1StringView("MergeAcross"), 0, 0);
            Cellule cellule;
            bool donnee = false;
            while (!m_r.atEnd()) {
                m_r.readNext();
                if (m_r.isEndElement()) {
                    break;
                }
                if (m_r.isStartElement()) {
                    if (est(QLatin1StringView("Data"))) {
                        cellule = lireDonnee();
                        donnee = true;
                    } else {
                        m_r.skipCurrentElement();
                    }
                }
            }
            if (!donnee && formule) {
                cellule = Cellule::deErreur(QString());
            }
            if (!cellule.estVide()) {
                if (ligne < 0 || colonne < 0 || ligne >= kLignesClasseur ||
                    colonne >= kColonnesClasseur) {
                    horsLimites(m_path, m_feuille, ligne, colonne, kLignesClasseur,
                                kColonnesClasseur);
                }
                f.definir(static_cast<int>(ligne), static_cast<int>(colonne), cellule);
            }
            colonne = std::min<qint64>(colonne + fusion, qint64(1) << 40);
        }
        ligne = std::min<qint64>(ligne + saut, qint64(1) << 40);
    }
}

Classeur Lecture::lire() {
    Classeur classeur;
    while (!m_r.atEnd()) {
        m_r.readNext();
        if (m_r.isStartElement() && est(QLatin1StringView("Worksheet"))) {
            FeuilleSource f;
            f.nom = m_r.attributes().value(kSs, QLatin1StringView("Name")).toString();
            m_feuille = f.nom;
            int profondeur = 1;
            while (profondeur > 0 && !m_r.atEnd()) {
                m_r.readNext();
                if (m_r.isStartElement()) {
                    if (est(QLatin1StringView("Table"))) {
                        lireTable(f);
                    } else {
                        m_r.skipCurrentElement();
                    }
                } else if (m_r.isEndElement()) {
                    --profondeur;
                }
            }
            f.compacter();
            classeur.feuilles.append(std::move(f));
        }
    }
    if (m_r.hasError()) {
        throw ImportError(
            QStringLiteral("%1 est endommagé : %2 %3.")
                .arg(nomFichier(m_path),
                     m_feuille.isEmpty()
                         ? QStringLiteral("son contenu est illisible,")
                         : QStringLiteral("la feuille « %1 » est illisible,").arg(m_feuille),
                     raisonXml(m_r)));
    }
    return classeur;
}

}  // namespace

Classeur lireXmlExcel(const QByteArray& contenu, const QString& path) {
    Lecture lecture(path, contenu);
    return lecture.lire();
}

}  // namespace lecteurs
