#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/table_writer.h"
#include "count/count_run.h"

namespace lw::cli {

// One commit of a history: its hash, its committer date, and the totals of a count of its tree.
struct HistoryRow {
    std::string commit;
    std::int64_t time = 0;  // seconds since 1970, UTC
    RunTotals totals;
};

// The rows, newest first, in one of the formats; svg draws them as a chart (svg_chart.h).
void formatHistory(std::string& out, const std::vector<HistoryRow>& rows, Format format);

}  // namespace lw::cli
