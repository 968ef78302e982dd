#pragma once

#include <functional>
#include <string>
#include <vector>

#include "count/file_system.h"

namespace lw {

inline constexpr char kFindNextFileMessage[] = "Error: Failed to FindNextFile";

// A directory whose search failed, and why, in the system's words.
struct SearchFailure {
    std::string directory;
    std::string reason;

    bool operator==(const SearchFailure&) const = default;
};

// Appends the full path of every subdirectory of `directory`, depth first in pre-order, siblings
// in byte order of their names. A directory whose search fails keeps the subdirectories found
// before the failure, which are appended and walked like any others, and the walk goes on with
// the next sibling. Returns the directories whose search failed, in the order met, for the
// caller to report once at the end rather than once for each.
std::vector<SearchFailure> walkSubdirectories(
    FileSystem& fileSystem, const std::string& directory,
    const std::function<void(const std::string&)>& append);

// The one message for the failures of a walk: kFindNextFileMessage, two line feeds, then a line
// "DIRECTORY: reason" for each of the first 20 failures and "… and N more" for the rest.
std::string searchFailureReport(const std::vector<SearchFailure>& failures);

}  // namespace lw
