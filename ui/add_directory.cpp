#include "count/subdirectory_walk.h"
#include "platform/message_box.h"
#include "res/dialog_template.h"
#include "ui/cdialog_add_dir.h"
#include "ui/cdialog_main.h"

namespace lw {

void CdialogMain::AddDirectory() {
    CdialogAddDir dialog;
    if (dialog.DoModal() != res::IDOK) {
        return;
    }
    // Taken as typed: an empty, duplicate or missing directory is the user's to add.
    m_directoryList->append(dialog.m_directory);
    if (dialog.m_recurse != 0) {
        AddSubdirectories(dialog.m_directory);
    }
}

void CdialogMain::AddSubdirectories(std::string directory) {
    const std::vector<SearchFailure> failures =
        walkSubdirectories(*fileSystem_, directory,
                           [this](const std::string& path) { m_directoryList->append(path); });
    // One message for the whole walk: a tree with hundreds of unreadable directories must not
    // become hundreds of boxes to dismiss one by one.
    if (!failures.empty()) {
        lw::showMessage(this, FindNextFileMessage(failures));
    }
}

}  // namespace lw
