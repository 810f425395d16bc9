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

/// The options of @p specs registered with @p parser, each under its names without dashes.
class Registre {
public:
    Registre(QCommandLineParser& parser, std::span<const OptionSpec> specs) {
        // Qt's options are written with one dash: "-platform" is one option, not nine.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const OptionSpec& spec : specs) {
            if (!spec.name) {
                continue;
            }
            QStringList names{nomNu(texte(spec.name))};
            if (spec.alias) {
                names.append(nomNu(texte(spec.alias)));
            }
            if (m_specs.contains(names.first())) {
                continue;  // the same option in two modes, when every mode is looked for
            }
            for (const QString& name : names) {
                m_specs.insert(name, &spec);
            }
            parser.addOption(spec.valueName
                                 ? QCommandLineOption(names, QString(), texte(spec.valueName))
                                 : QCommandLineOption(names));
        }
    }

    const OptionSpec* spec(const QString& name) const { return m_specs.value(name); }

private:
    QHash<QString, const OptionSpec*> m_specs;
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

QString OptionReader::read(const QStringList& arguments, std::span<const OptionSpec> specs,
                           CommandOptions& options) {
    QCommandLineParser parser;
    const Registre registre(parser, specs);
    const bool parsed = parser.parse(arguments);

    if (!parser.unknownOptionNames().isEmpty()) {
        return QStringLiteral("Option inconnue : %1.")
            .arg(ecrit(arguments, parser.unknownOptionNames().constFirst()));
    }
    if (!parsed) {
        // The parser stops short only at the last argument, an option that wants a value, or
        // at an option that takes none written with one.
        const QString& last = arguments.constLast();
        const OptionSpec* spec = registre.spec(nomNu(last));
        if (spec && spec->valueName && !last.contains(u'=')) {
            return QStringLiteral("L'option %1 attend une valeur.").arg(last);
        }
        for (const QString& argument : arguments.mid(1)) {
            spec = registre.spec(nomNu(argument));
            if (argument.startsWith(u'-') && argument.contains(u'=') && spec && !spec->valueName) {
                return QStringLiteral("L'option %1 ne prend pas de valeur.")
                    .arg(argument.section(u'=', 0, 0));
            }
        }
        return QStringLiteral("Ligne de commande incorrecte.");
    }

    QList<const OptionSpec*> places;
    for (const OptionSpec& spec : specs) {
        if (!spec.name) {
            places.append(&spec);
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > places.size()) {
        return QStringLiteral("Option inconnue : %1.").arg(positional.at(places.size()));
    }

    QSet<const OptionSpec*> seen;
    for (const QString& name : parser.optionNames()) {
        const OptionSpec* spec = registre.spec(name);
        if (seen.contains(spec)) {
            return QStringLiteral("L'option %1 est donnée deux fois.").arg(texte(spec->name));
        }
        seen.insert(spec);
    }

    qsizetype place = 0;
    for (const OptionSpec& spec : specs) {
        const QString value =
            spec.name ? parser.value(nomNu(texte(spec.name))) : positional.value(place++);
        const bool given = spec.name ? parser.isSet(nomNu(texte(spec.name))) : !value.isEmpty();
        if (spec.use == OptionSpec::Use::Required &&
            (!given || (spec.valueName && value.isEmpty()))) {
            return texte(spec.text);
        }
    }
    for (const OptionSpec& spec : specs) {
        if (spec.use == OptionSpec::Use::Refused && parser.isSet(nomNu(texte(spec.name)))) {
            return texte(spec.text);
        }
    }

    options.m_values.clear();
    for (const OptionSpec& spec : specs) {
        if (spec.name && parser.isSet(nomNu(texte(spec.name)))) {
            options.m_values.insert(texte(spec.name), parser.value(nomNu(texte(spec.name))));
        }
    }
    options.m_positional = positional;
    return QString();
}

QStringList OptionReader::given(const QStringList& arguments, std::span<const OptionSpec> specs) {
    QCommandLineParser parser;
    const Registre registre(parser, specs);
    parser.parse(arguments);
    QStringList names;
    for (const QString& name : parser.optionNames()) {
        names.append(texte(registre.spec(name)->name));
    }
    return names;
}

QString OptionReader::usage(const OptionSpec& spec) {
    if (!spec.name) {
        return texte(spec.valueName);
    }
    QString text = texte(spec.name);
    if (spec.valueName) {
        text += u' ' + texte(spec.valueName);
    }
    switch (spec.use) {
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
