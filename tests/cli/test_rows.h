#pragma once

#include <string>

#include "count/result_row.h"

namespace lw::cli {

// A row of a run, as the count run writes it.
inline ResultRow row(const std::string& path, int fixmes, int code, int comments, int total) {
    ResultRow r;
    r.cells = {path, std::to_string(fixmes), std::to_string(code), std::to_string(comments),
               std::to_string(total)};
    return r;
}

}  // namespace lw::cli
