#include <thread>

#include "count/parallel_file_counter.h"

#ifdef __linux__
#include <sched.h>
#endif

namespace lw {

unsigned defaultWorkerCount() {
#ifdef __linux__
    // The processors this process may run on, which a container or taskset can make fewer than
    // the machine has.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int cores = CPU_COUNT(&set);
        if (cores > 0) {
            return static_cast<unsigned>(cores);
        }
    }
#endif
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

}  // namespace lw
