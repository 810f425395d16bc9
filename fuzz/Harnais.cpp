#include "Harnais.h"

#include "Conteneurs.h"
#include "import/ConversionCellule.h"

namespace harnais {

QByteArray contenu(const std::uint8_t* data, std::size_t size, bool& entier) {
    entier = size > 0 && (data[0] & 1);
    if (size < 1) {
        return QByteArray();
    }
    return QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
}

QByteArray paquetXlsx(const QByteArray& feuille) {
    const QByteArray types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"http://schemas.openxmlformats."
        "org/package/2006/content-types\"><Default Extension=\"rels\" ContentType=\"application/"
        "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
        "ContentType=\"application/xml\"/></Types>";
    const QByteArray racine =
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
        "2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
        "officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
        "</Relationships>";
    const QByteArray classeur =
        "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
        "2006/main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships\"><sheets><sheet name=\"Feuil1\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
        "</workbook>";
    const QByteArray liens =
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
        "2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
        "officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship Id=\"rId3\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
        "Target=\"styles.xml\"/></Relationships>";
    const QByteArray chaines =
        "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
        "2006/main\"><si><t>MFISCAL</t></si><si><t>Soci\xC3\xA9t\xC3\xA9</t></si><si><r><t>CU"
        "</t></r><r><t>P</t></r><rPh><t>x</t></rPh></si></sst>";
    const QByteArray styles =
        "<?xml version=\"1.0\"?><styleSheet xmlns=\"http://schemas.openxmlformats.org/"
        "spreadsheetml/2006/main\"><numFmts><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\"/>"
        "</numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/>"
        "</cellXfs></styleSheet>";
    return fichiers::zip({{QStringLiteral("[Content_Types].xml"), types},
                          {QStringLiteral("_rels/.rels"), racine},
                          {QStringLiteral("xl/workbook.xml"), classeur},
                          {QStringLiteral("xl/_rels/workbook.xml.rels"), liens},
                          {QStringLiteral("xl/sharedStrings.xml"), chaines},
                          {QStringLiteral("xl/styles.xml"), styles},
                          {QStringLiteral("xl/worksheets/sheet1.xml"), feuille}});
}

QByteArray paquetOds(const QByteArray& contenu) {
    const QByteArray manifeste =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><manifest:manifest xmlns:manifest=\"urn:oasis:"
        "names:tc:opendocument:xmlns:manifest:1.0\"><manifest:file-entry manifest:full-path=\"/\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
        "</manifest:manifest>";
    return fichiers::zip(
        {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
         {QStringLiteral("content.xml"), contenu},
         {QStringLiteral("META-INF/manifest.xml"), manifeste}});
}

void parcourir(const Classeur& classeur) {
    FieldDef colonnes[4];
    colonnes[0].type = FieldType::Varchar;
    colonnes[0].width = 250;
    colonnes[1].type = FieldType::Integer;
    colonnes[2].type = FieldType::Numeric;
    colonnes[2].width = 18;
    colonnes[2].scale = 3;
    colonnes[3].type = FieldType::Date;
    const FormatsValeurs formats;
    for (const FeuilleSource& f : classeur.feuilles) {
        (void)f.nombreLignes();
        for (const LigneSource& l : f.lignes()) {
            for (const Plage& p : l.plages) {
                (void)p.cellule.texteAffiche();
                (void)f.cellule(l.ligne + l.repetitions - 1, p.colonne + p.nombre - 1);
                for (const FieldDef& c : colonnes) {
                    try {
                        (void)ConversionCellule::convertir(p.cellule, c, formats);
                    } catch (const ErreurConversion&) {
                    }
                }
            }
        }
    }
}

}  // namespace harnais
