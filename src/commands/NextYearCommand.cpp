#include "commands/NextYearCommand.h"

#include "commands/CommandLine.h"
#include "commands/SocieteCommand.h"
#include "data/NextYearCreator.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"

#include <QTextStream>

namespace {

int code(NextYearCommand::Exit exit) {
    return static_cast<int>(exit);
}

}  // namespace

int NextYearCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    return CommandLine::run(arguments, out, err);
}

int NextYearCommand::execute(const CommandOptions& options, QTextStream& out, QTextStream& err) {
    SocieteCommand::Cible cible;
    if (const QString faute =
            SocieteCommand::lire(options.value(u"--company"), options.value(u"--year"), cible);
        !faute.isEmpty()) {
        err << faute << '\n' << CommandLine::usage(u"--next-year") << Qt::endl;
        return code(Exit::Usage);
    }

    // The command may run inside a program that has its own data module; that one is the
    // active one again once the command is done.
    TDataprix* const previous = Dataprix;
    int result = code(Exit::Success);
    {
        TDataprix module;
        result = static_cast<int>(
            SocieteCommand::ouvrir(module, options.value(u"--database"), cible, err));
        if (result == code(Exit::Success)) {
            try {
                const NextYearCreator::Result r =
                    NextYearCreator(module).create(cible.mfiscal, cible.cle, cible.exercice);
                switch (r.outcome) {
                    case NextYearCreator::Outcome::Created:
                        out << r.text << Qt::endl;
                        break;
                    case NextYearCreator::Outcome::YearMissing:
                        err << r.text << Qt::endl;
                        result = code(Exit::UnknownYear);
                        break;
                    case NextYearCreator::Outcome::NextYearExists:
                        err << r.text << Qt::endl;
                        result = code(Exit::NextYearExists);
                        break;
                }
            } catch (const db::DatabaseError& e) {
                err << e.text() << Qt::endl;
                result = code(Exit::CreationFailed);
            }
        }
    }
    Dataprix = previous;
    return result;
}
