// libFuzzer target: arbitrary bytes through the delimited-text reader, then every cell through
// the conversions into each column type, with the separator, delimiter, encoding and value
// formats taken from the first bytes. Any crash, hang or sanitizer report is a fault; refusals
// (ImportError, ErreurConversion) are the expected outcome for malformed input.
#include "import/ConversionCellule.h"
#include "import/ImportError.h"
#include "import/LecteurTexte.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    static const char separateurs[] = {';', ',', '\t', '|'};
    OptionsTexte options;
    options.separateur = QChar::fromLatin1(separateurs[data[0] % 4]);
    options.delimiteur = (data[0] & 0x10) ? QChar() : QChar(u'"');
    options.codage = static_cast<OptionsTexte::Codage>(data[1] % 3);
    FormatsValeurs formats = (data[2] & 1) ? FormatsValeurs::francais() : FormatsValeurs{};
    formats.ordreDate = static_cast<FormatsValeurs::OrdreDate>((data[2] >> 1) % 3);
    formats.anneeQuatreChiffres = !(data[2] & 0x08);
    formats.separateurMilliers = (data[2] & 0x10) ? QChar() : formats.separateurMilliers;

    FieldDef colonnes[4];
    colonnes[0].type = FieldType::Numeric;
    colonnes[0].width = 18;
    colonnes[0].scale = 3;
    colonnes[1].type = FieldType::Integer;
    colonnes[2].type = FieldType::Date;
    colonnes[3].type = FieldType::Varchar;
    colonnes[3].width = 8;

    const QByteArray contenu(reinterpret_cast<const char*>(data + 3),
                             static_cast<qsizetype>(size - 3));
    try {
        const FeuilleSource f = LecteurTexte::lire(contenu, options, QStringLiteral("fuzz"));
        for (const LigneSource& ligne : f.lignes()) {
            for (const Plage& p : ligne.plages) {
                for (const FieldDef& col : colonnes) {
                    try {
                        (void)ConversionCellule::convertir(p.cellule, col, formats);
                    } catch (const ErreurConversion&) {
                    }
                }
            }
        }
    } catch (const ImportError&) {
    }
    return 0;
}
