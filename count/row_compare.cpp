#include "count/row_compare.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "count/file_counts.h"

namespace lw {

namespace {

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::int32_t compareRowTexts(const std::string& a, const std::string& b) {
    // memcmp compares as unsigned bytes, so multi-byte characters order by their bytes.
    const int common = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (common != 0) {
        return common < 0 ? -1 : 1;
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

std::int32_t atoiSaturating(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && isCSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulated as a magnitude one past the int32 range, so that INT32_MIN is exact and any
    // longer run of digits stops growing instead of overflowing.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > kLimit) {
            magnitude = kLimit;
        }
    }
    return saturateToInt32(negative ? -magnitude : magnitude);
}

std::int32_t compareRowNumbers(const std::string& a, const std::string& b) {
    return saturatingSub(atoiSaturating(a), atoiSaturating(b));
}

}  // namespace lw
