#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lw::win32 {

// MessageBoxA with the text, one OK button and the application's name as caption, owned by
// `owner` (without one, by the thread's active window), which takes no input meanwhile. The text
// is the engine's bytes, the ANSI code page's own.
void showMessage(HWND owner, const std::string& text);

// Test seam: while a recorder is set, showMessage hands the text to it instead of showing a box.
class MessageBoxSeam {
  public:
    using Recorder = std::function<void(const std::string& text)>;
    static void setRecorder(Recorder recorder);
    static void clearRecorder();
};

}  // namespace lw::win32
