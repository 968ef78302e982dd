#include "platform/folder_browser.h"

#include <QFileDialog>

#include "platform/qt/modal_dialog.h"
#include "platform/qt/text.h"

namespace lw {

namespace {

FolderBrowserSeam::Answerer& answerer() {
    static FolderBrowserSeam::Answerer instance;
    return instance;
}

}  // namespace

void FolderBrowserSeam::setAnswerer(Answerer newAnswerer) {
    answerer() = std::move(newAnswerer);
}

void FolderBrowserSeam::clearAnswerer() {
    answerer() = nullptr;
}

FolderChoice browseForFolder(ModalDialog* owner) {
    if (answerer()) {
        return answerer()();
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
