#include "import/Classeur.h"

#include <QLocale>

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
        default:
            return texte;
    }
}

const Cellule& FeuilleSource::cellule(int ligne, int colonne) const {
    static const Cellule vide;
    if (ligne < 0 || ligne >= lignes.size() || colonne < 0 || colonne >= lignes[ligne].size()) {
        return vide;
    }
    return lignes[ligne][colonne];
}

bool FeuilleSource::estVide() const {
    for (const auto& ligne : lignes) {
        for (const Cellule& c : ligne) {
            if (!c.estVide()) {
                return false;
            }
        }
    }
    return true;
}

void FeuilleSource::definir(int ligne, int colonne, const Cellule& cellule) {
    if (ligne < 0 || colonne < 0) {
        return;
    }
    if (ligne >= lignes.size()) {
        lignes.resize(ligne + 1);
    }
    auto& row = lignes[ligne];
    if (colonne >= row.size()) {
        row.resize(colonne + 1);
    }
    row[colonne] = cellule;
}

void FeuilleSource::compacter() {
    for (auto& ligne : lignes) {
        while (!ligne.isEmpty() && ligne.back().estVide()) {
            ligne.removeLast();
        }
    }
    while (!lignes.isEmpty() && lignes.back().isEmpty()) {
        lignes.removeLast();
    }
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
    for (int n = index + 1; n > 0; n = (n - 1) / 26) {
        lettre.prepend(QChar(u'A' + (n - 1) % 26));
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
