// The toolkit-neutral face's controls by id on the Win32 window of platform/win32/dialog.h: the
// dialog manager's own controls, texts the ANSI code page's bytes as the engine has them.

#include "platform/win32/dialog.h"
#include "platform/win32/window.h"

namespace lw {

std::string ModalDialog::GetDlgItemText(int id) const {
    HWND item = native_->item(id);
    return item != nullptr ? win32::Window(item).GetText() : std::string();
}

void ModalDialog::SetDlgItemText(int id, const std::string& text) {
    if (HWND item = native_->item(id)) {
        win32::Window(item).SetText(text);
    }
}

bool ModalDialog::IsDlgButtonChecked(int id) const {
    HWND item = native_->item(id);
    return item != nullptr && SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ModalDialog::CheckDlgButton(int id, bool checked) {
    if (HWND item = native_->item(id)) {
        SendMessageA(item, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void ModalDialog::EnableDlgItem(int id, bool enabled) {
    if (HWND item = native_->item(id)) {
        win32::Window(item).Enable(enabled);
    }
}

bool ModalDialog::IsDlgItemEnabled(int id) const {
    HWND item = native_->item(id);
    return item != nullptr && win32::Window(item).IsEnabled();
}

bool ModalDialog::HasDlgItemFocus(int id) const {
    HWND item = native_->item(id);
    return item != nullptr && GetFocus() == item;
}

void ModalDialog::SetDlgItemFocus(int id) {
    // The dialog manager's own focus move, which also makes a push button that gets the focus
    // the one Enter presses.
    if (HWND item = native_->item(id)) {
        SendMessageA(native_->hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    }
}

}  // namespace lw
