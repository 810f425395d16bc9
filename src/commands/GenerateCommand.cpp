#include "commands/GenerateCommand.h"

#include "commands/CommandLine.h"
#include "commands/SocieteCommand.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "declaration/DeclarationError.h"
#include "declaration/DeclarationValidator.h"
#include "declaration/DeclarationWriter.h"
#include "summary/DeclarationSummary.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

int code(GenerateCommand::Exit exit) {
    return static_cast<int>(exit);
}

/// "5 problèmes", "1 problème", "aucun problème".
QString problemCount(qsizetype count) {
    if (count == 0) {
        return QStringLiteral("aucun problème");
    }
    return QStringLiteral("%1 problème%2").arg(count).arg(count > 1 ? "s" : "");
}

/// Writes the PDF review of the file at @p path; its failure leaves the file as it is.
int summary(const QString& path, const DeclarationProblems& problems, QTextStream& out,
            QTextStream& err) {
    try {
        const QString pdf = DeclarationSummary::write(path, problems);
        out << QDir::toNativeSeparators(QFileInfo(pdf).absoluteFilePath()) << Qt::endl;
        return code(GenerateCommand::Exit::Success);
    } catch (const DeclarationError& e) {
        err << QStringLiteral(
                   "Le récapitulatif PDF n'a pas été écrit : %1\nLe fichier de "
                   "déclaration %2 est conservé.")
                   .arg(e.text(), QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))
            << Qt::endl;
        return code(GenerateCommand::Exit::SummaryFailed);
    }
}

}  // namespace

int GenerateCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    return CommandLine::run(arguments, out, err);
}

int GenerateCommand::execute(const CommandOptions& options, QTextStream& out, QTextStream& err) {
    const bool check = options.isSet(u"--check");
    SocieteCommand::Cible cible;
    if (const QString faute =
            SocieteCommand::lire(options.value(u"--company"), options.value(u"--year"), cible);
        !faute.isEmpty()) {
        err << faute << Qt::endl;
        return code(Exit::Usage);
    }
    const QString& identifiant = cible.identifiant;
    const QString& yearText = cible.exerciceTexte;
    const QString output = options.value(u"--output");
    const QString folder = output.isEmpty() ? QDir::currentPath() : output;

    // The command may run inside a program that has its own data module; that one is
    // the active one again once the command is done.
    TDataprix* const previous = Dataprix;
    int result = code(Exit::Success);
    {
        TDataprix module;
        result = static_cast<int>(
            SocieteCommand::ouvrir(module, options.value(u"--database"), cible, err));
        if (result == code(Exit::Success)) {
            try {
                if (check) {
                    DeclarationWriter writer(module);
                    // The module goes with the command: no window shows its datasets.
                    writer.setPresenceTestsReopened(false);
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
                    // The module goes with the command: no window shows its datasets.
                    writer.setPresenceTestsReopened(false);
                    const QString path = writer.generate(folder);
                    out << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) << Qt::endl;
                    err << QStringLiteral("Contrôle selon le schéma de l'administration %1 : %2.")
                               .arg(DeclarationValidator::schemaName(),
                                    problemCount(writer.problems().size()))
                        << Qt::endl;
                    if (options.isSet(u"--summary")) {
                        result = summary(path, writer.problems(), out, err);
                    }
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
