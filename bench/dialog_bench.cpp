// Timings of the main window as a count-run host, offscreen: the cost of one appended row (the
// four host calls a run makes per file) with the window shown, and a whole Count press over a
// directory of small files. Prints the median of several runs. Given directories (the benchmark
// corpus, a real source tree), also times a Count press over each with all its subdirectories,
// the window's counterpart of `linewright-count -r DIR`; LINEWRIGHT_BENCH_RUNS sets the runs.

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "count/file_system.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/qt/directory_list_box.h"
#include "platform/qt/modal_dialog.h"
#include "platform/qt/text.h"
#include "ui/cdialog_main.h"

namespace {

constexpr int kRows = 100'000;
constexpr int kFiles = 5'000;
int runs() {
    const int asked = qEnvironmentVariableIntValue("LINEWRIGHT_BENCH_RUNS");
    return asked > 0 ? asked : 5;
}

double medianMs(const std::function<void()>& prepare, const std::function<void()>& measured) {
    std::vector<double> times;
    for (int run = 0; run < runs(); ++run) {
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
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(lw::toBytes(config.path())));
    QApplication app(argc, argv);
    lw::Profile::SetCompanyKey("Ferrowick");
    // A message box would wait for a click; the messages go to stderr instead.
    lw::MessageBoxSeam::setRecorder(
        [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });

    QTemporaryDir tree;
    for (int i = 0; i < kFiles; ++i) {
        std::ofstream(lw::toBytes(tree.filePath(QString("f%1.c").arg(i))))
            << "// FIXME later\nint f(void)\n{\n    return 1; /* one */\n}\n\n";
    }

    lw::CdialogMain main;
    main.native().show();
    main.ExchangeData(false);
    main.m_directoryList->append(lw::toBytes(tree.path()));
    main.SetDlgItemText(lw::IDC_EXTENSIONS, "*.c");

    const double appendMs = medianMs([&] { main.deleteAllRows(); }, [&] { appendRows(main); });
    std::printf("append %d rows through the host: %.1f ms (%.2f us per row)\n", kRows, appendMs,
                appendMs * 1000.0 / kRows);

    const double countMs = medianMs([] {}, [&] { main.OnCount(); });
    std::printf("Count over %d files: %.1f ms (%d rows)\n", kFiles, countMs, main.rowCount());

    for (int arg = 1; arg < argc; ++arg) {
        lw::CdialogMain corpus;
        corpus.native().show();
        corpus.ExchangeData(false);
        const std::string top = lw::systemFileSystem().absolutePath(argv[arg]);
        // The recursive add that builds the Directory List, as the Add Directory dialog runs it.
        const double addMs =
            medianMs([&] { static_cast<lw::DirectoryListBox*>(corpus.m_directoryList)->clear(); },
                     [&] {
                         corpus.m_directoryList->append(top);
                         corpus.AddSubdirectories(top);
                     });
        std::printf("recursive add of %s: %.1f ms (%d directories)\n", top.c_str(), addMs,
                    corpus.m_directoryList->entryCount());
        const double corpusMs = medianMs([] {}, [&] { corpus.OnCount(); });
        std::printf("Count over %s (%d directories): %.1f ms (%d rows, median of %d)\n",
                    top.c_str(), corpus.m_directoryList->entryCount(), corpusMs, corpus.rowCount(),
                    runs());
    }
    return 0;
}
