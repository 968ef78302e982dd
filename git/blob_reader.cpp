#include "git/blob_reader.h"

#include <algorithm>
#include <cstring>

namespace lw::git {

namespace {

constexpr char kNoDirectories[] = "blobs named by their ids have no directories";

}  // namespace

class BlobFile final : public ReadableFile {
  public:
    BlobFile(BlobReader& reader, const git_oid& id) : reader_(reader), id_(id) {}
    ~BlobFile() override {
        // The blob belongs to its handle's cache: it goes before the handle is given back.
        blob_.reset();
        if (handle_) {
            reader_.give(std::move(handle_));
        }
    }
    BlobFile(const BlobFile&) = delete;
    BlobFile& operator=(const BlobFile&) = delete;

    ssize_t read(char* buffer, std::size_t size) override {
        if (!blob_ && !load()) {
            return -1;
        }
        const auto* content = static_cast<const char*>(git_blob_rawcontent(blob_.get()));
        const auto length = static_cast<std::size_t>(git_blob_rawsize(blob_.get()));
        const std::size_t count = std::min(size, length - offset_);
        std::memcpy(buffer, content + offset_, count);
        offset_ += count;
        return static_cast<ssize_t>(count);
    }

    std::string readFailure() const override { return failure_; }

  private:
    bool load() {
        if (!failure_.empty()) {
            return false;
        }
        try {
            handle_ = reader_.take();
        } catch (const GitError& e) {
            failure_ = e.what();
            return false;
        }
        git_blob* raw = nullptr;
        if (git_blob_lookup(&raw, handle_.get(), &id_) < 0) {
            failure_ = lastErrorText();
            return false;
        }
        blob_.reset(raw);
        return true;
    }

    BlobReader& reader_;
    git_oid id_;
    RepositoryPtr handle_;
    BlobPtr blob_;
    std::size_t offset_ = 0;
    std::string failure_;
};

std::unique_ptr<ReadableFile> BlobReader::open(const git_oid& id) {
    return std::make_unique<BlobFile>(*this, id);
}

RepositoryPtr BlobReader::take() {
    {
        const std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            RepositoryPtr handle = std::move(idle_.back());
            idle_.pop_back();
            return handle;
        }
    }
    return repository_.reopen();
}

void BlobReader::give(RepositoryPtr handle) {
    const std::lock_guard lock(mutex_);
    idle_.push_back(std::move(handle));
}

SearchResult ObjectFileSystem::enumerate(const std::string&) {
    return {{}, kNoDirectories};
}

OpenResult ObjectFileSystem::openForReading(const std::string& fullPath) {
    git_oid id;
    if (fullPath.size() != GIT_OID_HEXSZ || git_oid_fromstr(&id, fullPath.c_str()) < 0) {
        return {nullptr, "not an object id"};
    }
    return {blobs_.open(id), {}};
}

SearchResult ObjectFileSystem::subdirectories(const std::string&) {
    return {{}, kNoDirectories};
}

}  // namespace lw::git
