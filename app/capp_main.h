#pragma once

namespace lw {

// The application object: selects the code page from the locale, names the profile's company
// key, runs the main dialog modally and ends the process when it closes.
class CappMain {
  public:
    // Runs inside runApplication; returns false, so the caller ends the process.
    bool InitInstance();
};

}  // namespace lw
