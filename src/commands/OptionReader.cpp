#include "commands/OptionReader.h"

#include <QCommandLineParser>
#include <QSet>

namespace {

QString texte(const char16_t* text) {
    return text ? QString::fromUtf16(text) : QString();
}

/// The name QCommandLineParser knows an option by: without its dashes.
QString nomNu(const QString& written) {
    qsizetype dashes = 0;
    while (dashes < 2 && dashes < written.size() && written.at(dashes) == u'-') {
        ++dashes;
    }
    return written.mid(dashes).section(u'=', 0, 0);
}

/// The options of @p defs registered with @p parser, each under its names without dashes.
class Registre {
public:
    Registre(QCommandLineParser& parser, std::span<const OptionSpec> defs) {
        // Qt's options are written with one dash: "-platform" is one option, not nine.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const OptionSpec& def : defs) {
            if (!def.name) {
                continue;
            }
            QStringList names{nomNu(texte(def.name))};
            if (def.alias) {
                names.append(nomNu(texte(def.alias)));
            }
            if (m_defs.contains(names.first())) {
                continue;  // the same option in two modes, when every mode is looked for
            }
            for (const QString& name : names) {
                m_defs.insert(name, &def);
            }
            parser.addOption(def.valueName
                                 ? QCommandLineOption(names, QString(), texte(def.valueName))
                                 : QCommandLineOption(names));
        }
    }

    const OptionSpec* def(const QString& name) const { return m_defs.value(name); }

private:
    QHash<QString, const OptionSpec*> m_defs;
};

/// The argument that wrote the option @p name: "--feuille=x" for "feuille".
QString ecrit(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith(u'-') && nomNu(argument) == name) {
            return argument;
        }
    }
    return QStringLiteral("--") + name;
}

}  // namespace

QString OptionReader::read(const QStringList& arguments, std::span<const OptionSpec> defs,
                           CommandOptions& options) {
    QCommandLineParser parser;
    const Registre registre(parser, defs);
    const bool parsed = parser.parse(arguments);

    if (!parser.unknownOptionNames().isEmpty()) {
        return QStringLiteral("Option inconnue : %1.")
            .arg(ecrit(arguments, parser.unknownOptionNames().constFirst()));
    }
    if (!parsed) {
        // The parser stops short only at the last argument, an option that wants a value, or
        // at an option that takes none written with one.
        const QString& last = arguments.constLast();
        const OptionSpec* def = registre.def(nomNu(last));
        if (def && def->valueName && !last.contains(u'=')) {
            return QStringLiteral("L'option %1 attend une valeur.").arg(last);
        }
        for (const QString& argument : arguments.mid(1)) {
            def = registre.def(nomNu(argument));
            if (argument.startsWith(u'-') && argument.contains(u'=') && def && !def->valueName) {
                return QStringLiteral("L'option %1 ne prend pas de valeur.")
                    .arg(argument.section(u'=', 0, 0));
            }
        }
        return QStringLiteral("Ligne de commande incorrecte.");
    }

    QList<const OptionSpec*> places;
    for (const OptionSpec& def : defs) {
        if (!def.name) {
            places.append(&def);
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > places.size()) {
        return QStringLiteral("Option inconnue : %1.").arg(positional.at(places.size()));
    }

    QSet<const OptionSpec*> seen;
    for (const QString& name : parser.optionNames()) {
        const OptionSpec* def = registre.def(name);
        if (seen.contains(def)) {
            return QStringLiteral("L'option %1 est donnée deux fois.").arg(texte(def->name));
        }
        seen.insert(def);
    }

    qsizetype place = 0;
    for (const OptionSpec& def : defs) {
        const QString value =
            def.name ? parser.value(nomNu(texte(def.name))) : positional.value(place++);
        const bool given = def.name ? parser.isSet(nomNu(texte(def.name))) : !value.isEmpty();
        if (def.use == OptionSpec::Use::Required &&
            (!given || (def.valueName && value.isEmpty()))) {
            return texte(def.text);
        }
    }
    for (const OptionSpec& def : defs) {
        if (def.use == OptionSpec::Use::Refused && parser.isSet(nomNu(texte(def.name)))) {
            return texte(def.text);
        }
    }

    options.m_values.clear();
    for (const OptionSpec& def : defs) {
        if (def.name && parser.isSet(nomNu(texte(def.name)))) {
            options.m_values.insert(texte(def.name), parser.value(nomNu(texte(def.name))));
        }
    }
    options.m_positional = positional;
    return QString();
}

QStringList OptionReader::given(const QStringList& arguments, std::span<const OptionSpec> defs) {
    QCommandLineParser parser;
    const Registre registre(parser, defs);
    parser.parse(arguments);
    QStringList names;
    for (const QString& name : parser.optionNames()) {
        names.append(texte(registre.def(name)->name));
    }
    return names;
}

QString OptionReader::usage(const OptionSpec& def) {
    if (!def.name) {
        return texte(def.valueName);
    }
    QString text = texte(def.name);
    if (def.valueName) {
        text += u' ' + texte(def.valueName);
    }
    switch (def.use) {
        case OptionSpec::Use::Required:
            return text;
        case OptionSpec::Use::Optional:
            return u'[' + text + u']';
        case OptionSpec::Use::Unlisted:
        case OptionSpec::Use::Refused:
            break;
    }
    return QString();
}
