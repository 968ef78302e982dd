#include "platform/qt/file_list_view.h"

#include "platform/file_list_rules.h"
#include "platform/qt/text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <algorithm>
#include <numeric>

namespace lw {

namespace {

constexpr int kCellCount = static_cast<int>(std::tuple_size_v<decltype(ResultRow::cells)>);

const std::string& emptyText() {
    static const std::string empty;
    return empty;
}

}  // namespace

int virtualKeyFor(const QKeyEvent& event) {
    // Only Delete means anything to the File List; letters are what the copy's Ctrl+C carries.
    const int key = event.key();
    if (key == Qt::Key_Delete) {
        return kVirtualKeyDelete;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return 'A' + (key - Qt::Key_A);
    }
    return 0;
}

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

namespace {

Qt::Alignment alignmentFor(int column, int format) {
    // The first column of a report list is always shown left-aligned, whatever it was given.
    if (column == 0 || format == kFormatLeft) {
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
    if (format == kFormatRight) {
        return Qt::AlignRight | Qt::AlignVCenter;
    }
    return Qt::AlignHCenter | Qt::AlignVCenter;
}

}  // namespace

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return fromBytes(cellText(index.row(), index.column()));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignmentFor(
                index.column(), columns_[static_cast<std::size_t>(index.column())].format));
        default:
            return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    const Column& column = columns_[static_cast<std::size_t>(section)];
    switch (role) {
        case Qt::DisplayRole:
            return fromBytes(column.heading);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignmentFor(section, column.format));
        default:
            return {};
    }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void FileListModel::addColumn(int index, const std::string& heading, int format) {
    index = std::clamp(index, 0, columnCount());
    beginInsertColumns(QModelIndex(), index, index);
    columns_.insert(columns_.begin() + index, Column{heading, format});
    endInsertColumns();
}

void FileListModel::clearRows() {
    if (rows_.empty()) {
        return;
    }
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int FileListModel::insertRowAt(int index, const std::string& text) {
    index = std::clamp(index, 0, rowCount());
    beginInsertRows(QModelIndex(), index, index);
    ResultRow row;
    row.cells[0] = text;
    rows_.insert(rows_.begin() + index, std::move(row));
    endInsertRows();
    return index;
}

void FileListModel::setTag(int row, std::intptr_t tag) {
    if (row >= 0 && row < rowCount()) {
        rows_[static_cast<std::size_t>(row)].tag = tag;
    }
}

std::intptr_t FileListModel::tag(int row) const {
    if (row < 0 || row >= rowCount()) {
        return 0;
    }
    return rows_[static_cast<std::size_t>(row)].tag;
}

void FileListModel::setCellText(int row, int column, const std::string& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kCellCount) {
        return;
    }
    rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)] = text;
    if (column < columnCount()) {
        const QModelIndex cell = index(row, column);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
}

const std::string& FileListModel::cellText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kCellCount) {
        return emptyText();
    }
    return rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
}

const std::string& FileListModel::heading(int column) const {
    if (column < 0 || column >= columnCount()) {
        return emptyText();
    }
    return columns_[static_cast<std::size_t>(column)].heading;
}

void FileListModel::removeRowsAscending(const std::vector<int>& requested) {
    const std::vector<int> doomed = rowsToDelete(requested, rowCount());
    if (doomed.empty()) {
        return;
    }
    const bool contiguous = doomed.back() - doomed.front() + 1 == static_cast<int>(doomed.size());
    if (contiguous) {
        beginRemoveRows(QModelIndex(), doomed.front(), doomed.back());
        rows_.erase(rows_.begin() + doomed.front(), rows_.begin() + doomed.back() + 1);
        endRemoveRows();
        return;
    }
    // Scattered rows: one erase per run would shift the tail once per run, which is quadratic for
    // a large scattered selection. Instead the kept rows move to the front in one layout change,
    // and the doomed ones, now a single run at the end, go in one removal.
    const int total = rowCount();
    const int kept = total - static_cast<int>(doomed.size());
    std::vector<int> newPosition(static_cast<std::size_t>(total));
    {
        int nextKept = 0;
        int nextDoomed = kept;
        std::size_t d = 0;
        for (int row = 0; row < total; ++row) {
            if (d < doomed.size() && doomed[d] == row) {
                newPosition[static_cast<std::size_t>(row)] = nextDoomed++;
                ++d;
            } else {
                newPosition[static_cast<std::size_t>(row)] = nextKept++;
            }
        }
    }
    std::vector<int> order(static_cast<std::size_t>(total));
    for (int row = 0; row < total; ++row) {
        order[static_cast<std::size_t>(newPosition[static_cast<std::size_t>(row)])] = row;
    }
    reorder(order);
    beginRemoveRows(QModelIndex(), kept, total - 1);
    rows_.erase(rows_.begin() + kept, rows_.end());
    endRemoveRows();
}

void FileListModel::reorder(const std::vector<int>& order) {
    const std::size_t total = rows_.size();
    if (order.size() != total) {
        return;
    }
    std::vector<int> newPosition(total, -1);
    for (std::size_t i = 0; i < total; ++i) {
        const int from = order[i];
        if (from < 0 || static_cast<std::size_t>(from) >= total ||
            newPosition[static_cast<std::size_t>(from)] != -1) {
            return;  // not a permutation: leave the rows as they are
        }
        newPosition[static_cast<std::size_t>(from)] = static_cast<int>(i);
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<ResultRow> reordered;
    reordered.reserve(total);
    for (int from : order) {
        reordered.push_back(std::move(rows_[static_cast<std::size_t>(from)]));
    }
    rows_ = std::move(reordered);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after.push_back(index(newPosition[static_cast<std::size_t>(old.row())], old.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

FileListView::FileListView(QWidget* parent) : QTreeView(parent), model_(new FileListModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);

    QHeaderView* heading = header();
    heading->setSectionsClickable(true);
    heading->setSectionsMovable(false);
    heading->setSortIndicatorShown(false);
    heading->setStretchLastSection(false);
    heading->setSectionResizeMode(QHeaderView::Interactive);
    heading->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(heading, &QHeaderView::sectionClicked, this, &FileListView::headerItemClicked);

    const auto invalidate = [this] { invalidateSelectedRows(); };
    connect(model_, &QAbstractItemModel::rowsInserted, this, invalidate);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, invalidate);
    connect(model_, &QAbstractItemModel::layoutChanged, this, invalidate);
    connect(model_, &QAbstractItemModel::modelReset, this, invalidate);
}

void FileListView::insertColumn(int index, const std::string& heading, int format,
                                int widthPixels) {
    model_->addColumn(index, heading, format);
    header()->resizeSection(std::clamp(index, 0, model_->columnCount() - 1), widthPixels);
}

void FileListView::deleteAllRows() {
    model_->clearRows();
}

int FileListView::rowCount() const {
    return model_->rowCount();
}

int FileListView::insertRow(int index, const std::string& text) {
    return model_->insertRowAt(index, text);
}

void FileListView::setTag(int row, std::intptr_t tag) {
    model_->setTag(row, tag);
}

void FileListView::renumberTags(int first) {
    for (int row = std::max(first, 0); row < model_->rowCount(); ++row) {
        model_->setTag(row, row);
    }
}

std::intptr_t FileListView::tag(int row) const {
    return model_->tag(row);
}

void FileListView::setCellText(int row, int column, const std::string& text) {
    model_->setCellText(row, column, text);
}

std::string FileListView::cellText(int row, int column) const {
    return model_->cellText(row, column);
}

const std::vector<int>& FileListView::selectedRows() const {
    if (!selectionCacheValid_) {
        selectedRows_.clear();
        if (const QItemSelectionModel* selection = selectionModel()) {
            for (const QItemSelectionRange& range : selection->selection()) {
                for (int row = range.top(); row <= range.bottom(); ++row) {
                    selectedRows_.push_back(row);
                }
            }
        }
        std::sort(selectedRows_.begin(), selectedRows_.end());
        selectedRows_.erase(std::unique(selectedRows_.begin(), selectedRows_.end()),
                            selectedRows_.end());
        selectionCacheValid_ = true;
    }
    return selectedRows_;
}

int FileListView::nextSelectedRow(int after) const {
    const std::vector<int>& rows = selectedRows();
    const auto next = std::upper_bound(rows.begin(), rows.end(), after);
    return next == rows.end() ? -1 : *next;
}

void FileListView::deleteRows(const std::vector<int>& ascending) {
    // The selection model would otherwise track every doomed row through the removal; dropping
    // their selection first keeps a large delete near-linear. Survivors keep their selection.
    QItemSelectionModel* selection = selectionModel();
    std::vector<int> keptSelected;
    if (selection != nullptr && selection->hasSelection()) {
        std::vector<int> doomed(ascending);
        std::sort(doomed.begin(), doomed.end());
        int removedBefore = 0;
        std::size_t d = 0;
        for (int row : selectedRows()) {
            while (d < doomed.size() && doomed[d] < row) {
                if (d == 0 || doomed[d] != doomed[d - 1]) {
                    ++removedBefore;
                }
                ++d;
            }
            if (d < doomed.size() && doomed[d] == row) {
                continue;
            }
            keptSelected.push_back(row - removedBefore);
        }
        selection->clearSelection();
    }

    model_->removeRowsAscending(ascending);

    if (!keptSelected.empty()) {
        QItemSelection restored;
        const int lastColumn = std::max(0, model_->columnCount() - 1);
        std::size_t i = 0;
        while (i < keptSelected.size()) {
            std::size_t j = i;
            while (j + 1 < keptSelected.size() && keptSelected[j + 1] == keptSelected[j] + 1) {
                ++j;
            }
            restored.select(model_->index(keptSelected[i], 0),
                            model_->index(keptSelected[j], lastColumn));
            i = j + 1;
        }
        selection->select(restored, QItemSelectionModel::Select);
    }
}

void FileListView::sort(Comparison comparison, std::intptr_t context) {
    if (comparison == nullptr) {
        return;
    }
    std::vector<std::intptr_t> tags(static_cast<std::size_t>(rowCount()));
    for (std::size_t row = 0; row < tags.size(); ++row) {
        tags[row] = model_->tag(static_cast<int>(row));
    }
    std::vector<int> order(tags.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return comparison(tags[static_cast<std::size_t>(a)], tags[static_cast<std::size_t>(b)],
                          context) < 0;
    });
    model_->reorder(order);
}

QString FileListView::selectedRowsText() const {
    std::vector<std::string> headings;
    for (int column = 0; column < model_->columnCount(); ++column) {
        headings.push_back(model_->heading(column));
    }
    return fromBytes(selectedRowsAsText(*this, headings, "\n"));
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    emit keyDown(virtualKeyFor(*event));
    // The whole selection with its headings, where the view alone would copy one cell.
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(selectedRowsText());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void FileListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    // The width the view gains or loses goes to one column; the others keep what they have, and
    // whatever the user gave that column by hand is kept too.
    const QHeaderView* heading = header();
    if (stretchColumn_ < 0 || stretchColumn_ >= heading->count() || !event->oldSize().isValid()) {
        return;
    }
    const int delta = event->size().width() - event->oldSize().width();
    if (delta != 0) {
        header()->resizeSection(stretchColumn_,
                                stretchedColumnWidth(heading->sectionSize(stretchColumn_), delta));
    }
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
}

void FileListView::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
    invalidateSelectedRows();
    QTreeView::selectionChanged(selected, deselected);
}

}  // namespace lw
