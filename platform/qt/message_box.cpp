#include "platform/backend.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/qt/modal_dialog.h"
#include "platform/qt/text.h"

namespace lw::backend {

NormalPointer::NormalPointer() {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
}

NormalPointer::~NormalPointer() {
    QApplication::restoreOverrideCursor();
}

void showMessage(ModalDialog* owner, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), fromBytes(text),
                    QMessageBox::Ok, owner != nullptr ? &owner->native() : nullptr);
    // Messages carry file names, which must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace lw::backend
