#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/baseline.h"
#include "cli/output.h"
#include "cli/row_diff.h"
#include "cli/row_sort.h"
#include "count/result_row.h"

namespace lw::cli {

// The sums of the rows of one directory: files, fixmes, code, comments and total, saturated as
// the run's totals are. A removed row of a comparison has no counts of its own.
struct DirectoryRow {
    std::string directory;
    std::array<std::int32_t, 5> counts{};
    bool removed = false;
};

// A directory's change since the earlier run, of the five counts in the same order.
struct DirectoryChange {
    ChangeKind kind = ChangeKind::Same;
    std::array<std::int32_t, 5> counts{};
};

// The directory a row's path is summed into: with depth 0 the path up to its last separator ("",
// the base, for a path without one), otherwise at most its first `depth` components. The root of
// a full path belongs to its first component ("/usr" at depth 1); a file in the root is in "/".
std::string directoryOf(std::string_view path, unsigned depth);

// The rows summed by directory, the directories in the order in which the rows first meet them.
std::vector<DirectoryRow> sumByDirectory(const std::vector<ResultRow>& rows, unsigned depth);
std::vector<DirectoryRow> sumByDirectory(const Baseline& baseline, unsigned depth);

// Matches the directories with the earlier run's by name, fills one change each, appends the
// earlier ones left unmatched as removed rows, and with onlyChanged drops those that stayed the
// same.
void compareDirectories(std::vector<DirectoryRow>& rows, const std::vector<DirectoryRow>& old,
                        bool onlyChanged, std::vector<DirectoryChange>& changes);

// As sortRows: directories by unsigned bytes, numbers ascending (a removed row's as 0), stable.
void sortDirectories(std::vector<DirectoryRow>& rows, std::vector<DirectoryChange>& changes,
                     SortKey key);

// The directories in a format of the run's, followed by what ends the run's output (runEnd).
void formatDirectories(std::string& out, const std::vector<DirectoryRow>& rows,
                       const std::vector<DirectoryChange>& changes, const RunResult& run,
                       Format format);

}  // namespace lw::cli
