#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/qt/modal_dialog.h"
#include "platform/qt/text.h"
#include "platform/seams.h"

namespace lw {

void showMessage(ModalDialog* owner, const std::string& text) {
    // A box that waits for the user gets the normal pointer, whatever long work around it shows.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restoreCursor;
    if (const auto& recorder = seams::messageRecorder()) {
        recorder(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), fromBytes(text),
                    QMessageBox::Ok, owner != nullptr ? &owner->native() : nullptr);
    // Messages carry file names, which must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace lw
