// Times the File List of the Win32 window on a real list view, for growing n, so that the growth
// shows whether any step costs more than n log n. Two tables:
//  - the list view alone: appending, sorting, walking the selection, deleting every other row and
//    clearing n rows, through the File List's own operations;
//  - the window: a main dialog whose list takes a whole count of n rows (appended with their cells
//    and tags as the count run does, the window busy meanwhile), then a click on the path heading
//    and on the Total heading, Delete on one row near the top, and Delete on every row after
//    selecting them all; each step through the messages a user's click or key sends, and timed
//    until the window has painted its outcome.
// Run it under Wine or on Windows:
//   file_list_timing.exe [rows...]      (default 12500 25000 50000 100000)
// Prints one line per size and table: the milliseconds of each step, the median of three runs.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/busy_window.h"
#include "platform/profile.h"
#include "platform/win32/application.h"
#include "platform/win32/dialog.h"
#include "platform/win32/file_list_view.h"
#include "ui/cdialog_main.h"

namespace {

using lw::win32::FileListView;

// What the window's sort does: the sorted column's texts copied once, indexed by tag, for the
// comparison, which the list view hands tags alone.
void sortByColumn(FileListView& list, int column) {
    lw::SortContext context;
    context.texts.reserve(static_cast<std::size_t>(list.rowCount()));
    for (int row = 0; row < list.rowCount(); ++row) {
        context.texts.push_back(list.cellText(row, column));
    }
    list.sort(column == 0 ? lw::CompareRowText : lw::CompareRowNumbers,
              reinterpret_cast<std::intptr_t>(&context));
}

double millisecondsOf(const std::function<void()>& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The texts of row `row` of n: paths in a scrambled order below a few dozen directories, counts
// of a few digits, FIXMEs on one file in ten, as a source tree gives them.
struct RowTexts {
    std::string path;
    int counts[4];  // FIXMEs, code, comments, total
};

RowTexts rowTexts(int row) {
    const unsigned key = static_cast<unsigned>(row) * 2654435761u;
    RowTexts texts{"src\\dir" + std::to_string(key % 97) + "\\file" + std::to_string(key) + ".c",
                   {}};
    texts.counts[0] = key % 10 == 0 ? static_cast<int>(key >> 8) % 4 + 1 : 0;
    texts.counts[1] = static_cast<int>((key >> 4) % 5000);
    texts.counts[2] = static_cast<int>((key >> 12) % 800);
    texts.counts[3] = texts.counts[1] + static_cast<int>((key >> 20) % 900);
    return texts;
}

// The list view's own cost: the tags renumbered in one batch, so that the list view does not ask
// for a repaint of every row whose tag changes. (The window's own renumbering is timed with the
// window, below.)
void renumber(FileListView& list) {
    list.beginUpdate();
    for (int row = 0; row < list.rowCount(); ++row) {
        list.setTag(row, row);
    }
    list.endUpdate();
}

// The list's parent answers as the dialog does: no notification per row when all rows go.
LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY &&
        reinterpret_cast<const NMHDR*>(lParam)->code == LVN_DELETEALLITEMS) {
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The steps of one run of the list view alone over n rows, in milliseconds.
std::vector<double> runList(int rows) {
    HWND host = CreateWindowExA(0, "LinewrightTimingHost", "", WS_POPUP, 0, 0, 800, 600, nullptr,
                                nullptr, nullptr, nullptr);
    HWND view = CreateWindowExA(WS_EX_STATICEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_ALIGNLEFT, 0, 0, 700, 500,
                                host, nullptr, nullptr, nullptr);
    FileListView list(view);
    int column = 0;
    for (const char* heading : {"Relative path", "FIXMEs", "Code", "Comments", "Total"}) {
        list.insertColumn(column, heading, column == 0 ? 1 : 2, 65);
        ++column;
    }
    std::vector<double> times;
    times.push_back(millisecondsOf([&] {
        list.beginUpdate();
        for (int row = 0; row < rows; ++row) {
            const RowTexts texts = rowTexts(row);
            list.insertRow(row, texts.path);
            for (int cell = 1; cell <= 4; ++cell) {
                list.setCellText(row, cell, std::to_string(texts.counts[cell - 1]));
            }
            list.setTag(row, row);
        }
        list.endUpdate();
    }));
    times.push_back(millisecondsOf([&] {
        sortByColumn(list, 0);
        renumber(list);
    }));
    times.push_back(millisecondsOf([&] {
        sortByColumn(list, 3);
        renumber(list);
    }));
    lw::win32::ListView items(view);
    list.beginUpdate();
    for (int row = 0; row < rows; row += 2) {
        items.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    list.endUpdate();
    std::vector<int> selected;
    times.push_back(millisecondsOf([&] {
        for (int row = list.nextSelectedRow(-1); row != -1; row = list.nextSelectedRow(row)) {
            selected.push_back(row);
        }
    }));
    times.push_back(millisecondsOf([&] {
        list.deleteRows(selected);
        renumber(list);
    }));
    // What a count run does first to the rows of the run before.
    times.push_back(millisecondsOf([&] { list.deleteAllRows(); }));
    DestroyWindow(host);
    return times;
}

// A main dialog that, once it shows, takes its steps as a user would and then closes. The Count
// button starts them, so that they run inside the dialog's own message handling.
class TimedWindow : public lw::CdialogMain {
  public:
    explicit TimedWindow(int rows) : CdialogMain(nullptr, nullptr), rows_(rows) {}

    std::vector<double> times;
    int rowsAfterOne = -1;  // after Delete on one row
    int rowsLeft = -1;      // after the last step: 0 when every row went

  protected:
    bool OnInitDialog() override {
        const bool focus = CdialogMain::OnInitDialog();
        PostMessageA(native().hwnd(), WM_COMMAND, MAKEWPARAM(lw::IDC_COUNT, BN_CLICKED), 0);
        return focus;
    }

    void OnCommand(int id) override {
        if (id != lw::IDC_COUNT) {
            CdialogMain::OnCommand(id);
            return;
        }
        HWND window = native().hwnd();
        HWND list = GetDlgItem(window, lw::IDC_FILE_LIST);
        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        // Each step ends when the window has painted what it changed.
        const auto timed = [&](const std::function<void()>& step) {
            times.push_back(millisecondsOf([&] {
                step();
                RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            }));
        };
        // The window's first paint is no part of the count.
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        timed([&] { countInto(); });
        for (const int column : {0, 4}) {
            timed([&] { clickHeading(header, column); });
        }
        select(list, -1, false);
        select(list, 1, true);
        timed([&] { SendMessageA(list, WM_KEYDOWN, VK_DELETE, 0); });
        rowsAfterOne = m_fileList->rowCount();
        select(list, -1, true);
        timed([&] { SendMessageA(list, WM_KEYDOWN, VK_DELETE, 0); });
        rowsLeft = m_fileList->rowCount();
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

  private:
    // The rows arrive as a count run appends them: the row, its tag, its four cells, with the
    // window busy (its lists drawing only when it repaints) and kept alive after each file.
    void countInto() {
        lw::BusyWindow busy(*this, lw::IDC_STATUS);
        deleteAllRows();
        lw::RunTotals& run = totals();
        run = lw::RunTotals{};
        for (int i = 0; i < rows_; ++i) {
            const RowTexts texts = rowTexts(i);
            const int row = appendRow(rowCount(), texts.path);
            setRowTag(row, row);
            for (int cell = 1; cell <= 4; ++cell) {
                setCellText(row, cell, std::to_string(texts.counts[cell - 1]));
            }
            ++run.files;
            run.fixmes += texts.counts[0];
            run.code += texts.counts[1];
            run.comments += texts.counts[2];
            run.total += texts.counts[3];
            busy.keepAlive([&] { return lw::progressText("Counting", run.files, "files"); });
        }
        FormatStatusLine();
        showResults();
    }

    // A click on a heading: the press and the release over its middle.
    static void clickHeading(HWND header, int column) {
        RECT item{};
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
        const LPARAM middle =
            MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, middle);
        SendMessageA(header, WM_LBUTTONUP, 0, middle);
    }

    // Row `row` (-1: every row) selected or not, as a click or Ctrl+A leaves it.
    static void select(HWND list, int row, bool selected) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = selected ? (row == -1 ? LVIS_SELECTED : LVIS_SELECTED | LVIS_FOCUSED) : 0;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
    }

    int rows_;
};

// The steps of one run of the window over n rows, in milliseconds; empty when the window did not
// take them all.
std::vector<double> runWindow(int rows) {
    TimedWindow window(rows);
    window.DoModal();
    if (window.rowsAfterOne != rows - 1 || window.rowsLeft != 0 || window.times.size() != 5) {
        std::fprintf(stderr, "the window's Delete left %d and then %d of %d rows\n",
                     window.rowsAfterOne, window.rowsLeft, rows);
        return {};
    }
    return window.times;
}

// Runs each size three times and prints the median of each step.
void printTable(const char* title, const std::vector<const char*>& steps,
                const std::vector<int>& sizes, std::vector<double> (*run)(int)) {
    std::printf("%s (ms, median of 3)\n%8s", title, "rows");
    for (const char* step : steps) {
        std::printf(" %11s", step);
    }
    std::printf("\n");
    for (int rows : sizes) {
        std::vector<std::vector<double>> runs;
        for (int i = 0; i < 3; ++i) {
            runs.push_back(run(rows));
            if (runs.back().size() != steps.size()) {
                return;
            }
        }
        std::printf("%8d", rows);
        for (std::size_t step = 0; step < steps.size(); ++step) {
            std::vector<double> values;
            for (const auto& r : runs) {
                values.push_back(r[step]);
            }
            std::sort(values.begin(), values.end());
            std::printf(" %11.0f", values[1]);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    lw::win32::prepareCommonControls();
    // A key of its own, so that the timing leaves the program's settings alone.
    lw::Profile::SetCompanyKey("Linewright Timing");
    WNDCLASSA host{};
    host.lpfnWndProc = hostProc;
    host.hInstance = GetModuleHandleA(nullptr);
    host.lpszClassName = "LinewrightTimingHost";
    RegisterClassA(&host);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) {
        sizes = {12500, 25000, 50000, 100000};
    }
    printTable("The list view alone",
               {"append", "sort text", "sort num", "walk sel", "delete 1/2", "clear"}, sizes,
               runList);
    printTable("The window", {"count", "sort path", "sort total", "delete 1", "delete all"}, sizes,
               runWindow);
    return 0;
}
