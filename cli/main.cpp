#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/compare.h"
#include "cli/output.h"
#include "cli/parallel_file_counter.h"
#include "count/code_page.h"
#include "count/count_run.h"
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
    "Exit status: 0 if every matching file was counted, 1 if any could not be opened or read\n"
    "or a directory could not be searched, 2 on a usage error or an OLD that is not such output,\n"
    "3 if nothing failed but a --max limit was exceeded.\n";

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

unsigned defaultJobs() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int cores = CPU_COUNT(&set);
        if (cores > 0) {
            return static_cast<unsigned>(cores);
        }
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
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
    CommandLineHost(std::vector<std::string> directories, std::string extensions)
        : directories_(std::move(directories)), extensions_(std::move(extensions)) {}

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
    void formatStatusLine() override { result_.status = FormatStatusLine(result_.totals); }
    void showResults() override {}
    void enableCount(bool) override {}
    void showMessage(const std::string& text) override {
        // A message before the rows are cleared is one of the run's opening checks.
        if (!started_) {
            rejected_ = true;
        }
        message(text);
    }

    bool rejected() const { return rejected_; }
    RunResult& result() { return result_; }

  private:
    std::vector<std::string> directories_;
    std::string extensions_;
    RunResult result_;
    bool started_ = false;
    bool rejected_ = false;
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
            writeAll(kUsage, stdout);
            return kExitOk;
        }
        if (name == "--version" && !attached) {
            writeAll("linewright-count " LINEWRIGHT_VERSION "\n", stdout);
            return kExitOk;
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

int run(int argc, char** argv) {
    CodePage::setSystem(CodePage::fromLocale());

    Options options;
    if (const std::optional<int> status = parseArguments(argc, argv, options)) {
        return *status;
    }
    if (options.jobs == 0) {
        options.jobs = defaultJobs();
    }
    // Read before the count, so that a wrong file costs no run.
    Baseline baseline;
    if (options.compare) {
        if (const std::optional<std::string> error = readBaseline(*options.compare, baseline)) {
            message(*error);
            return kExitUsage;
        }
    }

    // Each directory is read once for all the patterns rather than once for each.
    const std::unique_ptr<FileSystem> listing = makeListingFileSystem();
    FileSystem& fileSystem = *listing;
    bool walkFailed = false;
    std::vector<std::string> directories;
    for (const std::string& given : options.directories) {
        std::string entry = RemoveTrailingSeparators(given);
        directories.push_back(entry);
        if (options.recurse) {
            walkSubdirectories(
                fileSystem, entry, [&](const std::string& path) { directories.push_back(path); },
                [&](const std::string& text) {
                    walkFailed = true;
                    message(text);
                });
        }
    }

    CommandLineHost host(std::move(directories), options.extensions);
    std::unique_ptr<FileCounter> counter;
    if (options.jobs > 1) {
        counter =
            std::make_unique<ParallelFileCounter>(fileSystem, CodePage::system(), options.jobs);
    } else {
        counter = std::make_unique<SequentialFileCounter>(fileSystem, CodePage::system());
    }
    RecordingCounter recording(*counter, host.result().failed);
    progress.start(::isatty(STDERR_FILENO) == 1);
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

    std::string out;
    // Room enough for a row in any format, its changes too, so that the text is not copied as it
    // grows; what stays unused is never touched and costs no memory.
    out.reserve(64 * 1024 + host.result().rows.size() * (result.totalsChange ? 256 : 128));
    formatResult(out, host.result(), options.format);
    writeAll(out, stdout);
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "linewright-count: cannot write the output: %s\n",
                     std::strerror(errno));
        return kExitFailed;
    }
    // The gates speak even when a file failed, but the failure decides the status: a run that
    // missed files has not shown that the limits hold.
    const std::vector<std::string> exceeded =
        exceededLimits(options.limits, result.totals, result.totalsChange);
    for (const std::string& text : exceeded) {
        message(text);
    }
    if (!result.failed.empty() || walkFailed) {
        return kExitFailed;
    }
    return exceeded.empty() ? kExitOk : kExitLimit;
}

}  // namespace
}  // namespace lw::cli

int main(int argc, char** argv) {
    return lw::cli::run(argc, argv);
}
