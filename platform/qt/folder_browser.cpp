#include "platform/folder_browser.h"

#include <QFileDialog>

#include "platform/qt/modal_dialog.h"
#include "platform/qt/text.h"
#include "platform/seams.h"

namespace lw {

FolderChoice browseForFolder(ModalDialog* owner) {
    if (const auto& answerer = seams::folderAnswerer()) {
        return answerer();
    }
    const QString chosen =
        QFileDialog::getExistingDirectory(owner != nullptr ? &owner->native() : nullptr, QString(),
                                          QString(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return {};
    }
    return {FolderChoice::Outcome::Chosen, toBytes(chosen)};
}

}  // namespace lw
