// Sorting, deleting and opening File List rows, driven through the real header, keys and mouse.

#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "count/count_run.h"
#include "count/file_counts.h"
#include "platform/shell_open.h"
#include "res/dialog_template.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/dialog_test_helpers.h"
#include "ui/cdialog_main.h"

using namespace lw;
using lw::test::withMainDialog;

namespace {

using Row = std::array<std::string, 5>;  // path, fixmes, code, comments, total
using Rows = std::vector<Row>;

// Appends the rows as a count run does, and adds their values to the totals.
void fill(CdialogMain& main, const Rows& rows) {
    for (const Row& row : rows) {
        const int index = main.m_fileList->insertRow(main.m_fileList->rowCount(), row[0]);
        main.m_fileList->setTag(index, index);
        for (int column = 1; column < 5; ++column) {
            main.m_fileList->setCellText(index, column, row[column]);
        }
        main.m_totals.files += 1;
        main.m_totals.fixmes = saturatingAdd(main.m_totals.fixmes, std::atoi(row[1].c_str()));
        main.m_totals.code = saturatingAdd(main.m_totals.code, std::atoi(row[2].c_str()));
        main.m_totals.comments = saturatingAdd(main.m_totals.comments, std::atoi(row[3].c_str()));
        main.m_totals.total = saturatingAdd(main.m_totals.total, std::atoi(row[4].c_str()));
    }
}

std::vector<std::string> paths(const CdialogMain& main) {
    std::vector<std::string> result;
    for (int row = 0; row < main.m_fileList->rowCount(); ++row) {
        result.push_back(main.m_fileList->cellText(row, 0));
    }
    return result;
}

bool tagsAreIndices(const CdialogMain& main) {
    for (int row = 0; row < main.m_fileList->rowCount(); ++row) {
        if (test::fileListView(main)->tag(row) != row) {
            return false;
        }
    }
    return true;
}

void select(CdialogMain& main, const std::vector<int>& rows) {
    QItemSelectionModel* selection = test::fileListView(main)->selectionModel();
    selection->clearSelection();
    for (int row : rows) {
        selection->select(test::fileListView(main)->model().index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

void clickHeading(CdialogMain& main, int column) {
    QHeaderView* header = test::fileListView(main)->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// What a real double-click delivers: press and release, then the double-click and release.
void doubleClick(QWidget* viewport, Qt::KeyboardModifiers modifiers, QPoint at) {
    QTest::mouseClick(viewport, Qt::LeftButton, modifiers, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, modifiers, at);
}

QString statusText(const CdialogMain& main) {
    return QString::fromStdString(main.GetDlgItemText(IDC_STATUS));
}

// Records every path that shellOpen is asked to open, instead of opening it.
class OpenRecorder {
  public:
    OpenRecorder() {
        ShellOpenSeam::setRecorder(
            [this](const std::string& path) { opened << QString::fromStdString(path); });
    }
    ~OpenRecorder() { ShellOpenSeam::clearRecorder(); }
    OpenRecorder(const OpenRecorder&) = delete;
    OpenRecorder& operator=(const OpenRecorder&) = delete;
    QStringList opened;
};

const Rows kFive = {
    {"r0", "1", "10", "100", "1000"}, {"r1", "2", "20", "200", "2000"},
    {"r2", "3", "30", "300", "3000"}, {"r3", "4", "40", "400", "4000"},
    {"r4", "5", "50", "500", "5000"},
};

}  // namespace

class ResultListTest : public QObject {
    Q_OBJECT

  private slots:
    void headingClickSortsAscending_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<std::vector<std::string>>("order");
        QTest::newRow("bytes: digits, upper, lower, high bytes")
            << 0
            << Rows{{"a", "0", "0", "0", "0"},
                    {"\xc3\xa9", "0", "0", "0", "0"},
                    {"Z", "0", "0", "0", "0"},
                    {"9", "0", "0", "0", "0"}}
            << std::vector<std::string>{"9", "Z", "a", "\xc3\xa9"};
        QTest::newRow("prefix goes first") << 0
                                           << Rows{{"src/ab", "0", "0", "0", "0"},
                                                   {"src/a", "0", "0", "0", "0"},
                                                   {"src", "0", "0", "0", "0"}}
                                           << std::vector<std::string>{"src", "src/a", "src/ab"};
        QTest::newRow("numbers by value") << 1
                                          << Rows{{"ten", "10", "0", "0", "0"},
                                                  {"nine", "9", "0", "0", "0"},
                                                  {"hundred", "100", "0", "0", "0"}}
                                          << std::vector<std::string>{"nine", "ten", "hundred"};
        QTest::newRow("extremes do not overflow the difference")
            << 2
            << Rows{{"max", "0", "2147483647", "0", "0"},
                    {"min", "0", "-2147483648", "0", "0"},
                    {"zero", "0", "0", "0", "0"}}
            << std::vector<std::string>{"min", "zero", "max"};
        QTest::newRow("malformed counts as zero")
            << 4
            << Rows{{"one", "0", "0", "0", "1"},
                    {"junk", "0", "0", "0", "x"},
                    {"minus", "0", "0", "0", "-1"}}
            << std::vector<std::string>{"minus", "junk", "one"};
        QTest::newRow("equal keys keep their order")
            << 3
            << Rows{{"b", "0", "0", "7", "0"},
                    {"c", "0", "0", "1", "0"},
                    {"a", "0", "0", "7", "0"},
                    {"d", "0", "0", "7", "0"}}
            << std::vector<std::string>{"c", "b", "a", "d"};
    }
    void headingClickSortsAscending() {
        QFETCH(int, column);
        QFETCH(Rows, rows);
        QFETCH(std::vector<std::string>, order);
        withMainDialog([&](CdialogMain& main) {
            fill(main, rows);
            // The same heading twice: ascending both times, never a toggled direction.
            for (int click = 0; click < 2; ++click) {
                clickHeading(main, column);
                QCOMPARE(paths(main), order);
                QVERIFY(tagsAreIndices(main));
            }
        });
    }

    void deleteRemovesSelectedRowsAndTheirCounts() {
        withMainDialog([](CdialogMain& main) {
            fill(main, kFive);
            const RunTotals before = main.m_totals;
            select(main, {1, 3, 4});
            QTest::keyClick(test::fileListView(main), Qt::Key_Delete);

            QCOMPARE(paths(main), (std::vector<std::string>{"r0", "r2"}));
            QVERIFY(tagsAreIndices(main));
            QCOMPARE(main.m_totals.files, before.files - 3);
            QCOMPARE(main.m_totals.fixmes, before.fixmes - (2 + 4 + 5));
            QCOMPARE(main.m_totals.code, before.code - (20 + 40 + 50));
            QCOMPARE(main.m_totals.comments, before.comments - (200 + 400 + 500));
            QCOMPARE(main.m_totals.total, before.total - (2000 + 4000 + 5000));
            QCOMPARE(statusText(main), QString::fromStdString(statusLineText(main.m_totals)));

            // The tags were renumbered, so a sort still names the right rows.
            clickHeading(main, 2);
            QCOMPARE(paths(main), (std::vector<std::string>{"r0", "r2"}));
            clickHeading(main, 0);
            QCOMPARE(paths(main), (std::vector<std::string>{"r0", "r2"}));
        });
    }

    void sortAfterDeleteOrdersTheRemainingRows() {
        withMainDialog([](CdialogMain& main) {
            fill(main, {{"c", "3", "0", "0", "0"},
                        {"x", "0", "0", "0", "0"},
                        {"a", "1", "0", "0", "0"},
                        {"b", "2", "0", "0", "0"}});
            clickHeading(main, 0);  // a b c x
            select(main, {0, 3});
            QTest::keyClick(test::fileListView(main), Qt::Key_Delete);
            QCOMPARE(paths(main), (std::vector<std::string>{"b", "c"}));
            main.m_fileList->setCellText(0, 1, "9");
            clickHeading(main, 1);
            QCOMPARE(paths(main), (std::vector<std::string>{"c", "b"}));
        });
    }

    void deletingEveryRowKeepsFilesWithoutARow() {
        withMainDialog([](CdialogMain& main) {
            fill(main, kFive);
            main.m_totals.files += 1;  // a match that failed to open added no row
            test::fileListView(main)->selectAll();
            QTest::keyClick(test::fileListView(main), Qt::Key_Delete);
            QCOMPARE(main.m_fileList->rowCount(), 0);
            QCOMPARE(main.m_totals, (RunTotals{0, 0, 0, 1, 0}));
        });
    }

    void deleteSaturatesInsteadOfWrapping() {
        withMainDialog([](CdialogMain& main) {
            fill(main, {{"huge", "0", "0", "0", "0"}});
            main.m_fileList->setCellText(0, 4, "-2147483648");
            main.m_totals.total = std::numeric_limits<std::int32_t>::max() - 1;
            select(main, {0});
            main.FileListKeyDown(kVirtualKeyDelete);
            QCOMPARE(main.m_totals.total, std::numeric_limits<std::int32_t>::max());
        });
    }

    // Mend: a key in the File List refreshes the status line but keeps what was typed in the
    // Extensions field.
    void otherKeysChangeNoTotalAndKeepTypedExtensions_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("withSelection");
        QTest::newRow("Delete, nothing selected") << int(Qt::Key_Delete) << false;
        QTest::newRow("letter with selection") << int(Qt::Key_A) << true;
        QTest::newRow("arrow with selection") << int(Qt::Key_Down) << true;
        QTest::newRow("Backspace with selection") << int(Qt::Key_Backspace) << true;
    }
    void otherKeysChangeNoTotalAndKeepTypedExtensions() {
        QFETCH(int, key);
        QFETCH(bool, withSelection);
        withMainDialog([&](CdialogMain& main) {
            fill(main, kFive);
            const RunTotals before = main.m_totals;
            auto* extensions = main.native().item<QLineEdit>(IDC_EXTENSIONS);
            extensions->setText("*.typed;*.unsaved");
            test::fileListView(main)->setFocus();
            select(main, withSelection ? std::vector<int>{1, 2} : std::vector<int>{});
            QTest::keyClick(test::fileListView(main), Qt::Key(key));

            QCOMPARE(main.m_fileList->rowCount(), 5);
            QCOMPARE(main.m_totals, before);
            QCOMPARE(statusText(main), QString::fromStdString(statusLineText(before)));
            QCOMPARE(extensions->text(), QString("*.typed;*.unsaved"));
        });
    }

    void keyInEmptyListShowsZeroTotals() {
        withMainDialog([](CdialogMain& main) {
            QTest::keyClick(test::fileListView(main), Qt::Key_Space);
            QCOMPARE(statusText(main), QString("Files: 0 FIXMEs: 0 Code: 0 Comments: 0 Total: 0"));
        });
    }

    void doubleClickOpensTheLowestSelectedRow() {
        QTemporaryDir base;
        const std::string entry = base.path().toStdString();
        OpenRecorder recorder;
        withMainDialog([&](CdialogMain& main) {
            main.m_directoryList->append(entry);
            fill(main, {{"top.c", "0", "0", "0", "0"},
                        {"sub/one.c", "0", "0", "0", "0"},
                        {"sub/two.c", "0", "0", "0", "0"},
                        {"three.c", "0", "0", "0", "0"}});
            QAbstractItemView* view = test::fileListView(main);
            view->selectionModel()->setCurrentIndex(
                test::fileListView(main)->model().index(1, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            // Shift extends the selection from row 1 to the clicked row 3.
            const QPoint onRow3 =
                view->visualRect(test::fileListView(main)->model().index(3, 0)).center();
            doubleClick(view->viewport(), Qt::ShiftModifier, onRow3);
            QCOMPARE(main.m_fileList->nextSelectedRow(-1), 1);
        });
        QCOMPARE(recorder.opened, QStringList{QString::fromStdString(entry) + "/sub/one.c"});
    }

    void doubleClickOnEmptyAreaOpensNothing() {
        OpenRecorder recorder;
        withMainDialog([&](CdialogMain& main) {
            main.m_directoryList->append("/base");
            fill(main, {{"a.c", "0", "0", "0", "0"}});
            select(main, {0});
            QWidget* viewport = test::fileListView(main)->viewport();
            doubleClick(viewport, Qt::NoModifier,
                        QPoint(viewport->width() / 2, viewport->height() - 5));
            QCOMPARE(main.m_fileList->nextSelectedRow(-1), -1);
        });
        QVERIFY(recorder.opened.isEmpty());
    }

    // Mend: a file outside the first directory keeps its full path in column 0.
    void openJoinsEntryZeroOnlyForRelativePaths_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("opened");
        QTest::newRow("relative") << "/work/project"
                                  << "src/a.c"
                                  << "/work/project/src/a.c";
        QTest::newRow("absolute, outside entry 0") << "/work/project"
                                                   << "/elsewhere/b.h"
                                                   << "/elsewhere/b.h";
        QTest::newRow("entry 0 is the root") << ""
                                             << "etc/c.cpp"
                                             << "/etc/c.cpp";
    }
    void openJoinsEntryZeroOnlyForRelativePaths() {
        QFETCH(QString, entry);
        QFETCH(QString, cell);
        QFETCH(QString, opened);
        OpenRecorder recorder;
        withMainDialog([&](CdialogMain& main) {
            main.m_directoryList->append(entry.toStdString());
            main.m_directoryList->append("/second");
            fill(main, {{cell.toStdString(), "0", "0", "0", "0"}});
            select(main, {0});
            main.OpenSelectedFile();
        });
        QCOMPARE(recorder.opened, QStringList{opened});
    }
};

LW_GUI_TEST_MAIN(ResultListTest)
#include "result_list_test.moc"
