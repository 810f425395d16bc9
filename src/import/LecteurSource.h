#pragma once

#include "import/Classeur.h"
#include "import/ReglageImport.h"

/**
 * Reads a source file whole, in the format chosen, through the maintained readers: liborcus
 * for .xlsx, .ods and Excel 2003 XML, FreeXL for .xls, libxml2 for HTML tables, shapelib for
 * dBase tables, and our own reader for delimited text.
 *
 * Excel workbooks are recognised by their content, whatever their extension: a package
 * (.xlsx), a binary workbook (.xls), and the HTML or XML pages that web sites export under an
 * .xls name. Packages written by other tools than Excel (inline strings, absolute part
 * names: openpyxl, many web exports), which liborcus reads as empty sheets, are read by our
 * own package reader; a sheet that holds cells is never returned empty.
 *
 * Every failure (missing, damaged, truncated or encrypted file, another format than the one
 * chosen) throws ImportError with a French text that names the file.
 */
class LecteurSource {
public:
    static Classeur lire(const QString& path, FormatSource format, const OptionsTexte& texte);
};

/// The reader of .xlsx packages that liborcus misreads; also used to check what it read.
class LecteurPaquetXlsx {
public:
    /// What the package holds, sheet by sheet. Throws ImportError.
    static Classeur lire(const QString& path);
    struct Analyse {
        /// The package has what liborcus cannot read: inline strings, absolute part names.
        bool demandeCeLecteur = false;
        /// For each sheet, in order: whether its part holds at least one cell with a value.
        QVector<bool> feuillesAvecCellules;
    };
    /// Looks into the package without reading its cells. Throws ImportError.
    static Analyse analyser(const QString& path);
};
