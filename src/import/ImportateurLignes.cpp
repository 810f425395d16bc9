#include "import/ImportateurLignes.h"

#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "import/ConversionCellule.h"

#include <QRegularExpression>

namespace {

QString lignes(int n) {
    return n <= 1 ? QStringLiteral("%1 ligne importée").arg(n)
                  : QStringLiteral("%1 lignes importées").arg(n);
}

}  // namespace

QString BilanImport::rapport() const {
    if (probleme) {
        return QStringLiteral(
                   "Importation arrêtée. %1\n%2 avant ce problème ; elles restent "
                   "enregistrées. Rien n'a été écrit après elles.")
            .arg(probleme->texte(), lignes(importees));
    }
    QString t = annule ? QStringLiteral(
                             "Importation annulée : %1 avant l'annulation ; elles "
                             "restent enregistrées.")
                             .arg(lignes(importees))
                       : lignes(importees) + u'.';
    if (importees == 0 && !annule) {
        t += QStringLiteral(" La feuille n'a aucune ligne de données à partir de la ligne %1.")
                 .arg(premiereLigne);
    }
    if (videsIgnorees > 0) {
        t += QStringLiteral("\n%1 ligne(s) vide(s) ignorée(s).").arg(videsIgnorees);
    }
    return t;
}

ImportateurLignes::ImportateurLignes(Dataset& cible, const ReglageImport& reglage)
    : m_cible(cible), m_reglage(reglage) {
    const TableDef& table = m_cible.table();
    for (const CorrespondanceColonne& c : m_reglage.correspondances) {
        const int index = indexColonne(c.lettre);
        if (index >= 0 && m_cible.field(c.colonne)) {
            const FieldDef* f = m_cible.field(c.colonne);
            // The company, the year and the line number are what a template fills down every
            // row; the record rules give them to a line of their own.
            const bool cle = (table.detail && (f->name == u"MFISCAL" || f->name == u"EXERCICE")) ||
                             (table.lineNumbered() && f->name == u"LG");
            m_colonnes.append({index, c.lettre.trimmed().toUpper(), f->name, f, cle});
        }
    }
}

QString ImportateurLignes::verifierCorrespondances() const {
    int utiles = 0;
    for (const CorrespondanceColonne& c : m_reglage.correspondances) {
        if (!m_cible.field(c.colonne)) {
            return QStringLiteral("La colonne %1 n'existe pas dans la table %2.")
                .arg(c.colonne, m_cible.table().name);
        }
        if (c.lettre.trimmed().isEmpty()) {
            continue;
        }
        if (indexColonne(c.lettre) < 0) {
            return QStringLiteral("« %1 » n'est pas une lettre de colonne (colonne %2).")
                .arg(c.lettre, c.colonne);
        }
        ++utiles;
    }
    if (utiles == 0) {
        return QStringLiteral("Aucune colonne n'est associée à une lettre : rien à importer.");
    }
    if (m_reglage.premiereLigne < 1) {
        return QStringLiteral("La première ligne de données doit être 1 ou plus.");
    }
    return QString();
}

bool ImportateurLignes::ligneVide(const LigneSource& ligne) const {
    for (const Colonne& c : m_colonnes) {
        if (!c.cle && !ligne.cellule(c.index).estVide()) {
            return false;
        }
    }
    return true;
}

ImportProblem ImportateurLignes::problemeEnvoi(const QString& erreur, int ligne) const {
    ImportProblem p;
    p.ligne = ligne;
    auto nommer = [&](const QString& colonne) {
        for (const Colonne& c : m_colonnes) {
            if (c.nom.compare(colonne, Qt::CaseInsensitive) == 0) {
                p.lettre = c.lettre;
                p.colonne = c.nom;
                return;
            }
        }
        p.colonne = colonne;
    };
    static const QRegularExpression vide(QStringLiteral("^Field '([A-Z0-9_]+)' must have a value"));
    static const QRegularExpression caracteres(QStringLiteral("^Le champ ([A-Z0-9_]+) contient"));
    if (const auto m = vide.match(erreur); m.hasMatch()) {
        nommer(m.captured(1));
        p.raison = QStringLiteral("la colonne %1 doit avoir une valeur").arg(m.captured(1));
    } else if (const auto m2 = caracteres.match(erreur); m2.hasMatch()) {
        nommer(m2.captured(1));
        p.raison = erreur;
    } else if (erreur.contains(QStringLiteral("PRIMARY or UNIQUE KEY"))) {
        nommer(QStringLiteral("LG"));
        p.raison = QStringLiteral(
                       "le numéro de ligne %1 existe déjà pour cette société et cet "
                       "exercice")
                       .arg(m_cible.value(QStringLiteral("LG")).toText());
    } else {
        p.raison = QStringLiteral("la ligne n'a pas pu être enregistrée : %1").arg(erreur);
    }
    return p;
}

BilanImport ImportateurLignes::importer(const FeuilleSource& feuille,
                                        const Progression& progression) {
    BilanImport bilan;
    const int premiere = std::max(1, m_reglage.premiereLigne) - 1;
    bilan.total = std::max(0, feuille.nombreLignes() - premiere);
    bilan.premiereLigne = premiere + 1;
    const QString motif = verifierCorrespondances();
    if (!motif.isEmpty()) {
        bilan.probleme = ImportProblem{0, QString(), QString(), motif};
        return bilan;
    }
    // A line being typed on the page is sent first, as leaving it would; should it be
    // refused, nothing is imported.
    try {
        m_cible.checkBrowseMode();
    } catch (const db::DatabaseError& e) {
        bilan.probleme = ImportProblem{
            0, QString(), QString(),
            QStringLiteral("la ligne en cours de saisie n'a pas pu être enregistrée, rien n'a "
                           "été importé : %1")
                .arg(e.text())};
        return bilan;
    }

    // Only the rows the file holds are visited: the rows between them are empty, and a row
    // repeated by the file is looked at once.
    int suivante = premiere;
    for (const LigneSource& stockee : feuille.lignes()) {
        const qint64 fin = static_cast<qint64>(stockee.ligne) + stockee.repetitions;
        if (fin <= premiere) {
            continue;
        }
        const int debut = std::max(stockee.ligne, premiere);
        bilan.videsIgnorees += debut - suivante;
        suivante = static_cast<int>(fin);
        if (ligneVide(stockee)) {
            bilan.videsIgnorees += static_cast<int>(fin - debut);
            if (progression && !progression(static_cast<int>(fin) - premiere, bilan.total)) {
                bilan.annule = fin < feuille.nombreLignes();
                return bilan;
            }
            continue;
        }
        for (int r = debut; r < fin; ++r) {
            const int ligneFeuille = r + 1;
            if (!importerLigne(stockee, ligneFeuille, bilan)) {
                return bilan;
            }
            if (progression && !progression(r - premiere + 1, bilan.total)) {
                bilan.annule = r + 1 < feuille.nombreLignes();
                return bilan;
            }
        }
    }
    return bilan;
}

bool ImportateurLignes::importerLigne(const LigneSource& ligne, int ligneFeuille,
                                      BilanImport& bilan) {
    try {
        m_cible.append();
    } catch (const db::DatabaseError& e) {
        bilan.probleme = problemeEnvoi(e.text(), ligneFeuille);
        if (m_cible.state() == DatasetState::Insert) {
            m_cible.cancel();
        }
        return false;
    }
    for (const Colonne& c : m_colonnes) {
        const Cellule& cell = ligne.cellule(c.index);
        if (cell.estVide()) {
            continue;
        }
        try {
            m_cible.setValue(c.nom,
                             ConversionCellule::convertir(cell, *c.definition, m_reglage.valeurs));
        } catch (const ErreurConversion& e) {
            m_cible.cancel();
            bilan.probleme = ImportProblem{ligneFeuille, c.lettre, c.nom, e.raison()};
            return false;
        } catch (const db::DatabaseError& e) {
            m_cible.cancel();
            bilan.probleme = ImportProblem{ligneFeuille, c.lettre, c.nom, e.text()};
            return false;
        }
    }
    try {
        m_cible.post();
    } catch (const db::DatabaseError& e) {
        bilan.probleme = problemeEnvoi(e.text(), ligneFeuille);
        m_cible.cancel();
        return false;
    } catch (const std::exception& e) {
        bilan.probleme = problemeEnvoi(QString::fromLocal8Bit(e.what()), ligneFeuille);
        m_cible.cancel();
        return false;
    }
    ++bilan.importees;
    return true;
}

QStringList ImportateurLignes::colonnesApercu() const {
    QStringList noms;
    for (const Colonne& c : m_colonnes) {
        noms.append(QStringLiteral("%1 (%2)").arg(c.lettre, c.nom));
    }
    return noms;
}

QVector<ImportateurLignes::LigneApercu> ImportateurLignes::apercu(const FeuilleSource& feuille,
                                                                  int lignes) const {
    QVector<LigneApercu> out;
    const int premiere = std::max(1, m_reglage.premiereLigne) - 1;
    for (const LigneSource& stockee : feuille.lignes()) {
        if (out.size() >= lignes) {
            break;
        }
        const qint64 fin = static_cast<qint64>(stockee.ligne) + stockee.repetitions;
        if (fin <= premiere || ligneVide(stockee)) {
            continue;
        }
        for (int r = std::max(stockee.ligne, premiere); r < fin && out.size() < lignes; ++r) {
            out.append(ligneApercu(stockee, r + 1));
        }
    }
    return out;
}

ImportateurLignes::LigneApercu ImportateurLignes::ligneApercu(const LigneSource& ligne,
                                                              int ligneFeuille) const {
    const TableDef& table = m_cible.table();
    LigneApercu l;
    l.ligne = ligneFeuille;
    for (const Colonne& c : m_colonnes) {
        const FieldDef& f = *c.definition;
        QString valeur;
        QString erreur;
        const bool tampon =
            table.detail && (c.nom == u"MFISCAL" || c.nom == u"EXERCICE") && Dataprix;
        try {
            db::Value v =
                ConversionCellule::convertir(ligne.cellule(c.index), f, m_reglage.valeurs);
            if (tampon) {
                // Stamped with the active company and year when sent.
                v = c.nom == u"MFISCAL" ? db::Value(Dataprix->identifiantComplet())
                                        : Dataprix->exerciceActif();
            } else if (v.isNull() && table.zeroedWhenEmpty.contains(c.nom)) {
                v = db::Value(db::Decimal(0, f.scale));
            } else if (v.isNull() && c.nom == u"LG" && table.lineNumbered()) {
                valeur = QStringLiteral("(suivant)");
            }
            if (v.type() == db::Value::Type::Text && f.type != FieldType::Blob &&
                v.toText().size() > f.width) {
                v = db::Value(v.toText().left(f.width));
            }
            if (valeur.isEmpty()) {
                valeur = Dataset::displayText(f, v);
            }
        } catch (const ErreurConversion& e) {
            valeur = ligne.cellule(c.index).texteAffiche();
            erreur = e.raison();
        }
        l.valeurs.append(valeur);
        l.erreurs.append(erreur);
    }
    return l;
}
