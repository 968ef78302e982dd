#pragma once

// The pace of a busy window (platform/busy_window.h), the same on every backend: when the work
// lets the window repaint, when the progress shows, and which status text comes back at the end.
// The backends supply the repaint itself, the cursor and the dropping of input.

#include <chrono>
#include <optional>
#include <string>

namespace lw {

class BusyRhythm {
  public:
    BusyRhythm();

    // Whether the work should let the window repaint now: not until the interval since the last
    // repaint has passed. When it says so, the repaint counts as begun now.
    bool repaintDue();
    // Whether the repaint that repaintDue() began shows the progress: once the work has lasted
    // half a second.
    bool showsProgress() const;
    // The repaint is over. Painting a long list is not free, so the next repaint waits nine times
    // as long as this one took, between a twenty-fifth of a second and a second.
    void repainted();

  private:
    std::chrono::milliseconds started_;
    std::chrono::milliseconds lastRepaint_;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point paintBegan_;
};

// The status control's text while the progress shows in it.
class ProgressStatus {
  public:
    explicit ProgressStatus(std::string before) : before_(std::move(before)) {}

    // The progress text that the control now shows.
    void shown(std::string text) { shown_ = std::move(text); }
    // What the control should show once the work is over, given what it shows then: the text
    // from before the work while the progress still shows; nothing when the work has set a text
    // of its own (its final one) or no progress was ever shown.
    std::optional<std::string> restored(const std::string& current) const;

  private:
    std::string before_;
    std::string shown_;  // empty while no progress was shown
};

}  // namespace lw
