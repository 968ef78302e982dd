#include "cli/count_command.h"

#include <algorithm>
#include <memory>
#include <new>

#include "cli/system.h"
#include "count/parallel_file_counter.h"
#include "count/path_text.h"
#include "count/subdirectory_walk.h"

namespace lw::cli {

namespace {

// The host that a count run drives from the command line: the directory list and the pattern
// text come from the request, rows and totals are kept for the output, messages go to stderr.
class CommandLineHost final : public CountHost {
  public:
    // `reported`: the directories whose search the walk reported as failed.
    CommandLineHost(const CountRequest& request, std::vector<std::string> directories,
                    std::vector<std::string> reported, Messages& messages)
        : request_(request),
          directories_(std::move(directories)),
          reported_(std::move(reported)),
          messages_(messages) {}

    void refreshFromWindow() override {}
    std::string extensionsText() override { return request_.extensions; }
    int directoryCount() override { return static_cast<int>(directories_.size()); }
    void selectDirectory(int) override {}
    std::string directoryText(int index) override {
        return directories_[static_cast<std::size_t>(index)];
    }
    void deleteAllRows() override {
        started_ = true;
        result_.rows.clear();
    }
    int rowCount() override { return static_cast<int>(result_.rows.size()); }
    int appendRow(int index, const std::string& text) override {
        ResultRow row;
        row.cells[0] = text;
        result_.rows.insert(result_.rows.begin() + index, std::move(row));
        return index;
    }
    void setRowTag(int row, std::intptr_t tag) override {
        result_.rows[static_cast<std::size_t>(row)].tag = tag;
    }
    void setCellText(int row, int column, const std::string& text) override {
        result_.rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)] = text;
    }
    RunTotals& totals() override { return result_.totals; }
    void FormatStatusLine() override { result_.status = lw::statusLineText(result_.totals); }
    void showResults() override {}
    void enableCount(bool) override {}
    void showMessage(const std::string& text) override {
        // A message before the rows are cleared is one of the run's opening checks.
        if (!started_) {
            rejected_ = true;
        }
        messages_.message(request_.messagePrefix + text);
    }
    // Unlike the window, the command line says when a directory it was given cannot be searched:
    // a mistyped path must not look like an empty directory. A directory that the walk already
    // reported is not reported again.
    void searchFailed(const std::string& directory, const std::string& reason) override {
        if (request_.quietSearchFailures) {
            return;
        }
        if (std::find(reported_.begin(), reported_.end(), directory) == reported_.end()) {
            messages_.searchFailure(request_.messagePrefix, directory, reason);
        }
        searchFailed_ = true;
    }

    bool rejected() const { return rejected_; }
    // Whether any directory could not be searched, by the walk or by the run.
    bool searchFailed() const { return searchFailed_ || !reported_.empty(); }
    RunResult& result() { return result_; }
    // Room for the rows a run is expected to give, made before it starts: rows added one by one
    // would move the list to ever larger memory, each time touching it anew.
    void expectRows(std::size_t rows) {
        // Memory that is reserved but not written costs nothing; a bound keeps the reservation
        // itself within reach of a small machine.
        constexpr std::size_t kMostExpected = std::size_t{1} << 20;
        try {
            result_.rows.reserve(std::min(rows, kMostExpected));
            adviseLargePages(result_.rows.data(), result_.rows.capacity() * sizeof(ResultRow));
        } catch (const std::bad_alloc&) {
            // The rows then grow as they come.
        }
    }

  private:
    const CountRequest& request_;
    std::vector<std::string> directories_;
    std::vector<std::string> reported_;
    Messages& messages_;
    RunResult result_;
    bool started_ = false;
    bool rejected_ = false;
    bool searchFailed_ = false;
};

// Notes the full path of every match that failed, whoever counted it.
class RecordingCounter final : public FileCounter {
  public:
    RecordingCounter(FileCounter& inner, std::vector<std::string>& failed, Messages& messages)
        : inner_(inner), failed_(failed), messages_(messages) {}
    void upcoming(const std::vector<std::string>& fullPaths) override {
        inner_.upcoming(fullPaths);
    }
    bool countsAhead() const override { return inner_.countsAhead(); }
    bool searchesAhead() const override { return inner_.searchesAhead(); }
    void searchAll(std::vector<std::string> entries, std::vector<std::string> patterns) override {
        inner_.searchAll(std::move(entries), std::move(patterns));
    }
    std::vector<SearchResult> searched(std::size_t entry) override {
        return inner_.searched(entry);
    }
    FileOutcome count(const std::string& fullPath) override {
        FileOutcome outcome = inner_.count(fullPath);
        messages_.fileDone();
        if (outcome.status != FileStatus::Counted) {
            failed_.push_back(fullPath);
        }
        return outcome;
    }

  private:
    FileCounter& inner_;
    std::vector<std::string>& failed_;
    Messages& messages_;
};

}  // namespace

CountOutcome countDirectories(const CountRequest& request, FileSystem& fileSystem,
                              Messages& messages, const CodePage& codePage) {
    std::vector<std::string> given;
    for (const std::string& directory : request.directories) {
        given.push_back(RemoveTrailingSeparators(directory));
    }
    // The walks search on the workers; what they found comes out in the order of a walk of
    // each DIR after the other.
    std::vector<Walk> walks;
    if (request.recurse) {
        walks = walkSubdirectoriesOf(fileSystem, given, request.jobs);
    }
    std::vector<std::string> directories;
    std::vector<std::string> walkFailures;
    for (std::size_t i = 0; i < given.size(); ++i) {
        directories.push_back(given[i]);
        if (!request.recurse) {
            continue;
        }
        Walk& walk = walks[i];
        directories.insert(directories.end(), std::make_move_iterator(walk.subdirectories.begin()),
                           std::make_move_iterator(walk.subdirectories.end()));
        for (const SearchFailure& failure : walk.failures) {
            if (request.quietSearchFailures) {
                continue;
            }
            messages.searchFailure(request.messagePrefix, failure.directory, failure.reason);
            walkFailures.push_back(failure.directory);
        }
    }

    CommandLineHost host(request, std::move(directories), std::move(walkFailures), messages);
    host.expectRows(fileSystem.namesListed());
    std::unique_ptr<FileCounter> counter;
    if (request.jobs > 1) {
        counter = std::make_unique<ParallelFileCounter>(fileSystem, codePage, request.jobs);
    } else {
        counter = std::make_unique<SequentialFileCounter>(fileSystem, codePage);
    }
    RecordingCounter recording(*counter, host.result().failed, messages);
    CountRun(host, fileSystem, recording, codePage);
    counter.reset();
    messages.eraseProgress();

    CountOutcome outcome;
    outcome.rejected = host.rejected();
    outcome.searchFailed = host.searchFailed();
    outcome.result = std::move(host.result());
    return outcome;
}

}  // namespace lw::cli
