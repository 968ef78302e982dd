#pragma once

#include <string>
#include <vector>

#include "cli/messages.h"
#include "cli/output.h"
#include "count/code_page.h"
#include "count/file_system.h"

namespace lw::cli {

// One count over the DIRs, with the engine's run and walk, on any file system: the disk, or a
// tree of a git revision.
struct CountRequest {
    std::vector<std::string> directories;  // as given: trailing separators are removed here
    std::string extensions;
    bool recurse = false;
    unsigned jobs = 1;
    // Put in front of every message of the run, to tell which tree it concerns ("at main: ").
    std::string messagePrefix;
    // Directories that cannot be searched are passed over in silence, as empty ones: in a tree
    // of an earlier revision, a DIR it lacks was only made since.
    bool quietSearchFailures = false;
};

struct CountOutcome {
    RunResult result;
    bool rejected = false;      // an opening check of the run refused it (a usage error)
    bool searchFailed = false;  // a directory could not be searched
};

CountOutcome countDirectories(const CountRequest& request, FileSystem& fileSystem,
                              Messages& messages, const CodePage& codePage = CodePage::system());

}  // namespace lw::cli
