#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lw {

// The headings of the File List's columns, which the command line's tables share.
inline constexpr const char* kColumnHeadings[] = {"Relative path", "FIXMEs", "Code", "Comments",
                                                  "Total"};

// One File List row: column 0 the relative path, columns 1 to 4 the decimal texts of fixmes,
// code, comments and total, and the tag, which equals the row's index between operations.
struct ResultRow {
    std::array<std::string, 5> cells;
    std::intptr_t tag = 0;
};

}  // namespace lw
