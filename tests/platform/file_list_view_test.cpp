#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>
#include <string>
#include <vector>

#include "platform/qt/file_list_view.h"
#include "tests/support/gui_test_support.h"

using lw::FileListView;

namespace {

struct Column {
    const char* heading;
    int format;
    int width;
};

constexpr Column kColumns[] = {
    {"Relative path", lw::kFormatRight, 358}, {"FIXMEs", lw::kFormatCenter, 65},
    {"Code", lw::kFormatCenter, 65},          {"Comments", lw::kFormatCenter, 65},
    {"Total", lw::kFormatCenter, 65},
};

void addColumns(FileListView& view) {
    for (int i = 0; i < 5; ++i) {
        view.insertColumn(i, kColumns[i].heading, kColumns[i].format, kColumns[i].width);
    }
}

// Rows named r0, r1, ... with the row's index as tag and the given column-1 texts.
void fill(FileListView& view, const std::vector<std::string>& numbers) {
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const int row = view.insertRow(view.rowCount(), "r" + std::to_string(i));
        view.setTag(row, row);
        view.setCellText(row, 1, numbers[i]);
    }
}

std::vector<std::string> column0(const FileListView& view) {
    std::vector<std::string> names;
    for (int row = 0; row < view.rowCount(); ++row) {
        names.push_back(view.cellText(row, 0));
    }
    return names;
}

std::vector<int> selectedRows(const FileListView& view) {
    std::vector<int> rows;
    for (int row = view.nextSelectedRow(-1); row != -1; row = view.nextSelectedRow(row)) {
        rows.push_back(row);
    }
    return rows;
}

void selectRows(FileListView& view, const std::vector<int>& rows) {
    QItemSelection selection;
    for (int row : rows) {
        selection.select(view.model().index(row, 0), view.model().index(row, 4));
    }
    view.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

std::int32_t compareColumn1(std::intptr_t a, std::intptr_t b, std::intptr_t context) {
    const auto* view = reinterpret_cast<const FileListView*>(context);
    return std::stoi(view->cellText(static_cast<int>(a), 1)) -
           std::stoi(view->cellText(static_cast<int>(b), 1));
}

std::int32_t compareReversed(std::intptr_t a, std::intptr_t b, std::intptr_t) {
    return static_cast<std::int32_t>(b - a);
}

using Names = std::vector<std::string>;
using Rows = std::vector<int>;

}  // namespace

Q_DECLARE_METATYPE(Names)
Q_DECLARE_METATYPE(Rows)

class FileListViewTest : public QObject {
    Q_OBJECT

  private slots:
    void columnsHaveHeadingsWidthsAndAlignment() {
        FileListView view;
        addColumns(view);
        QCOMPARE(view.model().columnCount(), 5);
        fill(view, {"1"});
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(view.model().headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(),
                     QString::fromUtf8(kColumns[i].heading));
            QCOMPARE(view.header()->sectionSize(i), kColumns[i].width);
            const auto alignment =
                view.model().index(0, i).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
            // The first column shows left-aligned even though it was given as right-aligned.
            QCOMPARE(alignment & Qt::AlignHorizontal_Mask,
                     i == 0 ? Qt::AlignLeft : Qt::AlignHCenter);
        }
    }

    void viewIsAReadOnlyReportList() {
        FileListView view;
        addColumns(view);
        QCOMPARE(view.selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(view.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(view.editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!view.isSortingEnabled());
        QVERIFY(view.header()->sectionsClickable());
        QVERIFY(view.uniformRowHeights());
        QVERIFY(!view.rootIsDecorated());
        fill(view, {"1"});
        QVERIFY(!(view.model().flags(view.model().index(0, 0)) & Qt::ItemIsEditable));
    }

    void insertSetAndGet() {
        FileListView view;
        addColumns(view);
        QCOMPARE(view.insertRow(0, "a.c"), 0);
        QCOMPARE(view.insertRow(1, "b.c"), 1);
        QCOMPARE(view.insertRow(99, "c.c"), 2);  // past the end: appended
        QCOMPARE(view.rowCount(), 3);
        QCOMPARE(view.cellText(1, 0), std::string("b.c"));
        for (int column = 1; column < 5; ++column) {
            QCOMPARE(view.cellText(1, column), std::string());
        }
        view.setCellText(1, 3, "17");
        view.setTag(1, 1234);
        QCOMPARE(view.cellText(1, 3), std::string("17"));
        QCOMPARE(view.tag(1), std::intptr_t{1234});
        QCOMPARE(view.cellText(1, 0), std::string("b.c"));  // the tag changes nothing else
        // Out of range reads give empty texts and writes are ignored, never a crash.
        QCOMPARE(view.cellText(7, 0), std::string());
        QCOMPARE(view.cellText(0, 9), std::string());
        view.setCellText(-1, 0, "x");
        view.setTag(5, 1);
        // Bytes that are not valid text come back unchanged.
        view.setCellText(0, 0, "caf\xE9.c");
        QCOMPARE(view.cellText(0, 0), std::string("caf\xE9.c"));
        view.deleteAllRows();
        QCOMPARE(view.rowCount(), 0);
    }

    void nextSelectedRowWalksTheSelection() {
        FileListView view;
        addColumns(view);
        fill(view, std::vector<std::string>(10, "1"));
        QCOMPARE(view.nextSelectedRow(-1), -1);
        selectRows(view, {7, 2, 3, 9});
        QCOMPARE(selectedRows(view), (Rows{2, 3, 7, 9}));
        QCOMPARE(view.nextSelectedRow(3), 7);
        QCOMPARE(view.nextSelectedRow(9), -1);
        selectRows(view, {0});  // the walk sees a new selection at once
        QCOMPARE(selectedRows(view), Rows{0});
        view.insertRow(0, "new");  // rows move down with their selection
        QCOMPARE(selectedRows(view), Rows{1});
    }

    void deleteRowsKeepsTheRightRows_data() {
        QTest::addColumn<Rows>("doomed");
        QTest::addColumn<Names>("left");
        QTest::newRow("first") << Rows{0} << Names{"r1", "r2", "r3", "r4", "r5"};
        QTest::newRow("last") << Rows{5} << Names{"r0", "r1", "r2", "r3", "r4"};
        QTest::newRow("contiguous") << Rows{1, 2, 3} << Names{"r0", "r4", "r5"};
        QTest::newRow("scattered") << Rows{0, 2, 5} << Names{"r1", "r3", "r4"};
        QTest::newRow("two runs") << Rows{0, 1, 3, 4} << Names{"r2", "r5"};
        QTest::newRow("all") << Rows{0, 1, 2, 3, 4, 5} << Names{};
        QTest::newRow("out of range ignored")
            << Rows{-1, 2, 6, 40} << Names{"r0", "r1", "r3", "r4", "r5"};
        QTest::newRow("none") << Rows{} << Names{"r0", "r1", "r2", "r3", "r4", "r5"};
    }
    void deleteRowsKeepsTheRightRows() {
        QFETCH(Rows, doomed);
        QFETCH(Names, left);
        FileListView view;
        addColumns(view);
        fill(view, {"0", "1", "2", "3", "4", "5"});
        view.deleteRows(doomed);
        QCOMPARE(column0(view), left);
    }

    void deletingKeepsSurvivorsSelected() {
        FileListView view;
        addColumns(view);
        fill(view, {"0", "1", "2", "3", "4", "5"});
        selectRows(view, {1, 2, 4, 5});
        view.deleteRows({1, 4});
        QCOMPARE(column0(view), (Names{"r0", "r2", "r3", "r5"}));
        QCOMPARE(selectedRows(view), (Rows{1, 3}));
        view.deleteRows({0});
        QCOMPARE(selectedRows(view), (Rows{0, 2}));
    }

    void sortIsStableAndFollowsTheComparison() {
        FileListView view;
        addColumns(view);
        fill(view, {"3", "1", "2", "1", "3", "1"});
        view.sort(compareColumn1, reinterpret_cast<std::intptr_t>(&view));
        QCOMPARE(column0(view), (Names{"r1", "r3", "r5", "r2", "r0", "r4"}));
        // Tags travel with their rows.
        QCOMPARE(view.tag(0), std::intptr_t{1});
        QCOMPARE(view.tag(5), std::intptr_t{4});
    }

    void sortKeepsSelectionAndCurrentWithTheirRows() {
        FileListView view;
        addColumns(view);
        fill(view, {"0", "1", "2", "3"});
        selectRows(view, {0, 1});
        view.selectionModel()->setCurrentIndex(view.model().index(1, 0),
                                               QItemSelectionModel::NoUpdate);
        view.sort(compareReversed, 0);
        QCOMPARE(column0(view), (Names{"r3", "r2", "r1", "r0"}));
        QCOMPARE(selectedRows(view), (Rows{2, 3}));
        QCOMPARE(view.currentIndex().row(), 2);
    }

    void headerClickReportsTheColumn() {
        FileListView view;
        addColumns(view);
        view.resize(700, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy clicks(&view, &FileListView::headerItemClicked);
        QHeaderView* header = view.header();
        for (int column : {3, 0, 4}) {
            const QPoint at(
                header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(clicks.at(0).at(0).toInt(), 3);
        QCOMPARE(clicks.at(1).at(0).toInt(), 0);
        QCOMPARE(clicks.at(2).at(0).toInt(), 4);
    }

    void doubleClickIsReportedOnRowsAndBelowThem() {
        FileListView view;
        addColumns(view);
        fill(view, {"1", "2"});
        view.resize(700, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy doubleClicks(&view, qOverload<>(&FileListView::doubleClicked));
        const QRect firstRow = view.visualRect(view.model().index(0, 0));
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, firstRow.center());
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {},
                           QPoint(20, view.viewport()->height() - 5));
        QCOMPARE(doubleClicks.count(), 2);
    }

    void keyDownComesBeforeTheViewMovesTheSelection() {
        FileListView view;
        addColumns(view);
        fill(view, {"1", "2", "3"});
        view.resize(700, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setFocus();
        view.setCurrentIndex(view.model().index(0, 0));
        std::vector<std::pair<int, int>> seen;  // virtual key, current row at that moment
        connect(&view, &FileListView::keyDown, this,
                [&](int key) { seen.emplace_back(key, view.currentIndex().row()); });
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_Delete);
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        // Ctrl+C arrives as Control, a key nothing looks at, then C.
        QCOMPARE(seen.size(), std::size_t{4});
        QCOMPARE(seen[0], std::make_pair(0, 0));  // seen before the move to row 1
        QCOMPARE(seen[1], std::make_pair(lw::kVirtualKeyDelete, 1));
        QCOMPARE(seen[2].first, 0);
        QCOMPARE(seen[3].first, int('C'));
    }

    // Large tables: the bulk paths (sort, scattered and full deletes) keep exactly the right rows.
    // Their speed is measured by the benchmarks in bench/, not here.
    void largeTablesKeepTheirRows() {
        constexpr int kRows = 100000;
        FileListView view;
        addColumns(view);
        view.resize(700, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        for (int i = 0; i < kRows; ++i) {
            const int row = view.insertRow(i, "dir/file" + std::to_string(i) + ".c");
            view.setTag(row, row);
            for (int column = 1; column < 5; ++column) {
                view.setCellText(row, column, std::to_string((i * 7919 + column) % 1000));
            }
        }
        view.sort(compareColumn1, reinterpret_cast<std::intptr_t>(&view));
        for (int row = 1; row < kRows; ++row) {
            QVERIFY(std::stoi(view.cellText(row - 1, 1)) <= std::stoi(view.cellText(row, 1)));
        }

        std::vector<int> everyOther;
        for (int row = 0; row < kRows; row += 2) {
            everyOther.push_back(row);
        }
        selectRows(view, everyOther);
        std::vector<int> walked;
        for (int row = view.nextSelectedRow(-1); row != -1; row = view.nextSelectedRow(row)) {
            walked.push_back(row);
        }
        QCOMPARE(walked.size(), everyOther.size());
        std::vector<std::string> survivors;
        for (int row = 1; row < kRows; row += 2) {
            survivors.push_back(view.cellText(row, 0));
        }
        view.deleteRows(walked);
        QCOMPARE(view.rowCount(), kRows / 2);
        for (int row = 0; row < kRows / 2; ++row) {
            QCOMPARE(view.cellText(row, 0), survivors[row]);
        }

        view.selectAll();
        view.deleteRows(selectedRows(view));
        QCOMPARE(view.rowCount(), 0);
    }
};

LW_GUI_TEST_MAIN(FileListViewTest)
#include "file_list_view_test.moc"
