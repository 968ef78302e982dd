#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/baseline.h"
#include "cli/by_directory.h"
#include "cli/count_command.h"
#include "cli/git_support.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/row_sort.h"
#include "cli/system.h"
#include "count/code_page.h"
#include "count/parallel_file_counter.h"

#ifndef LINEWRIGHT_VERSION
#define LINEWRIGHT_VERSION "0"
#endif

namespace lw::cli {

// What the count leaves behind, taken back by the process's end all at once: freeing the rows and
// the listings of a large tree one by one takes longer than making the output. Reachable through
// a pointer that other files could read, so that neither the compiler drops it nor a leak
// checker takes it for a leak.
struct Remains {
    std::unique_ptr<FileSystem> listing;
    CountOutcome outcome;
};
Remains* remains = nullptr;

}  // namespace lw::cli

namespace lw::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLimit = 3;

int usageError(Messages& messages, const std::string& text) {
    messages.message(text);
    messages.tryHelp();
    return kExitUsage;
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
    const std::size_t kept = directoriesKeptOpen(budget);
    // Two while a directory is listed, and one for what the libraries may open on the way;
    // each worker may list a directory while it holds a file open.
    const std::size_t forListing = kept + 3;
    const std::size_t forWorkers = budget > forListing ? (budget - forListing) / 2 : 1;
    return {kept, static_cast<unsigned>(std::clamp<std::size_t>(forWorkers, 1, jobs))};
}

CountRequest requestOf(const Options& options) {
    CountRequest request;
    request.directories = options.directories;
    request.extensions = options.extensions;
    request.recurse = options.recurse;
    request.jobs = options.jobs;
    return request;
}

// The other side of a comparison: the file of --compare, or a count of --compare-rev's tree.
struct Comparison {
    Baseline baseline;
    int status = kExitOk;  // 1 when part of the tree at the revision could not be read
};

// Reports what a count of a revision's tree could not read; true when there was anything.
bool reportReadFailures(const RevisionTree& tree, const std::string& prefix, Messages& messages) {
    const std::vector<std::string> failures = tree.readFailures();
    for (const std::string& failure : failures) {
        messages.message(prefix + failure);
    }
    return !failures.empty();
}

int run(int argc, char** argv) {
    prepareStandardStreams();
    CodePage::setSystem(CodePage::fromLocale());
    Messages messages;

    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    ParsedArguments parsed = parseArguments(arguments, gitSupport());
    switch (parsed.action) {
        case Action::Help:
            return writeOutput(usageText(gitSupport()), messages);
        case Action::Version:
            return writeOutput("linewright-count " LINEWRIGHT_VERSION "\n", messages);
        case Action::UsageError:
            return usageError(messages, parsed.error);
        case Action::Run:
            break;
    }
    Options& options = parsed.options;
    if (options.jobs == 0) {
        options.jobs = defaultWorkerCount();
    }
    if (options.history) {
        return runHistory(options, messages);
    }

    // Everything that can refuse the run is read before the count, so that a wrong file or
    // revision costs no run.
    std::optional<Comparison> comparison;
    if (options.compare) {
        comparison.emplace();
        if (const std::optional<std::string> error =
                readBaseline(*options.compare, comparison->baseline)) {
            messages.message(*error);
            return kExitUsage;
        }
        baselineToSystemText(comparison->baseline);
    }
    std::unique_ptr<Revisions> revisions;
    std::unique_ptr<RevisionTree> counted;
    std::unique_ptr<RevisionTree> old;
    if (options.rev || options.compareRev) {
        try {
            revisions = openRevisions(options.gitDir);
            if (options.rev) {
                counted = revisions->tree(*options.rev);
            }
            if (options.compareRev) {
                old = revisions->tree(*options.compareRev);
            }
        } catch (const RevisionError& e) {
            messages.message(e.what());
            return e.status();
        }
    }
    messages.startProgress(standardErrorIsTerminal());
    if (old) {
        // A DIR that the revision lacks is new since then: its files are added, and nothing
        // failed. What could not be read is another matter.
        CountRequest request = requestOf(options);
        request.messagePrefix = "at " + *options.compareRev + ": ";
        request.quietSearchFailures = true;
        CountOutcome then = countDirectories(request, old->fileSystem(), messages);
        if (then.rejected) {
            messages.tryHelp();
            return kExitUsage;
        }
        comparison.emplace();
        comparison->baseline = baselineOf(then.result.rows, then.result.totals);
        if (!then.result.failed.empty() ||
            reportReadFailures(*old, request.messagePrefix, messages)) {
            comparison->status = kExitFailed;
        }
    }

    std::unique_ptr<FileSystem> listing;
    CountOutcome now;
    if (counted) {
        // What cannot be read of the tree is reported by the run, as a directory it cannot
        // search.
        now = countDirectories(requestOf(options), counted->fileSystem(), messages);
    } else {
        // Each directory is read once for all the patterns rather than once for each, where the
        // platform's listing can do so.
        const DescriptorShare share = shareDescriptors(options.jobs);
        CountRequest request = requestOf(options);
        request.jobs = share.workers;
        listing = makeListingFileSystem(share.keptDirectories);
        now = countDirectories(request, *listing, messages);
    }
    if (now.rejected) {
        messages.tryHelp();
        return kExitUsage;
    }

    RunResult& result = now.result;
    std::vector<DirectoryRow> directories;
    std::vector<DirectoryChange> directoryChanges;
    if (options.byDirectory) {
        directories = sumByDirectory(result.rows, *options.byDirectory);
    }
    if (comparison) {
        if (options.byDirectory) {
            compareDirectories(directories,
                               sumByDirectory(comparison->baseline, *options.byDirectory),
                               options.onlyChanged, directoryChanges);
        } else {
            compareRows(result.rows, comparison->baseline, options.onlyChanged, result.changes);
        }
        result.totalsChange = compareTotals(result.totals, comparison->baseline.totals);
    }
    if (options.sort) {
        if (options.byDirectory) {
            sortDirectories(directories, directoryChanges, *options.sort);
        } else {
            sortRows(result.rows, result.changes, *options.sort);
        }
    }

    if (options.format == Format::Json) {
        for (ResultRow& row : result.rows) {
            row.cells[0] = toUtf8(row.cells[0]);
        }
        for (DirectoryRow& row : directories) {
            row.directory = toUtf8(row.directory);
        }
        for (std::string& path : result.failed) {
            path = toUtf8(path);
        }
    }
    std::string out;
    OutputWriter writer;
    if (options.byDirectory) {
        // Room enough for a row in any format, its changes too, so that the text is not copied
        // as it grows; what stays unused is never touched and costs no memory.
        out.reserve(64 * 1024 + directories.size() * (result.totalsChange ? 256 : 128));
        formatDirectories(out, directories, directoryChanges, result, options.format);
    } else {
        // The rows go out as they are made, through one piece of memory: the output of a large
        // tree is megabytes that would each be touched for the first time.
        out.reserve(2 * kPieceSize);
        formatResult(out, result, options.format, [&writer](std::string& piece) {
            writer.write(piece);
            piece.clear();
        });
    }
    if (writer.finish(out, messages) != kExitOk) {
        return kExitFailed;
    }
    // The gates speak even when a file failed, but the failure decides the status: a run that
    // missed files has not shown that the limits hold.
    const std::vector<std::string> exceeded =
        exceededLimits(options.limits, result.totals, result.totalsChange);
    for (const std::string& text : exceeded) {
        messages.message(text);
    }
    const int status =
        !result.failed.empty() || now.searchFailed || (comparison && comparison->status != kExitOk)
            ? kExitFailed
        : exceeded.empty() ? kExitOk
                           : kExitLimit;
    remains = new Remains{std::move(listing), std::move(now)};
    return status;
}

}  // namespace
}  // namespace lw::cli

int main(int argc, char** argv) {
    return lw::cli::run(argc, argv);
}
