#include "CommandResult.h"
#include "CompleteDeclaration.h"
#include "commands/GenerateCommand.h"
#include "data/CodeLists.h"
#include "declaration/DeclarationError.h"
#include "summary/DeclarationSummary.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>

namespace {

/// Runs one of poppler-utils on @p pdf and returns its standard output.
QString poppler(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        return QStringLiteral("<%1 failed: %2%3>")
            .arg(tool, QString::fromUtf8(process.readAllStandardError()), process.errorString());
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString text(const QString& pdf, bool layout = false) {
    QStringList arguments = {pdf, QStringLiteral("-")};
    if (layout) {
        arguments.prepend(QStringLiteral("-layout"));
    }
    return poppler(QStringLiteral("pdftotext"), arguments);
}

int pdfPages(const QString& pdf) {
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = pages.match(poppler(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

/// Every blank run as one blank: a sentence the PDF wraps over lines reads as written.
QString collapsed(const QString& text) {
    return text.simplified();
}

QString sha256(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromLatin1(
        QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
}

/// The values of the elements of the file whose names begin with @p prefix, in order.
QStringList elements(const QString& xml, const QString& prefix) {
    QFile file(xml);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QRegularExpression pattern(QStringLiteral("<(%1\\w*)>([^<]*)</\\1>").arg(prefix));
    QStringList values;
    auto it = pattern.globalMatch(QString::fromUtf8(file.readAll()));
    while (it.hasNext()) {
        values.append(it.next().captured(2));
    }
    return values;
}

/// The files of @p folder, names only, sorted.
QStringList files(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QDateTime kGenerated(QDate(2024, 3, 15), QTime(10, 30, 5));

}  // namespace

class TestDeclarationSummary : public QObject {
    Q_OBJECT

    /// Writes the review of @p f's declaration and reads it back: as many pages as the first
    /// pass counted, each with its footer "page x / y". The document's text goes to @p plain.
    static void reviewPages(DeclarationFixture& f, int& pages, QString& plain) {
        DeclarationWriter writer(f.module());
        const QString xml = writer.generate(f.outputFolder());
        const QString pdf = DeclarationSummary::write(xml, writer.problems(), kGenerated);
        pages = pdfPages(pdf);
        QCOMPARE(pages, DeclarationSummary::lastPageCount());
        plain = text(pdf);
        const QStringList pageTexts = plain.split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(pageTexts.size(), pages);
        for (int i = 0; i < pages; ++i) {
            QVERIFY(collapsed(pageTexts.at(i))
                        .contains(QStringLiteral("page %1 / %2").arg(i + 1).arg(pages)));
        }
    }

private slots:
    void formsOfTheFileValues() {
        QCOMPARE(DeclarationSummary::amountText(u"00000"), QStringLiteral("0"));
        QCOMPARE(DeclarationSummary::amountText(u"120000"), QStringLiteral("120 000"));
        QCOMPARE(DeclarationSummary::amountText(u"01235"), QStringLiteral("1 235"));
        QCOMPARE(DeclarationSummary::amountText(u"98765432"), QStringLiteral("98 765 432"));
        QCOMPARE(DeclarationSummary::amountText(u"-00012"), QStringLiteral("-12"));
        QCOMPARE(DeclarationSummary::amountText(u""), QString());
        QCOMPARE(DeclarationSummary::amountText(u"12a"), QStringLiteral("12a"));
        QCOMPARE(DeclarationSummary::rateText(u"0008"), QStringLiteral("8 %"));
        QCOMPARE(DeclarationSummary::rateText(u"0100"), QStringLiteral("100 %"));
        QCOMPARE(DeclarationSummary::codeText(QStringLiteral("4"), CodeLists::ListeQualite()),
                 QStringLiteral("4 – Entreprise filiale"));
        QCOMPARE(DeclarationSummary::codeText(QStringLiteral("MPRM"), CodeLists::ListeMethode()),
                 QStringLiteral("MPRM – Méthode du prix de revient majoré"));
        QCOMPARE(DeclarationSummary::codeText(QStringLiteral("9"), CodeLists::ListeQualite()),
                 QStringLiteral("9"));
        QCOMPARE(DeclarationSummary::pathFor(QStringLiteral("/a/FDPT-1234567A-2023.xml")),
                 QStringLiteral("/a/FDPT-1234567A-2023.pdf"));
    }

    /// The complete test company: the file's totals in their French form, its hash on the
    /// cover and in every footer, codes with their names, every font embedded.
    void completeDeclarationStatesTheFile() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        DeclarationWriter writer(f.module());
        const QString xml = writer.generate(f.outputFolder());
        QVERIFY2(writer.problems().isEmpty(), qPrintable(writer.problems().value(0).text()));
        const QString pdf = DeclarationSummary::write(xml, writer.problems(), kGenerated);
        QCOMPARE(pdf, QDir(f.outputFolder()).filePath(QStringLiteral("FDPT-1234567A-2023.pdf")));
        QCOMPARE(files(f.outputFolder()), (QStringList{QStringLiteral("FDPT-1234567A-2023.pdf"),
                                                       QStringLiteral("FDPT-1234567A-2023.xml")}));

        const QString plain = text(pdf);
        const QString all = collapsed(plain);
        const QString hash = sha256(xml);
        QCOMPARE(hash.size(), 64);
        QVERIFY2(all.contains(hash), qPrintable(all.left(2000)));
        QVERIFY(all.contains(QStringLiteral("FDPT-1234567A-2023.xml")));
        QVERIFY(all.contains(
            QStringLiteral("%1 octets")
                .arg(DeclarationSummary::amountText(QString::number(QFileInfo(xml).size())))));
        QVERIFY(all.contains(QStringLiteral("15/03/2024 à 10:30:05")));
        QVERIFY(all.contains(DeclarationSummary::kNoProblem));
        QVERIFY(all.contains(QStringLiteral("0 – Initiale")));
        QVERIFY(all.contains(QStringLiteral("D – Déclaration définitive")));
        QVERIFY(all.contains(QStringLiteral("2023, du 01/01/2023 au 31/12/2023")));

        // Every page: the header, the footer's page x / y and the hash's first 16 digits.
        const int pages = pdfPages(pdf);
        QCOMPARE(pages, DeclarationSummary::lastPageCount());
        QVERIFY(pages >= 4);
        const QStringList pageTexts = plain.split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(pageTexts.size(), pages);
        for (int i = 0; i < pages; ++i) {
            const QString page = collapsed(pageTexts.at(i));
            QVERIFY2(page.contains(QStringLiteral("page %1 / %2").arg(i + 1).arg(pages)),
                     qPrintable(page));
            QVERIFY(page.contains(QStringLiteral("SHA-256 ") + hash.left(16)));
            QVERIFY(
                page.contains(QStringLiteral("Société Ardoz & Fils <Tunis> — 1234567A — "
                                             "Exercice 2023")));
        }

        // The totals of each category, in the order of the file, on their table's total line.
        const QStringList achats = elements(xml, QStringLiteral("TotalAchats"));
        const QStringList ventes = elements(xml, QStringLiteral("TotalVentes"));
        QCOMPARE(achats.size(), 6);
        QCOMPARE(achats.at(2), QStringLiteral("00201"));
        const QRegularExpression totalLine(QStringLiteral(
            "^\\s*Total de la.*?\\s(-?\\d{1,3}(?: \\d{3})*)\\s{2,}(-?\\d{1,3}(?: \\d{3})*)\\s*$"));
        QStringList found;
        for (const QString& line : text(pdf, true).split(u'\n')) {
            if (const QRegularExpressionMatch m = totalLine.match(line); m.hasMatch()) {
                found.append(m.captured(1) + u'|' + m.captured(2));
            }
        }
        QStringList expected;
        for (int i = 0; i < achats.size(); ++i) {
            expected.append(DeclarationSummary::amountText(achats.at(i)) + u'|' +
                            DeclarationSummary::amountText(ventes.at(i)));
        }
        QCOMPARE(found, expected);
        QVERIFY(expected.contains(QStringLiteral("201|2 501")));
        QVERIFY(all.contains(QStringLiteral("1 234 568")));  // ChiffreAffaireAnnuel

        // Totals per related company, largest first: Beta SA (6 lines) before the holding;
        // the sums of the amounts the lines state.
        const QStringList layoutLines = text(pdf, true).split(u'\n');
        const auto lineOf = [&layoutLines](const QString& pattern) {
            const QRegularExpression re(pattern);
            for (int i = 0; i < layoutLines.size(); ++i) {
                if (re.match(layoutLines.at(i)).hasMatch()) {
                    return i;
                }
            }
            return -1;
        };
        const int totals = lineOf(QStringLiteral("Totaux par entreprise liée"));
        const int beta =
            lineOf(QStringLiteral("^\\s*2222222B\\s+Beta SA\\s+6\\s+600\\s+15 006\\s+15 606$"));
        const int holding = lineOf(QStringLiteral(
            "^\\s*HRB 12345 \\(Allemagne\\)\\s+Ardoz Holding GmbH\\s+1\\s+100\\s+0\\s+100$"));
        QVERIFY2(totals > 0 && beta > totals && holding > beta,
                 qPrintable(layoutLines.mid(totals, 8).join(u'\n')));
        QVERIFY(all.contains(QStringLiteral("Achats et ventes par catégorie")));

        // Codes with their French names (in a table, as its line reads).
        const QString table = collapsed(text(pdf, true));
        for (const char* label :
             {"4 – Entreprise filiale", "1 – Entité mère ultime", "DE – Allemagne",
              "HRB 12345 (Allemagne)", "FR44123456789 (France)", "EUR – Euro", "3 – Marchandises",
              "04 – Brevets", "1 – Clôture de l’exercice",
              "MTMN – Méthode transactionnelle de la marge nette", "33 %", "100 %", "12 500",
              "400 000", "Franchisé", "Redevances de marque", "Néant"}) {
            QVERIFY2(all.contains(QString::fromUtf8(label), Qt::CaseInsensitive) ||
                         table.contains(QString::fromUtf8(label), Qt::CaseInsensitive),
                     label);
        }
        // The loan's rate, 0005 in the file (poppler may join the blank of a short cell).
        QVERIFY(table.contains(QRegularExpression(QStringLiteral("\\s5 ?% "))));
        // Captions of the entry windows.
        for (const char* caption : {"Chiffre d'Affaire Annuel", "Code Acte, 0 POUR 2021",
                                    "Nature Date Fin", "Affirmation Restructuration",
                                    "Description des Transactions avec un Regime Fiscal "
                                    "Privilegié",
                                    "Affirmation opérations monétaires avec accord préalable"}) {
            QVERIFY2(all.contains(QString::fromUtf8(caption)), caption);
        }

        const QStringList fonts =
            poppler(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(fonts.size() > 2);
        for (const QString& line : fonts.mid(2)) {
            const QStringList columns = line.split(u' ', Qt::SkipEmptyParts);
            QVERIFY2(columns.size() >= 6 && columns.at(columns.size() - 5) == u"yes",
                     qPrintable(line));
            QVERIFY2(line.startsWith(QStringLiteral("DejaVu")), qPrintable(line));
        }
    }

    /// A declaration of known size: every line printed once, the first pass's page count on
    /// every page, and as many pages as the lines need.
    void pagesOfAKnownSize() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"RAISONSOCIALE", db::Value(QStringLiteral("Société Gamma"))}});
        constexpr int kLines = 1500;
        for (int i = 1; i <= kLines; ++i) {
            f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                     {{"TYPEMONTANT", db::Value(QStringLiteral("1"))},
                      {"NATUREOPERATIONS", db::Value(QStringLiteral("3"))},
                      {"MATRICULEFISCAL", db::Value(QStringLiteral("%1B").arg(1000000 + i))},
                      {"RAISONSOCIALE",
                       db::Value(QStringLiteral("Client L%1").arg(i, 4, 10, QLatin1Char('0')))},
                      {"ACHATS", db::Value(db::Decimal(1000 * i, 3))}});
        }
        int pages = 0;
        QString plain;
        reviewPages(f, pages, plain);
        if (QTest::currentTestFailed()) {
            return;
        }
        // Each line in its category table and in the table of related companies.
        for (int i = 1; i <= kLines; ++i) {
            QCOMPARE(plain.count(QStringLiteral("Client L%1").arg(i, 4, 10, QLatin1Char('0'))), 2);
        }
        // A page holds between 40 and 90 lines of a table: twice 1500 lines need 34 to 75
        // pages, besides the cover and the other sections.
        QVERIFY2(pages >= 2 + 2 * kLines / 90 && pages <= 8 + 2 * kLines / 40,
                 qPrintable(QString::number(pages)));
        // The total of the category, rounded once from the unrounded lines: 1 + 2 + … + 1500.
        QVERIFY(collapsed(plain).contains(QStringLiteral("1 125 750")));
    }

    /// A text longer than a page runs over the pages that follow, line after line, each line
    /// once, and the first pass counts those pages too.
    void textLongerThanAPage() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        QStringList paragraphs;
        for (int i = 1; i <= 400; ++i) {
            paragraphs.append(QStringLiteral("Paragraphe %1 des autres informations.").arg(i));
        }
        f.addCompany({{"RAISONSOCIALE", db::Value(QStringLiteral("Société Delta"))},
                      {"AUTRESINFORMATIONS", db::Value(paragraphs.join(u'\n'))}});
        int pages = 0;
        QString plain;
        reviewPages(f, pages, plain);
        if (QTest::currentTestFailed()) {
            return;
        }
        QVERIFY2(pages >= 6, qPrintable(QString::number(pages)));
        const QString all = collapsed(plain);
        for (int i = 1; i <= 400; ++i) {
            QCOMPARE(all.count(QStringLiteral("Paragraphe %1 des autres informations.").arg(i)), 1);
        }
    }

    /// The cover gives the number of problems and the first ten, in their French sentences.
    void coverListsTheFirstTenProblems() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        for (int i = 0; i < 12; ++i) {
            f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                     {{"TYPEMONTANT", db::Value(QStringLiteral("2"))},
                      {"NATUREOPERATIONS", db::Value(QStringLiteral("1"))},
                      {"MATRICULEFISCAL", db::Value(QStringLiteral("%1").arg(100 + i))},
                      {"RAISONSOCIALE", db::Value(QStringLiteral("Mal identifiée %1").arg(i))},
                      {"QUALITE", db::Value(QStringLiteral("4"))},
                      {"NATURRELATION", db::Value(QStringLiteral("1"))},
                      {"METHODE", db::Value(QStringLiteral("CUP"))}});
        }
        DeclarationWriter writer(f.module());
        const QString xml = writer.generate(f.outputFolder());
        const DeclarationProblems problems = writer.problems();
        QVERIFY2(problems.size() >= 12, qPrintable(QString::number(problems.size())));
        const QString pdf = DeclarationSummary::write(xml, problems, kGenerated);
        const QString cover = collapsed(text(pdf).split(u'\f').first());
        QVERIFY2(
            cover.contains(
                QStringLiteral("%1 problèmes relevés ; les dix premiers :").arg(problems.size())),
            qPrintable(cover));
        QVERIFY(!cover.contains(DeclarationSummary::kNoProblem));
        for (int i = 0; i < 10; ++i) {
            QVERIFY2(cover.contains(QStringLiteral("%1. ").arg(i + 1) +
                                    collapsed(problems.at(i).text())),
                     qPrintable(problems.at(i).text()));
        }
        QVERIFY(!cover.contains(collapsed(problems.at(10).text())));
        QVERIFY(!cover.contains(QStringLiteral("11. ")));
    }

    /// --summary writes the PDF beside the file; one that cannot be written leaves the file,
    /// no PDF, and exits 8.
    void commandLine() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        const QStringList line = {QStringLiteral("ardoz"),      QStringLiteral("--generate"),
                                  QStringLiteral("--company"),  QStringLiteral("1234567A"),
                                  QStringLiteral("--year"),     QStringLiteral("2023"),
                                  QStringLiteral("--output"),   f.outputFolder(),
                                  QStringLiteral("--database"), f.database().databasePath(),
                                  QStringLiteral("--summary")};
        const QString pdf = DeclarationSummary::pathFor(f.expectedPath());
        CommandResult r = runCaptured(GenerateCommand::run, line);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, QDir::toNativeSeparators(f.expectedPath()) + u'\n' +
                            QDir::toNativeSeparators(pdf) + u'\n');
        QVERIFY(readFile(pdf).startsWith("%PDF-"));
        QVERIFY(collapsed(text(pdf)).contains(sha256(f.expectedPath())));
        const QByteArray xml = readFile(f.expectedPath());

        // A folder stands where the PDF would go.
        QVERIFY(QFile::remove(pdf));
        QVERIFY(QDir().mkdir(pdf));
        QVERIFY(QFile::remove(f.expectedPath()));
        r = runCaptured(GenerateCommand::run, line);
        QCOMPARE(r.code, int(GenerateCommand::Exit::SummaryFailed));
        QCOMPARE(r.code, 8);
        QVERIFY2(r.err.contains(QStringLiteral("Le récapitulatif PDF n'a pas été écrit : ")),
                 qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("Le fichier de déclaration %1 est conservé.")
                                   .arg(QDir::toNativeSeparators(f.expectedPath()))));
        QCOMPARE(r.out, QDir::toNativeSeparators(f.expectedPath()) + u'\n');
        QCOMPARE(readFile(f.expectedPath()), xml);
        QVERIFY(QFileInfo(pdf).isDir());
        QCOMPARE(files(f.outputFolder()), (QStringList{QStringLiteral("FDPT-1234567A-2023.pdf"),
                                                       QStringLiteral("FDPT-1234567A-2023.xml")}));
        QVERIFY(QDir(pdf).isEmpty());

        // --check writes no file, so it takes no --summary.
        r = runCaptured(
            GenerateCommand::run,
            {QStringLiteral("ardoz"), QStringLiteral("--check"), QStringLiteral("--company"),
             QStringLiteral("1234567A"), QStringLiteral("--year"), QStringLiteral("2023"),
             QStringLiteral("--summary")});
        QCOMPARE(r.code, 2);
    }

    /// A file that stops half-way: the earlier PDF stays as it was, no partial file is left.
    void unreadableFileLeavesTheEarlierPdf() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString xml = folder.filePath(QStringLiteral("FDPT-1234567A-2023.xml"));
        const QString pdf = DeclarationSummary::pathFor(xml);
        {
            QFile file(xml);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<PrixTransfert>\r\n<Entete>"
                "\r\n<CodeActe>0</CodeActe>\r\n<Exercice>2023</Exer");
            QFile earlier(pdf);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("earlier review");
        }
        try {
            DeclarationSummary::write(xml, {}, kGenerated);
            QFAIL("no error");
        } catch (const DeclarationError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("n'est pas un document XML lisible")),
                     qPrintable(e.text()));
        }
        QCOMPARE(readFile(pdf), QByteArray("earlier review"));
        QCOMPARE(files(folder.path()), (QStringList{QStringLiteral("FDPT-1234567A-2023.pdf"),
                                                    QStringLiteral("FDPT-1234567A-2023.xml")}));
    }
};

QTEST_MAIN(TestDeclarationSummary)
#include "tst_declaration_summary.moc"
