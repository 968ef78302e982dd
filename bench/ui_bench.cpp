// Timings of the File List operations and the recursive directory add on large inputs, offscreen.
// Prints the median of several runs of each, in milliseconds.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_list_view.h"
#include "res/dialog_template.h"
#include "ui/cdialog_main.h"

namespace {

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

// Median of kRuns timings of `measured`; `prepare` runs untimed before each.
double medianMs(const std::function<void()>& prepare, const std::function<void()>& measured) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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
    std::printf("ui_bench: median of %d runs, milliseconds\n", kRuns);
    const double sortText = medianMs([&] { fillRows(main); }, [&] { main.SortByColumn(0); });
    std::printf("sort %d rows by column 0 (text):          %8.1f\n", kRows, sortText);
    const double sortNumber = medianMs([&] { fillRows(main); }, [&] { main.SortByColumn(2); });
    std::printf("sort %d rows by column 2 (number):        %8.1f\n", kRows, sortNumber);
    const double sortSorted = medianMs([] {}, [&] { main.SortByColumn(2); });
    std::printf("sort %d rows by column 2, already sorted: %8.1f\n", kRows, sortSorted);
    const double deleteAll = medianMs(
        [&] {
            fillRows(main);
            main.m_fileList->selectAll();
        },
        [&] { main.FileListKeyDown(lw::kVirtualKeyDelete); });
    std::printf("select-all + Delete of %d rows:           %8.1f\n", kRows, deleteAll);
    const double deleteAlternate = medianMs(
        [&] {
            fillRows(main);
            main.m_fileList->clearSelection();
            QItemSelection every2nd;
            for (int row = 0; row < kRows; row += 2) {
                every2nd.select(main.m_fileList->model().index(row, 0),
                                main.m_fileList->model().index(row, 4));
            }
            main.m_fileList->selectionModel()->select(every2nd, QItemSelectionModel::Select);
        },
        [&] { main.FileListKeyDown(lw::kVirtualKeyDelete); });
    std::printf("Delete of every 2nd of %d rows:           %8.1f\n", kRows, deleteAlternate);

    QTemporaryDir root;
    const std::string top = makeTree(root);
    const double add =
        medianMs([&] { main.m_directoryList->clear(); }, [&] { main.AddSubdirectories(top); });
    std::printf("recursive add of %d directories:          %8.1f\n",
                main.m_directoryList->entryCount(), add);
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
