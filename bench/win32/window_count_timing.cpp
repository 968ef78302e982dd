// Times the Windows window's Count: the main dialog with the given directories in its Directory
// List presses Count once it shows, and the time from the press to the filled list is printed,
// with the rows and the status line. Run it under Wine or on Windows:
//   window_count_timing.exe PATTERNS DIR...
// The command line's time on the same DIRs is the reference (bench/RESULTS.md).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "count/code_page.h"
#include "platform/application.h"
#include "platform/profile.h"
#include "platform/win32/dialog.h"
#include "ui/cdialog_main.h"

namespace {

class TimedMainDialog : public lw::CdialogMain {
  public:
    TimedMainDialog(std::string patterns, std::vector<std::string> directories)
        : CdialogMain(nullptr, nullptr),
          patterns_(std::move(patterns)),
          directories_(std::move(directories)) {}

    double milliseconds = 0;
    int rows = 0;
    std::string status;

  protected:
    bool OnInitDialog() override {
        const bool focus = CdialogMain::OnInitDialog();
        for (const std::string& directory : directories_) {
            m_directoryList->append(directory);
        }
        SetDlgItemText(lw::IDC_EXTENSIONS, patterns_);
        // Pressed from the dialog's own loop once it runs, as a click would.
        HWND window = native().hwnd();
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(lw::IDC_COUNT, BN_CLICKED), 0);
        return focus;
    }

    void OnCommand(int id) override {
        const auto start = std::chrono::steady_clock::now();
        CdialogMain::OnCommand(id);
        if (id == lw::IDC_COUNT) {
            milliseconds =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            rows = m_fileList->rowCount();
            status = GetDlgItemText(lw::IDC_STATUS);
            // Posted only now, so that no box the count shows takes it for its own.
            PostMessageA(native().hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    }

  private:
    std::string patterns_;
    std::vector<std::string> directories_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_count_timing PATTERNS DIR...\n");
        return 2;
    }
    lw::CodePage::setSystem(lw::CodePage::fromLocale());
    lw::prepareCommonControls();
    // A key of its own, so that the timing leaves the program's settings alone.
    lw::Profile::SetCompanyKey("Linewright Timing");
    TimedMainDialog dialog(argv[1], std::vector<std::string>(argv + 2, argv + argc));
    dialog.DoModal();
    std::printf("count %.0f ms, %d rows, %s\n", dialog.milliseconds, dialog.rows,
                dialog.status.c_str());
    return 0;
}
