#pragma once

#include "db/Value.h"
#include "declaration/DeclarationProblem.h"

#include <QList>
#include <QString>
#include <memory>

class Dataset;
class TDataprix;
class XmlLineWriter;
struct DeclarationField;

namespace db {
class Statement;
}

/**
 * Writes the transfer-pricing declaration of the active company and year (the current
 * row of `societe`) as one XML file in the administration's format, in one streamed pass:
 * each line is written as soon as it is formed and only the current row of each query
 * and the running totals of the transaction amounts are held.
 *
 * The detail datasets of the data module are re-opened on the company and year and left
 * so (past their last row when listed, on their first row otherwise); the category,
 * loan and counterpart lists are read through the writer's own queries, which keep their
 * last parameters until the writer is destroyed. No data are changed, nothing is committed.
 *
 * Every run also checks the document against the administration's schema as it is
 * written (DeclarationValidator); problems() then tells what the administration would
 * refuse, at the field where the user corrects it.
 *
 * The dialog and the command line both use this class, so both write the same bytes.
 */
class DeclarationWriter {
public:
    /// @p module must outlive the writer.
    explicit DeclarationWriter(TDataprix& module);
    ~DeclarationWriter();
    DeclarationWriter(const DeclarationWriter&) = delete;
    DeclarationWriter& operator=(const DeclarationWriter&) = delete;

    /// "FDPT-" + full identifier + "-" + year + ".xml", e.g. FDPT-1234567A-2023.xml.
    static QString fileName(const QString& identifiantComplet, const QString& exerciceTexte);

    /**
     * Writes the declaration into @p folder and returns the file's path.
     *
     * Refused, with nothing written, when no company row is current or the folder text
     * is empty or names no existing folder. The file is written under a temporary name
     * and renamed only once complete and flushed: on any failure an earlier file of the
     * same name stays untouched and no partial file remains.
     *
     * @throws DeclarationError with the French message to show (the database client's
     *         text for a failed query).
     */
    QString generate(const QString& folder);

    /**
     * Checks the declaration of the active company and year without writing any file:
     * the same document as generate() is produced and validated, then dropped.
     *
     * @throws DeclarationError when no company row is current or a query fails.
     */
    void check();

    /**
     * Whether the presence tests' datasets are opened again after a run, as the windows
     * expect to find them (the default). A data module of its own that is discarded after
     * the run, as the command line's, spares the server that sort of every line.
     */
    void setPresenceTestsReopened(bool reopened) { m_reopenPresenceTests = reopened; }

    /// The problems of the last generate() or check(), in the order of the document.
    const DeclarationProblems& problems() const { return m_problems; }
    /// Elements of the last run whose source did not reach the check (always 0).
    int unmatchedElements() const { return m_unmatched; }

    static const QString kNoActiveCompany;
    static const QString kNoFolder;
    static const QString kFolderMissing;

private:
    void requireActiveCompany() const;
    void run(XmlLineWriter& out);
    void writeDocument();
    void writeEntete();
    void writeIdentification();
    void writeInformationsEntreprise();
    void writeParticipations(Dataset& dataset, QLatin1StringView list, QLatin1StringView line);
    void writeGroupe();
    void writeActifs(Dataset& dataset, bool incorporels);
    void writeMontantTransactions();
    void writeCategory(int category);
    void writePretsEmprunts();
    void writePretsList(const QString& type, QLatin1StringView list, QLatin1StringView line,
                        QLatin1StringView interets);
    void writeSansContrepartie();
    void writeContrepartieList(const QString& code, QLatin1StringView list, QLatin1StringView line);
    void writeAccords();
    void writeAffirmation(const DeclarationField* answer);

    void reopen(Dataset& dataset);
    /// True when @p dataset, re-opened, has a row.
    bool testPresence(Dataset& dataset);
    db::Statement& query(std::unique_ptr<db::Statement>& slot, const QString& sql);
    void bindCompany(db::Statement& statement);
    db::Value company(const DeclarationField* field) const;
    /// The field of a SOCIETE column, on whichever of its two pages shows it.
    static const DeclarationField* societe(const char* column);

    TDataprix& m_module;
    // The dialog's own queries: the transaction lines of one category, the loans or the
    // borrowings, and the operations without or with non-monetary counterpart.
    std::unique_ptr<db::Statement> m_montanttransactions;
    std::unique_ptr<db::Statement> m_Empruntsprets;
    std::unique_ptr<db::Statement> m_operationssanscontre;

    // State of one run.
    XmlLineWriter* m_out = nullptr;
    QString m_identifiant;
    db::Value m_exercice;
    DeclarationProblems m_problems;
    int m_unmatched = 0;
    // Presence tests closed during the run, to re-open after it.
    QList<Dataset*> m_presenceTests;
    bool m_reopenPresenceTests = true;
};
