#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "count/file_system.h"
#include "count/file_system_posix.h"
#include "count/name_pattern.h"
#include "count/path_text.h"
#include "count/posix_files.h"

namespace lw {

namespace {

std::vector<std::string> joinedInByteOrder(const std::string& directory,
                                           std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        name = joinPath(directory, name);
    }
    return names;
}

}  // namespace

std::string patternOf(const std::string& searchPath) {
    const std::size_t last = searchPath.rfind(kSeparator);
    return last == std::string::npos ? searchPath : searchPath.substr(last + 1);
}

SearchResult PosixFileSystem::enumerate(const std::string& searchPath) {
    const std::string directory = searchDirectory(searchPath);
    const NamePattern pattern(patternOf(searchPath));

    SearchResult result;
    posix::ListedNames listed;
    int error = 0;
    const int fd = posix::listDirectory(directory, listed, error);
    if (fd < 0) {
        result.failure = posix::errorText(error);
        return result;
    }
    std::vector<std::string> names;
    for (const posix::ListedNames::Name& entry : listed.names) {
        // A directory is no file to count; leaving it out also spares a message box for every
        // subdirectory that a broad pattern such as "*" matches.
        if (pattern.matches(listed.nameOf(entry), entry.length) &&
            !posix::leadsToDirectory(fd, listed.nameOf(entry), entry.type)) {
            names.emplace_back(listed.view(entry));
        }
    }
    ::close(fd);
    if (error != 0) {
        result.failure = posix::errorText(error);
    }
    result.paths = joinedInByteOrder(absolutePath(directory), std::move(names));
    return result;
}

OpenResult PosixFileSystem::openForReading(const std::string& fullPath) {
    int error = 0;
    return posix::openRegularFile(AT_FDCWD, fullPath, error);
}

SearchResult PosixFileSystem::subdirectories(const std::string& directory) {
    const std::string searched = directory.empty() ? std::string(1, kSeparator) : directory;
    const std::string absolute = absolutePath(searched);
    SearchResult result;
    // The walk goes no deeper than a path the system can take whole: that bounds its depth.
    if (absolute.size() >= PATH_MAX) {
        result.failure = posix::errorText(ENAMETOOLONG);
        return result;
    }
    posix::ListedNames listed;
    int error = 0;
    const int fd = posix::listDirectory(searched, listed, error);
    if (fd < 0) {
        result.failure = posix::errorText(error);
        return result;
    }
    std::vector<std::string> names;
    for (const posix::ListedNames::Name& entry : listed.names) {
        // Links to directories are not entered, so a cycle of links cannot make a walk endless.
        if (posix::isRealDirectory(fd, listed.nameOf(entry), entry.type)) {
            names.emplace_back(listed.view(entry));
        }
    }
    ::close(fd);
    // What was found before a read error is kept: the walk lists it and goes on below it.
    if (error != 0) {
        result.failure = posix::errorText(error);
    }
    result.paths = joinedInByteOrder(absolute, std::move(names));
    return result;
}

std::string PosixFileSystem::absolutePath(const std::string& path) {
    if (!path.empty() && path.front() == kSeparator) {
        return lexicallyAbsolute(path, {});
    }
    return lexicallyAbsolute(path, posix::workingDirectory());
}

FileSystem& systemFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

namespace {

// The descriptors open now, from the system's list of them: a few calls where probing every
// number up to the limit costs thousands. False where there is no such list.
bool listOpenDescriptors(std::size_t& open) {
    DIR* const dir = ::opendir("/proc/self/fd");
    if (dir == nullptr) {
        return false;
    }
    std::size_t listed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') {
            ++listed;
        }
    }
    ::closedir(dir);
    // The list names the descriptor that read it, which is closed again.
    open = listed > 0 ? listed - 1 : 0;
    return true;
}

}  // namespace

std::size_t openFileBudget() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return static_cast<std::size_t>(-1);
    }
    const auto limitValue = static_cast<std::size_t>(limit.rlim_cur);
    std::size_t open = 0;
    if (!listOpenDescriptors(open)) {
        // Counted up to a bound that keeps this cheap; one inherited above it is rare, and the
        // limit is then far from any run's needs anyway.
        const std::size_t probed = std::min<std::size_t>(limitValue, 4096);
        for (std::size_t fd = 0; fd < probed; ++fd) {
            if (::fcntl(static_cast<int>(fd), F_GETFD) != -1) {
                ++open;
            }
        }
    }
    return open < limitValue ? limitValue - open : 0;
}

}  // namespace lw
