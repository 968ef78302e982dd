#include "platform/win32/busy_window.h"

#include "platform/win32/window.h"

namespace lw::win32 {

namespace {

constexpr std::chrono::milliseconds kRepaintEvery{40};
constexpr std::chrono::milliseconds kProgressAfter{500};
// A window that never validates would be painted forever; a pass stops after this many.
constexpr int kMostPaintsPerPass = 256;

BusyWindowSeam::Clock& clockOverride() {
    static BusyWindowSeam::Clock instance;
    return instance;
}

std::chrono::milliseconds now() {
    if (clockOverride()) {
        return clockOverride()();
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// The user's keys and clicks waiting for this thread's windows, whether they came from the
// devices or were posted. Nothing else of this thread takes input while the work runs: a box
// it shows has a loop of its own, and the work stands still until that ends.
void dropInput() {
    const struct {
        UINT first, last;
    } ranges[] = {
        {WM_KEYFIRST, WM_KEYLAST},
        {WM_MOUSEFIRST, WM_MOUSELAST},
        {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
        {WM_NCMOUSEHOVER, WM_MOUSELEAVE},
    };
    MSG message;
    for (const auto& range : ranges) {
        while (PeekMessageA(&message, nullptr, range.first, range.last, PM_REMOVE | PM_NOYIELD)) {
        }
    }
}

void paintPending() {
    MSG message;
    for (int i = 0; i < kMostPaintsPerPass &&
                    PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_NOYIELD);
         ++i) {
        DispatchMessageA(&message);
    }
}

}  // namespace

void BusyWindowSeam::setClock(Clock clock) {
    clockOverride() = std::move(clock);
}

void BusyWindowSeam::clearClock() {
    clockOverride() = nullptr;
}

BusyWindow::BusyWindow(HWND window, int statusControlId)
    : status_(GetDlgItem(window, statusControlId)),
      cursorBefore_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))),
      started_(now()),
      lastRepaint_(started_) {
    if (status_ != nullptr) {
        statusBefore_ = Window(status_).GetText();
    }
}

BusyWindow::~BusyWindow() {
    dropInput();
    // A work that sets its own final text has already replaced the progress.
    if (status_ != nullptr && !shownText_.empty() && Window(status_).GetText() == shownText_) {
        Window(status_).SetText(statusBefore_);
    }
    SetCursor(cursorBefore_);
}

void BusyWindow::keepAlive(const std::function<std::string()>& progress) {
    const std::chrono::milliseconds time = now();
    if (time - lastRepaint_ < kRepaintEvery) {
        return;
    }
    lastRepaint_ = time;
    if (time - started_ >= kProgressAfter && progress && status_ != nullptr) {
        shownText_ = progress();
        Window(status_).SetText(shownText_);
    }
    dropInput();
    paintPending();
}

}  // namespace lw::win32
