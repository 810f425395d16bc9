#pragma once

#include "DeclarationFixture.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QProcess>

/**
 * A declaration the administration's schema accepts whole, with every section and list
 * filled, Tunisian and foreign related companies, answers O with their details and the
 * free-text alternatives: the base of the check's tests.
 *
 * Line numbers: CAPITALLIEE 1 (Tunisian) and 2 (foreign); CAPITALDECLARANTE 1 (foreign);
 * LISTEACTIFINCORPOREL 1 (Tunisian) and 2 (foreign); LISTEACTIFCORPOREL 1 (foreign);
 * OPERATIONSMONTANTS 1 to 6 one per category (Tunisian), 7 a foreign service with free
 * texts, 8 category 7; OPERATIONPRETEMPRUNT 1 loan (Tunisian), 2 borrowing (foreign);
 * OPERATIONSANSCONTRE 1 "S" (Tunisian), 2 "A" (foreign); OPERATIONRESCRITFISCAUX 1
 * (foreign).
 */
inline void fillCompleteDeclaration(DeclarationFixture& f) {
    using C = DeclarationFixture::Columns;
    auto txt = [](const QString& text) { return db::Value(text); };
    auto dec = [](const char* text) {
        return db::Value(*db::Decimal::parse(QString::fromLatin1(text)));
    };

    f.addCompany({
        {"TVA", txt("A")},
        {"CATEGORIE", txt("M")},
        {"RAISONSOCIALE", txt(QStringLiteral("Société Ardoz & Fils <Tunis>"))},
        {"FORMEJURIDIQUE", txt(QStringLiteral("SARL"))},
        {"NATIONALITE", txt("TN")},
        {"ADRESSE", txt(QStringLiteral("12, rue d'Athènes, Tunis"))},
        {"CODEPOSTAL", db::Value(1002)},
        {"ACTIVITEPRINCIPALE", txt(QStringLiteral("Négoce de matériel"))},
        {"ACTIVITESECONDAIRE", txt(QStringLiteral("Maintenance"))},
        {"DATEDEBUT", db::Value(QDate(2023, 1, 1))},
        {"DATEFIN", db::Value(QDate(2023, 12, 31))},
        {"CHIFFREAFFAIREANNUEL", dec("1234567.890")},
        {"QUALITE", txt("4")},
        {"AUTRESQUALITE", txt(QStringLiteral("Filiale"))},
        {"DESCRIPTIONACTIVITESPRINCIPALES", txt(QStringLiteral("Importation\r\nDistribution"))},
        {"AFFIRMATION", txt("O")},
        {"DESCRIPTION", txt(QStringLiteral("Ouverture d'une agence à Sfax"))},
        {"CODEACTE", txt("0")},
        {"TYPEDECLARATION", txt("D")},
        {"NATUREDATEFIN", txt("1")},
        {"AUTRESINFORMATIONS", txt(QStringLiteral("Néant"))},
        {"AFFIRMATIONCHANGEMENTCAPITAL", txt("O")},
        {"DESCRIPTIONCHANGCAPITAL", txt(QStringLiteral("Cession de 10 % à Beta"))},
        {"DESCRIPTIONREGIMEFISCAL", txt(QStringLiteral("Achats en zone franche"))},
        {"AFFIRMATIONBIENSERVICE", txt("O")},
        {"AFFIRMATIONBIENSERVICEAVECCONTR", txt("O")},
        {"AFFIRMATIONACCORDPREALABLE", txt("O")},
    });

    f.insert(QStringLiteral("CAPITALLIEE"), {{"MFISCALLIE", txt("2222222B")},
                                             {"ETATTERRITOIRE", txt("TN")},
                                             {"RAISONSOCIALE", txt("Beta SA")},
                                             {"QUALITE", txt("4")},
                                             {"POURCENTCAPITAL", dec("33.33")},
                                             {"POURVENVOTE", dec("50")}});
    f.insert(QStringLiteral("CAPITALLIEE"), {{"AUTREIDENTIFIANT", txt("FR44123456789")},
                                             {"ETATTERRITOIRE", txt("FR")},
                                             {"RAISONSOCIALE", txt(QStringLiteral("Ardoz France"))},
                                             {"AUTREQUALITE", txt(QStringLiteral("Sœur"))},
                                             {"POURCENTCAPITAL", dec("99.5")},
                                             {"POURVENVOTE", dec("100")}});
    f.insert(QStringLiteral("CAPITALDECLARANTE"), {{"AUTREIDENTIFIANT", txt("HRB 12345")},
                                                   {"ETATTERRITOIRE", txt("DE")},
                                                   {"RAISONSOCIALE", txt("Ardoz Holding GmbH")},
                                                   {"QUALITE", txt("1")},
                                                   {"POURCENTCAPITAL", dec("60")},
                                                   {"POURVENVOTE", dec("60")}});

    f.insert(QStringLiteral("INFORMATIONGROUPE"),
             {{"AUTREMFISCAL", txt("HRB 12345")},
              {"ETATTERRITORIAL", txt("DE")},
              {"RAISONSOCIALE", txt("Ardoz Holding GmbH")},
              {"ADRESSE", txt(QStringLiteral("Friedrichstraße 1, Berlin"))},
              {"DESCRIPTIONACTIVITE", txt(QStringLiteral("Fabrication\r\nDistribution"))},
              {"DESCRIPTIONPOLITIQUE", txt(QStringLiteral("Marge nette transactionnelle"))},
              {"AFFIRMATOINRESTRUCTURATION", txt("Oui")},
              {"DESCRIPTIONRESTRUCTURATION", txt(QStringLiteral("Fusion de deux filiales"))}});

    f.insert(QStringLiteral("LISTEACTIFINCORPOREL"), {{"NATUREACTIF", txt("04")},
                                                      {"ONEREUXGRATUIT", txt("N")},
                                                      {"MATRICULEFISCAL", txt("2222222B")},
                                                      {"TERRITOIRE", txt("TN")},
                                                      {"RAISONSOCIALE", txt("Beta SA")},
                                                      {"QUALITE", txt("4")},
                                                      {"NATURERELATION", txt("1")}});
    f.insert(QStringLiteral("LISTEACTIFINCORPOREL"), {{"NATUREACTIF", txt("10")},
                                                      {"ONEREUXGRATUIT", txt("O")},
                                                      {"AUTREIDENTIFIANT", txt("HRB 12345")},
                                                      {"TERRITOIRE", txt("DE")},
                                                      {"RAISONSOCIALE", txt("Ardoz Holding GmbH")},
                                                      {"AUTREQUALITE", txt("Mère")},
                                                      {"NATURERELATION", txt("2")}});
    f.insert(QStringLiteral("LISTEACTIFCORPOREL"), {{"NATUREACTIF", txt("15")},
                                                    {"AUTREIDENTIFIANT", txt("FR44123456789")},
                                                    {"TERRITOIRE", txt("FR")},
                                                    {"RAISONSOCIALE", txt("Ardoz France")},
                                                    {"QUALITE", txt("4")},
                                                    {"NATURERELATION", txt("3")}});

    struct Line {
        const char* type;
        const char* nature;
        const char* methode;
        const char* changement;
    };
    const Line lines[] = {
        {"1", "3", "CUP ", "MPR "}, {"2", "2", "MPR ", nullptr}, {"3", "5", "MPRM", nullptr},
        {"4", "4", "MTMN", "CUP "}, {"5", "6", "MPB ", nullptr}, {"6", "2", "CUP ", nullptr},
    };
    for (const Line& l : lines) {
        C columns = {{"TYPEMONTANT", txt(QString::fromLatin1(l.type))},
                     {"NATUREOPERATIONS", txt(QString::fromLatin1(l.nature))},
                     {"ACHATS", dec("100.400")},
                     {"VENTES", dec("2500.500")},
                     {"MATRICULEFISCAL", txt("2222222B")},
                     {"ETATTERRITORIAL", txt("TN")},
                     {"RAISONSOCIALE", txt("Beta SA")},
                     {"QUALITE", txt("4")},
                     {"NATURRELATION", txt("1")},
                     {"METHODE", txt(QString::fromLatin1(l.methode))}};
        if (l.changement) {
            columns.append({"CHANGEMENTMETHODE", txt(QString::fromLatin1(l.changement))});
        }
        f.insert(QStringLiteral("OPERATIONSMONTANTS"), columns);
    }
    f.insert(QStringLiteral("OPERATIONSMONTANTS"),
             {{"TYPEMONTANT", txt("3")},
              {"NATUREOPERATIONS", txt("1")},
              {"ACHATS", dec("100.400")},
              {"VENTES", dec("0")},
              {"AUTREIDENTIFIANT", txt("HRB 12345")},
              {"ETATTERRITORIAL", txt("DE")},
              {"RAISONSOCIALE", txt("Ardoz Holding GmbH")},
              {"AUTREQUALITE", txt(QStringLiteral("Société sœur"))},
              {"AUTRENATURERELATIONS", txt(QStringLiteral("Franchisé"))},
              {"METHODE", txt("MTMN")}});
    f.insert(QStringLiteral("OPERATIONSMONTANTS"),
             {{"TYPEMONTANT", txt("7")}, {"ACHATS", dec("5")}});

    f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"), {{"TYPEPRETEMPRUNT", txt("P")},
                                                      {"MATRICULEFISCAL", txt("2222222B")},
                                                      {"ETATTERRITORIAL", txt("TN")},
                                                      {"RAISONSOCIALE", txt("Beta SA")},
                                                      {"QUALITE", txt("4")},
                                                      {"NATURERELATION", txt("1")},
                                                      {"SOLDEOUVERTURE", dec("10000")},
                                                      {"DEVISE", txt("EUR")},
                                                      {"AUGMENTATIONS", dec("2500.250")},
                                                      {"DIMINUTIONS", dec("0")},
                                                      {"SOLDECLOTURE", dec("12500.250")},
                                                      {"PRETINTERET", txt("Oui")},
                                                      {"TAUXINTERET", dec("5.25")}});
    f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"), {{"TYPEPRETEMPRUNT", txt("E")},
                                                      {"AUTREIDENTIFIANT", txt("HRB 12345")},
                                                      {"ETATTERRITORIAL", txt("DE")},
                                                      {"RAISONSOCIALE", txt("Ardoz Holding GmbH")},
                                                      {"QUALITE", txt("1")},
                                                      {"NATURERELATION", txt("2")},
                                                      {"SOLDEOUVERTURE", dec("500000")},
                                                      {"DEVISE", txt("USD")},
                                                      {"AUGMENTATIONS", dec("0")},
                                                      {"DIMINUTIONS", dec("100000")},
                                                      {"SOLDECLOTURE", dec("400000")},
                                                      {"PRETINTERET", txt("Non")},
                                                      {"TAUXINTERET", dec("0")}});

    f.insert(QStringLiteral("OPERATIONSANSCONTRE"),
             {{"MATRICULEFISCAL", txt("2222222B")},
              {"ETATTERRITORIAL", txt("TN")},
              {"RAISONSOCIALE", txt("Beta SA")},
              {"QUALITE", txt("4")},
              {"NATURERELATION", txt("4")},
              {"NATUREBIENSERVICE", txt(QStringLiteral("Mise à disposition de personnel"))},
              {"NATURECONTREPARTIE", txt(QStringLiteral("Aucune"))},
              {"AVECCONTREOUINON", txt("S")}});
    f.insert(QStringLiteral("OPERATIONSANSCONTRE"),
             {{"AUTREIDENTIFIANT", txt("HRB 12345")},
              {"ETATTERRITORIAL", txt("DE")},
              {"RAISONSOCIALE", txt("Ardoz Holding GmbH")},
              {"QUALITE", txt("1")},
              {"NATURERELATION", txt("2")},
              {"NATUREBIENSERVICE", txt(QStringLiteral("Licence de logiciel"))},
              {"NATURECONTREPARTIE", txt(QStringLiteral("Échange de services"))},
              {"AVECCONTREOUINON", txt("A")}});

    f.insert(QStringLiteral("OPERATIONRESCRITFISCAUX"),
             {{"AUTREIDENTIFIANT", txt("HRB 12345")},
              {"ETATTERRITORIAL", txt("DE")},
              {"RAISONSOCIALE", txt("Ardoz Holding GmbH")},
              {"QUALITE", txt("1")},
              {"NATURERELATION", txt("1")},
              {"NATUREOPERATION", txt("Redevances de marque")},
              {"EXERCICEDEBUT", db::Value(2021)},
              {"EXERCICEFIN", db::Value(2024)}});
}

/**
 * The XSD 1.1 validation of Debian's python3-xmlschema, assertions included: whether the
 * administration's schema accepts each .xml file of a folder. Run once per folder, so
 * that the schema is read once for many files.
 */
class Xsd11Oracle {
public:
    static QString python() { return QStringLiteral("/usr/bin/python3"); }

    /// File name to the first reason of its refusal (empty when accepted); empty map when
    /// the oracle could not run, with the reason in @p error.
    static QHash<QString, QString> verdicts(const QString& folder, QString* error) {
        QProcess process;
        process.start(python(),
                      {QStringLiteral(ARDOZ_XSD11_ORACLE), QStringLiteral(ARDOZ_FDPT_XSD), folder});
        QHash<QString, QString> result;
        if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            *error = QStringLiteral("python3-xmlschema : ") +
                     QString::fromUtf8(process.readAllStandardError()) + process.errorString();
            return result;
        }
        const QStringList lines =
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() == 3) {
                result.insert(fields[0],
                              fields[1] == QLatin1StringView("valid")
                                  ? QString()
                                  : (fields[2].isEmpty() ? QStringLiteral("?") : fields[2]));
            }
        }
        return result;
    }
};
