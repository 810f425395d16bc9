// The one option reader of the command line: one behaviour in every mode, texts from the
// table, the help written from the same table, and the choice between the desktop and a
// command.
#include "CommandResult.h"
#include "commands/CommandLine.h"

#include <QTest>
#include <QTextStream>

namespace {

using Result = CommandResult;

Result run(const QStringList& arguments) {
    return runCaptured(CommandLine::run, QStringList{QStringLiteral("ardoz")} + arguments);
}

using Use = OptionSpec::Use;

const OptionSpec kSpecs[] = {
    {u"--mode", u"FICHIER", Use::Required, u"Le fichier manque."},
    {nullptr, u"DOSSIER", Use::Required, u"Le dossier manque."},
    {u"--page", u"N", Use::Required, u"La page manque."},
    {u"--demo", nullptr, Use::Optional},
    {u"--rare", u"X", Use::Unlisted},
    {u"--output", u"REPERTOIRE", Use::Refused, u"Pas de --output ici."},
};

QString read(const QStringList& arguments, CommandOptions* options = nullptr) {
    CommandOptions local;
    return OptionReader::read(QStringList{QStringLiteral("ardoz")} + arguments, kSpecs,
                              options ? *options : local);
}

}  // namespace

class TestOptionReader : public QObject {
    Q_OBJECT

private slots:
    void readsValuesInBothForms() {
        CommandOptions a;
        QCOMPARE(read({"--mode", "f.xlsx", "dossier", "--page", "2", "--demo"}, &a), QString());
        CommandOptions b;
        QCOMPARE(read({"--page=2", "dossier", "--demo", "--mode=f.xlsx"}, &b), QString());
        for (const CommandOptions* o : {&a, &b}) {
            QCOMPARE(o->value(u"--mode"), QStringLiteral("f.xlsx"));
            QCOMPARE(o->value(u"--page"), QStringLiteral("2"));
            QVERIFY(o->isSet(u"--demo"));
            QVERIFY(!o->isSet(u"--rare"));
            QCOMPARE(o->positional(), QStringList{"dossier"});
        }
        // A value that looks like an option is still the value; '=' keeps what follows it.
        CommandOptions c;
        QCOMPARE(read({"--mode", "--page", "d", "--page", "a=b"}, &c), QString());
        QCOMPARE(c.value(u"--mode"), QStringLiteral("--page"));
        QCOMPARE(c.value(u"--page"), QStringLiteral("a=b"));
    }

    void reportsTheFirstProblemInTheTableOrder_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("report");
        QTest::newRow("unknown") << QStringList{"--mode", "f", "d", "--page", "1", "--bogus=3"}
                                 << "Option inconnue : --bogus=3.";
        QTest::newRow("unknown, one dash")
            << QStringList{"-x", "--mode", "f"} << "Option inconnue : -x.";
        QTest::newRow("left over")
            << QStringList{"--mode", "f", "d", "e", "--page", "1"} << "Option inconnue : e.";
        QTest::newRow("missing value")
            << QStringList{"--mode", "f", "d", "--page"} << "L'option --page attend une valeur.";
        QTest::newRow("value to a flag") << QStringList{"--mode", "f", "d", "--demo=oui"}
                                         << "L'option --demo ne prend pas de valeur.";
        QTest::newRow("twice") << QStringList{"--mode", "f", "d", "--page", "1", "--page=2"}
                               << "L'option --page est donnée deux fois.";
        QTest::newRow("flag twice") << QStringList{"--demo", "--mode", "f", "d", "--demo"}
                                    << "L'option --demo est donnée deux fois.";
        QTest::newRow("required") << QStringList{"--page", "1"} << "Le fichier manque.";
        QTest::newRow("required empty")
            << QStringList{"--mode=", "d", "--page", "1"} << "Le fichier manque.";
        QTest::newRow("positional") << QStringList{"--mode", "f"} << "Le dossier manque.";
        QTest::newRow("required after positional")
            << QStringList{"--mode", "f", "d"} << "La page manque.";
        QTest::newRow("refused") << QStringList{"--mode", "f", "d", "--page", "1", "--output", "x"}
                                 << "Pas de --output ici.";
    }
    void reportsTheFirstProblemInTheTableOrder() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, report);
        QCOMPARE(read(arguments), report);
    }

    void theUsageListsWhatTheTableShows() {
        QStringList parts;
        for (const OptionSpec& def : kSpecs) {
            parts.append(OptionReader::usage(def));
        }
        QCOMPARE(parts, (QStringList{"--mode FICHIER", "DOSSIER", "--page N", "[--demo]", "", ""}));
    }

    // Every mode refuses a repeated option, an unknown one and a missing value the same way,
    // with its own usage line under the report, and status 2, before touching any file.
    void everyModeReadsTheSameWay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("option");
        const QStringList company = {"--company", "1234567A", "--year", "2023"};
        QTest::newRow("create-database")
            << QStringList{"--create-database", "a"} << "--create-database";
        QTest::newRow("generate") << QStringList{"--generate"} + company << "--generate";
        QTest::newRow("check") << QStringList{"--check"} + company << "--check";
        QTest::newRow("import") << QStringList{"--import", "x.csv", "--page", "1"} + company
                                << "--import";
        QTest::newRow("backup") << QStringList{"--backup", "x.fbk"} << "--backup";
        QTest::newRow("restore") << QStringList{"--restore", "x.fbk", "dossier"} << "--restore";
    }
    void everyModeReadsTheSameWay() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, option);
        const QString usage = CommandLine::usage(option);
        QVERIFY(usage.startsWith(QStringLiteral("Usage : ardoz ") + option));
        // The usage line is the help's.
        QVERIFY2(CommandLine::help().contains(QStringLiteral("  ") +
                                              usage.section(u'\n', 0, 0).mid(8) + u'\n'),
                 qPrintable(usage));

        // The mode's own option again, as a flag or with a value after '='.
        const bool flag = arguments.at(1).startsWith(u'-');
        Result r = run(arguments + QStringList{flag ? option : option + QStringLiteral("=autre")});
        QCOMPARE(r.code, CommandLine::kUsageError);
        QCOMPARE(r.err,
                 QStringLiteral("L'option %1 est donnée deux fois.\n").arg(option) + usage + u'\n');
        QVERIFY(r.out.isEmpty());

        r = run(arguments + QStringList{"--bavard"});
        QCOMPARE(r.code, CommandLine::kUsageError);
        QCOMPARE(r.err, QStringLiteral("Option inconnue : --bavard.\n") + usage + u'\n');

        r = run(arguments + QStringList{"--database"});
        QCOMPARE(r.code, CommandLine::kUsageError);
        QVERIFY2(r.err.startsWith(QStringLiteral("L'option --database attend une valeur.\n")) ||
                     r.err.startsWith(QStringLiteral("Option inconnue : --database.\n")),
                 qPrintable(r.err));
    }

    void helpAndVersionAnswerWhateverElseTheLineHolds() {
        for (const QStringList& arguments :
             {QStringList{"--help"}, QStringList{"-h", "--bogus"},
              QStringList{"--generate", "--help"}, QStringList{"--import", "x.csv", "--help"}}) {
            const Result r = run(arguments);
            QCOMPARE(r.code, 0);
            QCOMPARE(r.out, CommandLine::help());
            QVERIFY(r.err.isEmpty());
        }
        const Result r = run({"--version", "--check"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, CommandLine::version() + u'\n');
    }

    void theDesktopTakesOnlyQtsOptions() {
        for (const QStringList& arguments :
             {QStringList{}, QStringList{"-platform", "offscreen"},
              QStringList{"--platform=offscreen", "-style", "fusion", "-reverse"}}) {
            QVERIFY2(CommandLine(QStringList{"ardoz"} + arguments).isDesktop(),
                     qPrintable(arguments.join(u' ')));
        }
        for (const QStringList& arguments :
             {QStringList{"fichier"}, QStringList{"-platform"}, QStringList{"--bogus"},
              QStringList{"-style", "a", "-style", "b"}, QStringList{"--generate", "--check"}}) {
            QVERIFY2(!CommandLine(QStringList{"ardoz"} + arguments).isDesktop(),
                     qPrintable(arguments.join(u' ')));
            const Result r = run(arguments);
            QCOMPARE(r.code, CommandLine::kUsageError);
            QVERIFY(r.out.isEmpty());
            QVERIFY2(r.err.endsWith(QStringLiteral("\n\n") + CommandLine::help()),
                     qPrintable(r.err));
        }
        QVERIFY(run({"--generate", "--check"})
                    .err.startsWith(QStringLiteral("Une seule commande à la fois : --generate ou "
                                                   "--check.\n")));
        // A value is a value, even when it names a mode.
        QVERIFY(CommandLine({"ardoz", "-title", "--generate"}).isDesktop());
    }
};

QTEST_GUILESS_MAIN(TestOptionReader)
#include "tst_optionreader.moc"
