// Build tool: writes the state and currency rows of a new database from the codes the
// administration's schema accepts, named in French after Debian's iso-codes.
//
//   ardoz_reference_lists SCHEMA ISO3166_JSON ISO4217_JSON ISO3166_MO ISO4217_MO
//                         COMPLEMENTS OUTPUT
//
// SCHEMA is FDPT.xsd; the JSON lists and the French gettext catalogues come from the
// iso-codes package; COMPLEMENTS names by hand the few codes iso-codes does not list or
// names only in English, and marks the English names French writes the same way.
// OUTPUT is a C++ source that defines ReferenceData::states() and currencies().
// Any code without a name, any name too long for its column and any complement the
// schema no longer accepts stops the build with a message.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    }
    return file.readAll();
}

/// The enumeration values of the simple types of the schema, by type name.
QHash<QString, QStringList> enumerations(const QByteArray& schema) {
    QHash<QString, QStringList> result;
    QXmlStreamReader reader(schema);
    QString type;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (reader.name() == QLatin1StringView("simpleType")) {
                type = reader.attributes().value(QLatin1StringView("name")).toString();
            } else if (reader.name() == QLatin1StringView("enumeration") && !type.isEmpty()) {
                result[type].append(
                    reader.attributes().value(QLatin1StringView("value")).toString());
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1StringView("simpleType")) {
            type.clear();
        }
    }
    if (reader.hasError()) {
        fail(QStringLiteral("schema: %1").arg(reader.errorString()));
    }
    return result;
}

/// The translations of a GNU gettext catalogue (.mo), original text to translated text.
QHash<QByteArray, QString> catalogue(const QString& path) {
    const QByteArray data = readAll(path);
    auto word = [&](qsizetype at, bool swapped) -> quint32 {
        if (at < 0 || at + 4 > data.size()) {
            fail(QStringLiteral("%1: truncated catalogue").arg(path));
        }
        const auto* p = reinterpret_cast<const uchar*>(data.constData() + at);
        return swapped ? (quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3])
                       : (quint32(p[3]) << 24 | quint32(p[2]) << 16 | quint32(p[1]) << 8 | p[0]);
    };
    bool swapped = false;
    if (word(0, false) != 0x950412deu) {
        swapped = true;
        if (word(0, true) != 0x950412deu) {
            fail(QStringLiteral("%1: not a gettext catalogue").arg(path));
        }
    }
    const quint32 count = word(8, swapped);
    const quint32 originals = word(12, swapped);
    const quint32 translations = word(16, swapped);
    auto string = [&](quint32 table, quint32 index) {
        const quint32 length = word(table + 8 * index, swapped);
        const quint32 offset = word(table + 8 * index + 4, swapped);
        if (qsizetype(offset) + length > data.size()) {
            fail(QStringLiteral("%1: truncated catalogue").arg(path));
        }
        return data.mid(offset, length);
    };
    QHash<QByteArray, QString> result;
    for (quint32 i = 0; i < count; ++i) {
        const QByteArray original = string(originals, i);
        if (!original.isEmpty()) {
            result.insert(original, QString::fromUtf8(string(translations, i)));
        }
    }
    return result;
}

/// Code to English name, from an iso-codes JSON list.
QHash<QString, QString> isoNames(const QString& path, const QString& list, const QString& key) {
    const QJsonDocument document = QJsonDocument::fromJson(readAll(path));
    QHash<QString, QString> result;
    for (const QJsonValue& entry : document.object().value(list).toArray()) {
        const QJsonObject object = entry.toObject();
        result.insert(object.value(key).toString(),
                      object.value(QStringLiteral("name")).toString());
    }
    if (result.isEmpty()) {
        fail(QStringLiteral("%1: no entry in %2").arg(path, list));
    }
    return result;
}

struct Row {
    QString code;
    QString name;
};

QVector<Row> rows(const QString& what, const QStringList& codes,
                  const QHash<QString, QString>& english, const QHash<QByteArray, QString>& french,
                  QMap<QString, QString> complements, int width) {
    QMap<QString, QString> named;
    for (const QString& code : codes) {
        QString name;
        if (complements.contains(code)) {
            name = complements.take(code);
        } else if (english.contains(code)) {
            const QString original = english.value(code);
            name = french.value(original.toUtf8(), original);
        } else {
            fail(QStringLiteral("%1 %2: accepted by the schema, unknown to iso-codes and to the "
                                "complements")
                     .arg(what, code));
        }
        if (name.size() > width) {
            fail(QStringLiteral("%1 %2: name longer than %3 characters: %4")
                     .arg(what, code)
                     .arg(width)
                     .arg(name));
        }
        named.insert(code, name);
    }
    if (!complements.isEmpty()) {
        fail(QStringLiteral("%1 %2: named in the complements, refused by the schema")
                 .arg(what, complements.firstKey()));
    }
    QVector<Row> result;
    for (auto it = named.cbegin(); it != named.cend(); ++it) {
        result.append({it.key(), it.value()});
    }
    return result;
}

QString literal(const QString& text) {
    QString out = QStringLiteral("u\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
        }
        out += c;
    }
    return out + u'"';
}

void writeTable(QTextStream& out, const char* name, const QVector<Row>& rows) {
    out << "const Pair " << name << "[] = {\n";
    for (const Row& row : rows) {
        out << "    {" << literal(row.code) << ", " << literal(row.name) << "},\n";
    }
    out << "};\n\n";
}

int generate(const QStringList& args) {
    const QHash<QString, QStringList> types = enumerations(readAll(args.at(1)));
    const QStringList states = types.value(QStringLiteral("T_EtatTerritoire"));
    const QStringList currencies = types.value(QStringLiteral("T_Devise"));
    if (states.isEmpty() || currencies.isEmpty()) {
        fail(QStringLiteral("schema: no T_EtatTerritoire or T_Devise enumeration"));
    }

    QMap<QString, QString> stateComplements;
    QMap<QString, QString> currencyComplements;
    // Names iso-codes leaves in English that French writes the same way (checked by hand).
    QMap<QString, QString> sameStates;
    QMap<QString, QString> sameCurrencies;
    const QList<QByteArray> lines = readAll(args.at(6)).split('\n');
    for (const QByteArray& line : lines) {
        if (line.trimmed().isEmpty() || line.startsWith('#')) {
            continue;
        }
        const QStringList fields = QString::fromUtf8(line).trimmed().split(u'\t');
        QMap<QString, QString>* target = nullptr;
        if (fields.size() == 3) {
            if (fields[0] == QLatin1StringView("state")) {
                target = &stateComplements;
            } else if (fields[0] == QLatin1StringView("currency")) {
                target = &currencyComplements;
            } else if (fields[0] == QLatin1StringView("state-same")) {
                target = &sameStates;
            } else if (fields[0] == QLatin1StringView("currency-same")) {
                target = &sameCurrencies;
            }
        }
        if (!target) {
            fail(QStringLiteral("%1: malformed line: %2").arg(args.at(6), QString::fromUtf8(line)));
        }
        (*target)[fields[1]] = fields[2];
    }

    // Widths of ETATTERRITORIAL.PAYS and DEVISE.LIBELLE.
    const QVector<Row> stateRows =
        rows(QStringLiteral("state"), states,
             isoNames(args.at(2), QStringLiteral("3166-1"), QStringLiteral("alpha_2")),
             catalogue(args.at(4)), stateComplements, 50);
    const QVector<Row> currencyRows =
        rows(QStringLiteral("currency"), currencies,
             isoNames(args.at(3), QStringLiteral("4217"), QStringLiteral("alpha_3")),
             catalogue(args.at(5)), currencyComplements, 120);

    // A name marked as the same in French must still be the one the build gives.
    const auto checkSame = [](const QString& what, const QVector<Row>& rows,
                              const QMap<QString, QString>& same) {
        for (auto it = same.cbegin(); it != same.cend(); ++it) {
            const auto row = std::find_if(rows.cbegin(), rows.cend(),
                                          [&](const Row& r) { return r.code == it.key(); });
            if (row == rows.cend() || row->name != it.value()) {
                fail(QStringLiteral("%1 %2: marked as named the same in French (%3), named %4")
                         .arg(what, it.key(), it.value(),
                              row == rows.cend() ? QStringLiteral("nothing") : row->name));
            }
        }
    };
    checkSame(QStringLiteral("state"), stateRows, sameStates);
    checkSame(QStringLiteral("currency"), currencyRows, sameCurrencies);

    QSaveFile file(args.at(7));
    if (!file.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("cannot write %1: %2").arg(args.at(7), file.errorString()));
    }
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << "// Generated at build time by ardoz_reference_lists from the administration's schema\n"
           "// and Debian's iso-codes. Do not edit: change ReferenceComplements.tsv instead.\n\n"
           "#include \"data/ReferenceData.h\"\n\n"
           "#include <utility>\n\n"
           "namespace {\n\n"
           "using Pair = std::pair<const char16_t*, const char16_t*>;\n\n";
    writeTable(out, "kStates", stateRows);
    writeTable(out, "kCurrencies", currencyRows);
    out << "template <std::size_t N>\n"
           "QVector<ReferenceRow> rows(const Pair (&table)[N]) {\n"
           "    QVector<ReferenceRow> result;\n"
           "    result.reserve(static_cast<qsizetype>(N));\n"
           "    for (const Pair& p : table) {\n"
           "        result.append({QString::fromUtf16(p.first), QString::fromUtf16(p.second)});\n"
           "    }\n"
           "    return result;\n"
           "}\n\n"
           "}  // namespace\n\n"
           "const QVector<ReferenceRow>& ReferenceData::currencies() {\n"
           "    static const QVector<ReferenceRow> r = rows(kCurrencies);\n"
           "    return r;\n"
           "}\n\n"
           "const QVector<ReferenceRow>& ReferenceData::states() {\n"
           "    static const QVector<ReferenceRow> r = rows(kStates);\n"
           "    return r;\n"
           "}\n";
    out.flush();
    if (!file.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(args.at(7), file.errorString()));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 8) {
        std::fputs(
            "usage: ardoz_reference_lists SCHEMA ISO3166_JSON ISO4217_JSON ISO3166_MO "
            "ISO4217_MO COMPLEMENTS OUTPUT\n",
            stderr);
        return 2;
    }
    try {
        return generate(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ardoz_reference_lists: %s\n", e.what());
        return 1;
    }
}
