#pragma once

#include "git/libgit2.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "count/file_system.h"
#include "git/repository.h"

namespace lw::git {

// The files of the work tree that hold a blob's very bytes, so that a count of a revision reads
// them from the disk instead of inflating the blob: the common case of a revision at or near
// HEAD, whose files the work tree mostly holds unchanged.
//
// A file qualifies as git's own status would have it clean: the index records the blob for its
// path, and the file's stat data (size, modification and change times, inode) is what the index
// recorded, and was recorded after the file last changed (not "racily clean"). Besides, the
// checkout must have written the blob's bytes, or bytes that count the same: no filter or
// working-tree-encoding attribute applies to it. Line-end conversion may: it only turns LF into
// CR LF, and lines end and are trimmed alike either way, except in UTF-16 text, which a file
// starting with a UTF-16 byte-order mark may be, so such a file is read from its blob. The ident
// attribute may too: "$Id$" grows by hexadecimal digits and blanks, which no count sees. Anything
// else is read from the blob.
class WorkTreeCopies {
  public:
    // Nothing for a bare repository or one without an index.
    static std::unique_ptr<WorkTreeCopies> load(const Repository& repository);

    // Whether the file at the tree path may be read for the blob: the index's side of the
    // checks. Uses the repository's handle: called on one thread at a time.
    bool mayHold(const std::string& treePath, const git_oid& blob);

    // The work tree's file at fullPath when its stat data is still the index's; nothing
    // otherwise. Safe on any thread.
    std::unique_ptr<ReadableFile> open(const std::string& treePath, const std::string& fullPath);

  private:
    struct Recorded {
        git_oid blob;
        std::int64_t mtimeSeconds;
        std::uint32_t mtimeNanoseconds;
        std::int64_t ctimeSeconds;
        std::uint32_t ctimeNanoseconds;
        std::uint32_t inode;
        std::uint32_t size;  // as the index keeps it: the low 32 bits
        bool unfiltered = false;
    };

    explicit WorkTreeCopies(const Repository& repository) : repository_(repository) {}

    // Whether an attribute file that applies to the directory's files (its own .gitattributes,
    // those of the directories above it, and the repository's, the user's and the system's) may
    // name a filter or an encoding; a file that cannot be read may. Answers are kept.
    bool directoryMayConvert(const std::string& directory);
    bool fileMayConvert(const std::string& path) const;

    const Repository& repository_;
    // Read once, before the run's threads start; then only read, but for `unfiltered`.
    std::unordered_map<std::string, Recorded> entries_;
    // The .gitattributes files of the index, by tree path.
    std::unordered_map<std::string, git_oid> attributeBlobs_;
    bool beyondTreeMayConvert_ = true;
    std::unordered_map<std::string, bool> directories_;
};

}  // namespace lw::git
