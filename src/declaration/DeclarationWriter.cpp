#include "declaration/DeclarationWriter.h"

#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "declaration/DeclarationError.h"
#include "declaration/XmlLineWriter.h"
#include "declaration/XmlValueForms.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

using F = XmlValueForms;
using L = QLatin1StringView;

const QString DeclarationWriter::kNoActiveCompany =
    QStringLiteral("Aucune société n'est sélectionnée : le fichier Xml ne peut pas être généré.");
const QString DeclarationWriter::kNoFolder =
    QStringLiteral("Veuillez indiquer le répertoire des fichiers Xml.");
const QString DeclarationWriter::kFolderMissing =
    QStringLiteral("Le répertoire « %1 » n'existe pas.");

namespace {

/// The current row of a dataset or the row last fetched by a query, read by column name.
class Row {
public:
    explicit Row(const Dataset& dataset) : m_dataset(&dataset) {}
    explicit Row(const db::Statement& statement) : m_statement(&statement) {}

    /// @p field in upper case, as the queries' column names are.
    db::Value operator()(const QString& field) const {
        if (m_dataset) {
            return m_dataset->value(field);
        }
        // Looked up as given: Statement::value() would build an upper-case copy of the
        // name for every column of every one of possibly many thousand rows.
        const qsizetype column = m_statement->columnNames().indexOf(field);
        return column < 0 ? m_statement->value(field) : m_statement->row().at(column);
    }

private:
    const Dataset* m_dataset = nullptr;
    const db::Statement* m_statement = nullptr;
};

/**
 * The related company a list line concerns: its tax identifier (written even when
 * empty), its name, its quality or, without one, the other quality (written even when
 * empty) and, on the lines that carry it, the nature of the relation.
 */
void writeRelatedCompany(XmlLineWriter& out, const Row& row, const QString& matriculeField,
                         bool withNatureRelation) {
    out.start(L("IdentifiantEntreprise"));
    out.element(L("MatriculeFiscal"), F::asStored(row(matriculeField)));
    out.end(L("IdentifiantEntreprise"));
    out.element(L("RaisonSociale"), F::asStored(row(QStringLiteral("RAISONSOCIALE"))));
    out.start(L("QualiteEntreprise"));
    const db::Value qualite = row(QStringLiteral("QUALITE"));
    if (!F::isBlank(qualite)) {
        out.element(L("Qualite"), F::asStored(qualite));
    } else {
        out.element(L("AutreQualite"), F::asStored(row(QStringLiteral("AUTREQUALITE"))));
    }
    out.end(L("QualiteEntreprise"));
    if (withNatureRelation) {
        out.start(L("NatureRelationEntreprise"));
        out.element(L("NatureRelation"), F::asStored(row(QStringLiteral("NATURERELATION"))));
        out.end(L("NatureRelationEntreprise"));
    }
}

/// The administration knows only O and N for an interest answer; the loans page stores Oui or Non.
QString ouiNon(const db::Value& answer) {
    const QString text = F::trimmed(answer);
    return (text == QLatin1StringView("Oui") || text == QLatin1StringView("O"))
               ? QStringLiteral("O")
               : QStringLiteral("N");
}

struct Category {
    const char* code;
    L section;
    L list;
    L line;
    L nature;
    L totalAchats;
    L totalVentes;
    /// The administration's schema gives the nature of an "other operation" as the code
    /// itself, not as a container around NatureOperation.
    bool natureIsValue = false;
};

const Category kCategories[] = {
    {"1", L("InformationsValeursExploitation"), L("ValeursExploitation"),
     L("LigneValeurExploitation"), L("NatureOperationValeurExploitation"),
     L("TotalAchatsDepensesValeursExploitation"), L("TotalVentesRevenusValeursExploitation")},
    {"2", L("InformationsRemunerationsBiensCorporelsIncorporels"),
     L("RemunerationsBiensCorporelsIncorporels"), L("LigneRemunerationBiens"),
     L("NatureOperationRemunerationBiens"),
     L("TotalAchatsDepensesRemunerationsBiensCorporelsIncorporels"),
     L("TotalVentesRevenusRemunerationsBiensCorporelsIncorporels")},
    {"3", L("InformationsServices"), L("Services"), L("LigneService"), L("NatureOperationService"),
     L("TotalAchatsDepensesServices"), L("TotalVentesRevenusServices")},
    {"4", L("InformationsOperationsFinancieres"), L("OperationsFinancieres"),
     L("LigneOperationFinanciere"), L("NatureOperationFinanciere"),
     // Named as the administration's schema names it, with the final s; a file with the
     // name spelled without it is rejected.
     L("TotalAchatsDepensesOperationsFinancieres"), L("TotalVentesRevenusOperationsFinancieres")},
    {"5", L("InformationsCessionsAcquisitionsActifs"), L("CessionsAcquisitionsActifs"),
     L("LigneCessionAcquisitionActif"), L("NatureOperationCessionAcquisitionActif"),
     L("TotalAchatsDepensesCessionsAcquisitionsActifs"),
     L("TotalVentesRevenusCessionsAcquisitionsActifs")},
    {"6", L("InformationsAutresOperations"), L("AutresOperations"), L("LigneAutreOperation"),
     L("NatureAutreOperation"), L("TotalAchatsDepensesAutresOperations"),
     L("TotalVentesRevenusAutresOperations"), true},
};

const QString kMontantsSql = QStringLiteral(
    "select TYPEMONTANT, NATUREOPERATIONS, ACHATS, VENTES, MATRICULEFISCAL, AUTREIDENTIFIANT, "
    "ETATTERRITORIAL, RAISONSOCIALE, QUALITE, AUTREQUALITE, NATURRELATION, AUTRENATURERELATIONS, "
    "METHODE, CHANGEMENTMETHODE from OPERATIONSMONTANTS "
    "where MFISCAL = :mfiscal and EXERCICE = :exercice and TYPEMONTANT = :typem "
    "order by MATRICULEFISCAL, AUTREIDENTIFIANT");

const QString kPretsSql = QStringLiteral(
    "select MATRICULEFISCAL, AUTREIDENTIFIANT, RAISONSOCIALE, QUALITE, AUTREQUALITE, "
    "NATURERELATION, SOLDEOUVERTURE, DEVISE, AUGMENTATIONS, DIMINUTIONS, SOLDECLOTURE, "
    "PRETINTERET, TAUXINTERET from OPERATIONPRETEMPRUNT "
    "where MFISCAL = :mfiscal and EXERCICE = :exercice and TYPEPRETEMPRUNT = :typepretemprunt "
    "order by MATRICULEFISCAL, AUTREIDENTIFIANT");

const QString kSansContreSql = QStringLiteral(
    "select MATRICULEFISCAL, AUTREIDENTIFIANT, RAISONSOCIALE, QUALITE, AUTREQUALITE, "
    "NATURERELATION, NATUREBIENSERVICE, NATURECONTREPARTIE from OPERATIONSANSCONTRE "
    "where MFISCAL = :mfiscal and EXERCICE = :exercice and AVECCONTREOUINON = :ouinon "
    "order by MATRICULEFISCAL, AUTREIDENTIFIANT");

}  // namespace

DeclarationWriter::DeclarationWriter(TDataprix& module) : m_module(module) {}

DeclarationWriter::~DeclarationWriter() = default;

QString DeclarationWriter::fileName(const QString& identifiantComplet,
                                    const QString& exerciceTexte) {
    return QStringLiteral("FDPT-") + identifiantComplet + u'-' + exerciceTexte +
           QStringLiteral(".xml");
}

QString DeclarationWriter::generate(const QString& folder) {
    const Dataset& societe = *m_module.societe;
    if (!societe.isActive() || societe.currentIndex() < 0) {
        throw DeclarationError(kNoActiveCompany);
    }
    if (folder.trimmed().isEmpty()) {
        throw DeclarationError(kNoFolder);
    }
    if (!QFileInfo(folder).isDir()) {
        throw DeclarationError(kFolderMissing.arg(folder));
    }

    m_identifiant = m_module.identifiantComplet();
    m_exercice = m_module.exerciceActif();
    const QString path = QDir(folder).filePath(fileName(m_identifiant, F::year(m_exercice)));

    try {
        XmlLineWriter out(path);
        out.open();
        m_out = &out;
        // Prepared afresh on every run: the connection may have been re-established since.
        m_montanttransactions.reset();
        m_Empruntsprets.reset();
        m_operationssanscontre.reset();
        // One moment only, whatever other workstations commit meanwhile.
        m_module.lectureInstantanee([this] { writeDocument(); });
        out.commit();
        m_out = nullptr;
    } catch (const db::DatabaseError& e) {
        m_out = nullptr;
        throw DeclarationError(e.text());
    } catch (const std::overflow_error&) {
        m_out = nullptr;
        throw DeclarationError(QStringLiteral(
            "Un total dépasse la capacité de calcul : le fichier Xml n'a pas été généré."));
    } catch (...) {
        m_out = nullptr;
        throw;
    }
    return path;
}

db::Value DeclarationWriter::company(const QString& field) const {
    return m_module.societe->value(field);
}

void DeclarationWriter::reopen(Dataset& dataset) {
    dataset.close();
    dataset.setParam(QStringLiteral("mfiscal"), m_identifiant);
    dataset.setParam(QStringLiteral("exercice"), m_exercice);
    dataset.open();
}

db::Statement& DeclarationWriter::query(std::unique_ptr<db::Statement>& slot, const QString& sql) {
    if (!slot) {
        m_module.ensureConnected();
        auto statement = std::make_unique<db::Statement>(m_module.IBTransaction1);
        statement->prepare(sql);
        slot = std::move(statement);
    }
    slot->closeCursor();
    return *slot;
}

void DeclarationWriter::bindCompany(db::Statement& statement) {
    statement.setParam(QStringLiteral("mfiscal"), m_identifiant);
    statement.setParam(QStringLiteral("exercice"), m_exercice);
}

void DeclarationWriter::writeAffirmation(const db::Value& answer) {
    m_out->line(ouiNon(answer) == QLatin1StringView("O") ? u"<Affirmation>O</Affirmation>"
                                                         : u"<Affirmation>N</Affirmation>");
}

void DeclarationWriter::writeDocument() {
    XmlLineWriter& out = *m_out;
    out.line(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    out.line(
        u"<PrixTransfert xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"  "
        u"VersionDocument=\"1.0\" xsi:noNamespaceSchemaLocation=\"FDPT.xsd\">");
    writeEntete();
    writeIdentification();
    writeInformationsEntreprise();
    writeGroupe();
    out.start(L("InformationsOperations"));
    writeMontantTransactions();
    writePretsEmprunts();
    writeSansContrepartie();
    writeAccords();
    out.end(L("InformationsOperations"));
    const db::Value autres = company(QStringLiteral("AUTRESINFORMATIONS"));
    if (!F::isBlank(autres)) {
        out.element(L("AutresInformationsARenseignerSurDeclarationPrixTransfert"),
                    F::asStored(autres));
    }
    out.end(L("PrixTransfert"));
}

void DeclarationWriter::writeEntete() {
    XmlLineWriter& out = *m_out;
    out.start(L("Entete"));
    out.element(L("CodeActe"), F::asStored(company(QStringLiteral("CODEACTE"))));
    out.element(L("Exercice"), F::year(company(QStringLiteral("EXERCICE"))));
    out.element(L("MatriculeFiscalDeclarant"), m_identifiant);
    out.element(L("CodeTVA"), F::asStored(company(QStringLiteral("TVA"))));
    out.element(L("CodeCategorie"), F::asStored(company(QStringLiteral("CATEGORIE"))));
    out.element(L("TypeDeclaration"), F::asStored(company(QStringLiteral("TYPEDECLARATION"))));
    out.element(L("DateDebutExercice"), F::date(company(QStringLiteral("DATEDEBUT"))));
    out.line(QStringLiteral("<DateFinExercice NatureDateFin=\"") +
             F::escapeAttribute(F::asStored(company(QStringLiteral("NATUREDATEFIN")))) +
             QStringLiteral("\">") + F::escapeText(F::date(company(QStringLiteral("DATEFIN")))) +
             QStringLiteral("</DateFinExercice>"));
    out.end(L("Entete"));
}

void DeclarationWriter::writeIdentification() {
    XmlLineWriter& out = *m_out;
    out.start(L("IdentificationEntrepriseDeclarante"));
    out.element(L("RaisonSociale"), F::trimmed(company(QStringLiteral("RAISONSOCIALE"))));
    out.element(L("FormeJuridique"), F::trimmed(company(QStringLiteral("FORMEJURIDIQUE"))));
    out.element(L("Nationalite"), F::trimmed(company(QStringLiteral("NATIONALITE"))));
    out.element(L("AdresseSiegeSocialEtablissementTunisie"),
                F::trimmed(company(QStringLiteral("ADRESSE"))));
    out.element(L("CodePostal"), F::postalCode(company(QStringLiteral("CODEPOSTAL"))));
    out.element(L("ActivitePrincipale"), F::trimmed(company(QStringLiteral("ACTIVITEPRINCIPALE"))));
    const QString secondaire = F::trimmed(company(QStringLiteral("ACTIVITESECONDAIRE")));
    if (!secondaire.isEmpty()) {
        out.element(L("ActiviteSecondaire"), secondaire);
    }
    out.element(L("ChiffreAffaireAnnuel"),
                F::amount(company(QStringLiteral("CHIFFREAFFAIREANNUEL"))));
    out.end(L("IdentificationEntrepriseDeclarante"));
}

void DeclarationWriter::writeInformationsEntreprise() {
    XmlLineWriter& out = *m_out;
    out.start(L("InformationsEntrepriseDeclarante"));

    out.start(L("QualiteEntrepriseDeclarante"));
    const db::Value qualite = company(QStringLiteral("QUALITE"));
    const QString autreQualite = F::trimmed(company(QStringLiteral("AUTRESQUALITE")));
    if (!F::isBlank(qualite)) {
        out.element(L("Qualite"), F::asStored(qualite));
    } else if (!autreQualite.isEmpty()) {
        out.element(L("AutreQualite"), autreQualite);
    }
    out.end(L("QualiteEntrepriseDeclarante"));

    out.element(L("DescriptionActivitesPrincipales"),
                F::trimmed(company(QStringLiteral("DESCRIPTIONACTIVITESPRINCIPALES"))));

    out.start(L("ChangementsActiviteAuCoursExercice"));
    out.element(L("Affirmation"), F::asStored(company(QStringLiteral("AFFIRMATION"))));
    const db::Value description = company(QStringLiteral("DESCRIPTION"));
    if (!F::isBlank(description)) {
        out.element(L("Description"), F::asStored(description));
    }
    out.end(L("ChangementsActiviteAuCoursExercice"));

    out.start(L("LiensCapital"));
    writeParticipations(*m_module.capitallie, L("ParticipationLiee"), L("LigneParticipationLiee"));
    writeParticipations(*m_module.Capitaldeclarante, L("ParticipationDeclarante"),
                        L("LigneParticipationDeclarante"));
    out.start(L("ModificationLiensCapitalAuCoursExercice"));
    out.element(L("Affirmation"),
                F::asStored(company(QStringLiteral("AFFIRMATIONCHANGEMENTCAPITAL"))));
    const db::Value changement = company(QStringLiteral("DESCRIPTIONCHANGCAPITAL"));
    if (!F::isBlank(changement)) {
        out.element(L("Description"), F::asStored(changement));
    }
    out.end(L("ModificationLiensCapitalAuCoursExercice"));
    out.end(L("LiensCapital"));

    out.end(L("InformationsEntrepriseDeclarante"));
}

void DeclarationWriter::writeParticipations(Dataset& dataset, QLatin1StringView list,
                                            QLatin1StringView line) {
    XmlLineWriter& out = *m_out;
    reopen(dataset);
    if (dataset.eof()) {
        return;
    }
    const Row row(dataset);
    out.start(list);
    for (; !dataset.eof(); dataset.next()) {
        out.start(line);
        writeRelatedCompany(out, row, QStringLiteral("MFISCALLIE"), false);
        out.element(L("PourcentageDetentionCapital"),
                    F::percentage(row(QStringLiteral("POURCENTCAPITAL"))));
        out.element(L("PourcentageDetentionDroitsVote"),
                    F::percentage(row(QStringLiteral("POURVENVOTE"))));
        out.end(line);
    }
    out.end(list);
}

void DeclarationWriter::writeGroupe() {
    XmlLineWriter& out = *m_out;
    Dataset& groupe = *m_module.INFOGROUPE;
    reopen(groupe);
    // Without a group row every value counts as null: value() of an empty dataset is null.
    const Row row(groupe);

    out.start(L("InformationsGroupeEntreprises"));
    out.start(L("InformationsEntiteMereUltime"));
    out.start(L("IdentifiantEntreprise"));
    const db::Value mere = row(QStringLiteral("MFISCALMERE"));
    if (!F::isBlank(mere)) {
        out.element(L("MatriculeFiscal"), F::asStored(mere));
    }
    const QString autre = F::trimmed(row(QStringLiteral("AUTREMFISCAL")));
    if (!autre.isEmpty()) {
        out.start(L("AutreIdentifiant"));
        out.element(L("Identifiant"), autre);
        out.element(L("EtatTerritoire"), F::trimmed(row(QStringLiteral("ETATTERRITORIAL"))));
        out.end(L("AutreIdentifiant"));
    }
    out.end(L("IdentifiantEntreprise"));
    out.element(L("RaisonSociale"), F::asStored(row(QStringLiteral("RAISONSOCIALE"))));
    out.element(L("AdresseSiegeSocial"), F::asStored(row(QStringLiteral("ADRESSE"))));
    out.end(L("InformationsEntiteMereUltime"));
    out.element(L("DescriptionPrincipalesActivites"),
                F::asStored(row(QStringLiteral("DESCRIPTIONACTIVITE"))));
    out.element(L("DescriptionGeneralePolitiquePrixTransfert"),
                F::asStored(row(QStringLiteral("DESCRIPTIONPOLITIQUE"))));

    // Read before the asset lists: the answer belongs to the group row.
    const bool restructuration =
        F::trimmed(row(QStringLiteral("AFFIRMATOINRESTRUCTURATION"))) == QLatin1StringView("Oui");
    const QString descriptionRestructuration =
        F::asStored(row(QStringLiteral("DESCRIPTIONRESTRUCTURATION")));

    writeActifs(*m_module.actifincorporel, true);
    writeActifs(*m_module.Actifcorporel, false);

    out.start(L("RestructurationsGroupeEntreprises"));
    if (restructuration) {
        out.line(u"<Affirmation>O</Affirmation>");
        out.element(L("Description"), descriptionRestructuration);
    } else {
        out.line(u"<Affirmation>N</Affirmation>");
    }
    out.end(L("RestructurationsGroupeEntreprises"));
    out.end(L("InformationsGroupeEntreprises"));
}

void DeclarationWriter::writeActifs(Dataset& dataset, bool incorporels) {
    XmlLineWriter& out = *m_out;
    const L list = incorporels ? L("ListeActifsIncorporels") : L("ListeActifsCorporels");
    const L line = incorporels ? L("LigneActifIncorporel") : L("LigneActifCorporel");
    const L actif = incorporels ? L("ActifIncorporel") : L("ActifCorporel");
    const L nature = incorporels ? L("NatureActifIncorporel") : L("NatureActifCorporel");

    reopen(dataset);
    if (dataset.eof()) {
        return;
    }
    const Row row(dataset);
    out.start(list);
    for (; !dataset.eof(); dataset.next()) {
        out.start(line);
        out.start(actif);
        out.element(nature, F::asStored(row(QStringLiteral("NATUREACTIF"))));
        out.end(actif);
        if (incorporels) {
            // The intangible-asset page stores N for "Non" (free of charge): the
            // administration's code for that is G.
            const db::Value onereux = row(QStringLiteral("ONEREUXGRATUIT"));
            out.element(L("OnereuxGratuit"), F::trimmed(onereux) == QLatin1StringView("N")
                                                 ? QStringLiteral("G")
                                                 : F::asStored(onereux));
        }
        writeRelatedCompany(out, row, QStringLiteral("MATRICULEFISCAL"), true);
        out.end(line);
    }
    out.end(list);
}

void DeclarationWriter::writeMontantTransactions() {
    XmlLineWriter& out = *m_out;
    // Presence test over every line, whatever its category: lines of category 7 alone
    // still open the section.
    Dataset& presence = *m_module.montanttransactions;
    reopen(presence);
    if (presence.eof()) {
        return;
    }
    out.start(L("MontantTransactionsMethodeDeterminationPrixTransfert"));
    for (int i = 0; i < 6; ++i) {
        writeCategory(i);
    }
    const db::Value regime = company(QStringLiteral("DESCRIPTIONREGIMEFISCAL"));
    if (!F::isBlank(regime)) {
        out.element(L("DescriptionTransactionsRegimeFiscalPrivilegie"), F::asStored(regime));
    }
    out.end(L("MontantTransactionsMethodeDeterminationPrixTransfert"));
}

void DeclarationWriter::writeCategory(int index) {
    XmlLineWriter& out = *m_out;
    const Category& category = kCategories[index];
    db::Statement& lines = query(m_montanttransactions, kMontantsSql);
    bindCompany(lines);
    lines.setParam(QStringLiteral("typem"), QString::fromLatin1(category.code));
    lines.execute();
    if (!lines.fetch()) {
        return;
    }

    // Totals are summed from the exact line amounts and rounded once, at the end.
    db::Decimal totalAchats;
    db::Decimal totalVentes;
    const Row row(lines);
    out.start(category.section);
    out.start(category.list);
    do {
        const db::Value achats = row(QStringLiteral("ACHATS"));
        const db::Value ventes = row(QStringLiteral("VENTES"));
        if (!achats.isNull()) {
            totalAchats += achats.toDecimal();
        }
        if (!ventes.isNull()) {
            totalVentes += ventes.toDecimal();
        }

        out.start(category.line);
        const QString nature = F::asStored(row(QStringLiteral("NATUREOPERATIONS")));
        if (category.natureIsValue) {
            out.element(category.nature, nature);
        } else {
            out.start(category.nature);
            out.element(L("NatureOperation"), nature);
            out.end(category.nature);
        }
        out.element(L("AchatsDepenses"), F::amount(achats));
        out.element(L("VentesRevenus"), F::amount(ventes));

        out.start(L("IdentifiantEntreprise"));
        const QString matricule = F::trimmed(row(QStringLiteral("MATRICULEFISCAL")));
        if (!matricule.isEmpty()) {
            out.element(L("MatriculeFiscal"), matricule);
        } else {
            const QString autre = F::trimmed(row(QStringLiteral("AUTREIDENTIFIANT")));
            if (!autre.isEmpty()) {
                out.start(L("AutreIdentifiant"));
                out.element(L("Identifiant"), autre);
                out.element(L("EtatTerritoire"),
                            F::trimmed(row(QStringLiteral("ETATTERRITORIAL"))));
                out.end(L("AutreIdentifiant"));
            }
        }
        out.end(L("IdentifiantEntreprise"));

        out.element(L("RaisonSociale"), F::asStored(row(QStringLiteral("RAISONSOCIALE"))));
        out.start(L("QualiteEntreprise"));
        const db::Value qualite = row(QStringLiteral("QUALITE"));
        if (!F::isBlank(qualite)) {
            out.element(L("Qualite"), F::asStored(qualite));
        } else {
            out.element(L("AutreQualite"), F::asStored(row(QStringLiteral("AUTREQUALITE"))));
        }
        out.end(L("QualiteEntreprise"));

        out.start(L("NatureRelationEntreprise"));
        // Not trimmed on purpose: a blank relation code counts as given.
        const QString natureRelation = F::asStored(row(QStringLiteral("NATURRELATION")));
        if (!natureRelation.isEmpty()) {
            out.element(L("NatureRelation"), natureRelation);
        } else {
            out.element(L("AutreNatureRelation"),
                        F::asStored(row(QStringLiteral("AUTRENATURERELATIONS"))));
        }
        out.end(L("NatureRelationEntreprise"));

        // Three-letter methods carry the trailing blank of their four-character column.
        out.start(L("MethodePrixTransfert"));
        out.element(L("MethodeDeterminationPrixTransfert"),
                    F::trimmed(row(QStringLiteral("METHODE"))));
        out.end(L("MethodePrixTransfert"));
        const QString changement = F::trimmed(row(QStringLiteral("CHANGEMENTMETHODE")));
        if (!changement.isEmpty()) {
            out.start(L("ChangementMethodePrixTransfert"));
            out.element(L("MethodeDeterminationPrixTransfert"), changement);
            out.end(L("ChangementMethodePrixTransfert"));
        }
        out.end(category.line);
    } while (lines.fetch());
    out.end(category.list);
    out.element(category.totalAchats, F::amount(totalAchats));
    out.element(category.totalVentes, F::amount(totalVentes));
    out.end(category.section);
}

namespace {

// The list rule over a query of the writer's own: no row, no container; otherwise the
// container around one line group per row, in query order.
template <typename Body>
void writeQueryList(XmlLineWriter& out, db::Statement& lines, QLatin1StringView list,
                    QLatin1StringView line, Body body) {
    lines.execute();
    if (!lines.fetch()) {
        return;
    }
    const Row row(lines);
    out.start(list);
    do {
        out.start(line);
        body(row);
        out.end(line);
    } while (lines.fetch());
    out.end(list);
}

}  // namespace

void DeclarationWriter::writePretsEmprunts() {
    XmlLineWriter& out = *m_out;
    // Lines of another type than P or E make the section appear, possibly empty.
    Dataset& presence = *m_module.Empruntsprets;
    reopen(presence);
    if (presence.eof()) {
        return;
    }
    out.start(L("InformationsPretsEmprunts"));
    writePretsList(QStringLiteral("P"), L("PretsAccordes"), L("LignePretAccorde"),
                   L("PretsInterets"));
    writePretsList(QStringLiteral("E"), L("EmpruntsContractes"), L("LigneEmpruntContracte"),
                   L("EmpruntInterets"));
    out.end(L("InformationsPretsEmprunts"));
}

void DeclarationWriter::writePretsList(const QString& type, QLatin1StringView list,
                                       QLatin1StringView line, QLatin1StringView interets) {
    XmlLineWriter& out = *m_out;
    db::Statement& lines = query(m_Empruntsprets, kPretsSql);
    bindCompany(lines);
    lines.setParam(QStringLiteral("typepretemprunt"), type);
    writeQueryList(out, lines, list, line, [&](const Row& row) {
        writeRelatedCompany(out, row, QStringLiteral("MATRICULEFISCAL"), true);
        out.element(L("SoldeOuverture"), F::amount(row(QStringLiteral("SOLDEOUVERTURE"))));
        out.element(L("Devise"), F::asStored(row(QStringLiteral("DEVISE"))));
        out.element(L("MouvementsAugmentations"), F::amount(row(QStringLiteral("AUGMENTATIONS"))));
        out.element(L("MouvementsDiminutions"), F::amount(row(QStringLiteral("DIMINUTIONS"))));
        out.element(L("SoldeCloture"), F::amount(row(QStringLiteral("SOLDECLOTURE"))));
        out.element(interets, ouiNon(row(QStringLiteral("PRETINTERET"))));
        out.element(L("TauxInterets"), F::percentage(row(QStringLiteral("TAUXINTERET"))));
    });
}

void DeclarationWriter::writeSansContrepartie() {
    XmlLineWriter& out = *m_out;
    out.start(L("OperationsSansContrepartieOuAvecContrepartieNonMonetaire"));

    out.start(L("InformationsSurBiensOuServicesSansContrePartie"));
    writeAffirmation(company(QStringLiteral("AFFIRMATIONBIENSERVICE")));
    writeContrepartieList(QStringLiteral("S"), L("BiensOuServicesSansContrePartie"),
                          L("LigneBiensOuServicesSansContrePartie"));
    out.end(L("InformationsSurBiensOuServicesSansContrePartie"));

    out.start(L("InformationsSurContrepartieNonMonetairePourBiensOuServices"));
    writeAffirmation(company(QStringLiteral("AFFIRMATIONBIENSERVICEAVECCONTR")));
    writeContrepartieList(QStringLiteral("A"), L("ContrepartieNonMonetairePourBiensOuServices"),
                          L("LigneContrepartieNonMonetairePourBiensOuServices"));
    out.end(L("InformationsSurContrepartieNonMonetairePourBiensOuServices"));

    out.end(L("OperationsSansContrepartieOuAvecContrepartieNonMonetaire"));
}

void DeclarationWriter::writeContrepartieList(const QString& code, QLatin1StringView list,
                                              QLatin1StringView line) {
    XmlLineWriter& out = *m_out;
    db::Statement& lines = query(m_operationssanscontre, kSansContreSql);
    bindCompany(lines);
    lines.setParam(QStringLiteral("ouinon"), code);
    writeQueryList(out, lines, list, line, [&](const Row& row) {
        writeRelatedCompany(out, row, QStringLiteral("MATRICULEFISCAL"), true);
        out.element(L("NatureBiensOuService"),
                    F::asStored(row(QStringLiteral("NATUREBIENSERVICE"))));
        out.element(L("NatureContrepartie"),
                    F::asStored(row(QStringLiteral("NATURECONTREPARTIE"))));
    });
}

void DeclarationWriter::writeAccords() {
    XmlLineWriter& out = *m_out;
    out.start(L("InformationsOperationsAccordsPrealablesOuRescritsFiscaux"));
    writeAffirmation(company(QStringLiteral("AFFIRMATIONACCORDPREALABLE")));
    Dataset& accords = *m_module.operationsaccord;
    reopen(accords);
    if (!accords.eof()) {
        const Row row(accords);
        out.start(L("OperationsAccordsPrealablesOuRescritsFiscaux"));
        for (; !accords.eof(); accords.next()) {
            out.start(L("LigneOperationsAccordsPrealablesOuRescritsFiscaux"));
            writeRelatedCompany(out, row, QStringLiteral("MATRICULEFISCAL"), true);
            out.element(L("NatureOperation"), F::asStored(row(QStringLiteral("NATUREOPERATION"))));
            out.element(L("ExerciceDebut"), F::year(row(QStringLiteral("EXERCICEDEBUT"))));
            out.element(L("ExerciceFin"), F::year(row(QStringLiteral("EXERCICEFIN"))));
            out.end(L("LigneOperationsAccordsPrealablesOuRescritsFiscaux"));
        }
        out.end(L("OperationsAccordsPrealablesOuRescritsFiscaux"));
    }
    out.end(L("InformationsOperationsAccordsPrealablesOuRescritsFiscaux"));
}
