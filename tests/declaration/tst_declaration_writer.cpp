#include "DeclarationFixture.h"
#include "declaration/DeclarationError.h"

#include <QCryptographicHash>
#include <QTest>
#include <cstring>

using C = DeclarationFixture::Columns;

namespace {

db::Value dec(const char* text) {
    return db::Value(*db::Decimal::parse(QString::fromLatin1(text)));
}
db::Value txt(const QString& text) {
    return db::Value(text);
}

const QString kXmlDecl = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
const QString kRoot = QStringLiteral(
    "<PrixTransfert xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"  "
    "VersionDocument=\"1.0\" "
    "xsi:noNamespaceSchemaLocation=\"FDPT.xsd\">");

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

}  // namespace

class TestDeclarationWriter : public QObject {
    Q_OBJECT

private slots:
    void emptyCompanyGivesTheBareDocument() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const QByteArray bytes = f.generate();
        const QStringList expected = {
            kXmlDecl,
            kRoot,
            "<Entete>",
            "<CodeActe></CodeActe>",
            "<Exercice>2023</Exercice>",
            "<MatriculeFiscalDeclarant>1234567A</MatriculeFiscalDeclarant>",
            "<CodeTVA></CodeTVA>",
            "<CodeCategorie></CodeCategorie>",
            "<TypeDeclaration></TypeDeclaration>",
            "<DateDebutExercice></DateDebutExercice>",
            "<DateFinExercice NatureDateFin=\"\"></DateFinExercice>",
            "</Entete>",
            "<IdentificationEntrepriseDeclarante>",
            "<RaisonSociale></RaisonSociale>",
            "<FormeJuridique></FormeJuridique>",
            "<Nationalite></Nationalite>",
            "<AdresseSiegeSocialEtablissementTunisie></AdresseSiegeSocialEtablissementTunisie>",
            "<CodePostal>0000</CodePostal>",
            "<ActivitePrincipale></ActivitePrincipale>",
            "<ChiffreAffaireAnnuel>00000</ChiffreAffaireAnnuel>",
            "</IdentificationEntrepriseDeclarante>",
            "<InformationsEntrepriseDeclarante>",
            "<QualiteEntrepriseDeclarante>",
            "</QualiteEntrepriseDeclarante>",
            "<DescriptionActivitesPrincipales></DescriptionActivitesPrincipales>",
            "<ChangementsActiviteAuCoursExercice>",
            "<Affirmation></Affirmation>",
            "</ChangementsActiviteAuCoursExercice>",
            "<LiensCapital>",
            "<ModificationLiensCapitalAuCoursExercice>",
            "<Affirmation></Affirmation>",
            "</ModificationLiensCapitalAuCoursExercice>",
            "</LiensCapital>",
            "</InformationsEntrepriseDeclarante>",
            "<InformationsGroupeEntreprises>",
            "<InformationsEntiteMereUltime>",
            "<IdentifiantEntreprise>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale></RaisonSociale>",
            "<AdresseSiegeSocial></AdresseSiegeSocial>",
            "</InformationsEntiteMereUltime>",
            "<DescriptionPrincipalesActivites></DescriptionPrincipalesActivites>",
            "<DescriptionGeneralePolitiquePrixTransfert></"
            "DescriptionGeneralePolitiquePrixTransfert>",
            "<RestructurationsGroupeEntreprises>",
            "<Affirmation>N</Affirmation>",
            "</RestructurationsGroupeEntreprises>",
            "</InformationsGroupeEntreprises>",
            "<InformationsOperations>",
            "<OperationsSansContrepartieOuAvecContrepartieNonMonetaire>",
            "<InformationsSurBiensOuServicesSansContrePartie>",
            "<Affirmation>N</Affirmation>",
            "</InformationsSurBiensOuServicesSansContrePartie>",
            "<InformationsSurContrepartieNonMonetairePourBiensOuServices>",
            "<Affirmation>N</Affirmation>",
            "</InformationsSurContrepartieNonMonetairePourBiensOuServices>",
            "</OperationsSansContrepartieOuAvecContrepartieNonMonetaire>",
            "<InformationsOperationsAccordsPrealablesOuRescritsFiscaux>",
            "<Affirmation>N</Affirmation>",
            "</InformationsOperationsAccordsPrealablesOuRescritsFiscaux>",
            "</InformationsOperations>",
            "</PrixTransfert>",
        };
        QCOMPARE(bytes, (expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    }

    void fileNameAndPlace() {
        QCOMPARE(DeclarationWriter::fileName(QStringLiteral("1234567A"), QStringLiteral("2023")),
                 QStringLiteral("FDPT-1234567A-2023.xml"));
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        DeclarationWriter writer(f.module());
        const QString path = writer.generate(f.outputFolder());
        QCOMPARE(path, f.expectedPath());
        QVERIFY(QFile::exists(path));
        // A second generation replaces the file without asking.
        f.exec(QStringLiteral("update SOCIETE set RAISONSOCIALE = 'Nouveau nom'"));
        f.select();
        QCOMPARE(writer.generate(f.outputFolder()), path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("<RaisonSociale>Nouveau nom</RaisonSociale>"));
        QCOMPARE(folderEntries(f.outputFolder()),
                 QStringList{QStringLiteral("FDPT-1234567A-2023.xml")});
    }

    void shortIdentifier() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({}, QStringLiteral("123456"), QStringLiteral("B"), 2022);
        f.insert(QStringLiteral("CAPITALLIEE"), {{"MFISCALLIE", txt("1111111A")}}, true,
                 QStringLiteral("123456B"), 2022);
        DeclarationWriter writer(f.module());
        const QString path = writer.generate(f.outputFolder());
        QVERIFY(path.endsWith(QStringLiteral("/FDPT-123456B-2022.xml")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("<MatriculeFiscalDeclarant>123456B</MatriculeFiscalDeclarant>"));
        QVERIFY(bytes.contains("<MatriculeFiscal>1111111A</MatriculeFiscal>"));
    }

    void bytesUtf8CrLfNoBom() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"RAISONSOCIALE", txt(QStringLiteral("Société Générale"))},
                      {"AUTRESINFORMATIONS", txt(QStringLiteral("Ligne 1\r\nLigne 2\r\n"))}});
        const QByteArray bytes = f.generate();
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
        QVERIFY(bytes.endsWith("</PrixTransfert>\r\n"));
        // é as its two UTF-8 bytes.
        QVERIFY(bytes.contains(
            "<RaisonSociale>Soci\xC3\xA9t\xC3\xA9 G\xC3\xA9n\xC3\xA9rale</RaisonSociale>\r\n"));
        // Every line break is CR LF, inside the long texts too.
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes.at(i) == '\n') {
                QVERIFY2(i > 0 && bytes.at(i - 1) == '\r',
                         qPrintable(QStringLiteral("LF alone at %1").arg(i)));
            }
            if (bytes.at(i) == '\r') {
                QVERIFY2(i + 1 < bytes.size() && bytes.at(i + 1) == '\n',
                         qPrintable(QStringLiteral("CR alone at %1").arg(i)));
            }
        }
        QVERIFY(bytes.contains(
            "<AutresInformationsARenseignerSurDeclarationPrixTransfert>Ligne 1\r\n"
            "Ligne 2\r\n</AutresInformationsARenseignerSurDeclarationPrixTransfert>\r\n"
            "</PrixTransfert>\r\n"));
    }

    void enteteAndIdentification() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"CODEACTE", txt("0")},
                      {"TVA", txt("A")},
                      {"CATEGORIE", txt("M")},
                      {"TYPEDECLARATION", txt("D")},
                      {"DATEDEBUT", db::Value(QDate(2023, 1, 1))},
                      {"DATEFIN", db::Value(QDate(2023, 12, 31))},
                      {"NATUREDATEFIN", txt("1")},
                      {"RAISONSOCIALE", txt(QStringLiteral("  Dupont & Fils <Tunis> "))},
                      {"FORMEJURIDIQUE", txt(QStringLiteral(" SARL"))},
                      {"NATIONALITE", txt("TN")},
                      {"ADRESSE", txt(QStringLiteral("Rue de Marseille "))},
                      {"CODEPOSTAL", db::Value(800)},
                      {"ACTIVITEPRINCIPALE", txt(QStringLiteral("Négoce"))},
                      {"ACTIVITESECONDAIRE", txt(QStringLiteral("   "))},
                      {"CHIFFREAFFAIREANNUEL", dec("1234567.500")},
                      {"AUTRESINFORMATIONS", txt(QStringLiteral("  \r\n "))}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        const QStringList expected = {
            "<Entete>",
            "<CodeActe>0</CodeActe>",
            "<Exercice>2023</Exercice>",
            "<MatriculeFiscalDeclarant>1234567A</MatriculeFiscalDeclarant>",
            "<CodeTVA>A</CodeTVA>",
            "<CodeCategorie>M</CodeCategorie>",
            "<TypeDeclaration>D</TypeDeclaration>",
            "<DateDebutExercice>01/01/2023</DateDebutExercice>",
            "<DateFinExercice NatureDateFin=\"1\">31/12/2023</DateFinExercice>",
            "</Entete>",
            "<IdentificationEntrepriseDeclarante>",
            "<RaisonSociale>Dupont &amp; Fils &lt;Tunis&gt;</RaisonSociale>",
            "<FormeJuridique>SARL</FormeJuridique>",
            "<Nationalite>TN</Nationalite>",
            "<AdresseSiegeSocialEtablissementTunisie>Rue de "
            "Marseille</AdresseSiegeSocialEtablissementTunisie>",
            "<CodePostal>0800</CodePostal>",
            "<ActivitePrincipale>Négoce</ActivitePrincipale>",
            "<ChiffreAffaireAnnuel>1234568</ChiffreAffaireAnnuel>",
            "</IdentificationEntrepriseDeclarante>",
        };
        QCOMPARE(lines.mid(2, expected.size()), expected);
        // Blank other information: no element at all.
        QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("</InformationsOperations>"));
    }

    void activiteSecondaireWrittenWhenFilled() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"ACTIVITESECONDAIRE", txt(QStringLiteral(" Transport "))},
                      {"CHIFFREAFFAIREANNUEL", dec("0.4")}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        QVERIFY(
            lines.contains(QStringLiteral("<ActiviteSecondaire>Transport</ActiviteSecondaire>")));
        QVERIFY(
            lines.contains(QStringLiteral("<ChiffreAffaireAnnuel>00000</ChiffreAffaireAnnuel>")));
    }

    void forbiddenCharactersLeftOut() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        QString name = QStringLiteral("Sté");
        name += QChar(0x07);
        name += QStringLiteral("X");
        f.addCompany({{"RAISONSOCIALE", txt(name)}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        QVERIFY(lines.contains(QStringLiteral("<RaisonSociale>StéX</RaisonSociale>")));
    }

    void declarantQuality() {
        {
            DeclarationFixture f;
            QVERIFY(f.isValid());
            f.addCompany({{"AUTRESQUALITE", txt(QStringLiteral("  Filiale  "))},
                          {"DESCRIPTION", txt(QStringLiteral("\r\n"))},
                          {"AFFIRMATION", txt("N")}});
            const QStringList lines = DeclarationFixture::lines(f.generate());
            QCOMPARE(DeclarationFixture::between(lines, "<QualiteEntrepriseDeclarante>",
                                                 "</QualiteEntrepriseDeclarante>"),
                     (QStringList{"<QualiteEntrepriseDeclarante>",
                                  "<AutreQualite>Filiale</AutreQualite>",
                                  "</QualiteEntrepriseDeclarante>"}));
            QCOMPARE(
                DeclarationFixture::between(lines, "<ChangementsActiviteAuCoursExercice>",
                                            "</ChangementsActiviteAuCoursExercice>"),
                (QStringList{"<ChangementsActiviteAuCoursExercice>", "<Affirmation>N</Affirmation>",
                             "</ChangementsActiviteAuCoursExercice>"}));
        }
        {
            DeclarationFixture f;
            QVERIFY(f.isValid());
            f.addCompany({{"QUALITE", txt("4")},
                          {"AUTRESQUALITE", txt(QStringLiteral("Filiale"))},
                          {"DESCRIPTIONACTIVITESPRINCIPALES",
                           txt(QStringLiteral("  Fabrication\r\nVente \r\n"))},
                          {"AFFIRMATION", txt("O")},
                          {"DESCRIPTION", txt(QStringLiteral(" Nouvelle usine"))},
                          {"AFFIRMATIONCHANGEMENTCAPITAL", txt("O")},
                          {"DESCRIPTIONCHANGCAPITAL", txt(QStringLiteral("Cession de 10 %"))}});
            const QByteArray bytes = f.generate();
            const QStringList lines = DeclarationFixture::lines(bytes);
            QCOMPARE(DeclarationFixture::between(lines, "<QualiteEntrepriseDeclarante>",
                                                 "</QualiteEntrepriseDeclarante>"),
                     (QStringList{"<QualiteEntrepriseDeclarante>", "<Qualite>4</Qualite>",
                                  "</QualiteEntrepriseDeclarante>"}));
            // Trimmed, the inner line break kept.
            QVERIFY(
                bytes.contains("<DescriptionActivitesPrincipales>Fabrication\r\nVente</"
                               "DescriptionActivitesPrincipales>\r\n"));
            // As stored: the leading blank stays.
            QVERIFY(lines.contains(QStringLiteral("<Description> Nouvelle usine</Description>")));
            QCOMPARE(DeclarationFixture::between(lines, "<ModificationLiensCapitalAuCoursExercice>",
                                                 "</ModificationLiensCapitalAuCoursExercice>"),
                     (QStringList{"<ModificationLiensCapitalAuCoursExercice>",
                                  "<Affirmation>O</Affirmation>",
                                  "<Description>Cession de 10 %</Description>",
                                  "</ModificationLiensCapitalAuCoursExercice>"}));
        }
    }

    void capitalLinks() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        f.insert(QStringLiteral("CAPITALLIEE"), {{"MFISCALLIE", txt("2222222B")},
                                                 {"RAISONSOCIALE", txt("Beta")},
                                                 {"QUALITE", txt("4")},
                                                 {"POURCENTCAPITAL", dec("99.50")},
                                                 {"POURVENVOTE", dec("100")}});
        f.insert(QStringLiteral("CAPITALLIEE"), {{"MFISCALLIE", txt("1111111A")},
                                                 {"RAISONSOCIALE", txt("Alpha")},
                                                 {"QUALITE", txt("2")},
                                                 {"AUTREQUALITE", txt("ignorée")},
                                                 {"POURCENTCAPITAL", dec("33.33")},
                                                 {"POURVENVOTE", dec("50")}});
        f.insert(QStringLiteral("CAPITALDECLARANTE"), {{"AUTREIDENTIFIANT", txt("FR998877")},
                                                       {"ETATTERRITOIRE", txt("FR")},
                                                       {"RAISONSOCIALE", txt("Mère SA")}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        const QStringList expected = {
            "<LiensCapital>",
            "<ParticipationLiee>",
            "<LigneParticipationLiee>",
            "<IdentifiantEntreprise>",
            "<MatriculeFiscal>1111111A</MatriculeFiscal>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale>Alpha</RaisonSociale>",
            "<QualiteEntreprise>",
            "<Qualite>2</Qualite>",
            "</QualiteEntreprise>",
            "<PourcentageDetentionCapital>0033</PourcentageDetentionCapital>",
            "<PourcentageDetentionDroitsVote>0050</PourcentageDetentionDroitsVote>",
            "</LigneParticipationLiee>",
            "<LigneParticipationLiee>",
            "<IdentifiantEntreprise>",
            "<MatriculeFiscal>2222222B</MatriculeFiscal>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale>Beta</RaisonSociale>",
            "<QualiteEntreprise>",
            "<Qualite>4</Qualite>",
            "</QualiteEntreprise>",
            "<PourcentageDetentionCapital>0100</PourcentageDetentionCapital>",
            "<PourcentageDetentionDroitsVote>0100</PourcentageDetentionDroitsVote>",
            "</LigneParticipationLiee>",
            "</ParticipationLiee>",
            "<ParticipationDeclarante>",
            "<LigneParticipationDeclarante>",
            "<IdentifiantEntreprise>",
            "<AutreIdentifiant>",
            "<Identifiant>FR998877</Identifiant>",
            "<EtatTerritoire>FR</EtatTerritoire>",
            "</AutreIdentifiant>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale>Mère SA</RaisonSociale>",
            "<QualiteEntreprise>",
            "<AutreQualite></AutreQualite>",
            "</QualiteEntreprise>",
            "<PourcentageDetentionCapital>0000</PourcentageDetentionCapital>",
            "<PourcentageDetentionDroitsVote>0000</PourcentageDetentionDroitsVote>",
            "</LigneParticipationDeclarante>",
            "</ParticipationDeclarante>",
            "<ModificationLiensCapitalAuCoursExercice>",
            "<Affirmation></Affirmation>",
            "</ModificationLiensCapitalAuCoursExercice>",
            "</LiensCapital>",
        };
        QCOMPARE(DeclarationFixture::between(lines, "<LiensCapital>", "</LiensCapital>"), expected);
        // Listed datasets are left past their last row, restricted to the company and year.
        QVERIFY(f.module().capitallie->eof());
        QCOMPARE(f.module().capitallie->rowCount(), 2);
        QVERIFY(f.module().Capitaldeclarante->eof());
    }

    void onlyTheCompanyAndYearAreListed() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        f.insert(QStringLiteral("CAPITALLIEE"), {{"MFISCALLIE", txt("3333333C")}}, true,
                 DeclarationFixture::kIdentifiant, 2022);
        f.insert(QStringLiteral("CAPITALLIEE"), {{"MFISCALLIE", txt("4444444D")}}, true,
                 QStringLiteral("7654321B"), 2023);
        const QByteArray bytes = f.generate();
        QVERIFY(!bytes.contains("ParticipationLiee"));
    }

    void groupWithBothIdentifiers() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        f.insert(QStringLiteral("INFORMATIONGROUPE"),
                 {{"MFISCALMERE", txt("7777777Z")},
                  {"AUTREMFISCAL", txt(QStringLiteral(" HRB 42 "))},
                  {"RAISONSOCIALE", txt(QStringLiteral("Groupe & Cie "))},
                  {"ADRESSE", txt(QStringLiteral(" Berlin"))},
                  {"DESCRIPTIONACTIVITE", txt(QStringLiteral("Chimie\r\nPharmacie"))},
                  {"DESCRIPTIONPOLITIQUE", txt(QStringLiteral("Marge nette"))},
                  {"AFFIRMATOINRESTRUCTURATION", txt("Oui")}});
        const QByteArray bytes = f.generate();
        const QStringList lines = DeclarationFixture::lines(bytes);
        const QStringList expected = {
            "<InformationsEntiteMereUltime>",
            "<IdentifiantEntreprise>",
            "<MatriculeFiscal>7777777Z</MatriculeFiscal>",
            "<AutreIdentifiant>",
            "<Identifiant>HRB 42</Identifiant>",
            "<EtatTerritoire></EtatTerritoire>",
            "</AutreIdentifiant>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale>Groupe &amp; Cie </RaisonSociale>",
            "<AdresseSiegeSocial> Berlin</AdresseSiegeSocial>",
            "</InformationsEntiteMereUltime>",
            "<DescriptionPrincipalesActivites>Chimie",
            "Pharmacie</DescriptionPrincipalesActivites>",
            "<DescriptionGeneralePolitiquePrixTransfert>Marge "
            "nette</DescriptionGeneralePolitiquePrixTransfert>",
            "<RestructurationsGroupeEntreprises>",
            "<Affirmation>O</Affirmation>",
            "<Description></Description>",
            "</RestructurationsGroupeEntreprises>",
            "</InformationsGroupeEntreprises>",
        };
        QCOMPARE(DeclarationFixture::between(lines, "<InformationsEntiteMereUltime>",
                                             "</InformationsGroupeEntreprises>"),
                 expected);
    }

    void groupTunisianParentOnly() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        // The other identifier may not be null; a blank one counts as absent.
        f.insert(QStringLiteral("INFORMATIONGROUPE"), {{"MFISCALMERE", txt("7777777Z")},
                                                       {"AUTREMFISCAL", txt(" ")},
                                                       {"AFFIRMATOINRESTRUCTURATION", txt("Non")}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        QCOMPARE(
            DeclarationFixture::between(lines, "<IdentifiantEntreprise>",
                                        "</IdentifiantEntreprise>"),
            (QStringList{"<IdentifiantEntreprise>", "<MatriculeFiscal>7777777Z</MatriculeFiscal>",
                         "</IdentifiantEntreprise>"}));
        QCOMPARE(DeclarationFixture::between(lines, "<RestructurationsGroupeEntreprises>",
                                             "</RestructurationsGroupeEntreprises>"),
                 (QStringList{"<RestructurationsGroupeEntreprises>", "<Affirmation>N</Affirmation>",
                              "</RestructurationsGroupeEntreprises>"}));
    }

    void restructuringAnswerIsCaseSensitive() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        f.insert(QStringLiteral("INFORMATIONGROUPE"),
                 {{"AUTREMFISCAL", txt("X1")},
                  {"ETATTERRITORIAL", txt("DE")},
                  {"AFFIRMATOINRESTRUCTURATION", txt("oui")},
                  {"DESCRIPTIONRESTRUCTURATION", txt("Fusion")}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        QCOMPARE(DeclarationFixture::between(lines, "<RestructurationsGroupeEntreprises>",
                                             "</RestructurationsGroupeEntreprises>"),
                 (QStringList{"<RestructurationsGroupeEntreprises>", "<Affirmation>N</Affirmation>",
                              "</RestructurationsGroupeEntreprises>"}));
        QCOMPARE(DeclarationFixture::between(lines, "<AutreIdentifiant>", "</AutreIdentifiant>"),
                 (QStringList{"<AutreIdentifiant>", "<Identifiant>X1</Identifiant>",
                              "<EtatTerritoire>DE</EtatTerritoire>", "</AutreIdentifiant>"}));
    }

    void assets() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        f.insert(QStringLiteral("LISTEACTIFCORPOREL"), {{"NATUREACTIF", txt("10")},
                                                        {"MATRICULEFISCAL", txt("2222222B")},
                                                        {"RAISONSOCIALE", txt("Beta")},
                                                        {"QUALITE", txt("4")},
                                                        {"NATURERELATION", txt("3")}});
        f.insert(QStringLiteral("LISTEACTIFCORPOREL"), {{"NATUREACTIF", txt("01")},
                                                        {"MATRICULEFISCAL", txt("1111111A")},
                                                        {"RAISONSOCIALE", txt("Alpha")},
                                                        {"AUTREQUALITE", txt("Associé")},
                                                        {"NATURERELATION", txt("1")}});
        QByteArray bytes = f.generate();
        QStringList lines = DeclarationFixture::lines(bytes);
        QVERIFY(!bytes.contains("ListeActifsIncorporels"));
        const QStringList expected = {
            "<ListeActifsCorporels>",
            "<LigneActifCorporel>",
            "<ActifCorporel>",
            "<NatureActifCorporel>01</NatureActifCorporel>",
            "</ActifCorporel>",
            "<IdentifiantEntreprise>",
            "<MatriculeFiscal>1111111A</MatriculeFiscal>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale>Alpha</RaisonSociale>",
            "<QualiteEntreprise>",
            "<AutreQualite>Associé</AutreQualite>",
            "</QualiteEntreprise>",
            "<NatureRelationEntreprise>",
            "<NatureRelation>1</NatureRelation>",
            "</NatureRelationEntreprise>",
            "</LigneActifCorporel>",
            "<LigneActifCorporel>",
            "<ActifCorporel>",
            "<NatureActifCorporel>10</NatureActifCorporel>",
            "</ActifCorporel>",
            "<IdentifiantEntreprise>",
            "<MatriculeFiscal>2222222B</MatriculeFiscal>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale>Beta</RaisonSociale>",
            "<QualiteEntreprise>",
            "<Qualite>4</Qualite>",
            "</QualiteEntreprise>",
            "<NatureRelationEntreprise>",
            "<NatureRelation>3</NatureRelation>",
            "</NatureRelationEntreprise>",
            "</LigneActifCorporel>",
            "</ListeActifsCorporels>",
            "<RestructurationsGroupeEntreprises>",
        };
        QCOMPARE(DeclarationFixture::between(lines, "<ListeActifsCorporels>",
                                             "<RestructurationsGroupeEntreprises>"),
                 expected);
        QCOMPARE(lines.at(lines.indexOf(QStringLiteral("<ListeActifsCorporels>")) - 1),
                 QStringLiteral("<DescriptionGeneralePolitiquePrixTransfert></"
                                "DescriptionGeneralePolitiquePrixTransfert>"));

        f.insert(QStringLiteral("LISTEACTIFINCORPOREL"), {{"NATUREACTIF", txt("04")},
                                                          {"ONEREUXGRATUIT", txt("N")},
                                                          {"MATRICULEFISCAL", txt("1111111A")},
                                                          {"QUALITE", txt("1")}});
        f.insert(QStringLiteral("LISTEACTIFINCORPOREL"), {{"NATUREACTIF", txt("09")},
                                                          {"ONEREUXGRATUIT", txt("O")},
                                                          {"MATRICULEFISCAL", txt("2222222B")},
                                                          {"QUALITE", txt("1")}});
        lines = DeclarationFixture::lines(f.generate());
        const QStringList incorporel = DeclarationFixture::between(
            lines, "<ListeActifsIncorporels>", "</ListeActifsIncorporels>");
        QCOMPARE(
            incorporel.mid(0, 15),
            (QStringList{"<ListeActifsIncorporels>", "<LigneActifIncorporel>", "<ActifIncorporel>",
                         "<NatureActifIncorporel>04</NatureActifIncorporel>", "</ActifIncorporel>",
                         "<OnereuxGratuit>G</OnereuxGratuit>", "<IdentifiantEntreprise>",
                         "<MatriculeFiscal>1111111A</MatriculeFiscal>", "</IdentifiantEntreprise>",
                         "<RaisonSociale></RaisonSociale>", "<QualiteEntreprise>",
                         "<Qualite>1</Qualite>", "</QualiteEntreprise>",
                         "<NatureRelationEntreprise>", "<NatureRelation></NatureRelation>"}));
        QVERIFY(incorporel.contains(QStringLiteral("<OnereuxGratuit>O</OnereuxGratuit>")));
        // Intangible assets come before the tangible ones.
        QVERIFY(lines.indexOf(QStringLiteral("</ListeActifsIncorporels>")) + 1 ==
                lines.indexOf(QStringLiteral("<ListeActifsCorporels>")));
    }

    void noTransactionLineNoSection() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"DESCRIPTIONREGIMEFISCAL", txt(QStringLiteral("Régime privilégié"))}});
        const QByteArray bytes = f.generate();
        QVERIFY(!bytes.contains("MontantTransactionsMethodeDeterminationPrixTransfert"));
        QVERIFY(!bytes.contains("DescriptionTransactionsRegimeFiscalPrivilegie"));
        // Nor a loan section: the counterpart section follows at once.
        QVERIFY(
            bytes.contains("<InformationsOperations>\r\n"
                           "<OperationsSansContrepartieOuAvecContrepartieNonMonetaire>\r\n"));
    }

    void category7Only() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"DESCRIPTIONREGIMEFISCAL", txt(QStringLiteral("Régime privilégié"))}});
        f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                 {{"TYPEMONTANT", txt("7")}, {"ACHATS", dec("10")}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        QCOMPARE(DeclarationFixture::between(
                     lines, "<MontantTransactionsMethodeDeterminationPrixTransfert>",
                     "</MontantTransactionsMethodeDeterminationPrixTransfert>"),
                 (QStringList{"<MontantTransactionsMethodeDeterminationPrixTransfert>",
                              "<DescriptionTransactionsRegimeFiscalPrivilegie>Régime "
                              "privilégié</DescriptionTransactionsRegimeFiscalPrivilegie>",
                              "</MontantTransactionsMethodeDeterminationPrixTransfert>"}));
        // The presence-test dataset stays on its first row.
        QCOMPARE(f.module().montanttransactions->currentIndex(), 0);
        QVERIFY(!f.module().montanttransactions->eof());
    }

    void categoriesAndTotals() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const C line = {{"TYPEMONTANT", txt("3")},
                        {"NATUREOPERATIONS", txt("2")},
                        {"ACHATS", dec("100.400")},
                        {"VENTES", dec("0.500")},
                        {"MATRICULEFISCAL", txt("1234567A")},
                        {"AUTREIDENTIFIANT", txt("DE12345")},
                        {"RAISONSOCIALE", txt("Alpha")},
                        {"QUALITE", txt("1")},
                        {"NATURRELATION", txt("2")},
                        {"METHODE", txt("CUP ")},
                        {"CHANGEMENTMETHODE", txt("MPB ")},
                        {"AUTREMETHODE", txt("non écrite")}};
        f.insert(QStringLiteral("OPERATIONSMONTANTS"), line);
        f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                 {{"TYPEMONTANT", txt("3")},
                  {"NATUREOPERATIONS", txt("5")},
                  {"ACHATS", dec("100.400")},
                  {"AUTREIDENTIFIANT", txt(" DE12345 ")},
                  {"ETATTERRITORIAL", txt("DE")},
                  {"RAISONSOCIALE", txt("Beta GmbH")},
                  {"AUTREQUALITE", txt("Cousine")},
                  {"AUTRENATURERELATIONS", txt(QStringLiteral("Franchisé"))},
                  {"METHODE", txt("MTMN")}});
        f.insert(QStringLiteral("OPERATIONSMONTANTS"), {{"TYPEMONTANT", txt("5")},
                                                        {"NATUREOPERATIONS", txt("3")},
                                                        {"ACHATS", dec("-2.5")},
                                                        {"VENTES", dec("1234.499")},
                                                        {"NATURRELATION", txt(" ")},
                                                        {"METHODE", txt("CUP ")}});
        f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                 {{"TYPEMONTANT", txt("7")}, {"ACHATS", dec("99")}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        const QStringList expected = {
            "<MontantTransactionsMethodeDeterminationPrixTransfert>",
            "<InformationsServices>",
            "<Services>",
            // Ordered by tax identifier: the line without one comes first.
            "<LigneService>",
            "<NatureOperationService>",
            "<NatureOperation>5</NatureOperation>",
            "</NatureOperationService>",
            "<AchatsDepenses>00100</AchatsDepenses>",
            "<VentesRevenus>00000</VentesRevenus>",
            "<IdentifiantEntreprise>",
            "<AutreIdentifiant>",
            "<Identifiant>DE12345</Identifiant>",
            "<EtatTerritoire>DE</EtatTerritoire>",
            "</AutreIdentifiant>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale>Beta GmbH</RaisonSociale>",
            "<QualiteEntreprise>",
            "<AutreQualite>Cousine</AutreQualite>",
            "</QualiteEntreprise>",
            "<NatureRelationEntreprise>",
            "<AutreNatureRelation>Franchisé</AutreNatureRelation>",
            "</NatureRelationEntreprise>",
            "<MethodePrixTransfert>",
            "<MethodeDeterminationPrixTransfert>MTMN</MethodeDeterminationPrixTransfert>",
            "</MethodePrixTransfert>",
            "</LigneService>",
            "<LigneService>",
            "<NatureOperationService>",
            "<NatureOperation>2</NatureOperation>",
            "</NatureOperationService>",
            "<AchatsDepenses>00100</AchatsDepenses>",
            "<VentesRevenus>00001</VentesRevenus>",
            "<IdentifiantEntreprise>",
            "<MatriculeFiscal>1234567A</MatriculeFiscal>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale>Alpha</RaisonSociale>",
            "<QualiteEntreprise>",
            "<Qualite>1</Qualite>",
            "</QualiteEntreprise>",
            "<NatureRelationEntreprise>",
            "<NatureRelation>2</NatureRelation>",
            "</NatureRelationEntreprise>",
            "<MethodePrixTransfert>",
            "<MethodeDeterminationPrixTransfert>CUP</MethodeDeterminationPrixTransfert>",
            "</MethodePrixTransfert>",
            "<ChangementMethodePrixTransfert>",
            "<MethodeDeterminationPrixTransfert>MPB</MethodeDeterminationPrixTransfert>",
            "</ChangementMethodePrixTransfert>",
            "</LigneService>",
            "</Services>",
            // 100.400 + 100.400 = 200.800: rounded once, 201, not 100 + 100.
            "<TotalAchatsDepensesServices>00201</TotalAchatsDepensesServices>",
            "<TotalVentesRevenusServices>00001</TotalVentesRevenusServices>",
            "</InformationsServices>",
            "<InformationsCessionsAcquisitionsActifs>",
            "<CessionsAcquisitionsActifs>",
            "<LigneCessionAcquisitionActif>",
            "<NatureOperationCessionAcquisitionActif>",
            "<NatureOperation>3</NatureOperation>",
            "</NatureOperationCessionAcquisitionActif>",
            "<AchatsDepenses>-00003</AchatsDepenses>",
            "<VentesRevenus>01234</VentesRevenus>",
            "<IdentifiantEntreprise>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale></RaisonSociale>",
            "<QualiteEntreprise>",
            "<AutreQualite></AutreQualite>",
            "</QualiteEntreprise>",
            "<NatureRelationEntreprise>",
            // A blank relation code counts as given.
            "<NatureRelation> </NatureRelation>",
            "</NatureRelationEntreprise>",
            "<MethodePrixTransfert>",
            "<MethodeDeterminationPrixTransfert>CUP</MethodeDeterminationPrixTransfert>",
            "</MethodePrixTransfert>",
            "</LigneCessionAcquisitionActif>",
            "</CessionsAcquisitionsActifs>",
            "<TotalAchatsDepensesCessionsAcquisitionsActifs>-00003</"
            "TotalAchatsDepensesCessionsAcquisitionsActifs>",
            "<TotalVentesRevenusCessionsAcquisitionsActifs>01234</"
            "TotalVentesRevenusCessionsAcquisitionsActifs>",
            "</InformationsCessionsAcquisitionsActifs>",
            "</MontantTransactionsMethodeDeterminationPrixTransfert>",
        };
        QCOMPARE(DeclarationFixture::between(
                     lines, "<MontantTransactionsMethodeDeterminationPrixTransfert>",
                     "</MontantTransactionsMethodeDeterminationPrixTransfert>"),
                 expected);
    }

    void totalsRoundedOnce() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        // Three lines of 0.500 each show 00001; their sum 1.500 shows 00002, not 00003.
        for (int i = 0; i < 3; ++i) {
            f.insert(
                QStringLiteral("OPERATIONSMONTANTS"),
                {{"TYPEMONTANT", txt("4")}, {"ACHATS", dec("0.500")}, {"VENTES", dec("0.333")}});
        }
        f.insert(QStringLiteral("OPERATIONSMONTANTS"), {{"TYPEMONTANT", txt("4")}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        QCOMPARE(lines.count(QStringLiteral("<AchatsDepenses>00001</AchatsDepenses>")), 3);
        QCOMPARE(lines.count(QStringLiteral("<AchatsDepenses>00000</AchatsDepenses>")), 1);
        QVERIFY(
            lines.contains(QStringLiteral("<TotalAchatsDepensesOperationsFinancieres>00002</"
                                          "TotalAchatsDepensesOperationsFinancieres>")));
        // The schema's name, with its final s.
        QVERIFY(
            lines.contains(QStringLiteral("<TotalVentesRevenusOperationsFinancieres>00001</"
                                          "TotalVentesRevenusOperationsFinancieres>")));
    }

    void everyCategoryHasItsNames() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        for (int code = 6; code >= 1; --code) {
            f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                     {{"TYPEMONTANT", txt(QString::number(code))}, {"ACHATS", dec("1000")}});
        }
        const QStringList lines = DeclarationFixture::lines(f.generate());
        const QStringList sections = {"InformationsValeursExploitation",
                                      "InformationsRemunerationsBiensCorporelsIncorporels",
                                      "InformationsServices",
                                      "InformationsOperationsFinancieres",
                                      "InformationsCessionsAcquisitionsActifs",
                                      "InformationsAutresOperations"};
        qsizetype previous = -1;
        for (const QString& section : sections) {
            const qsizetype at = lines.indexOf(u'<' + section + u'>');
            QVERIFY2(at > previous, qPrintable(section));
            previous = at;
        }
        for (const char* name :
             {"LigneValeurExploitation", "NatureOperationValeurExploitation",
              "LigneRemunerationBiens", "NatureOperationRemunerationBiens",
              "LigneOperationFinanciere", "NatureOperationFinanciere",
              "LigneCessionAcquisitionActif", "NatureOperationCessionAcquisitionActif",
              "LigneService", "NatureOperationService", "LigneAutreOperation"}) {
            QVERIFY2(lines.contains(QStringLiteral("<%1>").arg(QLatin1StringView(name))), name);
        }
        // The nature of an other operation is the code itself, as the schema has it.
        const QStringList autre =
            DeclarationFixture::between(lines, "<LigneAutreOperation>", "</LigneAutreOperation>");
        QCOMPARE(autre.mid(0, 3), (QStringList{"<LigneAutreOperation>",
                                               "<NatureAutreOperation></NatureAutreOperation>",
                                               "<AchatsDepenses>01000</AchatsDepenses>"}));
        for (const char* total :
             {"TotalAchatsDepensesValeursExploitation", "TotalVentesRevenusValeursExploitation",
              "TotalAchatsDepensesRemunerationsBiensCorporelsIncorporels",
              "TotalVentesRevenusRemunerationsBiensCorporelsIncorporels",
              "TotalAchatsDepensesOperationsFinancieres", "TotalVentesRevenusOperationsFinancieres",
              "TotalAchatsDepensesAutresOperations", "TotalVentesRevenusAutresOperations"}) {
            QVERIFY2(lines.contains(
                         QStringLiteral("<%1>%2</%1>")
                             .arg(QLatin1StringView(total),
                                  QString::fromLatin1(
                                      QByteArray(total).contains("Achats") ? "01000" : "00000"))),
                     total);
        }
    }

    void loansAndBorrowings() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"), {{"TYPEPRETEMPRUNT", txt("P")},
                                                          {"MATRICULEFISCAL", txt("2222222B")},
                                                          {"RAISONSOCIALE", txt("Beta")},
                                                          {"QUALITE", txt("4")},
                                                          {"NATURERELATION", txt("1")},
                                                          {"SOLDEOUVERTURE", dec("10000.000")},
                                                          {"DEVISE", txt("USD")},
                                                          {"AUGMENTATIONS", dec("2500.250")},
                                                          {"DIMINUTIONS", dec("0")},
                                                          {"SOLDECLOTURE", dec("12500.250")},
                                                          {"PRETINTERET", txt("Oui")},
                                                          {"TAUXINTERET", dec("5.25")}});
        f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"), {{"TYPEPRETEMPRUNT", txt("P")},
                                                          {"MATRICULEFISCAL", txt("1111111A")},
                                                          {"DEVISE", txt("EUR")},
                                                          {"PRETINTERET", txt("Non")}});
        f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"), {{"TYPEPRETEMPRUNT", txt("E")},
                                                          {"MATRICULEFISCAL", txt("3333333C")},
                                                          {"AUTREQUALITE", txt("Banque du groupe")},
                                                          {"PRETINTERET", txt(" O ")},
                                                          {"TAUXINTERET", dec("12.5")}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        const QStringList expected = {
            "<InformationsPretsEmprunts>",
            "<PretsAccordes>",
            "<LignePretAccorde>",
            "<IdentifiantEntreprise>",
            "<MatriculeFiscal>1111111A</MatriculeFiscal>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale></RaisonSociale>",
            "<QualiteEntreprise>",
            "<AutreQualite></AutreQualite>",
            "</QualiteEntreprise>",
            "<NatureRelationEntreprise>",
            "<NatureRelation></NatureRelation>",
            "</NatureRelationEntreprise>",
            "<SoldeOuverture>00000</SoldeOuverture>",
            "<Devise>EUR</Devise>",
            "<MouvementsAugmentations>00000</MouvementsAugmentations>",
            "<MouvementsDiminutions>00000</MouvementsDiminutions>",
            "<SoldeCloture>00000</SoldeCloture>",
            "<PretsInterets>N</PretsInterets>",
            "<TauxInterets>0000</TauxInterets>",
            "</LignePretAccorde>",
            "<LignePretAccorde>",
            "<IdentifiantEntreprise>",
            "<MatriculeFiscal>2222222B</MatriculeFiscal>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale>Beta</RaisonSociale>",
            "<QualiteEntreprise>",
            "<Qualite>4</Qualite>",
            "</QualiteEntreprise>",
            "<NatureRelationEntreprise>",
            "<NatureRelation>1</NatureRelation>",
            "</NatureRelationEntreprise>",
            "<SoldeOuverture>10000</SoldeOuverture>",
            "<Devise>USD</Devise>",
            "<MouvementsAugmentations>02500</MouvementsAugmentations>",
            "<MouvementsDiminutions>00000</MouvementsDiminutions>",
            "<SoldeCloture>12500</SoldeCloture>",
            "<PretsInterets>O</PretsInterets>",
            "<TauxInterets>0005</TauxInterets>",
            "</LignePretAccorde>",
            "</PretsAccordes>",
            "<EmpruntsContractes>",
            "<LigneEmpruntContracte>",
            "<IdentifiantEntreprise>",
            "<MatriculeFiscal>3333333C</MatriculeFiscal>",
            "</IdentifiantEntreprise>",
            "<RaisonSociale></RaisonSociale>",
            "<QualiteEntreprise>",
            "<AutreQualite>Banque du groupe</AutreQualite>",
            "</QualiteEntreprise>",
            "<NatureRelationEntreprise>",
            "<NatureRelation></NatureRelation>",
            "</NatureRelationEntreprise>",
            "<SoldeOuverture>00000</SoldeOuverture>",
            "<Devise></Devise>",
            "<MouvementsAugmentations>00000</MouvementsAugmentations>",
            "<MouvementsDiminutions>00000</MouvementsDiminutions>",
            "<SoldeCloture>00000</SoldeCloture>",
            "<EmpruntInterets>O</EmpruntInterets>",
            "<TauxInterets>0013</TauxInterets>",
            "</LigneEmpruntContracte>",
            "</EmpruntsContractes>",
            "</InformationsPretsEmprunts>",
        };
        QCOMPARE(DeclarationFixture::between(lines, "<InformationsPretsEmprunts>",
                                             "</InformationsPretsEmprunts>"),
                 expected);
        QCOMPARE(lines.at(lines.indexOf(QStringLiteral("</InformationsPretsEmprunts>")) + 1),
                 QStringLiteral("<OperationsSansContrepartieOuAvecContrepartieNonMonetaire>"));
        QCOMPARE(f.module().Empruntsprets->currentIndex(), 0);
    }

    void borrowingsOnlyAndOtherTypes() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"), {{"TYPEPRETEMPRUNT", txt("X")}});
        QStringList lines = DeclarationFixture::lines(f.generate());
        // A line of another type makes the section appear, empty.
        QCOMPARE(DeclarationFixture::between(lines, "<InformationsPretsEmprunts>",
                                             "</InformationsPretsEmprunts>"),
                 (QStringList{"<InformationsPretsEmprunts>", "</InformationsPretsEmprunts>"}));
        f.insert(QStringLiteral("OPERATIONPRETEMPRUNT"),
                 {{"TYPEPRETEMPRUNT", txt("E")}, {"MATRICULEFISCAL", txt("3333333C")}});
        lines = DeclarationFixture::lines(f.generate());
        QVERIFY(!lines.contains(QStringLiteral("<PretsAccordes>")));
        QCOMPARE(lines.at(lines.indexOf(QStringLiteral("<InformationsPretsEmprunts>")) + 1),
                 QStringLiteral("<EmpruntsContractes>"));
    }

    void counterpartOperations() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        // CHAR(3): the server pads the answer to "O  ".
        f.addCompany(
            {{"AFFIRMATIONBIENSERVICE", txt("O")}, {"AFFIRMATIONBIENSERVICEAVECCONTR", txt("O")}});
        for (const char* m : {"3333333C", "1111111A", "2222222B"}) {
            f.insert(QStringLiteral("OPERATIONSANSCONTRE"),
                     {{"MATRICULEFISCAL", txt(QString::fromLatin1(m))},
                      {"RAISONSOCIALE", txt("R")},
                      {"QUALITE", txt("5")},
                      {"NATURERELATION", txt("4")},
                      {"NATUREBIENSERVICE", txt("Marque")},
                      {"NATURECONTREPARTIE", txt("Aucune")},
                      {"AVECCONTREOUINON", txt("A")}});
        }
        f.insert(QStringLiteral("OPERATIONSANSCONTRE"),
                 {{"MATRICULEFISCAL", txt("9999999Z")}, {"AVECCONTREOUINON", txt("Z")}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        QCOMPARE(
            DeclarationFixture::between(lines, "<InformationsSurBiensOuServicesSansContrePartie>",
                                        "</InformationsSurBiensOuServicesSansContrePartie>"),
            (QStringList{"<InformationsSurBiensOuServicesSansContrePartie>",
                         "<Affirmation>O</Affirmation>",
                         "</InformationsSurBiensOuServicesSansContrePartie>"}));
        const QStringList avec = DeclarationFixture::between(
            lines, "<InformationsSurContrepartieNonMonetairePourBiensOuServices>",
            "</InformationsSurContrepartieNonMonetairePourBiensOuServices>");
        QCOMPARE(avec.count(QStringLiteral("<LigneContrepartieNonMonetairePourBiensOuServices>")),
                 3);
        QCOMPARE(
            avec.mid(0, 19),
            (QStringList{
                "<InformationsSurContrepartieNonMonetairePourBiensOuServices>",
                "<Affirmation>O</Affirmation>", "<ContrepartieNonMonetairePourBiensOuServices>",
                "<LigneContrepartieNonMonetairePourBiensOuServices>", "<IdentifiantEntreprise>",
                "<MatriculeFiscal>1111111A</MatriculeFiscal>", "</IdentifiantEntreprise>",
                "<RaisonSociale>R</RaisonSociale>", "<QualiteEntreprise>", "<Qualite>5</Qualite>",
                "</QualiteEntreprise>", "<NatureRelationEntreprise>",
                "<NatureRelation>4</NatureRelation>", "</NatureRelationEntreprise>",
                "<NatureBiensOuService>Marque</NatureBiensOuService>",
                "<NatureContrepartie>Aucune</NatureContrepartie>",
                "</LigneContrepartieNonMonetairePourBiensOuServices>",
                "<LigneContrepartieNonMonetairePourBiensOuServices>", "<IdentifiantEntreprise>"}));
        QCOMPARE(avec.mid(avec.size() - 3),
                 (QStringList{"</LigneContrepartieNonMonetairePourBiensOuServices>",
                              "</ContrepartieNonMonetairePourBiensOuServices>",
                              "</InformationsSurContrepartieNonMonetairePourBiensOuServices>"}));
        QVERIFY(!lines.contains(QStringLiteral("<MatriculeFiscal>9999999Z</MatriculeFiscal>")));
    }

    void agreements() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"AFFIRMATIONACCORDPREALABLE", txt("N")}});
        f.insert(QStringLiteral("OPERATIONRESCRITFISCAUX"), {{"MATRICULEFISCAL", txt("1111111A")},
                                                             {"RAISONSOCIALE", txt("Alpha")},
                                                             {"QUALITE", txt("1")},
                                                             {"NATURERELATION", txt("2")},
                                                             {"NATUREOPERATION", txt("Redevances")},
                                                             {"EXERCICEDEBUT", db::Value(2021)}});
        const QStringList lines = DeclarationFixture::lines(f.generate());
        QCOMPARE(DeclarationFixture::between(
                     lines, "<InformationsOperationsAccordsPrealablesOuRescritsFiscaux>",
                     "</InformationsOperationsAccordsPrealablesOuRescritsFiscaux>"),
                 (QStringList{"<InformationsOperationsAccordsPrealablesOuRescritsFiscaux>",
                              "<Affirmation>N</Affirmation>",
                              "<OperationsAccordsPrealablesOuRescritsFiscaux>",
                              "<LigneOperationsAccordsPrealablesOuRescritsFiscaux>",
                              "<IdentifiantEntreprise>",
                              "<MatriculeFiscal>1111111A</MatriculeFiscal>",
                              "</IdentifiantEntreprise>",
                              "<RaisonSociale>Alpha</RaisonSociale>",
                              "<QualiteEntreprise>",
                              "<Qualite>1</Qualite>",
                              "</QualiteEntreprise>",
                              "<NatureRelationEntreprise>",
                              "<NatureRelation>2</NatureRelation>",
                              "</NatureRelationEntreprise>",
                              "<NatureOperation>Redevances</NatureOperation>",
                              "<ExerciceDebut>2021</ExerciceDebut>",
                              "<ExerciceFin></ExerciceFin>",
                              "</LigneOperationsAccordsPrealablesOuRescritsFiscaux>",
                              "</OperationsAccordsPrealablesOuRescritsFiscaux>",
                              "</InformationsOperationsAccordsPrealablesOuRescritsFiscaux>"}));
        QVERIFY(f.module().operationsaccord->eof());
    }

    // A related company known only by another identifier is written with it and its
    // state in every list, as on the transaction lines; a tax identifier wins over it, and
    // a line with neither keeps its empty tax identifier.
    void otherIdentifierInEveryList_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("matriculeColumn");
        QTest::addColumn<QString>("etatColumn");
        QTest::addColumn<QString>("lineTag");
        QTest::newRow("capital lié") << "CAPITALLIEE"
                                     << "MFISCALLIE"
                                     << "ETATTERRITOIRE"
                                     << "LigneParticipationLiee";
        QTest::newRow("actif incorporel") << "LISTEACTIFINCORPOREL"
                                          << "MATRICULEFISCAL"
                                          << "TERRITOIRE"
                                          << "LigneActifIncorporel";
        QTest::newRow("actif corporel") << "LISTEACTIFCORPOREL"
                                        << "MATRICULEFISCAL"
                                        << "TERRITOIRE"
                                        << "LigneActifCorporel";
        QTest::newRow("prêt") << "OPERATIONPRETEMPRUNT"
                              << "MATRICULEFISCAL"
                              << "ETATTERRITORIAL"
                              << "LignePretAccorde";
        QTest::newRow("sans contrepartie") << "OPERATIONSANSCONTRE"
                                           << "MATRICULEFISCAL"
                                           << "ETATTERRITORIAL"
                                           << "LigneBiensOuServicesSansContrePartie";
        QTest::newRow("accord") << "OPERATIONRESCRITFISCAUX"
                                << "MATRICULEFISCAL"
                                << "ETATTERRITORIAL"
                                << "LigneOperationsAccordsPrealablesOuRescritsFiscaux";
    }

    void otherIdentifierInEveryList() {
        QFETCH(QString, table);
        QFETCH(QString, matriculeColumn);
        QFETCH(QString, etatColumn);
        QFETCH(QString, lineTag);
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const bool asset = table.startsWith(QLatin1StringView("LISTEACTIF"));
        auto line = [&](const char* matricule, const char* autre, const char* raison) {
            C columns = {
                {matriculeColumn, matricule ? txt(QString::fromLatin1(matricule)) : db::Value()},
                {"AUTREIDENTIFIANT", autre ? txt(QString::fromLatin1(autre)) : db::Value()},
                {etatColumn, txt("DE")},
                {"RAISONSOCIALE", txt(QString::fromLatin1(raison))}};
            if (asset) {
                columns.append({"NATUREACTIF", txt("04")});
            }
            if (table == QLatin1StringView("OPERATIONPRETEMPRUNT")) {
                columns.append({"TYPEPRETEMPRUNT", txt("P")});
            }
            if (table == QLatin1StringView("OPERATIONSANSCONTRE")) {
                columns.append({"AVECCONTREOUINON", txt("S")});
            }
            f.insert(table, columns);
        };
        // Listed by tax identifier: the null one first, then the blank one.
        line("1111111A", "ignoré", "A");
        line("  ", " HRB 7 ", "B");
        line(nullptr, nullptr, "C");
        const QStringList lines = DeclarationFixture::lines(f.generate());
        QStringList identifiers;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines.at(i) == QStringLiteral("<%1>").arg(lineTag)) {
                identifiers += DeclarationFixture::between(lines.mid(i), "<IdentifiantEntreprise>",
                                                           "</IdentifiantEntreprise>");
            }
        }
        QCOMPARE(identifiers,
                 (QStringList{
                     "<IdentifiantEntreprise>", "<MatriculeFiscal></MatriculeFiscal>",
                     "</IdentifiantEntreprise>", "<IdentifiantEntreprise>", "<AutreIdentifiant>",
                     "<Identifiant>HRB 7</Identifiant>", "<EtatTerritoire>DE</EtatTerritoire>",
                     "</AutreIdentifiant>", "</IdentifiantEntreprise>", "<IdentifiantEntreprise>",
                     "<MatriculeFiscal>1111111A</MatriculeFiscal>", "</IdentifiantEntreprise>"}));
    }

    void failureLeavesEarlierFileUntouched() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"RAISONSOCIALE", txt("Alpha")}});
        QFile earlier(f.expectedPath());
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("ancien contenu");
        earlier.close();

        // A query that fails late, once most of the file has been written.
        Dataset& accords = *f.module().operationsaccord;
        accords.close();
        accords.setSql(QStringLiteral(
            "select * from TABLE_ABSENTE where MFISCAL = :mfiscal and EXERCICE = :exercice"));
        DeclarationWriter writer(f.module());
        bool failed = false;
        try {
            writer.generate(f.outputFolder());
        } catch (const DeclarationError& e) {
            failed = true;
            QVERIFY2(e.text().contains(QStringLiteral("TABLE_ABSENTE")), qPrintable(e.text()));
        }
        QVERIFY(failed);
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("ancien contenu"));
        QCOMPARE(folderEntries(f.outputFolder()),
                 QStringList{QStringLiteral("FDPT-1234567A-2023.xml")});
    }

    void failureWithoutEarlierFileLeavesNothing() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        Dataset& groupe = *f.module().INFOGROUPE;
        groupe.close();
        groupe.setSql(QStringLiteral("select * from TABLE_ABSENTE where MFISCAL = :mfiscal"));
        DeclarationWriter writer(f.module());
        QVERIFY_THROWS_EXCEPTION(DeclarationError, writer.generate(f.outputFolder()));
        QVERIFY(folderEntries(f.outputFolder()).isEmpty());
    }

    void missingFolderIsRefused() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const QString missing = QDir(f.outputFolder()).filePath(QStringLiteral("absent"));
        DeclarationWriter writer(f.module());
        try {
            writer.generate(missing);
            QFAIL("a missing folder must be refused");
        } catch (const DeclarationError& e) {
            QCOMPARE(e.text(), DeclarationWriter::kFolderMissing.arg(missing));
        }
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(folderEntries(f.outputFolder()).isEmpty());
    }

    void emptyFolderIsRefused() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        DeclarationWriter writer(f.module());
        for (const QString& folder : {QString(), QStringLiteral("   ")}) {
            try {
                writer.generate(folder);
                QFAIL("an empty folder must be refused");
            } catch (const DeclarationError& e) {
                QCOMPARE(e.text(), DeclarationWriter::kNoFolder);
            }
        }
    }

    // The bytes and the problems of a declaration of many blocks, with every kind of text the
    // escaping meets, pinned as they are: a faster writer or check must produce exactly these.
    void manyLinesKeepTheirBytes() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"RAISONSOCIALE", txt(QStringLiteral("Société & fils <test>"))},
                      {"AFFIRMATIONBIENSERVICE", txt("O")},
                      {"AFFIRMATIONACCORDPREALABLE", txt("O")}});
        const QStringList texts = {
            QStringLiteral("Entreprise liée n° %1 & associés"),
            QStringLiteral("A<B>C \"guillemets\" l’apostrophe %1"),
            QStringLiteral("  deux lignes\r\nla suite %1\tfin  "),
            QStringLiteral("seule\nfin de ligne\rretour %1\x01\x1f"),
            QStringLiteral("%1"),
            QStringLiteral("Œuvre €uro ŠŽ šž Ÿ ¤ %1 ÿ"),
        };
        auto text = [&](int i) { return texts[i % texts.size()].arg(i); };
        TDataprix& m = f.module();
        m.ensureConnected();
        const auto run = [&](const QString& sql, int count, auto bind) {
            db::Statement st(m.IBTransaction1);
            st.prepare(sql);
            for (int i = 1; i <= count; ++i) {
                st.setParam(QStringLiteral("m"), DeclarationFixture::kIdentifiant);
                st.setParam(QStringLiteral("e"), DeclarationFixture::kExercice);
                st.setParam(QStringLiteral("lg"), i);
                st.setParam(QStringLiteral("rs"), text(i));
                st.setParam(QStringLiteral("mf"), i % 5 == 0 ? db::Value()
                                                             : db::Value(QStringLiteral("%1B").arg(
                                                                   1000000 + i * 7919 % 8999999)));
                st.setParam(QStringLiteral("autre"),
                            i % 5 == 0 ? db::Value(QStringLiteral(" X-%1 ").arg(i)) : db::Value());
                st.setParam(QStringLiteral("q"), i % 7 == 0 ? db::Value(QStringLiteral(" "))
                                                            : db::Value(QStringLiteral("4")));
                st.setParam(QStringLiteral("aq"),
                            i % 7 == 0 ? db::Value(text(i + 1)) : db::Value());
                bind(st, i);
                st.execute();
            }
        };
        run(QStringLiteral(
                "insert into OPERATIONSMONTANTS (MFISCAL, EXERCICE, LG, TYPEMONTANT, "
                "NATUREOPERATIONS, ACHATS, VENTES, MATRICULEFISCAL, AUTREIDENTIFIANT, "
                "ETATTERRITORIAL, RAISONSOCIALE, QUALITE, AUTREQUALITE, NATURRELATION, "
                "AUTRENATURERELATIONS, METHODE, CHANGEMENTMETHODE) values (:m, :e, :lg, :t, :n, "
                ":a, :v, :mf, :autre, 'FR', :rs, :q, :aq, :nr, :anr, :me, :ch)"),
            3000, [&](db::Statement& st, int i) {
                st.setParam(QStringLiteral("t"), QString::number(1 + i % 7));
                st.setParam(QStringLiteral("n"), QString::number(1 + i % 3));
                st.setParam(QStringLiteral("a"),
                            i % 11 == 0
                                ? db::Value()
                                : dec(QByteArray::number(i * 1234567LL % 99999999 - 4000000) +
                                      ".5" + QByteArray::number(i % 10)));
                st.setParam(QStringLiteral("v"), dec(QByteArray::number(i) + ".500"));
                st.setParam(QStringLiteral("nr"),
                            i % 9 == 0 ? db::Value() : db::Value(QStringLiteral("1")));
                st.setParam(QStringLiteral("anr"),
                            i % 9 == 0 ? db::Value(text(i + 2)) : db::Value());
                st.setParam(QStringLiteral("me"), QString::fromLatin1(i % 2 ? "CUP " : "MTMN"));
                st.setParam(QStringLiteral("ch"),
                            i % 4 == 0 ? db::Value(QStringLiteral("MPB ")) : db::Value());
            });
        for (const char* table : {"CAPITALLIEE", "CAPITALDECLARANTE"}) {
            run(QStringLiteral("insert into %1 (MFISCAL, EXERCICE, LG, MFISCALLIE, "
                               "AUTREIDENTIFIANT, ETATTERRITOIRE, RAISONSOCIALE, QUALITE, "
                               "AUTREQUALITE, POURCENTCAPITAL, POURVENVOTE) values (:m, :e, :lg, "
                               ":mf, :autre, 'DE', :rs, :q, :aq, :pc, 50)")
                    .arg(QLatin1StringView(table)),
                300, [&](db::Statement& st, int i) {
                    st.setParam(QStringLiteral("pc"), dec(QByteArray::number(i % 100) + ".49"));
                });
        }
        for (const char* table : {"LISTEACTIFINCORPOREL", "LISTEACTIFCORPOREL"}) {
            const bool in = std::strcmp(table, "LISTEACTIFINCORPOREL") == 0;
            run(QStringLiteral("insert into %1 (MFISCAL, EXERCICE, LG, NATUREACTIF, %2 "
                               "MATRICULEFISCAL, AUTREIDENTIFIANT, TERRITOIRE, RAISONSOCIALE, "
                               "QUALITE, AUTREQUALITE, NATURERELATION) values (:m, :e, :lg, '04', "
                               "%3 :mf, :autre, 'IT', :rs, :q, :aq, '1')")
                    .arg(QLatin1StringView(table),
                         in ? QStringLiteral("ONEREUXGRATUIT,") : QString(),
                         in ? QStringLiteral("'N',") : QString()),
                300, [](db::Statement&, int) {});
        }
        run(QStringLiteral(
                "insert into OPERATIONPRETEMPRUNT (MFISCAL, EXERCICE, LG, TYPEPRETEMPRUNT, "
                "MATRICULEFISCAL, AUTREIDENTIFIANT, ETATTERRITORIAL, RAISONSOCIALE, QUALITE, "
                "AUTREQUALITE, NATURERELATION, SOLDEOUVERTURE, DEVISE, AUGMENTATIONS, "
                "DIMINUTIONS, SOLDECLOTURE, PRETINTERET, TAUXINTERET) values (:m, :e, :lg, :t, "
                ":mf, :autre, 'ES', :rs, :q, :aq, '1', :so, 'EUR', 2500.25, -0.5, 12500.25, :pi, "
                "5.25)"),
            300, [](db::Statement& st, int i) {
                st.setParam(QStringLiteral("t"), QString::fromLatin1(i % 3 ? "P" : "E"));
                st.setParam(QStringLiteral("so"), dec(QByteArray::number(i * 10) + ".5"));
                st.setParam(QStringLiteral("pi"), QString::fromLatin1(i % 2 ? "Oui" : "Non"));
            });
        run(QStringLiteral(
                "insert into OPERATIONSANSCONTRE (MFISCAL, EXERCICE, LG, MATRICULEFISCAL, "
                "AUTREIDENTIFIANT, ETATTERRITORIAL, RAISONSOCIALE, QUALITE, AUTREQUALITE, "
                "NATURERELATION, NATUREBIENSERVICE, NATURECONTREPARTIE, AVECCONTREOUINON) values "
                "(:m, :e, :lg, :mf, :autre, 'BE', :rs, :q, :aq, '1', :rs, 'Aucune', :t)"),
            300, [](db::Statement& st, int i) {
                st.setParam(QStringLiteral("t"), QString::fromLatin1(i % 2 ? "S" : "A"));
            });
        run(QStringLiteral(
                "insert into OPERATIONRESCRITFISCAUX (MFISCAL, EXERCICE, LG, MATRICULEFISCAL, "
                "AUTREIDENTIFIANT, ETATTERRITORIAL, RAISONSOCIALE, QUALITE, AUTREQUALITE, "
                "NATURERELATION, NATUREOPERATION, EXERCICEDEBUT, EXERCICEFIN) values (:m, :e, "
                ":lg, :mf, :autre, 'NL', :rs, :q, :aq, '1', :rs, 2021, 2024)"),
            300, [](db::Statement&, int) {});
        m.commitRetaining();

        DeclarationWriter writer(m);
        QFile file(writer.generate(f.outputFolder()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QString problems;
        for (const DeclarationProblem& p : writer.problems()) {
            problems += p.text() + u'\n';
        }
        QCOMPARE(bytes.size(), 2991059);
        QCOMPARE(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(),
                 QByteArray("4bc4d3851df03220154aeb4393ea8363be552fe252d1fa12b3bddf3cef303d57"));
        QCOMPARE(writer.problems().size(), 161);
        // The presence tests, beyond a first batch of lines, are left open on their first row.
        QVERIFY(m.montanttransactions->isActive());
        QCOMPARE(m.montanttransactions->currentIndex(), 0);
        QVERIFY(!m.montanttransactions->eof());
        QCOMPARE(m.Empruntsprets->currentIndex(), 0);
        // A writer told not to re-open them writes the same bytes and leaves them closed.
        DeclarationWriter alone(m);
        alone.setPresenceTestsReopened(false);
        QFile again(alone.generate(f.outputFolder()));
        QVERIFY(again.open(QIODevice::ReadOnly));
        QVERIFY(again.readAll() == bytes);
        QVERIFY(!m.montanttransactions->isActive());
        QVERIFY(!m.Empruntsprets->isActive());
        QCOMPARE(QCryptographicHash::hash(problems.toUtf8(), QCryptographicHash::Sha256).toHex(),
                 QByteArray("59436f665f3b677c8277e23aace0bc1bc56f96308275de2b0505b42c457f9329"));
    }

    void noActiveCompanyIsRefused() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.module().societe->open();
        QVERIFY(f.module().societe->isEmpty());
        DeclarationWriter writer(f.module());
        try {
            writer.generate(f.outputFolder());
            QFAIL("generation without a company must be refused");
        } catch (const DeclarationError& e) {
            QCOMPARE(e.text(), DeclarationWriter::kNoActiveCompany);
        }
        QVERIFY(folderEntries(f.outputFolder()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDeclarationWriter)
#include "tst_declaration_writer.moc"
