#pragma once

#include <sys/types.h>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lw {

// An open file, read front to back.
class ReadableFile {
  public:
    virtual ~ReadableFile() = default;
    // Reads up to `size` bytes; returns the count, 0 at the end of the file, -1 on a read error.
    virtual ssize_t read(char* buffer, std::size_t size) = 0;
};

// The file-system operations of a count run and of the subdirectory walk. Paths use kSeparator
// (count/path_text.h). The POSIX file system (file_system_posix.cpp) and the Windows one
// (file_system_win32.cpp) differ where said.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The directory is the search path up to its last separator, the pattern its last
    // component. Yields the full path of every match that is not a directory (after following
    // symbolic links). A missing or unreadable directory yields nothing.
    // POSIX: fnmatch without flags; in byte order of the names.
    // Windows: the system's wildcards (case-insensitive) and the system's order.
    virtual std::vector<std::string> enumerate(const std::string& searchPath) = 0;

    // Opens a file for reading, without blocking; nullptr for anything else: missing,
    // unreadable, a directory.
    // POSIX: a regular file after following symbolic links; not a FIFO, socket or device.
    // Windows: a disk file, shared for reading, writing and deleting; not a device such as the
    // one a name like "CON.c" opens.
    virtual std::unique_ptr<ReadableFile> openForReading(const std::string& fullPath) = 0;

    // The full paths of the subdirectories of `directory` (the empty text is the root); "." and
    // "..", non-directories and links to directories are left out. nullopt when the directory
    // cannot be searched (missing, unreadable, path too long).
    // POSIX: in byte order of the names. Windows: in the system's order.
    virtual std::optional<std::vector<std::string>> subdirectories(
        const std::string& directory) = 0;

    // `path` made absolute against the working directory, without resolving links.
    // POSIX: lexically: no "." components, no doubled or trailing '/' (the root stays "/").
    // Windows: as GetFullPathNameA makes it.
    virtual std::string absolutePath(const std::string& path) = 0;
};

// The file system of the system the program was built for (one instance for the process).
FileSystem& systemFileSystem();

}  // namespace lw
