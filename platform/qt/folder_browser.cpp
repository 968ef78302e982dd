#include "platform/backend.h"

#include <QFileDialog>

#include "platform/qt/modal_dialog.h"
#include "platform/qt/text.h"

namespace lw::backend {

FolderChoice browseForFolder(ModalDialog* owner) {
    const QString chosen =
        QFileDialog::getExistingDirectory(owner != nullptr ? &owner->native() : nullptr, QString(),
                                          QString(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return {};
    }
    return {FolderChoice::Outcome::Chosen, toBytes(chosen)};
}

}  // namespace lw::backend
