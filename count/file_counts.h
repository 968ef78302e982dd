#pragma once

#include <cstdint>
#include <limits>

namespace lw {

// The four counters of one file. Signed 32-bit; they saturate at the maximum instead of wrapping.
struct FileCounts {
    std::int32_t fixmes = 0;
    std::int32_t code = 0;
    std::int32_t comments = 0;
    std::int32_t total = 0;

    constexpr bool operator==(const FileCounts&) const = default;
};

constexpr std::int32_t saturateToInt32(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

constexpr std::int32_t saturatingAdd(std::int32_t a, std::int32_t b) {
    return saturateToInt32(std::int64_t{a} + b);
}

constexpr std::int32_t saturatingSub(std::int32_t a, std::int32_t b) {
    return saturateToInt32(std::int64_t{a} - b);
}

}  // namespace lw
