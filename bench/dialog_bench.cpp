// Timings of the main window as a count-run host, offscreen: the cost of one appended row (the
// four host calls a run makes per file) with the window shown, and a whole Count press over a
// directory of small files. Prints the median of several runs. Given a directory (the benchmark
// corpus), also times a Count press over it and all its subdirectories, the window's counterpart
// of `linewright-count -r -j 1 DIR`.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "count/file_system.h"
#include "count/subdirectory_walk.h"
#include "platform/profile.h"
#include "ui/cdialog_main.h"

namespace {

constexpr int kRows = 100'000;
constexpr int kFiles = 5'000;
constexpr int kRuns = 5;

double medianMs(const std::function<void()>& prepare, const std::function<void()>& measured) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        QApplication::processEvents();  // the view's deferred layout belongs to the cost
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void appendRows(lw::CdialogMain& main) {
    for (int i = 0; i < kRows; ++i) {
        const int row = main.appendRow(main.rowCount(), "src/file" + std::to_string(i) + ".cpp");
        main.setRowTag(row, row);
        main.setCellText(row, 1, "0");
        main.setCellText(row, 2, std::to_string(i % 5000));
        main.setCellText(row, 3, std::to_string(i % 300));
        main.setCellText(row, 4, std::to_string(i % 9000));
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    lw::Profile::SetCompanyKey("Ferrowick");

    QTemporaryDir tree;
    for (int i = 0; i < kFiles; ++i) {
        std::ofstream(QFile::encodeName(tree.filePath(QString("f%1.c").arg(i))).constData())
            << "// FIXME later\nint f(void)\n{\n    return 1; /* one */\n}\n\n";
    }

    lw::CdialogMain main;
    main.show();
    main.ExchangeData(false);
    main.m_directoryList->append(QFile::encodeName(tree.path()).toStdString());
    main.item<QWidget>(lw::IDC_EXTENSIONS)->setProperty("text", "*.c");

    const double appendMs = medianMs([&] { main.deleteAllRows(); }, [&] { appendRows(main); });
    std::printf("append %d rows through the host: %.1f ms (%.2f us per row)\n", kRows, appendMs,
                appendMs * 1000.0 / kRows);

    const double countMs = medianMs([] {}, [&] { main.OnCount(); });
    std::printf("Count over %d files: %.1f ms (%d rows)\n", kFiles, countMs, main.rowCount());

    if (argc > 1) {
        lw::CdialogMain corpus;
        corpus.show();
        corpus.ExchangeData(false);
        const std::string top = lw::systemFileSystem().absolutePath(argv[1]);
        corpus.m_directoryList->append(top);
        const std::vector<lw::SearchFailure> failures = lw::walkSubdirectories(
            lw::systemFileSystem(), top,
            [&](const std::string& path) { corpus.m_directoryList->append(path); });
        if (!failures.empty()) {
            std::fprintf(stderr, "%s\n", lw::FindNextFileMessage(failures).c_str());
        }
        const double corpusMs = medianMs([] {}, [&] { corpus.OnCount(); });
        std::printf("Count over %s (%d directories): %.1f ms (%d rows)\n", top.c_str(),
                    corpus.m_directoryList->entryCount(), corpusMs, corpus.rowCount());
    }
    return 0;
}
