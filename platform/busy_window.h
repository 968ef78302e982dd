#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace lw {

class ModalDialog;

// Long work that a window does on the user-interface thread, inside one of its handlers. While
// the object lives, the window shows the wait cursor, takes no user input (what the user does
// meanwhile is dropped, not delivered afterwards) and does not close. keepAlive(), called often
// by the work, lets the window repaint now and then, so that it is never taken for hung; once
// the work has lasted half a second it also shows the work's progress in the status control.
// Other windows, such as a message box the work shows, take input as usual.
class BusyWindow {
  public:
    BusyWindow(ModalDialog& window, int statusControlId);
    // Puts the cursor back, and the status control's text too if the progress still shows there.
    ~BusyWindow();
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

    // Cheap when called often: does nothing until a few hundredths of a second have passed since
    // the last repaint. `progress` gives the text to show (the program's own words, UTF-8); it is
    // asked for only when it will be shown.
    void keepAlive(const std::function<std::string()>& progress);

    class Native;

  private:
    std::unique_ptr<Native> native_;
};

// Test seam: while a clock is set, BusyWindow reads the work's time from it instead of the
// system's. What a repaint itself costs is measured on the system's clock all the same.
class BusyWindowSeam {
  public:
    using Clock = std::function<std::chrono::milliseconds()>;
    static void setClock(Clock clock);
    static void clearClock();
};

}  // namespace lw
