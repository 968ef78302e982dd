#include "platform/qt/directory_list_box.h"

#include "platform/qt/text.h"

namespace lw {

namespace {

// The entry's bytes as given, so that texts the display cannot decode still come back intact.
constexpr int kBytesRole = Qt::UserRole;

}  // namespace

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void DirectoryListBox::append(const std::string& text) {
    auto* entry = new QListWidgetItem(fromBytes(text));
    entry->setData(kBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    addItem(entry);
}

int DirectoryListBox::entryCount() const {
    return count();
}

std::string DirectoryListBox::entryText(int index) const {
    const QListWidgetItem* entry = item(index);
    if (entry == nullptr) {
        return {};
    }
    return entry->data(kBytesRole).toByteArray().toStdString();
}

void DirectoryListBox::select(int index) {
    if (index < 0 || index >= count()) {
        clearSelection();
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(index));
}

}  // namespace lw
