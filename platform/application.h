#pragma once

#include <functional>
#include <string>

namespace lw {

// The process's toolkit set up around `initInstance` (Qt: the QApplication; Win32: nothing
// beyond the process itself); returns the process's exit status. main() calls it.
int runApplication(int argc, char** argv, const std::function<bool()>& initInstance);

// Prepares the common controls (the File List's list view among them). Nothing to do on Qt.
void prepareCommonControls();

// The application's name: the executable's file name without its extension. The profile's
// application key and the caption of every message box.
std::string applicationName();

}  // namespace lw
