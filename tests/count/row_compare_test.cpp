#include "count/row_compare.h"

#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace lw {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(RowCompare, TextsOrderByUnsignedBytes) {
    struct Case {
        std::string a, b;
        std::int32_t expected;
    } cases[] = {
        {"a.c", "a.c", 0},
        {"a.c", "b.c", -1},
        {"B.c", "a.c", -1},  // no case folding
        {"a", "a.c", -1},    // a prefix first
        {"", "a", -1},
        {"z.c", "\xC3\xA9.c", -1},  // bytes above 0x7F after ASCII
        {"\xFF", "\x7F", 1},
        {std::string("a\0b", 3), std::string("a\0c", 3), -1},  // a NUL does not end the text
        {"lib/u.h", "lib.c", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compareRowTexts(c.a, c.b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(compareRowTexts(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
    }
}

TEST(RowCompare, NumbersReadLikeAtoiAndSaturate) {
    struct Case {
        std::string text;
        std::int32_t value;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {" \t\n\v\f\r17", 17},
        {"+5", 5},
        {"-5", -5},
        {"12abc", 12},
        {"1 2", 1},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"+-3", 0},
        {"0x10", 0},
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"99999999999999999999", kMax},
        {"-2147483648", kMin},
        {"-2147483649", kMin},
        {"-00000000000000000000099999999999999999999", kMin},
        {"000000000000000000000000000000012", 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(atoiSaturating(c.text), c.value) << c.text;
    }
    EXPECT_EQ(compareRowNumbers("10", "9"), 1);
    EXPECT_EQ(compareRowNumbers("9", "10"), -1);
    EXPECT_EQ(compareRowNumbers("7", "7"), 0);
    // The difference saturates, so the largest and smallest values still order correctly.
    EXPECT_EQ(compareRowNumbers("2147483647", "-2147483648"), kMax);
    EXPECT_EQ(compareRowNumbers("-2147483648", "2147483647"), kMin);
}

}  // namespace
}  // namespace lw
