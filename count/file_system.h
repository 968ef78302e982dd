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

// The file-system operations of a count run and of the subdirectory walk. Paths use '/'.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The directory is the search path up to its last '/', the pattern its last component
    // (fnmatch without flags). Yields the full path of every match that is not a directory
    // (after following symbolic links), in byte order of the names. A missing or unreadable
    // directory yields nothing.
    virtual std::vector<std::string> enumerate(const std::string& searchPath) = 0;

    // Opens a regular file (after following symbolic links) for reading, without blocking;
    // nullptr for anything else: missing, dangling, unreadable, a directory, FIFO, socket, device.
    virtual std::unique_ptr<ReadableFile> openForReading(const std::string& fullPath) = 0;

    // The full paths of the subdirectories of `directory` (the empty text is the root), in byte
    // order of their names; "." and "..", non-directories and symbolic links are left out.
    // nullopt when the directory cannot be searched (missing, unreadable, path too long).
    virtual std::optional<std::vector<std::string>> subdirectories(
        const std::string& directory) = 0;

    // `path` made absolute lexically against the working directory: no symbolic links resolved,
    // no "." components, no doubled or trailing '/' (the root stays "/").
    virtual std::string absolutePath(const std::string& path) = 0;
};

// The file system of the system the program was built for (one instance for the process).
FileSystem& systemFileSystem();

// The POSIX file system for a run that searches each directory with several patterns one after
// another: the directory is read once, at its first search, and each following search of the
// same directory matches its pattern against that listing. What changes in the directory between
// those searches goes unseen. The directories listed last stay open, a descriptor each, and their
// matches are opened by name within them; they are let go whenever descriptors run out. Its
// enumerate() must be called from one thread at a time; the other operations are as safe to
// share as systemFileSystem()'s.
std::unique_ptr<FileSystem> makeListingFileSystem();

}  // namespace lw
