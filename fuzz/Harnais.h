#pragma once

// What the fuzz targets share: each input either is a whole file, or is wrapped into a valid
// container so that the fuzzer reaches the reader of the content at once; and every cell read
// is then displayed and converted, as the wizard's preview would.

#include "import/Classeur.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace harnais {

/// The input after its first byte; @p entier tells whether the first byte asks for the input as
/// a whole file (odd) or as the content to wrap (even).
QByteArray contenu(const std::uint8_t* data, std::size_t size, bool& entier);

/// An .xlsx package whose only sheet's XML is @p feuille, with shared strings and a date style.
QByteArray paquetXlsx(const QByteArray& feuille);
/// An .ods package whose content.xml is @p contenu.
QByteArray paquetOds(const QByteArray& contenu);

/// Displays and converts every cell of @p classeur into a text, an integer, an amount and a date
/// column, catching only the refusals of the conversions.
void parcourir(const Classeur& classeur);

}  // namespace harnais
