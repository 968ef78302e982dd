// What a dialog does when it does not override a hook: the same on every backend.

#include "platform/modal_dialog.h"

namespace lw {

bool ModalDialog::OnInitDialog() {
    ExchangeData(false);
    return true;
}

void ModalDialog::ExchangeData(bool /*fromControls*/) {}

void ModalDialog::OnOK() {
    ExchangeData(true);
    EndDialog(res::IDOK);
}

void ModalDialog::OnCancel() {
    EndDialog(res::IDCANCEL);
}

void ModalDialog::OnDestroy() {}

void ModalDialog::OnCommand(int /*id*/) {}

void ModalDialog::OnSysCommand(unsigned id, std::intptr_t lParam) {
    DefaultSysCommand(id, lParam);
}

void ModalDialog::OnHeaderItemClick(int /*listId*/, int /*column*/) {}

void ModalDialog::OnListDoubleClick(int /*listId*/) {}

void ModalDialog::OnListKeyDown(int /*listId*/, int /*virtualKey*/) {}

void ModalDialog::OnHelp() {}

}  // namespace lw
