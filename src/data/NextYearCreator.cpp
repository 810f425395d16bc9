#include "data/NextYearCreator.h"

#include "data/Schema.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"

#include <QStringList>

namespace {

// What becomes of each column of the company row. Every column of SOCIETE is in exactly one
// of these lists (checked when the row is written), so that a column added to the table one
// day is not carried over or dropped by accident.
const QStringList kCopied = {
    QStringLiteral("MFISCAL"),
    QStringLiteral("CLE"),
    QStringLiteral("TVA"),
    QStringLiteral("CATEGORIE"),
    QStringLiteral("RAISONSOCIALE"),
    QStringLiteral("FORMEJURIDIQUE"),
    QStringLiteral("NATIONALITE"),
    QStringLiteral("ADRESSE"),
    QStringLiteral("CODEPOSTAL"),
    QStringLiteral("ACTIVITEPRINCIPALE"),
    QStringLiteral("ACTIVITESECONDAIRE"),
    QStringLiteral("QUALITE"),
    QStringLiteral("AUTRESQUALITE"),
    QStringLiteral("DESCRIPTIONACTIVITESPRINCIPALES"),
    QStringLiteral("TYPEDECLARATION"),
    QStringLiteral("NATUREDATEFIN"),
    QStringLiteral("DESCRIPTIONREGIMEFISCAL"),
};
const QStringList kMoved = {QStringLiteral("DATEDEBUT"), QStringLiteral("DATEFIN")};
// The answers that hold for year N alone.
const QStringList kEmptied = {
    QStringLiteral("CHIFFREAFFAIREANNUEL"),
    QStringLiteral("CODEACTE"),
    QStringLiteral("AFFIRMATION"),
    QStringLiteral("DESCRIPTION"),
    QStringLiteral("AFFIRMATIONCHANGEMENTCAPITAL"),
    QStringLiteral("DESCRIPTIONCHANGCAPITAL"),
    QStringLiteral("AFFIRMATIONBIENSERVICE"),
    QStringLiteral("AFFIRMATIONBIENSERVICEAVECCONTR"),
    QStringLiteral("AFFIRMATIONACCORDPREALABLE"),
    QStringLiteral("AUTRESINFORMATIONS"),
};
const QString kExercice = QStringLiteral("EXERCICE");

const QString kLoans = QStringLiteral("OPERATIONPRETEMPRUNT");

/// The detail tables carried over, in the order they are written, with the page they count in.
struct Carried {
    const char16_t* table;
    qint64 NextYearCreator::Counts::*count;
};
constexpr Carried kCarried[] = {
    {u"CAPITALLIEE", &NextYearCreator::Counts::capitalLinks},
    {u"CAPITALDECLARANTE", &NextYearCreator::Counts::capitalLinks},
    {u"INFORMATIONGROUPE", &NextYearCreator::Counts::groupRecords},
    {u"LISTEACTIFINCORPOREL", &NextYearCreator::Counts::assets},
    {u"LISTEACTIFCORPOREL", &NextYearCreator::Counts::assets},
    {u"OPERATIONPRETEMPRUNT", &NextYearCreator::Counts::loans},
};

/// The page a carried table belongs to, as the refusal names it.
QString pageName(const QString& table) {
    if (table.startsWith(u"CAPITAL")) {
        return QStringLiteral("liens en capital");
    }
    if (table == u"INFORMATIONGROUPE") {
        return QStringLiteral("informations du groupe");
    }
    if (table.startsWith(u"LISTEACTIF")) {
        return QStringLiteral("actifs");
    }
    return QStringLiteral("prêts et emprunts");
}

const QString kSavepoint = QStringLiteral("EXERCICE_SUIVANT");

/// "3 liens en capital", "1 lien en capital", "aucun lien en capital".
QString counted(qint64 count, const QString& none, const QString& one, const QString& many) {
    if (count == 0) {
        return none;
    }
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

/**
 * "insert into T (...) select ... from T where ...": every row of the company and year N,
 * stamped with the full identifier and N+1. A loan keeps its closing balance as its opening
 * and closing balance, with no movement, and a loan closed at zero stays behind.
 */
QString carrySql(const TableDef& table) {
    const bool loans = table.name == kLoans;
    QStringList columns;
    QStringList values;
    for (const FieldDef& f : table.fields) {
        columns.append(f.name);
        if (f.name == u"MFISCAL") {
            values.append(QStringLiteral("cast(:mfiscal as varchar(8))"));
        } else if (f.name == kExercice) {
            values.append(QStringLiteral("cast(:suivant as integer)"));
        } else if (loans && (f.name == u"SOLDEOUVERTURE" || f.name == u"SOLDECLOTURE")) {
            values.append(QStringLiteral("SOLDECLOTURE"));
        } else if (loans && (f.name == u"AUGMENTATIONS" || f.name == u"DIMINUTIONS")) {
            values.append(QStringLiteral("0"));
        } else {
            values.append(f.name);
        }
    }
    QString sql =
        QStringLiteral(
            "insert into %1 (%2) select %3 from %1 where MFISCAL = :mfiscal "
            "and EXERCICE = :exercice")
            .arg(table.name, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
    if (loans) {
        sql += QStringLiteral(" and SOLDECLOTURE <> 0");
    }
    return sql;
}

/// Runs @p sql, without parameters, in the module's transaction.
void run(TDataprix& module, const QString& sql) {
    db::Statement statement(module.IBTransaction1);
    statement.prepare(sql);
    statement.execute();
}

}  // namespace

NextYearCreator::NextYearCreator(TDataprix& module) : m_module(module) {}

QDate NextYearCreator::oneYearLater(const QDate& date) {
    if (!date.isValid()) {
        return date;
    }
    if (date.month() == 2 && date.day() == date.daysInMonth()) {
        const QDate march = QDate(date.year() + 1, 3, 1);
        return march.addDays(-1);
    }
    return date.addYears(1);
}

QString NextYearCreator::deSociete(const QString& raisonSociale, const QString& identifiant) {
    const QString nom = raisonSociale.trimmed();
    if (nom.isEmpty()) {
        return QStringLiteral("de ") + identifiant;
    }
    // Elided before a vowel, accented or not; a name that begins with an "h" is left alone,
    // as French cannot tell from the letter alone.
    const QChar initiale = nom.normalized(QString::NormalizationForm_D).front().toLower();
    const bool voyelle = QStringView(u"aeiouy").contains(initiale);
    return QStringLiteral("%1%2 (%3)").arg(voyelle ? u"d'" : u"de ", nom, identifiant);
}

QString NextYearCreator::sentence(int year, const Counts& counts) {
    const QStringList parts = {
        counted(counts.capitalLinks, QStringLiteral("aucun lien en capital"),
                QStringLiteral("lien en capital"), QStringLiteral("liens en capital")),
        counted(counts.groupRecords, QStringLiteral("aucune fiche groupe"),
                QStringLiteral("fiche groupe"), QStringLiteral("fiches groupe")),
        counted(counts.assets, QStringLiteral("aucun actif"), QStringLiteral("actif"),
                QStringLiteral("actifs")),
        counted(counts.loans, QStringLiteral("aucun prêt reporté"), QStringLiteral("prêt reporté"),
                QStringLiteral("prêts reportés")),
    };
    return QStringLiteral("Exercice %1 créé : %2.").arg(year).arg(parts.join(QStringLiteral(", ")));
}

NextYearCreator::Result NextYearCreator::create(const QString& mfiscal, const QString& cle,
                                                int exercice) {
    m_module.ensureConnected();
    const int suivant = exercice + 1;
    const QString identifiant = mfiscal + cle;
    const TableDef& societe = Schema::table(QStringLiteral("SOCIETE"));
    QStringList columns;
    for (const FieldDef& f : societe.fields) {
        columns.append(f.name);
    }

    // Year N, read in the transaction: a change saved a moment ago is carried over too.
    db::Statement lecture(m_module.IBTransaction1);
    lecture.prepare(QStringLiteral("select %1 from SOCIETE where MFISCAL = :mfiscal and CLE = "
                                   ":cle and EXERCICE = :exercice")
                        .arg(columns.join(QStringLiteral(", "))));
    lecture.setParam(QStringLiteral("mfiscal"), mfiscal);
    lecture.setParam(QStringLiteral("cle"), cle);
    lecture.setParam(QStringLiteral("exercice"), exercice);
    lecture.execute();
    Result result;
    if (!lecture.fetch()) {
        result.outcome = Outcome::YearMissing;
        result.text = QStringLiteral(
                          "La société %1 n'a pas d'exercice %2 : l'exercice %3 n'a pas "
                          "été créé.")
                          .arg(identifiant)
                          .arg(exercice)
                          .arg(suivant);
        return result;
    }
    const QVector<db::Value> anneeN = lecture.row();
    lecture.closeCursor();
    const QString deNommee = deSociete(
        anneeN.at(columns.indexOf(QStringLiteral("RAISONSOCIALE"))).toText(), identifiant);

    // Counts the rows of year N+1 that @p sql selects.
    auto countRows = [&](const QString& sql, const QString& company) {
        db::Statement statement(m_module.IBTransaction1);
        statement.prepare(sql);
        statement.setParam(QStringLiteral("mfiscal"), company);
        statement.setParam(QStringLiteral("cle"), cle);
        statement.setParam(QStringLiteral("exercice"), suivant);
        statement.execute();
        return statement.fetch() ? statement.row().at(0).toInt() : 0;
    };
    if (countRows(QStringLiteral("select count(*) from SOCIETE where MFISCAL = :mfiscal and "
                                 "CLE = :cle and EXERCICE = :exercice"),
                  mfiscal) > 0) {
        result.outcome = Outcome::NextYearExists;
        result.text = QStringLiteral("L'exercice %1 %2 existe déjà : rien n'a été créé.")
                          .arg(suivant)
                          .arg(deNommee);
        return result;
    }
    // Rows of N+1 left behind when that year of the company was deleted would collide with
    // the copies (same line numbers) or be mixed with them: the user decides, not this.
    QStringList restes;
    for (const Carried& c : kCarried) {
        const QString table = QString::fromUtf16(c.table);
        if (countRows(QStringLiteral("select count(*) from %1 where MFISCAL = :mfiscal and "
                                     "EXERCICE = :exercice")
                          .arg(table),
                      identifiant) > 0 &&
            !restes.contains(pageName(table))) {
            restes.append(pageName(table));
        }
    }
    if (!restes.isEmpty()) {
        result.outcome = Outcome::NextYearExists;
        result.text = QStringLiteral(
                          "L'exercice %1 %2 a déjà des lignes enregistrées (%3), "
                          "sans fiche de société : rien n'a été créé.")
                          .arg(suivant)
                          .arg(deNommee, restes.join(QStringLiteral(", ")));
        return result;
    }

    run(m_module, QStringLiteral("savepoint ") + kSavepoint);
    try {
        QStringList params;
        db::Statement insertion(m_module.IBTransaction1);
        for (int i = 0; i < columns.size(); ++i) {
            params.append(QStringLiteral(":p%1").arg(i));
        }
        insertion.prepare(
            QStringLiteral("insert into SOCIETE (%1) values (%2)")
                .arg(columns.join(QStringLiteral(", ")), params.join(QStringLiteral(", "))));
        for (int i = 0; i < columns.size(); ++i) {
            const QString& column = columns.at(i);
            db::Value value;
            if (column == kExercice) {
                value = suivant;
            } else if (kMoved.contains(column)) {
                const QDate date = anneeN.at(i).toDate();
                value = date.isValid() ? db::Value(oneYearLater(date)) : db::Value();
            } else if (kCopied.contains(column)) {
                value = anneeN.at(i);
            } else {
                Q_ASSERT_X(kEmptied.contains(column), "NextYearCreator",
                           "a column of SOCIETE with no rule for the next year");
            }
            insertion.setParam(QStringLiteral("p%1").arg(i), value);
        }
        insertion.execute();

        for (const Carried& c : kCarried) {
            db::Statement copie(m_module.IBTransaction1);
            copie.prepare(carrySql(Schema::table(QString::fromUtf16(c.table))));
            copie.setParam(QStringLiteral("mfiscal"), identifiant);
            copie.setParam(QStringLiteral("exercice"), exercice);
            copie.setParam(QStringLiteral("suivant"), suivant);
            copie.execute();
            result.counts.*(c.count) += copie.affectedRows();
        }
        m_module.commitRetaining();
    } catch (const db::DatabaseError& e) {
        try {
            run(m_module, QStringLiteral("rollback to savepoint ") + kSavepoint);
            run(m_module, QStringLiteral("release savepoint ") + kSavepoint);
        } catch (const db::DatabaseError&) {
            // The transaction went with the connection: nothing of N+1 was committed either.
        }
        throw db::DatabaseError(QStringLiteral("L'exercice %1 %2 n'a pas été créé : %3")
                                    .arg(suivant)
                                    .arg(deNommee, e.text()),
                                e.kind());
    }
    result.outcome = Outcome::Created;
    result.text = sentence(suivant, result.counts);
    return result;
}
