#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/busy_rhythm.h"

namespace lw::win32 {

// Long work that a dialog does on the user-interface thread, inside one of its handlers. While
// the object lives, the window shows the wait cursor, takes no user input (keys and clicks that
// arrive meanwhile are dropped, not delivered afterwards) and does not close. keepAlive(),
// called often by the work, lets the window repaint now and then, so that it is never taken for
// hung; once the work has lasted half a second it also shows the work's progress in the status
// control. Other windows, such as a message box the work shows, take input as usual. The pace
// is platform/busy_rhythm.h's.
class BusyWindow {
  public:
    BusyWindow(HWND window, int statusControlId);
    // Drops what input is still waiting, puts the cursor back, and the status control's text too
    // if the progress still shows there.
    ~BusyWindow();
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

    // Cheap when called often: does nothing until a few hundredths of a second have passed since
    // the last repaint. `progress` gives the text to show (the engine's bytes); it is asked for
    // only when it will be shown.
    void keepAlive(const std::function<std::string()>& progress);

    // A box that the work shows over the window: while it waits for the user, the window's lists
    // draw as usual (they are otherwise drawn only when the work lets the window repaint).
    class Pause {
      public:
        Pause();
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

      private:
        const BusyWindow* paused_;
    };

    // Runs a change of one of the window's lists that must show at once, however the work holds
    // the list's drawing: a list box that moves its selection while it does not draw still
    // scrolls its old picture, which would then show its rows repeated until the next repaint.
    static void drawnChange(HWND list, const std::function<void()>& change);

  private:
    void drawLists(bool draw) const;

    BusyWindow* outer_ = nullptr;  // the busy window of this thread that this one is inside of
    HWND status_;
    std::vector<HWND> lists_;  // the window's list views and list boxes: drawn only at repaints
    mutable bool listsDraw_ = true;
    HCURSOR cursorBefore_;
    BusyRhythm rhythm_;
    ProgressStatus progress_;
};

}  // namespace lw::win32
