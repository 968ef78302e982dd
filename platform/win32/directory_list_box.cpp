#include "platform/win32/directory_list_box.h"

#include "platform/win32/busy_window.h"

namespace lw::win32 {

void DirectoryListBox::append(const std::string& text) {
    // An unsorted list box adds at the end. A text with a NUL byte is cut there, as the
    // list box would cut it.
    box_.AddString(text.c_str());
}

int DirectoryListBox::entryCount() const {
    return box_.GetCount();
}

std::string DirectoryListBox::entryText(int index) const {
    const int length = box_.GetTextLen(index);
    if (length == LB_ERR || length < 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = box_.GetText(index, text.data());
    text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
}

void DirectoryListBox::select(int index) {
    BusyWindow::drawnChange(box_.hwnd(), [this, index] { box_.SetCurSel(index); });
}

}  // namespace lw::win32
