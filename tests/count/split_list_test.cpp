#include "count/split_list.h"

#include <gtest/gtest.h>

#include <ostream>

#include "count/path_text.h"
#include "temp_tree.h"

namespace lw {
namespace {

struct SplitCase {
    const char* text;
    ExtensionList expected;
};

// Test names then show the case, not the bytes of its pointers.
void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class SplitListTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitListTest, GivesTheNonEmptyPiecesInOrder) {
    ExtensionList list;
    const int count = SplitList(GetParam().text, list, ";");
    EXPECT_EQ(list, GetParam().expected);
    EXPECT_EQ(count, static_cast<int>(GetParam().expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, SplitListTest,
    ::testing::Values(SplitCase{"", {}}, SplitCase{";", {}}, SplitCase{";;;", {}},
                      SplitCase{"*.c", {"*.c"}}, SplitCase{"*.c;;*.h;", {"*.c", "*.h"}},
                      SplitCase{";*.c", {"*.c"}}, SplitCase{";;*.c;*.h", {"*.c", "*.h"}},
                      SplitCase{"*.c; *.h", {"*.c", " *.h"}}, SplitCase{"*.c;*.c", {"*.c", "*.c"}},
                      SplitCase{" ", {" "}},
                      SplitCase{"*.c;*.cpp;*.h;*.hxx;*.cxx;*.inl",
                                {"*.c", "*.cpp", "*.h", "*.hxx", "*.cxx", "*.inl"}}));

TEST(SplitList, AppendsToWhatTheListHoldsAndCountsAll) {
    ExtensionList list{"old"};
    EXPECT_EQ(SplitList("a;b", list, ";"), 3);
    EXPECT_EQ(list, (ExtensionList{"old", "a", "b"}));
}

TEST(SplitList, EachCharacterOfTheSetDelimits) {
    ExtensionList list;
    EXPECT_EQ(SplitList("a;b,c;,d", list, ";,"), 4);
    EXPECT_EQ(list, (ExtensionList{"a", "b", "c", "d"}));
}

// "\x83\x7C" is a Shift_JIS katakana whose trail byte is '|'.
TEST(SplitList, TrailByteIsNoDelimiterInADoubleByteCodePage) {
    const CodePage sjis(CodePage::Kind::ShiftJis);
    ExtensionList list;
    EXPECT_EQ(SplitList("|a\x83\x7C"
                        "b|c|",
                        list, "|", sjis),
              2);
    EXPECT_EQ(list, (ExtensionList{"a\x83\x7C"
                                   "b",
                                   "c"}));

    ExtensionList bytewise;
    EXPECT_EQ(SplitList("a\x83\x7C"
                        "b",
                        bytewise, "|"),
              2);
}

struct TrailingCase {
    const char* text;
    const char* expected;
};

void PrintTo(const TrailingCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class TrailingSeparatorTest : public ::testing::TestWithParam<TrailingCase> {};

TEST_P(TrailingSeparatorTest, CutsTheLastRunOfSeparators) {
    EXPECT_EQ(RemoveTrailingSeparators(testing_support::native(GetParam().text)),
              testing_support::native(GetParam().expected));
}

TEST(RemoveTrailingSeparators, LeavesTheOtherSlashAlone) {
    constexpr char kOther = kSeparator == '/' ? '\\' : '/';
    EXPECT_EQ(RemoveTrailingSeparators(std::string("a") + kOther), std::string("a") + kOther);
}

INSTANTIATE_TEST_SUITE_P(Paths, TrailingSeparatorTest,
                         ::testing::Values(TrailingCase{"", ""}, TrailingCase{"/", ""},
                                           TrailingCase{"///", ""}, TrailingCase{"/usr/", "/usr"},
                                           TrailingCase{"a//b///", "a//b"},
                                           TrailingCase{"a/b", "a/b"}));

TEST(RemoveTrailingSeparators, KeepsADoubleByteCharacterWhoseTrailByteIsTheSeparator) {
    const CodePage sjis(CodePage::Kind::ShiftJis);
    // "\x95\x5C" is a kanji whose trail byte is a backslash.
    EXPECT_EQ(RemoveTrailingSeparators("C:\\\x95\x5C", sjis, '\\'), "C:\\\x95\x5C");
    EXPECT_EQ(RemoveTrailingSeparators("C:\\\x95\x5C\\\\", sjis, '\\'), "C:\\\x95\x5C");
    EXPECT_EQ(RemoveTrailingSeparators("C:\\\\", sjis, '\\'), "C:");
    // Stepping byte by byte, the same trail byte is a separator.
    EXPECT_EQ(RemoveTrailingSeparators("C:\\\x95\x5C", CodePage(), '\\'), "C:\\\x95");
}

}  // namespace
}  // namespace lw
