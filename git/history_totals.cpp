#include "git/history_totals.h"

#include <array>
#include <memory>
#include <unordered_map>

#include "count/file_counts.h"
#include "count/name_pattern.h"
#include "count/parallel_file_counter.h"
#include "count/path_text.h"
#include "count/split_list.h"
#include "count/subdirectory_walk.h"
#include "git/blob_cache.h"
#include "git/blob_reader.h"
#include "git/tree_file_system.h"
#include "git/tree_paths.h"

namespace lw::git {

namespace {

// files, fixmes, code, comments, total: sums of counts that are never negative, so that summing
// first and saturating at the end gives what a run's saturating additions give.
using Sums = std::array<std::int64_t, 5>;

RunTotals totalsOf(const Sums& sums) {
    RunTotals totals;
    totals.files = saturateToInt32(sums[0]);
    totals.fixmes = saturateToInt32(sums[1]);
    totals.code = saturateToInt32(sums[2]);
    totals.comments = saturateToInt32(sums[3]);
    totals.total = saturateToInt32(sums[4]);
    return totals;
}

std::string commitText(const HistoryCommit& commit) {
    return hexOf(commit.id).substr(0, 12);
}

// Where a DIR leads in one commit's tree, as a count run's search and walk would find it.
struct Place {
    enum class State { Tree, Empty, Missing } state = State::Missing;
    git_oid tree{};
};

Place placeOf(git_repository* repository, const HistoryCommit& commit,
              const std::optional<std::vector<std::string>>& components) {
    if (!components) {
        return {};
    }
    git_oid current = commit.tree;
    for (std::size_t i = 0; i < components->size(); ++i) {
        git_tree* raw = nullptr;
        if (git_tree_lookup(&raw, repository, &current) < 0) {
            throw GitError(
                "cannot read a tree of commit " + commitText(commit) + ": " + lastErrorText(),
                false);
        }
        const TreePtr tree(raw);
        const git_tree_entry* entry = git_tree_entry_byname(raw, (*components)[i].c_str());
        if (entry == nullptr) {
            return {};
        }
        const EntryKind kind = entryKindOf(entry);
        if (kind == EntryKind::Submodule && i + 1 == components->size()) {
            return {Place::State::Empty, {}};
        }
        if (kind != EntryKind::Directory) {
            return {};
        }
        current = *git_tree_entry_id(entry);
    }
    return {Place::State::Tree, current};
}

// The patterns have no separator: each searches the directory itself, so what a directory
// contributes depends on its tree alone, and a tree that many commits share is summed once.
class SharedTreeCount {
  public:
    SharedTreeCount(const Repository& repository, const HistoryRequest& request,
                    std::vector<NamePattern> patterns)
        : repository_(repository),
          request_(request),
          patterns_(std::move(patterns)),
          blobs_(repository),
          objects_(blobs_),
          counter_(objects_, request.codePage, request.jobs) {}

    HistoryCounts count(const std::vector<HistoryCommit>& commits,
                        const std::function<void()>& blobDone) {
        const TreePaths paths(repository_.root(), repository_.workingDirectory());
        std::vector<std::optional<std::vector<std::string>>> components;
        for (const std::string& directory : request_.directories) {
            components.push_back(paths.componentsOf(paths.absolutePath(directory)));
        }
        // Every commit's trees, taken apart, and their new blobs handed to the counting threads
        // commit by commit, so that counting goes on while later trees are read.
        std::vector<std::vector<std::optional<std::uint32_t>>> places(commits.size());
        std::vector<bool> found(components.size(), false);
        for (std::size_t c = 0; c < commits.size(); ++c) {
            for (std::size_t d = 0; d < components.size(); ++d) {
                const Place place = placeOf(repository_.get(), commits[c], components[d]);
                found[d] = found[d] || place.state != Place::State::Missing;
                places[c].push_back(
                    place.state == Place::State::Tree
                        ? std::optional(node(place.tree, commits[c],
                                             joinComponents(*components[d], components[d]->size())))
                        : std::nullopt);
            }
            counter_.upcoming(announced_);
            announced_.clear();
        }
        outcomes_.reserve(blobIds_.size());
        for (std::size_t b = 0; b < blobIds_.size(); ++b) {
            outcomes_.push_back(counter_.count(blobIds_[b]));
            if (outcomes_.back().status != FileStatus::Counted) {
                throw GitError(
                    FailureMessage(kFailedToReadPrefix, blobWhere_[b], outcomes_.back().failure),
                    false);
            }
            blobDone();
        }

        HistoryCounts counts;
        for (const auto& commitPlaces : places) {
            Sums sums{};
            for (const std::optional<std::uint32_t>& place : commitPlaces) {
                if (place) {
                    const Sums& tree = sumsOf(*place);
                    for (std::size_t i = 0; i < sums.size(); ++i) {
                        sums[i] += tree[i];
                    }
                }
            }
            counts.totals.push_back(totalsOf(sums));
        }
        for (std::size_t d = 0; d < found.size(); ++d) {
            if (!found[d]) {
                counts.missing.push_back(request_.directories[d]);
            }
        }
        return counts;
    }

  private:
    struct Node {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> files;  // blob, patterns matching
        std::vector<std::uint32_t> subtrees;
        std::optional<Sums> sums;
    };

    // `path`: where the tree stands in the commit, for messages.
    std::uint32_t node(const git_oid& id, const HistoryCommit& commit, const std::string& path) {
        if (const auto known = nodeIndex_.find(id); known != nodeIndex_.end()) {
            return known->second;
        }
        git_tree* raw = nullptr;
        if (git_tree_lookup(&raw, repository_.get(), &id) < 0) {
            throw GitError("cannot read the tree of " + (path.empty() ? "/" : path) +
                               " at commit " + commitText(commit) + ": " + lastErrorText(),
                           false);
        }
        const TreePtr tree(raw);
        Node made;
        const std::size_t count = git_tree_entrycount(raw);
        for (std::size_t i = 0; i < count; ++i) {
            const git_tree_entry* entry = git_tree_entry_byindex(raw, i);
            const EntryKind kind = entryKindOf(entry);
            const char* name = git_tree_entry_name(entry);
            if (kind == EntryKind::Directory && request_.recurse) {
                made.subtrees.push_back(
                    node(*git_tree_entry_id(entry), commit, pathOf(path, name)));
            } else if (kind == EntryKind::File) {
                std::uint32_t matching = 0;
                for (const NamePattern& pattern : patterns_) {
                    matching += pattern.matches(name) ? 1 : 0;
                }
                if (matching > 0) {
                    made.files.emplace_back(
                        blob(*git_tree_entry_id(entry), pathOf(path, name), commit), matching);
                }
            }
        }
        const auto index = static_cast<std::uint32_t>(nodes_.size());
        nodes_.push_back(std::move(made));
        nodeIndex_.emplace(id, index);
        return index;
    }

    static std::string pathOf(const std::string& directory, const char* name) {
        return directory.empty() ? std::string(name) : directory + "/" + name;
    }

    std::uint32_t blob(const git_oid& id, const std::string& path, const HistoryCommit& commit) {
        const auto [at, added] =
            blobIndex_.try_emplace(id, static_cast<std::uint32_t>(blobIds_.size()));
        if (added) {
            blobIds_.push_back(hexOf(id));
            blobWhere_.push_back(path + " at commit " + commitText(commit));
            announced_.push_back(blobIds_.back());
        }
        return at->second;
    }

    const Sums& sumsOf(std::uint32_t index) {
        if (nodes_[index].sums) {
            return *nodes_[index].sums;
        }
        Sums sums{};
        for (const auto& [blob, matching] : nodes_[index].files) {
            const FileCounts& counts = outcomes_[blob].counts;
            sums[0] += matching;
            sums[1] += std::int64_t{matching} * counts.fixmes;
            sums[2] += std::int64_t{matching} * counts.code;
            sums[3] += std::int64_t{matching} * counts.comments;
            sums[4] += std::int64_t{matching} * counts.total;
        }
        for (std::size_t s = 0; s < nodes_[index].subtrees.size(); ++s) {
            const Sums& below = sumsOf(nodes_[index].subtrees[s]);
            for (std::size_t i = 0; i < sums.size(); ++i) {
                sums[i] += below[i];
            }
        }
        nodes_[index].sums = sums;
        return *nodes_[index].sums;
    }

    const Repository& repository_;
    const HistoryRequest& request_;
    std::vector<NamePattern> patterns_;
    BlobReader blobs_;
    ObjectFileSystem objects_;
    ParallelFileCounter counter_;
    std::vector<Node> nodes_;
    std::unordered_map<git_oid, std::uint32_t, OidHash, OidEqual> nodeIndex_;
    std::unordered_map<git_oid, std::uint32_t, OidHash, OidEqual> blobIndex_;
    std::vector<std::string> blobIds_;
    std::vector<std::string> blobWhere_;
    std::vector<std::string> announced_;
    std::vector<FileOutcome> outcomes_;
};

// The host of a run whose rows nobody reads: only its totals and its first message count.
class TotalsHost final : public CountHost {
  public:
    TotalsHost(const std::vector<std::string>& directories, const std::string& extensions)
        : directories_(directories), extensions_(extensions) {}

    void refreshFromWindow() override {}
    std::string extensionsText() override { return extensions_; }
    int directoryCount() override { return static_cast<int>(directories_.size()); }
    void selectDirectory(int) override {}
    std::string directoryText(int index) override {
        return directories_[static_cast<std::size_t>(index)];
    }
    void deleteAllRows() override { rows_ = 0; }
    int rowCount() override { return rows_; }
    int appendRow(int, const std::string&) override { return rows_++; }
    void setRowTag(int, std::intptr_t) override {}
    void setCellText(int, int, const std::string&) override {}
    RunTotals& totals() override { return totals_; }
    void FormatStatusLine() override {}
    void showResults() override {}
    void enableCount(bool) override {}
    void showMessage(const std::string& text) override {
        if (!message_) {
            message_ = text;
        }
    }

    const std::optional<std::string>& message() const { return message_; }

  private:
    const std::vector<std::string>& directories_;
    const std::string& extensions_;
    RunTotals totals_;
    int rows_ = 0;
    std::optional<std::string> message_;
};

// A pattern that holds a separator searches another directory than the one it is given with, so
// the engine's own run counts each commit's tree; the blobs are still counted once each.
HistoryCounts countEachTree(const Repository& repository, const std::vector<HistoryCommit>& commits,
                            const HistoryRequest& request, const std::function<void()>& blobDone) {
    const TreePaths paths(repository.root(), repository.workingDirectory());
    std::vector<std::optional<std::vector<std::string>>> components;
    for (const std::string& directory : request.directories) {
        components.push_back(paths.componentsOf(paths.absolutePath(directory)));
    }
    std::vector<bool> found(components.size(), false);
    BlobReader blobs(repository);
    BlobCounts known(request.codePage);
    HistoryCounts counts;
    for (const HistoryCommit& commit : commits) {
        for (std::size_t d = 0; d < components.size(); ++d) {
            found[d] = found[d] || placeOf(repository.get(), commit, components[d]).state !=
                                       Place::State::Missing;
        }
        TreeFileSystem tree(repository, commit.tree, blobs);
        std::vector<std::string> directories;
        for (const std::string& directory : request.directories) {
            directories.push_back(directory);
            if (request.recurse) {
                walkSubdirectories(tree, directory,
                                   [&](const std::string& path) { directories.push_back(path); });
            }
        }
        TotalsHost host(directories, request.extensions);
        CachingFileCounter counter(tree, known);
        CountRun(host, tree, counter, request.codePage);
        if (const std::vector<std::string> failures = tree.readFailures(); !failures.empty()) {
            throw GitError(failures.front() + " (commit " + commitText(commit) + ")", false);
        }
        if (host.message()) {
            throw GitError(*host.message() + " (commit " + commitText(commit) + ")", false);
        }
        counts.totals.push_back(host.totals());
        blobDone();
    }
    for (std::size_t d = 0; d < found.size(); ++d) {
        if (!found[d]) {
            counts.missing.push_back(request.directories[d]);
        }
    }
    return counts;
}

}  // namespace

HistoryCounts countHistory(const Repository& repository, const std::vector<HistoryCommit>& commits,
                           const HistoryRequest& request, const std::function<void()>& blobDone) {
    ExtensionList patterns;
    SplitList(request.extensions, patterns, ";", request.codePage);
    const bool eachTree = std::any_of(patterns.begin(), patterns.end(), [](const std::string& p) {
        return p.find(kSeparator) != std::string::npos;
    });
    if (eachTree) {
        return countEachTree(repository, commits, request, blobDone);
    }
    std::vector<NamePattern> matchers;
    for (const std::string& pattern : patterns) {
        matchers.emplace_back(pattern);
    }
    return SharedTreeCount(repository, request, std::move(matchers)).count(commits, blobDone);
}

}  // namespace lw::git
