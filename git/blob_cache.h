#pragma once

#include "git/libgit2.h"

#include <unordered_map>

#include "count/code_page.h"
#include "count/count_run.h"
#include "git/repository.h"
#include "git/tree_file_system.h"

namespace lw::git {

// The outcome of counting each blob, kept for the runs of one code page: the same content always
// counts the same, so a file that a later revision left unchanged costs a lookup, not a read.
class BlobCounts {
  public:
    explicit BlobCounts(const CodePage& codePage) : codePage_(codePage) {}

    const CodePage& codePage() const { return codePage_; }
    const FileOutcome* find(const git_oid& blob) const;
    void add(const git_oid& blob, const FileOutcome& outcome) { outcomes_.emplace(blob, outcome); }

  private:
    CodePage codePage_;
    std::unordered_map<git_oid, FileOutcome, OidHash, OidEqual> outcomes_;
};

// Counts the matches of a run over a tree on the run's thread, each blob once for all the runs
// that share the counts.
class CachingFileCounter final : public FileCounter {
  public:
    CachingFileCounter(TreeFileSystem& fileSystem, BlobCounts& counts)
        : fileSystem_(fileSystem), counts_(counts) {}

    FileOutcome count(const std::string& fullPath) override;

  private:
    TreeFileSystem& fileSystem_;
    BlobCounts& counts_;
};

}  // namespace lw::git
