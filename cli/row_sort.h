#pragma once

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/row_diff.h"
#include "count/result_row.h"

namespace lw::cli {

// A column to sort by: a field, or with a comparison the change of a count. Files exists only
// for rows summed by directory; path is the first column, a file's path or a directory.
enum class SortField { Path, Files, Fixmes, Code, Comments, Total };
struct SortKey {
    SortField field = SortField::Path;
    bool change = false;

    bool operator==(const SortKey&) const = default;
};

// "path", "files", "fixmes", "code", "comments", "total", and "files-change" to "total-change";
// nothing for any other name. "path-change" is none.
std::optional<SortKey> sortKeyNamed(std::string_view name);
std::string sortKeyName(SortKey key);

// The order of n items that sorts them by `less` and keeps equal ones as they were.
template <typename Less>
std::vector<std::size_t> stableOrder(std::size_t n, Less less) {
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), less);
    return order;
}

// The items in the given order; an empty vector stays empty.
template <typename T>
void reorder(std::vector<T>& items, const std::vector<std::size_t>& order) {
    if (items.empty()) {
        return;
    }
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const std::size_t i : order) {
        sorted.push_back(std::move(items[i]));
    }
    items = std::move(sorted);
}

// Sorts the rows, and their changes if there are any, as the File List sorts: paths by unsigned
// bytes, numbers ascending; rows that compare equal keep their order, and the tags follow. The
// key's field is not Files, which file rows lack.
void sortRows(std::vector<ResultRow>& rows, std::vector<RowChange>& changes, SortKey key);

}  // namespace lw::cli
