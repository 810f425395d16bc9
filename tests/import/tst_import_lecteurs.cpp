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
        for (const auto& l : f.lignes) {
            QStringList cellules;
            for (const Cellule& c : l) {
                cellules.append(c.texte);
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
