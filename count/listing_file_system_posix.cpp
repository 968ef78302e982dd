#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <shared_mutex>  // std::shared_lock
#include <string_view>
#include <unordered_map>

#include "count/file_system.h"
#include "count/file_system_posix.h"
#include "count/name_pattern.h"
#include "count/path_text.h"
#include "count/posix_files.h"
#include "count/spin_shared_mutex.h"

namespace lw {

namespace {

bool outOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE;
}

// How many names a thread's room for reading a directory keeps between listings.
constexpr std::size_t kNamesKept = 4096;

// Lists each directory once for the whole run, however often it is searched or walked, and
// opens the listed files by name within the directory. Up to `keepOpen` directories stay open,
// those listed or opened last; one let go is opened again, once, when a file in it is opened.
class ListingPosixFileSystem final : public PosixFileSystem {
  public:
    explicit ListingPosixFileSystem(std::size_t keepOpen) : keep_(keepOpen) {}
    ListingPosixFileSystem(const ListingPosixFileSystem&) = delete;
    ListingPosixFileSystem& operator=(const ListingPosixFileSystem&) = delete;
    ~ListingPosixFileSystem() override { closeOpenDirectories(); }

    SearchResult enumerate(const std::string& searchPath) override {
        return matches(listingOf(absolutePath(searchDirectory(searchPath))),
                       NamePattern(patternOf(searchPath)));
    }

    // One listing for all the patterns: a pattern without a separator searches the entry's
    // directory itself, the one before the separator that searchPathOf puts after the entry.
    std::vector<SearchResult> enumerateEach(const std::string& entry,
                                            const std::vector<std::string>& patterns) override {
        std::vector<SearchResult> results;
        results.reserve(patterns.size());
        Listing* listing = nullptr;
        for (const std::string& pattern : patterns) {
            if (pattern.find(kSeparator) != std::string::npos) {
                results.push_back(enumerate(searchPathOf(entry, pattern)));
                continue;
            }
            if (listing == nullptr) {
                listing = &listingOf(absolutePath(searchDirectory(searchPathOf(entry, pattern))));
            }
            results.push_back(matches(*listing, NamePattern(pattern)));
        }
        return results;
    }

    SearchResult subdirectories(const std::string& directory) override {
        const std::string absolute =
            absolutePath(directory.empty() ? std::string(1, kSeparator) : directory);
        SearchResult result;
        // The walk goes no deeper than a path the system can take whole: that bounds its depth.
        if (absolute.size() >= PATH_MAX) {
            result.failure = posix::errorText(ENAMETOOLONG);
            return result;
        }
        Listing& listing = listingOf(absolute);
        const std::lock_guard lock(listing.mutex);
        result.failure = listing.failure;
        for (Entry& entry : listing.entries) {
            if (entry.isRealDirectory == Answer::Unknown) {
                entry.isRealDirectory = ask(listing, entry, &posix::isRealDirectory);
            }
            // Links to directories are not entered, so a cycle of links cannot make a walk
            // endless.
            if (entry.isRealDirectory == Answer::Yes) {
                result.paths.push_back(listing.pathOf(entry));
            }
        }
        return result;
    }

    std::size_t namesListed() const override { return namesListed_.load(); }

    OpenResult openForReading(const std::string& fullPath) override {
        const std::size_t slash = fullPath.rfind(kSeparator);
        Listing* listing = nullptr;
        if (slash != std::string::npos) {
            listing = listedDirectory(slash == 0 ? std::string_view(fullPath).substr(0, 1)
                                                 : std::string_view(fullPath).substr(0, slash));
        }
        int error = 0;
        if (listing != nullptr) {
            // Within fullPath, so that it ends where the path does.
            const char* const name = fullPath.c_str() + slash + 1;
            const std::string_view nameText(name, fullPath.size() - slash - 1);
            // The listing is complete and no longer changes but for the answers about links.
            const auto entry = std::lower_bound(
                listing->entries.begin(), listing->entries.end(), nameText,
                [listing](const Entry& e, std::string_view n) { return listing->view(e) < n; });
            const bool listedRegular = entry != listing->entries.end() &&
                                       listing->view(*entry) == nameText && entry->type == DT_REG;
            for (int attempt = 0; attempt < 2; ++attempt) {
                {
                    const std::shared_lock lock(openLock_);
                    if (const int fd = listing->fd.load(); fd >= 0) {
                        OpenResult opened =
                            listedRegular
                                ? posix::openListedFile(fd, name, error,
                                                        shortReadEnds(*listing, fd))
                                : posix::openRegularFile(fd, std::string(nameText), error);
                        if (opened.file || !outOfDescriptors(error)) {
                            return opened;
                        }
                        break;
                    }
                }
                if (!reopen(*listing)) {
                    break;
                }
            }
        }
        OpenResult opened = posix::openRegularFile(AT_FDCWD, fullPath, error);
        if (!opened.file && outOfDescriptors(error)) {
            closeOpenDirectories();
            opened = posix::openRegularFile(AT_FDCWD, fullPath, error);
        }
        return opened;
    }

  private:
    enum class Answer : unsigned char { Unknown, Yes, No };
    // A name of the listing, found in its `names`.
    struct Entry {
        std::size_t offset;
        std::uint32_t length;
        unsigned char type;
        Answer leadsToDirectory;
        Answer isRealDirectory;
    };
    struct Listing {
        std::mutex mutex;  // held while listing, and while asking about links
        std::atomic<bool> listed{false};
        std::string directory;  // absolute, as the map knows it
        std::string prefix;     // the directory with a separator behind it
        // Every name, each ending in NUL, in one piece of memory: a directory's names are then
        // two allocations however many they are, and matching them reads memory in order.
        std::string names;
        std::vector<Entry> entries;  // in byte order of the names
        std::optional<std::string> failure;
        std::atomic<int> fd{-1};  // changed with openLock_ held exclusively
        // Whether a short read ends a file here (Answer), asked at the first open within.
        std::atomic<Answer> shortReadsEnd{Answer::Unknown};

        const char* nameOf(const Entry& entry) const { return names.data() + entry.offset; }
        std::string_view view(const Entry& entry) const { return {nameOf(entry), entry.length}; }
        std::string pathOf(const Entry& entry) const {
            std::string path;
            path.reserve(prefix.size() + entry.length);
            path += prefix;
            path += view(entry);
            return path;
        }
    };

    // The listing of the absolute directory, read at its first use.
    Listing& listingOf(const std::string& absolute) {
        Shard& shard = shardOf(absolute);
        Listing* listing = nullptr;
        {
            const std::lock_guard lock(shard.mutex);
            if (const auto found = shard.listings.find(absolute); found != shard.listings.end()) {
                listing = found->second.get();
            }
        }
        if (listing == nullptr) {
            // Made before the lock is taken, so that no other thread waits while it is.
            auto made = std::make_unique<Listing>();
            made->directory = absolute;
            const std::lock_guard lock(shard.mutex);
            listing = shard.listings.try_emplace(absolute, std::move(made)).first->second.get();
        }
        if (!listing->listed.load(std::memory_order_acquire)) {
            const std::lock_guard lock(listing->mutex);
            if (!listing->listed.load(std::memory_order_relaxed)) {
                list(*listing);
                listing->listed.store(true, std::memory_order_release);
            }
        }
        return *listing;
    }

    // What a search of the listed directory with the pattern finds.
    SearchResult matches(Listing& listing, const NamePattern& pattern) {
        SearchResult result;
        const std::lock_guard lock(listing.mutex);
        result.failure = listing.failure;
        for (Entry& entry : listing.entries) {
            if (!pattern.matches(listing.nameOf(entry), entry.length)) {
                continue;
            }
            if (entry.leadsToDirectory == Answer::Unknown) {
                // Asked once per entry, and only of entries that some pattern matches.
                entry.leadsToDirectory = ask(listing, entry, &posix::leadsToDirectory);
            }
            if (entry.leadsToDirectory == Answer::No) {
                result.paths.push_back(listing.pathOf(entry));
            }
        }
        return result;
    }

    // The complete listing of the absolute directory, or null. The files of a directory are
    // counted one after another, so each thread remembers the listing it found last.
    Listing* listedDirectory(std::string_view directory) {
        struct LastFound {
            std::uint64_t fileSystem = 0;
            Listing* listing = nullptr;
        };
        thread_local LastFound last;
        if (last.fileSystem == serial_ && last.listing->directory == directory) {
            return last.listing;
        }
        Shard& shard = shardOf(directory);
        const std::lock_guard lock(shard.mutex);
        const auto found = shard.listings.find(directory);
        if (found == shard.listings.end() ||
            !found->second->listed.load(std::memory_order_acquire)) {
            return nullptr;
        }
        last = {serial_, found->second.get()};
        return last.listing;
    }

    void list(Listing& listing) {
        // Kept from one listing to the next, so that its room is made once per thread.
        thread_local posix::ListedNames listed;
        listed.clear();
        int error = 0;
        int fd = posix::listDirectory(listing.directory, listed, error);
        if (fd < 0 && outOfDescriptors(error)) {
            closeOpenDirectories();
            listed.clear();
            fd = posix::listDirectory(listing.directory, listed, error);
        }
        if (error != 0) {
            listing.failure = posix::errorText(error);
        }
        listing.prefix = joinPath(listing.directory, "");
        // In byte order before they are packed, so that the names lie in memory as the entries
        // that point at them.
        std::vector<posix::ListedNames::Name>& names = listed.names;
        std::sort(names.begin(), names.end(),
                  [](const posix::ListedNames::Name& a, const posix::ListedNames::Name& b) {
                      return listed.view(a) < listed.view(b);
                  });
        listing.names.reserve(listed.text.size());
        listing.entries.reserve(names.size());
        for (const posix::ListedNames::Name& name : names) {
            const Answer directory = name.type == DT_DIR ? Answer::Yes
                                     : name.type == DT_LNK || name.type == DT_UNKNOWN
                                         ? Answer::Unknown
                                         : Answer::No;
            listing.entries.push_back({listing.names.size(), name.length, name.type, directory,
                                       name.type == DT_UNKNOWN ? Answer::Unknown
                                       : name.type == DT_DIR   ? Answer::Yes
                                                               : Answer::No});
            listing.names.append(listed.nameOf(name), name.length + 1);
        }
        namesListed_.fetch_add(listing.entries.size(), std::memory_order_relaxed);
        // The room a huge directory needed is not kept for the small ones after it.
        if (names.capacity() > kNamesKept) {
            listed = {};
        }
        if (fd >= 0) {
            keep(listing, fd);
        }
    }

    Answer ask(Listing& listing, const Entry& entry,
               bool (*question)(int, const char*, unsigned char)) {
        {
            const std::shared_lock lock(openLock_);
            if (const int fd = listing.fd.load(); fd >= 0) {
                return question(fd, listing.nameOf(entry), entry.type) ? Answer::Yes : Answer::No;
            }
        }
        return question(AT_FDCWD, listing.pathOf(entry).c_str(), entry.type) ? Answer::Yes
                                                                             : Answer::No;
    }

    static bool shortReadEnds(Listing& listing, int fd) {
        Answer answer = listing.shortReadsEnd.load(std::memory_order_relaxed);
        if (answer == Answer::Unknown) {
            answer = posix::shortReadEndsFiles(fd) ? Answer::Yes : Answer::No;
            listing.shortReadsEnd.store(answer, std::memory_order_relaxed);
        }
        return answer == Answer::Yes;
    }

    // Opens a listed directory again whose descriptor was let go; false when it does not open.
    bool reopen(Listing& listing) {
        int fd = posix::openAnyLength(AT_FDCWD, listing.directory, posix::kDirectoryHandle);
        if (fd < 0 && outOfDescriptors(errno)) {
            closeOpenDirectories();
            fd = posix::openAnyLength(AT_FDCWD, listing.directory, posix::kDirectoryHandle);
        }
        if (fd < 0) {
            return false;
        }
        keep(listing, fd);
        return true;
    }

    // Keeps the descriptor as the listing's, letting the oldest kept one go beyond keep_.
    void keep(Listing& listing, int fd) {
        int letGo = fd;
        {
            const std::unique_lock lock(openLock_);
            if (keep_ != 0 && listing.fd.load() < 0) {
                listing.fd.store(fd);
                open_.push_back(&listing);
                letGo = -1;
                if (open_.size() > keep_) {
                    Listing* oldest = open_.front();
                    open_.pop_front();
                    letGo = oldest->fd.exchange(-1);
                }
            }
        }
        // Nobody uses a descriptor taken out of its listing under the lock: it closes outside.
        if (letGo >= 0) {
            ::close(letGo);
        }
    }

    // When descriptors run out, the directories kept open are let go, so that a second try may
    // succeed: keeping them must never cost a directory its search or a file its count. Their
    // descriptors are closed once no thread is opening a file within them.
    void closeOpenDirectories() {
        const std::unique_lock lock(openLock_);
        for (Listing* listing : open_) {
            ::close(listing->fd.exchange(-1));
        }
        open_.clear();
    }

    const std::size_t keep_;
    // Tells this file system from the ones before it at the same address.
    const std::uint64_t serial_ = nextSerial_.fetch_add(1) + 1;
    static inline std::atomic<std::uint64_t> nextSerial_{0};
    // The listings by directory, in shards with a lock each: the walk's threads look a directory
    // up every time they list one, and with one lock for all they waited on each other's
    // allocations and page faults.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>{}(text);
        }
    };
    struct Shard {
        std::mutex mutex;
        std::unordered_map<std::string, std::unique_ptr<Listing>, TextHash, std::equal_to<>>
            listings;
    };
    static constexpr std::size_t kShards = 64;
    Shard& shardOf(std::string_view directory) {
        // High bits: the map within a shard takes its buckets from the low ones.
        return shards_[(TextHash{}(directory) >> 32) % kShards];
    }
    std::array<Shard, kShards> shards_;
    SpinSharedMutex openLock_;
    std::atomic<std::size_t> namesListed_{0};
    std::deque<Listing*> open_;  // the listings whose directory is open, oldest first
};

}  // namespace

std::unique_ptr<FileSystem> makeListingFileSystem(std::size_t keepOpen) {
    return std::make_unique<ListingPosixFileSystem>(keepOpen);
}

}  // namespace lw
