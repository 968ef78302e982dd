#include "platform/seams.h"

#include <utility>

#include "platform/backend.h"
#include "platform/folder_browser.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"

namespace lw {

namespace {

MessageBoxSeam::Recorder& messageRecorderSlot() {
    static MessageBoxSeam::Recorder instance;
    return instance;
}

ShellOpenSeam::Recorder& shellOpenRecorderSlot() {
    static ShellOpenSeam::Recorder instance;
    return instance;
}

FolderBrowserSeam::Answerer& folderAnswererSlot() {
    static FolderBrowserSeam::Answerer instance;
    return instance;
}

BusyWindowSeam::Clock& busyWindowClockSlot() {
    static BusyWindowSeam::Clock instance;
    return instance;
}

}  // namespace

void MessageBoxSeam::setRecorder(Recorder recorder) {
    messageRecorderSlot() = std::move(recorder);
}

void MessageBoxSeam::clearRecorder() {
    messageRecorderSlot() = nullptr;
}

void ShellOpenSeam::setRecorder(Recorder recorder) {
    shellOpenRecorderSlot() = std::move(recorder);
}

void ShellOpenSeam::clearRecorder() {
    shellOpenRecorderSlot() = nullptr;
}

void FolderBrowserSeam::setAnswerer(Answerer answerer) {
    folderAnswererSlot() = std::move(answerer);
}

void FolderBrowserSeam::clearAnswerer() {
    folderAnswererSlot() = nullptr;
}

void BusyWindowSeam::setClock(Clock clock) {
    busyWindowClockSlot() = std::move(clock);
}

void BusyWindowSeam::clearClock() {
    busyWindowClockSlot() = nullptr;
}

// Each operation that blocks or leaves the process: the test's stand-in when one is set, else
// the backend's system call.

void showMessage(ModalDialog* owner, const std::string& text) {
    const backend::NormalPointer pointer;
    if (const MessageBoxSeam::Recorder& recorder = messageRecorderSlot()) {
        recorder(text);
        return;
    }
    backend::showMessage(owner, text);
}

void shellOpen(ModalDialog* owner, const std::string& pathOrAddress) {
    if (const ShellOpenSeam::Recorder& recorder = shellOpenRecorderSlot()) {
        recorder(pathOrAddress);
        return;
    }
    backend::shellOpen(owner, pathOrAddress);
}

FolderChoice browseForFolder(ModalDialog* owner) {
    if (const FolderBrowserSeam::Answerer& answerer = folderAnswererSlot()) {
        return answerer();
    }
    return backend::browseForFolder(owner);
}

namespace seams {

std::chrono::milliseconds busyWindowNow() {
    if (const BusyWindowSeam::Clock& clock = busyWindowClockSlot()) {
        return clock();
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace seams

}  // namespace lw
