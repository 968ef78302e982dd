#include "tests/platform/win32/win32_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace lw::win32::test {

namespace {

constexpr UINT kPollMs = 10;
constexpr ULONGLONG kStepBoundMs = 30000;

ModalScript* running = nullptr;

BOOL CALLBACK collectDialog(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && IsWindowEnabled(window) && className(window) == "#32770") {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

}  // namespace

HWND activeModalWindow() {
    std::vector<HWND> dialogs;
    EnumThreadWindows(GetCurrentThreadId(), collectDialog, reinterpret_cast<LPARAM>(&dialogs));
    if (dialogs.empty()) {
        return nullptr;
    }
    // A modal window disables its owner, so normally one is left; prefer the active one.
    for (HWND dialog : dialogs) {
        if (dialog == GetActiveWindow()) {
            return dialog;
        }
    }
    return dialogs.front();
}

std::string windowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

std::string className(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

void pressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    ASSERT_NE(button, nullptr) << "no control " << id;
    SendMessageA(button, BM_CLICK, 0, 0);
}

void postKey(HWND control, WORD virtualKey) {
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageA(control, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
    PostMessageA(control, WM_KEYUP, virtualKey,
                 1 | (static_cast<LPARAM>(scan) << 16) | (3LL << 30));
}

LPARAM middleOfColumn(HWND header, int column) {
    RECT item{};
    SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
    return MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
}

bool pumpUntil(const std::function<bool()>& done, int boundMs) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(boundMs);
    while (!done()) {
        if (GetTickCount64() > until) {
            return done();
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) {
            break;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
    return true;
}

ModalScript::ModalScript() {
    running = this;
    waitingSince_ = GetTickCount64();
    timer_ = SetTimer(nullptr, 0, kPollMs, tick);
}

ModalScript::~ModalScript() {
    KillTimer(nullptr, timer_);
    running = nullptr;
    EXPECT_TRUE(done()) << "a modal step never ran: step " << next_ + 1 << " of " << steps_.size()
                        << " waited for \""
                        << (next_ < steps_.size() ? steps_[next_].caption : std::string()) << "\"";
}

ModalScript& ModalScript::on(std::string caption, Step step) {
    steps_.push_back(Entry{std::move(caption), std::move(step)});
    return *this;
}

void CALLBACK ModalScript::tick(HWND, UINT, UINT_PTR, DWORD) {
    if (running != nullptr) {
        running->poll();
    }
}

void ModalScript::poll() {
    HWND modal = activeModalWindow();
    if (gaveUp_) {
        if (modal != nullptr) {
            PostMessageA(modal, WM_COMMAND, IDCANCEL, 0);
        }
        return;
    }
    if (next_ == steps_.size()) {
        return;
    }
    const Entry& entry = steps_[next_];
    if (modal != nullptr && (entry.caption.empty() || windowText(modal) == entry.caption)) {
        // Counted before it runs: a window the step opens is answered by the next step, from
        // the loop of that window, while this step still waits for it.
        const Step step = entry.step;
        ++next_;
        waitingSince_ = GetTickCount64();
        step(modal);
        waitingSince_ = GetTickCount64();
        return;
    }
    if (GetTickCount64() - waitingSince_ > kStepBoundMs) {
        ADD_FAILURE() << "no modal window \"" << entry.caption << "\" came (the active one is \""
                      << (modal != nullptr ? windowText(modal) : std::string("none")) << "\")";
        gaveUp_ = true;
    }
}

}  // namespace lw::win32::test
