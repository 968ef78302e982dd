#include "platform/win32/modal_dialog.h"

namespace lw {

ModalDialog::Native::Native(ModalDialog& owner, int templateId, ModalDialog* parent)
    : win32::Dialog(templateId, parent != nullptr ? &parent->native() : nullptr),
      owner_(owner),
      parent_(parent) {}

ModalDialog::ModalDialog(int templateId, ModalDialog* parent)
    : native_(std::make_unique<Native>(*this, templateId, parent)) {}

ModalDialog::~ModalDialog() = default;

int ModalDialog::DoModal() {
    return native_->DoModal();
}

void ModalDialog::EndDialog(int result) {
    native_->EndDialog(result);
}

const res::DialogTemplate& ModalDialog::dialogTemplate() const {
    return native_->dialogTemplate();
}

ModalDialog* ModalDialog::parent() const {
    return native_->parentDialog();
}

std::string ModalDialog::GetDlgItemText(int id) const {
    return native_->GetDlgItemText(id);
}

void ModalDialog::SetDlgItemText(int id, const std::string& text) {
    native_->SetDlgItemText(id, text);
}

bool ModalDialog::IsDlgButtonChecked(int id) const {
    return native_->IsDlgButtonChecked(id);
}

void ModalDialog::CheckDlgButton(int id, bool checked) {
    native_->CheckDlgButton(id, checked);
}

void ModalDialog::EnableDlgItem(int id, bool enabled) {
    native_->EnableDlgItem(id, enabled);
}

bool ModalDialog::IsDlgItemEnabled(int id) const {
    return native_->IsDlgItemEnabled(id);
}

bool ModalDialog::HasDlgItemFocus(int id) const {
    HWND window = native_->hwnd();
    if (window == nullptr || id == res::IDC_STATIC) {
        return false;
    }
    HWND item = GetDlgItem(window, id);
    return item != nullptr && GetFocus() == item;
}

void ModalDialog::SetDlgItemFocus(int id) {
    HWND window = native_->hwnd();
    if (window == nullptr || id == res::IDC_STATIC) {
        return;
    }
    // The dialog manager's own focus move, which also makes a push button that gets the focus
    // the one Enter presses.
    if (HWND item = GetDlgItem(window, id)) {
        SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    }
}

FileList* ModalDialog::fileList(int id) const {
    return native_->fileList(id);
}

DirectoryList* ModalDialog::directoryList(int id) const {
    return native_->directoryList(id);
}

void ModalDialog::SetIcon(int iconId) {
    native_->SetIcon(iconId);
}

bool ModalDialog::AppendSystemMenuItem(unsigned id, const std::string& text) {
    return native_->AppendSystemMenuItem(id, text);
}

ModalDialog::Native& ModalDialog::native() const {
    return *native_;
}

void ModalDialog::DefaultSysCommand(unsigned id, std::intptr_t lParam) {
    native_->defaultSysCommand(id, lParam);
}

}  // namespace lw
