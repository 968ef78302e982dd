#include <windows.h>

#include <bit>
#include <thread>

#include "count/parallel_file_counter.h"

namespace lw {

unsigned defaultWorkerCount() {
    // A process started with an affinity narrower than the system's (start /affinity) runs on
    // those processors only; any other may run on every active processor of every group.
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) != FALSE && process != 0 &&
        process != system) {
        return static_cast<unsigned>(std::popcount(process));
    }
    if (const DWORD active = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS); active > 0) {
        return static_cast<unsigned>(active);
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

}  // namespace lw
