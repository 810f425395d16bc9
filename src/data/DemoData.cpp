#include "data/DemoData.h"

#include "data/DatabaseCreator.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"

#include <QFile>

#include <initializer_list>
#include <utility>

namespace {

using Fields = std::initializer_list<std::pair<const char*, db::Value>>;

void addRow(Dataset& ds, Fields fields) {
    ds.append();
    for (const auto& [name, value] : fields) {
        ds.setValue(QString::fromLatin1(name), value);
    }
    ds.post();
}

db::Value amount(const char* text) {
    return *db::Decimal::parse(QString::fromLatin1(text));
}

void addCompany(TDataprix& m, const QString& mfiscal, const QString& name, const QString& adresse,
                int codePostal, const char* chiffre, bool complete) {
    addRow(*m.societe,
           {{"MFISCAL", mfiscal},
            {"CLE", u"A"},
            {"EXERCICE", 2023},
            {"TVA", u"A"},
            {"CATEGORIE", u"M"},
            {"RAISONSOCIALE", name},
            {"FORMEJURIDIQUE", complete ? db::Value(u"Société anonyme") : db::Value()},
            {"NATIONALITE", u"TN"},
            {"ADRESSE", adresse},
            {"CODEPOSTAL", codePostal},
            {"ACTIVITEPRINCIPALE", u"Fabrication de composants électroniques"},
            {"ACTIVITESECONDAIRE", u"Négoce de matériel"},
            {"DATEDEBUT", QDate(2023, 1, 1)},
            {"DATEFIN", QDate(2023, 12, 31)},
            {"CHIFFREAFFAIREANNUEL", amount(chiffre)},
            {"QUALITE", u"4"},
            {"DESCRIPTIONACTIVITESPRINCIPALES",
             u"Conception et assemblage de cartes électroniques.\r\nVente aux sociétés du groupe."},
            // The incomplete company announces a change of activity without describing it.
            {"AFFIRMATION", complete ? u"N" : u"O"},
            {"CODEACTE", u"0"},
            {"TYPEDECLARATION", u"D"},
            {"NATUREDATEFIN", u"1"},
            {"AFFIRMATIONCHANGEMENTCAPITAL", u"N"},
            {"AFFIRMATIONBIENSERVICE", u"O"},
            {"AFFIRMATIONBIENSERVICEAVECCONTR", complete ? u"N" : u"O"},
            {"AFFIRMATIONACCORDPREALABLE", u"O"}});
}

void addDetails(TDataprix& m, int seed, bool complete) {
    m.openForActiveCompany(*m.capitallie);
    addRow(*m.capitallie, {{"MFISCALLIE", u"0456789B"},
                           {"ETATTERRITOIRE", u"TN"},
                           {"RAISONSOCIALE", u"Sud Composants SARL"},
                           {"QUALITE", u"4"},
                           {"POURCENTCAPITAL", amount("60.00")},
                           {"POURVENVOTE", amount("60.00")}});
    addRow(*m.capitallie, {{"AUTREIDENTIFIANT", u"FR44123456789"},
                           {"ETATTERRITOIRE", complete ? db::Value(u"FR") : db::Value()},
                           {"RAISONSOCIALE", u"Ardoz Distribution France"},
                           {"QUALITE", u"4"},
                           {"POURCENTCAPITAL", amount("33.33")},
                           {"POURVENVOTE", amount("50.00")}});
    m.openForActiveCompany(*m.Capitaldeclarante);
    addRow(*m.Capitaldeclarante, {{"AUTREIDENTIFIANT", u"DE811234567"},
                                  {"ETATTERRITOIRE", u"DE"},
                                  {"RAISONSOCIALE", u"Ardoz Holding GmbH"},
                                  {"QUALITE", u"1"},
                                  {"POURCENTCAPITAL", amount("99.50")},
                                  {"POURVENVOTE", amount("100.00")}});
    m.openForActiveCompany(*m.INFOGROUPE);
    addRow(*m.INFOGROUPE, {{"AUTREMFISCAL", u"DE811234567"},
                           {"ETATTERRITORIAL", u"DE"},
                           {"RAISONSOCIALE", u"Ardoz Holding GmbH"},
                           {"ADRESSE", u"Königstraße 12, Stuttgart"},
                           {"DESCRIPTIONACTIVITE", u"Groupe industriel d'électronique embarquée."},
                           {"DESCRIPTIONPOLITIQUE", u"Prix de pleine concurrence, méthode TNMM."},
                           {"AFFIRMATOINRESTRUCTURATION", u"Non"}});
    m.openForActiveCompany(*m.actifincorporel);
    addRow(*m.actifincorporel, {{"NATUREACTIF", u"04"},
                                {"ONEREUXGRATUIT", u"O"},
                                {"AUTREIDENTIFIANT", u"DE811234567"},
                                {"TERRITOIRE", u"DE"},
                                {"RAISONSOCIALE", u"Ardoz Holding GmbH"},
                                {"QUALITE", u"1"},
                                {"NATURERELATION", u"1"}});
    addRow(*m.actifincorporel, {{"NATUREACTIF", u"09"},
                                {"ONEREUXGRATUIT", u"N"},
                                {"MATRICULEFISCAL", u"0456789B"},
                                {"TERRITOIRE", u"TN"},
                                {"RAISONSOCIALE", u"Sud Composants SARL"},
                                {"QUALITE", u"4"},
                                {"NATURERELATION", u"3"}});
    m.openForActiveCompany(*m.Actifcorporel);
    addRow(*m.Actifcorporel, {{"NATUREACTIF", u"10"},
                              {"MATRICULEFISCAL", u"0456789B"},
                              {"TERRITOIRE", u"TN"},
                              {"RAISONSOCIALE", u"Sud Composants SARL"},
                              {"QUALITE", u"4"},
                              {"NATURERELATION", u"3"}});
    m.openForActiveCompany(*m.montanttransactions);
    const char* achats[] = {"152340.456", "98000.500", "12500.000", "4500.250"};
    const char* types[] = {"1", "3", "4", "7"};
    const char* natures[] = {"1", "2", "1", ""};
    for (int i = 0; i < 4; ++i) {
        addRow(*m.montanttransactions,
               {{"TYPEMONTANT", QString::fromLatin1(types[i])},
                {"NATUREOPERATIONS", QString::fromLatin1(natures[i])},
                {"ACHATS", amount(achats[i])},
                {"VENTES", db::Decimal(1000000LL * (seed + i), 3)},
                {"AUTREIDENTIFIANT", u"DE811234567"},
                {"ETATTERRITORIAL", u"DE"},
                {"RAISONSOCIALE", u"Ardoz Holding GmbH"},
                {"QUALITE", u"1"},
                {"NATURRELATION", u"1"},
                {"METHODE", !complete && i == 2 ? db::Value()
                            : i % 2             ? db::Value(u"MTMN")
                                                : db::Value(u"CUP ")},
                {"CHANGEMENTMETHODE", i == 1 ? db::Value(u"MPRM") : db::Value()}});
    }
    m.openForActiveCompany(*m.Empruntsprets);
    addRow(*m.Empruntsprets, {{"TYPEPRETEMPRUNT", u"P"},
                              {"MATRICULEFISCAL", u"0456789B"},
                              {"ETATTERRITORIAL", u"TN"},
                              {"RAISONSOCIALE", u"Sud Composants SARL"},
                              {"QUALITE", u"4"},
                              {"NATURERELATION", u"1"},
                              {"SOLDEOUVERTURE", amount("200000.000")},
                              {"DEVISE", u"TND"},
                              {"AUGMENTATIONS", amount("50000.000")},
                              {"DIMINUTIONS", amount("25000.000")},
                              {"SOLDECLOTURE", amount("225000.000")},
                              {"PRETINTERET", u"Oui"},
                              {"TAUXINTERET", amount("7.50")}});
    addRow(*m.Empruntsprets, {{"TYPEPRETEMPRUNT", u"E"},
                              {"AUTREIDENTIFIANT", u"DE811234567"},
                              {"ETATTERRITORIAL", u"DE"},
                              {"RAISONSOCIALE", u"Ardoz Holding GmbH"},
                              {"QUALITE", u"1"},
                              {"NATURERELATION", u"1"},
                              {"DEVISE", u"EUR"},
                              {"SOLDECLOTURE", amount("1000000.000")},
                              {"PRETINTERET", u"Non"}});
    m.openForActiveCompany(*m.operationssanscontre);
    addRow(*m.operationssanscontre, {{"MATRICULEFISCAL", u"0456789B"},
                                     {"ETATTERRITORIAL", u"TN"},
                                     {"RAISONSOCIALE", u"Sud Composants SARL"},
                                     {"QUALITE", u"4"},
                                     {"NATURERELATION", u"1"},
                                     {"NATUREBIENSERVICE", u"Mise à disposition d'un entrepôt"},
                                     {"NATURECONTREPARTIE", u"Aucune"},
                                     {"AVECCONTREOUINON", u"S"}});
    m.openForActiveCompany(*m.operationsaccord);
    addRow(*m.operationsaccord, {{"AUTREIDENTIFIANT", u"DE811234567"},
                                 {"ETATTERRITORIAL", u"DE"},
                                 {"RAISONSOCIALE", u"Ardoz Holding GmbH"},
                                 {"QUALITE", u"1"},
                                 {"NATURERELATION", u"1"},
                                 {"NATUREOPERATION", u"Redevances de marque"},
                                 {"EXERCICEDEBUT", 2022},
                                 {"EXERCICEFIN", 2025}});
}

}  // namespace

void DemoData::fill(TDataprix& module) {
    module.societe->open();
    addCompany(module, QStringLiteral("1234567"), QStringLiteral("Ardoz Électronique SA"),
               QStringLiteral("12, rue du Lac Léman, Les Berges du Lac"), 1053, "15430250.750",
               true);
    addDetails(module, 1, true);
    addCompany(module, QStringLiteral("7654321"), QStringLiteral("Carthage Câbles & Fils"),
               QStringLiteral("Zone industrielle, Ben Arous"), 2013, "8250000.000", true);
    addDetails(module, 5, true);
    // Left incomplete on purpose, so that the pre-filing check has something to show.
    addCompany(module, QStringLiteral("0456789"), QStringLiteral("Sud Composants SARL"),
               QStringLiteral("Route de Gabès km 4, Sfax"), 3000, "2100400.125", false);
    addDetails(module, 9, false);
    module.societe->open();
}

QString DemoData::createDatabase(const QString& folder, const db::Credentials& credentials) {
    const QString path = DatabaseCreator::create(folder, credentials);
    try {
        TDataprix module;
        module.idataprix.setCredentials(credentials);
        module.connectTo(path);
        fill(module);
    } catch (const db::DatabaseError&) {
        // The module has closed its connection by now: a database left half filled with
        // demonstration data goes, as the creator removes a half-made one.
        DatabaseCreator::remove(path, credentials);
        throw;
    }
    return path;
}
