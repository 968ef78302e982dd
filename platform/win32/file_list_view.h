#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_list.h"
#include "platform/win32/list_view.h"

namespace lw::win32 {

// The File List on a list view of a dialog in report view: several rows selectable, no editing,
// no sorting of its own, whole rows selected. The row's tag is the item's parameter (lParam).
// Texts are the engine's bytes, the ANSI code page's own, so nothing converts.
//
// Appending, sorting and deleting 100,000 rows cost no more than n log n: a sort reads every text
// once and lets the list view order the items; a large delete writes the rows that stay afresh.
class FileListView final : public FileList {
  public:
    // Selects whole rows (full-row select) on the list view.
    explicit FileListView(HWND listView);
    // The same File List on the list view of a new run of its dialog (as the first, a fresh one).
    void attach(HWND listView);
    FileListView(const FileListView&) = delete;
    FileListView& operator=(const FileListView&) = delete;

    void insertColumn(int index, const std::string& heading, int format, int widthPixels) override;
    void deleteAllRows() override;
    int rowCount() const override;
    int insertRow(int index, const std::string& text) override;  // the new row's index, or -1
    void setTag(int row, std::intptr_t tag) override;            // changes nothing else
    std::intptr_t tag(int row) const;                            // 0 for a missing row
    void renumberTags(int first) override;
    void setCellText(int row, int column, const std::string& text) override;
    // The cell's text; empty for a missing cell.
    std::string cellText(int row, int column) const override;
    // The lowest selected row greater than `after` (-1 to start), or -1.
    int nextSelectedRow(int after) const override;
    // Removes the rows at the given ascending indices in one batch; other indices are ignored.
    // The rows that stay keep their order, tags, selection and focus.
    void deleteRows(const std::vector<int>& ascending) override;
    // Orders the rows ascending by the comparison. Rows that compare equal keep their order.
    void sort(Comparison comparison, std::intptr_t context) override;
    // The column that takes the width the list view gains or loses when it is resized; the
    // other columns keep theirs, and what the user gave that column by hand is kept too.
    void setStretchColumn(int column) override;
    // Gives the stretch column what the list view's width changed by since the last call (or
    // since setStretchColumn). The dialog calls it after laying out its controls.
    void fitStretchColumn();
    // Many changes in a row: the view does not redraw until the outermost endUpdate.
    void beginUpdate();
    void endUpdate();

    // The headings and the selected rows as tab-separated lines, each ending in CR LF.
    std::string selectedRowsText() const;
    // Puts selectedRowsText() on the clipboard as text, wide and in the ANSI code page; false
    // when the clipboard was not had.
    bool copySelection() const;
    // Ctrl+A: every row selected.
    void selectAll();

    HWND hwnd() const { return view_.hwnd(); }

  private:
    std::string readCell(int row, int column) const;
    int columnCount() const;
    // Replaces the rows by those not marked in `doomed`, as they were.
    void rebuildWithout(const std::vector<char>& doomed);

    ListView view_;
    int updateDepth_ = 0;
    int stretchColumn_ = -1;
    int fittedWidth_ = 0;  // the list view's width when the stretch column last fitted it
};

}  // namespace lw::win32
