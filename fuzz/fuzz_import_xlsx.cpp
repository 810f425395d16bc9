// libFuzzer target: .xlsx packages through our package reader, whole (odd first byte) or as the
// XML of a sheet in a valid package (even first byte), then every cell displayed and converted.
// Only ImportError may leave the reader; anything else, or a sanitizer report, is a fault.
#include "Harnais.h"
#include "import/ImportError.h"
#include "import/LecteursInternes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bool entier = false;
    const QByteArray octets = harnais::contenu(data, size, entier);
    try {
        harnais::parcourir(lecteurs::lireXlsx(entier ? octets : harnais::paquetXlsx(octets),
                                              QStringLiteral("fuzz.xlsx")));
    } catch (const ImportError&) {
    }
    return 0;
}
