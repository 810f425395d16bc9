#include "import/Classeur.h"

#include <QLocale>

#include <algorithm>
#include <limits>

Cellule Cellule::deTexte(const QString& text) {
    Cellule c;
    c.genre = Genre::Texte;
    c.texte = text;
    return c;
}

Cellule Cellule::deNombre(double value) {
    Cellule c;
    c.genre = Genre::Nombre;
    // The shortest text that reads back to the same double is what the user typed.
    c.texte = QString::number(value, 'f', QLocale::FloatingPointShortest);
    if (c.texte == u"-0") {
        c.texte = QStringLiteral("0");
    }
    return c;
}

Cellule Cellule::deNombreDecimal(const QString& plain) {
    Cellule c;
    c.genre = Genre::Nombre;
    c.texte = plain;
    return c;
}

Cellule Cellule::deDate(const QDateTime& value) {
    Cellule c;
    c.genre = Genre::Date;
    c.dateHeure = value;
    return c;
}

Cellule Cellule::deBooleen(bool value) {
    Cellule c;
    c.genre = Genre::Booleen;
    c.texte = value ? QStringLiteral("1") : QStringLiteral("0");
    return c;
}

Cellule Cellule::deErreur(const QString& code) {
    Cellule c;
    c.genre = Genre::Erreur;
    c.texte = code;
    return c;
}

bool Cellule::estVide() const {
    switch (genre) {
        case Genre::Vide:
            return true;
        case Genre::Texte:
            for (const QChar ch : texte) {
                if (!ch.isSpace()) {
                    return false;
                }
            }
            return true;
        default:
            return false;
    }
}

QString Cellule::texteAffiche() const {
    switch (genre) {
        case Genre::Date:
            return dateHeure.time() == QTime(0, 0)
                       ? dateHeure.date().toString(QStringLiteral("dd/MM/yyyy"))
                       : dateHeure.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        case Genre::Booleen:
            return texte == u"1" ? QStringLiteral("Vrai") : QStringLiteral("Faux");
        case Genre::Erreur:
            return texte.isEmpty() ? QStringLiteral("(formule sans résultat)") : texte;
        default:
            return texte;
    }
}

namespace {

const Cellule& celluleVide() {
    static const Cellule vide;
    return vide;
}

}  // namespace

const Cellule& LigneSource::cellule(int colonne) const {
    // The last run starting at or before the column, if it reaches it.
    auto it = std::upper_bound(plages.cbegin(), plages.cend(), colonne,
                               [](int c, const Plage& p) { return c < p.colonne; });
    if (it == plages.cbegin()) {
        return celluleVide();
    }
    --it;
    return static_cast<qint64>(colonne) < static_cast<qint64>(it->colonne) + it->nombre
               ? it->cellule
               : celluleVide();
}

void FeuilleSource::definir(int ligne, int colonne, const Cellule& cellule) {
    if (ligne < 0 || colonne < 0) {
        return;
    }
    m_definies.append({ligne, colonne, cellule});
}

void FeuilleSource::ajouterLignes(int ligne, int repetitions, QVector<Plage> plages) {
    if (ligne < 0 || repetitions < 1 || plages.isEmpty()) {
        return;
    }
    m_lignes.append({ligne, repetitions, std::move(plages)});
}

void FeuilleSource::compacter() {
    if (!m_definies.isEmpty()) {
        // Sorting costs n log n whatever order the file gave its cells in; of two values of one
        // cell, the later one stands, as it would in the spreadsheet.
        const auto avant = [](const CelluleDefinie& a, const CelluleDefinie& b) {
            return a.ligne != b.ligne ? a.ligne < b.ligne : a.colonne < b.colonne;
        };
        // Files give their cells in order, almost always: then there is nothing to sort.
        if (!std::is_sorted(m_definies.cbegin(), m_definies.cend(), avant)) {
            std::stable_sort(m_definies.begin(), m_definies.end(), avant);
        }
        for (qsizetype i = 0; i < m_definies.size(); ++i) {
            const CelluleDefinie& d = m_definies[i];
            if (i + 1 < m_definies.size() && m_definies[i + 1].ligne == d.ligne &&
                m_definies[i + 1].colonne == d.colonne) {
                continue;
            }
            if (m_lignes.isEmpty() || m_lignes.back().ligne != d.ligne ||
                m_lignes.back().repetitions != 1) {
                m_lignes.append({d.ligne, 1, {}});
            }
            m_lignes.back().plages.append({d.colonne, 1, d.cellule});
        }
        m_definies = {};
    }
    std::stable_sort(m_lignes.begin(), m_lignes.end(),
                     [](const LigneSource& a, const LigneSource& b) { return a.ligne < b.ligne; });
    QVector<LigneSource> gardees;
    for (LigneSource& l : m_lignes) {
        l.plages.removeIf([](const Plage& p) { return p.nombre < 1 || p.cellule.estVide(); });
        if (!l.plages.isEmpty()) {
            gardees.append(std::move(l));
        }
    }
    m_lignes = std::move(gardees);
}

int FeuilleSource::nombreLignes() const {
    if (m_lignes.isEmpty()) {
        return 0;
    }
    const qint64 fin = static_cast<qint64>(m_lignes.back().ligne) + m_lignes.back().repetitions;
    return static_cast<int>(std::min<qint64>(fin, std::numeric_limits<int>::max()));
}

const LigneSource* FeuilleSource::ligne(int ligne) const {
    auto it = std::upper_bound(m_lignes.cbegin(), m_lignes.cend(), ligne,
                               [](int l, const LigneSource& s) { return l < s.ligne; });
    if (it == m_lignes.cbegin()) {
        return nullptr;
    }
    --it;
    return static_cast<qint64>(ligne) < static_cast<qint64>(it->ligne) + it->repetitions ? &*it
                                                                                         : nullptr;
}

const Cellule& FeuilleSource::cellule(int ligne, int colonne) const {
    const LigneSource* l = this->ligne(ligne);
    return l ? l->cellule(colonne) : celluleVide();
}

bool FeuilleSource::estVide() const {
    for (const LigneSource& l : m_lignes) {
        for (const Plage& p : l.plages) {
            if (!p.cellule.estVide()) {
                return false;
            }
        }
    }
    for (const CelluleDefinie& d : m_definies) {
        if (!d.cellule.estVide()) {
            return false;
        }
    }
    return true;
}

QStringList Classeur::nomsFeuilles() const {
    QStringList noms;
    for (const FeuilleSource& f : feuilles) {
        noms.append(f.nom);
    }
    return noms;
}

const FeuilleSource* Classeur::feuille(const QString& nom) const {
    for (const FeuilleSource& f : feuilles) {
        if (f.nom.compare(nom, Qt::CaseInsensitive) == 0) {
            return &f;
        }
    }
    return nullptr;
}

QString lettreColonne(int index) {
    QString lettre;
    for (qint64 n = static_cast<qint64>(index) + 1; n > 0; n = (n - 1) / 26) {
        lettre.prepend(QChar(static_cast<char16_t>(u'A' + (n - 1) % 26)));
    }
    return lettre;
}

int indexColonne(const QString& lettre) {
    const QString t = lettre.trimmed().toUpper();
    if (t.isEmpty() || t.size() > 3) {
        return -1;
    }
    int n = 0;
    for (const QChar c : t) {
        if (c < u'A' || c > u'Z') {
            return -1;
        }
        n = n * 26 + (c.unicode() - u'A' + 1);
    }
    return n - 1;
}
