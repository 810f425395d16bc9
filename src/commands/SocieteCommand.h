#pragma once

#include <QString>

class QTextStream;
class TDataprix;

/**
 * What the command-line commands that work on one company year share: the reading of
 * --company and --year, the opening of the database and the look-up of the company
 * year, with their French reports and exit codes.
 */
class SocieteCommand {
public:
    /// Exit codes shared by these commands.
    enum class Ouverture : int {
        Ouverte = 0,
        BaseInaccessible = 3,  ///< the database could not be opened or read
        SocieteInconnue = 4,   ///< no company row with this identifier, whatever the year
        ExerciceInconnu = 5,   ///< the company exists, but not for this year
    };

    /// A company year as named on the command line.
    struct Cible {
        QString identifiant;  ///< MFISCAL followed by the key letter, in capitals
        QString mfiscal;
        QString cle;
        QString exerciceTexte;
        int exercice = 0;
    };

    /**
     * Reads @p company (up to 7 characters of MFISCAL, then the key letter) and @p year into
     * @p cible. @returns the French problem, empty when both are well-formed.
     */
    static QString lire(const QString& company, const QString& year, Cible& cible);

    /**
     * Connects @p module to @p database (CheminBase.ini's base when empty) and makes
     * @p cible the current row of `societe`. On a failure writes its French report to
     * @p err and returns the matching code.
     */
    static Ouverture ouvrir(TDataprix& module, const QString& database, const Cible& cible,
                            QTextStream& err);
};
