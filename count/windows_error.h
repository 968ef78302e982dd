#pragma once

#include <string>

namespace lw {

// The system's text for a Windows error code (GetLastError()), in the ANSI code page, as the
// POSIX side's strerror-style reasons read: without the line end and the full stop that the
// system's message ends with; "error N" for a code the system has no text for.
std::string windowsErrorText(unsigned long error);

}  // namespace lw
