#pragma once

#include "git/libgit2.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "count/file_system.h"
#include "git/repository.h"

namespace lw::git {

// Opens blobs by id from any thread. A repository handle serves one thread at a time, so each
// open blob holds a handle of its own from a pool, which grows to the number of blobs open at
// once (a count run's workers) and no further.
class BlobReader {
  public:
    explicit BlobReader(const Repository& repository) : repository_(repository) {}
    BlobReader(const BlobReader&) = delete;
    BlobReader& operator=(const BlobReader&) = delete;

    // The blob as a file read front to back. The object is read at the first read(), so that an
    // object the repository lacks or holds corrupt is a read failure with libgit2's reason.
    std::unique_ptr<ReadableFile> open(const git_oid& id);

  private:
    friend class BlobFile;
    RepositoryPtr take();
    void give(RepositoryPtr handle);

    const Repository& repository_;
    std::mutex mutex_;
    std::vector<RepositoryPtr> idle_;
};

// Blobs as files named by their ids (40 hexadecimal digits), so that the engine's counters count
// the blobs of a whole history, each once, without a tree around them.
class ObjectFileSystem final : public FileSystem {
  public:
    explicit ObjectFileSystem(BlobReader& blobs) : blobs_(blobs) {}

    SearchResult enumerate(const std::string& searchPath) override;
    OpenResult openForReading(const std::string& fullPath) override;
    SearchResult subdirectories(const std::string& directory) override;
    std::string absolutePath(const std::string& path) override { return path; }

  private:
    BlobReader& blobs_;
};

}  // namespace lw::git
