#include "count/file_system.h"

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

}  // namespace lw
