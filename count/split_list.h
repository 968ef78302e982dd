#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "count/code_page.h"

namespace lw {

using ExtensionList = std::vector<std::string>;

// Appends the non-empty runs of characters between delimiters to `list`, in order, and returns
// the number of items the list then holds. Steps by whole characters of the code page.
int SplitList(std::string_view text, ExtensionList& list, std::string_view delimiters,
              const CodePage& codePage = CodePage::system());

}  // namespace lw
