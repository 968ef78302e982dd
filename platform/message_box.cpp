#include "platform/message_box.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>

namespace lw {

namespace {

MessageBoxSeam::Recorder& recorder() {
    static MessageBoxSeam::Recorder instance;
    return instance;
}

}  // namespace

void MessageBoxSeam::setRecorder(Recorder newRecorder) {
    recorder() = std::move(newRecorder);
}

void MessageBoxSeam::clearRecorder() {
    recorder() = nullptr;
}

void showMessage(QWidget* owner, const std::string& text) {
    if (recorder()) {
        recorder()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(),
                    QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size()))),
                    QMessageBox::Ok, owner);
    // Messages carry file names, which must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace lw
