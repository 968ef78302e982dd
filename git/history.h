#pragma once

#include "git/libgit2.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "git/repository.h"

namespace lw::git {

struct HistoryCommit {
    git_oid id;
    git_oid tree;
    std::int64_t time;  // the committer's, in seconds since 1970
};

// Which commits of a first-parent history, newest first, make the rows: those from `since` on
// (the walk stops at the first older one, as git's own does), of those every `every`th one from
// the newest, and at most `maxCount` of them.
struct HistorySelection {
    std::optional<std::int64_t> since;
    std::size_t every = 1;
    std::optional<std::size_t> maxCount;
};

class HistorySelector {
  public:
    enum class Verdict { Keep, Skip, Stop };

    explicit HistorySelector(const HistorySelection& selection) : selection_(selection) {}
    // The verdict on the next commit of the walk, given its time.
    Verdict next(std::int64_t time);
    // Whether the walk has all it wants before it looks at another commit.
    bool done() const { return selection_.maxCount.has_value() && kept_ >= *selection_.maxCount; }

  private:
    HistorySelection selection_;
    std::size_t seen_ = 0;
    std::size_t kept_ = 0;
};

// The selected commits of the first-parent history from `start`, newest first. Throws GitError:
// a read failure where a commit the walk needs is missing or corrupt, which in a shallow clone
// means that its history was cut there.
std::vector<HistoryCommit> firstParentHistory(const Repository& repository, const git_oid& start,
                                              const HistorySelection& selection);

}  // namespace lw::git
