#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <span>

/**
 * One option of a command line as the command table describes it: how it is written, the
 * value it takes, and our own French texts about it. An option without a name is a positional
 * place (the FOLDER of --restore FILE FOLDER), in the order the spans list them.
 */
struct OptionSpec {
    enum class Use {
        Required,  ///< must be given, with a non-empty value; text says what is missing
        Optional,  ///< may be given; shown in brackets in the usage
        Unlisted,  ///< may be given; left out of the usage (the rarer options of Qt)
        Refused,   ///< known, refused in this mode; text says why
    };

    /// As written in the usage, dashes included (u"--company", u"-platform"); null for a
    /// positional place.
    const char16_t* name;
    /// The name of the value in the usage (u"IDENTIFIANT"); null for an option without value.
    const char16_t* valueName;
    Use use;
    /// What is missing (Required) or why the option is refused (Refused).
    const char16_t* text = nullptr;
    /// Another spelling of the same option (u"-h" for --help).
    const char16_t* alias = nullptr;
};

/// What a command line gave, once read: the options by their name as written in the table.
class CommandOptions {
public:
    /// Whether the option @p name (u"--check") was given.
    bool isSet(QStringView name) const { return m_values.contains(name.toString()); }
    /// Its value; empty when it was not given or takes none.
    QString value(QStringView name) const { return m_values.value(name.toString()); }
    /// The positional values, in order.
    const QStringList& positional() const { return m_positional; }

private:
    friend class OptionReader;
    QHash<QString, QString> m_values;
    QStringList m_positional;
};

/**
 * The one reader of the program's command line. QCommandLineParser::parse() splits the
 * arguments (process() would exit with its own code and English texts); every text comes
 * from our own table. One behaviour for every mode:
 * - "--name value" and "--name=value"; one dash serves as well as two (Qt's options are
 *   written with one);
 * - an unknown option, an argument left over, a missing value, a value given to an option
 *   that takes none, an option given twice: each is refused with its French report;
 * - then the missing required options and positional values, in the order of the table,
 *   then the refused ones.
 */
class OptionReader {
public:
    /**
     * Reads @p arguments (the program's name first) against @p defs. Returns the French
     * report of the first thing wrong, or an empty text when @p options holds what was given.
     */
    static QString read(const QStringList& arguments, std::span<const OptionSpec> defs,
                        CommandOptions& options);

    /// The names (as @p defs write them) of the options of @p defs that @p arguments give,
    /// in order; anything else in @p arguments is passed over.
    static QStringList given(const QStringList& arguments, std::span<const OptionSpec> defs);

    /// "--name VALUE", "[--name VALUE]", "VALUE" for a positional place; empty for the
    /// options the usage leaves out.
    static QString usage(const OptionSpec& def);
};
