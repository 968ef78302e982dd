#include "tests/platform/win32/win32_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

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

namespace {

Capture grab(HWND window) {
    // Only what lies on the screen: a maximised window's frame reaches past its edges.
    RECT rect{};
    GetWindowRect(window, &rect);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&rect, &rect, &screen);
    Capture capture;
    capture.width = rect.right - rect.left;
    capture.height = rect.bottom - rect.top;
    HDC display = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(display);
    HBITMAP bitmap = CreateCompatibleBitmap(display, capture.width, capture.height);
    HGDIOBJ before = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, display, rect.left, rect.top,
           SRCCOPY | CAPTUREBLT);
    SelectObject(memory, before);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = capture.width;
    info.biHeight = -capture.height;  // top row first
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    capture.pixels.resize(static_cast<std::size_t>(capture.width) *
                          static_cast<std::size_t>(capture.height));
    const int lines =
        GetDIBits(memory, bitmap, 0, static_cast<UINT>(capture.height), capture.pixels.data(),
                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, display);
    if (lines != capture.height) {
        capture.pixels.clear();
    }
    for (std::uint32_t& pixel : capture.pixels) {
        pixel &= 0x00FFFFFFu;
    }
    return capture;
}

}  // namespace

Capture captureWindow(HWND window) {
    // The system shows what a window painted a little later, not as it paints: the screen has
    // settled once two captures a few hundredths of a second apart agree.
    constexpr int kSettleMs = 30;
    constexpr int kMostTries = 50;
    Capture last;
    for (int i = 0; i < kMostTries; ++i) {
        pumpUntil([] { return GetQueueStatus(QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE) == 0; },
                  2000);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kSettleMs, QS_ALLINPUT);
        Capture now = grab(window);
        if (!now.pixels.empty() && now.width == last.width && now.height == last.height &&
            now.pixels == last.pixels) {
            return now;
        }
        last = std::move(now);
    }
    return last;
}

int differingPixels(const Capture& a, const Capture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) {
        return std::max(a.width * a.height, b.width * b.height);
    }
    int differing = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        differing += a.pixels[i] != b.pixels[i] ? 1 : 0;
    }
    return differing;
}

bool saveBitmap(const Capture& capture, const std::string& path) {
    if (capture.pixels.empty()) {
        return false;
    }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = capture.width;
    info.biHeight = capture.height;  // bottom row first, as every reader expects
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(capture.width) * 3 + 3) & ~std::size_t{3};
    std::vector<char> pixels(stride * static_cast<std::size_t>(capture.height));
    for (int y = 0; y < capture.height; ++y) {
        char* line = pixels.data() + stride * static_cast<std::size_t>(capture.height - 1 - y);
        for (int x = 0; x < capture.width; ++x) {
            const std::uint32_t pixel =
                capture
                    .pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(capture.width) +
                            static_cast<std::size_t>(x)];
            line[x * 3] = static_cast<char>(pixel & 0xFF);
            line[x * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            line[x * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return out.good();
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
