#include "count/file_system.h"

#include <algorithm>

#include "count/path_text.h"

namespace lw {

std::vector<SearchResult> FileSystem::enumerateEach(const std::string& entry,
                                                    const std::vector<std::string>& patterns) {
    std::vector<SearchResult> results;
    results.reserve(patterns.size());
    for (const std::string& pattern : patterns) {
        results.push_back(enumerate(searchPathOf(entry, pattern)));
    }
    return results;
}

std::size_t directoriesKeptOpen(std::size_t budget) {
    // Held back for the workers' files and what the libraries open.
    constexpr std::size_t kHeldBack = 96;
    return std::max(std::min<std::size_t>(32, budget / 4),
                    budget / 2 > kHeldBack ? budget / 2 - kHeldBack : 0);
}

}  // namespace lw
