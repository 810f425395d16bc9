#include "CompleteDeclaration.h"
#include "data/DatabaseCreator.h"
#include "data/DemoData.h"
#include "data/ReferenceData.h"
#include "declaration/DeclarationFields.h"
#include "declaration/DeclarationValidator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace {

using P = DeclarationPage;

db::Value txt(const QString& text) {
    return db::Value(text);
}
db::Value dec(const char* text) {
    return db::Value(*db::Decimal::parse(QString::fromLatin1(text)));
}

P pageOf(const QString& table, const QString& column) {
    static const QHash<QString, P> pages = {
        {"CAPITALLIEE", P::LiensCapital},
        {"CAPITALDECLARANTE", P::CapitalDeclarante},
        {"INFORMATIONGROUPE", P::InformationsGroupe},
        {"LISTEACTIFINCORPOREL", P::ActifsIncorporels},
        {"LISTEACTIFCORPOREL", P::ActifsCorporels},
        {"OPERATIONSMONTANTS", P::MontantsTransactions},
        {"OPERATIONPRETEMPRUNT", P::PretsEmprunts},
        {"OPERATIONSANSCONTRE", P::SansContrepartie},
        {"OPERATIONRESCRITFISCAUX", P::AccordsPrealables},
    };
    if (table == QLatin1StringView("SOCIETE")) {
        return DeclarationFields::find(P::IdentificationEntreprise,
                                       QLatin1StringView(column.toLatin1()))
                   ? P::IdentificationEntreprise
                   : P::AutresInformations;
    }
    return pages.value(table);
}

/// One value changed in the complete declaration, and where the check must report it
/// when the schema refuses the result (by default: the changed field on its line).
struct Mutation {
    QString table;
    int lg = 0;  ///< 0 for SOCIETE and INFORMATIONGROUPE
    QString column;
    db::Value value;
    QString expectedColumn;  ///< a field of SOCIETE, where the change removes a line
    QString label;
};

QString where(const Mutation& m, const db::Value& exercice) {
    Q_UNUSED(exercice);
    if (m.table == QLatin1StringView("SOCIETE")) {
        return QStringLiteral(" where MFISCAL = '1234567' and CLE = 'A' and EXERCICE = :exercice");
    }
    QString clause = QStringLiteral(" where MFISCAL = '1234567A' and EXERCICE = :exercice");
    if (m.lg > 0) {
        clause += QStringLiteral(" and LG = %1").arg(m.lg);
    }
    return clause;
}

db::Value readValue(DeclarationFixture& f, const Mutation& m) {
    f.module().ensureConnected();
    db::Statement select(f.module().IBTransaction1);
    select.prepare(QStringLiteral("select %1 from %2").arg(m.column, m.table) + where(m, 2023));
    select.setParam(QStringLiteral("exercice"), db::Value(2023));
    select.execute();
    return select.fetch() ? select.row().at(0) : db::Value();
}

void writeValue(DeclarationFixture& f, const Mutation& m, const db::Value& value, int exercice) {
    f.exec(QStringLiteral("update %1 set %2 = :v").arg(m.table, m.column) + where(m, exercice),
           {{QStringLiteral("v"), value}, {QStringLiteral("exercice"), db::Value(exercice)}});
}

/// The mutations: empty and blank values, values too long or out of their list, broken
/// patterns, and answers O whose detail goes, over every kind of field of every section.
QVector<Mutation> mutations() {
    QVector<Mutation> list;
    auto add = [&](const QString& table, int lg, const QString& column,
                   const QList<db::Value>& values, const QString& expected = QString()) {
        for (const db::Value& v : values) {
            list.append({table, lg, column, v, expected,
                         QStringLiteral("%1 %2 %3 = %4")
                             .arg(table)
                             .arg(lg)
                             .arg(column, v.isNull() ? QStringLiteral("null")
                                                     : QStringLiteral("'%1'").arg(v.toText()))});
        }
    };
    const db::Value null;
    const QList<db::Value> text250 = {null, txt("   "), txt(QString(250, u'é'))};
    const QList<db::Value> blob = {null, txt(QStringLiteral(" \r\n ")), txt(QString(3000, u'x'))};
    const QList<db::Value> matricule = {
        null, txt("12345"), txt("1234567I"), txt("1234567a"), txt("123456 B"), txt("7654321Z")};
    const QList<db::Value> autre = {null, txt("  "), txt("ABCDEFGHIJ0123456789"), txt("A B")};
    const QList<db::Value> etat = {null, txt("ZZ"), txt("XK"), txt("tn"), txt("X5")};
    const QList<db::Value> qualite = {null, txt("7"), txt("0"), txt("5")};
    const QList<db::Value> relation = {null, txt("5"), txt(" "), txt("4")};
    const QList<db::Value> percent = {null, dec("12345"), dec("9999.4"), dec("-5")};
    const QList<db::Value> year = {null, db::Value(123), db::Value(99999), db::Value(-2020)};
    const QList<db::Value> amount = {null, dec("-12.5"), dec("999999999999999.999")};

    // The company: identification and other information.
    const QString s = QStringLiteral("SOCIETE");
    add(s, 0, "CODEACTE", {null, txt("2"), txt("4")});
    add(s, 0, "TVA", {null, txt("Z"), txt("N")});
    add(s, 0, "CATEGORIE", {null, txt("C"), txt("P")});
    add(s, 0, "TYPEDECLARATION", {null, txt("X"), txt("P")});
    add(s, 0, "NATUREDATEFIN", {null, txt("9"), txt("5")});
    add(s, 0, "DATEDEBUT",
        {null, db::Value(QDate(1899, 12, 31)), db::Value(QDate(2100, 1, 1)),
         db::Value(QDate(2024, 2, 29)), db::Value(QDate(2000, 2, 29))});
    add(s, 0, "DATEFIN", {null, db::Value(QDate(2024, 2, 29)), db::Value(QDate(2023, 6, 30))});
    for (const char* column : {"RAISONSOCIALE", "FORMEJURIDIQUE", "ADRESSE", "ACTIVITEPRINCIPALE",
                               "ACTIVITESECONDAIRE", "AUTRESQUALITE"}) {
        add(s, 0, QString::fromLatin1(column), text250);
    }
    add(s, 0, "NATIONALITE", etat);
    add(s, 0, "CODEPOSTAL", {null, db::Value(12345), db::Value(-1), db::Value(0)});
    add(s, 0, "CHIFFREAFFAIREANNUEL", amount);
    add(s, 0, "QUALITE", qualite);
    for (const char* column :
         {"DESCRIPTIONACTIVITESPRINCIPALES", "DESCRIPTION", "DESCRIPTIONCHANGCAPITAL",
          "DESCRIPTIONREGIMEFISCAL", "AUTRESINFORMATIONS"}) {
        add(s, 0, QString::fromLatin1(column), blob);
    }
    for (const char* column : {"AFFIRMATION", "AFFIRMATIONCHANGEMENTCAPITAL"}) {
        add(s, 0, QString::fromLatin1(column), {null, txt("X"), txt("Oui"), txt("N")});
    }
    for (const char* column : {"AFFIRMATIONBIENSERVICE", "AFFIRMATIONBIENSERVICEAVECCONTR",
                               "AFFIRMATIONACCORDPREALABLE"}) {
        add(s, 0, QString::fromLatin1(column), {null, txt("X"), txt("N")});
    }

    // Capital links: a Tunisian and a foreign company, and a foreign holder.
    for (const char* table : {"CAPITALLIEE", "CAPITALDECLARANTE"}) {
        const QString t = QString::fromLatin1(table);
        const int foreign = t == QLatin1StringView("CAPITALLIEE") ? 2 : 1;
        if (foreign == 2) {
            add(t, 1, "MFISCALLIE", matricule);
            add(t, 1, "QUALITE", qualite);
            add(t, 1, "ETATTERRITOIRE", {txt("ZZ")});
        }
        add(t, foreign, "AUTREIDENTIFIANT", autre);
        add(t, foreign, "ETATTERRITOIRE", etat);
        add(t, foreign, "MFISCALLIE", {txt("3333333C")});
        add(t, foreign, "RAISONSOCIALE", text250);
        add(t, foreign, "AUTREQUALITE", {null, txt(" ")});
        add(t, foreign, "POURCENTCAPITAL", percent);
        add(t, foreign, "POURVENVOTE", percent);
    }

    // The group and its parent.
    const QString g = QStringLiteral("INFORMATIONGROUPE");
    add(g, 0, "MFISCALMERE", {txt("1111111A"), txt("  ")});
    add(g, 0, "AUTREMFISCAL", {txt("  "), txt("ABCDEFGHIJ0123456789")});
    add(g, 0, "ETATTERRITORIAL", etat);
    add(g, 0, "RAISONSOCIALE", text250);
    add(g, 0, "ADRESSE", text250);
    add(g, 0, "DESCRIPTIONACTIVITE", blob);
    add(g, 0, "DESCRIPTIONPOLITIQUE", blob);
    add(g, 0, "AFFIRMATOINRESTRUCTURATION", {null, txt("Non"), txt("oui")});
    add(g, 0, "DESCRIPTIONRESTRUCTURATION", blob);

    // Assets.
    add("LISTEACTIFINCORPOREL", 1, "NATUREACTIF", {txt("11"), txt("00"), txt("1"), txt("10")});
    add("LISTEACTIFINCORPOREL", 1, "ONEREUXGRATUIT", {null, txt("X"), txt("O")});
    add("LISTEACTIFINCORPOREL", 1, "MATRICULEFISCAL", matricule);
    add("LISTEACTIFINCORPOREL", 1, "NATURERELATION", relation);
    add("LISTEACTIFINCORPOREL", 2, "AUTREIDENTIFIANT", autre);
    add("LISTEACTIFINCORPOREL", 2, "TERRITOIRE", etat);
    add("LISTEACTIFINCORPOREL", 2, "AUTREQUALITE", {null, txt(QString(250, u'q'))});
    add("LISTEACTIFCORPOREL", 1, "NATUREACTIF", {txt("17"), txt("18"), txt("00")});
    add("LISTEACTIFCORPOREL", 1, "TERRITOIRE", etat);
    add("LISTEACTIFCORPOREL", 1, "QUALITE", qualite);
    add("LISTEACTIFCORPOREL", 1, "RAISONSOCIALE", text250);

    // Transaction lines: the nature of every category, and every field of two lines.
    const QString o = QStringLiteral("OPERATIONSMONTANTS");
    for (int lg = 1; lg <= 6; ++lg) {
        add(o, lg, "NATUREOPERATIONS", {null, txt("0"), txt("3"), txt("4"), txt("6"), txt("9")});
    }
    add(o, 1, "TYPEMONTANT", {txt("7"), txt("9"), null});
    add(o, 1, "MATRICULEFISCAL", matricule);
    add(o, 1, "QUALITE", qualite);
    add(o, 1, "NATURRELATION", relation);
    add(o, 1, "METHODE", {null, txt("ABC"), txt("mpb"), txt("MPB ")});
    add(o, 1, "CHANGEMENTMETHODE", {null, txt("XYZ"), txt("MPRM")});
    add(o, 1, "ACHATS", amount);
    add(o, 1, "VENTES", amount);
    add(o, 7, "AUTREIDENTIFIANT", autre);
    add(o, 7, "ETATTERRITORIAL", etat);
    add(o, 7, "AUTREQUALITE", {null, txt(" ")});
    add(o, 7, "AUTRENATURERELATIONS", {null, txt(" ")});
    add(o, 7, "RAISONSOCIALE", text250);

    // Loans and borrowings.
    const QString l = QStringLiteral("OPERATIONPRETEMPRUNT");
    add(l, 1, "DEVISE", {null, txt("SLE"), txt("HRK"), txt("usd"), txt("TND")});
    add(l, 1, "TAUXINTERET", percent);
    add(l, 1, "PRETINTERET", {null, txt("X")});
    add(l, 1, "NATURERELATION", relation);
    add(l, 1, "SOLDEOUVERTURE", amount);
    add(l, 1, "TYPEPRETEMPRUNT", {txt("X")});
    add(l, 2, "AUTREIDENTIFIANT", autre);
    add(l, 2, "ETATTERRITORIAL", etat);
    add(l, 2, "DEVISE", {txt("VED"), txt("XK")});

    // Operations without counterpart, and the answers O whose lines go.
    const QString c = QStringLiteral("OPERATIONSANSCONTRE");
    add(c, 1, "NATUREBIENSERVICE", text250);
    add(c, 1, "NATURECONTREPARTIE", text250);
    add(c, 1, "MATRICULEFISCAL", matricule);
    add(c, 1, "AVECCONTREOUINON", {txt("X"), txt("A")}, QStringLiteral("AFFIRMATIONBIENSERVICE"));
    add(c, 2, "AVECCONTREOUINON", {txt("S"), null},
        QStringLiteral("AFFIRMATIONBIENSERVICEAVECCONTR"));
    add(c, 2, "AUTREIDENTIFIANT", autre);
    add(c, 2, "ETATTERRITORIAL", etat);

    // Agreements.
    const QString a = QStringLiteral("OPERATIONRESCRITFISCAUX");
    add(a, 1, "EXERCICEDEBUT", year);
    add(a, 1, "EXERCICEFIN", year);
    add(a, 1, "NATUREOPERATION", text250);
    add(a, 1, "AUTREIDENTIFIANT", autre);
    add(a, 1, "ETATTERRITORIAL", etat);
    add(a, 1, "NATURERELATION", relation);
    add(a, 1, "EXERCICE", {db::Value(2022)}, QStringLiteral("AFFIRMATIONACCORDPREALABLE"));
    return list;
}

/// True when @p problem is reported where the mutation is corrected.
bool namesTheField(const DeclarationProblem& problem, const Mutation& m) {
    if (!m.expectedColumn.isEmpty()) {
        return problem.location.table() == QLatin1StringView("SOCIETE") &&
               problem.location.column == m.expectedColumn;
    }
    const P page = pageOf(m.table, m.column);
    if (problem.location.page != page || problem.location.lg != m.lg) {
        return false;
    }
    if (problem.location.column == m.column) {
        return true;
    }
    // A field whose value goes out with another one names both (the tax identifier and
    // the other identifier, a code and its free-text alternative, an answer and its detail).
    const DeclarationField* field =
        DeclarationFields::find(page, QLatin1StringView(m.column.toLatin1()));
    return field && problem.text().contains(QStringLiteral("« %1 »").arg(field->captionText()));
}

QString describe(const DeclarationProblems& problems) {
    QStringList texts;
    for (const DeclarationProblem& p : problems) {
        texts.append(p.text());
    }
    return texts.isEmpty() ? QStringLiteral("(aucun problème)") : texts.join(QStringLiteral(" | "));
}

}  // namespace

class TestDeclarationCheck : public QObject {
    Q_OBJECT

private slots:
    void completeDeclarationHasNoProblem() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        DeclarationWriter writer(f.module());
        writer.check();
        QVERIFY2(writer.problems().isEmpty(), qPrintable(describe(writer.problems())));
        QCOMPARE(writer.unmatchedElements(), 0);
        // The check writes nothing.
        QVERIFY(QDir(f.outputFolder()).isEmpty());

        writer.generate(f.outputFolder());
        QVERIFY(writer.problems().isEmpty());
        QString error;
        const QHash<QString, QString> verdicts = Xsd11Oracle::verdicts(f.outputFolder(), &error);
        QVERIFY2(verdicts.size() == 1, qPrintable(error));
        QVERIFY2(verdicts.cbegin().value().isEmpty(), qPrintable(verdicts.cbegin().value()));
    }

    // Every single-field change of the complete declaration: the check finds a problem
    // exactly when the schema with its assertions refuses the file, and names the field
    // and the line changed.
    void mutationsAgreeWithTheSchema() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        QTemporaryDir files;
        QVERIFY(files.isValid());

        const QVector<Mutation> all = mutations();
        QVERIFY(all.size() >= 300);
        QVector<DeclarationProblems> found;
        DeclarationWriter writer(f.module());
        for (qsizetype i = 0; i < all.size(); ++i) {
            const Mutation& m = all.at(i);
            const db::Value before = readValue(f, m);
            writeValue(f, m, m.value, 2023);
            // The key of the row may be the changed column.
            const int exercice = m.column == QLatin1StringView("EXERCICE") ? m.value.toInt() : 2023;
            QVERIFY(f.select());
            const QString path = writer.generate(f.outputFolder());
            found.append(writer.problems());
            QCOMPARE(writer.unmatchedElements(), 0);
            QVERIFY(QFile::rename(path, QDir(files.path())
                                            .filePath(QStringLiteral("m%1.xml").arg(
                                                qlonglong(i), 4, 10, QLatin1Char('0')))));
            writeValue(f, m, before, exercice);
        }

        QString error;
        const QHash<QString, QString> verdicts = Xsd11Oracle::verdicts(files.path(), &error);
        QVERIFY2(verdicts.size() == all.size(), qPrintable(error));
        QStringList disagreements;
        int refused = 0;
        for (qsizetype i = 0; i < all.size(); ++i) {
            const Mutation& m = all.at(i);
            const QString verdict = verdicts.value(
                QStringLiteral("m%1.xml").arg(qlonglong(i), 4, 10, QLatin1Char('0')));
            const DeclarationProblems& problems = found.at(i);
            if (verdict.isEmpty() != problems.isEmpty()) {
                disagreements.append(
                    QStringLiteral("%1 — schéma : %2 — contrôle : %3")
                        .arg(m.label, verdict.isEmpty() ? "accepté" : verdict, describe(problems)));
            } else if (!verdict.isEmpty()) {
                ++refused;
                if (std::none_of(
                        problems.cbegin(), problems.cend(),
                        [&](const DeclarationProblem& p) { return namesTheField(p, m); })) {
                    disagreements.append(QStringLiteral("%1 — champ non nommé : %2")
                                             .arg(m.label, describe(problems)));
                }
            }
        }
        qInfo("%lld mutations, %d refused by the schema", qlonglong(all.size()), refused);
        QVERIFY2(disagreements.isEmpty(), qPrintable(disagreements.join(u'\n')));
        // Both outcomes are well represented.
        QVERIFY(refused > 150);
        QVERIFY(all.size() - refused > 60);
    }

    // The sentences name the window, page, line and field, the value and the expectation.
    void sentences() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        f.exec(
            QStringLiteral("update OPERATIONSMONTANTS set MATRICULEFISCAL = '12345' "
                           "where LG = 3"));
        f.exec(QStringLiteral("update SOCIETE set CODEPOSTAL = 12345"));
        f.exec(QStringLiteral("update OPERATIONPRETEMPRUNT set DEVISE = 'SLE' where LG = 2"));
        f.exec(QStringLiteral("update CAPITALLIEE set AUTREIDENTIFIANT = null where LG = 2"));
        QVERIFY(f.select());
        DeclarationWriter writer(f.module());
        writer.check();
        QStringList texts;
        for (const DeclarationProblem& p : writer.problems()) {
            texts.append(p.text());
        }
        QCOMPARE(texts,
                 (QStringList{
                     "Paramètre de la société — Identification Entreprise, « Code Postal » : "
                     "« 12345 » n'est pas un code postal de 4 chiffres.",
                     "Paramètre de la société — Liens Capital, ligne 2, « Matricule Fiscal » : le "
                     "champ est vide, tout comme « Autre Identifiant » ; l'administration attend "
                     "un matricule fiscal (7 chiffres suivis d'une lettre clé) ou, pour une "
                     "société sans matricule tunisien, un autre identifiant avec son état.",
                     "Opérations — Montants des transactions, ligne 3, « Matricule Fiscal » : "
                     "« 12345 » n'est pas un matricule fiscal (7 chiffres suivis d'une lettre "
                     "clé).",
                     "Opérations — Informations Prets et Emprunts, ligne 2, « Devise » : « SLE » "
                     "n'est pas un code de devise de la liste de l'administration."}));
        const ProblemLocation devise = writer.problems().last().location;
        QCOMPARE(devise.window(), DeclarationWindow::Operations);
        QCOMPARE(devise.pageIndex(), 1);
        QCOMPARE(devise.lg, 2);
        QCOMPARE(devise.column, QStringLiteral("DEVISE"));
    }

    // The demonstration companies: two declarations the schema accepts, one left incomplete.
    void demonstrationData() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = DatabaseCreator::create(dir.filePath(QStringLiteral("db")));
        TDataprix module;
        module.connectTo(path);
        DemoData::fill(module);
        const QString out = dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));

        QHash<QString, qsizetype> counts;
        for (const char* id : {"1234567", "7654321", "0456789"}) {
            module.societe->open();
            QVERIFY(module.societe->locate(
                {QStringLiteral("MFISCAL"), QStringLiteral("CLE"), QStringLiteral("EXERCICE")},
                {db::Value(QString::fromLatin1(id)), db::Value(u"A"), db::Value(2023)}));
            DeclarationWriter writer(module);
            writer.generate(out);
            counts.insert(QString::fromLatin1(id) + u'A', writer.problems().size());
        }
        QString error;
        const QHash<QString, QString> verdicts = Xsd11Oracle::verdicts(out, &error);
        QVERIFY2(verdicts.size() == 3, qPrintable(error));
        for (const QString& id : {QStringLiteral("1234567A"), QStringLiteral("7654321A")}) {
            const QString verdict = verdicts.value(QStringLiteral("FDPT-%1-2023.xml").arg(id));
            QVERIFY2(verdict.isEmpty(), qPrintable(id + u' ' + verdict));
            QCOMPARE(counts.value(id), 0);
        }
        QVERIFY(!verdicts.value(QStringLiteral("FDPT-0456789A-2023.xml")).isEmpty());
        QCOMPARE(counts.value(QStringLiteral("0456789A")), 5);
    }

    // New databases offer exactly the codes the schema accepts, named in French.
    void referenceListsAreTheSchemasCodes() {
        QHash<QString, QStringList> enumerations;
        QXmlStreamReader reader(DeclarationValidator::schemaText());
        QString type;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement() && reader.name() == QLatin1StringView("simpleType")) {
                type = reader.attributes().value(QLatin1StringView("name")).toString();
            } else if (reader.isStartElement() &&
                       reader.name() == QLatin1StringView("enumeration")) {
                enumerations[type].append(
                    reader.attributes().value(QLatin1StringView("value")).toString());
            }
        }
        auto codes = [](const QVector<ReferenceRow>& rows) {
            QStringList result;
            for (const ReferenceRow& row : rows) {
                // A row without a name shows as its code alone: make it fail the comparison.
                result.append(row.label.isEmpty() ? row.code + QStringLiteral(" sans nom")
                                                  : row.code);
            }
            return result;
        };
        QStringList states = enumerations.value(QStringLiteral("T_EtatTerritoire"));
        QStringList currencies = enumerations.value(QStringLiteral("T_Devise"));
        states.sort();
        currencies.sort();
        QCOMPARE(codes(ReferenceData::states()), states);
        QCOMPARE(codes(ReferenceData::currencies()), currencies);

        auto label = [](const QVector<ReferenceRow>& rows, const char* code) {
            for (const ReferenceRow& row : rows) {
                if (row.code == QLatin1StringView(code)) {
                    return row.label;
                }
            }
            return QString();
        };
        QCOMPARE(label(ReferenceData::states(), "TN"), QStringLiteral("Tunisie"));
        QCOMPARE(label(ReferenceData::states(), "DE"), QStringLiteral("Allemagne"));
        QCOMPARE(label(ReferenceData::states(), "XK"), QStringLiteral("Kosovo"));
        QCOMPARE(label(ReferenceData::currencies(), "TND"), QStringLiteral("Dinar tunisien"));
        QVERIFY(label(ReferenceData::currencies(), "VEF").startsWith(QStringLiteral("Bolívar")));

        // iso-codes gives these only in English; the lists name them in French.
        QCOMPARE(label(ReferenceData::currencies(), "AZN"), QStringLiteral("Manat azerbaïdjanais"));
        QCOMPARE(label(ReferenceData::currencies(), "USN"),
                 QStringLiteral("Dollar des États-Unis (jour suivant)"));
        QCOMPARE(label(ReferenceData::states(), "TR"), QStringLiteral("Turquie"));

        // The built-in schema is the published one.
        QFile published(QStringLiteral(ARDOZ_FDPT_XSD));
        QVERIFY(published.open(QIODevice::ReadOnly));
        QCOMPARE(DeclarationValidator::schemaText(), published.readAll());
        QCOMPARE(DeclarationValidator::schemaVersion(), QStringLiteral("2.0"));
    }

    // A name that iso-codes leaves in English reaches the lists only where French writes it
    // the same way and ReferenceComplements.tsv says so: a new one fails here, named.
    void noReferenceNameIsLeftInEnglish() {
        QHash<QString, QString> marques;
        QFile complements(QStringLiteral(ARDOZ_REFERENCE_COMPLEMENTS));
        QVERIFY(complements.open(QIODevice::ReadOnly));
        for (const QByteArray& line : complements.readAll().split('\n')) {
            const QStringList fields = QString::fromUtf8(line).split(u'\t');
            if (fields.size() == 3 && fields[0].endsWith(QLatin1StringView("-same"))) {
                marques.insert(fields[0].chopped(5) + u' ' + fields[1], fields[2]);
            }
        }
        QVERIFY(marques.contains(QStringLiteral("state CA")));

        const auto anglais = [](const char* fichier, const char* liste, const char* cle) {
            QFile json(QStringLiteral(ARDOZ_ISO_CODES_JSON "/") + QLatin1StringView(fichier));
            QHash<QString, QString> noms;
            if (!json.open(QIODevice::ReadOnly)) {
                return noms;
            }
            const QJsonArray entrees = QJsonDocument::fromJson(json.readAll())
                                           .object()
                                           .value(QLatin1StringView(liste))
                                           .toArray();
            for (const QJsonValue& e : entrees) {
                noms.insert(e.toObject().value(QLatin1StringView(cle)).toString(),
                            e.toObject().value(QStringLiteral("name")).toString());
            }
            return noms;
        };
        const QHash<QString, QString> etats = anglais("iso_3166-1.json", "3166-1", "alpha_2");
        const QHash<QString, QString> devises = anglais("iso_4217.json", "4217", "alpha_3");
        QVERIFY(etats.size() > 200 && devises.size() > 100);

        QStringList enAnglais;
        QStringList marquesEnTrop;
        const auto verifier = [&](const char* genre, const QVector<ReferenceRow>& lignes,
                                  const QHash<QString, QString>& noms) {
            for (const ReferenceRow& r : lignes) {
                const QString cle = QLatin1StringView(genre) + u' ' + r.code;
                const bool anglaisSeul = noms.value(r.code) == r.label;
                if (anglaisSeul && marques.value(cle) != r.label) {
                    enAnglais.append(cle + QStringLiteral(" « ") + r.label + QStringLiteral(" »"));
                }
                if (!anglaisSeul && marques.contains(cle)) {
                    marquesEnTrop.append(cle);
                }
            }
        };
        verifier("state", ReferenceData::states(), etats);
        verifier("currency", ReferenceData::currencies(), devises);
        QVERIFY2(enAnglais.isEmpty(),
                 qPrintable(QStringLiteral("left in English, to name in French or mark as the "
                                           "same in ReferenceComplements.tsv: ") +
                            enAnglais.join(QStringLiteral(", "))));
        QVERIFY2(marquesEnTrop.isEmpty(), qPrintable(marquesEnTrop.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(TestDeclarationCheck)
#include "tst_declaration_check.moc"
