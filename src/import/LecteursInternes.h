#pragma once

// The readers behind LecteurSource, one per format. Each throws ImportError, and nothing
// else: what a library or the memory allocator throws is turned into the French report by
// LecteurSource.

#include "import/Classeur.h"

#include <QByteArray>
#include <QString>

class QXmlStreamReader;

namespace lecteurs {

/// The limits of an Excel 2007 (and OpenDocument) sheet: column XFD, row 1,048,576.
constexpr int kColonnesClasseur = 16384;
constexpr int kLignesClasseur = 1048576;
/// The limits of an Excel 97-2003 (.xls) sheet: column IV, row 65,536.
constexpr int kColonnesXls = 256;
constexpr int kLignesXls = 65536;

/// .xlsx and .xlsm packages, read by our own reader of the package.
Classeur lireXlsx(const QByteArray& contenu, const QString& path);
/// OpenDocument spreadsheets (.ods).
Classeur lireOds(const QByteArray& contenu, const QString& path);
/// Excel 97-2003 workbooks (.xls, BIFF5 and BIFF8 in a compound file).
Classeur lireXls(const QByteArray& contenu, const QString& path);
/// Excel 2003 XML spreadsheets.
Classeur lireXmlExcel(const QByteArray& contenu, const QString& path);
Classeur lireHtml(const QByteArray& contenu, const QString& path);
Classeur lireDBase(const QString& path);

/// "Le fichier « nom.ext »" for messages.
QString nomFichier(const QString& path);

/// The report for a cell beyond what its format can hold: "Le fichier « t.xlsx » est
/// illisible : la feuille « Feuil1 » a une cellule en ZZZZ3, au-delà de la dernière colonne
/// d'un classeur (XFD)." @p ligne and @p colonne are 0-based and may be anything; the cell is
/// named by @p reference when the file gives one.
[[noreturn]] void horsLimites(const QString& path, const QString& feuille, qint64 ligne,
                              qint64 colonne, int lignesMax, int colonnesMax,
                              const QString& reference = QString());
/// The same for a reference that is no reference at all (shown cut to a readable length).
[[noreturn]] void referenceInvalide(const QString& path, const QString& feuille,
                                    const QString& reference);

/// Why @p r stopped, in French, with where and the reader's own words as a detail:
/// "son XML est mal formé (ligne 3, colonne 15 ; détail : Opening and ending tag mismatch)".
QString raisonXml(const QXmlStreamReader& r);
/// " (détail : ...)" with @p texte trimmed of its final full stop; empty for an empty text.
QString detail(const QString& texte);

/// Whether @p texte is what a spreadsheet shows for a failed formula ("#N/A", "#DIV/0!"...,
/// or LibreOffice's "Err:502"): how a text export (.csv, HTML) writes an error cell.
bool codeErreur(const QString& texte);

/// Whether an Excel number format (its built-in @p id, or its @p code) shows a date.
bool formatDeDate(int id, const QString& code);
/// A spreadsheet's day count (from 30 December 1899, or 1 January 1904) as a date cell;
/// a number cell when it is not a date a calendar holds.
Cellule nombreOuDate(double valeur, bool date, bool date1904 = false);

}  // namespace lecteurs
