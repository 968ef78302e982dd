#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "count/file_system.h"
#include "count/path_text.h"

namespace lw {

namespace {

class PosixReadableFile final : public ReadableFile {
  public:
    PosixReadableFile(int fd, std::size_t size) : fd_(fd), size_(size) {}
    ~PosixReadableFile() override { ::close(fd_); }
    PosixReadableFile(const PosixReadableFile&) = delete;
    PosixReadableFile& operator=(const PosixReadableFile&) = delete;

    ssize_t read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0 || errno != EINTR) {
                return got < 0 ? -1 : got;
            }
        }
    }

    std::size_t sizeHint() const override { return size_; }

  private:
    int fd_;
    std::size_t size_;
};

// Closes the directory stream on every way out of a search.
class DirectoryStream {
  public:
    explicit DirectoryStream(const std::string& path) : dir_(::opendir(path.c_str())) {}
    ~DirectoryStream() {
        if (dir_ != nullptr) {
            ::closedir(dir_);
        }
    }
    DirectoryStream(const DirectoryStream&) = delete;
    DirectoryStream& operator=(const DirectoryStream&) = delete;

    bool isOpen() const { return dir_ != nullptr; }
    int fd() const { return ::dirfd(dir_); }

    // The next entry, or nullptr at the end; `failed` tells a read error from the end.
    const dirent* next(bool& failed) {
        errno = 0;
        const dirent* entry = ::readdir(dir_);
        failed = entry == nullptr && errno != 0;
        return entry;
    }

  private:
    DIR* dir_;
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Whether an entry is a directory once symbolic links are followed; d_type spares the stat for
// most entries. A dangling link is not a directory: it stays a match that then fails to open.
bool leadsToDirectory(int dirFd, const dirent& entry) {
    if (entry.d_type == DT_DIR) {
        return true;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat info {};
    return ::fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

// Whether an entry is itself a directory, symbolic links not followed.
bool isRealDirectory(int dirFd, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) {
        return entry.d_type == DT_DIR;
    }
    struct stat info {};
    return ::fstatat(dirFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

std::string workingDirectory() {
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(std::strlen(buffer.c_str()));
            return buffer;
        }
        if (errno != ERANGE) {
            return std::string(1, kSeparator);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::string> joinedInByteOrder(const std::string& directory,
                                           std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        name = joinPath(directory, name);
    }
    return names;
}

class PosixFileSystem final : public FileSystem {
  public:
    std::vector<std::string> enumerate(const std::string& searchPath) override {
        const std::string directory = searchDirectory(searchPath);
        const std::size_t last = searchPath.rfind(kSeparator);
        const std::string pattern =
            last == std::string::npos ? searchPath : searchPath.substr(last + 1);

        DirectoryStream stream(directory);
        if (!stream.isOpen()) {
            return {};
        }
        std::vector<std::string> names;
        bool failed = false;
        while (const dirent* entry = stream.next(failed)) {
            if (::fnmatch(pattern.c_str(), entry->d_name, 0) != 0) {
                continue;
            }
            // A directory is no file to count; leaving it out also spares a message box for
            // every subdirectory that a broad pattern such as "*" matches.
            if (leadsToDirectory(stream.fd(), *entry)) {
                continue;
            }
            names.emplace_back(entry->d_name);
        }
        return joinedInByteOrder(absolutePath(directory), std::move(names));
    }

    std::unique_ptr<ReadableFile> openForReading(const std::string& fullPath) override {
        // O_NONBLOCK so that opening a FIFO without a writer returns at once; fstat then turns
        // away everything that is not a regular file before a read could block on it.
        const int fd = ::open(fullPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            return nullptr;
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        // O_NONBLOCK stays set: it has no effect on reading a regular file, and clearing it would
        // cost two more system calls per file.
        return std::make_unique<PosixReadableFile>(fd, static_cast<std::size_t>(info.st_size));
    }

    std::optional<std::vector<std::string>> subdirectories(const std::string& directory) override {
        const std::string searched = directory.empty() ? std::string(1, kSeparator) : directory;
        const std::string absolute = absolutePath(searched);
        if (absolute.size() >= PATH_MAX) {
            return std::nullopt;
        }
        DirectoryStream stream(searched);
        if (!stream.isOpen()) {
            return std::nullopt;
        }
        std::vector<std::string> names;
        bool failed = false;
        while (const dirent* entry = stream.next(failed)) {
            // Links to directories are not entered, so a cycle of links cannot make a walk endless.
            if (!isDotOrDotDot(entry->d_name) && isRealDirectory(stream.fd(), *entry)) {
                names.emplace_back(entry->d_name);
            }
        }
        if (failed) {
            return std::nullopt;
        }
        return joinedInByteOrder(absolute, std::move(names));
    }

    std::string absolutePath(const std::string& path) override {
        if (!path.empty() && path.front() == kSeparator) {
            return lexicallyAbsolute(path, {});
        }
        return lexicallyAbsolute(path, workingDirectory());
    }
};

}  // namespace

FileSystem& posixFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

}  // namespace lw
