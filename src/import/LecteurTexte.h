#pragma once

#include "import/Classeur.h"
#include "import/ReglageImport.h"

#include <QByteArray>

/**
 * Reads a delimited text file (.csv, .txt): one record per line (CR LF, LF or CR), fields
 * cut at the separator, a field between delimiters (quotes) may hold separators, line
 * breaks and doubled delimiters. Every field becomes a text cell; the value formats turn
 * them into numbers and dates later. Text in UTF-8 (with or without a byte-order mark),
 * UTF-16 with its mark, or Windows-1252, found by itself or as chosen.
 */
class LecteurTexte {
public:
    /// Throws ImportError for a binary file or a delimiter left open at the end.
    static FeuilleSource lire(const QByteArray& contenu, const OptionsTexte& options,
                              const QString& nom);
    /// The text of @p contenu in the encoding of @p options.
    static QString decoder(const QByteArray& contenu, OptionsTexte::Codage codage);
};
