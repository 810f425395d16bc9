#include "CompleteDeclaration.h"

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
    /// The complete declaration, and what this test adds to it: texts to trim and to escape,
    /// amounts of every form, and Tunisian related companies where it names foreign ones.
    static void fill(DeclarationFixture& f) {
        fillCompleteDeclaration(f);
        f.exec(QStringLiteral("update SOCIETE set RAISONSOCIALE = :r, "
                              "DESCRIPTIONACTIVITESPRINCIPALES = :d, AUTRESINFORMATIONS = :a"),
               {{"r", txt(QStringLiteral("  Société Ardoz & Fils <Tunis> "))},
                {"d", txt(QStringLiteral("Importation\r\nDistribution\r\n"))},
                {"a", txt(QStringLiteral("Néant\r\n« rien d'autre »"))}});
        const struct {
            int lg;
            const char* achats;
            const char* ventes;
        } amounts[] = {
            {2, "0.500", "0"}, {4, "12.345", "-0.4"}, {5, "98765432.1", "1"}, {6, "1", "2"}};
        for (const auto& a : amounts) {
            f.exec(QStringLiteral("update OPERATIONSMONTANTS set ACHATS = :a, VENTES = :v "
                                  "where LG = %1")
                       .arg(a.lg),
                   {{"a", dec(a.achats)}, {"v", dec(a.ventes)}});
        }

        const C alpha = {{"MATRICULEFISCAL", txt("1111111A")},
                         {"RAISONSOCIALE", txt("Alpha SARL")}};
        const C holding = {{"MATRICULEFISCAL", txt("7777777Z")},
                           {"RAISONSOCIALE", txt("Holding Tunis")},
                           {"QUALITE", txt("3")}};
        const C parts = {{"POURCENTCAPITAL", dec("12.5")}, {"POURVENVOTE", dec("10")}};
        f.insert(QStringLiteral("CAPITALLIEE"), C{{"MFISCALLIE", txt("1111111A")},
                                                  {"RAISONSOCIALE", txt("Alpha SARL")},
                                                  {"AUTREQUALITE", txt(QStringLiteral("Sœur"))}} +
                                                    parts);
        f.insert(QStringLiteral("CAPITALDECLARANTE"), C{{"MFISCALLIE", txt("7777777Z")},
                                                        {"RAISONSOCIALE", txt("Holding Tunis")},
                                                        {"QUALITE", txt("3")}} +
                                                          parts);
        f.insert(QStringLiteral("LISTEACTIFINCORPOREL"),
                 alpha + C{{"NATUREACTIF", txt("10")},
                           {"ONEREUXGRATUIT", txt("O")},
                           {"AUTREQUALITE", txt("Partenaire")},
                           {"NATURERELATION", txt("2")}});
        f.insert(QStringLiteral("LISTEACTIFCORPOREL"), alpha + C{{"NATUREACTIF", txt("05")},
                                                                 {"QUALITE", txt("4")},
                                                                 {"NATURERELATION", txt("3")}});
        f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"),
                 holding + C{{"TYPEPRETEMPRUNT", txt("E")},
                             {"NATURERELATION", txt("2")},
                             {"SOLDEOUVERTURE", dec("0")},
                             {"DEVISE", txt("TND")},
                             {"AUGMENTATIONS", dec("75000.125")},
                             {"DIMINUTIONS", dec("0")},
                             {"SOLDECLOTURE", dec("75000.125")},
                             {"PRETINTERET", txt("Oui")},
                             {"TAUXINTERET", dec("7.5")}});
        f.insert(QStringLiteral("OPERATIONSANSCONTRE"),
                 alpha + C{{"QUALITE", txt("4")},
                           {"NATURERELATION", txt("4")},
                           {"NATUREBIENSERVICE", txt(QStringLiteral("Licence de logiciel"))},
                           {"NATURECONTREPARTIE", txt(QStringLiteral("Échange de services"))},
                           {"AVECCONTREOUINON", txt("A")}});
        f.insert(QStringLiteral("OPERATIONRESCRITFISCAUX"),
                 holding + C{{"NATURERELATION", txt("1")},
                             {"NATUREOPERATION", txt("Redevances de marque")},
                             {"EXERCICEDEBUT", db::Value(2021)},
                             {"EXERCICEFIN", db::Value(2024)}});
    }
};

QTEST_GUILESS_MAIN(TestDeclarationSchema)
#include "tst_declaration_schema.moc"
