// libFuzzer target: Excel 97-2003 workbooks through our compound-file and BIFF reader, whole
// (odd first byte) or as the workbook stream of a valid compound file (even first byte), then
// every cell displayed and converted. Only ImportError may leave the reader.
#include "Conteneurs.h"
#include "Harnais.h"
#include "import/ImportError.h"
#include "import/LecteursInternes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bool entier = false;
    const QByteArray octets = harnais::contenu(data, size, entier);
    try {
        harnais::parcourir(lecteurs::lireXls(entier ? octets : fichiers::fichierCompose(octets),
                                             QStringLiteral("fuzz.xls")));
    } catch (const ImportError&) {
    }
    return 0;
}
