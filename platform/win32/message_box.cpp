#include "platform/win32/message_box.h"

#include "platform/win32/application.h"

namespace lw::win32 {

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

void showMessage(HWND owner, const std::string& text) {
    if (recorder()) {
        recorder()(text);
        return;
    }
    const std::string caption = applicationName();
    MessageBoxA(owner != nullptr ? owner : GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace lw::win32
