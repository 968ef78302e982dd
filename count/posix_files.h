#pragma once

#include <fcntl.h>
#include <sys/types.h>

#include <cstdint>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "count/file_system.h"

namespace lw::posix {

// A handle on a directory to walk through or open relative to, never to read from: O_PATH where
// the system has it, so that a directory one may search but not list still opens.
#if defined(O_PATH)
inline constexpr int kDirectoryHandle = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
inline constexpr int kDirectoryHandle = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// The system's text for an error number.
std::string errorText(int error);

// Opens `path` relative to `dirFd` (or the working directory for AT_FDCWD), however long it is.
int openAnyLength(int dirFd, const std::string& path, int flags);

// `path` relative to the directory `dirFd`, or to the working directory for AT_FDCWD, if it is a
// regular file once links are followed. `error` is the error number of a failure (0 for a file
// that opened but is not a regular one).
OpenResult openRegularFile(int dirFd, const std::string& path, int& error);

// A file that a listing of the directory `dirFd` showed as a regular file, by its name there.
// The open neither follows a link nor blocks, and is not checked: the reads tell a file that is
// no regular one any more from one that is (ReadableFile::refusedAsOpen), so that a FIFO or a
// directory swapped in since the listing still fails as its open would have.
// With `shortReadEnds` (what shortReadEndsFiles says of the directory), a read that gives fewer
// bytes than asked for ends the file, and the read that would say so is not made.
OpenResult openListedFile(int dirFd, const char* name, int& error, bool shortReadEnds);

// Whether a read of a regular file in the directory `dirFd` that gives fewer bytes than asked for
// has reached the end of the file: true of the local file systems that read through the page
// cache, which fill every read up to the end. Elsewhere (network, user-space and virtual file
// systems) a short read may be all that the server or the driver gave at once.
bool shortReadEndsFiles(int dirFd);

// The entries of a directory as its listing shows them, the names in one piece of memory, each
// ending in NUL: a directory's names are then a few allocations however many they are.
struct ListedNames {
    struct Name {
        std::uint32_t offset;  // in `text`
        std::uint32_t length;
        unsigned char type;  // d_type: DT_REG, DT_DIR, DT_LNK, DT_UNKNOWN ...
    };
    std::string text;
    std::vector<Name> names;

    const char* nameOf(const Name& name) const { return text.data() + name.offset; }
    std::string_view view(const Name& name) const { return {nameOf(name), name.length}; }
    void clear() {
        text.clear();
        names.clear();
    }
};

// Opens the directory and reads all its entries but "." and "..", unsorted, after those already
// in `listed`. Returns the open descriptor (O_RDONLY | O_DIRECTORY, close-on-exec), or -1 with
// `error` set when it did not open; a read error after some entries leaves the descriptor open,
// `error` set and the entries read so far.
int listDirectory(const std::string& path, ListedNames& listed, int& error);

// Whether an entry is a directory once symbolic links are followed; the type spares the stat for
// most entries. A dangling link is not a directory.
bool leadsToDirectory(int dirFd, const char* name, unsigned char type);

// Whether an entry is itself a directory, symbolic links not followed.
bool isRealDirectory(int dirFd, const char* name, unsigned char type);

std::string workingDirectory();

}  // namespace lw::posix
