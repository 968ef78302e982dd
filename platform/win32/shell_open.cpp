#include "platform/win32/shell_open.h"

#include <shellapi.h>

namespace lw::win32 {

namespace {

ShellOpenSeam::Recorder& recorder() {
    static ShellOpenSeam::Recorder instance;
    return instance;
}

}  // namespace

void ShellOpenSeam::setRecorder(Recorder newRecorder) {
    recorder() = std::move(newRecorder);
}

void ShellOpenSeam::clearRecorder() {
    recorder() = nullptr;
}

void shellOpen(HWND owner, const std::string& pathOrAddress) {
    if (recorder()) {
        recorder()(pathOrAddress);
        return;
    }
    ShellExecuteA(owner, "open", pathOrAddress.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace lw::win32
