#include "count/subdirectory_walk.h"

namespace lw {

void walkSubdirectories(FileSystem& fileSystem, const std::string& directory,
                        const std::function<void(const std::string&)>& append,
                        const std::function<void(const std::string&)>& message) {
    const std::optional<std::vector<std::string>> children = fileSystem.subdirectories(directory);
    if (!children) {
        message(kFindNextFileMessage);
        return;
    }
    // Depth is bounded: every level adds at least two bytes to a path that must stay within
    // PATH_MAX, and links to directories are never entered.
    for (const std::string& child : *children) {
        append(child);
        walkSubdirectories(fileSystem, child, append, message);
    }
}

}  // namespace lw
