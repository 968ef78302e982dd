#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string_view>

#include "count/listing_file_system.h"
#include "count/name_pattern.h"
#include "count/path_text.h"

namespace lw {

namespace {

class PosixReadableFile final : public ReadableFile {
  public:
    explicit PosixReadableFile(int fd) : fd_(fd) {}
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

  private:
    int fd_;
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

// Whether an entry is itself a directory, symbolic links not followed.
bool isRealDirectory(int dirFd, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) {
        return entry.d_type == DT_DIR;
    }
    struct stat info {};
    return ::fstatat(dirFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

// `path` relative to the directory `dirFd`, or to the working directory for AT_FDCWD.
std::unique_ptr<ReadableFile> openRegularFile(int dirFd, const char* path) {
    // O_NONBLOCK so that opening a FIFO without a writer returns at once; fstat then turns
    // away everything that is not a regular file before a read could block on it.
    const int fd = ::openat(dirFd, path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
    return std::make_unique<PosixReadableFile>(fd);
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

std::string patternOf(const std::string& searchPath) {
    const std::size_t last = searchPath.rfind(kSeparator);
    return last == std::string::npos ? searchPath : searchPath.substr(last + 1);
}

class PosixFileSystem : public FileSystem {
  public:
    std::vector<std::string> enumerate(const std::string& searchPath) override {
        const std::string directory = searchDirectory(searchPath);
        const NamePattern pattern(patternOf(searchPath));

        DirectoryStream stream(directory);
        if (!stream.isOpen()) {
            return {};
        }
        std::vector<std::string> names;
        bool failed = false;
        while (const dirent* entry = stream.next(failed)) {
            if (!pattern.matches(entry->d_name)) {
                continue;
            }
            // A directory is no file to count; leaving it out also spares a message box for
            // every subdirectory that a broad pattern such as "*" matches.
            if (leadsToDirectory(stream.fd(), entry->d_name, entry->d_type)) {
                continue;
            }
            names.emplace_back(entry->d_name);
        }
        return joinedInByteOrder(absolutePath(directory), std::move(names));
    }

    std::unique_ptr<ReadableFile> openForReading(const std::string& fullPath) override {
        return openRegularFile(AT_FDCWD, fullPath.c_str());
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

bool outOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE;
}

// Keeps the listing of the directory searched last, sorted by name. The directories listed last
// also stay open, so that their matches are opened by name within them: the kernel then looks up
// one name for each file instead of every component of its full path.
class ListingPosixFileSystem final : public PosixFileSystem {
  public:
    ListingPosixFileSystem() : keep_(directoriesToKeep()) {}
    ListingPosixFileSystem(const ListingPosixFileSystem&) = delete;
    ListingPosixFileSystem& operator=(const ListingPosixFileSystem&) = delete;
    ~ListingPosixFileSystem() override { closeOpenDirectories(); }

    std::vector<std::string> enumerate(const std::string& searchPath) override {
        const std::string directory = searchDirectory(searchPath);
        if (!listed_ || directory != listedDirectory_) {
            list(directory);
        }
        std::vector<std::string> matches;
        const NamePattern pattern(patternOf(searchPath));
        for (Entry& entry : entries_) {
            if (!pattern.matches(entry.name.c_str())) {
                continue;
            }
            if (entry.leadsToDirectory == Answer::Unknown) {
                // Asked once per entry, and only of entries that some pattern matches.
                entry.leadsToDirectory = linkLeadsToDirectory(entry) ? Answer::Yes : Answer::No;
            }
            if (entry.leadsToDirectory == Answer::No) {
                matches.push_back(prefix_ + entry.name);
            }
        }
        return matches;
    }

    std::unique_ptr<ReadableFile> openForReading(const std::string& fullPath) override {
        const std::size_t slash = fullPath.rfind(kSeparator);
        // A path too long to open whole is refused as the plain file system refuses it, whether
        // or not its directory happens to be open still.
        if (slash != std::string::npos && fullPath.size() < PATH_MAX) {
            const std::shared_lock lock(openLock_);
            if (const int directory =
                    openDirectory(std::string_view(fullPath).substr(0, slash + 1));
                directory >= 0) {
                errno = 0;
                std::unique_ptr<ReadableFile> file =
                    openRegularFile(directory, fullPath.c_str() + slash + 1);
                if (file || !outOfDescriptors(errno)) {
                    return file;
                }
            }
        }
        errno = 0;
        std::unique_ptr<ReadableFile> file = PosixFileSystem::openForReading(fullPath);
        if (!file && outOfDescriptors(errno)) {
            closeOpenDirectories();
            file = PosixFileSystem::openForReading(fullPath);
        }
        return file;
    }

  private:
    // Enough for the directories whose matches a run works on ahead; each costs a descriptor.
    static constexpr std::size_t kOpenDirectories = 32;

    // At most a quarter of the descriptors the process may have, so that under a low limit the
    // files being counted still find theirs.
    static std::size_t directoriesToKeep() {
        rlimit limit{};
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
            return kOpenDirectories;
        }
        return std::min<std::size_t>(kOpenDirectories,
                                     static_cast<std::size_t>(limit.rlim_cur / 4));
    }

    enum class Answer : unsigned char { Unknown, Yes, No };
    struct Entry {
        std::string name;
        unsigned char type;
        Answer leadsToDirectory;
    };

    void list(const std::string& directory) {
        listed_ = true;
        listedDirectory_ = directory;
        entries_.clear();
        std::optional<DirectoryStream> opened;
        opened.emplace(directory);
        if (!opened->isOpen() && outOfDescriptors(errno)) {
            closeOpenDirectories();
            opened.emplace(directory);
        }
        DirectoryStream& stream = *opened;
        if (!stream.isOpen()) {
            return;
        }
        bool failed = false;
        while (const dirent* entry = stream.next(failed)) {
            entries_.push_back({entry->d_name, entry->d_type,
                                entry->d_type == DT_DIR ? Answer::Yes
                                : entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN
                                    ? Answer::Unknown
                                    : Answer::No});
        }
        std::sort(entries_.begin(), entries_.end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
        prefix_ = joinPath(absolutePath(directory), "");
        // The stream's own descriptor goes with it; a duplicate outlives it for the checks of
        // links and the opens. Without one, both go by full paths.
        if (keep_ == 0) {
            return;
        }
        int fd = ::fcntl(stream.fd(), F_DUPFD_CLOEXEC, 0);
        if (fd < 0 && outOfDescriptors(errno)) {
            closeOpenDirectories();
            fd = ::fcntl(stream.fd(), F_DUPFD_CLOEXEC, 0);
        }
        if (fd < 0) {
            return;
        }
        const std::unique_lock lock(openLock_);
        open_.emplace_back(prefix_, fd);
        if (open_.size() > keep_) {
            ::close(open_.front().second);
            open_.pop_front();
        }
    }

    bool linkLeadsToDirectory(const Entry& entry) {
        const std::shared_lock lock(openLock_);
        // The directory listed last is the newest one kept open, unless they were all let go.
        if (!open_.empty() && open_.back().first == prefix_) {
            return leadsToDirectory(open_.back().second, entry.name.c_str(), entry.type);
        }
        return leadsToDirectory(AT_FDCWD, (prefix_ + entry.name).c_str(), entry.type);
    }

    // The descriptor of an open directory, or -1; called with openLock_ held.
    int openDirectory(std::string_view prefix) const {
        // The oldest first: a run opens the matches of the directories in the order it listed
        // them, a few directories behind the listing.
        for (const auto& [path, fd] : open_) {
            if (path == prefix) {
                return fd;
            }
        }
        return -1;
    }

    // When descriptors run out, the directories kept open are let go, so that a second try may
    // succeed: keeping them must never cost a directory its search or a file its count. Their
    // descriptors are closed once no thread is opening a file within them.
    void closeOpenDirectories() {
        const std::unique_lock lock(openLock_);
        for (const auto& [path, fd] : open_) {
            ::close(fd);
        }
        open_.clear();
    }

    const std::size_t keep_;
    bool listed_ = false;
    std::string listedDirectory_;
    std::string prefix_;  // the absolute directory with a separator behind it
    std::vector<Entry> entries_;
    // Written by the run's thread as it lists directories, read by the threads that count.
    std::shared_mutex openLock_;
    std::deque<std::pair<std::string, int>> open_;
};

}  // namespace

FileSystem& systemFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

std::unique_ptr<FileSystem> makeListingFileSystem() {
    return std::make_unique<ListingPosixFileSystem>();
}

}  // namespace lw
