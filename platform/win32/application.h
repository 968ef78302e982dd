#pragma once

#include <functional>
#include <string>

namespace lw::win32 {

// Registers the common controls' window classes that the dialogs use (the list view among
// them), in the version the manifest asks for. False when the system refuses.
bool prepareCommonControls();

// The executable's file name without its extension, in the ANSI code page: the profile's
// application key and the caption of every message box.
std::string applicationName();

// Runs `initInstance`, the program's whole life on Windows (its modal main dialog), and returns
// the process's exit status. The arguments are not read: the program takes none.
int runApplication(int argc, char** argv, const std::function<bool()>& initInstance);

}  // namespace lw::win32
