#pragma once

#include "declaration/DeclarationProblem.h"
#include "declaration/ElementSource.h"

#include <QByteArray>
#include <QString>
#include <deque>
#include <memory>
#include <vector>

/**
 * Checks a declaration against every rule of the administration's schema while it is
 * being written, and turns each refusal into a DeclarationProblem at the field where the
 * user corrects it.
 *
 * The schema is built into the program. libxml2 validates the document against it as an
 * XSD 1.0 schema, from a copy without its six assertions (XSD 1.1, which libxml2 cannot
 * load); this class checks those six itself, on the same stream. Nothing of the document
 * is kept: the bytes are parsed as they arrive and only the sources of the elements
 * written but not yet parsed wait in a queue, so memory stays small whatever the size
 * of the declaration.
 *
 * The parsing runs on a thread of its own, a few blocks behind the writer, so that the
 * check costs little more than the writing on a machine of two cores or more. Until
 * finish() returns, problems() and unmatchedElements() are not to be read.
 *
 * Use: give it to the XmlLineWriter as observer, write the document, then finish().
 */
class DeclarationValidator : public XmlDocumentObserver {
public:
    DeclarationValidator();
    ~DeclarationValidator() override;
    DeclarationValidator(const DeclarationValidator&) = delete;
    DeclarationValidator& operator=(const DeclarationValidator&) = delete;

    void elementStarted(const ElementSource& source) override;
    void dataWritten(const char* data, qsizetype size) override;
    void blockWritten(QByteArray& block, qsizetype size) override;

    /// Ends the document. @throws DeclarationError when the built-in schema cannot be loaded,
    /// or when the document was not well-formed XML (a fault of the writer, never of the data).
    void finish();

    /// The problems found, in the order of the document.
    const DeclarationProblems& problems() const { return m_problems; }

    /// Elements whose start tag reached the parser without the source the writer gave
    /// them, or with another element's; always 0 unless the writer forgets a source.
    int unmatchedElements() const { return m_unmatched; }

    /// The version the schema declares, e.g. "2.0".
    static QString schemaVersion();
    /// "FDPT.xsd version 2.0", for summaries.
    static QString schemaName();
    /// The built-in schema, as published (assertions included).
    static QByteArray schemaText();

    struct Parser;

private:
    friend struct Parser;
    struct Worker;
    void check(const char* data, qsizetype size);

    std::unique_ptr<Parser> m_parser;
    // Owned by the thread that parses: sources of the elements fed but not yet parsed.
    std::deque<ElementSource> m_pending;
    // Owned by the writer's thread: sources of the block being filled.
    std::vector<ElementSource> m_blockSources;
    std::unique_ptr<Worker> m_worker;
    DeclarationProblems m_problems;
    int m_unmatched = 0;
};
