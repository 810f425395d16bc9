#include "data/Schema.h"

#include <stdexcept>

namespace {

FieldDef col(const char* name, FieldType type, int width = 0, bool notNull = false) {
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    f.width = width;
    f.notNull = notNull;
    return f;
}
FieldDef vc(const char* name, int width, bool notNull = false) {
    return col(name, FieldType::Varchar, width, notNull);
}
FieldDef ch(const char* name, int width, bool notNull = false) {
    return col(name, FieldType::Char, width, notNull);
}
FieldDef integer(const char* name, bool notNull = false) {
    return col(name, FieldType::Integer, 0, notNull);
}
FieldDef date(const char* name) {
    return col(name, FieldType::Date);
}
FieldDef blob(const char* name) {
    return col(name, FieldType::Blob);
}
FieldDef amount(const char* name, const char* format) {
    FieldDef f = col(name, FieldType::Numeric, 18);
    f.scale = 3;
    f.displayFormat = QString::fromLatin1(format);
    return f;
}
FieldDef rate(const char* name) {
    FieldDef f = col(name, FieldType::Numeric, 9);
    f.scale = 2;
    return f;
}

constexpr const char* kAmountLeading = "### ### ### 0##.000";
constexpr const char* kAmountPlain = "### ### ### ##0.000";

QStringList names(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* n : list) {
        result.append(QString::fromLatin1(n));
    }
    return result;
}

TableDef detailTable(const char* name, const char* lineNumberTable, bool withLine,
                     QVector<FieldDef> columns, QStringList order) {
    TableDef t;
    t.name = QString::fromLatin1(name);
    t.detail = true;
    t.fields = {vc("MFISCAL", 8, true), integer("EXERCICE", true)};
    t.key = names({"MFISCAL", "EXERCICE"});
    if (withLine) {
        t.fields.append(integer("LG", true));
        t.key.append(QStringLiteral("LG"));
        t.lineNumberTable = QString::fromLatin1(lineNumberTable);
    }
    t.fields += columns;
    t.order = order;
    return t;
}

QVector<TableDef> buildTables() {
    QVector<TableDef> tables;

    TableDef societe;
    societe.name = QStringLiteral("SOCIETE");
    societe.fields = {
        vc("MFISCAL", 7, true),
        ch("CLE", 1, true),
        integer("EXERCICE", true),
        ch("TVA", 1),
        ch("CATEGORIE", 1),
        vc("RAISONSOCIALE", 250),
        vc("FORMEJURIDIQUE", 250),
        vc("NATIONALITE", 2),
        vc("ADRESSE", 250),
        integer("CODEPOSTAL"),
        vc("ACTIVITEPRINCIPALE", 250),
        vc("ACTIVITESECONDAIRE", 250),
        date("DATEDEBUT"),
        date("DATEFIN"),
        amount("CHIFFREAFFAIREANNUEL", kAmountLeading),
        ch("QUALITE", 1),
        vc("AUTRESQUALITE", 250),
        blob("DESCRIPTIONACTIVITESPRINCIPALES"),
        vc("AFFIRMATION", 3),
        blob("DESCRIPTION"),
        ch("CODEACTE", 1),
        ch("TYPEDECLARATION", 1),
        ch("NATUREDATEFIN", 1),
        blob("AUTRESINFORMATIONS"),
        vc("AFFIRMATIONCHANGEMENTCAPITAL", 3),
        blob("DESCRIPTIONCHANGCAPITAL"),
        blob("DESCRIPTIONREGIMEFISCAL"),
        ch("AFFIRMATIONBIENSERVICE", 3),
        ch("AFFIRMATIONBIENSERVICEAVECCONTR", 1),
        ch("AFFIRMATIONACCORDPREALABLE", 1),
    };
    societe.key = names({"MFISCAL", "CLE", "EXERCICE"});
    societe.order = names({"RAISONSOCIALE"});
    tables.append(societe);

    TableDef categorie;
    categorie.name = QStringLiteral("CATEGORIE");
    categorie.fields = {ch("CODE", 1, true), vc("LIBELLE", 90)};
    categorie.key = names({"CODE"});
    categorie.order = names({"CODE"});
    tables.append(categorie);

    TableDef devise;
    devise.name = QStringLiteral("DEVISE");
    devise.fields = {vc("DEVISE", 3, true), vc("LIBELLE", 120)};
    devise.key = names({"DEVISE"});
    devise.order = names({"DEVISE"});
    tables.append(devise);

    TableDef etat;
    etat.name = QStringLiteral("ETATTERRITORIAL");
    etat.fields = {ch("CODE", 2, true), vc("PAYS", 50)};
    etat.key = names({"CODE"});
    etat.order = names({"CODE"});
    tables.append(etat);

    const QVector<FieldDef> capitalColumns = {
        vc("MFISCALLIE", 8),      vc("AUTREIDENTIFIANT", 20), ch("ETATTERRITOIRE", 2),
        vc("RAISONSOCIALE", 250), vc("QUALITE", 1),           vc("AUTREQUALITE", 250),
        rate("POURCENTCAPITAL"),  rate("POURVENVOTE"),
    };
    const QStringList capitalOrder = names({"MFISCALLIE", "AUTREIDENTIFIANT"});
    tables.append(detailTable("CAPITALLIEE", "capitalliee", true, capitalColumns, capitalOrder));
    tables.append(
        detailTable("CAPITALDECLARANTE", "capitaldeclarante", true, capitalColumns, capitalOrder));

    tables.append(detailTable("INFORMATIONGROUPE", "", false,
                              {
                                  vc("MFISCALMERE", 8),
                                  vc("AUTREMFISCAL", 20, true),
                                  ch("ETATTERRITORIAL", 2),
                                  vc("RAISONSOCIALE", 250),
                                  vc("ADRESSE", 250),
                                  blob("DESCRIPTIONACTIVITE"),
                                  blob("DESCRIPTIONPOLITIQUE"),
                                  vc("AFFIRMATOINRESTRUCTURATION", 3),
                                  blob("DESCRIPTIONRESTRUCTURATION"),
                              },
                              names({"MFISCALMERE", "AUTREMFISCAL"})));

    const QStringList operationOrder = names({"MATRICULEFISCAL", "AUTREIDENTIFIANT"});
    QVector<FieldDef> assetColumns = {
        vc("NATUREACTIF", 2, true), vc("AUTRENATURE", 250),     ch("ONEREUXGRATUIT", 1),
        vc("MATRICULEFISCAL", 8),   vc("AUTREIDENTIFIANT", 20), ch("TERRITOIRE", 2),
        vc("RAISONSOCIALE", 250),   ch("QUALITE", 1),           vc("AUTREQUALITE", 250),
        ch("NATURERELATION", 1),    vc("AUTRESNATURE", 250),
    };
    tables.append(detailTable("LISTEACTIFINCORPOREL", "LISTEACTIFINCORPOREL", true, assetColumns,
                              operationOrder));
    assetColumns.removeAt(2);  // the tangible assets have no ONEREUXGRATUIT
    tables.append(detailTable("LISTEACTIFCORPOREL", "LISTEACTIFCORPOREL", true, assetColumns,
                              operationOrder));

    TableDef montants = detailTable("OPERATIONSMONTANTS", "OPERATIONSMONTANTS", true,
                                    {
                                        ch("TYPEMONTANT", 1),
                                        vc("AUTRESNATURESOPERATIONS", 250),
                                        amount("ACHATS", kAmountLeading),
                                        amount("VENTES", kAmountLeading),
                                        vc("MATRICULEFISCAL", 8),
                                        vc("AUTREIDENTIFIANT", 20),
                                        ch("ETATTERRITORIAL", 2),
                                        vc("RAISONSOCIALE", 250),
                                        ch("QUALITE", 1),
                                        vc("AUTREQUALITE", 250),
                                        ch("NATURRELATION", 1),
                                        vc("AUTRENATURERELATIONS", 250),
                                        vc("METHODE", 4),
                                        blob("AUTREMETHODE"),
                                        vc("CHANGEMENTMETHODE", 4),
                                        vc("CHANGEMENTAUTREMETRHODE", 250),
                                        ch("NATUREOPERATIONS", 1),
                                    },
                                    operationOrder);
    montants.zeroedWhenEmpty = names({"ACHATS", "VENTES"});
    tables.append(montants);

    TableDef prets = detailTable("OPERATIONPRETEMPRUNT", "OPERATIONPRETEMPRUNT", true,
                                 {
                                     ch("TYPEPRETEMPRUNT", 1),
                                     vc("MATRICULEFISCAL", 8),
                                     vc("AUTREIDENTIFIANT", 20),
                                     ch("ETATTERRITORIAL", 2),
                                     vc("RAISONSOCIALE", 250),
                                     ch("QUALITE", 1),
                                     vc("AUTREQUALITE", 250),
                                     ch("NATURERELATION", 1),
                                     vc("AUTRENATURE", 250),
                                     amount("SOLDEOUVERTURE", kAmountPlain),
                                     vc("DEVISE", 3),
                                     amount("AUGMENTATIONS", kAmountPlain),
                                     amount("DIMINUTIONS", kAmountPlain),
                                     amount("SOLDECLOTURE", kAmountPlain),
                                     vc("PRETINTERET", 3),
                                     rate("TAUXINTERET"),
                                 },
                                 operationOrder);
    prets.zeroedWhenEmpty =
        names({"SOLDEOUVERTURE", "AUGMENTATIONS", "DIMINUTIONS", "SOLDECLOTURE"});
    tables.append(prets);

    tables.append(detailTable("OPERATIONSANSCONTRE", "OPERATIONSANSCONTRE", true,
                              {
                                  vc("MATRICULEFISCAL", 8),
                                  vc("AUTREIDENTIFIANT", 20),
                                  ch("ETATTERRITORIAL", 2),
                                  vc("RAISONSOCIALE", 250),
                                  ch("QUALITE", 1),
                                  vc("AUTREQUALITE", 250),
                                  ch("NATURERELATION", 1),
                                  vc("AUTRENATURE", 250),
                                  vc("NATUREBIENSERVICE", 250),
                                  vc("NATURECONTREPARTIE", 250),
                                  ch("AVECCONTREOUINON", 1),
                              },
                              operationOrder));

    tables.append(detailTable("OPERATIONRESCRITFISCAUX", "OPERATIONRESCRITFISCAUX", true,
                              {
                                  vc("MATRICULEFISCAL", 8),
                                  vc("AUTREIDENTIFIANT", 20),
                                  ch("ETATTERRITORIAL", 2),
                                  vc("RAISONSOCIALE", 250),
                                  ch("QUALITE", 1),
                                  vc("AUTREQUALITE", 250),
                                  ch("NATURERELATION", 1),
                                  vc("AUTRENATURE", 250),
                                  vc("NATUREOPERATION", 250),
                                  integer("EXERCICEDEBUT"),
                                  integer("EXERCICEFIN"),
                              },
                              operationOrder));
    return tables;
}

}  // namespace

const QVector<TableDef>& Schema::tables() {
    static const QVector<TableDef> all = buildTables();
    return all;
}

const TableDef& Schema::table(const QString& name) {
    for (const TableDef& t : tables()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) {
            return t;
        }
    }
    throw std::out_of_range("unknown table");
}

QStringList Schema::enteredDataTables() {
    QStringList result;
    for (const TableDef& t : tables()) {
        if (t.name != u"DEVISE" && t.name != u"ETATTERRITORIAL" && t.name != u"CATEGORIE") {
            result.append(t.name);
        }
    }
    return result;
}

QStringList Schema::creationScript() {
    QStringList script;
    for (const TableDef& t : tables()) {
        QStringList lines;
        for (const FieldDef& f : t.fields) {
            lines.append(
                QStringLiteral("  %1 %2%3")
                    .arg(f.name, f.sqlType(), f.notNull ? QStringLiteral(" NOT NULL") : QString()));
        }
        lines.append(QStringLiteral("  CONSTRAINT PK_%1 PRIMARY KEY (%2)")
                         .arg(t.name, t.key.join(QStringLiteral(", "))));
        script.append(QStringLiteral("CREATE TABLE %1 (\n%2\n)").arg(t.name, lines.join(u",\n")));
    }
    // The next line number is the highest one of the company and year: a descending
    // index lets the server read it at once instead of scanning the company's lines.
    for (const TableDef& t : tables()) {
        if (t.lineNumbered()) {
            script.append(
                QStringLiteral("CREATE DESCENDING INDEX IX_%1_LG ON %1 (MFISCAL, EXERCICE, LG)")
                    .arg(t.name));
        }
    }
    // The company list is ordered by name: walking an index, the server hands the first rows
    // at once instead of sorting every company before the list can show one.
    script.append(QStringLiteral("CREATE INDEX IX_SOCIETE_NOM ON SOCIETE (RAISONSOCIALE)"));
    QString body;
    for (const QString& table : enteredDataTables()) {
        body += QStringLiteral("  DELETE FROM %1;\n").arg(table);
    }
    script.append(QStringLiteral("CREATE PROCEDURE INITIALISATION\nAS\nBEGIN\n%1END").arg(body));
    return script;
}
