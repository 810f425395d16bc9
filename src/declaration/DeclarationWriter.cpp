#include "declaration/DeclarationWriter.h"

#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "declaration/DeclarationError.h"
#include "declaration/DeclarationFields.h"
#include "declaration/DeclarationValidator.h"
#include "declaration/XmlLineWriter.h"
#include "declaration/XmlValueForms.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>
#include <utility>
#include <vector>

using F = XmlValueForms;
using L = QLatin1StringView;
using P = DeclarationPage;

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
        const qsizetype column = columnOf(field);
        return column < 0 ? m_statement->value(field) : m_statement->row().at(column);
    }

private:
    /// The query's column of @p field, looked up as given: Statement::value() would build
    /// an upper-case copy of the name for every column of possibly many thousand rows.
    /// Names written as literals, whose text never moves, are looked up once per query.
    qsizetype columnOf(const QString& field) const {
        const bool literal = !field.data_ptr()->isMutable();
        if (literal) {
            for (const auto& [text, column] : m_columns) {
                if (text == field.constData()) {
                    return column;
                }
            }
        }
        const qsizetype column = m_statement->columnNames().indexOf(field);
        if (literal) {
            m_columns.emplace_back(field.constData(), column);
        }
        return column;
    }

    const Dataset* m_dataset = nullptr;
    const db::Statement* m_statement = nullptr;
    mutable std::vector<std::pair<const QChar*, qsizetype>> m_columns;
};

/**
 * The columns that describe the related company on the lines of one page, and the entry
 * fields they are typed in.
 */
struct RelatedColumns {
    DeclarationPage page;
    QString matricule;
    QString etat;
    const DeclarationField* matriculeField;
    const DeclarationField* autreField;
    const DeclarationField* etatField;
    const DeclarationField* raisonField;
    const DeclarationField* qualiteField;
    const DeclarationField* autreQualiteField;
    const DeclarationField* natureRelationField;

    RelatedColumns(DeclarationPage p, const char* matriculeColumn, const char* etatColumn,
                   const char* natureRelationColumn)
        : page(p),
          matricule(QString::fromLatin1(matriculeColumn)),
          etat(QString::fromLatin1(etatColumn)),
          matriculeField(&DeclarationFields::at(p, L(matriculeColumn))),
          autreField(&DeclarationFields::at(p, L("AUTREIDENTIFIANT"))),
          etatField(&DeclarationFields::at(p, L(etatColumn))),
          raisonField(&DeclarationFields::at(p, L("RAISONSOCIALE"))),
          qualiteField(&DeclarationFields::at(p, L("QUALITE"))),
          autreQualiteField(&DeclarationFields::at(p, L("AUTREQUALITE"))),
          natureRelationField(
              natureRelationColumn ? &DeclarationFields::at(p, L(natureRelationColumn)) : nullptr) {
    }
};

/// AutreIdentifiant with the other identifier and the line's state, both trimmed.
void writeAutreIdentifiant(XmlLineWriter& out, const Row& row, const RelatedColumns& c,
                           const QString& autre) {
    out.start(L("AutreIdentifiant"), c.autreField, c.matriculeField);
    out.element(L("Identifiant"), autre, c.autreField);
    out.element(L("EtatTerritoire"), F::trimmed(row(c.etat)), c.etatField);
    out.end(L("AutreIdentifiant"));
}

/**
 * The related company a list line concerns: its identifier, its name, its quality or,
 * without one, the other quality (written even when empty) and, on the lines that carry
 * it, the nature of the relation.
 *
 * The identifier is the tax identifier as stored, written even when empty, except for a
 * company known only by another identifier (a foreign one, usually): that one is written
 * with its state, as on the transaction lines. An empty tax identifier is refused by the
 * administration and no correction in the windows could otherwise make the file pass.
 */
void writeRelatedCompany(XmlLineWriter& out, const Row& row, const RelatedColumns& c) {
    out.start(L("IdentifiantEntreprise"), c.matriculeField, c.autreField);
    const db::Value matricule = row(c.matricule);
    const QString autre =
        F::isBlank(matricule) ? F::trimmed(row(QStringLiteral("AUTREIDENTIFIANT"))) : QString();
    if (autre.isEmpty()) {
        out.element(L("MatriculeFiscal"), F::asStored(matricule), c.matriculeField, c.autreField);
    } else {
        writeAutreIdentifiant(out, row, c, autre);
    }
    out.end(L("IdentifiantEntreprise"));
    out.element(L("RaisonSociale"), F::asStored(row(QStringLiteral("RAISONSOCIALE"))),
                c.raisonField);
    out.start(L("QualiteEntreprise"));
    const db::Value qualite = row(QStringLiteral("QUALITE"));
    if (!F::isBlank(qualite)) {
        out.element(L("Qualite"), F::asStored(qualite), c.qualiteField);
    } else {
        out.element(L("AutreQualite"), F::asStored(row(QStringLiteral("AUTREQUALITE"))),
                    c.autreQualiteField, c.qualiteField);
    }
    out.end(L("QualiteEntreprise"));
    if (c.natureRelationField) {
        out.start(L("NatureRelationEntreprise"));
        out.element(L("NatureRelation"), F::asStored(row(QStringLiteral("NATURERELATION"))),
                    c.natureRelationField);
        out.end(L("NatureRelationEntreprise"));
    }
}

/// The line number of the current row, for the problems found on it.
int lineNumber(const Row& row) {
    return row(QStringLiteral("LG")).toInt();
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
    "select LG, TYPEMONTANT, NATUREOPERATIONS, ACHATS, VENTES, MATRICULEFISCAL, AUTREIDENTIFIANT, "
    "ETATTERRITORIAL, RAISONSOCIALE, QUALITE, AUTREQUALITE, NATURRELATION, AUTRENATURERELATIONS, "
    "METHODE, CHANGEMENTMETHODE from OPERATIONSMONTANTS "
    "where MFISCAL = :mfiscal and EXERCICE = :exercice and TYPEMONTANT = :typem "
    "order by MATRICULEFISCAL, AUTREIDENTIFIANT");

const QString kPretsSql = QStringLiteral(
    "select LG, MATRICULEFISCAL, AUTREIDENTIFIANT, ETATTERRITORIAL, RAISONSOCIALE, QUALITE, "
    "AUTREQUALITE, NATURERELATION, SOLDEOUVERTURE, DEVISE, AUGMENTATIONS, DIMINUTIONS, "
    "SOLDECLOTURE, "
    "PRETINTERET, TAUXINTERET from OPERATIONPRETEMPRUNT "
    "where MFISCAL = :mfiscal and EXERCICE = :exercice and TYPEPRETEMPRUNT = :typepretemprunt "
    "order by MATRICULEFISCAL, AUTREIDENTIFIANT");

const QString kSansContreSql = QStringLiteral(
    "select LG, MATRICULEFISCAL, AUTREIDENTIFIANT, ETATTERRITORIAL, RAISONSOCIALE, QUALITE, "
    "AUTREQUALITE, NATURERELATION, NATUREBIENSERVICE, NATURECONTREPARTIE from OPERATIONSANSCONTRE "
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
    requireActiveCompany();
    if (folder.trimmed().isEmpty()) {
        throw DeclarationError(kNoFolder);
    }
    if (!QFileInfo(folder).isDir()) {
        throw DeclarationError(kFolderMissing.arg(folder));
    }

    m_identifiant = m_module.identifiantComplet();
    m_exercice = m_module.exerciceActif();
    const QString path = QDir(folder).filePath(fileName(m_identifiant, F::year(m_exercice)));
    XmlLineWriter out(path);
    run(out);
    return path;
}

void DeclarationWriter::check() {
    requireActiveCompany();
    m_identifiant = m_module.identifiantComplet();
    m_exercice = m_module.exerciceActif();
    XmlLineWriter out;
    run(out);
}

void DeclarationWriter::requireActiveCompany() const {
    const Dataset& societe = *m_module.societe;
    if (!societe.isActive() || societe.currentIndex() < 0) {
        throw DeclarationError(kNoActiveCompany);
    }
}

void DeclarationWriter::run(XmlLineWriter& out) {
    m_problems.clear();
    // The document is checked as it is written, without being read back.
    DeclarationValidator validator;
    out.setObserver(&validator);
    // The writer may outlive this run when it fails: it must not keep the validator.
    struct Detach {
        XmlLineWriter& out;
        ~Detach() { out.setObserver(nullptr); }
    } detach{out};
    try {
        out.open();
        m_out = &out;
        // Prepared afresh on every run: the connection may have been re-established since.
        m_montanttransactions.reset();
        m_Empruntsprets.reset();
        m_operationssanscontre.reset();
        // One moment only, whatever other workstations commit meanwhile.
        m_presenceTests.clear();
        m_module.lectureInstantanee([this] { writeDocument(); });
        // Left on their first row, as the snapshot would have left them, now on the shared
        // transaction.
        if (m_reopenPresenceTests) {
            for (Dataset* presence : std::as_const(m_presenceTests)) {
                reopen(*presence);
            }
        }
        out.flush();
        validator.finish();
        out.commit();
        m_out = nullptr;
        m_problems = validator.problems();
        m_unmatched = validator.unmatchedElements();
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
}

void DeclarationWriter::reopen(Dataset& dataset) {
    dataset.close();
    dataset.setParam(QStringLiteral("mfiscal"), m_identifiant);
    dataset.setParam(QStringLiteral("exercice"), m_exercice);
    dataset.open();
}

bool DeclarationWriter::testPresence(Dataset& dataset) {
    reopen(dataset);
    if (dataset.eof()) {
        return false;
    }
    if (dataset.canFetchMore()) {
        // Its cursor would hold the server's sort of every line while the lists sort theirs:
        // closed now, opened again once the snapshot is over.
        dataset.close();
        m_presenceTests.append(&dataset);
    }
    return true;
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

db::Value DeclarationWriter::company(const DeclarationField* field) const {
    return m_module.societe->value(QString::fromLatin1(field->column));
}

const DeclarationField* DeclarationWriter::societe(const char* column) {
    const DeclarationField* field = DeclarationFields::find(P::IdentificationEntreprise, L(column));
    return field ? field : &DeclarationFields::at(P::AutresInformations, L(column));
}

void DeclarationWriter::writeAffirmation(const DeclarationField* field) {
    m_out->elementLine(ouiNon(company(field)) == QLatin1StringView("O")
                           ? u"<Affirmation>O</Affirmation>"
                           : u"<Affirmation>N</Affirmation>",
                       L("Affirmation"), field);
}

void DeclarationWriter::writeDocument() {
    XmlLineWriter& out = *m_out;
    out.setRow(P::IdentificationEntreprise, 0);
    out.line(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    out.elementLine(
        u"<PrixTransfert xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"  "
        u"VersionDocument=\"1.0\" xsi:noNamespaceSchemaLocation=\"FDPT.xsd\">",
        L("PrixTransfert"));
    writeEntete();
    writeIdentification();
    writeInformationsEntreprise();
    writeGroupe();
    out.setRow(P::MontantsTransactions, 0);
    out.start(L("InformationsOperations"));
    writeMontantTransactions();
    writePretsEmprunts();
    writeSansContrepartie();
    writeAccords();
    out.end(L("InformationsOperations"));
    out.setRow(P::AutresInformations, 0);
    const DeclarationField* autresField = societe("AUTRESINFORMATIONS");
    const db::Value autres = company(autresField);
    if (!F::isBlank(autres)) {
        out.element(L("AutresInformationsARenseignerSurDeclarationPrixTransfert"),
                    F::asStored(autres), autresField);
    }
    out.end(L("PrixTransfert"));
}

void DeclarationWriter::writeEntete() {
    XmlLineWriter& out = *m_out;
    out.setRow(P::IdentificationEntreprise, 0);
    out.start(L("Entete"));
    auto value = [&](L element, const char* column, QString (*form)(const db::Value&)) {
        const DeclarationField* field = societe(column);
        out.element(element, form(company(field)), field);
    };
    value(L("CodeActe"), "CODEACTE", F::asStored);
    value(L("Exercice"), "EXERCICE", F::year);
    out.element(L("MatriculeFiscalDeclarant"), m_identifiant, societe("MFISCAL"), societe("CLE"));
    value(L("CodeTVA"), "TVA", F::asStored);
    value(L("CodeCategorie"), "CATEGORIE", F::asStored);
    value(L("TypeDeclaration"), "TYPEDECLARATION", F::asStored);
    value(L("DateDebutExercice"), "DATEDEBUT", F::date);
    const DeclarationField* fin = societe("DATEFIN");
    const DeclarationField* nature = societe("NATUREDATEFIN");
    out.elementLine(QStringLiteral("<DateFinExercice NatureDateFin=\"") +
                        F::escapeAttribute(F::asStored(company(nature))) + QStringLiteral("\">") +
                        F::escapeText(F::date(company(fin))) + QStringLiteral("</DateFinExercice>"),
                    L("DateFinExercice"), fin, nature);
    out.end(L("Entete"));
}

void DeclarationWriter::writeIdentification() {
    XmlLineWriter& out = *m_out;
    out.start(L("IdentificationEntrepriseDeclarante"));
    auto trimmed = [&](L element, const char* column) {
        const DeclarationField* field = societe(column);
        out.element(element, F::trimmed(company(field)), field);
    };
    trimmed(L("RaisonSociale"), "RAISONSOCIALE");
    trimmed(L("FormeJuridique"), "FORMEJURIDIQUE");
    trimmed(L("Nationalite"), "NATIONALITE");
    trimmed(L("AdresseSiegeSocialEtablissementTunisie"), "ADRESSE");
    const DeclarationField* codePostal = societe("CODEPOSTAL");
    out.element(L("CodePostal"), F::postalCode(company(codePostal)), codePostal);
    trimmed(L("ActivitePrincipale"), "ACTIVITEPRINCIPALE");
    const DeclarationField* secondaireField = societe("ACTIVITESECONDAIRE");
    const QString secondaire = F::trimmed(company(secondaireField));
    if (!secondaire.isEmpty()) {
        out.element(L("ActiviteSecondaire"), secondaire, secondaireField);
    }
    const DeclarationField* chiffre = societe("CHIFFREAFFAIREANNUEL");
    out.element(L("ChiffreAffaireAnnuel"), F::amount(company(chiffre)), chiffre);
    out.end(L("IdentificationEntrepriseDeclarante"));
}

void DeclarationWriter::writeInformationsEntreprise() {
    XmlLineWriter& out = *m_out;
    out.setRow(P::IdentificationEntreprise, 0);
    out.start(L("InformationsEntrepriseDeclarante"));

    const DeclarationField* qualiteField = societe("QUALITE");
    const DeclarationField* autreQualiteField = societe("AUTRESQUALITE");
    out.start(L("QualiteEntrepriseDeclarante"), qualiteField, autreQualiteField);
    const db::Value qualite = company(qualiteField);
    const QString autreQualite = F::trimmed(company(autreQualiteField));
    if (!F::isBlank(qualite)) {
        out.element(L("Qualite"), F::asStored(qualite), qualiteField);
    } else if (!autreQualite.isEmpty()) {
        out.element(L("AutreQualite"), autreQualite, autreQualiteField);
    }
    out.end(L("QualiteEntrepriseDeclarante"));

    const DeclarationField* activites = societe("DESCRIPTIONACTIVITESPRINCIPALES");
    out.element(L("DescriptionActivitesPrincipales"), F::trimmed(company(activites)), activites);

    // The answer and its description: an answer O without description is refused.
    auto changement = [&](L container, const char* answerColumn, const char* descriptionColumn) {
        const DeclarationField* answer = societe(answerColumn);
        const DeclarationField* descriptionField = societe(descriptionColumn);
        out.start(container, descriptionField, answer);
        out.element(L("Affirmation"), F::asStored(company(answer)), answer);
        const db::Value description = company(descriptionField);
        if (!F::isBlank(description)) {
            out.element(L("Description"), F::asStored(description), descriptionField);
        }
        out.end(container);
    };
    changement(L("ChangementsActiviteAuCoursExercice"), "AFFIRMATION", "DESCRIPTION");

    out.start(L("LiensCapital"));
    writeParticipations(*m_module.capitallie, L("ParticipationLiee"), L("LigneParticipationLiee"));
    writeParticipations(*m_module.Capitaldeclarante, L("ParticipationDeclarante"),
                        L("LigneParticipationDeclarante"));
    out.setRow(P::IdentificationEntreprise, 0);
    changement(L("ModificationLiensCapitalAuCoursExercice"), "AFFIRMATIONCHANGEMENTCAPITAL",
               "DESCRIPTIONCHANGCAPITAL");
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
    const P page = &dataset == m_module.capitallie ? P::LiensCapital : P::CapitalDeclarante;
    const RelatedColumns columns(page, "MFISCALLIE", "ETATTERRITOIRE", nullptr);
    const DeclarationField* capital = &DeclarationFields::at(page, L("POURCENTCAPITAL"));
    const DeclarationField* vote = &DeclarationFields::at(page, L("POURVENVOTE"));
    const Row row(dataset);
    out.setRow(page, 0);
    out.start(list);
    for (; !dataset.eof(); dataset.next()) {
        out.setRow(page, lineNumber(row));
        out.start(line);
        writeRelatedCompany(out, row, columns);
        out.element(L("PourcentageDetentionCapital"),
                    F::percentage(row(QStringLiteral("POURCENTCAPITAL"))), capital);
        out.element(L("PourcentageDetentionDroitsVote"),
                    F::percentage(row(QStringLiteral("POURVENVOTE"))), vote);
        out.end(line);
    }
    out.setRow(page, 0);
    out.end(list);
}

void DeclarationWriter::writeGroupe() {
    XmlLineWriter& out = *m_out;
    Dataset& groupe = *m_module.INFOGROUPE;
    reopen(groupe);
    // Without a group row every value counts as null: value() of an empty dataset is null.
    const Row row(groupe);
    auto field = [](const char* column) {
        return &DeclarationFields::at(P::InformationsGroupe, L(column));
    };
    const DeclarationField* mereField = field("MFISCALMERE");
    const DeclarationField* autreField = field("AUTREMFISCAL");

    out.setRow(P::InformationsGroupe, 0);
    out.start(L("InformationsGroupeEntreprises"));
    out.start(L("InformationsEntiteMereUltime"));
    out.start(L("IdentifiantEntreprise"), mereField, autreField);
    const db::Value mere = row(QStringLiteral("MFISCALMERE"));
    if (!F::isBlank(mere)) {
        out.element(L("MatriculeFiscal"), F::asStored(mere), mereField);
    }
    const QString autre = F::trimmed(row(QStringLiteral("AUTREMFISCAL")));
    if (!autre.isEmpty()) {
        out.start(L("AutreIdentifiant"), autreField, mereField);
        out.element(L("Identifiant"), autre, autreField);
        out.element(L("EtatTerritoire"), F::trimmed(row(QStringLiteral("ETATTERRITORIAL"))),
                    field("ETATTERRITORIAL"));
        out.end(L("AutreIdentifiant"));
    }
    out.end(L("IdentifiantEntreprise"));
    out.element(L("RaisonSociale"), F::asStored(row(QStringLiteral("RAISONSOCIALE"))),
                field("RAISONSOCIALE"));
    out.element(L("AdresseSiegeSocial"), F::asStored(row(QStringLiteral("ADRESSE"))),
                field("ADRESSE"));
    out.end(L("InformationsEntiteMereUltime"));
    out.element(L("DescriptionPrincipalesActivites"),
                F::asStored(row(QStringLiteral("DESCRIPTIONACTIVITE"))),
                field("DESCRIPTIONACTIVITE"));
    out.element(L("DescriptionGeneralePolitiquePrixTransfert"),
                F::asStored(row(QStringLiteral("DESCRIPTIONPOLITIQUE"))),
                field("DESCRIPTIONPOLITIQUE"));

    // Read before the asset lists: the answer belongs to the group row.
    const bool restructuration =
        F::trimmed(row(QStringLiteral("AFFIRMATOINRESTRUCTURATION"))) == QLatin1StringView("Oui");
    const QString descriptionRestructuration =
        F::asStored(row(QStringLiteral("DESCRIPTIONRESTRUCTURATION")));

    writeActifs(*m_module.actifincorporel, true);
    writeActifs(*m_module.Actifcorporel, false);

    const DeclarationField* answer = field("AFFIRMATOINRESTRUCTURATION");
    const DeclarationField* description = field("DESCRIPTIONRESTRUCTURATION");
    out.setRow(P::InformationsGroupe, 0);
    out.start(L("RestructurationsGroupeEntreprises"), description, answer);
    if (restructuration) {
        out.elementLine(u"<Affirmation>O</Affirmation>", L("Affirmation"), answer);
        out.element(L("Description"), descriptionRestructuration, description);
    } else {
        out.elementLine(u"<Affirmation>N</Affirmation>", L("Affirmation"), answer);
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
    const P page = incorporels ? P::ActifsIncorporels : P::ActifsCorporels;
    const RelatedColumns columns(page, "MATRICULEFISCAL", "TERRITOIRE", "NATURERELATION");
    const DeclarationField* natureField = &DeclarationFields::at(page, L("NATUREACTIF"));
    const DeclarationField* onereuxField =
        incorporels ? &DeclarationFields::at(page, L("ONEREUXGRATUIT")) : nullptr;
    const Row row(dataset);
    out.setRow(page, 0);
    out.start(list);
    for (; !dataset.eof(); dataset.next()) {
        out.setRow(page, lineNumber(row));
        out.start(line);
        out.start(actif);
        out.element(nature, F::asStored(row(QStringLiteral("NATUREACTIF"))), natureField);
        out.end(actif);
        if (incorporels) {
            // The intangible-asset page stores N for "Non" (free of charge): the
            // administration's code for that is G.
            const db::Value onereux = row(QStringLiteral("ONEREUXGRATUIT"));
            out.element(L("OnereuxGratuit"),
                        F::trimmed(onereux) == QLatin1StringView("N") ? QStringLiteral("G")
                                                                      : F::asStored(onereux),
                        onereuxField);
        }
        writeRelatedCompany(out, row, columns);
        out.end(line);
    }
    out.setRow(page, 0);
    out.end(list);
}

void DeclarationWriter::writeMontantTransactions() {
    XmlLineWriter& out = *m_out;
    // Presence test over every line, whatever its category: lines of category 7 alone
    // still open the section.
    Dataset& presence = *m_module.montanttransactions;
    if (!testPresence(presence)) {
        return;
    }
    out.setRow(P::MontantsTransactions, 0);
    out.start(L("MontantTransactionsMethodeDeterminationPrixTransfert"));
    for (int i = 0; i < 6; ++i) {
        writeCategory(i);
    }
    const DeclarationField* regimeField = societe("DESCRIPTIONREGIMEFISCAL");
    const db::Value regime = company(regimeField);
    if (!F::isBlank(regime)) {
        out.element(L("DescriptionTransactionsRegimeFiscalPrivilegie"), F::asStored(regime),
                    regimeField);
    }
    out.setRow(P::MontantsTransactions, 0);
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

    static const RelatedColumns columns(P::MontantsTransactions, "MATRICULEFISCAL",
                                        "ETATTERRITORIAL", "NATURRELATION");
    auto field = [](const char* column) {
        return &DeclarationFields::at(P::MontantsTransactions, L(column));
    };
    static const DeclarationField* const natureField = field("NATUREOPERATIONS");
    static const DeclarationField* const achatsField = field("ACHATS");
    static const DeclarationField* const ventesField = field("VENTES");
    static const DeclarationField* const autreNatureRelationField = field("AUTRENATURERELATIONS");
    static const DeclarationField* const methodeField = field("METHODE");
    static const DeclarationField* const changementField = field("CHANGEMENTMETHODE");

    // Totals are summed from the exact line amounts and rounded once, at the end.
    db::Decimal totalAchats;
    db::Decimal totalVentes;
    const Row row(lines);
    out.setRow(P::MontantsTransactions, 0);
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

        out.setRow(P::MontantsTransactions, lineNumber(row));
        out.start(category.line);
        const QString nature = F::asStored(row(QStringLiteral("NATUREOPERATIONS")));
        if (category.natureIsValue) {
            out.element(category.nature, nature, natureField);
        } else {
            out.start(category.nature, natureField);
            out.element(L("NatureOperation"), nature, natureField);
            out.end(category.nature);
        }
        out.element(L("AchatsDepenses"), F::amount(achats), achatsField);
        out.element(L("VentesRevenus"), F::amount(ventes), ventesField);

        out.start(L("IdentifiantEntreprise"), columns.matriculeField, columns.autreField);
        const QString matricule = F::trimmed(row(QStringLiteral("MATRICULEFISCAL")));
        if (!matricule.isEmpty()) {
            out.element(L("MatriculeFiscal"), matricule, columns.matriculeField);
        } else {
            const QString autre = F::trimmed(row(QStringLiteral("AUTREIDENTIFIANT")));
            if (!autre.isEmpty()) {
                writeAutreIdentifiant(out, row, columns, autre);
            }
        }
        out.end(L("IdentifiantEntreprise"));

        out.element(L("RaisonSociale"), F::asStored(row(QStringLiteral("RAISONSOCIALE"))),
                    columns.raisonField);
        out.start(L("QualiteEntreprise"));
        const db::Value qualite = row(QStringLiteral("QUALITE"));
        if (!F::isBlank(qualite)) {
            out.element(L("Qualite"), F::asStored(qualite), columns.qualiteField);
        } else {
            out.element(L("AutreQualite"), F::asStored(row(QStringLiteral("AUTREQUALITE"))),
                        columns.autreQualiteField, columns.qualiteField);
        }
        out.end(L("QualiteEntreprise"));

        out.start(L("NatureRelationEntreprise"));
        // Not trimmed on purpose: a blank relation code counts as given.
        const QString natureRelation = F::asStored(row(QStringLiteral("NATURRELATION")));
        if (!natureRelation.isEmpty()) {
            out.element(L("NatureRelation"), natureRelation, columns.natureRelationField);
        } else {
            out.element(L("AutreNatureRelation"),
                        F::asStored(row(QStringLiteral("AUTRENATURERELATIONS"))),
                        autreNatureRelationField, columns.natureRelationField);
        }
        out.end(L("NatureRelationEntreprise"));

        // Three-letter methods carry the trailing blank of their four-character column.
        out.start(L("MethodePrixTransfert"));
        out.element(L("MethodeDeterminationPrixTransfert"),
                    F::trimmed(row(QStringLiteral("METHODE"))), methodeField);
        out.end(L("MethodePrixTransfert"));
        const QString changement = F::trimmed(row(QStringLiteral("CHANGEMENTMETHODE")));
        if (!changement.isEmpty()) {
            out.start(L("ChangementMethodePrixTransfert"));
            out.element(L("MethodeDeterminationPrixTransfert"), changement, changementField);
            out.end(L("ChangementMethodePrixTransfert"));
        }
        out.end(category.line);
    } while (lines.fetch());
    out.setRow(P::MontantsTransactions, 0);
    out.end(category.list);
    out.element(category.totalAchats, F::amount(totalAchats));
    out.element(category.totalVentes, F::amount(totalVentes));
    out.end(category.section);
}

namespace {

// The list rule over a query of the writer's own: no row, no container; otherwise the
// container around one line group per row, in query order.
template <typename Body>
void writeQueryList(XmlLineWriter& out, db::Statement& lines, DeclarationPage page,
                    QLatin1StringView list, QLatin1StringView line, Body body) {
    lines.execute();
    if (!lines.fetch()) {
        return;
    }
    const Row row(lines);
    out.setRow(page, 0);
    out.start(list);
    do {
        out.setRow(page, lineNumber(row));
        out.start(line);
        body(row);
        out.end(line);
    } while (lines.fetch());
    out.setRow(page, 0);
    out.end(list);
}

}  // namespace

void DeclarationWriter::writePretsEmprunts() {
    XmlLineWriter& out = *m_out;
    // Lines of another type than P or E make the section appear, possibly empty.
    Dataset& presence = *m_module.Empruntsprets;
    if (!testPresence(presence)) {
        return;
    }
    out.setRow(P::PretsEmprunts, 0);
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
    static const RelatedColumns columns(P::PretsEmprunts, "MATRICULEFISCAL", "ETATTERRITORIAL",
                                        "NATURERELATION");
    auto field = [](const char* column) {
        return &DeclarationFields::at(P::PretsEmprunts, L(column));
    };
    static const DeclarationField* const ouverture = field("SOLDEOUVERTURE");
    static const DeclarationField* const devise = field("DEVISE");
    static const DeclarationField* const augmentations = field("AUGMENTATIONS");
    static const DeclarationField* const diminutions = field("DIMINUTIONS");
    static const DeclarationField* const cloture = field("SOLDECLOTURE");
    static const DeclarationField* const interet = field("PRETINTERET");
    static const DeclarationField* const taux = field("TAUXINTERET");
    writeQueryList(out, lines, P::PretsEmprunts, list, line, [&](const Row& row) {
        writeRelatedCompany(out, row, columns);
        out.element(L("SoldeOuverture"), F::amount(row(QStringLiteral("SOLDEOUVERTURE"))),
                    ouverture);
        out.element(L("Devise"), F::asStored(row(QStringLiteral("DEVISE"))), devise);
        out.element(L("MouvementsAugmentations"), F::amount(row(QStringLiteral("AUGMENTATIONS"))),
                    augmentations);
        out.element(L("MouvementsDiminutions"), F::amount(row(QStringLiteral("DIMINUTIONS"))),
                    diminutions);
        out.element(L("SoldeCloture"), F::amount(row(QStringLiteral("SOLDECLOTURE"))), cloture);
        out.element(interets, ouiNon(row(QStringLiteral("PRETINTERET"))), interet);
        out.element(L("TauxInterets"), F::percentage(row(QStringLiteral("TAUXINTERET"))), taux);
    });
}

void DeclarationWriter::writeSansContrepartie() {
    XmlLineWriter& out = *m_out;
    out.setRow(P::SansContrepartie, 0);
    out.start(L("OperationsSansContrepartieOuAvecContrepartieNonMonetaire"));

    const DeclarationField* sans = societe("AFFIRMATIONBIENSERVICE");
    out.start(L("InformationsSurBiensOuServicesSansContrePartie"), sans);
    writeAffirmation(sans);
    writeContrepartieList(QStringLiteral("S"), L("BiensOuServicesSansContrePartie"),
                          L("LigneBiensOuServicesSansContrePartie"));
    out.end(L("InformationsSurBiensOuServicesSansContrePartie"));

    const DeclarationField* avec = societe("AFFIRMATIONBIENSERVICEAVECCONTR");
    out.start(L("InformationsSurContrepartieNonMonetairePourBiensOuServices"), avec);
    writeAffirmation(avec);
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
    static const RelatedColumns columns(P::SansContrepartie, "MATRICULEFISCAL", "ETATTERRITORIAL",
                                        "NATURERELATION");
    static const DeclarationField* const bien =
        &DeclarationFields::at(P::SansContrepartie, L("NATUREBIENSERVICE"));
    static const DeclarationField* const contrepartie =
        &DeclarationFields::at(P::SansContrepartie, L("NATURECONTREPARTIE"));
    writeQueryList(out, lines, P::SansContrepartie, list, line, [&](const Row& row) {
        writeRelatedCompany(out, row, columns);
        out.element(L("NatureBiensOuService"),
                    F::asStored(row(QStringLiteral("NATUREBIENSERVICE"))), bien);
        out.element(L("NatureContrepartie"), F::asStored(row(QStringLiteral("NATURECONTREPARTIE"))),
                    contrepartie);
    });
}

void DeclarationWriter::writeAccords() {
    XmlLineWriter& out = *m_out;
    const DeclarationField* answer = societe("AFFIRMATIONACCORDPREALABLE");
    out.setRow(P::AccordsPrealables, 0);
    out.start(L("InformationsOperationsAccordsPrealablesOuRescritsFiscaux"), answer);
    writeAffirmation(answer);
    Dataset& accords = *m_module.operationsaccord;
    reopen(accords);
    if (!accords.eof()) {
        const RelatedColumns columns(P::AccordsPrealables, "MATRICULEFISCAL", "ETATTERRITORIAL",
                                     "NATURERELATION");
        auto field = [](const char* column) {
            return &DeclarationFields::at(P::AccordsPrealables, L(column));
        };
        const DeclarationField* const natureOperation = field("NATUREOPERATION");
        const DeclarationField* const debut = field("EXERCICEDEBUT");
        const DeclarationField* const fin = field("EXERCICEFIN");
        const Row row(accords);
        out.start(L("OperationsAccordsPrealablesOuRescritsFiscaux"));
        for (; !accords.eof(); accords.next()) {
            out.setRow(P::AccordsPrealables, lineNumber(row));
            out.start(L("LigneOperationsAccordsPrealablesOuRescritsFiscaux"));
            writeRelatedCompany(out, row, columns);
            out.element(L("NatureOperation"), F::asStored(row(QStringLiteral("NATUREOPERATION"))),
                        natureOperation);
            out.element(L("ExerciceDebut"), F::year(row(QStringLiteral("EXERCICEDEBUT"))), debut);
            out.element(L("ExerciceFin"), F::year(row(QStringLiteral("EXERCICEFIN"))), fin);
            out.end(L("LigneOperationsAccordsPrealablesOuRescritsFiscaux"));
        }
        out.setRow(P::AccordsPrealables, 0);
        out.end(L("OperationsAccordsPrealablesOuRescritsFiscaux"));
    }
    out.end(L("InformationsOperationsAccordsPrealablesOuRescritsFiscaux"));
}
