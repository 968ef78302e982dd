#pragma once

#include "count/code_page.h"

namespace lw {

// The stepping of a Windows code page (932, 936, 1252 ...), with the lead bytes that the system
// reports for it; UTF-8's for 65001; byte-wise for a single-byte code page and for one the system
// does not know.
CodePage codePageOf(unsigned windowsCodePage);

}  // namespace lw
