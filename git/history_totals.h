#pragma once

#include <functional>
#include <string>
#include <vector>

#include "count/code_page.h"
#include "count/count_run.h"
#include "git/history.h"
#include "git/repository.h"

namespace lw::git {

// What a count of every commit of a history counts: the DIRs, patterns and options of a run.
struct HistoryRequest {
    std::vector<std::string> directories;  // trailing separators removed
    std::string extensions;
    bool recurse = false;
    unsigned jobs = 1;
    CodePage codePage;
};

struct HistoryCounts {
    // The totals a count run over each commit's tree would leave, in the commits' order.
    std::vector<RunTotals> totals;
    // The DIRs that none of the commits has: each one a mistake rather than a directory that came
    // or went.
    std::vector<std::string> missing;
};

// Counts the commits' trees. Each blob is read and classified once, however many commits hold
// it, and each tree is taken apart once, however many commits share it, so the cost grows with
// the changes rather than with the commits times the files. Throws GitError (a read failure)
// when a tree or a blob cannot be read: a history with a hole in it is no history.
// `blobDone` is called once per blob counted.
HistoryCounts countHistory(const Repository& repository, const std::vector<HistoryCommit>& commits,
                           const HistoryRequest& request, const std::function<void()>& blobDone);

}  // namespace lw::git
