#pragma once

#include <windows.h>

#include <string>

namespace lw::win32 {

// A window handle and the few messages every kind of window answers. Owns nothing: the window's
// life is the window system's (a dialog's controls die with the dialog).
class Window {
  public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}

    HWND hwnd() const { return hwnd_; }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(hwnd_, message, wParam, lParam);
    }

    // The window's text in the ANSI code page: the caption of a dialog or button, an edit's
    // contents.
    std::string GetText() const;
    void SetText(const std::string& text) const { SetWindowTextA(hwnd_, text.c_str()); }

    void Enable(bool enabled) const { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    // Stops (false) or resumes (true) the window's drawing; many changes in a row then cost one
    // repaint instead of one each.
    void SetRedraw(bool redraw) const { Send(WM_SETREDRAW, redraw ? TRUE : FALSE); }
    // Marks the whole window for painting, frame and scroll bars included, as drawing turned back
    // on needs.
    void Invalidate() const {
        RedrawWindow(hwnd_, nullptr, nullptr,
                     RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }

  private:
    HWND hwnd_ = nullptr;
};

}  // namespace lw::win32
