#include "count/count_run.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <deque>

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

std::string statusLineText(const RunTotals& totals) {
    char text[128];
    const int length =
        std::snprintf(text, sizeof text, "Files: %i FIXMEs: %i Code: %i Comments: %i Total: %i",
                      static_cast<int>(totals.files), static_cast<int>(totals.fixmes),
                      static_cast<int>(totals.code), static_cast<int>(totals.comments),
                      static_cast<int>(totals.total));
    return std::string(text, static_cast<std::size_t>(length));
}

std::string FailureMessage(const char* prefix, const std::string& fullPath,
                           const std::string& reason) {
    std::string text = prefix + fullPath;
    if (!reason.empty()) {
        text += "\n\n";
        text += reason;
    }
    return text;
}

FileOutcome countFile(FileSystem& fileSystem, const CodePage& codePage,
                      const std::string& fullPath) {
    FileOutcome outcome;
    OpenResult opened = fileSystem.openForReading(fullPath);
    if (!opened.file) {
        outcome.status = FileStatus::OpenFailed;
        outcome.failure = std::move(opened.failure);
        return outcome;
    }
    const std::unique_ptr<ReadableFile> file = withUtf16Decoding(std::move(opened.file));
    // One buffer per thread for all its files: no allocation and no fresh pages for each file.
    // It never grows: a line longer than the buffer is classified piece by piece.
    thread_local ReadBuffer buffer(FileLineSource::kDefaultBufferSize);
    FileLineSource source(*file, buffer);
    outcome.counts = LineClassifier(codePage).classifyFile(source);
    if (source.failed()) {
        // Counts up to a read error describe only part of the file; showing them as the file's
        // would pass a failure off as a result.
        outcome.status = file->refusedAsOpen() ? FileStatus::OpenFailed : FileStatus::ReadFailed;
        outcome.counts = FileCounts{};
        outcome.failure = file->readFailure();
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

    // The directories of the current entry whose search failed and were reported: every pattern
    // searches the same directory again, and it is reported once.
    std::vector<std::string> failedDirectories;
    const auto consume = [&](const std::string& entry, const std::string& pattern,
                             const SearchResult& search) {
        for (const std::string& fullPath : search.paths) {
            totals.files = saturatingAdd(totals.files, 1);
            const FileOutcome outcome = counter.count(fullPath);
            switch (outcome.status) {
                case FileStatus::OpenFailed:
                    host.showMessage(
                        FailureMessage(kFailedToOpenPrefix, fullPath, outcome.failure));
                    break;
                case FileStatus::ReadFailed:
                    host.showMessage(
                        FailureMessage(kFailedToReadPrefix, fullPath, outcome.failure));
                    break;
                case FileStatus::Counted:
                    writeRow(host, relativePath(fullPath, basePath), outcome.counts);
                    addCounts(totals, outcome.counts);
                    break;
            }
        }
        if (search.failure) {
            const std::string directory = searchDirectory(searchPathOf(entry, pattern));
            if (std::find(failedDirectories.begin(), failedDirectories.end(), directory) ==
                failedDirectories.end()) {
                failedDirectories.push_back(directory);
                host.searchFailed(directory, *search.failure);
            }
        }
    };
    // Every pattern's search of a directory entry at once: a file system that lists each
    // directory once looks the listing up once for all of them.
    const auto searchEach = [&](const std::string& entry) {
        std::vector<SearchResult> searches = fileSystem.enumerateEach(entry, extensions);
        for (const SearchResult& found : searches) {
            counter.upcoming(found.paths);
        }
        return searches;
    };

    // For a counter that works ahead: the searches of the directories made before their turn,
    // one per pattern, and how many matches they hold in all, once the directory whose outcomes
    // the run takes has been taken from them.
    std::deque<std::vector<SearchResult>> ahead;
    std::size_t matchesAhead = 0;
    int searched = 0;
    const auto searchAhead = [&] {
        std::vector<SearchResult> searches = searchEach(host.directoryText(searched));
        for (const SearchResult& found : searches) {
            matchesAhead += found.paths.size();
        }
        ahead.push_back(std::move(searches));
        ++searched;
    };

    if (counter.searchesAhead()) {
        // The workers make the search paths themselves, so that they start at once rather than
        // after this thread has made one for every pattern of every directory.
        const auto entryCount = static_cast<std::size_t>(host.directoryCount());
        std::vector<std::string> entries(entryCount);
        for (std::size_t i = 0; i < entryCount; ++i) {
            entries[i] = host.directoryText(static_cast<int>(i));
        }
        counter.searchAll(std::move(entries), extensions);
        for (std::size_t i = 0; i < entryCount; ++i) {
            host.selectDirectory(static_cast<int>(i));
            const std::string entry = host.directoryText(static_cast<int>(i));
            if (i == 0) {
                basePath = basePathOf(fileSystem, entry);
            }
            failedDirectories.clear();
            const std::vector<SearchResult> searches = counter.searched(i);
            for (std::size_t p = 0; p < searches.size(); ++p) {
                consume(entry, extensions[p], searches[p]);
            }
        }
        host.FormatStatusLine();
        host.showResults();
        host.enableCount(true);
        return;
    }

    for (int i = 0; i < host.directoryCount(); ++i) {
        host.selectDirectory(i);
        const std::string entry = host.directoryText(i);
        if (i == 0) {
            basePath = basePathOf(fileSystem, entry);
        }
        failedDirectories.clear();
        if (!counter.countsAhead()) {
            const std::vector<SearchResult> searches = searchEach(entry);
            for (std::size_t p = 0; p < searches.size(); ++p) {
                consume(entry, extensions[p], searches[p]);
            }
            continue;
        }
        if (searched <= i) {
            searchAhead();
        }
        const std::vector<SearchResult> searches = std::move(ahead.front());
        ahead.pop_front();
        for (const SearchResult& found : searches) {
            matchesAhead -= found.paths.size();
        }
        // Searching on past this directory keeps the counter busy while the run takes this
        // directory's outcomes, instead of leaving it idle at every directory boundary.
        while (searched < host.directoryCount() && matchesAhead < kMatchesAhead) {
            searchAhead();
        }
        for (std::size_t p = 0; p < searches.size(); ++p) {
            consume(entry, extensions[p], searches[p]);
        }
    }

    host.FormatStatusLine();
    host.showResults();
    host.enableCount(true);
}

}  // namespace lw
