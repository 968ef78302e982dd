#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/json_reader.h"
#include "count/count_run.h"
#include "count/result_row.h"

namespace lw::cli {

// How a row of this run stands against the earlier run it is compared with.
enum class ChangeKind { Added, Removed, Changed, Same };

// A row's change since the earlier run, of fixmes, code, comments and total in this order: the
// new count less the old, an added row's own counts, a removed row's counts negated. Counts lie
// in 0 to INT32_MAX, so their differences fit 32 bits too.
struct RowChange {
    ChangeKind kind = ChangeKind::Same;
    std::array<std::int32_t, 4> counts{};
};

// The change of the run's totals since the earlier run.
struct TotalsChange {
    std::int64_t files = 0;
    std::int64_t fixmes = 0;
    std::int64_t code = 0;
    std::int64_t comments = 0;
    std::int64_t total = 0;
};

// A row of the earlier run: where its path's bytes lie in Baseline::paths, and its fixmes,
// code, comments and total.
struct BaselineRow {
    std::uint32_t pathStart = 0;
    std::uint32_t pathLength = 0;
    std::array<std::int32_t, 4> counts{};
};

// The rows of an earlier run, their paths kept end to end in one string: a baseline of many
// thousand rows then costs two allocations rather than one per path.
struct Baseline {
    std::string paths;
    std::vector<BaselineRow> rows;
    RunTotals totals;

    std::string_view path(const BaselineRow& row) const {
        return std::string_view(paths).substr(row.pathStart, row.pathLength);
    }
    void addRow(std::string_view path, const std::array<std::int32_t, 4>& counts) {
        rows.push_back({static_cast<std::uint32_t>(paths.size()),
                        static_cast<std::uint32_t>(path.size()), counts});
        paths += path;
    }
};

// Reads the --format json output of an earlier run, with or without its own comparison; its
// removed rows are not part of that run and are left out. Throws JsonError at the first thing
// that such output would not hold, including rows that do not add up to the totals.
Baseline parseBaseline(std::string_view text);
// The same from a reader; textSize, when known, lets the rows be kept without copying them.
Baseline parseBaseline(JsonReader& json, std::size_t textSize = 0);

// The same from the file, read piece by piece; returns the message when it cannot be compared
// with.
std::optional<std::string> readBaseline(const std::string& fileName, Baseline& baseline);

// Matches the rows with the earlier run's by the bytes of their paths; among rows of the same
// path the first matches the first, the second the second, and so on. Fills one change per row,
// appends the earlier rows left unmatched as removed rows (their counts empty), and with
// onlyChanged drops the rows that stayed the same.
void compareRows(std::vector<ResultRow>& rows, const Baseline& baseline, bool onlyChanged,
                 std::vector<RowChange>& changes);

TotalsChange compareTotals(const RunTotals& totals, const Baseline& baseline);

// The columns --sort takes: path, the four counts, then the four changes.
inline constexpr std::array<std::string_view, 9> kSortColumns = {
    "path",        "fixmes",          "code",        "comments", "total", "fixmes-change",
    "code-change", "comments-change", "total-change"};
inline constexpr int kFirstChangeColumn = 5;

// Sorts the rows, and their changes if there are any, by a column of kSortColumns: paths by
// unsigned bytes, numbers ascending; rows that compare equal keep their order.
void sortRows(std::vector<ResultRow>& rows, std::vector<RowChange>& changes, int column);

// The texts of the change columns: "+3", "-1" or "0" for each count, then the kind.
std::array<std::string, 5> changeCells(const RowChange& change);
inline constexpr std::array<const char*, 5> kChangeHeadings = {
    "FIXMEs change", "Code change", "Comments change", "Total change", "Change"};

// "Change: FIXMEs +3 Code -12 Comments 0 Total -9"
std::string changeStatusLine(const TotalsChange& change);

// The members the json output adds for a comparison, each with its leading comma.
void appendJsonRowChange(std::string& out, const RowChange& change);
void appendJsonTotalsChange(std::string& out, const TotalsChange& change);

// The gates a run may be held to; the messages of those it exceeds.
struct Limits {
    std::optional<std::int64_t> maxFixmes;
    std::optional<std::int64_t> maxNewFixmes;
};
std::vector<std::string> exceededLimits(const Limits& limits, const RunTotals& totals,
                                        const std::optional<TotalsChange>& change);

// Lower-case hexadecimal of the bytes, and back; fromHex takes either case and gives nothing for
// text that is not pairs of hexadecimal digits.
std::string toHex(std::string_view bytes);
std::optional<std::string> fromHex(std::string_view hex);

}  // namespace lw::cli
