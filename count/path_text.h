#pragma once

#include <string>
#include <string_view>

#include "count/code_page.h"

namespace lw {

// The platform's path separator, the only thing about paths that differs between the systems
// in this file; every path the engine builds or cuts uses it.
#if defined(_WIN32)
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// Cuts the text at the start of its trailing run of separator characters, stepping by whole
// characters of the code page (a double-byte character whose trail byte is the separator stays).
std::string RemoveTrailingSeparators(std::string text,
                                     const CodePage& codePage = CodePage::system(),
                                     char separator = kSeparator);

// `path` made absolute against `workingDirectory` without touching the file system: "."
// components and doubled or trailing separators go, ".." stays, the root is "/".
std::string lexicallyAbsolute(std::string_view path, std::string_view workingDirectory);

// The path that searches a directory entry of the list for one pattern.
std::string searchPathOf(std::string_view entry, std::string_view pattern);

// The directory a search path names: everything before its last separator; "/" when that is
// empty (the empty directory entry searches the root), "." when there is no separator at all.
std::string searchDirectory(std::string_view searchPath);

// `directory` and `name` with exactly one separator between them ("/" + name for the root).
std::string joinPath(std::string_view directory, std::string_view name);

// Whether column 0 of a row holds a full path rather than one below the base path: it begins with
// the separator (on Windows also a drive letter and a colon, as the system's full paths do).
bool isFullPath(std::string_view path);

// Column 0 of a row: the full path without the base path (entry 0 made absolute, plus "/") when
// it begins with it, otherwise the full path whole.
std::string relativePath(const std::string& fullPath, const std::string& basePath);

}  // namespace lw
