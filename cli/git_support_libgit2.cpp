#include "cli/git_support.h"

#include "cli/history_output.h"
#include "cli/system.h"
#include "count/count_run.h"
#include "count/path_text.h"
#include "count/split_list.h"
#include "git/blob_reader.h"
#include "git/history.h"
#include "git/history_totals.h"
#include "git/repository.h"
#include "git/tree_file_system.h"

namespace lw::cli {

namespace {

RevisionError revisionError(const git::GitError& e) {
    return RevisionError(e.what(), e.usage() ? 2 : 1);
}

class GitRevisionTree final : public RevisionTree {
  public:
    GitRevisionTree(const git::Repository& repository, const git_oid& tree, git::BlobReader& blobs,
                    git::WorkTreeCopies* copies)
        : fileSystem_(repository, tree, blobs, copies) {}
    FileSystem& fileSystem() override { return fileSystem_; }
    std::vector<std::string> readFailures() const override { return fileSystem_.readFailures(); }

  private:
    git::TreeFileSystem fileSystem_;
};

class GitRevisions final : public Revisions {
  public:
    explicit GitRevisions(git::Repository repository)
        : repository_(std::move(repository)),
          blobs_(repository_),
          copies_(git::WorkTreeCopies::load(repository_)) {}

    std::unique_ptr<RevisionTree> tree(const std::string& rev) override {
        try {
            return std::make_unique<GitRevisionTree>(repository_, repository_.treeOf(rev), blobs_,
                                                     copies_.get());
        } catch (const git::GitError& e) {
            throw revisionError(e);
        }
    }

  private:
    git::Repository repository_;
    git::BlobReader blobs_;
    // The work tree's unchanged files, read instead of their blobs.
    std::unique_ptr<git::WorkTreeCopies> copies_;
};

}  // namespace

bool gitSupport() {
    return true;
}

std::unique_ptr<Revisions> openRevisions(const std::optional<std::string>& gitDir) {
    try {
        return std::make_unique<GitRevisions>(git::Repository::open(gitDir));
    } catch (const git::GitError& e) {
        throw revisionError(e);
    }
}

int runHistory(const Options& options, Messages& messages) {
    // The opening checks of a count run, made once for the whole history.
    ExtensionList patterns;
    const char* refusal = nullptr;
    if (options.directories.empty()) {
        refusal = kNoDirectoriesMessage;
    } else if (SplitList(options.extensions, patterns, ";") == 0) {
        refusal = kNoExtensionsMessage;
    }
    if (refusal != nullptr) {
        messages.message(refusal);
        messages.tryHelp();
        return 2;
    }
    git::HistoryRequest request;
    for (const std::string& directory : options.directories) {
        request.directories.push_back(RemoveTrailingSeparators(directory));
    }
    request.extensions = options.extensions;
    request.recurse = options.recurse;
    request.jobs = options.jobs;
    request.codePage = CodePage::system();

    std::vector<HistoryRow> rows;
    git::HistoryCounts counts;
    try {
        const git::Repository repository = git::Repository::open(options.gitDir);
        const git_oid start = repository.commitOf(options.rev.value_or("HEAD"));
        const std::vector<git::HistoryCommit> commits = git::firstParentHistory(
            repository, start, {options.since, options.every, options.maxCount});
        messages.startProgress(standardErrorIsTerminal());
        counts = git::countHistory(repository, commits, request, [&] { messages.fileDone(); });
        messages.eraseProgress();
        for (std::size_t i = 0; i < commits.size(); ++i) {
            rows.push_back({git::hexOf(commits[i].id), commits[i].time, counts.totals[i]});
        }
    } catch (const git::GitError& e) {
        // Nothing is written: a history with a hole in it would pass for a whole one.
        messages.eraseProgress();
        messages.message(e.what());
        return e.usage() ? 2 : 1;
    }
    // A DIR that no commit has is a mistake, not a directory that came or went.
    for (const std::string& directory : counts.missing) {
        messages.searchFailure("", directory, "not in any commit of the history");
    }
    std::string out;
    formatHistory(out, rows, options.format);
    if (writeOutput(out, messages) != 0) {
        return 1;
    }
    return counts.missing.empty() ? 0 : 1;
}

}  // namespace lw::cli
