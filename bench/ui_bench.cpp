// Timings of the File List operations and the recursive directory add on large inputs, offscreen.
// Prints the median of several runs of each, in milliseconds.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/directory_list_box.h"
#include "platform/qt/file_list_view.h"
#include "res/dialog_template.h"
#include "ui/cdialog_main.h"

namespace {

lw::FileListView& view(lw::CdialogMain& main) {
    return static_cast<lw::FileListView&>(*main.m_fileList);
}

constexpr int kRows = 100'000;
constexpr int kRuns = 5;

void fillRows(lw::CdialogMain& main) {
    main.m_fileList->deleteAllRows();
    std::uint32_t seed = 12345;
    for (int i = 0; i < kRows; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int index = main.m_fileList->insertRow(
            i, "dir" + std::to_string(seed % 97) + "/file" + std::to_string(seed >> 8) + ".cpp");
        main.m_fileList->setTag(index, index);
        main.m_fileList->setCellText(index, 1, std::to_string(seed % 7));
        main.m_fileList->setCellText(index, 2, std::to_string(seed % 5000));
        main.m_fileList->setCellText(index, 3, std::to_string(seed % 300));
        main.m_fileList->setCellText(index, 4, std::to_string(seed % 9000));
    }
}

double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timing {
    double wallMs;
    double cpuMs;  // less disturbed than wall time on a machine shared with other work
};

// Medians of kRuns timings of `measured`; `prepare` runs untimed before each.
Timing medianMs(const std::function<void()>& prepare, const std::function<void()>& measured) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
        QElapsedTimer timer;
        const double cpuStart = processCpuMs();
        timer.start();
        measured();
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(processCpuMs() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void report(const std::string& what, const Timing& timing) {
    std::printf("%-48s %8.1f %8.1f\n", what.c_str(), timing.wallMs, timing.cpuMs);
}

// 100 directories of 99 subdirectories each: 10,000 directories below the top.
std::string makeTree(const QTemporaryDir& root) {
    QDir top(root.filePath("top"));
    for (int a = 0; a < 100; ++a) {
        for (int b = 0; b < 99; ++b) {
            top.mkpath(QString("d%1/e%2").arg(a).arg(b));
        }
    }
    return top.absolutePath().toStdString();
}

void runAll(lw::CdialogMain& main) {
    std::printf("ui_bench: median of %d runs, milliseconds           wall      cpu\n", kRuns);
    const Timing sortText = medianMs([&] { fillRows(main); }, [&] { main.SortByColumn(0); });
    report("sort 100000 rows by column 0 (text)", sortText);
    const Timing sortNumber = medianMs([&] { fillRows(main); }, [&] { main.SortByColumn(2); });
    report("sort 100000 rows by column 2 (number)", sortNumber);
    const Timing sortSorted = medianMs([] {}, [&] { main.SortByColumn(2); });
    report("sort 100000 rows by column 2, already sorted", sortSorted);
    const Timing deleteAll = medianMs(
        [&] {
            fillRows(main);
            view(main).selectAll();
        },
        [&] { main.FileListKeyDown(lw::kVirtualKeyDelete); });
    report("select-all + Delete of 100000 rows", deleteAll);
    const Timing deleteAlternate = medianMs(
        [&] {
            fillRows(main);
            view(main).clearSelection();
            QItemSelection every2nd;
            for (int row = 0; row < kRows; row += 2) {
                every2nd.select(view(main).model().index(row, 0), view(main).model().index(row, 4));
            }
            view(main).selectionModel()->select(every2nd, QItemSelectionModel::Select);
        },
        [&] { main.FileListKeyDown(lw::kVirtualKeyDelete); });
    report("Delete of every 2nd of 100000 rows", deleteAlternate);

    QTemporaryDir root;
    const std::string top = makeTree(root);
    const Timing add =
        medianMs([&] { static_cast<lw::DirectoryListBox*>(main.m_directoryList)->clear(); },
                 [&] { main.AddSubdirectories(top); });
    report(
        "recursive add of " + std::to_string(main.m_directoryList->entryCount()) + " directories",
        add);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    lw::CdialogMain main;
    QTimer::singleShot(0, [&] {
        runAll(main);
        main.EndDialog(lw::res::IDCANCEL);
    });
    main.DoModal();
    return 0;
}
