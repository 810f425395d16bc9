#include "import/LecteurTexte.h"

#include "db/Win1252.h"
#include "import/ImportError.h"
#include "import/LecteursInternes.h"

#include <QStringDecoder>

QString LecteurTexte::decoder(const QByteArray& contenu, OptionsTexte::Codage codage) {
    if (contenu.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(contenu.mid(3));
    }
    if (contenu.startsWith("\xFF\xFE") || contenu.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(contenu.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                            : QStringConverter::Utf16BE);
        return utf16(contenu.mid(2));
    }
    if (contenu.contains('\0')) {
        throw ImportError(QStringLiteral(
            "Le fichier n'est pas un fichier texte : il contient des données binaires."));
    }
    switch (codage) {
        case OptionsTexte::Codage::Utf8:
            return QString::fromUtf8(contenu);
        case OptionsTexte::Codage::Windows1252:
            return db::Win1252::decode(contenu);
        case OptionsTexte::Codage::Automatique:
            break;
    }
    // French spreadsheets save text as Windows-1252; a file that is valid UTF-8 is UTF-8.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString texte = utf8(contenu);
    if (!utf8.hasError()) {
        return texte;
    }
    return db::Win1252::decode(contenu);
}

FeuilleSource LecteurTexte::lire(const QByteArray& contenu, const OptionsTexte& options,
                                 const QString& nom) {
    const QString texte = decoder(contenu, options.codage);
    FeuilleSource feuille;
    feuille.nom = nom;
    const QChar sep = options.separateur;
    const QChar quote = options.delimiteur;

    int ligne = 0;
    int colonne = 0;
    QString champ;
    bool guillemets = false;
    bool champCite = false;
    bool ligneCommencee = false;
    int ligneOuverture = 0;
    int ligneFichier = 1;

    auto finirChamp = [&] {
        if (!champ.isEmpty() || champCite) {
            // A spreadsheet writes an error cell as the error it shows.
            const QString t = champ.trimmed();
            feuille.definir(
                ligne, colonne,
                lecteurs::codeErreur(t) ? Cellule::deErreur(t) : Cellule::deTexte(champ));
        }
        ++colonne;
        champ.clear();
        champCite = false;
    };
    auto finirLigne = [&] {
        finirChamp();
        ++ligne;
        colonne = 0;
        ligneCommencee = false;
    };

    const qsizetype n = texte.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = texte[i];
        if (guillemets) {
            if (c == quote) {
                if (i + 1 < n && texte[i + 1] == quote) {
                    champ += quote;
                    ++i;
                } else {
                    guillemets = false;
                }
            } else {
                if (c == u'\n' || (c == u'\r' && !(i + 1 < n && texte[i + 1] == u'\n'))) {
                    ++ligneFichier;
                }
                champ += c;
            }
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && texte[i + 1] == u'\n') {
                ++i;
            }
            ++ligneFichier;
            finirLigne();
            continue;
        }
        ligneCommencee = true;
        if (c == sep) {
            finirChamp();
        } else if (!quote.isNull() && c == quote && champ.trimmed().isEmpty() && !champCite) {
            // Blanks before an opening delimiter are layout, not content.
            champ.clear();
            guillemets = true;
            champCite = true;
            ligneOuverture = ligneFichier;
        } else {
            champ += c;
        }
    }
    if (guillemets) {
        throw ImportError(
            QStringLiteral("Le fichier texte est tronqué ou mal formé : le délimiteur %1 ouvert à "
                           "la ligne %2 n'est jamais fermé.")
                .arg(quote)
                .arg(ligneOuverture));
    }
    if (ligneCommencee || !champ.isEmpty() || colonne > 0) {
        finirLigne();
    }
    feuille.compacter();
    return feuille;
}
