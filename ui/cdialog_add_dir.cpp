#include "ui/cdialog_add_dir.h"

#include "count/path_text.h"
#include "platform/folder_browser.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "ui/profile_keys.h"

namespace lw {

namespace {

constexpr char kNoAllocatorMessage[] = "Error: Failed to SHGetMalloc";

}  // namespace

CdialogAddDir::CdialogAddDir(ModalDialog* parent) : ModalDialog(res::IDD_ADD_DIRECTORY, parent) {}

void CdialogAddDir::ExchangeData(bool fromControls) {
    if (fromControls) {
        m_recurse = IsDlgButtonChecked(IDC_RECURSE) ? 1 : 0;
        m_directory = GetDlgItemText(IDC_DIRECTORY);
    } else {
        // A stored value other than 0 or 1 still means "walk", so it shows ticked; it is written
        // back unchanged unless the user accepts the dialog.
        CheckDlgButton(IDC_RECURSE, m_recurse != 0);
        SetDlgItemText(IDC_DIRECTORY, m_directory);
    }
}

bool CdialogAddDir::OnInitDialog() {
    m_directory = Profile::GetString(kSettingsSection, kLastDirectoryKey, m_directory);
    m_recurse = Profile::GetInt(kSettingsSection, kRecurseKey, m_recurse);
    return ModalDialog::OnInitDialog();
}

void CdialogAddDir::OnCommand(int id) {
    if (id == IDC_BROWSE) {
        Browse();
    }
}

void CdialogAddDir::OnOK() {
    ExchangeData(true);
    m_directory = RemoveTrailingSeparators(std::move(m_directory));
    EndDialog(res::IDOK);
}

void CdialogAddDir::OnDestroy() {
    // Written after either ending: a Cancel stores what was read at opening, or the folder last
    // chosen in the browser, since the members are read from the controls only on OK.
    Profile::WriteString(kSettingsSection, kLastDirectoryKey, m_directory);
    Profile::WriteInt(kSettingsSection, kRecurseKey, m_recurse);
    ModalDialog::OnDestroy();
}

void CdialogAddDir::Browse() {
    FolderChoice choice = browseForFolder(this);
    switch (choice.outcome) {
        case FolderChoice::Outcome::Cancelled:
            return;  // the controls keep what the user typed or ticked
        case FolderChoice::Outcome::NoAllocator:
            showMessage(this, kNoAllocatorMessage);
            return;
        case FolderChoice::Outcome::Chosen:
            break;
    }
    m_directory = std::move(choice.path);
    // The check box goes back to m_recurse as read at opening: the members have not been read
    // from the controls yet.
    ExchangeData(false);
}

}  // namespace lw
