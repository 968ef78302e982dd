#include "platform/seams.h"

#include <utility>

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

namespace seams {

const MessageBoxSeam::Recorder& messageRecorder() {
    return messageRecorderSlot();
}

const ShellOpenSeam::Recorder& shellOpenRecorder() {
    return shellOpenRecorderSlot();
}

const FolderBrowserSeam::Answerer& folderAnswerer() {
    return folderAnswererSlot();
}

std::chrono::milliseconds busyWindowNow() {
    if (const BusyWindowSeam::Clock& clock = busyWindowClockSlot()) {
        return clock();
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace seams

}  // namespace lw
