#pragma once

// Source files of every format, written by the tests themselves: packages built byte by
// byte (as Excel and LibreOffice write them, or as openpyxl and web exports do), and files
// written by other tools (python3-xlwt, python3-openpyxl) where the format is binary.

#include "Conteneurs.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>

namespace fichiers {

/// One row of cells: an invalid QVariant is an empty cell, a QString a text, an int or a
/// double a number, a bool a boolean (in every format that has booleans).
using Ligne = QVector<QVariant>;
using Lignes = QVector<Ligne>;

struct OptionsXlsx {
    /// Texts in the cells (t="inlineStr") rather than in the shared strings.
    bool chainesEnLigne = false;
    /// Relationship targets written "/xl/..." rather than relative.
    bool cheminsAbsolus = false;
    QString nomFeuille = QStringLiteral("Feuil1");
};
QByteArray xlsx(const Lignes& lignes, const OptionsXlsx& options = {});
QByteArray ods(const Lignes& lignes, const QString& nomFeuille = QStringLiteral("Feuille1"));
/// The rows as an Excel 2003 XML spreadsheet.
QByteArray xmlExcel(const Lignes& lignes);
/// The rows as an HTML page with one table.
QByteArray html(const Lignes& lignes);

struct OptionsXls {
    QString nomFeuille = QStringLiteral("Feuil1");
    /// The sheet's DIMENSION record; one matching the cells when empty.
    QByteArray dimension;
    /// Records written in the sheet after the cells (BOOLERR, FORMULA, ...).
    QVector<QByteArray> enregistrements;
    /// An Excel 5/95 workbook (BIFF5, Windows-1252 texts, a "Book" stream) rather than BIFF8.
    bool excel95 = false;
};
/// The rows as an Excel 97-2003 workbook (BIFF8 in a compound file): texts as LABEL, numbers
/// as NUMBER, booleans as BOOLERR records.
QByteArray xls(const Lignes& lignes, const OptionsXls& options = {});

bool ecrire(const QString& path, const QByteArray& contenu);
/// Written by python3-xlwt (.xls) or python3-openpyxl (.xlsx); false when the tool is missing.
bool ecrireAvecPython(const QString& path, const Lignes& lignes, const QString& outil);
/// A dBase table whose fields are named after the first row; false on failure.
bool ecrireDBase(const QString& path, const Lignes& lignes);

}  // namespace fichiers
