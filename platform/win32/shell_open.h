#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lw::win32 {

// ShellExecuteA(owner, "open", path, no parameters, no directory, SW_SHOW): whatever the system
// associates with the file path or web address. Never builds a command line; the result is not
// reported.
void shellOpen(HWND owner, const std::string& pathOrAddress);

// Test seam: while a recorder is set, shellOpen hands the path to it instead of opening.
class ShellOpenSeam {
  public:
    using Recorder = std::function<void(const std::string& pathOrAddress)>;
    static void setRecorder(Recorder recorder);
    static void clearRecorder();
};

}  // namespace lw::win32
