// The platform interfaces' services on the Win32 layer of this folder: each hands the owner's
// window to the system call, or the test seam's answer when a test set one.

#include "platform/application.h"
#include "platform/backend.h"
#include "platform/busy_window.h"
#include "platform/folder_browser.h"
#include "platform/message_box.h"
#include "platform/seams.h"
#include "platform/shell_open.h"
#include "platform/win32/application.h"
#include "platform/win32/busy_window.h"
#include "platform/win32/dialog.h"
#include "platform/win32/folder_browser.h"
#include "platform/win32/message_box.h"
#include "platform/win32/shell_open.h"
#include "platform/win32/text.h"

namespace lw {

namespace {

HWND windowOf(ModalDialog* owner) {
    return owner != nullptr ? owner->native().hwnd() : nullptr;
}

}  // namespace

namespace backend {

// The system's box shows the normal pointer over its own window.
NormalPointer::NormalPointer() = default;
NormalPointer::~NormalPointer() = default;

void showMessage(ModalDialog* owner, const std::string& text) {
    win32::showMessage(windowOf(owner), text);
}

void shellOpen(ModalDialog* owner, const std::string& pathOrAddress) {
    win32::shellOpen(windowOf(owner), pathOrAddress);
}

FolderChoice browseForFolder(ModalDialog* owner) {
    return win32::browseForFolder(windowOf(owner));
}

}  // namespace backend

class BusyWindow::Native {
  public:
    Native(HWND window, int statusControlId) : busy(window, statusControlId) {}
    win32::BusyWindow busy;
};

BusyWindow::BusyWindow(ModalDialog& window, int statusControlId)
    : native_(std::make_unique<Native>(window.native().hwnd(), statusControlId)) {}

BusyWindow::~BusyWindow() = default;

void BusyWindow::keepAlive(const std::function<std::string()>& progress) {
    if (!progress) {
        native_->busy.keepAlive(nullptr);
        return;
    }
    // The program's words are UTF-8; the status control takes the ANSI code page's bytes.
    native_->busy.keepAlive([&progress] { return win32::ansiFromUtf8(progress()); });
}

int runApplication(int argc, char** argv, const std::function<bool()>& initInstance) {
    return win32::runApplication(argc, argv, initInstance);
}

void prepareCommonControls() {
    win32::prepareCommonControls();
}

std::string applicationName() {
    return win32::applicationName();
}

}  // namespace lw
