// Long work in the main window on Qt: it keeps the window painted and shows its progress without
// letting input in, gives back the focus it took, and counts on several threads what one thread
// would. What both backends do alike is tested in window_behaviour_test.cpp.

#include <sys/stat.h>

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "count/count_run.h"
#include "count/result_row.h"
#include "platform/busy_window.h"
#include "platform/qt/text.h"
#include "res/dialog_template.h"
#include "tests/support/gui_test_support.h"
#include "tests/ui/dialog_test_helpers.h"
#include "ui/cdialog_main.h"

using namespace lw;
using lw::test::runModal;

namespace {

using Strings = std::vector<std::string>;

QString statusText(const CdialogMain& dialog) {
    return dialog.native().item<QLabel>(IDC_STATUS)->text();
}

void writeFile(const QString& path, const std::string& text) {
    std::ofstream(toBytes(path), std::ios::binary) << text;
}

// Makes the window active and gives `control` the keyboard focus, as a user's click or Tab would,
// and says whether both arrived.
bool focus(ModalDialog& dialog, QWidget* control) {
    dialog.native().activateWindow();
    if (!QTest::qWaitFor([&] { return dialog.native().isActiveWindow(); }, 30000)) {
        return false;
    }
    control->setFocus(Qt::TabFocusReason);
    return QTest::qWaitFor([&] { return QApplication::focusWidget() == control; }, 30000);
}

// The rows, totals, status and messages of a count run, in the order the run gave them.
struct Outcome {
    std::vector<std::array<std::string, 5>> rows;
    Strings messages;
    std::string status;
};

// A count run's host with nothing but the run's own order: what the window must reproduce.
class SequentialHost final : public CountHost {
  public:
    SequentialHost(Strings directories, std::string extensions)
        : directories_(std::move(directories)), extensions_(std::move(extensions)) {}
    Outcome outcome;

    void refreshFromWindow() override {}
    std::string extensionsText() override { return extensions_; }
    int directoryCount() override { return static_cast<int>(directories_.size()); }
    void selectDirectory(int) override {}
    std::string directoryText(int index) override { return directories_.at(index); }
    void deleteAllRows() override { outcome.rows.clear(); }
    int rowCount() override { return static_cast<int>(outcome.rows.size()); }
    int appendRow(int index, const std::string& text) override {
        outcome.rows.insert(outcome.rows.begin() + index, {text});
        return index;
    }
    void setRowTag(int, std::intptr_t) override {}
    void setCellText(int row, int column, const std::string& text) override {
        outcome.rows.at(row).at(column) = text;
    }
    RunTotals& totals() override { return totals_; }
    void FormatStatusLine() override { outcome.status = lw::statusLineText(totals_); }
    void showResults() override {}
    void enableCount(bool) override {}
    void showMessage(const std::string& text) override { outcome.messages.push_back(text); }

  private:
    Strings directories_;
    std::string extensions_;
    RunTotals totals_;
};

// Notes what the window shows and does at each row a count run appends, and can act there.
class ProbedDialog : public CdialogMain {
  public:
    using CdialogMain::CdialogMain;
    int appendRow(int index, const std::string& text) override {
        const int row = CdialogMain::appendRow(index, text);
        statuses.push_back(toBytes(statusText(*this)));
        countEnabled.push_back(native().control(IDC_COUNT)->isEnabled());
        if (atRow) {
            atRow(row);
        }
        return row;
    }

    Strings statuses;
    std::vector<bool> countEnabled;
    std::function<void(int row)> atRow;
};

// Time that moves on by `step` each time the busy window looks at it, and by advance(). A step
// of a second or more makes every look one at which a repaint is due, however long the last
// repaint took.
class SteppingClock {
  public:
    explicit SteppingClock(std::chrono::milliseconds step) {
        BusyWindowSeam::setClock([this, step] { return now_ += step; });
    }
    void advance(std::chrono::milliseconds by) { now_ += by; }
    ~SteppingClock() { BusyWindowSeam::clearClock(); }
    SteppingClock(const SteppingClock&) = delete;
    SteppingClock& operator=(const SteppingClock&) = delete;

  private:
    std::chrono::milliseconds now_{0};
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

}  // namespace

class LongWorkTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { Profile::SetCompanyKey("Ferrowick"); }
    void init() { test::forgetProfile(); }
    void cleanup() {
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // Count is disabled while it runs; the focus it had comes back, so a second Enter counts
    // again rather than pressing Exit.
    void enterOnCountCountsAgainAfterTheRun() {
        QTemporaryDir tree;
        writeFile(tree.filePath("a.c"), "int a;\n");
        test::MessageRecorder messages;
        ProbedDialog dialog;
        runModal(dialog, [&] {
            dialog.m_directoryList->append(toBytes(tree.path()));
            QWidget* count = dialog.native().control(IDC_COUNT);
            QVERIFY(focus(dialog, count));
            QTest::keyClick(count, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), count);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY(dialog.native().isVisible());
            dialog.EndDialog(res::IDCANCEL);
        });
        QCOMPARE(dialog.statuses.size(), std::size_t{2});
        QVERIFY(messages.messages.empty());
    }

    void progressCountsWithTheirThousands_data() {
        QTest::addColumn<qint64>("done");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << qint64(0) << QString("Counting… 0 files");
        QTest::newRow("three digits") << qint64(999) << QString("Counting… 999 files");
        QTest::newRow("four") << qint64(1234) << QString("Counting… 1,234 files");
        QTest::newRow("six") << qint64(123456) << QString("Counting… 123,456 files");
        QTest::newRow("seven") << qint64(1234567) << QString("Counting… 1,234,567 files");
    }
    void progressCountsWithTheirThousands() {
        QFETCH(qint64, done);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(progressText("Counting", done, "files")), text);
    }

    // A long count: the window repaints, shows how many files it has counted once half a second
    // has passed, drops what the user does meanwhile, refuses to close, and ends with the totals.
    void longCountKeepsTheWindowAliveWithoutTakingInput() {
        QTemporaryDir tree;
        constexpr int kFiles = 40;
        for (int i = 0; i < kFiles; ++i) {
            writeFile(tree.filePath(QString("f%1.c").arg(i, 2, 10, QChar('0'))), "int x; // y\n");
        }
        // A second passes with each file, none while the window looks at the time.
        SteppingClock clock(std::chrono::milliseconds(0));
        test::MessageRecorder messages;
        int aboutBoxes = 0;
        ProbedDialog dialog(nullptr, [&](ModalDialog*) { ++aboutBoxes; });
        int paintsDuringRun = 0;
        bool closedDuringRun = false;
        runModal(dialog, [&] {
            QVERIFY(QTest::qWaitForWindowExposed(&dialog.native()));
            dialog.m_directoryList->append(toBytes(tree.path()));
            dialog.SetDlgItemText(IDC_EXTENSIONS, "*.c");
            PaintCounter paints(test::fileListView(dialog)->viewport());
            dialog.atRow = [&](int row) {
                if (row == 20) {
                    // What a user might do while the run goes on: all of it is dropped.
                    test::fileListView(dialog)->selectAll();
                    QTest::keyClick(test::fileListView(dialog), Qt::Key_Delete);
                    QTest::mouseClick(dialog.native().control(IDC_COUNT), Qt::LeftButton);
                    QTest::mouseClick(dialog.native().control(res::IDOK), Qt::LeftButton);
                    QTest::keyClick(test::fileListView(dialog), Qt::Key_Escape);
                    QTest::keyClick(test::fileListView(dialog), Qt::Key_F1);
                    dialog.OnSysCommand(IDM_ABOUTBOX, 0);  // the system menu is the system's
                    dialog.native().close();
                    closedDuringRun = !dialog.native().isVisible();
                }
                if (row == kFiles - 1) {
                    paintsDuringRun = paints.paints;
                }
                clock.advance(std::chrono::seconds(1));
            };
            QTest::mouseClick(dialog.native().control(IDC_COUNT), Qt::LeftButton);
            QVERIFY(dialog.native().isVisible());
            dialog.EndDialog(res::IDCANCEL);
        });
        QVERIFY(!closedDuringRun);
        QCOMPARE(aboutBoxes, 0);
        QVERIFY(paintsDuringRun > 0);
        QCOMPARE(dialog.m_fileList->rowCount(), kFiles);
        QCOMPARE(dialog.m_totals.files, kFiles);
        QVERIFY(messages.messages.empty());
        QCOMPARE(statusText(dialog), QString::fromStdString(lw::statusLineText(dialog.m_totals)));
        QCOMPARE(dialog.countEnabled, std::vector<bool>(kFiles, false));
        // The status line shows the progress after the first half second, as the files go by.
        QCOMPARE(dialog.statuses.front(), std::string());
        QCOMPARE(dialog.statuses.back(), progressText("Counting", kFiles, "files"));
        std::size_t firstShown = 0;
        while (firstShown < dialog.statuses.size() && dialog.statuses[firstShown].empty()) {
            ++firstShown;
        }
        QVERIFY(firstShown > 0);
        for (std::size_t row = firstShown; row < dialog.statuses.size(); ++row) {
            QCOMPARE(dialog.statuses[row], progressText("Counting", qint64(row) + 1, "files"));
        }
    }

    // A recursive add shows how many directories it has added, and then puts the status line
    // back as it was.
    void longAddShowsItsProgressAndPutsTheStatusBack() {
        QTemporaryDir tree;
        constexpr int kSubdirectories = 1100;
        for (int i = 0; i < kSubdirectories; ++i) {
            QVERIFY(QDir(tree.path()).mkdir(QString("d%1").arg(i)));
        }
        // Every step is long enough for a repaint, so each entry shows the progress before it.
        const SteppingClock clock(std::chrono::milliseconds(1000));
        test::MessageRecorder messages;
        CdialogMain dialog;
        QStringList shown;
        std::vector<bool> countEnabled;
        runModal(dialog, [&] {
            dialog.m_status = "Files: 0 FIXMEs: 0 Code: 0 Comments: 0 Total: 0";
            dialog.showResults();
            connect(test::directoryListBox(dialog)->model(), &QAbstractItemModel::rowsInserted,
                    &dialog.native(), [&] {
                        shown << statusText(dialog);
                        countEnabled.push_back(dialog.native().control(IDC_COUNT)->isEnabled());
                    });
            const std::string top = toBytes(tree.path());
            dialog.m_directoryList->append(top);
            dialog.AddSubdirectories(top);
            QCOMPARE(statusText(dialog), QString::fromStdString(dialog.m_status));
            QVERIFY(dialog.native().control(IDC_COUNT)->isEnabled());
            dialog.EndDialog(res::IDCANCEL);
        });
        QVERIFY(messages.messages.empty());
        QCOMPARE(dialog.m_directoryList->entryCount(), kSubdirectories + 1);
        QCOMPARE(countEnabled.front(), true);  // the typed directory, before the walk
        QCOMPARE(countEnabled.back(), false);
        // Each entry is shown with the progress of the one before it.
        QVERIFY(shown.contains("Adding… 1,000 directories"));
        QCOMPARE(shown.back(), QString("Adding… 1,100 directories"));
    }

    // The window counts on several threads; rows, totals, messages and their order are those of a
    // run that counts one file after another.
    void countGivesWhatASequentialRunGives() {
        QTemporaryDir tree;
        Strings directories;
        for (int d = 0; d < 4; ++d) {
            const QString dir = tree.filePath(QString("dir%1").arg(d));
            QVERIFY(QDir().mkpath(dir));
            directories.push_back(toBytes(dir));
            for (int f = 0; f < 150; ++f) {
                std::string text;
                for (int line = 0; line < (f * 7 + d) % 23; ++line) {
                    text += line % 5 == 0 ? "// FIXME\n" : "int x; /* y */\n";
                }
                writeFile(dir + QString("/f%1.%2").arg(f).arg(f % 3 ? "c" : "h"), text);
            }
        }
        // Matches that cannot be opened, early and late in the run.
        QVERIFY(QFile::link(tree.filePath("nowhere"), tree.filePath("dir0/a-dangling.c")));
        QVERIFY(::mkfifo(toBytes(tree.filePath("dir2/m-fifo.h")).c_str(), 0600) == 0);

        SequentialHost expected(directories, "*.c;*.h");
        CountRun(expected, systemFileSystem());
        QCOMPARE(expected.outcome.messages.size(), std::size_t{2});

        test::MessageRecorder messages;
        CdialogMain dialog;
        runModal(dialog, [&] {
            for (const std::string& directory : directories) {
                dialog.m_directoryList->append(directory);
            }
            dialog.SetDlgItemText(IDC_EXTENSIONS, "*.c;*.h");
            QTest::mouseClick(dialog.native().control(IDC_COUNT), Qt::LeftButton);
            dialog.EndDialog(res::IDCANCEL);
        });
        Outcome got;
        for (int row = 0; row < dialog.m_fileList->rowCount(); ++row) {
            std::array<std::string, 5> cells;
            for (int column = 0; column < 5; ++column) {
                cells[std::size_t(column)] = dialog.m_fileList->cellText(row, column);
            }
            got.rows.push_back(cells);
        }
        QCOMPARE(got.rows, expected.outcome.rows);
        QCOMPARE(messages.messages, expected.outcome.messages);
        QCOMPARE(statusText(dialog), QString::fromStdString(expected.outcome.status));
    }
};

LW_GUI_TEST_MAIN(LongWorkTest)
#include "long_work_test.moc"
