#pragma once

#include <string>

namespace lw {

// The Directory List: a list box, unsorted, single selection, entries kept as the engine's bytes.
class DirectoryList {
  public:
    virtual ~DirectoryList() = default;
    virtual void append(const std::string& text) = 0;  // at the end, whatever is there
    virtual int entryCount() const = 0;
    virtual std::string entryText(int index) const = 0;
    virtual void select(int index) = 0;  // the one selected entry
};

}  // namespace lw
