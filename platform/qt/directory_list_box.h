#pragma once

#include <QListWidget>
#include <string>

#include "platform/directory_list.h"

namespace lw {

// The Directory List on a list widget: the entries' bytes are kept beside their display text.
class DirectoryListBox : public QListWidget, public DirectoryList {
    Q_OBJECT
  public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    void append(const std::string& text) override;
    int entryCount() const override;
    std::string entryText(int index) const override;
    void select(int index) override;
};

}  // namespace lw
