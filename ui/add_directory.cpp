#include "count/subdirectory_walk.h"
#include "platform/busy_window.h"
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
    std::vector<SearchFailure> failures;
    {
        // A large tree takes as long as enumerating it: the window waits, as for a count run,
        // but repaints and shows how many directories the add has found.
        BusyWindow busy(*this, IDC_STATUS);
        busy_ = &busy;
        const struct Done {
            BusyWindow*& busy;
            ~Done() { busy = nullptr; }
        } done{busy_};
        enableCount(false);
        std::int64_t added = 1;  // the directory itself, appended by the caller
        failures = walkSubdirectories(*fileSystem_, directory, [&](const std::string& path) {
            m_directoryList->append(path);
            ++added;
            busy.keepAlive([&] { return progressText("Adding", added, "directories"); });
        });
        enableCount(true);
    }
    // One message for the whole walk: a tree with hundreds of unreadable directories must not
    // become hundreds of boxes to dismiss one by one.
    if (!failures.empty()) {
        lw::showMessage(this, searchFailureReport(failures));
    }
}

}  // namespace lw
