#include "commands/SocieteCommand.h"

#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"

#include <QRegularExpression>
#include <QTextStream>

QString SocieteCommand::lire(const QString& company, const QString& year, Cible& cible) {
    cible.identifiant = company.trimmed().toUpper();
    if (cible.identifiant.size() < 2 || cible.identifiant.size() > 8 ||
        !cible.identifiant.back().isLetter()) {
        return QStringLiteral(
                   "Identifiant de société non valable : %1 (matricule fiscal suivi de la clé, "
                   "par exemple 1234567A).")
            .arg(company);
    }
    static const QRegularExpression yearPattern(QStringLiteral("^\\d{1,9}$"));
    cible.exerciceTexte = year.trimmed();
    if (!yearPattern.match(cible.exerciceTexte).hasMatch()) {
        return QStringLiteral("Exercice non valable : %1 (une année, par exemple 2023).").arg(year);
    }
    cible.mfiscal = cible.identifiant.chopped(1);
    cible.cle = cible.identifiant.right(1);
    cible.exercice = cible.exerciceTexte.toInt();
    return QString();
}

SocieteCommand::Ouverture SocieteCommand::ouvrir(TDataprix& module, const QString& database,
                                                 const Cible& cible, QTextStream& err) {
    try {
        if (database.isEmpty()) {
            module.DataModuleCreate();
        } else {
            // The file in use gives the login even when --database names another base.
            module.idataprix.setCredentials(Configuration::find().credentials());
            module.connectTo(database);
        }
    } catch (const db::DatabaseError& e) {
        err << QStringLiteral("Connexion à la base de données impossible : %1").arg(e.text())
            << Qt::endl;
        return Ouverture::BaseInaccessible;
    }
    try {
        Dataset& societe = *module.societe;
        societe.open();
        // Asked of the server: the company list is fetched only as it is read.
        db::Statement connue(module.IBTransaction1);
        connue.prepare(
            QStringLiteral("select count(*) from SOCIETE where MFISCAL = :mfiscal and CLE = :cle"));
        connue.setParam(QStringLiteral("mfiscal"), db::Value(cible.mfiscal));
        connue.setParam(QStringLiteral("cle"), db::Value(cible.cle));
        connue.execute();
        const bool companyKnown = connue.fetch() && connue.row().at(0).toInt() > 0;
        if (!companyKnown) {
            err << QStringLiteral("Société inconnue : aucune société n'a l'identifiant %1.")
                       .arg(cible.identifiant)
                << Qt::endl;
            return Ouverture::SocieteInconnue;
        }
        if (!societe.locate(
                {QStringLiteral("MFISCAL"), QStringLiteral("CLE"), QStringLiteral("EXERCICE")},
                {db::Value(cible.mfiscal), db::Value(cible.cle), db::Value(cible.exercice)})) {
            err << QStringLiteral("Exercice inconnu : la société %1 n'a pas d'exercice %2.")
                       .arg(cible.identifiant, cible.exerciceTexte)
                << Qt::endl;
            return Ouverture::ExerciceInconnu;
        }
    } catch (const db::DatabaseError& e) {
        err << e.text() << Qt::endl;
        return Ouverture::BaseInaccessible;
    }
    return Ouverture::Ouverte;
}
