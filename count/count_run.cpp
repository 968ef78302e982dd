#include "count/count_run.h"

#include <charconv>
#include <cstdio>
#include <deque>
#include <new>

#include "count/line_classifier.h"
#include "count/line_source.h"
#include "count/path_text.h"
#include "count/split_list.h"
#include "count/utf16_decoder.h"

namespace lw {

namespace {

// How many matches a counter that works ahead is told of beyond the directory whose outcomes the
// run is taking: enough to keep a few workers busy across directories of few files each, few
// enough that the paths held cost little memory.
constexpr std::size_t kMatchesAhead = 1024;

// What "%i" writes, without a format string to parse for each of the four cells of every row.
std::string decimal(std::int32_t value) {
    char text[16];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end.ptr);
}

void addCounts(RunTotals& totals, const FileCounts& counts) {
    totals.fixmes = saturatingAdd(totals.fixmes, counts.fixmes);
    totals.code = saturatingAdd(totals.code, counts.code);
    totals.comments = saturatingAdd(totals.comments, counts.comments);
    totals.total = saturatingAdd(totals.total, counts.total);
}

// Entry 0 in the form the enumeration gives the directories it searched, with one separator
// behind it, so that a match below entry 0 loses exactly that prefix.
std::string basePathOf(FileSystem& fileSystem, const std::string& entry) {
    // Made absolute with the separator that a search path puts behind the entry, so that an
    // entry naming a drive ("C:") stands for its root as it does in a search.
    return joinPath(fileSystem.absolutePath(entry + kSeparator), "");
}

void writeRow(CountHost& host, const std::string& relative, const FileCounts& counts) {
    const int row = host.appendRow(host.rowCount(), relative);
    host.setRowTag(row, row);
    host.setCellText(row, 1, decimal(counts.fixmes));
    host.setCellText(row, 2, decimal(counts.code));
    host.setCellText(row, 3, decimal(counts.comments));
    host.setCellText(row, 4, decimal(counts.total));
}

}  // namespace

std::string FormatStatusLine(const RunTotals& totals) {
    char text[128];
    const int length =
        std::snprintf(text, sizeof text, "Files: %i FIXMEs: %i Code: %i Comments: %i Total: %i",
                      static_cast<int>(totals.files), static_cast<int>(totals.fixmes),
                      static_cast<int>(totals.code), static_cast<int>(totals.comments),
                      static_cast<int>(totals.total));
    return std::string(text, static_cast<std::size_t>(length));
}

FileOutcome countFile(FileSystem& fileSystem, const CodePage& codePage,
                      const std::string& fullPath) {
    FileOutcome outcome;
    const std::unique_ptr<ReadableFile> file =
        withUtf16Decoding(fileSystem.openForReading(fullPath));
    if (!file) {
        outcome.status = FileStatus::OpenFailed;
        return outcome;
    }
    // One buffer per thread for all its files: no allocation and no fresh pages for each file.
    thread_local ReadBuffer buffer(FileLineSource::kDefaultBufferSize);
    FileLineSource source(*file, buffer);
    bool failed = false;
    try {
        outcome.counts = LineClassifier(codePage).classifyFile(source);
        failed = source.failed();
    } catch (const std::bad_alloc&) {
        // A line is held whole while it is classified; a line larger than the memory left is
        // given up like a read error rather than ending the whole run.
        failed = true;
    }
    buffer.shrinkTo(FileLineSource::kDefaultBufferSize);
    if (failed) {
        // Counts up to a read error describe only part of the file; showing them as the file's
        // would pass a failure off as a result.
        outcome.status = FileStatus::ReadFailed;
        outcome.counts = FileCounts{};
    }
    return outcome;
}

void CountRun(CountHost& host, FileSystem& fileSystem, const CodePage& codePage) {
    SequentialFileCounter counter(fileSystem, codePage);
    CountRun(host, fileSystem, counter, codePage);
}

void CountRun(CountHost& host, FileSystem& fileSystem, FileCounter& counter,
              const CodePage& codePage) {
    host.refreshFromWindow();
    if (host.directoryCount() == 0) {
        host.showMessage(kNoDirectoriesMessage);
        return;
    }
    ExtensionList extensions;
    if (SplitList(host.extensionsText(), extensions, ";", codePage) == 0) {
        host.showMessage(kNoExtensionsMessage);
        return;
    }

    host.deleteAllRows();
    host.enableCount(false);
    std::string basePath;
    RunTotals& totals = host.totals();
    totals = RunTotals{};

    const auto consume = [&](const std::vector<std::string>& matches) {
        for (const std::string& fullPath : matches) {
            totals.files = saturatingAdd(totals.files, 1);
            const FileOutcome outcome = counter.count(fullPath);
            switch (outcome.status) {
                case FileStatus::OpenFailed:
                    host.showMessage(kFailedToOpenPrefix + fullPath);
                    break;
                case FileStatus::ReadFailed:
                    host.showMessage(kFailedToReadPrefix + fullPath);
                    break;
                case FileStatus::Counted:
                    writeRow(host, relativePath(fullPath, basePath), outcome.counts);
                    addCounts(totals, outcome.counts);
                    break;
            }
        }
    };
    const auto search = [&](const std::string& entry, const std::string& pattern) {
        std::string searchPath = entry;
        searchPath += kSeparator;
        searchPath += pattern;
        std::vector<std::string> matches = fileSystem.enumerate(searchPath);
        counter.upcoming(matches);
        return matches;
    };

    // For a counter that works ahead: the matches of the directories searched before their turn,
    // one list per pattern, and how many matches they hold in all, once the directory whose
    // outcomes the run takes has been taken from them.
    std::deque<std::vector<std::vector<std::string>>> ahead;
    std::size_t matchesAhead = 0;
    int searched = 0;
    const auto searchAhead = [&] {
        std::vector<std::vector<std::string>> lists;
        const std::string entry = host.directoryText(searched);
        for (const std::string& pattern : extensions) {
            lists.push_back(search(entry, pattern));
            matchesAhead += lists.back().size();
        }
        ahead.push_back(std::move(lists));
        ++searched;
    };

    for (int i = 0; i < host.directoryCount(); ++i) {
        host.selectDirectory(i);
        const std::string entry = host.directoryText(i);
        if (i == 0) {
            basePath = basePathOf(fileSystem, entry);
        }
        if (!counter.countsAhead()) {
            for (const std::string& pattern : extensions) {
                consume(search(entry, pattern));
            }
            continue;
        }
        if (searched <= i) {
            searchAhead();
        }
        const std::vector<std::vector<std::string>> lists = std::move(ahead.front());
        ahead.pop_front();
        for (const std::vector<std::string>& matches : lists) {
            matchesAhead -= matches.size();
        }
        // Searching on past this directory keeps the counter busy while the run takes this
        // directory's outcomes, instead of leaving it idle at every directory boundary.
        while (searched < host.directoryCount() && matchesAhead < kMatchesAhead) {
            searchAhead();
        }
        for (const std::vector<std::string>& matches : lists) {
            consume(matches);
        }
    }

    host.formatStatusLine();
    host.showResults();
    host.enableCount(true);
}

}  // namespace lw
