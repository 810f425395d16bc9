#include "commands/CommandLine.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

// The French manual page of the package describes every mode that --help lists: one section
// per usage line, titled with that very line, each with the list of its exit codes.
class TestManPage : public QObject {
    Q_OBJECT

    struct Section {
        QString title;
        QString body;
    };

    /// The roff text as a reader sees it: escapes of hyphens and fonts undone.
    static QString plain(QString text) {
        static const QRegularExpression fonts(QStringLiteral(R"(\\f[BIRP])"));
        text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
        text.remove(fonts);
        text.remove(QStringLiteral("\\&"));
        return text;
    }

    static QList<Section> sections(const QString& page) {
        QList<Section> found;
        for (const QString& line : page.split(u'\n')) {
            if (line.startsWith(QStringLiteral(".SS "))) {
                QString title = plain(line.mid(4)).trimmed();
                if (title.startsWith(u'"') && title.endsWith(u'"')) {
                    title = title.mid(1, title.size() - 2);
                }
                found.append({title, QString()});
            } else if (line.startsWith(QStringLiteral(".SH "))) {
                found.append({QString(), QString()});
            } else if (!found.isEmpty()) {
                found.last().body += plain(line) + u'\n';
            }
        }
        return found;
    }

private slots:
    void everyModeOfTheHelpHasItsSectionAndItsExitCodes() {
        QFile file(QStringLiteral(ARDOZ_MANPAGE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(file.readAll());
        QVERIFY(page.contains(QStringLiteral(".TH ARDOZ 1 ")));

        QStringList usages;
        for (const QString& line : CommandLine::help().split(u'\n')) {
            if (line.startsWith(QStringLiteral("  ardoz"))) {
                usages.append(line.trimmed());
            }
        }
        QVERIFY(usages.size() >= 10);

        QStringList titles;
        for (const Section& section : sections(page)) {
            if (!section.title.startsWith(QStringLiteral("ardoz"))) {
                continue;
            }
            titles.append(section.title);
            QVERIFY2(section.body.contains(QStringLiteral("Codes de retour :")),
                     qPrintable(section.title));
            // Every code the section names is listed as an item of its own.
            QVERIFY2(section.body.contains(QStringLiteral("\n.IP 0 4\n")),
                     qPrintable(section.title));
        }
        QCOMPARE(titles, usages);

        // The three places of the configuration, in their order.
        const qsizetype beside = page.indexOf(QStringLiteral("../CheminBase.ini"));
        const qsizetype user =
            page.indexOf(QStringLiteral("~/.config/Ardoz Prix de Transfert/CheminBase.ini"));
        const qsizetype system = page.indexOf(QStringLiteral("/etc/ardoz/CheminBase.ini"));
        QVERIFY(beside >= 0 && user > beside && system > user);
    }
};

QTEST_GUILESS_MAIN(TestManPage)
#include "tst_manpage.moc"
