#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

class TDataprix;

/**
 * Creates the next fiscal year of a company from its year N: what rarely changes from one
 * year to the next is carried over, what answers for year N alone is left to be given again.
 *
 * - SOCIETE: a row for N+1, with the identification copied, DATEDEBUT and DATEFIN one year
 *   later (the last day of February stays the last day) and the year's own answers (turnover,
 *   filing act, yes/no answers and their descriptions) left empty.
 * - Capital links, group record and assets: every row of year N, with its line number.
 * - Loans and borrowings whose closing balance is not zero: the closing balance becomes the
 *   opening and the closing balance, with no movement. The other operations are the year's
 *   own and are not carried.
 *
 * Everything is written by statements in the data module's transaction, inside a savepoint:
 * on a failure the transaction goes back to the savepoint, so that nothing of N+1 remains
 * and the work the transaction held before is kept; on success it is committed with
 * retaining. The detail rows are stamped with the full identifier and N+1 by the statements
 * themselves, since the record rules run only from the datasets.
 */
class NextYearCreator {
public:
    /// What was carried over, page by page.
    struct Counts {
        qint64 capitalLinks = 0;  ///< CAPITALLIEE and CAPITALDECLARANTE
        qint64 groupRecords = 0;  ///< INFORMATIONGROUPE
        qint64 assets = 0;        ///< LISTEACTIFINCORPOREL and LISTEACTIFCORPOREL
        qint64 loans = 0;         ///< OPERATIONPRETEMPRUNT
    };

    enum class Outcome {
        Created,
        /// Year N of the company does not exist.
        YearMissing,
        /// Year N+1 exists already, or rows of it remain in the tables it would be written to.
        NextYearExists,
    };

    struct Result {
        Outcome outcome = Outcome::YearMissing;
        /// The French sentence that reports the creation, or the refusal.
        QString text;
        Counts counts;
    };

    explicit NextYearCreator(TDataprix& module);

    /**
     * Creates year @p exercice + 1 of the company @p mfiscal @p cle from year @p exercice.
     * A refusal writes nothing. Throws db::DatabaseError, with a French text that names the
     * year not created followed by the server's, when a statement fails: the transaction is
     * then back where it was.
     */
    Result create(const QString& mfiscal, const QString& cle, int exercice);

    /// "Exercice 2024 créé : 3 liens en capital, 1 fiche groupe, 4 actifs, aucun prêt reporté."
    static QString sentence(int year, const Counts& counts);
    /**
     * The company as the messages name it after "l'exercice 2024": "de Valide SA (1111111A)",
     * "d'Ardoz SA (1234567A)" before a vowel, "de 1111111A" for a company without a name.
     */
    static QString deSociete(const QString& raisonSociale, const QString& identifiant);
    /// @p date one year later; the last day of February stays the last day of February.
    static QDate oneYearLater(const QDate& date);

private:
    TDataprix& m_module;
};
