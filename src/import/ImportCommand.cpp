#include "import/ImportCommand.h"

#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "import/ErreurImport.h"
#include "import/ImportateurLignes.h"
#include "import/LecteurSource.h"

#include <QHash>
#include <QRegularExpression>
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
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int result = run(arguments, out, err);
    out.flush();
    err.flush();
    return result;
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
    const QString identifiant = options.company.trimmed().toUpper();
    if (identifiant.size() < 2 || identifiant.size() > 8 || !identifiant.back().isLetter()) {
        return usageError(QStringLiteral("Identifiant de société non valable : %1 (matricule "
                                         "fiscal suivi de la clé, par exemple 1234567A).")
                              .arg(options.company));
    }
    static const QRegularExpression yearPattern(QStringLiteral("^\\d{1,9}$"));
    const QString yearText = options.year.trimmed();
    if (!yearPattern.match(yearText).hasMatch()) {
        return usageError(QStringLiteral("Exercice non valable : %1 (une année, par exemple 2023).")
                              .arg(options.year));
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
    } catch (const ErreurImport& e) {
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

    const QString mfiscal = identifiant.chopped(1);
    const QString cle = identifiant.right(1);
    const int exercice = yearText.toInt();
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
                } else {
                    Dataset& cible = *module.dataset(ReglageImport::datasetDeLaPage(page));
                    module.openForActiveCompany(cible);
                    ImportateurLignes importateur(cible, reglage);
                    const BilanImport bilan = importateur.importer(*feuille);
                    if (bilan.probleme) {
                        err << bilan.rapport() << Qt::endl;
                        result = code(Exit::RowFailed);
                    } else {
                        out << bilan.rapport() << Qt::endl;
                    }
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
