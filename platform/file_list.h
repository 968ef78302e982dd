#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

inline constexpr int kVirtualKeyDelete = 46;

// Column formats as the list view knows them.
inline constexpr int kFormatLeft = 0;
inline constexpr int kFormatRight = 1;
inline constexpr int kFormatCenter = 2;

// The File List: a table in report view, several rows selectable, no editing, no sorting of its
// own, clickable headings, one integer tag per row. Texts are the engine's bytes. Ctrl+A selects
// every row; Ctrl+C copies the headings and the selected rows as tab-separated lines (either key
// still reaches the dialog's OnListKeyDown first). Appending, sorting and deleting 100,000 rows
// costs no more than n log n.
class FileList {
  public:
    // Receives the tags of two rows and the context; negative, zero or positive.
    using Comparison = std::int32_t (*)(std::intptr_t tagA, std::intptr_t tagB,
                                        std::intptr_t context);

    virtual ~FileList() = default;

    virtual void insertColumn(int index, const std::string& heading, int format,
                              int widthPixels) = 0;
    // The column that takes the width the list gains when it grows (and gives it back).
    virtual void setStretchColumn(int column) = 0;
    virtual void deleteAllRows() = 0;
    virtual int rowCount() const = 0;
    virtual int insertRow(int index, const std::string& text) = 0;  // the new row's index
    virtual void setTag(int row, std::intptr_t tag) = 0;            // changes nothing else
    // Sets the tag of every row from `first` on to the row's index, in one batch.
    virtual void renumberTags(int first) = 0;
    virtual void setCellText(int row, int column, const std::string& text) = 0;
    // The cell's text; empty for a missing cell.
    virtual std::string cellText(int row, int column) const = 0;
    // The lowest selected row greater than `after` (-1 to start), or -1.
    virtual int nextSelectedRow(int after) const = 0;
    // Removes the rows at the given ascending indices in one batch.
    virtual void deleteRows(const std::vector<int>& ascending) = 0;
    // Orders the rows ascending by the comparison. The list moves its rows meanwhile, so the
    // comparison must not read them: it is handed the tags, and the context carries what it
    // compares.
    virtual void sort(Comparison comparison, std::intptr_t context) = 0;
};

}  // namespace lw
