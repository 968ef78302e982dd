#include "platform/win32/window.h"

namespace lw::win32 {

std::string Window::GetText() const {
    const int length = GetWindowTextLengthA(hwnd_);
    if (length <= 0) {
        return {};
    }
    // The length may overstate (it is the wide length in some cases), never understate.
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(hwnd_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

}  // namespace lw::win32
