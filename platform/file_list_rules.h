#pragma once

// The File List's rules that do not depend on the toolkit, for both backends' list views.

#include <string>
#include <string_view>
#include <vector>

namespace lw {

class FileList;

// The stretch column never shrinks below this, so a narrow window still shows that it is there.
inline constexpr int kNarrowestStretchColumn = 20;

// The width of the stretch column once the list has gained `gained` pixels of width (negative
// when it lost them): the change goes to that column alone.
int stretchedColumnWidth(int currentWidth, int gained);

// The rows of a batch delete that exist: strictly ascending indices below `rowCount`; repeats,
// indices out of range and any that break the ascending order are passed over.
std::vector<int> rowsToDelete(const std::vector<int>& ascending, int rowCount);

// The headings and the selected rows of the list, one line each ending in `lineEnd`, cells
// separated by tabs: what a copy of the selection puts on the clipboard.
std::string selectedRowsAsText(const FileList& list, const std::vector<std::string>& headings,
                               std::string_view lineEnd);

}  // namespace lw
