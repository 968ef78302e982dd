// The File List on a real list view and the Directory List on a real list box.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/directory_list_box.h"
#include "platform/win32/file_list_view.h"

namespace lw::win32 {
namespace {

// A hidden top-level window holding one control made with the template's styles.
class ControlHost {
  public:
    ControlHost(const char* windowClass, DWORD style, DWORD exStyle = 0) {
        host_ = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                nullptr, nullptr);
        control_ = CreateWindowExA(exStyle, windowClass, "", style, 0, 0, 700, 500, host_,
                                   reinterpret_cast<HMENU>(1005), nullptr, nullptr);
    }
    ~ControlHost() { DestroyWindow(host_); }
    HWND control() const { return control_; }

  private:
    HWND host_ = nullptr;
    HWND control_ = nullptr;
};

// "f" and the number. (Built by appending: GCC 12 warns wrongly about "f" + std::string.)
std::string fileName(int number) {
    return std::string("f").append(std::to_string(number));
}

class FileListViewTest : public testing::Test {
  protected:
    FileListViewTest()
        : host_(WC_LISTVIEWA, WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_ALIGNLEFT,
                WS_EX_STATICEDGE),
          list_(host_.control()) {
        int column = 0;
        for (const char* heading : {"Relative path", "FIXMEs", "Code", "Comments", "Total"}) {
            list_.insertColumn(column, heading, column == 0 ? 1 : 2, 65);
            ++column;
        }
    }

    // Rows of "path" and one number, each tagged with its index.
    void fill(const std::vector<std::pair<std::string, std::string>>& rows) {
        list_.beginUpdate();
        for (const auto& [path, number] : rows) {
            const int row = list_.insertRow(list_.rowCount(), path);
            list_.setCellText(row, 1, number);
            list_.setTag(row, row);
        }
        list_.endUpdate();
    }

    std::vector<std::string> column(int index) const {
        std::vector<std::string> texts;
        for (int row = 0; row < list_.rowCount(); ++row) {
            texts.push_back(list_.cellText(row, index));
        }
        return texts;
    }

    void select(std::initializer_list<int> rows) {
        for (int row : rows) {
            ListView(list_.hwnd()).SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        }
    }

    ControlHost host_;
    FileListView list_;
};

TEST_F(FileListViewTest, RowsHoldTextsAndTagsThatChangeApart) {
    EXPECT_NE(ListView(list_.hwnd()).GetExtendedStyle() & LVS_EX_FULLROWSELECT, 0u);
    EXPECT_EQ(list_.insertRow(0, "src\\main.c"), 0);
    EXPECT_EQ(list_.insertRow(1, "lib\\util.h"), 1);
    list_.setCellText(1, 4, "120");
    list_.setTag(1, 77);
    EXPECT_EQ(list_.cellText(1, 0), "lib\\util.h");
    EXPECT_EQ(list_.cellText(1, 4), "120");
    EXPECT_EQ(list_.cellText(1, 2), "");
    EXPECT_EQ(list_.tag(1), 77);
    EXPECT_EQ(list_.tag(0), 0);
    // Missing cells and rows read as empty.
    EXPECT_EQ(list_.cellText(2, 0), "");
    EXPECT_EQ(list_.cellText(-1, 0), "");
    // A text longer than a path survives whole.
    const std::string longText(700, 'x');
    list_.setCellText(0, 0, longText);
    EXPECT_EQ(list_.cellText(0, 0), longText);
    list_.deleteAllRows();
    EXPECT_EQ(list_.rowCount(), 0);
}

int comparisons = 0;

// The comparisons get the texts they order by from their context, taken before the sort and
// indexed by tag, as the window's own do: the list view moves its rows while it sorts.
const std::string& textOf(std::intptr_t tag, std::intptr_t texts) {
    return (
        *reinterpret_cast<const std::vector<std::string>*>(texts))[static_cast<std::size_t>(tag)];
}

std::int32_t compareTexts(std::intptr_t tagA, std::intptr_t tagB, std::intptr_t texts) {
    ++comparisons;
    const std::string& a = textOf(tagA, texts);
    const std::string& b = textOf(tagB, texts);
    return a < b ? -1 : (a > b ? 1 : 0);
}

std::int32_t compareNumbers(std::intptr_t tagA, std::intptr_t tagB, std::intptr_t texts) {
    return std::atoi(textOf(tagA, texts).c_str()) - std::atoi(textOf(tagB, texts).c_str());
}

TEST_F(FileListViewTest, SortOrdersByTheComparisonAndKeepsTiesInTheirOrder) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < 200; ++i) {
        // Descending names with ties, numbers in another order.
        rows.emplace_back(fileName(1000 - i / 2), std::to_string((i * 37) % 11));
    }
    fill(rows);
    const std::vector<std::string> textsAtStart = column(0);
    comparisons = 0;
    list_.sort(compareTexts, reinterpret_cast<std::intptr_t>(&textsAtStart));
    EXPECT_GT(comparisons, 0);
    std::vector<std::string> sorted = textsAtStart;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(column(0), sorted);
    // Rows that compare equal keep their order: the tags of equal names ascend.
    for (int row = 1; row < list_.rowCount(); ++row) {
        if (list_.cellText(row, 0) == list_.cellText(row - 1, 0)) {
            EXPECT_LT(list_.tag(row - 1), list_.tag(row));
        }
    }
    // After a sort after cells change, the numbers: 9 before 10, and -2 first.
    list_.deleteAllRows();
    fill({{"b.c", "10"}, {"a.c", "9"}, {"Z.c", "10"}, {"c.c", "-2"}});
    const std::vector<std::string> numbers = column(1);
    list_.sort(compareNumbers, reinterpret_cast<std::intptr_t>(&numbers));
    EXPECT_EQ(column(1), (std::vector<std::string>{"-2", "9", "10", "10"}));
    EXPECT_EQ(column(0), (std::vector<std::string>{"c.c", "a.c", "b.c", "Z.c"}));
}

TEST_F(FileListViewTest, SelectedRowsAreWalkedInAscendingOrderAndCopiedWithTheHeadings) {
    fill({{"a.c", "1"}, {"b.c", "2"}, {"c.c", "3"}, {"d.c", "4"}, {"e.c", "5"}});
    EXPECT_EQ(list_.nextSelectedRow(-1), -1);
    select({4, 1, 3});
    std::vector<int> walked;
    for (int row = list_.nextSelectedRow(-1); row != -1; row = list_.nextSelectedRow(row)) {
        walked.push_back(row);
    }
    EXPECT_EQ(walked, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(list_.selectedRowsText(),
              "Relative path\tFIXMEs\tCode\tComments\tTotal\r\n"
              "b.c\t2\t\t\t\r\nd.c\t4\t\t\t\r\ne.c\t5\t\t\t\r\n");
}

struct DeleteCase {
    const char* name;
    int rows;
    std::vector<int> (*doomed)(int rows);
};

const DeleteCase kDeleteCases[] = {
    {"TwoOfSix", 6,
     [](int) {
         return std::vector<int>{1, 4};
     }},
    {"OutOfRangeAndUnsortedIgnored", 6, [](int) { return std::vector<int>{-1, 2, 2, 1, 5, 9}; }},
    {"TailRun", 1000,
     [](int rows) {
         std::vector<int> doomed(static_cast<std::size_t>(rows / 2));
         std::iota(doomed.begin(), doomed.end(), rows - rows / 2);
         return doomed;
     }},
    {"Everything", 300,
     [](int rows) {
         std::vector<int> doomed(static_cast<std::size_t>(rows));
         std::iota(doomed.begin(), doomed.end(), 0);
         return doomed;
     }},
    // Scattered over a large list: the batch that must not cost a pass over the list per row.
    {"EveryOtherOf100000", 100000,
     [](int rows) {
         std::vector<int> doomed;
         for (int row = 0; row < rows; row += 2) {
             doomed.push_back(row);
         }
         return doomed;
     }},
};

void PrintTo(const DeleteCase& batch, std::ostream* out) {
    *out << batch.name;
}

class FileListDelete : public FileListViewTest, public testing::WithParamInterface<DeleteCase> {};

TEST_P(FileListDelete, RemovesTheBatchAndKeepsTheOtherRowsWithTheirTagsAndSelection) {
    const DeleteCase& batch = GetParam();
    list_.beginUpdate();
    for (int row = 0; row < batch.rows; ++row) {
        list_.insertRow(row, fileName(row));
        list_.setTag(row, 10 * row);
    }
    list_.endUpdate();
    const std::vector<int> doomed = batch.doomed(batch.rows);
    std::vector<bool> gone(static_cast<std::size_t>(batch.rows), false);
    int previous = -1;
    for (int row : doomed) {
        // Only the ascending, in-range indices count.
        if (row >= 0 && row < batch.rows && row > previous) {
            gone[static_cast<std::size_t>(row)] = true;
            previous = row;
        }
    }
    // Every third row selected, the focus on the last row that stays.
    int focused = -1;
    list_.beginUpdate();
    for (int row = 0; row < batch.rows; ++row) {
        if (row % 3 == 0) {
            select({row});
        }
        if (!gone[static_cast<std::size_t>(row)]) {
            focused = row;
        }
    }
    list_.endUpdate();
    if (focused >= 0) {
        ListView(list_.hwnd()).SetItemState(focused, LVIS_FOCUSED, LVIS_FOCUSED);
    }

    list_.deleteRows(doomed);

    std::vector<int> expectedRows, expectedSelected;
    for (int row = 0; row < batch.rows; ++row) {
        if (!gone[static_cast<std::size_t>(row)]) {
            if (row % 3 == 0) {
                expectedSelected.push_back(static_cast<int>(expectedRows.size()));
            }
            expectedRows.push_back(row);
        }
    }
    ASSERT_EQ(list_.rowCount(), static_cast<int>(expectedRows.size()));
    for (std::size_t i = 0; i < expectedRows.size(); ++i) {
        const int row = static_cast<int>(i);
        ASSERT_EQ(list_.cellText(row, 0), fileName(expectedRows[i])) << row;
        ASSERT_EQ(list_.tag(row), 10 * expectedRows[i]) << row;
    }
    std::vector<int> selected;
    for (int row = list_.nextSelectedRow(-1); row != -1; row = list_.nextSelectedRow(row)) {
        selected.push_back(row);
    }
    EXPECT_EQ(selected, expectedSelected);
    if (!expectedRows.empty()) {
        EXPECT_EQ(ListView(list_.hwnd()).GetNextItem(-1, LVNI_FOCUSED),
                  static_cast<int>(expectedRows.size()) - 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Batches, FileListDelete, testing::ValuesIn(kDeleteCases),
                         [](const testing::TestParamInfo<DeleteCase>& info) {
                             return info.param.name;
                         });

TEST(DirectoryListBox, AppendsAtTheEndWhateverIsThereAndSelectsOne) {
    ControlHost host("LISTBOX", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP |
                                    LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
    DirectoryListBox list(host.control());
    const std::vector<std::string> entries{"C:\\src",  "", "C:\\src", "b", std::string(259, 'd'),
                                           "a\xC3\xA9"};
    for (const std::string& entry : entries) {
        list.append(entry);
    }
    ASSERT_EQ(list.entryCount(), static_cast<int>(entries.size()));
    for (int i = 0; i < list.entryCount(); ++i) {
        EXPECT_EQ(list.entryText(i), entries[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(list.entryText(99), "");
    list.select(3);
    EXPECT_EQ(SendMessageA(host.control(), LB_GETCURSEL, 0, 0), 3);
    list.select(1);
    EXPECT_EQ(SendMessageA(host.control(), LB_GETCURSEL, 0, 0), 1);
}

}  // namespace
}  // namespace lw::win32
