#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lw {

// One File List row: column 0 the relative path, columns 1 to 4 the decimal texts of fixmes,
// code, comments and total, and the tag, which equals the row's index between operations.
struct ResultRow {
    std::array<std::string, 5> cells;
    std::intptr_t tag = 0;
};

}  // namespace lw
