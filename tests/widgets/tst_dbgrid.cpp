#include "MessageBoxRecorder.h"
#include "UiTestSupport.h"
#include "widgets/DBGrid.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

using db::Decimal;
using db::Value;

class TestDBGrid : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TDataprix> m_module;
    QTemporaryDir m_home;

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
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        // The widths the user drags are kept in the user's settings: the test's own.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        QStandardPaths::setTestModeEnabled(true);
    }

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

    void columnsFitWhatTheyHoldAndKeepTheWidthsTheUserDrags() {
        const QString longue = QStringLiteral("SOCIÉTÉ DE DÉMONSTRATION ").repeated(6).trimmed();
        societe().edit();
        societe().setValue("CHIFFREAFFAIREANNUEL",
                           Value(*Decimal::parse(QStringLiteral("999999999999.999"))));
        societe().setValue("RAISONSOCIALE", longue);
        societe().post();
        auto grille = [this] {
            auto grid = std::make_unique<DBGrid>();
            grid->setSettingsKey(QStringLiteral("Essai/Liste"));
            fill(*grid, societe());
            grid->show();
            grid->fitColumns();
            return grid;
        };
        auto grid = grille();
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
        QCOMPARE(grid->namesColumn(), 1);
        const QModelIndex montant = grid->model()->index(0, 2);
        QCOMPARE(montant.data().toString(), QStringLiteral("999 999 999 999,999"));
        // No amount and no code is cut; the names take the width left, the last column none.
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
            QVERIFY(!grid->isCut(grid->model()->index(row, 0)));
            QVERIFY(!grid->isCut(grid->model()->index(row, 2)));
        }
        QVERIFY(grid->columnWidth(2) <
                grid->fontMetrics().horizontalAdvance(montant.data().toString()) + 40);
        QCOMPARE(grid->columnWidth(0) + grid->columnWidth(1) + grid->columnWidth(2),
                 grid->viewport()->width());
        // A cut name shows whole as a tooltip; a whole one shows none.
        const QModelIndex nom = grid->model()->index(0, 1);
        QCOMPARE(nom.data().toString(), longue);
        QVERIFY(grid->isCut(nom));
        QHelpEvent aide(QEvent::ToolTip, grid->visualRect(nom).center(),
                        grid->viewport()->mapToGlobal(grid->visualRect(nom).center()));
        QApplication::sendEvent(grid->viewport(), &aide);
        QCOMPARE(QToolTip::text(), longue);
        QToolTip::hideText();
        QVERIFY(!grid->isCut(grid->model()->index(1, 1)));

        // A wider amount sent later widens its column.
        societe().moveTo(1);
        societe().edit();
        societe().setValue("CHIFFREAFFAIREANNUEL",
                           Value(*Decimal::parse(QStringLiteral("-999999999999999.999"))));
        societe().post();
        QCoreApplication::processEvents();
        QCOMPARE(grid->model()->index(1, 2).data().toString(),
                 QStringLiteral("-999 999 999 999 999,999"));
        QVERIFY(!grid->isCut(grid->model()->index(1, 2)));
        QCOMPARE(grid->columnWidth(0) + grid->columnWidth(1) + grid->columnWidth(2),
                 grid->viewport()->width());

        // A width the user drags wins over the fitted one, and comes back in the next session.
        const int ajustee = grid->columnWidth(2);
        grid->horizontalHeader()->resizeSection(2, ajustee + 60);
        grid->fitColumns();
        QCOMPARE(grid->columnWidth(2), ajustee + 60);
        grid.reset();
        QCOMPARE(QSettings(DBGrid::settingsFile(), QSettings::IniFormat)
                     .value(QStringLiteral("Essai/Liste/CHIFFREAFFAIREANNUEL"))
                     .toInt(),
                 ajustee + 60);
        grid = grille();
        QCOMPARE(grid->columnWidth(2), ajustee + 60);
        // A double click on the title's edge fits the column again, for good.
        emit grid->horizontalHeader()->sectionHandleDoubleClicked(2);
        QCOMPARE(grid->columnWidth(2), ajustee);
        grid = grille();
        QCOMPARE(grid->columnWidth(2), ajustee);
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

    void titlesAreClickableAndTheMarkFollowsTheSortOfTheDataset() {
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
        // The company list query is sorted by name: its column is marked, ascending, and a
        // click on a title does not flip the mark by itself.
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        societe().setSql(QStringLiteral("select * from SOCIETE order by MFISCAL"),
                         QStringLiteral("mfiscal"));
        societe().open();
        QCOMPARE(grid.sortMark(), 0);
        QCOMPARE(header->sortIndicatorSection(), 0);
        societe().setSql(QStringLiteral("select * from SOCIETE"));
        societe().open();
        QVERIFY(!header->isSortIndicatorShown());
        QCOMPARE(grid.sortMark(), -1);
    }

    void theModelStaysSoundThroughEveryChangeOfTheDataset() {
        DBGrid grid;
        fill(grid, societe());
        QAbstractItemModelTester tester(grid.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        societe().append();
        societe().setValue("MFISCAL", Value(u"4444444"));
        societe().setValue("CLE", Value(u"D"));
        societe().setValue("EXERCICE", Value(2023));
        societe().setValue("RAISONSOCIALE", Value(u"DELTA"));
        societe().post();
        societe().moveTo(1);
        societe().edit();
        societe().setValue("RAISONSOCIALE", Value(u"BETA MODIFIÉE"));
        societe().cancel();
        societe().append();
        societe().cancel();
        // Deleting the row being edited: the views read the listed rows, never an empty one.
        societe().moveTo(1);
        societe().edit();
        societe().setValue("RAISONSOCIALE", Value(u"BETA MODIFIÉE"));
        societe().remove();
        QCOMPARE(grid.model()->rowCount(), 3);
        QCOMPARE(grid.model()->index(1, 1).data().toString(), QStringLiteral("GAMMA"));
        QCOMPARE(grid.model()->index(2, 1).data().toString(), QStringLiteral("DELTA"));
        societe().close();
        societe().open();
        QCOMPARE(grid.model()->rowCount(), 3);
    }

    void aLongListIsFetchedAsTheGridScrolls() {
        db::Statement insert(m_module->IBTransaction1);
        insert.prepare(
            QStringLiteral("insert into SOCIETE (MFISCAL, CLE, EXERCICE, "
                           "RAISONSOCIALE) values (:m, 'Z', 2023, :r)"));
        for (int i = 0; i < 10000; ++i) {
            insert.setParam(QStringLiteral("m"), QString::number(5000000 + i));
            insert.setParam(QStringLiteral("r"),
                            QStringLiteral("SOCIETE %1").arg(i, 5, 10, QChar(u'0')));
            insert.execute();
        }
        m_module->commitRetaining();
        societe().open();
        DBGrid grid;
        fill(grid, societe());
        QAbstractItemModelTester tester(grid.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const int shown = grid.model()->rowCount();
        QVERIFY2(shown < 1000, qPrintable(QString::number(shown)));
        QCOMPARE(societe().rowCount(), shown);
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
        QCoreApplication::processEvents();
        QVERIFY(grid.model()->rowCount() > shown);
        societe().last();
        QCOMPARE(grid.model()->rowCount(), 10003);
        QCOMPARE(grid.currentIndex().row(), 10002);
    }

    void inPlaceEditingForTheReferenceLists() {
        MessageBoxRecorder boxes;
        Dataset& devise = *m_module->devise;
        devise.setSql(QStringLiteral("select * from DEVISE where DEVISE in ('EUR', 'TND', 'USD') "
                                     "order by DEVISE"),
                      QStringLiteral("DEVISE"));
        devise.open();
        DBGrid grid;
        grid.addColumn(QStringLiteral("Devise"), QStringLiteral("DEVISE"));
        grid.addColumn(QStringLiteral("Libellé Devise"), QStringLiteral("LIBELLE"), 200);
        grid.setDataset(&devise);
        grid.setInPlaceEditing(true);
        grid.resize(400, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowActive(&grid));

        // "Ajouter": a new row, the cells editable; code, Enter, label, Enter sends it.
        devise.append();
        grid.setCellsEditable(true);
        grid.setFocus();
        QTest::keyClick(&grid, 'Z');
        QTest::keyClicks(QApplication::focusWidget(), "ZZ");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(grid.currentIndex().column(), 1);
        QTRY_VERIFY(grid.viewport()->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), "Franc CFA");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(devise.state(), DatasetState::Browse);
        QVERIFY(!grid.cellsEditable());
        QCOMPARE(grid.currentIndex().column(), 0);
        QCOMPARE(m_db->count(QStringLiteral("select count(*) from DEVISE where DEVISE = "
                                            "'ZZZ' and LIBELLE = 'Franc CFA'")),
                 1);

        // The Up arrow abandons a new row whose code is empty.
        devise.append();
        grid.setCellsEditable(true);
        QTest::keyClick(&grid, Qt::Key_Up);
        QCOMPARE(devise.state(), DatasetState::Browse);
        QCOMPARE(grid.model()->rowCount(), 4);

        // A click in a cell puts a browsed row into editing; the wheel moves one row a step.
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell(grid, 0, 1));
        QCOMPARE(devise.state(), DatasetState::Edit);
        QWheelEvent down(QPointF(10, 10), grid.mapToGlobal(QPointF(10, 10)), QPoint(),
                         QPoint(0, -240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &down);
        QCOMPARE(devise.currentIndex(), 2);
        QCOMPARE(devise.state(), DatasetState::Browse);
        QVERIFY(boxes.isEmpty());
    }

    void ctrlDeleteDeletesAfterConfirmation() {
        MessageBoxRecorder boxes;
        DBGrid grid;
        fill(grid, societe());
        grid.setCtrlDeleteDeletes(true);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        boxes.setConfirmAnswer(false);
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(societe().rowCount(), 3);
        boxes.setConfirmAnswer(true);
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(societe().rowCount(), 2);
        QCOMPARE(boxes.texts(MessageBoxes::Kind::Confirmation).size(), 2);
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
