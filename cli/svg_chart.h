#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/history_output.h"

namespace lw::cli {

// A line chart of a history, 800 by 400: code (left axis) and FIXMEs (right axis) against the
// committer date. One SVG document, with no script, style sheet, font or image of its own to
// fetch, so that a browser and a Markdown preview show it alike.
std::string historyChart(const std::vector<HistoryRow>& rows);

// Round steps for an axis from 0 to at least `most`: the step (1, 2 or 5 times a power of ten)
// and the axis's top, a whole number of steps with about five in all.
struct AxisScale {
    std::int64_t step;
    std::int64_t top;
};
AxisScale axisScale(std::int64_t most);

// The ticks of a date axis from `first` to `last` (seconds since 1970, UTC): whole years, months,
// days or hours, whichever gives a handful, with their labels.
struct DateTick {
    std::int64_t time;
    std::string label;
};
std::vector<DateTick> dateTicks(std::int64_t first, std::int64_t last);

}  // namespace lw::cli
