#include "platform/directory_list_box.h"

#include <QFile>

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
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    auto* entry = new QListWidgetItem(QFile::decodeName(bytes));
    entry->setData(kBytesRole, bytes);
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
