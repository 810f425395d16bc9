#include "import/LecteursInternes.h"

#include "import/ImportError.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <limits>

namespace lecteurs {

namespace {

/// 1048576 → "1 048 576", whatever the computer's regional settings.
QString milliers(qint64 n) {
    QString chiffres = QString::number(n);
    for (qsizetype i = chiffres.size() - 3; i > 0 && chiffres[i - 1].isDigit(); i -= 3) {
        chiffres.insert(i, QChar(0x00A0));
    }
    return chiffres;
}

QString reference(qint64 ligne, qint64 colonne) {
    const QString lettres = colonne >= 0 && colonne < std::numeric_limits<int>::max()
                                ? lettreColonne(static_cast<int>(colonne))
                                : QStringLiteral("(colonne %1)").arg(colonne + 1);
    return lettres + QString::number(ligne + 1);
}

/// A reference as the file writes it, cut to a readable length.
QString coupee(const QString& ref) {
    return ref.size() > 20 ? ref.left(20) + QChar(0x2026) : ref;
}

}  // namespace

QString nomFichier(const QString& path) {
    return QStringLiteral("Le fichier « %1 »").arg(QFileInfo(path).fileName());
}

void horsLimites(const QString& path, const QString& feuille, qint64 ligne, qint64 colonne,
                 int lignesMax, int colonnesMax, const QString& ref) {
    const QString classeur = colonnesMax == kColonnesXls
                                 ? QStringLiteral("d'un classeur Excel 97-2003")
                                 : QStringLiteral("d'un classeur");
    const QString limite =
        colonne >= colonnesMax || colonne < 0
            ? QStringLiteral("la dernière colonne %1 (%2)")
                  .arg(classeur, lettreColonne(colonnesMax - 1))
            : QStringLiteral("la dernière ligne %1 (%2)").arg(classeur, milliers(lignesMax));
    throw ImportError(
        nomFichier(path) +
        QStringLiteral(" est illisible : la feuille « %1 » a une cellule en %2, "
                       "au-delà de %3.")
            .arg(feuille, ref.isEmpty() ? reference(ligne, colonne) : coupee(ref), limite));
}

void referenceInvalide(const QString& path, const QString& feuille, const QString& ref) {
    const QString vue = coupee(ref);
    throw ImportError(nomFichier(path) +
                      QStringLiteral(" est illisible : la feuille « %1 » a une cellule dont la "
                                     "référence « %2 » n'en est pas une.")
                          .arg(feuille, vue));
}

QString detail(const QString& texte) {
    QString t = texte.trimmed();
    while (t.endsWith(u'.')) {
        t.chop(1);
    }
    return t.isEmpty() ? QString() : QStringLiteral(" (détail : %1)").arg(t);
}

QString raisonXml(const QXmlStreamReader& r) {
    const QString anglais = r.errorString();
    QString raison;
    if (r.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
        raison = QStringLiteral("son XML s'arrête avant sa fin");
    } else if (anglais.contains(QLatin1StringView("expansion limit"))) {
        raison = QStringLiteral("une entité XML s'y développe au-delà de la taille permise");
    } else if (anglais.contains(QLatin1StringView("encoded"))) {
        raison = QStringLiteral("son texte n'est pas dans le codage qu'il annonce");
    } else if (anglais.contains(QLatin1StringView("entity"), Qt::CaseInsensitive)) {
        raison = QStringLiteral("il fait référence à une entité XML inconnue");
    } else {
        raison = QStringLiteral("son XML est mal formé");
    }
    QString ou = QStringLiteral("ligne %1, colonne %2").arg(r.lineNumber()).arg(r.columnNumber());
    QString d = detail(anglais);
    if (!d.isEmpty()) {
        // " (détail : x)" becomes "(ligne 3, colonne 15 ; détail : x)".
        d = QStringLiteral(" ; ") + d.mid(2, d.size() - 3);
    }
    return QStringLiteral("%1 (%2%3)").arg(raison, ou, d);
}

bool codeErreur(const QString& texte) {
    static const QRegularExpression code(
        QStringLiteral("^(#NULL!|#DIV/0!|#VALUE!|#REF!|#NAME\\?|#NUM!|#N/A|Err:\\d{3})$"));
    return texte.startsWith(u'#') || texte.startsWith(u'E') ? code.match(texte).hasMatch() : false;
}

bool formatDeDate(int id, const QString& code) {
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

Cellule nombreOuDate(double valeur, bool date, bool date1904) {
    // 2958465 is 31 December 9999, the last day spreadsheets count.
    if (!date || !(valeur >= 0 && valeur < 2958466)) {
        return Cellule::deNombre(valeur);
    }
    const qint64 jours = static_cast<qint64>(valeur);
    const qint64 secondes = qRound64((valeur - static_cast<double>(jours)) * 86400.0);
    const QDate origine = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    return Cellule::deDate(QDateTime(origine.addDays(jours), QTime(0, 0)).addSecs(secondes));
}

}  // namespace lecteurs
