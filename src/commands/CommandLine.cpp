#include "commands/CommandLine.h"

#include "commands/BackupCommand.h"
#include "commands/CreateDatabaseCommand.h"
#include "commands/GenerateCommand.h"
#include "commands/ImportCommand.h"
#include "commands/NextYearCommand.h"

#include <QTextStream>
#include <cstdio>
#include <vector>

namespace {

using Use = OptionSpec::Use;

// The options several modes share.
constexpr OptionSpec kCompany{u"--company", u"IDENTIFIANT", Use::Required,
                              u"L'identifiant de la société manque (--company)."};
constexpr OptionSpec kYear{u"--year", u"EXERCICE", Use::Required, u"L'exercice manque (--year)."};
constexpr OptionSpec kDatabase{u"--database", u"FICHIER", Use::Optional};
constexpr const char16_t* kBackupOrRestore =
    u"Indiquez soit --backup FICHIER, soit --restore FICHIER DOSSIER.";

const OptionSpec kCreateDatabase[] = {
    {u"--create-database", u"DOSSIER", Use::Required,
     u"Le dossier de la nouvelle base manque (--create-database DOSSIER)."},
    {u"--demo", nullptr, Use::Optional},
};
const OptionSpec kGenerate[] = {
    {u"--generate", nullptr, Use::Required},     kCompany,  kYear,
    {u"--output", u"REPERTOIRE", Use::Optional}, kDatabase, {u"--summary", nullptr, Use::Optional},
};
const OptionSpec kBackup[] = {
    {u"--backup", u"FICHIER.fbk", Use::Required, kBackupOrRestore},
    {u"--database", u"BASE", Use::Optional},
};
const OptionSpec kRestore[] = {
    {u"--restore", u"FICHIER.fbk", Use::Required, kBackupOrRestore},
    {nullptr, u"DOSSIER", Use::Required,
     u"Le dossier de la nouvelle base manque (--restore FICHIER DOSSIER)."},
    {u"--database", u"BASE", Use::Refused, u"--database ne s'emploie qu'avec --backup."},
};
const OptionSpec kCheck[] = {
    {u"--check", nullptr, Use::Required},
    kCompany,
    kYear,
    kDatabase,
    {u"--output", u"REPERTOIRE", Use::Refused,
     u"Le contrôle n'écrit aucun fichier : --output ne s'emploie pas avec --check."},
};
const OptionSpec kImport[] = {
    {u"--import", u"FICHIER", Use::Required, u"Le fichier à importer manque (--import FICHIER)."},
    {u"--page", u"N", Use::Required, u"La page manque (--page 1 à 4)."},
    kCompany,
    kYear,
    kDatabase,
    {u"--sheet", u"FEUILLE", Use::Optional},
    {u"--first-row", u"LIGNE", Use::Optional},
    {u"--separator", u"CARACTERE", Use::Optional},
};
const OptionSpec kNextYear[] = {
    {u"--next-year", nullptr, Use::Required},
    kCompany,
    kYear,
    kDatabase,
};
const OptionSpec kHelp[] = {{u"--help", nullptr, Use::Required, nullptr, u"-h"}};
const OptionSpec kVersion[] = {{u"--version", nullptr, Use::Required}};

int help(const CommandOptions&, QTextStream& out, QTextStream&) {
    out << CommandLine::help() << Qt::flush;
    return 0;
}

int version(const CommandOptions&, QTextStream& out, QTextStream&) {
    out << CommandLine::version() << Qt::endl;
    return 0;
}

/// Every mode without a window, in the order of the help.
const CommandMode kModes[] = {
    {kCreateDatabase,
     u"crée une base de déclaration neuve DOSSIER/TALMORIX.gdb (DOSSIER peut être "
     u"serveur[/port]:/chemin, un dossier existant du serveur) ; --demo y ajoute les sociétés "
     u"de démonstration",
     nullptr, CreateDatabaseCommand::execute},
    {kGenerate,
     u"écrit le fichier de déclaration d'une société et d'un exercice (matricule complet, par "
     u"exemple 1234567A) dans REPERTOIRE, sans ouvrir de fenêtre ; le nombre de problèmes "
     u"relevés par le contrôle sort sur la sortie d'erreur ; --summary écrit à côté le "
     u"récapitulatif PDF FDPT-<matricule>-<exercice>.pdf (rend 8 s'il n'a pu être écrit : "
     u"le fichier XML est gardé)",
     nullptr, GenerateCommand::execute},
    {kBackup,
     u"sauvegarde la base (celle de CheminBase.ini, ou BASE) dans FICHIER.fbk, base ouverte",
     nullptr, BackupCommand::execute},
    {kRestore,
     u"crée DOSSIER/TALMORIX.gdb (DOSSIER peut être serveur:/chemin) à partir d'une "
     u"sauvegarde, jamais par-dessus une base existante",
     nullptr, BackupCommand::execute},
    {kCheck,
     u"contrôle la déclaration d'une société et d'un exercice selon le schéma de "
     u"l'administration, sans écrire de fichier : un problème par ligne sur la sortie standard",
     nullptr, GenerateCommand::execute},
    {kImport,
     u"importe les lignes d'un fichier (.xlsx, .xls, .ods, .csv, .txt, .html, .xml, .dbf) dans "
     u"la page d'opérations N (1 montants, 2 prêts et emprunts, 3 sans contrepartie, 4 accords "
     u"préalables) d'une société et d'un exercice, sans ouvrir de fenêtre",
     u"N : 1 montants des transactions, 2 prêts et emprunts, 3 opérations sans contrepartie "
     u"monétaire, 4 opérations avec accord préalable.",
     ImportCommand::execute},
    {kNextYear,
     u"crée l'exercice EXERCICE + 1 d'une société à partir de l'exercice EXERCICE : "
     u"identification, liens en capital, groupe et actifs recopiés, prêts et emprunts reportés "
     u"avec leur solde de clôture ; rend 7 si l'exercice suivant existe déjà",
     nullptr, NextYearCommand::execute},
    {kHelp, u"affiche cette aide", nullptr, help, true},
    {kVersion, u"affiche la version du programme", nullptr, version, true},
};

// Qt's own options, which the desktop accepts: they are Qt's to read.
const OptionSpec kQtOptions[] = {
    {u"-platform", u"NOM", Use::Optional},
    {u"-platformpluginpath", u"CHEMIN", Use::Unlisted},
    {u"-platformtheme", u"NOM", Use::Unlisted},
    {u"-plugin", u"NOM", Use::Unlisted},
    {u"-display", u"AFFICHAGE", Use::Unlisted},
    {u"-geometry", u"GEOMETRIE", Use::Unlisted},
    {u"-qwindowgeometry", u"GEOMETRIE", Use::Unlisted},
    {u"-qwindowtitle", u"TITRE", Use::Unlisted},
    {u"-qwindowicon", u"ICONE", Use::Unlisted},
    {u"-style", u"STYLE", Use::Unlisted},
    {u"-stylesheet", u"FICHIER", Use::Unlisted},
    {u"-session", u"SESSION", Use::Unlisted},
    {u"-name", u"NOM", Use::Unlisted},
    {u"-title", u"TITRE", Use::Unlisted},
    {u"-reverse", nullptr, Use::Unlisted},
    {u"-widgetcount", nullptr, Use::Unlisted},
    {u"-nograb", nullptr, Use::Unlisted},
    {u"-dograb", nullptr, Use::Unlisted},
    {u"-sync", nullptr, Use::Unlisted},
};
const CommandMode kDesktop = {
    kQtOptions,
    u"l'application (il faut un affichage : DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM ou "
    u"-platform)",
    nullptr, nullptr};

/// The paragraphs at the end of the help.
const char16_t* const kHelpNotes[] = {
    u"Sans --database, la base est celle du fichier de configuration CheminBase.ini, cherché "
    u"dans cet ordre : ../CheminBase.ini (dans le parent du dossier de travail), "
    u"~/.config/Ardoz Prix de Transfert/CheminBase.ini, /etc/ardoz/CheminBase.ini ; le premier "
    u"trouvé est lu et n'est jamais réécrit.",
    u"Chaque option s'écrit --nom valeur ou --nom=valeur, une seule fois.",
    u"Les options de Qt (-platform, -style, -geometry, ...) sont acceptées par l'application.",
    u"SIGINT (Ctrl+C) ou SIGTERM : l'application se ferme comme par « Quitter » ; une commande "
    u"sans fenêtre s'arrête sans laisser de fichier incomplet et rend 128 + le numéro du "
    u"signal.",
    u"Connexion à un serveur Firebird (base serveur[/port]:/chemin) : l'utilisateur, le mot de "
    u"passe et le rôle sont les clés Utilisateur, MotDePasse et Role de la section [CheminBase] "
    u"du fichier de configuration, sinon les variables d'environnement ISC_USER et "
    u"ISC_PASSWORD, sinon SYSDBA et le mot de passe d'origine du programme. Ils servent à "
    u"toutes les commandes, sauvegarde et restauration comprises. Un refus du serveur rend 3.",
};

QString usageLine(const CommandMode& mode) {
    QString line = QStringLiteral("ardoz");
    for (const OptionSpec& def : mode.options) {
        if (const QString part = OptionReader::usage(def); !part.isEmpty()) {
            line += u' ' + part;
        }
    }
    return line;
}

QString modeOption(const CommandMode& mode) {
    return QString::fromUtf16(mode.options.front().name);
}

}  // namespace

CommandLine::CommandLine(const QStringList& arguments) : m_arguments(arguments) {
    std::vector<OptionSpec> every(std::begin(kQtOptions), std::end(kQtOptions));
    for (const CommandMode& mode : kModes) {
        every.insert(every.end(), mode.options.begin(), mode.options.end());
    }
    const QStringList given = OptionReader::given(arguments, every);
    m_drawsDocuments = given.contains(QStringLiteral("--summary"));
    QList<const CommandMode*> asked;
    for (const CommandMode& mode : kModes) {
        if (given.contains(modeOption(mode))) {
            if (mode.answersAlone) {
                m_mode = &mode;
                return;
            }
            asked.append(&mode);
        }
    }
    if (asked.size() > 1) {
        m_problem = QStringLiteral("Une seule commande à la fois : %1 ou %2.")
                        .arg(modeOption(*asked.at(0)), modeOption(*asked.at(1)));
    } else if (asked.size() == 1) {
        m_mode = asked.constFirst();
    } else {
        CommandOptions qtOptions;
        m_problem = OptionReader::read(arguments, kDesktop.options, qtOptions);
    }
}

int CommandLine::run() const {
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int result = run(out, err);
    out.flush();
    err.flush();
    return result;
}

int CommandLine::run(QTextStream& out, QTextStream& err) const {
    if (!m_problem.isEmpty()) {
        err << m_problem << "\n\n" << help() << Qt::flush;
        return kUsageError;
    }
    Q_ASSERT(m_mode);
    CommandOptions options;
    if (!m_mode->answersAlone) {
        if (const QString problem = OptionReader::read(m_arguments, m_mode->options, options);
            !problem.isEmpty()) {
            err << problem << '\n' << usage(modeOption(*m_mode)) << Qt::endl;
            return kUsageError;
        }
    }
    return m_mode->execute(options, out, err);
}

int CommandLine::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    return CommandLine(arguments).run(out, err);
}

QString CommandLine::version() {
    return QStringLiteral("Ardoz Prix de Transfert " ARDOZ_VERSION);
}

QString CommandLine::usage(QStringView option) {
    for (const CommandMode& mode : kModes) {
        if (modeOption(mode) == option) {
            QString text = QStringLiteral("Usage : ") + usageLine(mode);
            if (mode.note) {
                text += u'\n' + QString::fromUtf16(mode.note);
            }
            return text;
        }
    }
    return QString();
}

QString CommandLine::help() {
    QString text = version() + QStringLiteral("\n\nUsage :\n");
    auto describe = [&text](const CommandMode& mode) {
        text += QStringLiteral("  ") + usageLine(mode) + QStringLiteral("\n      ") +
                QString::fromUtf16(mode.description) + u'\n';
    };
    describe(kDesktop);
    for (const CommandMode& mode : kModes) {
        describe(mode);
    }
    for (const char16_t* note : kHelpNotes) {
        text += u'\n' + QString::fromUtf16(note);
    }
    return text + u'\n';
}
