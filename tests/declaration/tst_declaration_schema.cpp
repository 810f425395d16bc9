#include "DeclarationFixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QXmlStreamReader>

using C = DeclarationFixture::Columns;

namespace {

db::Value dec(const char* text) {
    return db::Value(*db::Decimal::parse(QString::fromLatin1(text)));
}
db::Value txt(const QString& text) {
    return db::Value(text);
}

/// The assertions of the administration's schema, which need XSD 1.1: when the element's
/// Affirmation is O, the named child must be there.
struct Assertion {
    QString element;
    QString required;
};

const QList<Assertion> kAssertions = {
    {"ChangementsActiviteAuCoursExercice", "Description"},
    {"ModificationLiensCapitalAuCoursExercice", "Description"},
    {"RestructurationsGroupeEntreprises", "Description"},
    {"InformationsSurBiensOuServicesSansContrePartie", "BiensOuServicesSansContrePartie"},
    {"InformationsSurContrepartieNonMonetairePourBiensOuServices",
     "ContrepartieNonMonetairePourBiensOuServices"},
    {"InformationsOperationsAccordsPrealablesOuRescritsFiscaux",
     "OperationsAccordsPrealablesOuRescritsFiscaux"},
};

/// Checks the assertions on @p xml; returns the first one broken, or an empty text.
QString brokenAssertion(const QByteArray& xml) {
    struct Open {
        QString name;
        QString affirmation;
        QStringList children;
    };
    QList<Open> stack;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (!stack.isEmpty()) {
                stack.last().children.append(reader.name().toString());
            }
            stack.append({reader.name().toString(), QString(), {}});
            if (reader.name() == QLatin1StringView("Affirmation") && stack.size() >= 2) {
                stack[stack.size() - 2].affirmation = reader.readElementText();
                stack.removeLast();
            }
        } else if (reader.isEndElement()) {
            const Open open = stack.takeLast();
            for (const Assertion& a : kAssertions) {
                if (open.name == a.element && open.affirmation == QLatin1StringView("O") &&
                    !open.children.contains(a.required)) {
                    return a.element + QStringLiteral(" sans ") + a.required;
                }
            }
        }
    }
    if (reader.hasError()) {
        return reader.errorString();
    }
    return QString();
}

}  // namespace

class TestDeclarationSchema : public QObject {
    Q_OBJECT

private slots:
    void fullyFilledDeclarationValidates() {
        const QString schemaPath = QStringLiteral(ARDOZ_FDPT_XSD);
        QFile schemaFile(schemaPath);
        QVERIFY2(schemaFile.open(QIODevice::ReadOnly), qPrintable(schemaPath));
        const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
        if (xmllint.isEmpty()) {
            QSKIP("xmllint is not installed");
        }

        // The XSD 1.1 assertions are taken out so that libxml2 loads the schema; the test
        // checks them itself below, and makes sure they are the six it knows.
        QString schema = QString::fromUtf8(schemaFile.readAll());
        static const QRegularExpression assertElement(QStringLiteral("<xsd:assert\\b[^>]*/>"));
        QCOMPARE(schema.count(assertElement), 6);
        QCOMPARE(schema.count(QStringLiteral(
                     "<xsd:assert test=\"not(Affirmation = 'O') or Description\"/>")),
                 3);
        for (const Assertion& a : kAssertions.mid(3)) {
            QVERIFY2(schema.contains(
                         QStringLiteral("<xsd:assert test=\"not(Affirmation = 'O') or %1\"/>")
                             .arg(a.required)),
                     qPrintable(a.required));
        }
        schema.remove(assertElement);

        DeclarationFixture f;
        QVERIFY(f.isValid());
        fill(f);
        const QByteArray xml = f.generate();
        QVERIFY(!xml.isEmpty());

        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString strippedPath = scratch.filePath(QStringLiteral("FDPT.xsd"));
        QFile stripped(strippedPath);
        QVERIFY(stripped.open(QIODevice::WriteOnly));
        stripped.write(schema.toUtf8());
        stripped.close();

        QProcess lint;
        lint.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"), strippedPath,
                             f.expectedPath()});
        QVERIFY(lint.waitForFinished(120000));
        const QString output = QString::fromUtf8(lint.readAllStandardError());
        QVERIFY2(lint.exitStatus() == QProcess::NormalExit && lint.exitCode() == 0,
                 qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("validates")), qPrintable(output));

        const QString broken = brokenAssertion(xml);
        QVERIFY2(broken.isEmpty(), qPrintable(broken));

        // Every list of the document is present, so the validation covered them all.
        for (const char* list : {"ParticipationLiee",
                                 "ParticipationDeclarante",
                                 "ListeActifsIncorporels",
                                 "ListeActifsCorporels",
                                 "InformationsValeursExploitation",
                                 "InformationsRemunerationsBiensCorporelsIncorporels",
                                 "InformationsServices",
                                 "InformationsOperationsFinancieres",
                                 "InformationsCessionsAcquisitionsActifs",
                                 "InformationsAutresOperations",
                                 "DescriptionTransactionsRegimeFiscalPrivilegie",
                                 "PretsAccordes",
                                 "EmpruntsContractes",
                                 "BiensOuServicesSansContrePartie",
                                 "ContrepartieNonMonetairePourBiensOuServices",
                                 "OperationsAccordsPrealablesOuRescritsFiscaux",
                                 "AutresInformationsARenseignerSurDeclarationPrixTransfert",
                                 "ActiviteSecondaire",
                                 "ChangementMethodePrixTransfert",
                                 "AutreIdentifiant",
                                 "AutreNatureRelation",
                                 "AutreQualite"}) {
            QVERIFY2(xml.contains("<" + QByteArray(list) + ">"), list);
        }
    }

    void assertionCheckerCatchesAMissingDescription() {
        const QByteArray broken =
            "<R><ChangementsActiviteAuCoursExercice><Affirmation>O</Affirmation>"
            "</ChangementsActiviteAuCoursExercice></R>";
        QVERIFY(!brokenAssertion(broken).isEmpty());
        const QByteArray fine =
            "<R><ChangementsActiviteAuCoursExercice><Affirmation>N</Affirmation>"
            "</ChangementsActiviteAuCoursExercice></R>";
        QVERIFY(brokenAssertion(fine).isEmpty());
    }

private:
    static void fill(DeclarationFixture& f) {
        f.addCompany({
            {"TVA", txt("A")},
            {"CATEGORIE", txt("M")},
            {"RAISONSOCIALE", txt(QStringLiteral("  Société Ardoz & Fils <Tunis> "))},
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
            {"DESCRIPTIONACTIVITESPRINCIPALES",
             txt(QStringLiteral("Importation\r\nDistribution\r\n"))},
            {"AFFIRMATION", txt("O")},
            {"DESCRIPTION", txt(QStringLiteral("Ouverture d'une agence à Sfax"))},
            {"CODEACTE", txt("0")},
            {"TYPEDECLARATION", txt("D")},
            {"NATUREDATEFIN", txt("1")},
            {"AUTRESINFORMATIONS", txt(QStringLiteral("Néant\r\n« rien d'autre »"))},
            {"AFFIRMATIONCHANGEMENTCAPITAL", txt("O")},
            {"DESCRIPTIONCHANGCAPITAL", txt(QStringLiteral("Cession de 10 % à Beta"))},
            {"DESCRIPTIONREGIMEFISCAL",
             txt(QStringLiteral("Achats auprès d'une filiale en zone franche"))},
            {"AFFIRMATIONBIENSERVICE", txt("O")},
            {"AFFIRMATIONBIENSERVICEAVECCONTR", txt("O")},
            {"AFFIRMATIONACCORDPREALABLE", txt("O")},
        });

        f.insert(QStringLiteral("CAPITALLIEE"), {{"MFISCALLIE", txt("2222222B")},
                                                 {"RAISONSOCIALE", txt("Beta SA")},
                                                 {"QUALITE", txt("4")},
                                                 {"POURCENTCAPITAL", dec("33.33")},
                                                 {"POURVENVOTE", dec("50")}});
        f.insert(QStringLiteral("CAPITALLIEE"), {{"MFISCALLIE", txt("1111111A")},
                                                 {"RAISONSOCIALE", txt("Alpha SARL")},
                                                 {"AUTREQUALITE", txt(QStringLiteral("Sœur"))},
                                                 {"POURCENTCAPITAL", dec("99.5")},
                                                 {"POURVENVOTE", dec("100")}});
        f.insert(QStringLiteral("CAPITALDECLARANTE"), {{"MFISCALLIE", txt("7777777Z")},
                                                       {"RAISONSOCIALE", txt("Holding Tunis")},
                                                       {"QUALITE", txt("3")},
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
                                                          {"MATRICULEFISCAL", txt("1111111A")},
                                                          {"RAISONSOCIALE", txt("Alpha SARL")},
                                                          {"QUALITE", txt("4")},
                                                          {"NATURERELATION", txt("1")}});
        f.insert(QStringLiteral("LISTEACTIFINCORPOREL"), {{"NATUREACTIF", txt("10")},
                                                          {"ONEREUXGRATUIT", txt("O")},
                                                          {"MATRICULEFISCAL", txt("2222222B")},
                                                          {"RAISONSOCIALE", txt("Beta SA")},
                                                          {"AUTREQUALITE", txt("Partenaire")},
                                                          {"NATURERELATION", txt("2")}});
        f.insert(QStringLiteral("LISTEACTIFCORPOREL"), {{"NATUREACTIF", txt("05")},
                                                        {"MATRICULEFISCAL", txt("2222222B")},
                                                        {"RAISONSOCIALE", txt("Beta SA")},
                                                        {"QUALITE", txt("4")},
                                                        {"NATURERELATION", txt("3")}});

        struct Line {
            const char* type;
            const char* nature;
            const char* achats;
            const char* ventes;
            const char* methode;
            const char* changement;
        };
        const Line lines[] = {
            {"1", "3", "100.400", "2500.500", "CUP ", "MPR "},
            {"2", "2", "0.500", "0", "MPR ", nullptr},
            {"3", "5", "100.400", "100.400", "MPRM", nullptr},
            {"4", "4", "12.345", "-0.4", "MTMN", "CUP "},
            {"5", "6", "98765432.1", "1", "MPB ", nullptr},
            {"6", "2", "1", "2", "CUP ", nullptr},
        };
        for (const Line& l : lines) {
            C columns = {{"TYPEMONTANT", txt(QString::fromLatin1(l.type))},
                         {"NATUREOPERATIONS", txt(QString::fromLatin1(l.nature))},
                         {"ACHATS", dec(l.achats)},
                         {"VENTES", dec(l.ventes)},
                         {"MATRICULEFISCAL", txt("1111111A")},
                         {"RAISONSOCIALE", txt("Alpha SARL")},
                         {"QUALITE", txt("4")},
                         {"NATURRELATION", txt("1")},
                         {"METHODE", txt(QString::fromLatin1(l.methode))}};
            if (l.changement) {
                columns.append({"CHANGEMENTMETHODE", txt(QString::fromLatin1(l.changement))});
            }
            f.insert(QStringLiteral("OPERATIONSMONTANTS"), columns);
        }
        // A foreign counterpart known by another identifier, with another quality and relation.
        f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                 {{"TYPEMONTANT", txt("3")},
                  {"NATUREOPERATIONS", txt("1")},
                  {"ACHATS", dec("100.400")},
                  {"VENTES", dec("0")},
                  {"AUTREIDENTIFIANT", txt("DE-HRB-12345")},
                  {"ETATTERRITORIAL", txt("DE")},
                  {"RAISONSOCIALE", txt("Ardoz Holding GmbH")},
                  {"AUTREQUALITE", txt(QStringLiteral("Société sœur"))},
                  {"AUTRENATURERELATIONS", txt(QStringLiteral("Franchisé"))},
                  {"METHODE", txt("MTMN")}});
        f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                 {{"TYPEMONTANT", txt("7")}, {"ACHATS", dec("5")}});

        f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"), {{"TYPEPRETEMPRUNT", txt("P")},
                                                          {"MATRICULEFISCAL", txt("2222222B")},
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
                                                          {"MATRICULEFISCAL", txt("7777777Z")},
                                                          {"RAISONSOCIALE", txt("Holding Tunis")},
                                                          {"QUALITE", txt("3")},
                                                          {"NATURERELATION", txt("2")},
                                                          {"SOLDEOUVERTURE", dec("500000")},
                                                          {"DEVISE", txt("USD")},
                                                          {"AUGMENTATIONS", dec("0")},
                                                          {"DIMINUTIONS", dec("100000")},
                                                          {"SOLDECLOTURE", dec("400000")},
                                                          {"PRETINTERET", txt("Non")},
                                                          {"TAUXINTERET", dec("0")}});

        for (const char* code : {"S", "A"}) {
            f.insert(QStringLiteral("OPERATIONSANSCONTRE"),
                     {{"MATRICULEFISCAL", txt("1111111A")},
                      {"RAISONSOCIALE", txt("Alpha SARL")},
                      {"QUALITE", txt("4")},
                      {"NATURERELATION", txt("4")},
                      {"NATUREBIENSERVICE", txt(QStringLiteral("Mise à disposition de personnel"))},
                      {"NATURECONTREPARTIE", txt(QStringLiteral("Échange de services"))},
                      {"AVECCONTREOUINON", txt(QString::fromLatin1(code))}});
        }

        f.insert(QStringLiteral("OPERATIONRESCRITFISCAUX"),
                 {{"MATRICULEFISCAL", txt("2222222B")},
                  {"RAISONSOCIALE", txt("Beta SA")},
                  {"QUALITE", txt("4")},
                  {"NATURERELATION", txt("1")},
                  {"NATUREOPERATION", txt("Redevances de marque")},
                  {"EXERCICEDEBUT", db::Value(2021)},
                  {"EXERCICEFIN", db::Value(2024)}});
    }
};

QTEST_GUILESS_MAIN(TestDeclarationSchema)
#include "tst_declaration_schema.moc"
