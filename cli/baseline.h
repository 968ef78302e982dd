#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/json_reader.h"
#include "count/count_run.h"
#include "count/result_row.h"

namespace lw::cli {

// A row of an earlier run: where its path's bytes lie in Baseline::paths, and its fixmes,
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

// The four counts of a row of a run, from its cells.
std::array<std::int32_t, 4> rowCounts(const ResultRow& row);

// The rows and totals of a run of this program, as a baseline to compare another run with.
Baseline baselineOf(const std::vector<ResultRow>& rows, const RunTotals& totals);

// Reads the --format json output of an earlier run, with or without its own comparison; its
// removed rows are not part of that run and are left out. Throws JsonError at the first thing
// that such output would not hold, including rows that do not add up to the totals.
Baseline parseBaseline(std::string_view text);
// The same from a reader; textSize, when known, lets the rows be kept without copying them.
Baseline parseBaseline(JsonReader& json, std::size_t textSize = 0);

// The same from the file, read piece by piece; returns the message when it cannot be compared
// with.
std::optional<std::string> readBaseline(const std::string& fileName, Baseline& baseline);

}  // namespace lw::cli
