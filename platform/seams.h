#pragma once

// What the test seams of the platform interfaces hold, for the backends to consult: the same
// on every backend, so it lives once. ui/ and app/ never include this.

#include <chrono>

#include "platform/busy_window.h"
#include "platform/folder_browser.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"

namespace lw::seams {

// The recorder or answerer set by a test; empty when the real thing is to happen.
const MessageBoxSeam::Recorder& messageRecorder();
const ShellOpenSeam::Recorder& shellOpenRecorder();
const FolderBrowserSeam::Answerer& folderAnswerer();

// The time a BusyWindow goes by: the test's clock when one is set, else the steady clock.
std::chrono::milliseconds busyWindowNow();

}  // namespace lw::seams
