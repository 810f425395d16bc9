#include "FichiersSource.h"

#include "db/Win1252.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <cstring>

#include <shapefil.h>

namespace fichiers {

namespace {

QString echapper(const QString& t) {
    QString e = t.toHtmlEscaped();
    return e;
}

QString lettre(int c) {
    QString l;
    for (int n = c + 1; n > 0; n = (n - 1) / 26) {
        l.prepend(QChar(u'A' + (n - 1) % 26));
    }
    return l;
}

QString nombre(const QVariant& v) {
    return v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17)
                                           : QString::number(v.toLongLong());
}

}  // namespace

QByteArray xlsx(const Lignes& lignes, const OptionsXlsx& options) {
    QStringList partagees;
    QString sheet = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<worksheet "
        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>");
    for (int r = 0; r < lignes.size(); ++r) {
        sheet += QStringLiteral("<row r=\"%1\">").arg(r + 1);
        for (int c = 0; c < lignes[r].size(); ++c) {
            const QVariant& v = lignes[r][c];
            const QString ref = lettre(c) + QString::number(r + 1);
            if (!v.isValid()) {
                continue;
            }
            if (v.typeId() == QMetaType::QString) {
                if (options.chainesEnLigne) {
                    sheet += QStringLiteral("<c r=\"%1\" t=\"inlineStr\"><is><t>%2</t></is></c>")
                                 .arg(ref, echapper(v.toString()));
                } else {
                    qsizetype i = partagees.indexOf(v.toString());
                    if (i < 0) {
                        i = partagees.size();
                        partagees.append(v.toString());
                    }
                    sheet += QStringLiteral("<c r=\"%1\" t=\"s\"><v>%2</v></c>").arg(ref).arg(i);
                }
            } else if (v.typeId() == QMetaType::Bool) {
                sheet += QStringLiteral("<c r=\"%1\" t=\"b\"><v>%2</v></c>")
                             .arg(ref)
                             .arg(v.toBool() ? 1 : 0);
            } else {
                sheet += QStringLiteral("<c r=\"%1\"><v>%2</v></c>").arg(ref, nombre(v));
            }
        }
        sheet += QStringLiteral("</row>");
    }
    sheet += QStringLiteral("</sheetData></worksheet>");

    QString sst = QStringLiteral(
                      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "count=\"%1\" uniqueCount=\"%1\">")
                      .arg(partagees.size());
    for (const QString& s : partagees) {
        sst += QStringLiteral("<si><t xml:space=\"preserve\">%1</t></si>").arg(echapper(s));
    }
    sst += QStringLiteral("</sst>");

    const QString p = options.cheminsAbsolus ? QStringLiteral("/xl/") : QString();
    const QString racine = options.cheminsAbsolus ? QStringLiteral("/") : QString();
    const QString rels =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships/officeDocument\" Target=\"%1xl/workbook.xml\"/></Relationships>")
            .arg(racine);
    QString wbRels =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships/worksheet\" Target=\"%1worksheets/sheet1.xml\"/>")
            .arg(p);
    if (!options.chainesEnLigne) {
        wbRels += QStringLiteral(
                      "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/"
                      "officeDocument/2006/relationships/sharedStrings\" "
                      "Target=\"%1sharedStrings.xml\"/>")
                      .arg(p);
    }
    wbRels += QStringLiteral("</Relationships>");
    const QString workbook =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
            "<sheets><sheet name=\"%1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>")
            .arg(echapper(options.nomFeuille));
    QString types = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/"
        "vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>");
    if (!options.chainesEnLigne) {
        types += QStringLiteral(
            "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
            "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>");
    }
    types += QStringLiteral("</Types>");

    QVector<QPair<QString, QByteArray>> parts = {
        {QStringLiteral("[Content_Types].xml"), types.toUtf8()},
        {QStringLiteral("_rels/.rels"), rels.toUtf8()},
        {QStringLiteral("xl/workbook.xml"), workbook.toUtf8()},
        {QStringLiteral("xl/_rels/workbook.xml.rels"), wbRels.toUtf8()},
        {QStringLiteral("xl/worksheets/sheet1.xml"), sheet.toUtf8()},
    };
    if (!options.chainesEnLigne) {
        parts.append({QStringLiteral("xl/sharedStrings.xml"), sst.toUtf8()});
    }
    return zip(parts);
}

QByteArray ods(const Lignes& lignes, const QString& nomFeuille) {
    QString content =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<office:document-content "
            "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\">"
            "<office:body><office:spreadsheet><table:table table:name=\"%1\">")
            .arg(echapper(nomFeuille));
    for (const Ligne& l : lignes) {
        content += QStringLiteral("<table:table-row>");
        for (const QVariant& v : l) {
            if (!v.isValid()) {
                content += QStringLiteral("<table:table-cell/>");
            } else if (v.typeId() == QMetaType::Bool) {
                content += QStringLiteral(
                               "<table:table-cell office:value-type=\"boolean\" "
                               "office:boolean-value=\"%1\"><text:p>%2</text:p>"
                               "</table:table-cell>")
                               .arg(v.toBool() ? QStringLiteral("true") : QStringLiteral("false"),
                                    v.toBool() ? QStringLiteral("VRAI") : QStringLiteral("FAUX"));
            } else if (v.typeId() == QMetaType::QString) {
                content += QStringLiteral(
                               "<table:table-cell office:value-type=\"string\"><text:p>%1"
                               "</text:p></table:table-cell>")
                               .arg(echapper(v.toString()));
            } else {
                content += QStringLiteral(
                               "<table:table-cell office:value-type=\"float\" "
                               "office:value=\"%1\"><text:p>%1</text:p></table:table-cell>")
                               .arg(nombre(v));
            }
        }
        content += QStringLiteral("</table:table-row>");
    }
    content += QStringLiteral(
        "</table:table></office:spreadsheet></office:body></office:document-content>");
    const QByteArray manifest =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
        "<manifest:file-entry manifest:full-path=\"/\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
        "</manifest:manifest>";
    return zip({{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
                {QStringLiteral("content.xml"), content.toUtf8()},
                {QStringLiteral("META-INF/manifest.xml"), manifest}});
}

QByteArray xmlExcel(const Lignes& lignes) {
    QString x = QStringLiteral(
        "<?xml version=\"1.0\"?>\n<?mso-application progid=\"Excel.Sheet\"?>\n"
        "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">"
        "<Worksheet ss:Name=\"Feuil1\"><Table>");
    for (const Ligne& l : lignes) {
        x += QStringLiteral("<Row>");
        for (int c = 0; c < l.size(); ++c) {
            const QVariant& v = l[c];
            if (!v.isValid()) {
                continue;
            }
            const bool texte = v.typeId() == QMetaType::QString;
            const bool booleen = v.typeId() == QMetaType::Bool;
            x += QStringLiteral("<Cell ss:Index=\"%1\"><Data ss:Type=\"%2\">%3</Data></Cell>")
                     .arg(c + 1)
                     .arg(texte     ? QStringLiteral("String")
                          : booleen ? QStringLiteral("Boolean")
                                    : QStringLiteral("Number"),
                          texte     ? echapper(v.toString())
                          : booleen ? QString::number(v.toBool() ? 1 : 0)
                                    : nombre(v));
        }
        x += QStringLiteral("</Row>");
    }
    x += QStringLiteral("</Table></Worksheet></Workbook>");
    return x.toUtf8();
}

QByteArray html(const Lignes& lignes) {
    QString h = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Export</title></head>"
        "<body><p>Export du 31/12/2023</p><table border=\"1\">");
    for (const Ligne& l : lignes) {
        h += QStringLiteral("<tr>");
        for (const QVariant& v : l) {
            h += QStringLiteral("<td>%1</td>")
                     .arg(!v.isValid()                       ? QString()
                          : v.typeId() == QMetaType::QString ? echapper(v.toString())
                                                             : nombre(v));
        }
        h += QStringLiteral("</tr>\n");
    }
    h += QStringLiteral("</table></body></html>");
    return h.toUtf8();
}

namespace {

QByteArray octets16(std::initializer_list<quint16> valeurs) {
    QByteArray b;
    for (const quint16 v : valeurs) {
        ecrire16(b, v);
    }
    return b;
}

QByteArray chaineBiff8(const QString& t, bool longueur16) {
    QByteArray b;
    if (longueur16) {
        ecrire16(b, static_cast<quint16>(t.size()));
    } else {
        b.append(static_cast<char>(t.size()));
    }
    b.append('\x01');
    for (const QChar c : t) {
        ecrire16(b, c.unicode());
    }
    return b;
}

}  // namespace

/// A BIFF5 text: its length, then its bytes in Windows-1252.
QByteArray chaineBiff5(const QString& t, bool longueur16) {
    QByteArray octets;
    db::Win1252::encode(t, octets);
    QByteArray b;
    if (longueur16) {
        ecrire16(b, static_cast<quint16>(octets.size()));
    } else {
        b.append(static_cast<char>(octets.size()));
    }
    return b + octets;
}

QByteArray xls(const Lignes& lignes, const OptionsXls& options) {
    const quint16 version = options.excel95 ? 0x0500 : 0x0600;
    auto chaine = [&options](const QString& t, bool longueur16) {
        return options.excel95 ? chaineBiff5(t, longueur16) : chaineBiff8(t, longueur16);
    };
    QByteArray feuille = enregistrement(0x0809, octets16({version, 0x0010, 0, 0, 0, 0, 0, 0}));
    int colonnes = 0;
    for (const Ligne& l : lignes) {
        colonnes = std::max(colonnes, static_cast<int>(l.size()));
    }
    if (options.dimension.isEmpty()) {
        QByteArray d;
        if (options.excel95) {
            d = octets16(
                {0, static_cast<quint16>(lignes.size()), 0, static_cast<quint16>(colonnes), 0});
        } else {
            ecrire32(d, 0);
            ecrire32(d, static_cast<quint32>(lignes.size()));
            ecrire16(d, 0);
            ecrire16(d, static_cast<quint16>(colonnes));
            ecrire16(d, 0);
        }
        feuille += enregistrement(0x0200, d);
    } else {
        feuille += enregistrement(0x0200, options.dimension);
    }
    for (int r = 0; r < lignes.size(); ++r) {
        for (int c = 0; c < lignes[r].size(); ++c) {
            const QVariant& v = lignes[r][c];
            const QByteArray position = octets16({quint16(r), quint16(c), 15});
            if (!v.isValid()) {
                continue;
            }
            if (v.typeId() == QMetaType::QString) {
                feuille += enregistrement(0x0204, position + chaine(v.toString(), true));
            } else if (v.typeId() == QMetaType::Bool) {
                feuille +=
                    enregistrement(0x0205, position + QByteArray(v.toBool() ? "\x01" : "\x00", 1) +
                                               QByteArray(1, '\0'));
            } else {
                QByteArray n = position;
                const double d = v.toDouble();
                quint64 bits;
                std::memcpy(&bits, &d, 8);
                ecrire32(n, static_cast<quint32>(bits));
                ecrire32(n, static_cast<quint32>(bits >> 32));
                feuille += enregistrement(0x0203, n);
            }
        }
    }
    for (const QByteArray& e : options.enregistrements) {
        feuille += e;
    }
    feuille += enregistrement(0x000A, QByteArray());

    QByteArray global = enregistrement(0x0809, octets16({version, 0x0005, 0, 0, 0, 0, 0, 0}));
    global += enregistrement(0x0042, octets16({quint16(options.excel95 ? 1252 : 1200)}));
    for (int i = 0; i < 16; ++i) {
        global += enregistrement(0x00E0, octets16({0, 0, 0xFFF5, 0x20, 0, 0, 0, 0, 0, 0}));
    }
    global += enregistrement(0x00E0, octets16({0, 0, 0x0001, 0x20, 0, 0, 0, 0, 0, 0}));
    const QByteArray nom = chaine(options.nomFeuille, false);
    const qsizetype positionFeuille = global.size() + 4 + 6 + nom.size() + 4;
    QByteArray boundsheet;
    ecrire32(boundsheet, static_cast<quint32>(positionFeuille));
    boundsheet.append('\0').append('\0');
    global += enregistrement(0x0085, boundsheet + nom);
    global += enregistrement(0x000A, QByteArray());
    return fichierCompose(global + feuille,
                          options.excel95 ? QStringLiteral("Book") : QStringLiteral("Workbook"));
}

bool ecrire(const QString& path, const QByteArray& contenu) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(contenu) == contenu.size();
}

bool ecrireAvecPython(const QString& path, const Lignes& lignes, const QString& outil) {
    QJsonArray rows;
    for (const Ligne& l : lignes) {
        QJsonArray row;
        for (const QVariant& v : l) {
            row.append(v.isValid() ? QJsonValue::fromVariant(v) : QJsonValue());
        }
        rows.append(row);
    }
    static const char* xlwt = R"(
import json, sys, xlwt
rows = json.load(sys.stdin)
wb = xlwt.Workbook()
ws = wb.add_sheet('Feuil1')
for r, row in enumerate(rows):
    for c, v in enumerate(row):
        if v is not None:
            ws.write(r, c, v)
wb.save(sys.argv[1])
)";
    static const char* openpyxl = R"(
import json, sys, openpyxl
rows = json.load(sys.stdin)
wb = openpyxl.Workbook()
ws = wb.active
ws.title = 'Feuil1'
for r, row in enumerate(rows):
    for c, v in enumerate(row):
        if v is not None:
            ws.cell(row=r + 1, column=c + 1, value=v)
wb.save(sys.argv[1])
)";
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), QString::fromLatin1(outil == u"xlwt" ? xlwt : openpyxl), path});
    if (!p.waitForStarted()) {
        return false;
    }
    p.write(QJsonDocument(rows).toJson(QJsonDocument::Compact));
    p.closeWriteChannel();
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit &&
           p.exitCode() == 0 && QFile::exists(path);
}

bool ecrireDBase(const QString& path, const Lignes& lignes) {
    if (lignes.isEmpty()) {
        return false;
    }
    DBFHandle h = DBFCreate(QFile::encodeName(path).constData());
    if (!h) {
        return false;
    }
    const Ligne& titres = lignes.front();
    for (int c = 0; c < titres.size(); ++c) {
        // A field is numeric when every value below its title is a number.
        bool numerique = lignes.size() > 1;
        for (int r = 1; r < lignes.size(); ++r) {
            const QVariant v = lignes[r].value(c);
            numerique &= !v.isValid() || v.typeId() != QMetaType::QString;
        }
        const QByteArray nom = titres[c].toString().left(10).toLatin1();
        if (numerique) {
            DBFAddField(h, nom.constData(), FTDouble, 18, 3);
        } else {
            DBFAddField(h, nom.constData(), FTString, 254, 0);
        }
    }
    for (int r = 1; r < lignes.size(); ++r) {
        for (int c = 0; c < titres.size(); ++c) {
            const QVariant v = lignes[r].value(c);
            if (!v.isValid()) {
                DBFWriteNULLAttribute(h, r - 1, c);
            } else if (v.typeId() == QMetaType::QString) {
                DBFWriteStringAttribute(h, r - 1, c, v.toString().toUtf8().constData());
            } else {
                DBFWriteDoubleAttribute(h, r - 1, c, v.toDouble());
            }
        }
    }
    DBFClose(h);
    return true;
}

}  // namespace fichiers
