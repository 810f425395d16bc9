#include "declaration/GenerateCommand.h"

#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "declaration/DeclarationError.h"
#include "declaration/DeclarationValidator.h"
#include "declaration/DeclarationWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>

namespace {

struct Options {
    QString company;
    QString year;
    QString output;
    QString database;
};

int code(GenerateCommand::Exit exit) {
    return static_cast<int>(exit);
}

/// Reads the options; returns the French reason when the command line cannot be used.
QString parse(const QStringList& arguments, Options& options) {
    const QHash<QString, QString*> valued = {
        {QStringLiteral("--company"), &options.company},
        {QStringLiteral("--year"), &options.year},
        {QStringLiteral("--output"), &options.output},
        {QStringLiteral("--database"), &options.database},
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1StringView("--generate") ||
            argument == QLatin1StringView("--check")) {
            continue;
        }
        QString name = argument;
        QString value;
        bool hasValue = false;
        const qsizetype equal = argument.indexOf(u'=');
        if (argument.startsWith(QLatin1StringView("--")) && equal > 2) {
            name = argument.left(equal);
            value = argument.mid(equal + 1);
            hasValue = true;
        }
        const auto target = valued.constFind(name);
        if (target == valued.constEnd()) {
            return QStringLiteral("Option inconnue : %1.").arg(argument);
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                return QStringLiteral("L'option %1 attend une valeur.").arg(name);
            }
            value = arguments.at(++i);
        }
        **target = value;
    }
    if (options.company.isEmpty()) {
        return QStringLiteral("L'identifiant de la société manque (--company).");
    }
    if (options.year.isEmpty()) {
        return QStringLiteral("L'exercice manque (--year).");
    }
    return QString();
}

/// "5 problèmes", "1 problème", "aucun problème".
QString problemCount(qsizetype count) {
    if (count == 0) {
        return QStringLiteral("aucun problème");
    }
    return QStringLiteral("%1 problème%2").arg(count).arg(count > 1 ? "s" : "");
}

}  // namespace

QString GenerateCommand::usage() {
    return QStringLiteral(
        "Usage : ardoz --generate --company IDENTIFIANT --year EXERCICE "
        "[--output REPERTOIRE] [--database FICHIER]\n"
        "        ardoz --check --company IDENTIFIANT --year EXERCICE [--database FICHIER]");
}

int GenerateCommand::run(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int result = run(arguments, out, err);
    out.flush();
    err.flush();
    return result;
}

int GenerateCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Options options;
    QString problem = parse(arguments, options);
    const bool check = arguments.contains(QStringLiteral("--check"));
    if (problem.isEmpty() && check && !options.output.isEmpty()) {
        problem = QStringLiteral(
            "Le contrôle n'écrit aucun fichier : --output ne s'emploie pas "
            "avec --check.");
    }
    if (!problem.isEmpty()) {
        err << problem << '\n' << usage() << Qt::endl;
        return code(Exit::Usage);
    }

    // The full identifier: up to 7 characters of MFISCAL, then the key letter.
    const QString identifiant = options.company.trimmed().toUpper();
    if (identifiant.size() < 2 || identifiant.size() > 8 || !identifiant.back().isLetter()) {
        err << QStringLiteral(
                   "Identifiant de société non valable : %1 (matricule fiscal suivi de "
                   "la clé, par exemple 1234567A).")
                   .arg(options.company)
            << Qt::endl;
        return code(Exit::Usage);
    }
    static const QRegularExpression yearPattern(QStringLiteral("^\\d{1,9}$"));
    const QString yearText = options.year.trimmed();
    if (!yearPattern.match(yearText).hasMatch()) {
        err << QStringLiteral("Exercice non valable : %1 (une année, par exemple 2023).")
                   .arg(options.year)
            << Qt::endl;
        return code(Exit::Usage);
    }
    const QString mfiscal = identifiant.chopped(1);
    const QString cle = identifiant.right(1);
    const int exercice = yearText.toInt();
    const QString folder = options.output.isEmpty() ? QDir::currentPath() : options.output;

    // The command may run inside a program that has its own data module; that one is
    // the active one again once the command is done.
    TDataprix* const previous = Dataprix;
    int result = code(Exit::Success);
    {
        TDataprix module;
        try {
            if (options.database.isEmpty()) {
                module.DataModuleCreate();
            } else {
                module.connectTo(options.database);
            }
        } catch (const db::DatabaseError& e) {
            err << QStringLiteral("Connexion à la base de données impossible : %1").arg(e.text())
                << Qt::endl;
            result = code(Exit::DatabaseFailed);
        }

        if (result == code(Exit::Success)) {
            try {
                Dataset& societe = *module.societe;
                societe.open();
                bool companyKnown = false;
                {
                    // Asked of the server: the company list is fetched only as it is read.
                    db::Statement connue(module.IBTransaction1);
                    connue.prepare(QStringLiteral(
                        "select count(*) from SOCIETE where MFISCAL = :mfiscal and CLE = :cle"));
                    connue.setParam(QStringLiteral("mfiscal"), db::Value(mfiscal));
                    connue.setParam(QStringLiteral("cle"), db::Value(cle));
                    connue.execute();
                    companyKnown = connue.fetch() && connue.row().at(0).toInt() > 0;
                }
                if (!companyKnown) {
                    err << QStringLiteral("Société inconnue : aucune société n'a l'identifiant %1.")
                               .arg(identifiant)
                        << Qt::endl;
                    result = code(Exit::UnknownCompany);
                } else if (!societe.locate(
                               {QStringLiteral("MFISCAL"), QStringLiteral("CLE"),
                                QStringLiteral("EXERCICE")},
                               {db::Value(mfiscal), db::Value(cle), db::Value(exercice)})) {
                    err << QStringLiteral("Exercice inconnu : la société %1 n'a pas d'exercice %2.")
                               .arg(identifiant, yearText)
                        << Qt::endl;
                    result = code(Exit::UnknownYear);
                } else if (check) {
                    DeclarationWriter writer(module);
                    writer.check();
                    for (const DeclarationProblem& p : writer.problems()) {
                        out << p.text() << '\n';
                    }
                    out.flush();
                    err << QStringLiteral(
                               "Contrôle de la déclaration %1 de l'exercice %2 selon le "
                               "schéma de l'administration %3 : %4.")
                               .arg(identifiant, yearText, DeclarationValidator::schemaName(),
                                    problemCount(writer.problems().size()))
                        << Qt::endl;
                    result =
                        code(writer.problems().isEmpty() ? Exit::Success : Exit::ProblemsFound);
                } else {
                    DeclarationWriter writer(module);
                    const QString path = writer.generate(folder);
                    out << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) << Qt::endl;
                    err << QStringLiteral("Contrôle selon le schéma de l'administration %1 : %2.")
                               .arg(DeclarationValidator::schemaName(),
                                    problemCount(writer.problems().size()))
                        << Qt::endl;
                }
            } catch (const DeclarationError& e) {
                err << e.text() << Qt::endl;
                result = code(check ? Exit::DocumentNotProduced : Exit::GenerationFailed);
            } catch (const db::DatabaseError& e) {
                err << e.text() << Qt::endl;
                result = code(Exit::DatabaseFailed);
            }
        }
    }
    Dataprix = previous;
    return result;
}
