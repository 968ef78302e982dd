#pragma once

#include <windows.h>

#include <string>

namespace lw::win32 {

// ShellExecuteA(owner, "open", path, no parameters, no directory, SW_SHOW): whatever the system
// associates with the file path or web address. Never builds a command line; the result is not
// reported.
void shellOpen(HWND owner, const std::string& pathOrAddress);

}  // namespace lw::win32
