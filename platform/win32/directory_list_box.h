#pragma once

#include <windows.h>

#include <string>

#include "platform/directory_list.h"
#include "platform/win32/list_box.h"

namespace lw::win32 {

// The Directory List on a list box of a dialog (unsorted, single selection): entries are the
// engine's bytes, which on Windows are the ANSI code page's own, so nothing converts.
class DirectoryListBox final : public DirectoryList {
  public:
    explicit DirectoryListBox(HWND listBox) : box_(listBox) {}
    // The same Directory List on the list box of a new run of its dialog.
    void attach(HWND listBox) { box_ = ListBox(listBox); }

    void append(const std::string& text) override;  // at the end, whatever is there
    int entryCount() const override;
    std::string entryText(int index) const override;  // empty for an index out of range
    void select(int index) override;                  // the one selected entry

    HWND hwnd() const { return box_.hwnd(); }

  private:
    ListBox box_;
};

}  // namespace lw::win32
