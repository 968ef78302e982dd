// The backend-neutral half of the window driver: the steps of a DialogScript.

#include "tests/ui/window_driver.h"

#include <gtest/gtest.h>

namespace lw::test {

namespace {

constexpr std::chrono::seconds kStepBound{30};

}  // namespace

DialogScript::DialogScript() : waitingSince_(std::chrono::steady_clock::now()) {
    startPolling(*this);
}

DialogScript::~DialogScript() {
    stopPolling();
    EXPECT_TRUE(done()) << "a dialog step never ran: step " << next_ + 1 << " of " << steps_.size();
}

void DialogScript::poll() {
    ModalDialog* dialog = activeDialog();
    if (gaveUp_) {
        if (dialog != nullptr) {
            dialog->EndDialog(-1);
        }
        return;
    }
    if (done()) {
        return;
    }
    if (dialog != nullptr && steps_[next_].matches(*dialog)) {
        // Counted before it runs: a dialog the step opens is answered by the next step, from
        // the loop of that dialog, while this step still waits for it.
        const auto run = steps_[next_].run;
        ++next_;
        run(*dialog);
        waitingSince_ = std::chrono::steady_clock::now();
        return;
    }
    if (std::chrono::steady_clock::now() - waitingSince_ > kStepBound) {
        ADD_FAILURE() << "step " << next_ + 1 << " found no dialog of its kind";
        gaveUp_ = true;
    }
}

}  // namespace lw::test
