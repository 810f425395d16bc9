#include "UiTestSupport.h"
#include "widgets/DBGrid.h"
#include "widgets/MessageBoxRecorder.h"

#include <QHeaderView>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>

using db::Decimal;
using db::Value;

class TestDBGrid : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;

    Dataset& societe() { return *m_module->societe; }

    static void fill(DBGrid& grid, Dataset& dataset) {
        grid.addColumn(QStringLiteral("Code"), QStringLiteral("MFISCAL"));
        grid.addColumn(QStringLiteral("Raison Sociale"), QStringLiteral("RAISONSOCIALE"), 200);
        grid.addColumn(QStringLiteral("Chiffre"), QStringLiteral("CHIFFREAFFAIREANNUEL"));
        grid.setDataset(&dataset);
        grid.resize(600, 300);
    }

    static QPoint cell(DBGrid& grid, int row, int column = 1) {
        return grid.visualRect(grid.model()->index(row, column)).center();
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void init() {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->isValid());
        m_db->addCompany("3333333", "C", 2023, "GAMMA");
        m_db->addCompany("2222222", "B", 2023, "BETA");
        m_db->addCompany("1111111", "A", 2023, "ALPHA");
        m_module = m_db->openModule();
        societe().open();
    }
    void cleanup() {
        m_module.reset();
        m_db.reset();
    }

    void showsTheRowsInTheirDisplayForm() {
        societe().edit();
        societe().setValue("CHIFFREAFFAIREANNUEL", Value(Decimal(1234567500, 3)));
        societe().post();
        DBGrid grid;
        fill(grid, societe());
        QCOMPARE(grid.model()->rowCount(), 3);
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Raison Sociale"));
        QCOMPARE(grid.model()->index(0, 1).data().toString(), QStringLiteral("ALPHA"));
        QCOMPARE(grid.model()->index(0, 2).data().toString(), QStringLiteral("1 234 567,500"));
        QCOMPARE(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    }

    void followsTheCurrentRowOfTheDataset() {
        DBGrid grid;
        fill(grid, societe());
        QCOMPARE(grid.currentIndex().row(), 0);
        societe().moveTo(2);
        QCOMPARE(grid.currentIndex().row(), 2);
        QVERIFY(grid.selectionModel()->isRowSelected(2, QModelIndex()));
        QCOMPARE(grid.model()->headerData(2, Qt::Vertical).toString(), QStringLiteral("▶"));
        QCOMPARE(grid.model()->headerData(0, Qt::Vertical).toString(), QString());
        societe().open();
        QCOMPARE(grid.currentIndex().row(), 0);
    }

    void aClickOrAnArrowKeyMovesTheDataset() {
        DBGrid grid;
        fill(grid, societe());
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell(grid, 1));
        QCOMPARE(societe().currentIndex(), 1);
        QCOMPARE(societe().value("RAISONSOCIALE").toText(), QStringLiteral("BETA"));
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(societe().currentIndex(), 2);
    }

    void twoGridsOverOneDatasetStayInStep() {
        DBGrid first;
        DBGrid second;
        fill(first, societe());
        fill(second, societe());
        first.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        QTest::mouseClick(first.viewport(), Qt::LeftButton, {}, cell(first, 2));
        QCOMPARE(second.currentIndex().row(), 2);
        societe().edit();
        societe().setValue("RAISONSOCIALE", Value(u"GAMMA BIS"));
        QCOMPARE(second.model()->index(2, 1).data().toString(), QStringLiteral("GAMMA BIS"));
        QCOMPARE(second.model()->headerData(2, Qt::Vertical).toString(), QStringLiteral("✎"));
        societe().append();
        QCOMPARE(second.model()->rowCount(), 4);
        QCOMPARE(second.currentIndex().row(), 3);
        QCOMPARE(second.model()->headerData(3, Qt::Vertical).toString(), QStringLiteral("*"));
        societe().cancel();
        QCOMPARE(second.model()->rowCount(), 3);
        QCOMPARE(first.model()->rowCount(), 3);
    }

    void aRefusedPostKeepsTheRow() {
        MessageBoxRecorder boxes;
        DBGrid grid;
        fill(grid, societe());
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        societe().edit();
        societe().setValue("MFISCAL", Value());
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell(grid, 2));
        QCOMPARE(boxes.texts(), QStringList({"Field 'MFISCAL' must have a value"}));
        QCOMPARE(societe().currentIndex(), 0);
        QCOMPARE(societe().state(), DatasetState::Edit);
        QCOMPARE(grid.currentIndex().row(), 0);
    }

    void titlesAreClickableAndTheSortMarkStaysAscending() {
        DBGrid grid;
        fill(grid, societe());
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy clicks(&grid, &DBGrid::titleClicked);
        QHeaderView* header = grid.horizontalHeader();
        const QPoint title(header->sectionViewportPosition(1) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.first().at(0).toInt(), 1);
        QCOMPARE(clicks.first().at(1).toString(), QStringLiteral("RAISONSOCIALE"));
        QVERIFY(!header->isSortIndicatorShown());
        grid.setSortMark(1);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 1);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        grid.setSortMark(-1);
        QVERIFY(!header->isSortIndicatorShown());
    }

    void aClosedDatasetShowsNoRow() {
        DBGrid grid;
        fill(grid, societe());
        societe().close();
        QCOMPARE(grid.model()->rowCount(), 0);
        QVERIFY(!grid.currentIndex().isValid());
    }
};

QTEST_MAIN(TestDBGrid)
#include "tst_dbgrid.moc"
