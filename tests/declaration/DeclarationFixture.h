#pragma once

#include "TestDatabase.h"
#include "data/Dataset.h"
#include "data/TDataprix.h"
#include "db/Statement.h"
#include "declaration/DeclarationWriter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

/**
 * A fresh database with a connected data module, a company to declare and an output
 * folder; rows are written with plain SQL through the module's own transaction and
 * committed, as the record rules would.
 */
class DeclarationFixture {
public:
    using Columns = QList<QPair<QString, db::Value>>;

    static inline const QString kMfiscal = QStringLiteral("1234567");
    static inline const QString kCle = QStringLiteral("A");
    static inline const QString kIdentifiant = QStringLiteral("1234567A");
    static constexpr int kExercice = 2023;

    DeclarationFixture() {
        if (!m_database.isValid()) {
            return;
        }
        m_module = m_database.openModule();
    }

    bool isValid() const { return m_database.isValid() && m_module && m_output.isValid(); }
    TDataprix& module() { return *m_module; }
    const TestDatabase& database() const { return m_database; }
    QString outputFolder() const { return m_output.path(); }

    /// Runs one statement with named parameters in the module's transaction and commits it.
    void exec(const QString& sql, const Columns& params = {}) {
        m_module->ensureConnected();
        db::Statement statement(m_module->IBTransaction1);
        statement.prepare(sql);
        for (const auto& p : params) {
            statement.setParam(p.first, p.second);
        }
        statement.execute();
        m_module->commitRetaining();
    }

    /// Inserts one row into @p table; detail rows get the company, the year and a line number.
    void insert(const QString& table, Columns columns, bool detail = true,
                const QString& mfiscal = kIdentifiant, int exercice = kExercice) {
        if (detail) {
            columns.prepend({QStringLiteral("EXERCICE"), db::Value(exercice)});
            columns.prepend({QStringLiteral("MFISCAL"), db::Value(mfiscal)});
            if (table.compare(QLatin1StringView("INFORMATIONGROUPE"), Qt::CaseInsensitive) != 0) {
                columns.append({QStringLiteral("LG"), db::Value(++m_lines[table])});
            }
        }
        QStringList names;
        QStringList params;
        Columns bound;
        for (int i = 0; i < columns.size(); ++i) {
            names.append(columns[i].first);
            params.append(QStringLiteral(":p%1").arg(i));
            bound.append({QStringLiteral("p%1").arg(i), columns[i].second});
        }
        exec(QStringLiteral("insert into %1 (%2) values (%3)")
                 .arg(table, names.join(u','), params.join(u',')),
             bound);
    }

    /// Inserts the declaring company (with @p columns besides its key) and makes it current.
    void addCompany(const Columns& columns = {}, const QString& mfiscal = kMfiscal,
                    const QString& cle = kCle, int exercice = kExercice) {
        Columns all = {{QStringLiteral("MFISCAL"), db::Value(mfiscal)},
                       {QStringLiteral("CLE"), db::Value(cle)},
                       {QStringLiteral("EXERCICE"), db::Value(exercice)}};
        all += columns;
        insert(QStringLiteral("SOCIETE"), all, false);
        select(mfiscal, cle, exercice);
    }

    /// Makes the company row current in societe, as the company list does.
    bool select(const QString& mfiscal = kMfiscal, const QString& cle = kCle,
                int exercice = kExercice) {
        m_module->societe->open();
        return m_module->societe->locate(
            {QStringLiteral("MFISCAL"), QStringLiteral("CLE"), QStringLiteral("EXERCICE")},
            {db::Value(mfiscal), db::Value(cle), db::Value(exercice)});
    }

    QString expectedPath() const {
        return QDir(m_output.path())
            .filePath(DeclarationWriter::fileName(kIdentifiant, QString::number(kExercice)));
    }

    /// Generates into the output folder and returns the file's bytes (throws on failure).
    QByteArray generate() {
        DeclarationWriter writer(*m_module);
        const QString path = writer.generate(m_output.path());
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return QByteArray();
        }
        return file.readAll();
    }

    /// The file's lines without their CR LF.
    static QStringList lines(const QByteArray& bytes) {
        QStringList result = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
        if (!result.isEmpty() && result.last().isEmpty()) {
            result.removeLast();
        }
        return result;
    }

    /// The lines from @p first to @p last, both included (the first occurrences).
    static QStringList between(const QStringList& lines, const QString& first,
                               const QString& last) {
        const qsizetype from = lines.indexOf(first);
        if (from < 0) {
            return {};
        }
        const qsizetype to = lines.indexOf(last, from);
        if (to < 0) {
            return {};
        }
        return lines.mid(from, to - from + 1);
    }

private:
    TestDatabase m_database;
    std::unique_ptr<TDataprix> m_module;
    QTemporaryDir m_output;
    QHash<QString, int> m_lines;
};
