#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/compare.h"
#include "cli/output.h"
#include "cli/system.h"
#include "count/code_page.h"
#include "count/count_run.h"
#include "count/parallel_file_counter.h"
#include "count/path_text.h"
#include "count/subdirectory_walk.h"

#ifndef LINEWRIGHT_VERSION
#define LINEWRIGHT_VERSION "0"
#endif

namespace lw::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLimit = 3;

constexpr char kUsage[] =
    "Usage: linewright-count [options] DIR...\n"
    "Counts the FIXME lines, code, comments and counted lines of the files in each DIR whose\n"
    "names match the patterns. The first DIR is the base of the relative paths.\n"
    "\n"
    "Options:\n"
    "  -e, --extensions TEXT  patterns separated by ';' (default "
    "\"*.c;*.cpp;*.h;*.hxx;*.cxx;*.inl\")\n"
    "  -r, --recurse          follow each DIR by all of its subdirectories\n"
    "      --format FORMAT    table (default), tsv, csv or json\n"
    "      --sort COLUMN      sort the rows by path, fixmes, code, comments or total, or by\n"
    "                         fixmes-change, code-change, comments-change or total-change\n"
    "  -j, --jobs N           files counted at once (default: the number of cores)\n"
    "      --compare OLD      compare with OLD, the --format json output of an earlier run:\n"
    "                         each row gains its changes and added, removed, changed or same\n"
    "      --only-changed     with --compare, leave out the rows that stayed the same\n"
    "      --max-fixmes N     exit with 3 when the FIXMEs total exceeds N\n"
    "      --max-new-fixmes N\n"
    "                         with --compare, exit with 3 when the FIXMEs total grew by more\n"
    "                         than N\n"
    "      --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "Exit status: 0 if every matching file was counted, 1 if any could not be opened or read,\n"
    "a directory could not be searched or the output could not be written, 2 on a usage error\n"
    "or an OLD that is not such output, 3 if nothing failed but a --max limit was exceeded.\n";

void writeAll(std::string_view text, std::FILE* stream) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

// A one-line count of the files done, on a terminal only, and only once a run has lasted long
// enough for a user to wonder; redirected standard error gets nothing of it.
class Progress {
  public:
    using Clock = std::chrono::steady_clock;

    void start(bool enabled) {
        enabled_ = enabled;
        started_ = Clock::now();
    }
    void fileDone() {
        ++files_;
        if (!enabled_ || (files_ & 15) != 0) {
            return;
        }
        const Clock::time_point now = Clock::now();
        if (now - started_ < std::chrono::milliseconds(500) ||
            (shown_ && now - lastShown_ < std::chrono::milliseconds(100))) {
            return;
        }
        lastShown_ = now;
        shown_ = true;
        std::fprintf(stderr, "\rlinewright-count: %llu files", files_);
        std::fflush(stderr);
    }
    // Erases the line, so that a message or the end of the run leaves no trace of it.
    void erase() {
        if (shown_) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
            shown_ = false;
        }
    }

  private:
    bool enabled_ = false;
    bool shown_ = false;
    unsigned long long files_ = 0;
    Clock::time_point started_;
    Clock::time_point lastShown_;
};

Progress progress;

void message(std::string_view text) {
    progress.erase();
    writeAll(messageLine(text), stderr);
}

int usageError(const std::string& text) {
    message(text);
    writeAll("Try 'linewright-count --help' for more information.\n", stderr);
    return kExitUsage;
}

// Writes the program's output and closes standard output, so that a failure anywhere on the way,
// the final flush and close included, is seen: output that did not arrive is reported, never
// passed off as success. A reader that went away (a broken pipe) ends the program quietly.
int writeOutput(std::string_view text) {
    int error = 0;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (std::fclose(stdout) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (error == 0) {
        return kExitOk;
    }
    if (error != EPIPE) {
        // An error number of the C runtime, whose text is strerror's on every system.
        message("cannot write the output: " + std::generic_category().message(error));
    }
    return kExitFailed;
}

struct Options {
    std::vector<std::string> directories;
    std::string extensions = kDefaultExtensions;
    bool recurse = false;
    Format format = Format::Table;
    int sortColumn = -1;  // -1 keeps the order of the run
    unsigned jobs = 0;
    std::optional<std::string> compare;
    bool onlyChanged = false;
    Limits limits;
};

// The host that a count run drives from the command line: the directory list and the pattern
// text come from the arguments, rows and totals are kept for the output, messages go to stderr.
class CommandLineHost final : public CountHost {
  public:
    // `reported`: the directories whose search the walk reported as failed.
    CommandLineHost(std::vector<std::string> directories, std::string extensions,
                    std::vector<std::string> reported)
        : directories_(std::move(directories)),
          extensions_(std::move(extensions)),
          reported_(std::move(reported)) {}

    void refreshFromWindow() override {}
    std::string extensionsText() override { return extensions_; }
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
    void FormatStatusLine() override { result_.status = lw::FormatStatusLine(result_.totals); }
    void showResults() override {}
    void enableCount(bool) override {}
    void showMessage(const std::string& text) override {
        // A message before the rows are cleared is one of the run's opening checks.
        if (!started_) {
            rejected_ = true;
        }
        message(text);
    }
    // Unlike the window, the command line says when a directory it was given cannot be searched:
    // a mistyped path must not look like an empty directory. A directory that the walk already
    // reported is not reported again.
    void searchFailed(const std::string& directory, const std::string& reason) override {
        if (std::find(reported_.begin(), reported_.end(), directory) == reported_.end()) {
            reportSearchFailure(directory, reason);
        }
        searchFailed_ = true;
    }

    static void reportSearchFailure(const std::string& directory, const std::string& reason) {
        progress.erase();
        writeAll(
            searchFailureLine(directory.empty() ? std::string(1, kSeparator) : directory, reason),
            stderr);
    }

    bool rejected() const { return rejected_; }
    // Whether any directory could not be searched, by the walk or by the run.
    bool searchFailed() const { return searchFailed_ || !reported_.empty(); }
    RunResult& result() { return result_; }

  private:
    std::vector<std::string> directories_;
    std::string extensions_;
    std::vector<std::string> reported_;
    RunResult result_;
    bool started_ = false;
    bool rejected_ = false;
    bool searchFailed_ = false;
};

// Notes the full path of every match that failed, whoever counted it.
class RecordingCounter final : public FileCounter {
  public:
    RecordingCounter(FileCounter& inner, std::vector<std::string>& failed)
        : inner_(inner), failed_(failed) {}
    void upcoming(const std::vector<std::string>& fullPaths) override {
        inner_.upcoming(fullPaths);
    }
    bool countsAhead() const override { return inner_.countsAhead(); }
    FileOutcome count(const std::string& fullPath) override {
        FileOutcome outcome = inner_.count(fullPath);
        progress.fileDone();
        if (outcome.status != FileStatus::Counted) {
            failed_.push_back(fullPath);
        }
        return outcome;
    }

  private:
    FileCounter& inner_;
    std::vector<std::string>& failed_;
};

std::optional<unsigned> parseJobs(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value == 0 || value > 1024) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> parseLimit(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

// Returns an exit status when the arguments end the program before a run.
std::optional<int> parseArguments(int argc, char** argv, Options& options) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.directories.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        // The value of an option: attached ("-eX", "--extensions=X") or the next argument.
        std::string_view name = arg;
        std::optional<std::string_view> attached;
        if (arg.starts_with("--")) {
            if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
                name = arg.substr(0, equals);
                attached = arg.substr(equals + 1);
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            attached = arg.substr(2);
        }
        const auto value = [&]() -> std::optional<std::string_view> {
            if (attached) {
                return attached;
            }
            if (i + 1 < argc) {
                return std::string_view(argv[++i]);
            }
            return std::nullopt;
        };

        if (name == "--help" && !attached) {
            return writeOutput(kUsage);
        }
        if (name == "--version" && !attached) {
            return writeOutput("linewright-count " LINEWRIGHT_VERSION "\n");
        }
        if ((name == "-r" || name == "--recurse") && !attached) {
            options.recurse = true;
        } else if (name == "-e" || name == "--extensions") {
            const auto text = value();
            if (!text) {
                return usageError("option '" + std::string(name) + "' needs a pattern text");
            }
            options.extensions = std::string(*text);
        } else if (name == "--format") {
            const auto text = value();
            if (text == "table") {
                options.format = Format::Table;
            } else if (text == "tsv") {
                options.format = Format::Tsv;
            } else if (text == "json") {
                options.format = Format::Json;
            } else if (text == "csv") {
                options.format = Format::Csv;
            } else {
                return usageError("option '--format' takes table, tsv, csv or json");
            }
        } else if (name == "--sort") {
            const auto text = value();
            const auto* found = text ? std::find(kSortColumns.begin(), kSortColumns.end(), *text)
                                     : kSortColumns.end();
            if (found == kSortColumns.end()) {
                return usageError(
                    "option '--sort' takes path, fixmes, code, comments or total, or with "
                    "--compare fixmes-change, code-change, comments-change or total-change");
            }
            options.sortColumn = static_cast<int>(found - kSortColumns.begin());
        } else if (name == "--compare") {
            const auto text = value();
            if (!text) {
                return usageError("option '--compare' needs the file to compare with");
            }
            options.compare = std::string(*text);
        } else if (name == "--only-changed" && !attached) {
            options.onlyChanged = true;
        } else if (name == "--max-fixmes" || name == "--max-new-fixmes") {
            const auto text = value();
            const std::optional<std::int64_t> limit = text ? parseLimit(*text) : std::nullopt;
            if (!limit) {
                return usageError("option '" + std::string(name) +
                                  "' takes a number from 0 to 2147483647");
            }
            (name == "--max-fixmes" ? options.limits.maxFixmes : options.limits.maxNewFixmes) =
                limit;
        } else if (name == "-j" || name == "--jobs") {
            const auto text = value();
            const std::optional<unsigned> jobs = text ? parseJobs(*text) : std::nullopt;
            if (!jobs) {
                return usageError("option '" + std::string(name) +
                                  "' takes a number from 1 to 1024");
            }
            options.jobs = *jobs;
        } else {
            return usageError("unknown option '" + std::string(arg) + "'");
        }
    }
    // An empty DIR would search the root, which is never what an unset variable meant.
    if (std::find(options.directories.begin(), options.directories.end(), "") !=
        options.directories.end()) {
        return usageError("a DIR must not be empty");
    }
    // What compares with an earlier run has nothing to work on without one.
    if (!options.compare) {
        if (options.onlyChanged) {
            return usageError("option '--only-changed' needs --compare");
        }
        if (options.limits.maxNewFixmes) {
            return usageError("option '--max-new-fixmes' needs --compare");
        }
        if (options.sortColumn >= kFirstChangeColumn) {
            return usageError(
                "option '--sort " +
                std::string(kSortColumns[static_cast<std::size_t>(options.sortColumn)]) +
                "' needs --compare");
        }
    }
    return std::nullopt;
}

// Every worker holds one file open at a time, and the listing file system holds the directory it
// reads, a copy of its descriptor and the directories it keeps open. Under a low descriptor limit
// fewer directories are kept and fewer workers count, so that no file fails for want of a
// descriptor and the output stays what one worker gives.
struct DescriptorShare {
    std::size_t keptDirectories;
    unsigned workers;
};

DescriptorShare shareDescriptors(unsigned jobs) {
    const std::size_t budget = openFileBudget();
    const std::size_t kept = std::min<std::size_t>(32, budget / 4);
    // Two while a directory is listed, and one for what the libraries may open on the way.
    const std::size_t forListing = kept + 3;
    const std::size_t forFiles = budget > forListing ? budget - forListing : 1;
    return {kept, static_cast<unsigned>(std::clamp<std::size_t>(forFiles, 1, jobs))};
}

int run(int argc, char** argv) {
    prepareStandardStreams();
    CodePage::setSystem(CodePage::fromLocale());

    Options options;
    if (const std::optional<int> status = parseArguments(argc, argv, options)) {
        return *status;
    }
    if (options.jobs == 0) {
        options.jobs = defaultWorkerCount();
    }
    const DescriptorShare share = shareDescriptors(options.jobs);
    options.jobs = share.workers;
    // Read before the count, so that a wrong file costs no run.
    Baseline baseline;
    if (options.compare) {
        if (const std::optional<std::string> error = readBaseline(*options.compare, baseline)) {
            message(*error);
            return kExitUsage;
        }
        baselineToSystemText(baseline);
    }

    // Each directory is read once for all the patterns rather than once for each, where the
    // platform's listing can do so.
    const std::unique_ptr<FileSystem> listing = makeListingFileSystem(share.keptDirectories);
    FileSystem& fileSystem = *listing;
    std::vector<std::string> directories;
    std::vector<std::string> walkFailures;
    for (const std::string& given : options.directories) {
        std::string entry = RemoveTrailingSeparators(given);
        directories.push_back(entry);
        if (options.recurse) {
            const std::vector<SearchFailure> failures = walkSubdirectories(
                fileSystem, entry, [&](const std::string& path) { directories.push_back(path); });
            for (const SearchFailure& failure : failures) {
                CommandLineHost::reportSearchFailure(failure.directory, failure.reason);
                walkFailures.push_back(failure.directory);
            }
        }
    }

    CommandLineHost host(std::move(directories), options.extensions, std::move(walkFailures));
    std::unique_ptr<FileCounter> counter;
    if (options.jobs > 1) {
        counter =
            std::make_unique<ParallelFileCounter>(fileSystem, CodePage::system(), options.jobs);
    } else {
        counter = std::make_unique<SequentialFileCounter>(fileSystem, CodePage::system());
    }
    RecordingCounter recording(*counter, host.result().failed);
    progress.start(standardErrorIsTerminal());
    CountRun(host, fileSystem, recording, CodePage::system());
    counter.reset();
    progress.erase();

    RunResult& result = host.result();
    if (options.compare) {
        compareRows(result.rows, baseline, options.onlyChanged, result.changes);
        result.totalsChange = compareTotals(result.totals, baseline);
    }
    if (options.sortColumn >= 0) {
        sortRows(result.rows, result.changes, options.sortColumn);
    }

    if (host.rejected()) {
        writeAll("Try 'linewright-count --help' for more information.\n", stderr);
        return kExitUsage;
    }

    if (options.format == Format::Json) {
        for (ResultRow& row : host.result().rows) {
            row.cells[0] = toUtf8(row.cells[0]);
        }
        for (std::string& path : host.result().failed) {
            path = toUtf8(path);
        }
    }
    std::string out;
    // Room enough for a row in any format, its changes too, so that the text is not copied as it
    // grows; what stays unused is never touched and costs no memory.
    out.reserve(64 * 1024 + host.result().rows.size() * (result.totalsChange ? 256 : 128));
    formatResult(out, host.result(), options.format);
    if (writeOutput(out) != kExitOk) {
        return kExitFailed;
    }
    // The gates speak even when a file failed, but the failure decides the status: a run that
    // missed files has not shown that the limits hold.
    const std::vector<std::string> exceeded =
        exceededLimits(options.limits, result.totals, result.totalsChange);
    for (const std::string& text : exceeded) {
        message(text);
    }
    if (!result.failed.empty() || host.searchFailed()) {
        return kExitFailed;
    }
    return exceeded.empty() ? kExitOk : kExitLimit;
}

}  // namespace
}  // namespace lw::cli

int main(int argc, char** argv) {
    return lw::cli::run(argc, argv);
}
