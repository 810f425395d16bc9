#include "commands/GenerateCommand.h"

#include "commands/SocieteCommand.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "declaration/DeclarationError.h"
#include "declaration/DeclarationValidator.h"
#include "declaration/DeclarationWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTextStream>

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
    return SocieteCommand::surFluxStandard(
        [&arguments](QTextStream& out, QTextStream& err) { return run(arguments, out, err); });
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

    SocieteCommand::Cible cible;
    if (const QString faute = SocieteCommand::lire(options.company, options.year, cible);
        !faute.isEmpty()) {
        err << faute << Qt::endl;
        return code(Exit::Usage);
    }
    const QString& identifiant = cible.identifiant;
    const QString& yearText = cible.exerciceTexte;
    const QString folder = options.output.isEmpty() ? QDir::currentPath() : options.output;

    // The command may run inside a program that has its own data module; that one is
    // the active one again once the command is done.
    TDataprix* const previous = Dataprix;
    int result = code(Exit::Success);
    {
        TDataprix module;
        result = static_cast<int>(SocieteCommand::ouvrir(module, options.database, cible, err));
        if (result == code(Exit::Success)) {
            try {
                if (check) {
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
