#include "cli/row_sort.h"

#include <array>

#include "count/row_compare.h"

namespace lw::cli {

namespace {

constexpr std::array<std::string_view, 6> kFieldNames = {"path", "files",    "fixmes",
                                                         "code", "comments", "total"};
constexpr std::string_view kChangeSuffix = "-change";

}  // namespace

std::optional<SortKey> sortKeyNamed(std::string_view name) {
    SortKey key;
    if (name.ends_with(kChangeSuffix)) {
        key.change = true;
        name.remove_suffix(kChangeSuffix.size());
    }
    const auto* found = std::find(kFieldNames.begin(), kFieldNames.end(), name);
    if (found == kFieldNames.end()) {
        return std::nullopt;
    }
    key.field = static_cast<SortField>(found - kFieldNames.begin());
    if (key.change && key.field == SortField::Path) {
        return std::nullopt;
    }
    return key;
}

std::string sortKeyName(SortKey key) {
    std::string name(kFieldNames[static_cast<std::size_t>(key.field)]);
    if (key.change) {
        name += kChangeSuffix;
    }
    return name;
}

void sortRows(std::vector<ResultRow>& rows, std::vector<RowChange>& changes, SortKey key) {
    // Cell 1 is fixmes; the changes hold fixmes at 0.
    const auto count =
        static_cast<std::size_t>(key.field) - static_cast<std::size_t>(SortField::Fixmes);
    const std::vector<std::size_t> order =
        stableOrder(rows.size(), [&](std::size_t a, std::size_t b) {
            if (key.change) {
                return changes[a].counts[count] < changes[b].counts[count];
            }
            if (key.field == SortField::Path) {
                return compareRowTexts(rows[a].cells[0], rows[b].cells[0]) < 0;
            }
            return compareRowNumbers(rows[a].cells[count + 1], rows[b].cells[count + 1]) < 0;
        });
    reorder(rows, order);
    reorder(changes, order);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].tag = static_cast<std::intptr_t>(i);
    }
}

}  // namespace lw::cli
