#pragma once

#include <QListWidget>
#include <string>

namespace lw {

// The Directory List: unsorted, single selection, entries kept as the engine's bytes.
class DirectoryListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    void append(const std::string& text);
    int entryCount() const;
    std::string entryText(int index) const;
    void select(int index);
};

}  // namespace lw
