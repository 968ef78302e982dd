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
    // Why the last read returned -1, in the system's words.
    virtual std::string readFailure() const { return "the read failed"; }
    // Whether the failed read found what the open of a file turns away (a FIFO, a directory):
    // the failure is then the open's, with readFailure() as its reason.
    virtual bool refusedAsOpen() const { return false; }
};

// An open file, or why there is none.
struct OpenResult {
    std::unique_ptr<ReadableFile> file;  // null when the open failed
    std::string failure;                 // the reason, in the system's words, when it failed
};

// What one search of a directory found, in order. A directory that cannot be read to its end
// has a failure, and keeps what was found before it.
struct SearchResult {
    std::vector<std::string> paths;
    std::optional<std::string> failure;  // the reason, in the system's words
};

// The file-system operations of a count run and of the subdirectory walk. Paths use kSeparator
// (count/path_text.h). Reasons for failures are the system's own texts (or "not a regular file"),
// ready to show. The POSIX file system (file_system_posix.cpp) and the Windows one
// (file_system_win32.cpp) differ where said.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // The directory is the search path up to its last separator, the pattern its last
    // component. Finds the full path of every match that is not a directory (after following
    // symbolic links). A missing or unreadable directory finds nothing, with the reason as its
    // failure.
    // POSIX: fnmatch without flags; in byte order of the names.
    // Windows: the system's wildcards (case-insensitive) and the system's order.
    virtual SearchResult enumerate(const std::string& searchPath) = 0;

    // The searches of a directory entry of the list with each of the patterns, in their order:
    // for each pattern, what enumerate() finds for searchPathOf(entry, pattern). A file system
    // that lists a directory once may match all the patterns against one listing.
    virtual std::vector<SearchResult> enumerateEach(const std::string& entry,
                                                    const std::vector<std::string>& patterns);

    // Opens a file for reading, without blocking; fails for anything else: missing,
    // unreadable, a directory.
    // POSIX: a regular file after following symbolic links; not a FIFO, socket or device.
    // Windows: a disk file, shared for reading, writing and deleting; not a device such as the
    // one a name like "CON.c" opens.
    virtual OpenResult openForReading(const std::string& fullPath) = 0;

    // The full paths of the subdirectories of `directory` (the empty text is the root); "." and
    // "..", non-directories and links to directories are left out. Fails when the directory
    // cannot be searched (missing, unreadable, path too long), keeping the subdirectories found
    // before the failure.
    // POSIX: in byte order of the names. Windows: in the system's order.
    virtual SearchResult subdirectories(const std::string& directory) = 0;

    // `path` made absolute against the working directory, without resolving links.
    // POSIX: lexically: no "." components, no doubled or trailing '/' (the root stays "/").
    // Windows: as GetFullPathNameA makes it.
    virtual std::string absolutePath(const std::string& path) = 0;

    // Whether enumerate() and subdirectories() may be called from several threads at once, so
    // that a run can search ahead on its workers.
    virtual bool searchesInParallel() const { return false; }

    // How many names the directories listed so far hold, where the file system keeps them:
    // about the most rows a run over those directories gives. Zero where it keeps none.
    virtual std::size_t namesListed() const { return 0; }
};

// The reason for a file that is no regular file (a FIFO, socket or device), which the system
// has no text for.
inline constexpr char kNotARegularFile[] = "not a regular file";

// The file system of the system the program was built for (one instance for the process).
FileSystem& systemFileSystem();

// How many more files and directories the process can have open at once before the system
// refuses more; a large number where no limit is near (always on Windows, whose handles have no
// per-process limit of that kind).
std::size_t openFileBudget();

// How many listed directories a run keeps open (makeListingFileSystem's keepOpen) when the
// process may open `budget` more files: the walk lists every directory before the count opens a
// file, so a directory let go is opened once more for its files. Where the limit allows, up to
// about half of it, every directory of most trees; under a low limit, a few dozen.
std::size_t directoriesKeptOpen(std::size_t budget);

// The file system for a run that searches each directory with several patterns one after
// another.
// POSIX: the directory is read once, at its first search, and each following search of the
// same directory matches its pattern against that listing. What changes in the directory between
// those searches goes unseen. Up to `keepOpen` of the directories listed last stay open, a
// descriptor each, and their matches are opened by name within them; they are let go whenever
// descriptors run out. Besides those it holds at most two descriptors at a time, while it lists
// a directory. Its enumerate() must be called from one thread at a time; the other operations
// are as safe to share as systemFileSystem()'s.
// Windows: a file system like systemFileSystem(), every search the system's own: its wildcards
// also match the short (8.3) names, which a listing of long names cannot reproduce.
std::unique_ptr<FileSystem> makeListingFileSystem(std::size_t keepOpen = 32);

}  // namespace lw
