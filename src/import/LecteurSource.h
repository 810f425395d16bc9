#pragma once

#include "import/Classeur.h"
#include "import/ReglageImport.h"

/**
 * Reads a source file whole, in the format chosen: Excel workbooks (.xlsx, .xlsm, .xls and the
 * Excel 2003 XML spreadsheets), OpenDocument spreadsheets, delimited text, HTML tables
 * (libxml2) and dBase tables (shapelib).
 *
 * Excel workbooks are recognised by their content, whatever their extension: a package
 * (.xlsx), a binary workbook (.xls), and the HTML or XML pages that web sites export under an
 * .xls name.
 *
 * A file is never trusted: what it says of its own sizes and positions is checked before
 * anything is reserved for it, a cell beyond what its format can hold makes it unreadable,
 * and reading costs what the file holds. Every failure (missing, damaged, truncated,
 * encrypted or hostile file, another format than the one chosen) throws ImportError with a
 * French text that names the file, and nothing else leaves the readers.
 */
class LecteurSource {
public:
    static Classeur lire(const QString& path, FormatSource format, const OptionsTexte& texte);
};
