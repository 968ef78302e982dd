#pragma once

#include <functional>
#include <string>

#include "count/file_system.h"

namespace lw {

inline constexpr char kFindNextFileMessage[] = "Error: Failed to FindNextFile";

// Appends the full path of every subdirectory of `directory`, depth first in pre-order, siblings
// in byte order of their names. For each directory whose own search fails, `message` is called
// once with kFindNextFileMessage (after that directory's entry was appended), and the walk goes
// on with the next sibling.
void walkSubdirectories(FileSystem& fileSystem, const std::string& directory,
                        const std::function<void(const std::string&)>& append,
                        const std::function<void(const std::string&)>& message);

}  // namespace lw
