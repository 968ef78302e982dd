#include "cli/row_diff.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace lw::cli {

namespace {

constexpr std::array<std::string_view, 4> kChangeNames = {"added", "removed", "changed", "same"};

}  // namespace

std::string_view changeKindName(ChangeKind kind) {
    return kChangeNames[static_cast<std::size_t>(kind)];
}

std::optional<ChangeKind> changeKindNamed(std::string_view name) {
    const auto* found = std::find(kChangeNames.begin(), kChangeNames.end(), name);
    if (found == kChangeNames.end()) {
        return std::nullopt;
    }
    return static_cast<ChangeKind>(found - kChangeNames.begin());
}

std::vector<std::uint32_t> matchInOrder(std::span<const std::string_view> newKeys,
                                        std::span<const std::string_view> oldKeys) {
    // The old keys in a table of open addressing: a slot holds an index of its key, which names
    // the slot, and the first index of that key not yet matched; next[i] is the index of the same
    // key after i. Flat arrays, as a baseline may hold a great many rows.
    struct Slot {
        std::uint32_t key = kNoMatch;
        std::uint32_t first = kNoMatch;
    };
    // At most two slots in three taken, so that a search ends soon.
    const std::size_t mask =
        std::bit_ceil(std::max<std::size_t>(16, oldKeys.size() * 3 / 2 + 1)) - 1;
    std::vector<Slot> slots(mask + 1);
    const auto slotOf = [&](std::string_view key) -> Slot& {
        for (std::size_t i = std::hash<std::string_view>{}(key)&mask;; i = (i + 1) & mask) {
            if (slots[i].key == kNoMatch || oldKeys[slots[i].key] == key) {
                return slots[i];
            }
        }
    };
    std::vector<std::uint32_t> next(oldKeys.size(), kNoMatch);
    for (std::size_t i = oldKeys.size(); i-- > 0;) {
        Slot& slot = slotOf(oldKeys[i]);
        next[i] = slot.first;
        slot.key = slot.first = static_cast<std::uint32_t>(i);
    }
    std::vector<std::uint32_t> matches;
    matches.reserve(newKeys.size());
    for (const std::string_view key : newKeys) {
        Slot& slot = slotOf(key);
        const std::uint32_t j = slot.first;
        if (j != kNoMatch) {
            slot.first = next[j];
        }
        matches.push_back(j);
    }
    return matches;
}

void compareRows(std::vector<ResultRow>& rows, const Baseline& baseline, bool onlyChanged,
                 std::vector<RowChange>& changes) {
    const std::vector<BaselineRow>& old = baseline.rows;
    std::vector<std::string_view> newKeys;
    newKeys.reserve(rows.size());
    for (const ResultRow& row : rows) {
        newKeys.emplace_back(row.cells[0]);
    }
    std::vector<std::string_view> oldKeys;
    oldKeys.reserve(old.size());
    for (const BaselineRow& row : old) {
        oldKeys.push_back(baseline.path(row));
    }
    const std::vector<std::uint32_t> matches = matchInOrder(newKeys, oldKeys);

    std::vector<bool> matched(old.size(), false);
    changes.clear();
    changes.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        RowChange change;
        change.counts = rowCounts(rows[i]);
        if (const std::uint32_t j = matches[i]; j == kNoMatch) {
            change.kind = ChangeKind::Added;
        } else {
            matched[j] = true;
            for (std::size_t c = 0; c < 4; ++c) {
                change.counts[c] -= old[j].counts[c];
            }
            change.kind = change.counts == std::array<std::int32_t, 4>{} ? ChangeKind::Same
                                                                         : ChangeKind::Changed;
        }
        changes.push_back(change);
    }
    for (std::size_t j = 0; j < old.size(); ++j) {
        if (!matched[j]) {
            ResultRow row;
            row.cells[0] = oldKeys[j];
            row.tag = static_cast<std::intptr_t>(rows.size());
            rows.push_back(std::move(row));
            RowChange change;
            change.kind = ChangeKind::Removed;
            for (std::size_t c = 0; c < 4; ++c) {
                change.counts[c] = -old[j].counts[c];
            }
            changes.push_back(change);
        }
    }

    if (onlyChanged) {
        dropUnchanged(rows, changes);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i].tag = static_cast<std::intptr_t>(i);
        }
    }
}

TotalsChange compareTotals(const RunTotals& totals, const RunTotals& old) {
    return {std::int64_t{totals.files} - old.files, std::int64_t{totals.fixmes} - old.fixmes,
            std::int64_t{totals.code} - old.code, std::int64_t{totals.comments} - old.comments,
            std::int64_t{totals.total} - old.total};
}

std::string signedText(std::int64_t value) {
    std::string text = value > 0 ? "+" : "";
    text += std::to_string(value);
    return text;
}

std::vector<std::string> exceededLimits(const Limits& limits, const RunTotals& totals,
                                        const std::optional<TotalsChange>& change) {
    std::vector<std::string> messages;
    if (limits.maxFixmes && totals.fixmes > *limits.maxFixmes) {
        messages.push_back("the FIXMEs total " + std::to_string(totals.fixmes) +
                           " exceeds --max-fixmes " + std::to_string(*limits.maxFixmes) + " by " +
                           std::to_string(totals.fixmes - *limits.maxFixmes));
    }
    if (limits.maxNewFixmes && change && change->fixmes > *limits.maxNewFixmes) {
        messages.push_back("the FIXMEs total grew by " + std::to_string(change->fixmes) +
                           ", which exceeds --max-new-fixmes " +
                           std::to_string(*limits.maxNewFixmes) + " by " +
                           std::to_string(change->fixmes - *limits.maxNewFixmes));
    }
    return messages;
}

}  // namespace lw::cli
