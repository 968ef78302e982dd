#include "platform/file_list_rules.h"

#include <algorithm>

#include "platform/file_list.h"

namespace lw {

int stretchedColumnWidth(int currentWidth, int gained) {
    return std::max(kNarrowestStretchColumn, currentWidth + gained);
}

std::vector<int> rowsToDelete(const std::vector<int>& ascending, int rowCount) {
    std::vector<int> rows;
    rows.reserve(ascending.size());
    for (int row : ascending) {
        if (row >= 0 && row < rowCount && (rows.empty() || row > rows.back())) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::string selectedRowsAsText(const FileList& list, const std::vector<std::string>& headings,
                               std::string_view lineEnd) {
    std::string text;
    if (headings.empty()) {
        return text;
    }
    const auto appendLine = [&](const auto& cell) {
        for (std::size_t column = 0; column < headings.size(); ++column) {
            if (column > 0) {
                text += '\t';
            }
            text += cell(static_cast<int>(column));
        }
        text += lineEnd;
    };
    appendLine([&](int column) { return headings[static_cast<std::size_t>(column)]; });
    for (int row = list.nextSelectedRow(-1); row != -1; row = list.nextSelectedRow(row)) {
        appendLine([&](int column) { return list.cellText(row, column); });
    }
    return text;
}

}  // namespace lw
