#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "count/code_page.h"
#include "count/file_counts.h"
#include "count/file_system.h"

namespace lw {

inline constexpr char kDefaultExtensions[] = "*.c;*.cpp;*.h;*.hxx;*.cxx;*.inl";
inline constexpr char kNoDirectoriesMessage[] = "Please add some directories first";
inline constexpr char kNoExtensionsMessage[] = "Please specify at least one extension first";
inline constexpr char kFailedToOpenPrefix[] = "Failed to open:\n\n";
inline constexpr char kFailedToReadPrefix[] = "Failed to read:\n\n";

// The totals of the rows in the File List. Declared in this order on purpose; they saturate.
struct RunTotals {
    std::int32_t total = 0;
    std::int32_t code = 0;
    std::int32_t comments = 0;
    std::int32_t files = 0;
    std::int32_t fixmes = 0;

    constexpr bool operator==(const RunTotals&) const = default;
};

// "Files: %i FIXMEs: %i Code: %i Comments: %i Total: %i"
std::string statusLineText(const RunTotals& totals);

// What a count run needs of the window that runs it.
class CountHost {
  public:
    virtual ~CountHost() = default;

    virtual void refreshFromWindow() = 0;      // controls into members
    virtual std::string extensionsText() = 0;  // the pattern text after the refresh
    virtual int directoryCount() = 0;
    virtual void selectDirectory(int index) = 0;
    virtual std::string directoryText(int index) = 0;
    virtual void deleteAllRows() = 0;
    virtual int rowCount() = 0;
    virtual int appendRow(int index, const std::string& text) = 0;  // returns the new row's index
    virtual void setRowTag(int row, std::intptr_t tag) = 0;
    virtual void setCellText(int row, int column, const std::string& text) = 0;
    virtual RunTotals& totals() = 0;
    virtual void FormatStatusLine() = 0;  // the status text from the totals
    virtual void showResults() = 0;       // members into controls
    virtual void enableCount(bool enabled) = 0;
    virtual void showMessage(const std::string& text) = 0;  // modal; returns when dismissed
    // A directory that a search could not read to its end, once per directory entry, after the
    // matches found before the failure. The window passes over it as over an empty directory.
    virtual void searchFailed(const std::string& directory, const std::string& reason) {
        (void)directory;
        (void)reason;
    }
};

// "Failed to open:\n\n" or "Failed to read:\n\n", the full path, and when known a blank line
// and the reason.
std::string FailureMessage(const char* prefix, const std::string& fullPath,
                           const std::string& reason);

enum class FileStatus { Counted, OpenFailed, ReadFailed };

struct FileOutcome {
    FileStatus status = FileStatus::Counted;
    FileCounts counts;
    std::string failure;  // why the open or the read failed, in the system's words
};

// Opens, classifies and closes one match.
FileOutcome countFile(FileSystem& fileSystem, const CodePage& codePage,
                      const std::string& fullPath);

// Where a count run gets the outcome of each match. The run asks for the matches strictly in
// run order, so a counter that works ahead on other threads still hands the host the same rows,
// totals and messages, in the same order, as the sequential one.
class FileCounter {
  public:
    virtual ~FileCounter() = default;
    // The matches of one search, in the order in which count() will then be asked for them.
    virtual void upcoming(const std::vector<std::string>& fullPaths) { (void)fullPaths; }
    // True for a counter that works ahead: the run then searches all patterns of a directory,
    // and of the directories after it up to some number of matches, before it asks for the
    // directory's first outcome, so that the counter always has more work than one pattern's
    // matches. Directories are still searched in order, each once per pattern. A sequential
    // counter gains nothing from that and keeps each search at the point where its matches are
    // counted.
    virtual bool countsAhead() const { return false; }
    // True for a counter that does the run's searches as well, on other threads: the run then
    // hands it every directory entry and the patterns at once (searchAll), takes each entry's
    // results, one per pattern in searchPathOf's paths, in order (searched) and does not
    // announce the matches.
    virtual bool searchesAhead() const { return false; }
    virtual void searchAll(std::vector<std::string> entries, std::vector<std::string> patterns) {
        (void)entries;
        (void)patterns;
    }
    virtual std::vector<SearchResult> searched(std::size_t entry) {
        (void)entry;
        return {};
    }
    virtual FileOutcome count(const std::string& fullPath) = 0;
};

// Counts each match when it is asked for, on the calling thread.
class SequentialFileCounter final : public FileCounter {
  public:
    SequentialFileCounter(FileSystem& fileSystem, const CodePage& codePage)
        : fileSystem_(fileSystem), codePage_(codePage) {}
    FileOutcome count(const std::string& fullPath) override {
        return countFile(fileSystem_, codePage_, fullPath);
    }

  private:
    FileSystem& fileSystem_;
    CodePage codePage_;
};

// One execution of the Count command.
void CountRun(CountHost& host, FileSystem& fileSystem = systemFileSystem(),
              const CodePage& codePage = CodePage::system());

// The same run, with the outcomes of the matches supplied by `counter`.
void CountRun(CountHost& host, FileSystem& fileSystem, FileCounter& counter,
              const CodePage& codePage = CodePage::system());

}  // namespace lw
