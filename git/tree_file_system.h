#pragma once

#include "git/libgit2.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "count/file_system.h"
#include "git/blob_reader.h"
#include "git/repository.h"
#include "git/tree_paths.h"
#include "git/work_tree_copies.h"

namespace lw::git {

// The files of one git tree, read from the object database, as a file system of the engine, so
// that a count of a revision walks, matches, orders and names its files exactly as a count of
// its checkout would: names in byte order, the same wildcards, paths under the work tree (under
// "/" for a bare repository). Blobs are counted as committed, without filters. Submodules are
// passed over as empty directories; a symbolic link is neither file nor directory, and is passed
// over too. A path the tree lacks fails as a missing one does on disk.
//
// enumerate() and subdirectories() run on the run's thread; openForReading() and blobOf() may be
// called from the counting threads meanwhile.
class TreeFileSystem final : public FileSystem {
  public:
    // `copies`, when given, are the work tree's files that hold blobs' bytes, read instead of
    // those blobs.
    TreeFileSystem(const Repository& repository, const git_oid& tree, BlobReader& blobs,
                   WorkTreeCopies* copies = nullptr);

    SearchResult enumerate(const std::string& searchPath) override;
    OpenResult openForReading(const std::string& fullPath) override;
    SearchResult subdirectories(const std::string& directory) override;
    std::string absolutePath(const std::string& path) override;

    // The blob of the file at a full path, when there is one.
    std::optional<git_oid> blobOf(const std::string& fullPath);
    // The trees that could not be read, with libgit2's reasons, as lines "DIR: REASON".
    std::vector<std::string> readFailures() const;

  private:
    // The full paths of the wanted entries of the directory at an absolute path.
    SearchResult search(const std::string& directory,
                        const std::function<bool(const TreeEntry&)>& wanted);
    // The listing of the directory at the components, read once; called with mutex_ held.
    const TreeListing& listing(const std::vector<std::string>& components, std::size_t count);
    // The entry of a file's full path, and its path in the tree; null with the reason when there
    // is no such entry. Called with mutex_ held.
    const TreeEntry* entryOf(const std::string& fullPath, std::string& treePath,
                             std::string& failure);

    const Repository& repository_;
    git_oid tree_;
    BlobReader& blobs_;
    WorkTreeCopies* copies_;
    TreePaths paths_;
    mutable std::mutex mutex_;
    // By the directory's components joined with '/'; nodes stay where they are as others come.
    std::unordered_map<std::string, TreeListing> listings_;
    std::vector<std::string> readFailures_;
};

}  // namespace lw::git
