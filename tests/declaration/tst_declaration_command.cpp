#include "CommandResult.h"
#include "CompleteDeclaration.h"
#include "commands/GenerateCommand.h"
#include "declaration/DeclarationValidator.h"

#include <QTest>
#include <QTextStream>

namespace {

using Result = CommandResult;

Result runCommand(const QStringList& options,
                  const QString& command = QStringLiteral("--generate")) {
    return runCaptured(GenerateCommand::run,
                       QStringList{QStringLiteral("ardoz"), command} + options);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Restores the working folder the test started in.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : m_saved(QDir::currentPath()) {
        QDir::setCurrent(folder);
    }
    ~CurrentFolder() { QDir::setCurrent(m_saved); }

private:
    QString m_saved;
};

}  // namespace

class TestDeclarationCommand : public QObject {
    Q_OBJECT

private slots:
    void successPrintsThePath() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany({{"RAISONSOCIALE", db::Value(QStringLiteral("Société Alpha"))}});
        f.insert(QStringLiteral("OPERATIONSMONTANTS"),
                 {{"TYPEMONTANT", db::Value(QStringLiteral("1"))},
                  {"ACHATS", db::Value(*db::Decimal::parse(QStringLiteral("100.400")))}});
        // What the dialog's generation writes, for comparison.
        DeclarationWriter writer(f.module());
        writer.generate(f.outputFolder());
        const QByteArray reference = readFile(f.expectedPath());
        QFile::remove(f.expectedPath());

        const Result r = runCommand({"--company", "1234567A", "--year", "2023", "--output",
                                     f.outputFolder(), "--database", f.database().databasePath()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, QDir::toNativeSeparators(f.expectedPath()) + u'\n');
        // The problems of this incomplete declaration are counted, not listed.
        QVERIFY(writer.problems().size() > 1);
        QCOMPARE(r.err, QStringLiteral("Contrôle selon le schéma de l'administration FDPT.xsd "
                                       "version 2.0 : %1 problèmes.\n")
                            .arg(writer.problems().size()));
        QCOMPARE(readFile(f.expectedPath()), reference);
    }

    void equalsFormAndLowerCaseKey() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const Result r =
            runCommand({"--company=1234567a", "--year=2023", "--output=" + f.outputFolder(),
                        "--database=" + f.database().databasePath()});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(f.expectedPath()));
    }

    void iniDatabaseAndWorkingFolderByDefault() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        // The company list order is by name: the row found must be the one of the year asked.
        f.addCompany({}, DeclarationFixture::kMfiscal, DeclarationFixture::kCle, 2022);
        const CurrentFolder cwd(f.database().workFolder());
        const Result r = runCommand({"--company", "1234567A", "--year", "2022"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QString expected =
            QDir(f.database().workFolder()).filePath(QStringLiteral("FDPT-1234567A-2022.xml"));
        QCOMPARE(r.out, QDir::toNativeSeparators(expected) + u'\n');
        QVERIFY(readFile(expected).contains("<Exercice>2022</Exercice>"));
    }

    void unknownCompany() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const Result r = runCommand({"--company", "7654321B", "--year", "2023", "--output",
                                     f.outputFolder(), "--database", f.database().databasePath()});
        QCOMPARE(r.code, static_cast<int>(GenerateCommand::Exit::UnknownCompany));
        QCOMPARE(r.err,
                 QStringLiteral("Société inconnue : aucune société n'a l'identifiant 7654321B.\n"));
        QVERIFY(r.out.isEmpty());
        QVERIFY(QDir(f.outputFolder()).isEmpty());
    }

    void unknownYear() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const Result r = runCommand({"--company", "1234567A", "--year", "2019", "--output",
                                     f.outputFolder(), "--database", f.database().databasePath()});
        QCOMPARE(r.code, static_cast<int>(GenerateCommand::Exit::UnknownYear));
        QCOMPARE(r.err, QStringLiteral(
                            "Exercice inconnu : la société 1234567A n'a pas d'exercice 2019.\n"));
        QVERIFY(r.out.isEmpty());
        QVERIFY(QDir(f.outputFolder()).isEmpty());
    }

    void missingOutputFolder() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const QString missing = QDir(f.outputFolder()).filePath(QStringLiteral("absent"));
        const Result r = runCommand({"--company", "1234567A", "--year", "2023", "--output", missing,
                                     "--database", f.database().databasePath()});
        QCOMPARE(r.code, static_cast<int>(GenerateCommand::Exit::GenerationFailed));
        QCOMPARE(r.err, DeclarationWriter::kFolderMissing.arg(missing) + u'\n');
        QVERIFY(r.out.isEmpty());
    }

    void databaseThatCannotBeOpened() {
        QTemporaryDir dir;
        const Result r =
            runCommand({"--company", "1234567A", "--year", "2023", "--output", dir.path(),
                        "--database", dir.filePath(QStringLiteral("absente.gdb"))});
        QCOMPARE(r.code, static_cast<int>(GenerateCommand::Exit::DatabaseFailed));
        QVERIFY2(r.err.startsWith(QStringLiteral("Connexion à la base de données impossible : ")),
                 qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    void checkPrintsOneProblemPerLine() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        fillCompleteDeclaration(f);
        const QStringList options = {"--company", "1234567A",   "--year",
                                     "2023",      "--database", f.database().databasePath()};
        const CurrentFolder cwd(f.outputFolder());
        Result r = runCommand(options, QStringLiteral("--check"));
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err, QStringLiteral("Contrôle de la déclaration 1234567A de l'exercice 2023 "
                                       "selon le schéma de l'administration FDPT.xsd version "
                                       "2.0 : aucun problème.\n"));

        f.exec(QStringLiteral("update SOCIETE set CODEPOSTAL = 12345, FORMEJURIDIQUE = null"));
        QVERIFY(f.select());
        DeclarationWriter writer(f.module());
        writer.check();
        QCOMPARE(writer.problems().size(), 2);
        r = runCommand(options, QStringLiteral("--check"));
        QCOMPARE(r.code, static_cast<int>(GenerateCommand::Exit::ProblemsFound));
        QCOMPARE(r.out,
                 writer.problems().at(0).text() + u'\n' + writer.problems().at(1).text() + u'\n');
        QVERIFY(r.err.endsWith(QStringLiteral("version 2.0 : 2 problèmes.\n")));
        // Nothing is written, neither in the working folder nor elsewhere.
        QVERIFY(QDir(f.outputFolder()).isEmpty());
    }

    void checkExitCodes() {
        DeclarationFixture f;
        QVERIFY(f.isValid());
        f.addCompany();
        const QString db = f.database().databasePath();
        auto check = [&](const QStringList& options) {
            return runCommand(options, QStringLiteral("--check"));
        };
        QCOMPARE(check({"--company", "7654321B", "--year", "2023", "--database", db}).code,
                 static_cast<int>(GenerateCommand::Exit::UnknownCompany));
        QCOMPARE(check({"--company", "1234567A", "--year", "2019", "--database", db}).code,
                 static_cast<int>(GenerateCommand::Exit::UnknownYear));
        QCOMPARE(
            check({"--company", "1234567A", "--year", "2023", "--output", "x", "--database", db})
                .code,
            static_cast<int>(GenerateCommand::Exit::Usage));
        QCOMPARE(check({"--company", "1234567A"}).code,
                 static_cast<int>(GenerateCommand::Exit::Usage));
        QTemporaryDir empty;
        QCOMPARE(check({"--company", "1234567A", "--year", "2023", "--database",
                        empty.filePath(QStringLiteral("absente.gdb"))})
                     .code,
                 static_cast<int>(GenerateCommand::Exit::DatabaseFailed));

        // A query of the document fails (a column of an older database is missing): the
        // declaration cannot be produced, let alone checked.
        f.exec(QStringLiteral("alter table OPERATIONSANSCONTRE drop NATURECONTREPARTIE"));
        const Result r = check({"--company", "1234567A", "--year", "2023", "--database", db});
        QCOMPARE(r.code, static_cast<int>(GenerateCommand::Exit::DocumentNotProduced));
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("no company")
            << QStringList{"--year", "2023"}
            << QStringLiteral("L'identifiant de la société manque (--company).");
        QTest::newRow("no year") << QStringList{"--company", "1234567A"}
                                 << QStringLiteral("L'exercice manque (--year).");
        QTest::newRow("no value") << QStringList{"--company", "1234567A", "--year"}
                                  << QStringLiteral("L'option --year attend une valeur.");
        QTest::newRow("unknown option")
            << QStringList{"--company", "1234567A", "--year", "2023", "--verbose"}
            << QStringLiteral("Option inconnue : --verbose.");
        QTest::newRow("bad year")
            << QStringList{"--company", "1234567A", "--year", "deux mille"}
            << QStringLiteral("Exercice non valable : deux mille (une année, par exemple 2023).");
        QTest::newRow("bad identifier") << QStringList{"--company", "12345678", "--year", "2023"}
                                        << QStringLiteral(
                                               "Identifiant de société non valable : 12345678 "
                                               "(matricule fiscal suivi de la clé, "
                                               "par exemple 1234567A).");
    }
    void usageErrors() {
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        const Result r = runCommand(options);
        QCOMPARE(r.code, static_cast<int>(GenerateCommand::Exit::Usage));
        QVERIFY2(r.err.startsWith(message + u'\n'), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDeclarationCommand)
#include "tst_declaration_command.moc"
