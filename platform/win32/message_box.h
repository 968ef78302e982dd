#pragma once

#include <windows.h>

#include <string>

namespace lw::win32 {

// MessageBoxA with the text, one OK button and the application's name as caption, owned by
// `owner` (without one, by the thread's active window), which takes no input meanwhile. The text
// is the engine's bytes, the ANSI code page's own.
void showMessage(HWND owner, const std::string& text);

}  // namespace lw::win32
