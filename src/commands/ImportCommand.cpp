#include "commands/ImportCommand.h"

#include "commands/CommandLine.h"
#include "commands/SocieteCommand.h"
#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "import/ImportError.h"
#include "import/ImportateurLignes.h"
#include "import/LecteurSource.h"

#include <QTextStream>

namespace {

/// The values given on the command line; empty when not given.
struct Options {
    explicit Options(const CommandOptions& given)
        : file(given.value(u"--import")),
          page(given.value(u"--page")),
          company(given.value(u"--company")),
          year(given.value(u"--year")),
          database(given.value(u"--database")),
          sheet(given.value(u"--sheet")),
          firstRow(given.value(u"--first-row")),
          separator(given.value(u"--separator")) {}

    QString file;
    QString page;
    QString company;
    QString year;
    QString database;
    QString sheet;
    QString firstRow;
    QString separator;
};

int code(ImportCommand::Exit exit) {
    return static_cast<int>(exit);
}

}  // namespace

QString ImportCommand::usage() {
    return CommandLine::usage(u"--import");
}

int ImportCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    return CommandLine::run(arguments, out, err);
}

int ImportCommand::execute(const CommandOptions& given, QTextStream& out, QTextStream& err) {
    const Options options(given);
    auto usageError = [&err](const QString& text) {
        err << text << '\n' << usage() << Qt::endl;
        return code(Exit::Usage);
    };

    bool ok = false;
    const int page = options.page.trimmed().toInt(&ok);
    if (!ok || page < 1 || page > 4) {
        return usageError(
            QStringLiteral("Page non valable : %1 (1, 2, 3 ou 4).").arg(options.page));
    }
    SocieteCommand::Cible cible;
    if (const QString faute = SocieteCommand::lire(options.company, options.year, cible);
        !faute.isEmpty()) {
        return usageError(faute);
    }
    ReglageImport reglage = ReglageImport::pourPage(page);
    const std::optional<FormatSource> format = formatDuFichier(options.file);
    if (!format) {
        return usageError(QStringLiteral("Extension de fichier non reconnue : %1 (formats lus : "
                                         ".xlsx, .xlsm, .xls, .ods, .csv, .txt, .html, .htm, "
                                         ".xml, .dbf).")
                              .arg(options.file));
    }
    reglage.format = *format;
    if (reglage.format == FormatSource::Texte) {
        reglage.valeurs = FormatsValeurs::francais();
    }
    if (!options.firstRow.isEmpty()) {
        const int row = options.firstRow.trimmed().toInt(&ok);
        if (!ok || row < 1) {
            return usageError(QStringLiteral("Première ligne non valable : %1 (un nombre à partir "
                                             "de 1).")
                                  .arg(options.firstRow));
        }
        reglage.premiereLigne = row;
    }
    if (!options.separator.isEmpty()) {
        const QString s = options.separator;
        if (s.compare(QLatin1StringView("tab"), Qt::CaseInsensitive) == 0 || s == u"\\t") {
            reglage.texte.separateur = u'\t';
        } else if (s.size() == 1 && s != u"\"" && s != u"\n" && s != u"\r") {
            reglage.texte.separateur = s.at(0);
        } else {
            return usageError(
                QStringLiteral("Séparateur non valable : %1 (un caractère, ou tab).").arg(s));
        }
    }

    // The file first: nothing is connected for a file that cannot be read.
    Classeur classeur;
    try {
        classeur = LecteurSource::lire(options.file, reglage.format, reglage.texte);
    } catch (const ImportError& e) {
        err << e.text() << Qt::endl;
        return code(Exit::FileUnreadable);
    }
    const FeuilleSource* feuille = &classeur.feuilles.front();
    if (!options.sheet.isEmpty()) {
        feuille = classeur.feuille(options.sheet);
        if (!feuille) {
            err << QStringLiteral("La feuille « %1 » n'existe pas dans le fichier ; feuilles : %2.")
                       .arg(options.sheet, classeur.nomsFeuilles().join(QStringLiteral(", ")))
                << Qt::endl;
            return code(Exit::FileUnreadable);
        }
    }
    if (feuille->estVide()) {
        err << QStringLiteral("La feuille « %1 » ne contient aucune donnée.").arg(feuille->nom)
            << Qt::endl;
        return code(Exit::FileUnreadable);
    }

    TDataprix* const previous = Dataprix;
    int result = code(Exit::Success);
    {
        TDataprix module;
        result = static_cast<int>(SocieteCommand::ouvrir(module, options.database, cible, err));
        if (result == code(Exit::Success)) {
            try {
                Dataset& lignes = *module.dataset(ReglageImport::datasetDeLaPage(page));
                module.openForActiveCompany(lignes);
                ImportateurLignes importateur(lignes, reglage);
                const BilanImport bilan = importateur.importer(*feuille);
                if (bilan.probleme) {
                    err << bilan.rapport() << Qt::endl;
                    result = code(Exit::RowFailed);
                } else {
                    out << bilan.rapport() << Qt::endl;
                }
            } catch (const db::DatabaseError& e) {
                err << e.text() << Qt::endl;
                result = code(Exit::DatabaseFailed);
            }
        }
    }
    Dataprix = previous;
    return result;
}
