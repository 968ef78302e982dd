#include "count/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <cerrno>
#include <climits>
#include <cstring>
#include <system_error>

#include "count/path_text.h"

namespace lw::posix {

namespace {

// Reads with an explicit offset: a FIFO, socket or terminal refuses that (ESPIPE) where a plain
// read would wait for data or take what a writer sent, so a file opened without a check of its
// type still never passes one of those off as a file.
class PosixReadableFile final : public ReadableFile {
  public:
    PosixReadableFile(int fd, bool checked, bool shortReadEnds)
        : fd_(fd), checked_(checked), shortReadEnds_(shortReadEnds) {}
    ~PosixReadableFile() override { ::close(fd_); }
    PosixReadableFile(const PosixReadableFile&) = delete;
    PosixReadableFile& operator=(const PosixReadableFile&) = delete;

    ssize_t read(char* buffer, std::size_t size) override {
        if (ended_) {
            return 0;
        }
        for (;;) {
            const ssize_t got = ::pread(fd_, buffer, size, offset_);
            if (got >= 0) {
                // An unchecked file is checked once it turns out empty or longer than one read:
                // what a device would give. A file that one read takes whole and the next ends,
                // nearly every source file, costs no check.
                if (!checked_ && ((got == 0 && offset_ == 0) || (got > 0 && offset_ > 0))) {
                    checked_ = true;
                    if (!isRegular()) {
                        return -1;
                    }
                }
                offset_ += got;
                // The read after a short one would only say that the file ends: for nearly
                // every source file, one system call of three.
                ended_ = shortReadEnds_ && static_cast<std::size_t>(got) < size;
                return got;
            }
            if (errno == EINTR) {
                continue;
            }
            error_ = errno;
            // What a FIFO or socket (ESPIPE) or a directory (EISDIR) gives that took the place
            // of the listed file: the open would have refused it.
            refused_ = !checked_ && (errno == ESPIPE || errno == EISDIR);
            return -1;
        }
    }

    std::string readFailure() const override {
        if (refused_ && (error_ == 0 || error_ == ESPIPE)) {
            return kNotARegularFile;
        }
        return errorText(error_);
    }
    bool refusedAsOpen() const override { return refused_; }

  private:
    bool isRegular() {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) {
            error_ = errno;
            return false;
        }
        if (S_ISREG(info.st_mode)) {
            return true;
        }
        refused_ = true;
        error_ = S_ISDIR(info.st_mode) ? EISDIR : 0;
        return false;
    }

    int fd_;
    bool checked_;
    const bool shortReadEnds_;
    bool ended_ = false;
    bool refused_ = false;
    off_t offset_ = 0;
    int error_ = 0;
};

}  // namespace

std::string errorText(int error) {
    return std::system_category().message(error);
}

// The kernel refuses a path of PATH_MAX bytes or more, so a longer one is opened a stretch of
// whole components at a time, each relative to the directory that the stretch before it opened:
// only the depth of the tree bounds it, as it bounds a path relative to a deep working directory.
int openAnyLength(int dirFd, const std::string& path, int flags) {
    if (path.size() < PATH_MAX) {
        return ::openat(dirFd, path.c_str(), flags);
    }
    int base = dirFd;
    std::size_t pos = 0;
    int fd = -1;
    for (;;) {
        if (path.size() - pos < PATH_MAX) {
            fd = ::openat(base, pos < path.size() ? path.c_str() + pos : ".", flags);
            break;
        }
        const std::size_t cut = path.rfind(kSeparator, pos + PATH_MAX - 2);
        if (cut == std::string::npos || cut < pos) {
            errno = ENAMETOOLONG;  // one component longer than the system takes
            break;
        }
        const int next = ::openat(base, path.substr(pos, cut + 1 - pos).c_str(), kDirectoryHandle);
        const int error = errno;
        if (base != dirFd) {
            ::close(base);
        }
        errno = error;
        if (next < 0) {
            return -1;
        }
        base = next;
        pos = cut + 1;
        // A doubled separator names the same directory; the next stretch must not start at "/".
        while (pos < path.size() && path[pos] == kSeparator) {
            ++pos;
        }
    }
    const int error = errno;
    if (base != dirFd) {
        ::close(base);
    }
    errno = error;
    return fd;
}

OpenResult openRegularFile(int dirFd, const std::string& path, int& error) {
    // O_NONBLOCK so that opening a FIFO without a writer returns at once; fstat then turns
    // away everything that is not a regular file before a read could block on it.
    const int fd = openAnyLength(dirFd, path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        // What a socket, or a device without its driver, gives: no regular file either.
        return {nullptr, error == ENXIO ? kNotARegularFile : errorText(error)};
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = errno;
        ::close(fd);
        return {nullptr, errorText(error)};
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        error = S_ISDIR(info.st_mode) ? EISDIR : 0;
        return {nullptr, error != 0 ? errorText(error) : kNotARegularFile};
    }
    // O_NONBLOCK stays set: it has no effect on reading a regular file, and clearing it would
    // cost two more system calls per file.
    error = 0;
    return {std::make_unique<PosixReadableFile>(fd, true, false), {}};
}

OpenResult openListedFile(int dirFd, const char* name, int& error, bool shortReadEnds) {
    // O_NOFOLLOW: a link put in the file's place could lead anywhere, to a device too; it is
    // opened as any link is, with the check.
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP) {
            return openRegularFile(dirFd, name, error);
        }
        error = errno;
        return {nullptr, error == ENXIO ? kNotARegularFile : errorText(error)};
    }
    error = 0;
    return {std::make_unique<PosixReadableFile>(fd, false, shortReadEnds), {}};
}

bool shortReadEndsFiles(int dirFd) {
#if defined(__linux__)
    struct statfs info {};
    if (::fstatfs(dirFd, &info) != 0) {
        return false;
    }
    // An overlay reads from the file of the layer below, which is on one of the others here
    // wherever containers run.
    switch (static_cast<unsigned long>(info.f_type)) {
        case EXT4_SUPER_MAGIC:  // also ext2 and ext3
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case OVERLAYFS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
#else
    (void)dirFd;
    return false;
#endif
}

int listDirectory(const std::string& path, ListedNames& listed, int& error) {
    // The directory's own descriptor, read with getdents: no stream around it, so none of the
    // checks that opening one makes, and the descriptor serves the opens within it afterwards.
    const int fd = openAnyLength(AT_FDCWD, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    error = 0;
    alignas(8) thread_local char buffer[32 * 1024];
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            break;
        }
        if (got == 0) {
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
                continue;
            }
            const std::size_t length = std::strlen(name);
            listed.names.push_back({static_cast<std::uint32_t>(listed.text.size()),
                                    static_cast<std::uint32_t>(length), entry->d_type});
            listed.text.append(name, length + 1);
        }
    }
    return fd;
}

bool leadsToDirectory(int dirFd, const char* name, unsigned char type) {
    if (type == DT_DIR) {
        return true;
    }
    if (type != DT_LNK && type != DT_UNKNOWN) {
        return false;
    }
    struct stat info {};
    return ::fstatat(dirFd, name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

bool isRealDirectory(int dirFd, const char* name, unsigned char type) {
    if (type != DT_UNKNOWN) {
        return type == DT_DIR;
    }
    struct stat info {};
    return ::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
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

}  // namespace lw::posix
