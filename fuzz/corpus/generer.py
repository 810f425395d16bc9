#!/usr/bin/python3
"""Writes the seed inputs of the fuzz targets into corpus/<target>/ (run from any folder).

The first byte of an input chooses the mode of the xlsx, ods and xls targets: odd, the rest is
a whole file; even, the rest is the content a harness wraps in a valid container (the XML of a
sheet, content.xml, the workbook stream). The texte target takes its options from its first
three bytes. Seeds are small, varied, well-formed files: the fuzzer breaks them."""
import io
import os
import struct
import zipfile

ICI = os.path.dirname(os.path.abspath(__file__))


class Zip(zipfile.ZipFile):
    """A zip whose entries carry a fixed date, so that the seeds are the same at every run."""

    def writestr(self, nom, donnees, compression=None):
        info = zipfile.ZipInfo(nom, date_time=(2023, 12, 31, 0, 0, 0))
        info.compress_type = self.compression if compression is None else compression
        super().writestr(info, donnees)


def ecrire(cible, nom, octets):
    dossier = os.path.join(ICI, cible)
    os.makedirs(dossier, exist_ok=True)
    with open(os.path.join(dossier, nom), 'wb') as f:
        f.write(octets)


# --- texte -------------------------------------------------------------------------------
ecrire('texte', 'point-virgule', b'\x00\x00\x00MF;EX;LG;ACHATS\r\n9999999Z;2023;1;"1 234.5"\r\n;;;\r\n')
ecrire('texte', 'francais', b'\x01\x01\x01titre\n;;;;;;;;;;1 234,5\n"cit\xc3\xa9 ""x""";31/12/2023\n')
ecrire('texte', 'utf16', b'\x02\x00\x00' + '\ufeffa\tb\r\n1,5\t2023-12-31\r\n'.encode('utf-16-le'))
ecrire('texte', 'windows1252', b'\x00\x02\x10Soci\xe9t\xe9;\x80 12;True\n"ouvert\n')

# --- xlsx --------------------------------------------------------------------------------
NS = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
feuilles = {
    'valeurs': '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c></row>'
               '<row r="2"><c r="A2"><v>1234.567</v></c><c r="B2" s="1"><v>45291</v></c>'
               '<c r="C2" s="2"><v>45291.5</v></c><c r="D2" t="b"><v>1</v></c>'
               '<c r="E2" t="s"><v>2</v></c></row>',
    'erreurs': '<row r="2"><c r="A2" t="e"><v>#N/A</v></c><c r="B2" t="e"><f>1/0</f>'
               '<v>#DIV/0!</v></c><c r="C2"><f>SUM(A1:A2)</f></c><c r="D2" t="str"><f>A1</f>'
               '<v>texte</v></c></row>',
    'en-ligne': '<row><c t="inlineStr"><is><t>a</t></is></c><c t="inlineStr"><is><r><t>b'
                '</t></r><rPh><t>x</t></rPh></is></c></row><row r="5"><c r="XFD5"><v>1</v></c>'
                '</row><row r="1048576"><c r="A1048576" t="d"><v>2023-12-31T10:00:00</v></c>'
                '</row>',
}
for nom, donnees in feuilles.items():
    xml = '<?xml version="1.0" encoding="UTF-8"?><worksheet %s><sheetData>%s</sheetData></worksheet>' % (NS, donnees)
    ecrire('xlsx', 'feuille-' + nom, b'\x00' + xml.encode())


def paquet_xlsx(feuille, absolus=False, compression=zipfile.ZIP_DEFLATED):
    p = '/xl/' if absolus else ''
    r = '/' if absolus else ''
    b = io.BytesIO()
    with Zip(b, 'w', compression) as z:
        z.writestr('[Content_Types].xml', '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="xml" ContentType="application/xml"/></Types>')
        z.writestr('_rels/.rels', '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="%sxl/workbook.xml"/></Relationships>' % r)
        z.writestr('xl/workbook.xml', '<?xml version="1.0"?><workbook %s xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><workbookPr date1904="1"/><sheets><sheet name="Feuil1" sheetId="1" r:id="rId1"/><sheet name="Feuil2" sheetId="2" r:id="rId1"/></sheets></workbook>' % NS)
        z.writestr('xl/_rels/workbook.xml.rels', '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="%sworksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="%ssharedStrings.xml"/><Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="%sstyles.xml"/></Relationships>' % (p, p, p))
        z.writestr('xl/sharedStrings.xml', '<?xml version="1.0"?><sst %s><si><t>MFISCAL</t></si><si><t xml:space="preserve">Soci\u00e9t\u00e9 </t></si><si><r><t>CU</t></r><r><t>P</t></r></si></sst>' % NS)
        z.writestr('xl/styles.xml', '<?xml version="1.0"?><styleSheet %s><numFmts><numFmt numFmtId="164" formatCode="[$-40C]dd/mm/yyyy\\ hh:mm"/></numFmts><cellXfs><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/></cellXfs></styleSheet>' % NS)
        z.writestr('xl/worksheets/sheet1.xml', '<?xml version="1.0"?><worksheet %s><sheetData>%s</sheetData></worksheet>' % (NS, feuille))
    return b.getvalue()


ecrire('xlsx', 'paquet-excel', b'\x01' + paquet_xlsx(feuilles['valeurs']))
ecrire('xlsx', 'paquet-absolu-stocke', b'\x01' + paquet_xlsx(feuilles['erreurs'], True, zipfile.ZIP_STORED))

# --- ods ---------------------------------------------------------------------------------
ODS = ('<?xml version="1.0" encoding="UTF-8"?><office:document-content '
       'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
       'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
       'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
       'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" '
       'office:version="1.2"><office:body><office:spreadsheet>%s</office:spreadsheet></office:body>'
       '</office:document-content>')
tables = {
    'valeurs': '<table:table table:name="Feuille1"><table:table-column table:number-columns-repeated="3"/>'
               '<table:table-row><table:table-cell office:value-type="string"><text:p>MF</text:p></table:table-cell>'
               '<table:table-cell office:value-type="currency" office:currency="TND" office:value="1234.567"><text:p>1 234,567 DT</text:p></table:table-cell>'
               '<table:table-cell office:value-type="percentage" office:value="0.05"/>'
               '<table:table-cell office:value-type="date" office:date-value="2023-12-31T10:00:00"/>'
               '<table:table-cell office:value-type="boolean" office:boolean-value="true"/>'
               '<table:table-cell office:value-type="time" office:time-value="PT12H30M00S"><text:p>12:30</text:p></table:table-cell>'
               '</table:table-row></table:table>',
    'repetitions': '<table:table table:name="R"><table:table-header-rows><table:table-row><table:table-cell><text:p>a<text:s text:c="3"/>b<text:tab/><text:span>c</text:span></text:p><text:p>d</text:p></table:table-cell></table:table-row></table:table-header-rows>'
                   '<table:table-row-group><table:table-row table:number-rows-repeated="3"><table:table-cell table:number-columns-repeated="2" office:value-type="float" office:value="1.5E-3"/><table:covered-cell/></table:table-row></table:table-row-group>'
                   '<table:table-row table:number-rows-repeated="1048571"><table:table-cell table:number-columns-repeated="16384"/></table:table-row></table:table>',
    'erreurs': '<table:table table:name="E"><table:table-row><table:table-cell table:formula="of:=NA()" office:value-type="float" office:value="0" calcext:value-type="error"><text:p>#N/A</text:p></table:table-cell>'
               '<table:table-cell table:formula="of:=1/0"><text:p>#DIV/0!</text:p></table:table-cell>'
               '<table:table-cell table:formula="of:=A1"/><table:table-cell office:value-type="string" office:string-value="v"><office:annotation><text:p>note</text:p></office:annotation></table:table-cell></table:table-row></table:table>',
}
for nom, t in tables.items():
    ecrire('ods', 'contenu-' + nom, b'\x00' + (ODS % t).encode())
b = io.BytesIO()
with Zip(b, 'w') as z:
    z.writestr('mimetype', 'application/vnd.oasis.opendocument.spreadsheet', zipfile.ZIP_STORED)
    z.writestr('content.xml', ODS % (tables['valeurs'] + tables['erreurs']), zipfile.ZIP_DEFLATED)
    z.writestr('META-INF/manifest.xml', '<?xml version="1.0"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"/>', zipfile.ZIP_DEFLATED)
ecrire('ods', 'paquet', b'\x01' + b.getvalue())

# --- xls ---------------------------------------------------------------------------------


def rec(t, d=b''):
    return struct.pack('<HH', t, len(d)) + d


def chaine(s, longueur=2):
    u = s.encode('utf-16-le')
    n = struct.pack('<H', len(s)) if longueur == 2 else struct.pack('<B', len(s))
    return n + b'\x01' + u


def flux_biff(cellules):
    feuille = rec(0x0809, struct.pack('<HHHHII', 0x0600, 0x0010, 0, 0, 0, 0))
    feuille += rec(0x0200, struct.pack('<IIHHH', 0, 4, 0, 8, 0)) + cellules + rec(0x000A)
    # The second text goes on in a CONTINUE record, after the byte that says its width.
    sst = struct.pack('<II', 3, 3) + struct.pack('<HB', 7, 0) + b'MFISCAL' + struct.pack('<HB', 7, 1) + 'Soci'.encode('utf-16-le')
    suite = b'\x01' + '\u00e9t\u00e9'.encode('utf-16-le') + struct.pack('<HBH', 3, 0x08, 1) + b'CUP' + b'\x00\x00\x00\x00'
    glob = rec(0x0809, struct.pack('<HHHHII', 0x0600, 0x0005, 0, 0, 0, 0)) + rec(0x0042, struct.pack('<H', 1200))
    glob += rec(0x0022, struct.pack('<H', 0)) + rec(0x041E, struct.pack('<H', 164) + chaine('dd/mm/yyyy'))
    for fmt in (0, 0, 14, 164):
        glob += rec(0x00E0, struct.pack('<HHHHHHHHHH', 0, fmt, 0, 0, 0, 0, 0, 0, 0, 0))
    glob += rec(0x00FC, sst) + rec(0x003C, suite)
    nom = chaine('Feuil1', 1)
    position = len(glob) + 4 + 6 + len(nom) + 4
    glob += rec(0x0085, struct.pack('<IBB', position, 0, 0) + nom) + rec(0x000A)
    return glob + feuille


def pos(r, c, xf=0):
    return struct.pack('<HHH', r, c, xf)


cellules = (rec(0x00FD, pos(0, 0) + struct.pack('<I', 0)) + rec(0x00FD, pos(0, 1) + struct.pack('<I', 1))
            + rec(0x0203, pos(1, 0) + struct.pack('<d', 1234.567)) + rec(0x027E, pos(1, 1, 2) + struct.pack('<I', (45291 << 2) | 2))
            + rec(0x00BD, pos(1, 2)[:4] + struct.pack('<HI', 0, (12345 << 2) | 3) + struct.pack('<HI', 3, 0x40590000) + struct.pack('<H', 3))
            + rec(0x0204, pos(2, 0) + chaine('libell\u00e9')) + rec(0x0205, pos(2, 1) + b'\x01\x00') + rec(0x0205, pos(2, 2) + b'\x2a\x01')
            + rec(0x0006, pos(3, 0) + struct.pack('<BBBBBBH', 0, 0, 0, 0, 0, 0, 0xFFFF) + b'\x00' * 8) + rec(0x0207, chaine('r\u00e9sultat'))
            + rec(0x0006, pos(3, 1) + struct.pack('<BBBBBBH', 2, 0, 7, 0, 0, 0, 0xFFFF) + b'\x00' * 8)
            + rec(0x0006, pos(3, 2) + struct.pack('<d', 2.5) + b'\x00' * 8))
ecrire('xls', 'flux', b'\x00' + flux_biff(cellules))


def flux_biff5():
    # Excel 5 and 95: texts as bytes of the workbook's code page.
    feuille = rec(0x0809, struct.pack('<HHHH', 0x0500, 0x0010, 0, 0)) + rec(0x0200, struct.pack('<HHHHH', 0, 2, 0, 2, 0))
    texte = 'Soci\u00e9t\u00e9 \u20ac'.encode('cp1252')
    feuille += rec(0x0204, pos(0, 0) + struct.pack('<H', len(texte)) + texte)
    feuille += rec(0x0203, pos(1, 1) + struct.pack('<d', -5)) + rec(0x000A)
    glob = rec(0x0809, struct.pack('<HHHH', 0x0500, 0x0005, 0, 0)) + rec(0x0042, struct.pack('<H', 1252))
    glob += rec(0x041E, struct.pack('<HB', 164, 10) + b'dd/mm/yyyy') + rec(0x00E0, struct.pack('<HH', 0, 164) + b'\x00' * 12)
    nom = struct.pack('<B', 5) + 'F\u00e9uil'.encode('cp1252')
    position = len(glob) + 4 + 6 + len(nom) + 4
    glob += rec(0x0085, struct.pack('<IBB', position, 0, 0) + nom) + rec(0x000A)
    return glob + feuille


ecrire('xls', 'flux-excel95', b'\x00' + flux_biff5())
try:
    import xlwt
    wb = xlwt.Workbook()
    ws = wb.add_sheet('Feuil1')
    ws.write(0, 0, 'MFISCAL')
    ws.write(1, 0, 'Soci\u00e9t\u00e9 G\u00e9n\u00e9rale')
    ws.write(1, 1, 1234.567)
    ws.write(1, 2, 42)
    ws.write(1, 3, True)
    ws.write(1, 4, xlwt.Formula('B2*2'))
    ws.row(1).set_cell_error(5, 0x2A)
    import datetime
    ws.write(1, 6, datetime.date(2023, 12, 31), xlwt.easyxf(num_format_str='DD/MM/YYYY'))
    wb.add_sheet('Vide')
    b = io.BytesIO()
    wb.save(b)
    ecrire('xls', 'xlwt', b'\x01' + b.getvalue())
except ImportError:  # without python3-xlwt, the other seeds still do
    pass
