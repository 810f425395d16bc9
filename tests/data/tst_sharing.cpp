// Two desktops on one database: two data modules, each with its own connection and
// transaction, as two workstations would have.
#include "TestDatabase.h"
#include "db/DatabaseError.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QElapsedTimer>
#include <QTest>

using db::Value;

namespace {

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const db::DatabaseError& e) {
        return e.text();
    }
    return QString();
}

}  // namespace

class TestSharing : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_a;
    std::unique_ptr<TDataprix> m_b;

    std::unique_ptr<TDataprix> desktop() {
        auto module = m_db->openModule();
        module->societe->open();
        return module;
    }

    static Dataset& lines(TDataprix& module) { return *module.montanttransactions; }

    static int appendLine(TDataprix& module, const QString& matricule) {
        Dataset& ds = lines(module);
        ds.append();
        ds.setValue("MATRICULEFISCAL", matricule);
        ds.post();
        return int(ds.value("LG").toInt());
    }

    static QStringList matricules(Dataset& ds) {
        QStringList list;
        for (ds.first(); !ds.eof(); ds.next()) {
            list.append(ds.value("MATRICULEFISCAL").toText().trimmed());
        }
        return list;
    }

private slots:
    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("1234567", "A", 2023, "ALPHA");
        m_a = desktop();
        m_b = desktop();
        m_a->openForActiveCompany(lines(*m_a));
        m_b->openForActiveCompany(lines(*m_b));
    }
    void cleanup() {
        m_b.reset();
        m_a.reset();
        m_db.reset();
    }

    void aReopenedListShowsWhatAnotherDesktopCommitted() {
        appendLine(*m_b, "B1");
        QCOMPARE(matricules(lines(*m_a)), QStringList());
        m_a->openForActiveCompany(lines(*m_a));
        QCOMPARE(matricules(lines(*m_a)), QStringList({"B1"}));
    }

    void theNextLineNumberCountsOtherDesktopsLines() {
        QCOMPARE(appendLine(*m_a, "A1"), 1);
        QCOMPARE(appendLine(*m_b, "B1"), 2);
        QCOMPARE(appendLine(*m_a, "A2"), 3);
    }

    void aRuleNumberTakenMeanwhileIsReplacedByTheNextFreeOne() {
        Dataset& a = lines(*m_a);
        a.append();
        a.setValue("MATRICULEFISCAL", QStringLiteral("A1"));
        QCOMPARE(a.value("LG").toInt(), 1);
        QCOMPARE(appendLine(*m_b, "B1"), 1);
        a.post();
        QCOMPARE(a.state(), DatasetState::Browse);
        QCOMPARE(a.value("LG").toInt(), 2);
        m_a->openForActiveCompany(a);
        QCOMPARE(a.rowCount(), 2);
        QVERIFY(a.locate({"LG"}, {Value(2)}));
        QCOMPARE(a.value("MATRICULEFISCAL").toText(), "A1");
    }

    void aTypedLineNumberIsNeverChanged() {
        Dataset& a = lines(*m_a);
        a.append();
        a.setValue("LG", 1);
        QVERIFY(!a.holdsRuleValue("LG"));
        a.setValue("MATRICULEFISCAL", QStringLiteral("A1"));
        appendLine(*m_b, "B1");
        try {
            a.post();
            QFAIL("a typed line number was changed");
        } catch (const db::DatabaseError& e) {
            QCOMPARE(e.kind(), db::DatabaseError::Kind::DuplicateKey);
        }
        QCOMPARE(a.state(), DatasetState::Insert);
        QCOMPARE(a.value("LG").toInt(), 1);
        QCOMPARE(a.value("MATRICULEFISCAL").toText(), "A1");
    }

    void changingARowDeletedElsewhereIsRefusedAndKeepsTheRow() {
        appendLine(*m_a, "A1");
        m_b->openForActiveCompany(lines(*m_b));
        lines(*m_b).remove();

        Dataset& a = lines(*m_a);
        a.edit();
        a.setValue("MATRICULEFISCAL", QStringLiteral("A1bis"));
        QCOMPARE(errorOf([&] { a.post(); }), Dataset::kModifyVanished);
        QCOMPARE(a.state(), DatasetState::Edit);
        QCOMPARE(a.value("MATRICULEFISCAL").toText(), "A1bis");
        a.cancel();
        QCOMPARE(errorOf([&] { a.remove(); }), Dataset::kDeleteVanished);
        QCOMPARE(a.rowCount(), 1);
        m_a->openForActiveCompany(a);
        QVERIFY(a.isEmpty());
    }

    void changingARowChangedElsewhereIsRefusedAndKeepsTheRow() {
        appendLine(*m_a, "A1");
        Dataset& b = lines(*m_b);
        m_b->openForActiveCompany(b);
        b.edit();
        b.setValue("MATRICULEFISCAL", QStringLiteral("B"));
        b.post();

        Dataset& a = lines(*m_a);
        a.edit();
        a.setValue("RAISONSOCIALE", QStringLiteral("Filiale"));
        QCOMPARE(errorOf([&] { a.post(); }), Dataset::kModifyChanged);
        QCOMPARE(a.state(), DatasetState::Edit);
        QCOMPARE(a.value("RAISONSOCIALE").toText(), "Filiale");
        a.cancel();
        QCOMPARE(errorOf([&] { a.remove(); }), Dataset::kDeleteChanged);
        QCOMPARE(a.rowCount(), 1);

        // The current version, once read again, can be changed.
        m_a->openForActiveCompany(a);
        QCOMPARE(a.value("MATRICULEFISCAL").toText().trimmed(), "B");
        a.edit();
        a.setValue("RAISONSOCIALE", QStringLiteral("Filiale"));
        a.post();
    }

    void aWaitOnAnotherDesktopsUncommittedChangeEnds() {
        appendLine(*m_a, "A1");
        // Desktop B's "Effacer Tout": deleted, not committed yet.
        db::Statement effacer(m_b->IBTransaction1);
        effacer.prepare(QStringLiteral("delete from OPERATIONSMONTANTS"));
        effacer.execute();

        Dataset& a = lines(*m_a);
        a.edit();
        a.setValue("RAISONSOCIALE", QStringLiteral("Filiale"));
        QElapsedTimer waited;
        waited.start();
        const QString error = errorOf([&] { a.post(); });
        QCOMPARE(error, Dataset::kRowLocked.arg(db::Transaction::kLockTimeoutSeconds));
        QVERIFY2(waited.elapsed() < 4 * 1000 * db::Transaction::kLockTimeoutSeconds,
                 qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(a.state(), DatasetState::Edit);

        // A statement of its own meets the same bounded wait.
        db::Statement autre(m_a->IBTransaction1);
        autre.prepare(QStringLiteral("delete from OPERATIONSMONTANTS"));
        try {
            autre.execute();
            QFAIL("no conflict");
        } catch (const db::DatabaseError& e) {
            QCOMPARE(e.kind(), db::DatabaseError::Kind::Conflict);
            QVERIFY(e.text().startsWith(db::DatabaseError::conflictText()));
        }

        m_b->commitRetaining();
        QCOMPARE(errorOf([&] { a.post(); }), Dataset::kModifyVanished);
    }

    void aReadingPassSeesOneMomentAndLeavesTheDatasetsShared() {
        for (int i = 1; i <= 100; ++i) {
            appendLine(*m_b, QStringLiteral("B%1").arg(i));
        }
        Dataset& a = lines(*m_a);
        int seenInPass = -1;
        m_a->lectureInstantanee([&] {
            m_a->openForActiveCompany(a);
            QCOMPARE(a.rowCount(), Dataset::kFirstBatch);
            // Another desktop commits while the pass reads.
            appendLine(*m_b, "B101");
            m_b->societe->edit();
            m_b->societe->setValue("RAISONSOCIALE", QStringLiteral("CHANGÉE"));
            m_b->societe->post();
            db::Statement count(m_a->IBTransaction1);
            count.prepare(QStringLiteral("select count(*) from OPERATIONSMONTANTS"));
            count.execute();
            QVERIFY(count.fetch());
            seenInPass = int(count.row().at(0).toInt());
            QCOMPARE(m_a->societe->value("RAISONSOCIALE").toText(), "ALPHA");
            // Nothing is written during the pass.
            QVERIFY(!errorOf([&] {
                         db::Statement write(m_a->IBTransaction1);
                         write.prepare(QStringLiteral("delete from OPERATIONSMONTANTS"));
                         write.execute();
                     }).isEmpty());
        });
        QCOMPARE(seenInPass, 100);
        // A list the pass only looked into is open again on the shared transaction, on its
        // first row, and sees what was committed meanwhile.
        QCOMPARE(a.currentIndex(), 0);
        QCOMPARE(a.fetchMore(1000) + Dataset::kFirstBatch, 101);
        // Afterwards the list works in the shared transaction again.
        QCOMPARE(appendLine(*m_a, "A1"), 102);
        m_a->openForActiveCompany(a);
        QCOMPARE(a.fetchMore(1000) + Dataset::kFirstBatch, 102);
        m_a->societe->open();
        QCOMPARE(m_a->societe->value("RAISONSOCIALE").toText(), QString::fromUtf16(u"CHANGÉE"));
    }
};

QTEST_GUILESS_MAIN(TestSharing)
#include "tst_sharing.moc"
