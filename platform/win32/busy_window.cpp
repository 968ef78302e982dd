#include "platform/win32/busy_window.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/window.h"

namespace lw::win32 {

namespace {

thread_local BusyWindow* current = nullptr;
// A window that never validates would be painted forever; a pass stops after this many.
constexpr int kMostPaintsPerPass = 256;

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

BOOL CALLBACK collectList(HWND child, LPARAM found) {
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    // A hidden list stays hidden: turning drawing back on would show it.
    if (IsWindowVisible(child) &&
        (lstrcmpiA(name, WC_LISTVIEWA) == 0 || lstrcmpiA(name, "ListBox") == 0)) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    }
    return TRUE;
}

}  // namespace

BusyWindow::BusyWindow(HWND window, int statusControlId)
    : status_(GetDlgItem(window, statusControlId)),
      cursorBefore_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))),
      progress_(status_ != nullptr ? Window(status_).GetText() : std::string()) {
    // A list that redraws after each row it gains makes a long run of appends slow; the lists
    // draw only when the window repaints.
    EnumChildWindows(window, collectList, reinterpret_cast<LPARAM>(&lists_));
    drawLists(false);
    outer_ = current;
    current = this;
}

BusyWindow::~BusyWindow() {
    current = outer_;
    drawLists(true);
    dropInput();
    if (status_ != nullptr) {
        if (const auto before = progress_.restored(Window(status_).GetText())) {
            Window(status_).SetText(*before);
        }
    }
    SetCursor(cursorBefore_);
}

void BusyWindow::keepAlive(const std::function<std::string()>& progress) {
    if (!rhythm_.repaintDue()) {
        return;
    }
    if (rhythm_.showsProgress() && progress && status_ != nullptr) {
        const std::string text = progress();
        Window(status_).SetText(text);
        progress_.shown(text);
    }
    dropInput();
    drawLists(true);
    paintPending();
    drawLists(false);
    rhythm_.repainted();
}

void BusyWindow::drawnChange(HWND list, const std::function<void()>& change) {
    const BusyWindow* holding = current;
    if (holding == nullptr || holding->listsDraw_ ||
        std::find(holding->lists_.begin(), holding->lists_.end(), list) == holding->lists_.end()) {
        change();
        return;
    }
    Window(list).SetRedraw(true);
    change();
    UpdateWindow(list);
    Window(list).SetRedraw(false);
}

void BusyWindow::drawLists(bool draw) const {
    listsDraw_ = draw;
    for (HWND list : lists_) {
        Window(list).SetRedraw(draw);
        if (draw) {
            Window(list).Invalidate();
        }
    }
}

BusyWindow::Pause::Pause() : paused_(current) {
    if (paused_ != nullptr) {
        paused_->drawLists(true);
    }
}

BusyWindow::Pause::~Pause() {
    if (paused_ != nullptr) {
        paused_->drawLists(false);
    }
}

}  // namespace lw::win32
