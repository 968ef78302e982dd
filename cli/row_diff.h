#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/baseline.h"
#include "count/count_run.h"
#include "count/result_row.h"

namespace lw::cli {

// How a row of this run stands against the earlier run it is compared with.
enum class ChangeKind { Added, Removed, Changed, Same };

// "added", "removed", "changed" or "same", and back.
std::string_view changeKindName(ChangeKind kind);
std::optional<ChangeKind> changeKindNamed(std::string_view name);

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

inline constexpr std::uint32_t kNoMatch = std::numeric_limits<std::uint32_t>::max();

// For each new key, the index of the old key it is matched with, or kNoMatch: keys match by
// their bytes, and among equal keys the first new one takes the first old one, the second the
// second, and so on.
std::vector<std::uint32_t> matchInOrder(std::span<const std::string_view> newKeys,
                                        std::span<const std::string_view> oldKeys);

// Drops the rows whose change is Same, and their changes, keeping the order of the others.
template <typename Row, typename Change>
void dropUnchanged(std::vector<Row>& rows, std::vector<Change>& changes) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (changes[i].kind != ChangeKind::Same) {
            if (kept != i) {
                rows[kept] = std::move(rows[i]);
                changes[kept] = changes[i];
            }
            ++kept;
        }
    }
    rows.resize(kept);
    changes.resize(kept);
}

// Matches the rows with the earlier run's by the bytes of their paths (matchInOrder). Fills one
// change per row, appends the earlier rows left unmatched as removed rows (their counts empty),
// and with onlyChanged drops the rows that stayed the same.
void compareRows(std::vector<ResultRow>& rows, const Baseline& baseline, bool onlyChanged,
                 std::vector<RowChange>& changes);

TotalsChange compareTotals(const RunTotals& totals, const RunTotals& old);

// "+3", "-1" or "0".
std::string signedText(std::int64_t value);

// The gates a run may be held to; the messages of those it exceeds.
struct Limits {
    std::optional<std::int64_t> maxFixmes;
    std::optional<std::int64_t> maxNewFixmes;
};
std::vector<std::string> exceededLimits(const Limits& limits, const RunTotals& totals,
                                        const std::optional<TotalsChange>& change);

}  // namespace lw::cli
