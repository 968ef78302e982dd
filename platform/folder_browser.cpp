#include "platform/folder_browser.h"

#include "platform/text.h"

#include <QFileDialog>

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

std::optional<std::string> browseForFolder(QWidget* owner) {
    if (answerer()) {
        return answerer()();
    }
    const QString chosen =
        QFileDialog::getExistingDirectory(owner, QString(), QString(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return toBytes(chosen);
}

}  // namespace lw
