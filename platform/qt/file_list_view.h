#pragma once

#include <QAbstractTableModel>
#include <QTreeView>
#include <cstdint>
#include <string>
#include <vector>

#include "count/result_row.h"
#include "platform/file_list.h"

class QKeyEvent;

namespace lw {

// The 16-bit virtual-key code that the key-down notification carries for a Qt key event: Delete
// 46 and the letters 'A'..'Z'; 0 for the keys nothing looks at.
int virtualKeyFor(const QKeyEvent& event);

// The rows of the File List. Cell texts are the engine's bytes, decoded only for display.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void addColumn(int index, const std::string& heading, int format);
    void clearRows();
    int insertRowAt(int index, const std::string& text);
    void setTag(int row, std::intptr_t tag);
    std::intptr_t tag(int row) const;
    void setCellText(int row, int column, const std::string& text);
    const std::string& cellText(int row, int column) const;  // empty text for a missing cell
    // Removes the rows at the given ascending indices (others are ignored): a contiguous run in one
    // model removal; scattered rows by moving the kept ones to the front in one layout change and
    // removing the tail at once, so the cost stays linear in the number of rows.
    void removeRowsAscending(const std::vector<int>& rows);
    // Puts the rows in the order given by `order` (a permutation of the row indices), in one
    // layout change that keeps selections and the current index with their rows.
    void reorder(const std::vector<int>& order);

    const std::string& heading(int column) const;  // empty for a missing column

  private:
    struct Column {
        std::string heading;
        int format;
    };
    std::vector<Column> columns_;
    std::vector<ResultRow> rows_;
};

// The File List on a tree view: report style, extended selection, no editing, no sorting of its
// own, clickable headings. Reports three events as signals, which the dialog turns into its
// hooks.
class FileListView : public QTreeView, public FileList {
    Q_OBJECT
  public:
    explicit FileListView(QWidget* parent = nullptr);

    FileListModel& model() const { return *model_; }

    void insertColumn(int index, const std::string& heading, int format, int widthPixels) override;
    void setStretchColumn(int column) override { stretchColumn_ = column; }
    void deleteAllRows() override;
    int rowCount() const override;
    int insertRow(int index, const std::string& text) override;
    void setTag(int row, std::intptr_t tag) override;
    void renumberTags(int first) override;
    std::intptr_t tag(int row) const;
    void setCellText(int row, int column, const std::string& text) override;
    std::string cellText(int row, int column) const override;
    // Amortised O(log n), so walking every selected row of a large table stays near-linear.
    int nextSelectedRow(int after) const override;
    // The headings and the selected rows as tab-separated lines, each ending in a line feed.
    QString selectedRowsText() const;
    void deleteRows(const std::vector<int>& ascending) override;
    // A stable sort of the tags.
    void sort(Comparison comparison, std::intptr_t context) override;

  signals:
    void headerItemClicked(int column);
    void doubleClicked();
    void keyDown(int virtualKey);  // before the view handles the key itself

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

  private:
    const std::vector<int>& selectedRows() const;
    void invalidateSelectedRows() { selectionCacheValid_ = false; }

    FileListModel* model_;
    int stretchColumn_ = -1;
    // The selected rows in ascending order, rebuilt only when the selection or the rows change,
    // so a walk over every selected row costs one sort, not one scan per step.
    mutable std::vector<int> selectedRows_;
    mutable bool selectionCacheValid_ = false;
};

}  // namespace lw
