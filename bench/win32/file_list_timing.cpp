// Times the File List of the Win32 window on a real list view: appending, sorting, walking the
// selection, deleting every other row and clearing n rows, for growing n, so that the growth shows
// whether any step costs more than n log n. Run it under Wine or on Windows:
//   file_list_timing.exe [rows...]      (default 12500 25000 50000 100000)
// Prints one line per size: the milliseconds of each step, the median of three runs.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/application.h"
#include "platform/win32/file_list_view.h"

namespace {

using lw::win32::FileListView;

FileListView* current = nullptr;

std::int32_t compareText(std::intptr_t a, std::intptr_t b, std::intptr_t) {
    const std::string x = current->cellText(static_cast<int>(a), 0);
    const std::string y = current->cellText(static_cast<int>(b), 0);
    return x < y ? -1 : (x > y ? 1 : 0);
}

std::int32_t compareNumber(std::intptr_t a, std::intptr_t b, std::intptr_t column) {
    return std::atoi(current->cellText(static_cast<int>(a), static_cast<int>(column)).c_str()) -
           std::atoi(current->cellText(static_cast<int>(b), static_cast<int>(column)).c_str());
}

double millisecondsOf(const std::function<void()>& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// As the window renumbers after a sort or a delete: in one batch, so that the list view does not
// ask for a repaint of every row whose tag changes.
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

// The steps of one run over n rows, in milliseconds.
std::vector<double> run(int rows) {
    HWND host = CreateWindowExA(0, "LinewrightTimingHost", "", WS_POPUP, 0, 0, 800, 600, nullptr,
                                nullptr, nullptr, nullptr);
    HWND view = CreateWindowExA(WS_EX_STATICEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_ALIGNLEFT, 0, 0, 700, 500,
                                host, nullptr, nullptr, nullptr);
    FileListView list(view);
    current = &list;
    int column = 0;
    for (const char* heading : {"Relative path", "FIXMEs", "Code", "Comments", "Total"}) {
        list.insertColumn(column, heading, column == 0 ? 1 : 2, 65);
        ++column;
    }
    std::vector<double> times;
    times.push_back(millisecondsOf([&] {
        list.beginUpdate();
        for (int row = 0; row < rows; ++row) {
            // Paths in a scrambled order, counts of a few digits.
            const unsigned key = static_cast<unsigned>(row) * 2654435761u;
            list.insertRow(
                row, "src\\dir" + std::to_string(key % 97) + "\\file" + std::to_string(key) + ".c");
            for (int cell = 1; cell <= 4; ++cell) {
                list.setCellText(row, cell, std::to_string((key >> (cell * 4)) % 5000));
            }
            list.setTag(row, row);
        }
        list.endUpdate();
    }));
    times.push_back(millisecondsOf([&] {
        list.sort(compareText, 0);
        renumber(list);
    }));
    times.push_back(millisecondsOf([&] {
        list.sort(compareNumber, 3);
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
    current = nullptr;
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    lw::win32::InitCommonControls();
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
    std::printf("%8s %10s %10s %10s %10s %10s %10s   (ms, median of 3)\n", "rows", "append",
                "sort text", "sort num", "walk sel", "delete 1/2", "clear");
    for (int rows : sizes) {
        std::vector<std::vector<double>> runs;
        for (int i = 0; i < 3; ++i) {
            runs.push_back(run(rows));
        }
        std::printf("%8d", rows);
        for (std::size_t step = 0; step < runs[0].size(); ++step) {
            std::vector<double> values;
            for (const auto& r : runs) {
                values.push_back(r[step]);
            }
            std::sort(values.begin(), values.end());
            std::printf(" %10.0f", values[1]);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
