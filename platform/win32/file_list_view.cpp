#include "platform/win32/file_list_view.h"

#include <algorithm>
#include <cstring>

#include "platform/file_list_rules.h"
#include "platform/win32/text.h"

namespace lw::win32 {

namespace {

// Cell texts are paths of at most MAX_PATH bytes and short numbers; a longer text is read again
// with a larger buffer.
constexpr int kFirstTextBuffer = MAX_PATH + 1;
constexpr int kLargestText = 1 << 20;
// Up to this many rows a batch removes them one by one; more, and the list is written afresh.
constexpr int kFewestRebuilt = 16;

// What LVM_SORTITEMS hands to the comparison thunk.
struct SortState {
    FileListView::Comparison comparison;
    std::intptr_t context;
};

// Widths are given for the usual 96 dots per inch; on a denser screen they grow with it, as the
// dialog's own controls do.
int scaledForScreen(HWND window, int pixels) {
    HDC dc = GetDC(window);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
    if (dc != nullptr) {
        ReleaseDC(window, dc);
    }
    return dpi > 0 ? MulDiv(pixels, dpi, 96) : pixels;
}

// The width a heading needs in its header so that it shows whole: its text in the header's font,
// and the margin the header leaves on either side of it.
int headingWidth(HWND header, const std::string& heading) {
    HDC dc = GetDC(header);
    if (dc == nullptr) {
        return 0;
    }
    HGDIOBJ before =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(header, WM_GETFONT, 0, 0)));
    SIZE text{};
    GetTextExtentPoint32A(dc, heading.c_str(), static_cast<int>(heading.size()), &text);
    SelectObject(dc, before);
    ReleaseDC(header, dc);
    return text.cx + 2 * 3 * GetSystemMetrics(SM_CXEDGE);
}

int windowWidth(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

int CALLBACK compareByComparison(LPARAM tagA, LPARAM tagB, LPARAM state) {
    const auto& sort = *reinterpret_cast<const SortState*>(state);
    const std::int32_t order = sort.comparison(tagA, tagB, sort.context);
    if (order != 0) {
        return order < 0 ? -1 : 1;
    }
    // Equal rows stay in the order they had: between operations a tag is the row's index.
    return tagA < tagB ? -1 : (tagA > tagB ? 1 : 0);
}

}  // namespace

FileListView::FileListView(HWND listView) {
    attach(listView);
}

void FileListView::attach(HWND listView) {
    view_ = ListView(listView);
    updateDepth_ = 0;
    stretchColumn_ = -1;
    view_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                           LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
}

void FileListView::insertColumn(int index, const std::string& heading, int format,
                                int widthPixels) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    // The given width, as wide as the screen's density makes the text, and never so narrow that
    // the heading is cut ("Comments" needs more than 65 pixels in the dialog font).
    column.cx = std::max(scaledForScreen(view_.hwnd(), widthPixels),
                         headingWidth(view_.GetHeader(), heading));
    column.pszText = const_cast<char*>(heading.c_str());
    column.iSubItem = index;
    view_.InsertColumn(index, column);
}

void FileListView::deleteAllRows() {
    view_.DeleteAllItems();
}

int FileListView::rowCount() const {
    return view_.GetItemCount();
}

int FileListView::insertRow(int index, const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    return view_.InsertItem(item);
}

void FileListView::setTag(int row, std::intptr_t tag) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = tag;
    view_.SetItem(item);
}

void FileListView::renumberTags(int first) {
    // A tag set while the view draws makes it repaint that row, a round trip to the window
    // system each; in one batch the view repaints once.
    beginUpdate();
    const int rows = rowCount();
    for (int row = std::max(first, 0); row < rows; ++row) {
        setTag(row, row);
    }
    endUpdate();
}

std::intptr_t FileListView::tag(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return view_.GetItem(item) ? item.lParam : 0;
}

void FileListView::setCellText(int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    view_.SetItemText(row, item);
}

std::string FileListView::cellText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0) {
        return {};
    }
    return readCell(row, column);
}

std::string FileListView::readCell(int row, int column) const {
    std::string text;
    for (int size = kFirstTextBuffer; size <= kLargestText; size *= 4) {
        text.assign(static_cast<std::size_t>(size), '\0');
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = size;
        const int copied = view_.GetItemText(row, item);
        // A text that fills the buffer may have been cut: read it again with room to spare.
        if (copied < size - 1) {
            // The list view may answer with a text of its own instead of copying into ours.
            if (item.pszText != text.data()) {
                return item.pszText != nullptr ? std::string(item.pszText) : std::string();
            }
            text.resize(static_cast<std::size_t>(std::max(copied, 0)));
            return text;
        }
    }
    text.resize(std::strlen(text.c_str()));
    return text;
}

int FileListView::columnCount() const {
    return std::max(view_.GetColumnCount(), 1);
}

int FileListView::nextSelectedRow(int after) const {
    return view_.GetNextItem(after, LVNI_SELECTED);
}

void FileListView::deleteRows(const std::vector<int>& ascending) {
    const int total = rowCount();
    const std::vector<int> rows = rowsToDelete(ascending, total);
    if (rows.empty()) {
        return;
    }
    std::vector<char> doomed(static_cast<std::size_t>(total), 0);
    for (int row : rows) {
        doomed[static_cast<std::size_t>(row)] = 1;
    }
    const int doomedCount = static_cast<int>(rows.size());
    beginUpdate();
    if (doomedCount == total) {
        view_.DeleteAllItems();
    } else if (doomedCount <= kFewestRebuilt) {
        for (int row = total - 1; row >= 0; --row) {
            if (doomed[static_cast<std::size_t>(row)] != 0) {
                view_.DeleteItem(row);
            }
        }
    } else {
        rebuildWithout(doomed);
    }
    endUpdate();
}

void FileListView::rebuildWithout(const std::vector<char>& doomed) {
    // A removal costs a pass over the list, in some list views a search through all items, so
    // removing many one by one would cost rows times removals. The rows that stay are written
    // afresh instead, with their tags, selection and focus, and the view keeps its place.
    struct KeptRow {
        std::vector<std::string> cells;
        LPARAM tag;
        UINT state;
    };
    const int total = static_cast<int>(doomed.size());
    const int columns = columnCount();
    const UINT stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    const int top = view_.GetTopIndex();
    const int mark = view_.GetSelectionMark();
    int newTop = 0;
    int newMark = -1;
    std::vector<KeptRow> kept;
    kept.reserve(static_cast<std::size_t>(total));
    for (int row = 0; row < total; ++row) {
        if (row < top || (row == top && doomed[static_cast<std::size_t>(row)] != 0)) {
            newTop = static_cast<int>(kept.size());
        }
        if (doomed[static_cast<std::size_t>(row)] != 0) {
            continue;
        }
        if (row == mark) {
            newMark = static_cast<int>(kept.size());
        }
        KeptRow keep{{}, tag(row), view_.GetItemState(row, stateMask)};
        keep.cells.reserve(static_cast<std::size_t>(columns));
        for (int column = 0; column < columns; ++column) {
            keep.cells.push_back(readCell(row, column));
        }
        kept.push_back(std::move(keep));
    }
    view_.DeleteAllItems();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        KeptRow& row = kept[i];
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        item.iItem = static_cast<int>(i);
        item.pszText = row.cells[0].data();
        item.lParam = row.tag;
        item.state = row.state;
        item.stateMask = stateMask;
        const int index = view_.InsertItem(item);
        for (int column = 1; column < columns; ++column) {
            if (!row.cells[static_cast<std::size_t>(column)].empty()) {
                setCellText(index, column, row.cells[static_cast<std::size_t>(column)]);
            }
        }
    }
    view_.SetSelectionMark(newMark);
    RECT first{};
    if (newTop > 0 && view_.GetItemRect(0, first, LVIR_BOUNDS)) {
        view_.Scroll(0, newTop * (first.bottom - first.top));
    }
}

void FileListView::sort(Comparison comparison, std::intptr_t context) {
    if (comparison == nullptr) {
        return;
    }
    // The comparison sees tags and its context only (the caller's copy of the texts it orders
    // by): the list view moves its items while it sorts, so the list itself is no source then.
    SortState state{comparison, context};
    beginUpdate();
    view_.SortItems(compareByComparison, reinterpret_cast<LPARAM>(&state));
    endUpdate();
}

void FileListView::setStretchColumn(int column) {
    stretchColumn_ = column;
    fittedWidth_ = windowWidth(view_.hwnd());
}

void FileListView::fitStretchColumn() {
    // The window's width, not the client area's: a scroll bar that comes and goes as rows are
    // added must not move the columns.
    const int width = windowWidth(view_.hwnd());
    const int gained = width - fittedWidth_;
    fittedWidth_ = width;
    if (stretchColumn_ < 0 || stretchColumn_ >= view_.GetColumnCount() || gained == 0) {
        return;
    }
    const int current = view_.GetColumnWidth(stretchColumn_);
    view_.SetColumnWidth(stretchColumn_, stretchedColumnWidth(current, gained));
}

void FileListView::beginUpdate() {
    if (updateDepth_++ == 0) {
        view_.SetRedraw(false);
    }
}

void FileListView::endUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0) {
        view_.SetRedraw(true);
        view_.Invalidate();
    }
}

std::string FileListView::selectedRowsText() const {
    std::vector<std::string> headings;
    char heading[256];
    for (int column = 0; column < view_.GetColumnCount(); ++column) {
        LVCOLUMNA info{};
        info.mask = LVCF_TEXT;
        heading[0] = '\0';
        info.pszText = heading;
        info.cchTextMax = sizeof heading;
        view_.GetColumn(column, info);
        headings.emplace_back(info.pszText != nullptr ? info.pszText : "");
    }
    // The system's clipboard text ends its lines in CR LF.
    return selectedRowsAsText(*this, headings, "\r\n");
}

namespace {

// Puts `size` bytes on the open clipboard in `format`; the clipboard owns them once it took them.
bool placeOnClipboard(UINT format, const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) {
        return false;
    }
    bool placed = false;
    if (void* bytes = GlobalLock(memory)) {
        std::memcpy(bytes, data, size);
        GlobalUnlock(memory);
        placed = SetClipboardData(format, memory) != nullptr;
    }
    if (!placed) {
        GlobalFree(memory);
    }
    return placed;
}

}  // namespace

bool FileListView::copySelection() const {
    const std::string text = selectedRowsText();
    // The wide text is what other programs paste: they would read the narrow one in their own
    // code page, which need not be this program's (UTF-8, or an older system's).
    const std::wstring wide = wideFromAnsi(text);
    if (!OpenClipboard(view_.hwnd())) {
        return false;
    }
    EmptyClipboard();
    const bool placedWide =
        placeOnClipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    const bool placedNarrow = placeOnClipboard(CF_TEXT, text.c_str(), text.size() + 1);
    CloseClipboard();
    return placedWide && placedNarrow;
}

void FileListView::selectAll() {
    view_.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

}  // namespace lw::win32
