#include "git/work_tree_copies.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <unistd.h>
#include <algorithm>
#include <vector>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace lw::git {

namespace {

// The attributes under which a checkout writes bytes that may count otherwise than the blob's.
const char* kConverting[] = {"filter", "working-tree-encoding"};

bool mentionsConversion(std::string_view text) {
    return std::any_of(std::begin(kConverting), std::end(kConverting),
                       [&](const char* name) { return text.find(name) != std::string_view::npos; });
}

std::string parentOf(const std::string& treePath) {
    const std::size_t slash = treePath.rfind('/');
    return slash == std::string::npos ? std::string() : treePath.substr(0, slash);
}

// The places beyond the tree whose attribute files git reads: the system's, the user's (the
// configured one, or the one beside the user's configuration), the repository's own.
std::vector<std::string> attributeFilesBeyondTree(git_repository* repository) {
    std::vector<std::string> files;
    git_buf buffer = GIT_BUF_INIT;
    if (git_libgit2_opts(GIT_OPT_GET_SEARCH_PATH, GIT_CONFIG_LEVEL_SYSTEM, &buffer) == 0) {
        std::stringstream dirs(std::string(buffer.ptr, buffer.size));
        for (std::string dir; std::getline(dirs, dir, ':');) {
            if (!dir.empty()) {
                files.push_back(dir + "/gitattributes");
            }
        }
    }
    git_buf_dispose(&buffer);
    if (git_config_find_xdg(&buffer) == 0) {
        files.push_back(parentOf(std::string(buffer.ptr, buffer.size)) + "/attributes");
    }
    git_buf_dispose(&buffer);
    git_config* config = nullptr;
    if (git_repository_config_snapshot(&config, repository) == 0) {
        if (git_config_get_path(&buffer, config, "core.attributesfile") == 0) {
            files.emplace_back(buffer.ptr, buffer.size);
        }
        git_buf_dispose(&buffer);
        git_config_free(config);
    }
    files.push_back(std::string(git_repository_commondir(repository)) + "info/attributes");
    return files;
}

class WorkTreeFile final : public ReadableFile {
  public:
    explicit WorkTreeFile(int fd) : fd_(fd) {}
    ~WorkTreeFile() override { ::close(fd_); }
    WorkTreeFile(const WorkTreeFile&) = delete;
    WorkTreeFile& operator=(const WorkTreeFile&) = delete;

    ssize_t read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0 || errno != EINTR) {
                error_ = got < 0 ? errno : 0;
                return got;
            }
        }
    }
    std::string readFailure() const override { return std::system_category().message(error_); }

  private:
    int fd_;
    int error_ = 0;
};

}  // namespace

std::unique_ptr<WorkTreeCopies> WorkTreeCopies::load(const Repository& repository) {
    git_repository* handle = repository.get();
    if (git_repository_is_bare(handle) == 1 || repository.root().empty()) {
        return nullptr;
    }
    git_index* index = nullptr;
    if (git_repository_index(&index, handle) < 0) {
        return nullptr;
    }
    std::unique_ptr<WorkTreeCopies> copies(new WorkTreeCopies(repository));
    // The index's own time, taken before its entries: an entry whose file changed at that time
    // or later may have changed after it was recorded, with the same stat data.
    struct stat indexStat {};
    const char* path = git_index_path(index);
    if (path == nullptr || ::stat(path, &indexStat) != 0) {
        git_index_free(index);
        return nullptr;
    }
    const std::int64_t indexSeconds = indexStat.st_mtim.tv_sec;
    const auto indexNanoseconds = static_cast<std::uint32_t>(indexStat.st_mtim.tv_nsec);
    const std::size_t count = git_index_entrycount(index);
    copies->entries_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const git_index_entry* entry = git_index_get_byindex(index, i);
        const std::string_view path = entry->path;
        if (path == ".gitattributes" || path.ends_with("/.gitattributes")) {
            copies->attributeBlobs_.emplace(path, entry->id);
        }
        const bool trusted =
            (entry->flags & GIT_INDEX_ENTRY_VALID) == 0 &&
            (entry->flags_extended & GIT_INDEX_ENTRY_EXTENDED_FLAGS) == 0 &&
            git_index_entry_stage(entry) == 0 &&
            (entry->mode == GIT_FILEMODE_BLOB || entry->mode == GIT_FILEMODE_BLOB_EXECUTABLE);
        const bool racy =
            entry->mtime.seconds > indexSeconds ||
            (entry->mtime.seconds == indexSeconds && entry->mtime.nanoseconds >= indexNanoseconds);
        if (!trusted || racy) {
            continue;
        }
        copies->entries_.emplace(
            entry->path, Recorded{entry->id, entry->mtime.seconds, entry->mtime.nanoseconds,
                                  entry->ctime.seconds, entry->ctime.nanoseconds, entry->ino,
                                  entry->file_size, false});
    }
    git_index_free(index);
    copies->beyondTreeMayConvert_ = false;
    for (const std::string& file : attributeFilesBeyondTree(handle)) {
        copies->beyondTreeMayConvert_ =
            copies->beyondTreeMayConvert_ || copies->fileMayConvert(file);
    }
    return copies;
}

bool WorkTreeCopies::fileMayConvert(const std::string& path) const {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        // A file that is not there names nothing; one that is there unread may name anything.
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
    }
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    return file.bad() || mentionsConversion(text);
}

bool WorkTreeCopies::directoryMayConvert(const std::string& directory) {
    if (const auto known = directories_.find(directory); known != directories_.end()) {
        return known->second;
    }
    const std::string attributes =
        directory.empty() ? ".gitattributes" : directory + "/.gitattributes";
    bool converts = fileMayConvert(repository_.root() + "/" + attributes);
    if (const auto blob = attributeBlobs_.find(attributes);
        !converts && blob != attributeBlobs_.end()) {
        git_blob* raw = nullptr;
        if (git_blob_lookup(&raw, repository_.get(), &blob->second) < 0) {
            converts = true;
        } else {
            const BlobPtr owned(raw);
            converts = mentionsConversion(
                std::string_view(static_cast<const char*>(git_blob_rawcontent(raw)),
                                 static_cast<std::size_t>(git_blob_rawsize(raw))));
        }
    }
    if (!converts) {
        converts =
            directory.empty() ? beyondTreeMayConvert_ : directoryMayConvert(parentOf(directory));
    }
    directories_.emplace(directory, converts);
    return converts;
}

bool WorkTreeCopies::mayHold(const std::string& treePath, const git_oid& blob) {
    const auto found = entries_.find(treePath);
    if (found == entries_.end() || !git_oid_equal(&found->second.blob, &blob)) {
        return false;
    }
    Recorded& recorded = found->second;
    if (!recorded.unfiltered && directoryMayConvert(parentOf(treePath))) {
        // Asked of git only where an attribute file may name a conversion: each question reads
        // the attribute files' state again, which costs more than reading a small file.
        const char* values[std::size(kConverting)] = {};
        if (git_attr_get_many(values, repository_.get(), GIT_ATTR_CHECK_INDEX_THEN_FILE,
                              treePath.c_str(), std::size(kConverting), kConverting) < 0) {
            return false;
        }
        for (const char* value : values) {
            if (git_attr_value(value) != GIT_ATTR_VALUE_UNSPECIFIED) {
                return false;
            }
        }
    }
    recorded.unfiltered = true;
    return true;
}

std::unique_ptr<ReadableFile> WorkTreeCopies::open(const std::string& treePath,
                                                   const std::string& fullPath) {
    const auto found = entries_.find(treePath);
    if (found == entries_.end()) {
        return nullptr;
    }
    const Recorded& recorded = found->second;
    const int fd = ::open(fullPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    // Checked on the open file, so that what is read is the file whose stat data matched.
    struct stat info {};
    const bool same =
        ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint32_t>(info.st_size) == recorded.size &&
        static_cast<std::uint32_t>(info.st_ino) == recorded.inode &&
        info.st_mtim.tv_sec == recorded.mtimeSeconds &&
        static_cast<std::uint32_t>(info.st_mtim.tv_nsec) == recorded.mtimeNanoseconds &&
        info.st_ctim.tv_sec == recorded.ctimeSeconds &&
        static_cast<std::uint32_t>(info.st_ctim.tv_nsec) == recorded.ctimeNanoseconds;
    unsigned char start[2] = {};
    const bool utf16 =
        same && ::pread(fd, start, 2, 0) == 2 &&
        ((start[0] == 0xFF && start[1] == 0xFE) || (start[0] == 0xFE && start[1] == 0xFF));
    if (!same || utf16) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<WorkTreeFile>(fd);
}

}  // namespace lw::git
