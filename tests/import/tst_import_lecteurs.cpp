// Every source format read from real files, the conversions of their cells, and the files
// that must be refused with a clear French message rather than read as empty or crash.
#include "FichiersSource.h"
#include "import/ConversionCellule.h"
#include "import/ImportError.h"
#include "import/LecteurSource.h"
#include "import/LecteurTexte.h"

#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace fichiers;

namespace {

const Lignes& tableau() {
    static const Lignes lignes = {
        {QStringLiteral("MFISCAL"), QStringLiteral("EXERCICE"), QStringLiteral("LG"),
         QStringLiteral("RAISON"), QStringLiteral("ACHATS")},
        {QStringLiteral("9999999Z"), 2023, 1, QStringLiteral("Société Générale €"), 1234.567},
        {QStringLiteral("9999999Z"), 2023, QVariant(), QStringLiteral("CUP"), -5},
    };
    return lignes;
}

QByteArray csv() {
    return QStringLiteral(
               "MFISCAL;EXERCICE;LG;RAISON;ACHATS\r\n"
               "9999999Z;2023;1;\"Société Générale €\";1234.567\r\n"
               "9999999Z;2023;;CUP;-5\r\n")
        .toUtf8();
}

FieldDef colonne(FieldType type, int width, int scale = 0) {
    FieldDef f;
    f.type = type;
    f.width = width;
    f.scale = scale;
    return f;
}

using Ecrivain = std::function<bool(const QString& path)>;

const QString kFeuilleXlsx = QStringLiteral("xl/worksheets/sheet1.xml");

QVariant t(const char* texte) {
    return QString::fromUtf8(texte);
}

/// A title row and one data row: A2 a text, B2 the number 1, C2 a text.
const Lignes& deuxLignes() {
    static const Lignes lignes = {{t("MFISCAL"), t("ACHATS"), t("RAISON")},
                                  {t("9999999Z"), 1, t("Filiale")}};
    return lignes;
}

QByteArray u16(quint16 v) {
    return QByteArray(1, static_cast<char>(v & 0xFF)) + QByteArray(1, static_cast<char>(v >> 8));
}

QByteArray u32(quint32 v) {
    return u16(v & 0xFFFF) + u16(v >> 16);
}

/// A BIFF cell record's first bytes: row, column, format.
QByteArray position(quint16 ligne, quint16 colonne) {
    return u16(ligne) + u16(colonne) + u16(15);
}

/// A FORMULA record at B2 whose saved result is @p resultat (8 bytes).
QByteArray formuleXls(const QByteArray& resultat) {
    return enregistrement(0x0006, position(1, 1) + resultat + u16(0) + u32(0) + u16(0));
}

/// An Excel 97-2003 sheet where B2, instead of the number 1, is @p enregistrement.
QByteArray xlsAvecB2(const QByteArray& enregistrementB2) {
    Lignes lignes = deuxLignes();
    lignes[1][1] = QVariant();
    OptionsXls options;
    options.enregistrements = {enregistrementB2};
    return xls(lignes, options);
}

const QString kCalcExt = QStringLiteral(
    "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\" ");

/// The OpenDocument sheet of deuxLignes() with its B2 cell written as @p cellule.
QByteArray odsAvecB2(const QString& cellule) {
    const QByteArray avecEspace =
        modifierPartie(ods(deuxLignes()), QStringLiteral("content.xml"),
                       "office:version=", kCalcExt.toUtf8() + "office:version=");
    return modifierPartie(avecEspace, QStringLiteral("content.xml"),
                          "<table:table-cell office:value-type=\"float\" office:value=\"1\">"
                          "<text:p>1</text:p></table:table-cell>",
                          cellule.toUtf8());
}

/// The Excel 2003 XML sheet of deuxLignes() with its B2 cell written as @p cellule.
QByteArray xmlAvecB2(const QString& cellule) {
    QByteArray x = xmlExcel(deuxLignes());
    return x.replace("<Cell ss:Index=\"2\"><Data ss:Type=\"Number\">1</Data></Cell>",
                     cellule.toUtf8());
}

}  // namespace

Q_DECLARE_METATYPE(Ecrivain)

class TestImportLecteurs : public QObject {
    Q_OBJECT

private slots:
    void chaqueFormat_data() {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<int>("format");
        QTest::addColumn<Ecrivain>("ecrire");
        auto octets = [](QByteArray b) {
            return Ecrivain([b](const QString& p) { return ecrire(p, b); });
        };
        QTest::newRow("xlsx comme Excel")
            << "t.xlsx" << int(FormatSource::Excel) << octets(xlsx(tableau()));
        OptionsXlsx autre;
        autre.chainesEnLigne = true;
        autre.cheminsAbsolus = true;
        QTest::newRow("xlsx chaînes en ligne, chemins absolus")
            << "t.xlsx" << int(FormatSource::Excel) << octets(xlsx(tableau(), autre));
        QTest::newRow("xlsx d'openpyxl")
            << "t.xlsx" << int(FormatSource::Excel) << Ecrivain([](const QString& p) {
                   return ecrireAvecPython(p, tableau(), "openpyxl");
               });
        QTest::newRow("xls de xlwt")
            << "t.xls" << int(FormatSource::Excel)
            << Ecrivain([](const QString& p) { return ecrireAvecPython(p, tableau(), "xlwt"); });
        OptionsXls excel95;
        excel95.excel95 = true;
        QTest::newRow("xls Excel 95")
            << "t.xls" << int(FormatSource::Excel) << octets(xls(tableau(), excel95));
        QTest::newRow("ods") << "t.ods" << int(FormatSource::OpenDocument)
                             << octets(ods(tableau()));
        QTest::newRow("csv") << "t.csv" << int(FormatSource::Texte) << octets(csv());
        QTest::newRow("csv Windows-1252")
            << "t.txt" << int(FormatSource::Texte)
            << octets(
                   QByteArray("MFISCAL;EXERCICE;LG;RAISON;ACHATS\r\n9999999Z;2023;1;Soci\xE9t\xE9 "
                              "G\xE9n\xE9rale \x80;1234.567\r\n9999999Z;2023;;CUP;-5\r\n"));
        QTest::newRow("html") << "t.html" << int(FormatSource::Html) << octets(html(tableau()));
        QTest::newRow("export web .xls en HTML")
            << "t.xls" << int(FormatSource::Excel) << octets(html(tableau()));
        QTest::newRow("xml Excel 2003")
            << "t.xml" << int(FormatSource::XmlExcel) << octets(xmlExcel(tableau()));
        QTest::newRow("dbase") << "t.dbf" << int(FormatSource::DBase)
                               << Ecrivain(
                                      [](const QString& p) { return ecrireDBase(p, tableau()); });
    }

    void chaqueFormat() {
        QFETCH(QString, fichier);
        QFETCH(int, format);
        QFETCH(Ecrivain, ecrire);
        QTemporaryDir dir;
        const QString path = dir.filePath(fichier);
        QVERIFY2(ecrire(path), "the test could not write its source file");

        const Classeur c =
            LecteurSource::lire(path, static_cast<FormatSource>(format), OptionsTexte{});
        QVERIFY(!c.feuilles.isEmpty());
        const FeuilleSource& f = c.feuilles.front();
        QCOMPARE(f.nombreLignes(), 3);
        const FormatsValeurs formats;
        auto valeur = [&](int r, int col, const FieldDef& def) {
            return ConversionCellule::convertir(f.cellule(r, col), def, formats);
        };
        const FieldDef texte = colonne(FieldType::Varchar, 250);
        const FieldDef entier = colonne(FieldType::Integer, 0);
        const FieldDef montant = colonne(FieldType::Numeric, 18, 3);
        QCOMPARE(valeur(0, 3, texte).toText(), QStringLiteral("RAISON"));
        QCOMPARE(valeur(1, 0, texte).toText(), QStringLiteral("9999999Z"));
        QCOMPARE(valeur(1, 1, entier).toInt(), 2023);
        QCOMPARE(valeur(1, 3, texte).toText(), QStringLiteral("Société Générale €"));
        QCOMPARE(valeur(1, 4, montant).toDecimal().toString(), QStringLiteral("1234.567"));
        QVERIFY(f.cellule(2, 2).estVide());
        QCOMPARE(valeur(2, 3, texte).toText(), QStringLiteral("CUP"));
        QCOMPARE(valeur(2, 4, montant).toDecimal().toString(), QStringLiteral("-5.000"));
    }

    void fichiersRefuses_data() {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("attendu");
        const QByteArray paquet = xlsx(tableau());
        const QByteArray cfb("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        QTest::newRow("xlsx tronqué") << "t.xlsx" << paquet.left(paquet.size() / 2)
                                      << int(FormatSource::Excel) << "endommagé";
        QTest::newRow("xlsx chiffré")
            << "t.xlsx"
            << cfb + QByteArray(500, '\0') +
                   QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32)
            << int(FormatSource::Excel) << "mot de passe";
        QTest::newRow("xls endommagé") << "t.xls" << cfb + QByteArray(600, 'x')
                                       << int(FormatSource::Excel) << "Le fichier « t.xls »";
        QTest::newRow("texte choisi comme Excel")
            << "t.xlsx" << QByteArray("bonjour;1\n") << int(FormatSource::Excel)
            << "n'est pas un classeur Excel";
        QTest::newRow("ods choisi comme Excel")
            << "t.xlsx" << ods(tableau()) << int(FormatSource::Excel) << "OpenDocument";
        QTest::newRow("xlsx choisi comme OpenDocument")
            << "t.ods" << paquet << int(FormatSource::OpenDocument)
            << "n'est pas un classeur OpenDocument";
        QTest::newRow("xlsx choisi comme texte")
            << "t.csv" << paquet << int(FormatSource::Texte) << "n'est pas un fichier texte";
        QTest::newRow("fichier vide")
            << "t.csv" << QByteArray() << int(FormatSource::Texte) << "est vide";
        QTest::newRow("guillemet jamais fermé")
            << "t.csv" << QByteArray("a;b\n1;\"2\n3;4\n") << int(FormatSource::Texte)
            << "ligne 2 n'est jamais fermé";
        QTest::newRow("page sans tableau")
            << "t.html" << QByteArray("<html><body><p>rien</p></body></html>")
            << int(FormatSource::Html) << "aucun tableau";
        QTest::newRow("dbase qui n'en est pas un")
            << "t.dbf" << QByteArray("pas une table") << int(FormatSource::DBase)
            << "n'est pas une table dBase";
        QTest::newRow("xml quelconque")
            << "t.xml" << QByteArray("<?xml version=\"1.0\"?><a/>") << int(FormatSource::XmlExcel)
            << "n'est pas une feuille XML Excel 2003";
    }

    void fichiersRefuses() {
        QFETCH(QString, fichier);
        QFETCH(QByteArray, contenu);
        QFETCH(int, format);
        QFETCH(QString, attendu);
        QTemporaryDir dir;
        const QString path = dir.filePath(fichier);
        QVERIFY(ecrire(path, contenu));
        try {
            LecteurSource::lire(path, static_cast<FormatSource>(format), OptionsTexte{});
            QFAIL("the file was read");
        } catch (const ImportError& e) {
            QVERIFY2(e.text().contains(attendu), qPrintable(e.text()));
            QVERIFY2(e.text().contains(fichier), qPrintable(e.text()));
        }
    }

    // --- hostile and damaged workbooks --------------------------------------------------

    void referencesHorsDuClasseur_data() {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("attendu");
        const int excel = int(FormatSource::Excel);
        OptionsXlsx enLigne;
        enLigne.chainesEnLigne = true;
        const QByteArray paquet = xlsx(deuxLignes(), enLigne);
        QTest::newRow("xlsx, cellule écrite en A2000000000")
            << "t.xlsx" << modifierPartie(paquet, kFeuilleXlsx, "r=\"B2\"", "r=\"A2000000000\"")
            << excel
            << QStringLiteral(
                   "la feuille « Feuil1 » a une cellule en A2000000000, au-delà de la "
                   "dernière ligne d'un classeur (1\u00A0048\u00A0576).");
        QTest::newRow("xlsx, colonne bien au-delà de XFD")
            << "t.xlsx" << modifierPartie(paquet, kFeuilleXlsx, "r=\"B2\"", "r=\"ZZZZZZZZZZZZ2\"")
            << excel
            << QStringLiteral(
                   "la feuille « Feuil1 » a une cellule en ZZZZZZZZZZZZ2, au-delà de la "
                   "dernière colonne d'un classeur (XFD).");
        QTest::newRow("xlsx, rangée au-delà de la dernière ligne")
            << "t.xlsx"
            << modifierPartie(xlsx(deuxLignes()), kFeuilleXlsx, "<row r=\"2\"><c r=\"A2\"",
                              "<row r=\"1048577\"><c")
            << excel << QStringLiteral("la feuille « Feuil1 » a une cellule en A1048577");
        QTest::newRow("xlsx, référence qui n'en est pas une")
            << "t.xlsx" << modifierPartie(paquet, kFeuilleXlsx, "r=\"B2\"", "r=\"2B\"") << excel
            << QStringLiteral(
                   "la feuille « Feuil1 » a une cellule dont la référence « 2B » n'en "
                   "est pas une.");
        const QByteArray odsVide = ods({{QVariant()}, {t("a")}});
        QTest::newRow("ods, lignes répétées au-delà de la dernière")
            << "t.ods"
            << modifierPartie(odsVide, QStringLiteral("content.xml"), "<table:table-row>",
                              "<table:table-row table:number-rows-repeated=\"2000000000\">")
            << int(FormatSource::OpenDocument)
            << QStringLiteral("la feuille « Feuille1 » a une cellule en A2000000001");
        QTest::newRow("ods, cellules répétées au-delà de XFD")
            << "t.ods"
            << modifierPartie(ods({{QVariant(), t("a")}}), QStringLiteral("content.xml"),
                              "<table:table-cell/>",
                              "<table:table-cell table:number-columns-repeated=\"20000\"/>")
            << int(FormatSource::OpenDocument)
            << QStringLiteral("au-delà de la dernière colonne d'un classeur (XFD).");
        OptionsXls dimension;
        dimension.dimension = u32(0) + u32(0x80000000u) + u16(0) + u16(300) + u16(0);
        QTest::newRow("xls, dimension déclarée hors du format")
            << "t.xls" << xls(deuxLignes(), dimension) << excel
            << QStringLiteral("la feuille « Feuil1 » annonce des cellules jusqu'en KN2147483648");
        QByteArray nombre = position(2, 300);
        nombre += QByteArray(8, '\0');
        QTest::newRow("xls, cellule en colonne 301")
            << "t.xls" << xlsAvecB2(enregistrement(0x0203, nombre)) << excel
            << QStringLiteral(
                   "la feuille « Feuil1 » a une cellule en KO3, au-delà de la dernière "
                   "colonne d'un classeur Excel 97-2003 (IV).");
        QTest::newRow("xml 2003, cellule placée au-delà de XFD")
            << "t.xml"
            << xmlAvecB2(QStringLiteral("<Cell ss:Index=\"20000\"><Data ss:Type=\"Number\">1"
                                        "</Data></Cell>"))
            << int(FormatSource::XmlExcel)
            << QStringLiteral(
                   "la feuille « Feuil1 » a une cellule en ACOF2, au-delà de la "
                   "dernière colonne d'un classeur (XFD).");
    }

    void referencesHorsDuClasseur() {
        QFETCH(QString, fichier);
        QFETCH(QByteArray, contenu);
        QFETCH(int, format);
        QFETCH(QString, attendu);
        QTemporaryDir dir;
        const QString path = dir.filePath(fichier);
        QVERIFY(ecrire(path, contenu));
        try {
            LecteurSource::lire(path, static_cast<FormatSource>(format), OptionsTexte{});
            QFAIL("the file was read");
        } catch (const ImportError& e) {
            QVERIFY2(e.text().startsWith(
                         QStringLiteral("Le fichier « %1 » est illisible : ").arg(fichier)),
                     qPrintable(e.text()));
            QVERIFY2(e.text().contains(attendu), qPrintable(e.text()));
        }
    }

    void celluleIsoleeAuBoutDuClasseur_data() {
        // A real row, and one cell at the last row and column the format has.
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("lignes");
        QTest::addColumn<int>("colonnes");
        const QByteArray isolee = "<row r=\"1048576\"><c r=\"XFD1048576\"><v>7</v></c></row>";
        QTest::newRow("xlsx comme Excel") << "t.xlsx"
                                          << modifierPartie(xlsx(deuxLignes()), kFeuilleXlsx,
                                                            "</sheetData>", isolee + "</sheetData>")
                                          << int(FormatSource::Excel) << 1048576 << 16384;
        OptionsXlsx enLigne;
        enLigne.chainesEnLigne = true;
        QTest::newRow("xlsx chaînes en ligne")
            << "t.xlsx"
            << modifierPartie(xlsx(deuxLignes(), enLigne), kFeuilleXlsx, "</sheetData>",
                              isolee + "</sheetData>")
            << int(FormatSource::Excel) << 1048576 << 16384;
        QTest::newRow("ods")
            << "t.ods"
            << modifierPartie(ods(deuxLignes()), QStringLiteral("content.xml"), "</table:table>",
                              "<table:table-row table:number-rows-repeated=\"1048573\">"
                              "<table:table-cell table:number-columns-repeated=\"16384\"/>"
                              "</table:table-row><table:table-row>"
                              "<table:table-cell table:number-columns-repeated=\"16383\"/>"
                              "<table:table-cell office:value-type=\"float\" office:value=\"7\">"
                              "<text:p>7</text:p></table:table-cell></table:table-row>"
                              "</table:table>")
            << int(FormatSource::OpenDocument) << 1048576 << 16384;
        OptionsXls options;
        options.dimension = u32(0) + u32(65536) + u16(0) + u16(256) + u16(0);
        QByteArray sept = position(65535, 255);
        sept += QByteArray::fromHex("0000000000001c40");  // 7.0
        options.enregistrements = {enregistrement(0x0203, sept)};
        QTest::newRow("xls") << "t.xls" << xls(deuxLignes(), options) << int(FormatSource::Excel)
                             << 65536 << 256;
    }

    void celluleIsoleeAuBoutDuClasseur() {
        QFETCH(QString, fichier);
        QFETCH(QByteArray, contenu);
        QFETCH(int, format);
        QFETCH(int, lignes);
        QFETCH(int, colonnes);
        QTemporaryDir dir;
        const QString path = dir.filePath(fichier);
        QVERIFY(ecrire(path, contenu));
        const FeuilleSource f =
            LecteurSource::lire(path, static_cast<FormatSource>(format), {}).feuilles.front();
        QCOMPARE(f.nombreLignes(), lignes);
        // Only what the file holds is kept: the two rows and the lone cell.
        QCOMPARE(f.lignes().size(), 3);
        qsizetype cellules = 0;
        for (const LigneSource& l : f.lignes()) {
            cellules += l.plages.size();
        }
        QCOMPARE(cellules, 7);
        QCOMPARE(f.cellule(1, 2).texte, QStringLiteral("Filiale"));
        QCOMPARE(f.cellule(lignes - 1, colonnes - 1).texte, QStringLiteral("7"));
        QVERIFY(f.cellule(lignes - 2, colonnes - 1).estVide());
        QVERIFY(f.cellule(lignes - 1, colonnes - 2).estVide());
    }

    void erreursDeFormule_data() {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("raison");
        const int excel = int(FormatSource::Excel);
        const QString na = QStringLiteral("la cellule contient une erreur de formule (#N/A)");
        const QString div0 = QStringLiteral("la cellule contient une erreur de formule (#DIV/0!)");
        const QByteArray b2 = "<c r=\"B2\"><v>1</v></c>";
        QTest::newRow("xlsx, erreur écrite")
            << "t.xlsx"
            << modifierPartie(xlsx(deuxLignes()), kFeuilleXlsx, b2,
                              "<c r=\"B2\" t=\"e\"><v>#N/A</v></c>")
            << excel << na;
        QTest::newRow("xlsx, formule en erreur")
            << "t.xlsx"
            << modifierPartie(xlsx(deuxLignes()), kFeuilleXlsx, b2,
                              "<c r=\"B2\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>")
            << excel << div0;
        QTest::newRow("xlsx, formule enregistrée sans son résultat")
            << "t.xlsx"
            << modifierPartie(xlsx(deuxLignes()), kFeuilleXlsx, b2,
                              "<c r=\"B2\"><f>SUM(A1:A2)</f></c>")
            << excel << QStringLiteral("formule dont le fichier ne donne pas le résultat");
        QTest::newRow("ods, erreur de LibreOffice")
            << "t.ods"
            << odsAvecB2(QStringLiteral(
                   "<table:table-cell table:formula=\"of:=NA()\" office:value-type=\"float\" "
                   "office:value=\"0\" calcext:value-type=\"error\"><text:p>#N/A</text:p>"
                   "</table:table-cell>"))
            << int(FormatSource::OpenDocument) << na;
        QTest::newRow("ods, erreur d'une formule sans type de valeur")
            << "t.ods"
            << odsAvecB2(QStringLiteral("<table:table-cell table:formula=\"of:=1/0\">"
                                        "<text:p>#DIV/0!</text:p></table:table-cell>"))
            << int(FormatSource::OpenDocument) << div0;
        QTest::newRow("csv exporté d'un tableur")
            << "t.csv" << QByteArray("MFISCAL;ACHATS;RAISON\r\n9999999Z;#N/A;Filiale\r\n")
            << int(FormatSource::Texte) << na;
        QTest::newRow("page HTML exportée")
            << "t.html" << html({deuxLignes()[0], {t("9999999Z"), t("#DIV/0!"), t("Filiale")}})
            << int(FormatSource::Html) << div0;
        QTest::newRow("xls, cellule d'erreur")
            << "t.xls"
            << xlsAvecB2(enregistrement(0x0205, position(1, 1) + QByteArray("\x2A\x01", 2)))
            << excel << na;
        QTest::newRow("xls, formule en erreur")
            << "t.xls" << xlsAvecB2(formuleXls(QByteArray::fromHex("020007000000ffff"))) << excel
            << div0;
        QTest::newRow("xls, formule jamais calculée")
            << "t.xls" << xlsAvecB2(formuleXls(QByteArray::fromHex("ffffffffffffffff"))) << excel
            << QStringLiteral("formule dont le fichier ne donne pas le résultat");
        QTest::newRow("xml 2003") << "t.xml"
                                  << xmlAvecB2(QStringLiteral(
                                         "<Cell ss:Index=\"2\" ss:Formula=\"=NA()\">"
                                         "<Data ss:Type=\"Error\">#N/A</Data></Cell>"))
                                  << int(FormatSource::XmlExcel) << na;
    }

    void erreursDeFormule() {
        QFETCH(QString, fichier);
        QFETCH(QByteArray, contenu);
        QFETCH(int, format);
        QFETCH(QString, raison);
        QTemporaryDir dir;
        const QString path = dir.filePath(fichier);
        QVERIFY(ecrire(path, contenu));
        const FeuilleSource f =
            LecteurSource::lire(path, static_cast<FormatSource>(format), {}).feuilles.front();
        QCOMPARE(f.cellule(1, 2).texte, QStringLiteral("Filiale"));
        // Never a value, whatever the column: not a name, not zero.
        for (const FieldDef& def :
             {colonne(FieldType::Varchar, 250), colonne(FieldType::Numeric, 18, 3)}) {
            try {
                const db::Value v = ConversionCellule::convertir(f.cellule(1, 1), def, {});
                QFAIL(qPrintable(
                    QStringLiteral("the error cell converted to « %1 »").arg(v.toText())));
            } catch (const ErreurConversion& e) {
                QVERIFY2(e.raison().contains(raison), qPrintable(e.raison()));
            }
        }
    }

    void booleensDesClasseurs_data() {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<int>("format");
        const Lignes lignes = {{t("PRETINTERET"), t("AUTRE")}, {true, false}};
        QTest::newRow("xlsx") << "t.xlsx" << xlsx(lignes) << int(FormatSource::Excel);
        QTest::newRow("ods") << "t.ods" << ods(lignes) << int(FormatSource::OpenDocument);
        QTest::newRow("xls") << "t.xls" << xls(lignes) << int(FormatSource::Excel);
        Lignes sansB2 = lignes;
        sansB2[1][1] = QVariant();
        OptionsXls formule;
        formule.enregistrements = {formuleXls(QByteArray::fromHex("010000000000ffff"))};
        QTest::newRow("xls, formule booléenne")
            << "t.xls" << xls(sansB2, formule) << int(FormatSource::Excel);
        QTest::newRow("xml 2003") << "t.xml" << xmlExcel(lignes) << int(FormatSource::XmlExcel);
    }

    void booleensDesClasseurs() {
        QFETCH(QString, fichier);
        QFETCH(QByteArray, contenu);
        QFETCH(int, format);
        QTemporaryDir dir;
        const QString path = dir.filePath(fichier);
        QVERIFY(ecrire(path, contenu));
        const FeuilleSource f =
            LecteurSource::lire(path, static_cast<FormatSource>(format), {}).feuilles.front();
        // A yes/no list's code, "Oui" or "Non"; in a narrower column the dataset keeps "O"/"N".
        const FieldDef texte = colonne(FieldType::Varchar, 3);
        QCOMPARE(ConversionCellule::convertir(f.cellule(1, 0), texte, {}).toText(),
                 QStringLiteral("Oui"));
        QCOMPARE(ConversionCellule::convertir(f.cellule(1, 1), texte, {}).toText(),
                 QStringLiteral("Non"));
        QCOMPARE(ConversionCellule::convertir(f.cellule(1, 0), colonne(FieldType::Integer, 0), {})
                     .toInt(),
                 1);
    }

    void raisonsEnFrancais_data() {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("raison");
        const QByteArray paquet = xlsx(deuxLignes());
        QByteArray bombe = "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY a \"";
        bombe += QByteArray(100, 'a') + "\">";
        QByteArray suite = "&a;";
        for (const char n : QByteArrayLiteral("bcdef")) {
            bombe += "<!ENTITY " + QByteArray(1, n) + " \"" + suite.repeated(10) + "\">";
            suite = "&" + QByteArray(1, n) + ";";
        }
        bombe +=
            "]><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
            "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" +
            suite + "</t></is></c></row></sheetData></worksheet>";
        auto contenu = parties(paquet);
        for (auto& [nom, donnees] : contenu) {
            if (nom == kFeuilleXlsx) {
                donnees = bombe;
            }
        }
        QTest::newRow("xlsx, entités qui se démultiplient")
            << "t.xlsx" << zip(contenu) << int(FormatSource::Excel)
            << QStringLiteral("une entité XML s'y développe au-delà de la taille permise");
        QTest::newRow("xlsx tronqué")
            << "t.xlsx" << paquet.left(paquet.size() / 2) << int(FormatSource::Excel)
            << QStringLiteral("son contenu compressé ne se lit pas (la fin de l'archive manque)");
        QTest::newRow("xlsx dont la feuille manque")
            << "t.xlsx"
            << modifierPartie(paquet, QStringLiteral("xl/_rels/workbook.xml.rels"),
                              "worksheets/sheet1.xml", "worksheets/feuille.xml")
            << int(FormatSource::Excel)
            << QStringLiteral(
                   "la feuille « Feuil1 » manque (la partie xl/worksheets/feuille.xml "
                   "n'est pas dans le fichier)");
        QTest::newRow("ods au XML mal formé")
            << "t.ods"
            << modifierPartie(ods(deuxLignes()), QStringLiteral("content.xml"), "</table:table>",
                              "</table:tableau>")
            << int(FormatSource::OpenDocument) << QStringLiteral("son XML est mal formé");
    }

    void raisonsEnFrancais() {
        QFETCH(QString, fichier);
        QFETCH(QByteArray, contenu);
        QFETCH(int, format);
        QFETCH(QString, raison);
        QTemporaryDir dir;
        const QString path = dir.filePath(fichier);
        QVERIFY(ecrire(path, contenu));
        try {
            LecteurSource::lire(path, static_cast<FormatSource>(format), {});
            QFAIL("the file was read");
        } catch (const ImportError& e) {
            const QString m = e.text();
            QVERIFY2(m.startsWith(QStringLiteral("Le fichier « %1 » est ").arg(fichier)),
                     qPrintable(m));
            QVERIFY2(m.contains(raison), qPrintable(m));
            // The reader's own words, when there are any, come after the French as a detail.
            const qsizetype detail = m.indexOf(QStringLiteral("détail : "));
            QVERIFY2(detail < 0 || detail > m.indexOf(raison), qPrintable(m));
            QVERIFY2(!m.contains(QStringLiteral("()")) && !m.contains(QStringLiteral("..")) &&
                         m.endsWith(u'.'),
                     qPrintable(m));
        }
    }

    void fichierIntrouvable() {
        try {
            LecteurSource::lire(QStringLiteral("/nulle/part/t.xlsx"), FormatSource::Excel, {});
            QFAIL("the file was read");
        } catch (const ImportError& e) {
            QCOMPARE(e.text(), QStringLiteral("Le fichier « t.xlsx » est introuvable."));
        }
    }

    void texteDelimite_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QString>("separateur");
        QTest::addColumn<QStringList>("attendu");  // rows joined by '|', cells by '/'
        QTest::newRow("CR LF, LF, CR")
            << QByteArray("a;b\r\nc;d\ne;f\rg") << ";" << QStringList{"a/b", "c/d", "e/f", "g"};
        QTest::newRow("délimiteurs doublés et séparateurs cités")
            << QByteArray("\"x;y\";\"il dit \"\"oui\"\"\"\n") << ";"
            << QStringList{"x;y/il dit \"oui\""};
        QTest::newRow("saut de ligne cité")
            << QByteArray("\"l1\r\nl2\";z\n") << ";" << QStringList{"l1\r\nl2/z"};
        QTest::newRow("tabulation") << QByteArray("a\tb;c\n") << "\t" << QStringList{"a/b;c"};
        QTest::newRow("ligne vide conservée")
            << QByteArray("a\n\nb\n") << ";" << QStringList{"a", "", "b"};
        QTest::newRow("marque d'ordre UTF-8")
            << QByteArray("\xEF\xBB\xBF\xC3\xA9;1\n") << ";" << QStringList{"é/1"};
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFEz\0;\0\xE9\0\n\0", 10) << ";"
                                << QStringList{"z/é"};
    }

    void texteDelimite() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, separateur);
        QFETCH(QStringList, attendu);
        OptionsTexte options;
        options.separateur = separateur.at(0);
        const FeuilleSource f = LecteurTexte::lire(contenu, options, QStringLiteral("t"));
        QStringList lignes;
        for (int r = 0; r < f.nombreLignes(); ++r) {
            QStringList cellules;
            if (const LigneSource* l = f.ligne(r)) {
                for (int c = 0; c < l->plages.back().colonne + l->plages.back().nombre; ++c) {
                    cellules.append(l->cellule(c).texte);
                }
            }
            lignes.append(cellules.join(u'/'));
        }
        QCOMPARE(lignes, attendu);
    }

    void conversions_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("francais");
        QTest::addColumn<QString>("attendu");  // the value's text, or "!" + part of the reason
        const int num = int(FieldType::Numeric);
        const int ent = int(FieldType::Integer);
        const int date = int(FieldType::Date);
        const int txt = int(FieldType::Char);
        QTest::newRow("montant point") << "1234.5" << num << false << "1234.500";
        QTest::newRow("montant blancs et euro")
            << "1 234 567.891 €" << num << false << "1234567.891";
        QTest::newRow("montant blanc insécable") << "1\u00A0234.5" << num << false << "1234.500";
        QTest::newRow("montant arrondi") << "0.0005" << num << false << "0.001";
        QTest::newRow("virgule refusée avec le point")
            << "1,5" << num << false << "!séparateur décimal attendu : « . »";
        QTest::newRow("montant français") << "-1 234,5" << num << true << "-1234.500";
        QTest::newRow("texte dans un montant")
            << "beaucoup" << num << false << "!« beaucoup » n'est pas un montant valide";
        QTest::newRow("montant trop grand")
            << "1234567890123456" << num << false << "!dépasse la capacité";
        QTest::newRow("montant au-delà de tout décimal")
            << "12345678901234567890123456789012345678" << num << false << "!dépasse la capacité";
        QTest::newRow("année") << " 2023 " << ent << false << "2023";
        QTest::newRow("texte dans une année")
            << "deux mille" << ent << false << "!n'est pas un nombre entier";
        QTest::newRow("année décimale")
            << "2023.5" << ent << false << "!n'est pas un nombre entier";
        QTest::newRow("booléen") << "True" << ent << false << "1";
        QTest::newRow("date") << "31/12/2023" << date << false << "31/12/2023";
        QTest::newRow("date ISO") << "2023-12-31" << date << false << "31/12/2023";
        QTest::newRow("date illisible")
            << "31/13/2023" << date << false
            << "!n'est pas une date valide (format attendu : 31/12/2023)";
        QTest::newRow("texte coupé par le jeu de données, pas ici")
            << "MPRM: pour" << txt << false << "MPRM: pour";
    }

    void conversions() {
        QFETCH(QString, texte);
        QFETCH(int, type);
        QFETCH(bool, francais);
        QFETCH(QString, attendu);
        const FieldDef def =
            colonne(static_cast<FieldType>(type), type == int(FieldType::Numeric) ? 18 : 4,
                    type == int(FieldType::Numeric) ? 3 : 0);
        const FormatsValeurs formats = francais ? FormatsValeurs::francais() : FormatsValeurs{};
        try {
            const db::Value v = ConversionCellule::convertir(Cellule::deTexte(texte), def, formats);
            QCOMPARE(v.toText(), attendu);
        } catch (const ErreurConversion& e) {
            QVERIFY2(attendu.startsWith(u'!') && e.raison().contains(attendu.mid(1)),
                     qPrintable(e.raison()));
        }
    }

    void nombresDesClasseurs() {
        // Spreadsheets hold doubles: the shortest decimal that reads back is what was typed.
        const FieldDef montant = colonne(FieldType::Numeric, 18, 3);
        const FieldDef date = colonne(FieldType::Date, 0);
        QCOMPARE(ConversionCellule::convertir(Cellule::deNombre(0.1 + 0.2), montant, {}).toText(),
                 QStringLiteral("0.300"));
        QCOMPARE(ConversionCellule::convertir(Cellule::deNombre(45291), date, {}).toText(),
                 QStringLiteral("31/12/2023"));
        QCOMPARE(ConversionCellule::convertir(Cellule::deNombre(1234567),
                                              colonne(FieldType::Varchar, 8), {})
                     .toText(),
                 QStringLiteral("1234567"));
    }
};

QTEST_GUILESS_MAIN(TestImportLecteurs)
#include "tst_import_lecteurs.moc"
