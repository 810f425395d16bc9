#include "commands/ImportCommand.h"

#include "commands/SocieteCommand.h"
#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "import/ImportError.h"
#include "import/ImportateurLignes.h"
#include "import/LecteurSource.h"

#include <QHash>
#include <QTextStream>

namespace {

struct Options {
    QString file;
    QString page;
    QString company;
    QString year;
    QString database;
    QString sheet;
    QString firstRow;
    QString separator;
    bool fileGiven = false;
};

int code(ImportCommand::Exit exit) {
    return static_cast<int>(exit);
}

QString parse(const QStringList& arguments, Options& options) {
    const QHash<QString, QString*> valued = {
        {QStringLiteral("--import"), &options.file},
        {QStringLiteral("--page"), &options.page},
        {QStringLiteral("--company"), &options.company},
        {QStringLiteral("--year"), &options.year},
        {QStringLiteral("--database"), &options.database},
        {QStringLiteral("--sheet"), &options.sheet},
        {QStringLiteral("--first-row"), &options.firstRow},
        {QStringLiteral("--separator"), &options.separator},
    };
    QSet<QString> seen;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
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
        if (seen.contains(name)) {
            return QStringLiteral("L'option %1 est donnée deux fois.").arg(name);
        }
        seen.insert(name);
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                return QStringLiteral("L'option %1 attend une valeur.").arg(name);
            }
            value = arguments.at(++i);
        }
        **target = value;
    }
    if (options.file.isEmpty()) {
        return QStringLiteral("Le fichier à importer manque (--import FICHIER).");
    }
    if (options.page.isEmpty()) {
        return QStringLiteral("La page manque (--page 1 à 4).");
    }
    if (options.company.isEmpty()) {
        return QStringLiteral("L'identifiant de la société manque (--company).");
    }
    if (options.year.isEmpty()) {
        return QStringLiteral("L'exercice manque (--year).");
    }
    return QString();
}

}  // namespace

QString ImportCommand::usage() {
    return QStringLiteral(
        "Usage : ardoz --import FICHIER --page N --company IDENTIFIANT --year EXERCICE "
        "[--database FICHIER] [--sheet FEUILLE] [--first-row LIGNE] [--separator CARACTERE]\n"
        "N : 1 montants des transactions, 2 prêts et emprunts, 3 opérations sans contrepartie "
        "monétaire, 4 opérations avec accord préalable.");
}

int ImportCommand::run(const QStringList& arguments) {
    return SocieteCommand::surFluxStandard(
        [&arguments](QTextStream& out, QTextStream& err) { return run(arguments, out, err); });
}

int ImportCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Options options;
    if (const QString problem = parse(arguments, options); !problem.isEmpty()) {
        err << problem << '\n' << usage() << Qt::endl;
        return code(Exit::Usage);
    }
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
