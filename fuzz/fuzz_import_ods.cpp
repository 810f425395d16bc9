// libFuzzer target: OpenDocument spreadsheets through our reader, whole (odd first byte) or as
// the content.xml of a valid package (even first byte), then every cell displayed and
// converted. Only ImportError may leave the reader.
#include "Harnais.h"
#include "import/ImportError.h"
#include "import/LecteursInternes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bool entier = false;
    const QByteArray octets = harnais::contenu(data, size, entier);
    try {
        harnais::parcourir(lecteurs::lireOds(entier ? octets : harnais::paquetOds(octets),
                                             QStringLiteral("fuzz.ods")));
    } catch (const ImportError&) {
    }
    return 0;
}
