#include "git/history.h"

#include <string>

namespace lw::git {

HistorySelector::Verdict HistorySelector::next(std::int64_t time) {
    if (done() || (selection_.since && time < *selection_.since)) {
        return Verdict::Stop;
    }
    if (seen_++ % selection_.every != 0) {
        return Verdict::Skip;
    }
    ++kept_;
    return Verdict::Keep;
}

std::vector<HistoryCommit> firstParentHistory(const Repository& repository, const git_oid& start,
                                              const HistorySelection& selection) {
    std::vector<HistoryCommit> commits;
    HistorySelector selector(selection);
    git_oid id = start;
    std::optional<git_oid> child;  // the commit whose parent `id` is
    for (;;) {
        git_commit* raw = nullptr;
        if (git_commit_lookup(&raw, repository.get(), &id) < 0) {
            std::string text = "cannot read commit " + hexOf(id);
            if (child) {
                text += ", the parent of " + hexOf(*child);
                if (repository.shallow()) {
                    text +=
                        " (the history of this shallow clone ends there; 'git fetch "
                        "--unshallow' fetches the rest)";
                }
            }
            throw GitError(text + ": " + lastErrorText(), false);
        }
        const CommitPtr commit(raw);
        const std::int64_t time = git_commit_time(raw);
        const HistorySelector::Verdict verdict = selector.next(time);
        if (verdict == HistorySelector::Verdict::Stop) {
            break;
        }
        if (verdict == HistorySelector::Verdict::Keep) {
            commits.push_back({id, *git_commit_tree_id(raw), time});
        }
        if (selector.done() || git_commit_parentcount(raw) == 0) {
            break;
        }
        child = id;
        id = *git_commit_parent_id(raw, 0);
    }
    return commits;
}

}  // namespace lw::git
