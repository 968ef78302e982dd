#include "count/subdirectory_walk.h"

#include <algorithm>

#include "count/code_page.h"
#include "count/path_text.h"

namespace lw {

namespace {

// Enough to show where a walk went wrong; a failing tree of thousands stays one readable box.
constexpr std::size_t kFailuresShown = 20;

void walk(FileSystem& fileSystem, const std::string& directory,
          const std::function<void(const std::string&)>& append,
          std::vector<SearchFailure>& failures) {
    SearchResult children = fileSystem.subdirectories(directory);
    if (children.failure) {
        failures.push_back({directory, std::move(*children.failure)});
    }
    // Depth is bounded: every level adds at least two bytes to a path that must stay within
    // PATH_MAX, and links to directories are never entered.
    for (const std::string& child : children.paths) {
        append(child);
        walk(fileSystem, child, append, failures);
    }
}

}  // namespace

std::vector<SearchFailure> walkSubdirectories(
    FileSystem& fileSystem, const std::string& directory,
    const std::function<void(const std::string&)>& append) {
    std::vector<SearchFailure> failures;
    walk(fileSystem, directory, append, failures);
    return failures;
}

std::string searchFailureReport(const std::vector<SearchFailure>& failures) {
    std::string text = kFindNextFileMessage;
    text += "\n\n";
    const std::size_t shown = std::min(failures.size(), kFailuresShown);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) {
            text += '\n';
        }
        // The empty entry stands for the root, which an empty line would hide.
        text += failures[i].directory.empty() ? std::string(1, kSeparator) : failures[i].directory;
        text += ": ";
        text += failures[i].reason;
    }
    if (failures.size() > shown) {
        text += '\n';
        text += kEllipsis;
        text += " and " + std::to_string(failures.size() - shown) + " more";
    }
    return text;
}

}  // namespace lw
