#include <sched.h>
#include <unistd.h>

#include <memory>
#include <thread>

#include "cli/system.h"
#include "count/listing_file_system.h"

namespace lw::cli {

void prepareStandardStreams() {}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

unsigned defaultJobs() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int cores = CPU_COUNT(&set);
        if (cores > 0) {
            return static_cast<unsigned>(cores);
        }
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

FileSystem& runFileSystem() {
    static const std::unique_ptr<FileSystem> listing = makeListingFileSystem();
    return *listing;
}

std::string toUtf8(std::string_view systemText) {
    return std::string(systemText);
}

}  // namespace lw::cli
