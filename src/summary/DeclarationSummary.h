#pragma once

#include "declaration/DeclarationProblem.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

/**
 * The French PDF review of a declaration file, "FDPT-<identifiant>-<exercice>.pdf", written
 * beside the file it describes and drawn from that file alone: what is printed is what is
 * filed. Code meanings come from the program's built-in lists (CodeLists, ReferenceData).
 *
 * The file is read as a stream twice: a first pass lays the pages out without drawing, while
 * another thread takes the file's SHA-256 and size; the second lays them out again and
 * records each page's drawing, which a thread of its own writes to the PDF a few pages
 * behind. Every footer can so say "page x / y" and tie the page to the file's hash; a second
 * pass that disagrees with the first's count fails the review. Only the current line, a few
 * recorded pages and the totals per category, per currency and per related company are held.
 *
 * Needs a QGuiApplication (the offscreen platform will do) and Debian's DejaVu fonts, which
 * are embedded in the document.
 */
class DeclarationSummary {
public:
    /// "FDPT-1234567A-2023.pdf" for "…/FDPT-1234567A-2023.xml": same folder, same base name.
    static QString pathFor(const QString& xmlPath);

    /**
     * Writes the review of the declaration file @p xmlPath, whose check found @p problems,
     * generated at @p generatedAt, and returns the PDF's path. The PDF is written under a
     * temporary name and renamed once complete: on any failure no PDF (and no partial file)
     * is left, an earlier one of the same name stays untouched, and the XML file is never
     * touched.
     *
     * @throws DeclarationError with the French reason.
     */
    static QString write(const QString& xmlPath, const DeclarationProblems& problems,
                         const QDateTime& generatedAt = QDateTime::currentDateTime());

    /// The number of pages of the last write() on this thread (for tests and benchmarks).
    static int lastPageCount();

    /// An amount as the file states it, without its padding, grouped by thousands with a
    /// blank: "00000" gives "0", "120000" "120 000", "-00012" "-12". Any other text unchanged.
    static QString amountText(QStringView fileValue);
    /// A rate or percentage as the file states it: "0008" gives "8 %".
    static QString rateText(QStringView fileValue);
    /// A code with its French label from @p list items ("4 – Entreprise filiale"); the code
    /// alone when the list has none.
    static QString codeText(const QString& code, const QStringList& list);

    static const QString kNoProblem;
};
