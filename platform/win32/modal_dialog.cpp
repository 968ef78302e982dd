// The toolkit-neutral face of a dialog on the Win32 window of platform/win32/dialog.h: controls
// by id are the dialog manager's own, texts the ANSI code page's bytes as the engine has them.

#include "platform/win32/dialog.h"
#include "platform/win32/window.h"

namespace lw {

ModalDialog::ModalDialog(int templateId, ModalDialog* parent)
    : native_(std::make_unique<Native>(*this, res::dialogTemplate(templateId), parent)) {}

ModalDialog::~ModalDialog() = default;

int ModalDialog::DoModal() {
    return native_->run();
}

void ModalDialog::EndDialog(int result) {
    native_->end(result);
}

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

FileList* ModalDialog::fileList(int id) const {
    return native_->fileList(id);
}

DirectoryList* ModalDialog::directoryList(int id) const {
    return native_->directoryList(id);
}

void ModalDialog::SetIcon(int iconId) {
    native_->setIcon(iconId);
}

bool ModalDialog::AppendSystemMenuItem(unsigned id, const std::string& text) {
    return native_->appendSystemMenuItem(id, text);
}

ModalDialog::Native& ModalDialog::native() const {
    return *native_;
}

void ModalDialog::DefaultSysCommand(unsigned id, std::intptr_t lParam) {
    native_->defaultSysCommand(id, lParam);
}

}  // namespace lw
