// The toolkit-neutral face of a dialog where it only hands on to the backend's window (the
// backend's build names the header of its ModalDialog::Native), and what a dialog does when it
// does not override a hook: the same on every backend.

#include LINEWRIGHT_NATIVE_DIALOG_HEADER

// Where the backend's header brings windows.h, these are its macros of the same values.
#undef IDOK
#undef IDCANCEL

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

ModalDialog::Native& ModalDialog::native() const {
    return *native_;
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

void ModalDialog::DefaultSysCommand(unsigned id, std::intptr_t lParam) {
    native_->defaultSysCommand(id, lParam);
}

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
