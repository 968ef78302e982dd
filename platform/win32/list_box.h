#pragma once

#include <windows.h>

#include "platform/win32/window.h"

namespace lw::win32 {

// A list box: one short method per message. Texts are the ANSI code page's.
class ListBox : public Window {
  public:
    using Window::Window;

    int AddString(const char* text) const {
        return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    int GetTextLen(int index) const {
        return static_cast<int>(Send(LB_GETTEXTLEN, static_cast<WPARAM>(index)));
    }
    // Copies the entry and its terminator into `buffer`, which must hold GetTextLen() + 1 bytes.
    int GetText(int index, char* buffer) const {
        return static_cast<int>(
            Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer)));
    }
    int SetCurSel(int index) const {
        return static_cast<int>(Send(LB_SETCURSEL, static_cast<WPARAM>(index)));
    }
};

}  // namespace lw::win32
