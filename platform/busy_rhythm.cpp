#include "platform/busy_rhythm.h"

#include <algorithm>

#include "platform/seams.h"

namespace lw {

namespace {

constexpr std::chrono::milliseconds kRepaintEvery{40};  // at the most often
// However long a paint took, the window repaints (and so answers the system) at least this often.
constexpr std::chrono::milliseconds kRepaintAtLeastEvery{1000};
constexpr int kWorkPerPaint = 9;
constexpr std::chrono::milliseconds kProgressAfter{500};

}  // namespace

BusyRhythm::BusyRhythm()
    : started_(seams::busyWindowNow()), lastRepaint_(started_), interval_(kRepaintEvery) {}

bool BusyRhythm::repaintDue() {
    const std::chrono::milliseconds now = seams::busyWindowNow();
    if (now - lastRepaint_ < interval_) {
        return false;
    }
    lastRepaint_ = now;
    paintBegan_ = std::chrono::steady_clock::now();
    return true;
}

bool BusyRhythm::showsProgress() const {
    return lastRepaint_ - started_ >= kProgressAfter;
}

void BusyRhythm::repainted() {
    // What a paint costs is the machine's real time, whatever clock a test gives the work.
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - paintBegan_);
    interval_ = std::clamp(took * kWorkPerPaint, kRepaintEvery, kRepaintAtLeastEvery);
}

std::optional<std::string> ProgressStatus::restored(const std::string& current) const {
    if (shown_.empty() || current != shown_) {
        return std::nullopt;
    }
    return before_;
}

}  // namespace lw
