#pragma once

// The clock of the busy window's test seam, for the code that paces the repaints. The other
// seams are consulted in seams.cpp alone. ui/ and app/ never include this.

#include <chrono>

#include "platform/busy_window.h"

namespace lw::seams {

// The time a BusyWindow goes by: the test's clock when one is set, else the steady clock.
std::chrono::milliseconds busyWindowNow();

}  // namespace lw::seams
