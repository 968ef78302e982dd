#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/row_diff.h"
#include "cli/table_writer.h"
#include "count/count_run.h"
#include "count/result_row.h"

namespace lw::cli {

// What one count run left behind, as the command line prints it.
struct RunResult {
    std::vector<ResultRow> rows;
    RunTotals totals;
    std::vector<std::string> failed;  // full paths that could not be opened or read
    std::string status;
    // With a comparison: the change of each row, in the rows' order, and of the totals.
    std::vector<RowChange> changes;
    std::optional<TotalsChange> totalsChange;
};

// The texts of the change columns: "+3", "-1" or "0" for each count, then the kind.
std::array<std::string, 5> changeCells(const RowChange& change);

// "Change: FIXMEs +3 Code -12 Comments 0 Total -9"
std::string changeStatusLine(const TotalsChange& change);

// What follows the rows of a run in every format: the status lines of the table; the totals,
// their change, the failed files and the status line in JSON.
TableEnd runEnd(const RunResult& result, std::string_view jsonArray);

// Appends the whole output of a run, a row per file, in one of the formats table, tsv, csv and
// json; with `pieces`, passes it on in pieces as it is made.
void formatResult(std::string& out, const RunResult& result, Format format,
                  const TablePieces& pieces = {});

}  // namespace lw::cli
