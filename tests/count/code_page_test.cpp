#include "count/code_page.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "count/line_classifier.h"
#include "reference_classifier.h"

namespace lw {
namespace {

TEST(CodePageTest, CharsetNamesMapToTheirStepping) {
    struct Case {
        std::string_view name;
        CodePage::Kind kind;
    };
    const Case cases[] = {
        {"UTF-8", CodePage::Kind::Utf8},
        {"utf8", CodePage::Kind::Utf8},
        {"ISO-8859-1", CodePage::Kind::ByteWise},
        {"ANSI_X3.4-1968", CodePage::Kind::ByteWise},
        {"EUC-JP", CodePage::Kind::ByteWise},
        {"", CodePage::Kind::ByteWise},
        {"SJIS", CodePage::Kind::ShiftJis},
        {"Shift_JIS", CodePage::Kind::ShiftJis},
        {"CP932", CodePage::Kind::ShiftJis},
        {"GBK", CodePage::Kind::Gbk},
        {"cp936", CodePage::Kind::Gbk},
        {"GB18030", CodePage::Kind::Gbk},
        {"UHC", CodePage::Kind::Uhc},
        {"CP949", CodePage::Kind::Uhc},
        {"BIG5", CodePage::Kind::Big5},
        {"BIG5-HKSCS", CodePage::Kind::Big5},
        {"CP950", CodePage::Kind::Big5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CodePage::forCharset(c.name).kind(), c.kind) << c.name;
    }
}

TEST(CodePageTest, LeadBytesAndCharacterLengths) {
    const CodePage cp932(CodePage::Kind::ShiftJis);
    EXPECT_FALSE(cp932.isLeadByte(0x7F));
    EXPECT_TRUE(cp932.isLeadByte(0x81));
    EXPECT_TRUE(cp932.isLeadByte(0x9F));
    EXPECT_FALSE(cp932.isLeadByte(0xA0));  // half-width katakana are single bytes
    EXPECT_FALSE(cp932.isLeadByte(0xDF));
    EXPECT_TRUE(cp932.isLeadByte(0xE0));
    EXPECT_TRUE(cp932.isLeadByte(0xFC));
    EXPECT_FALSE(cp932.isLeadByte(0xFD));

    const std::string_view text = "a\x83\x5C\x83";
    EXPECT_EQ(cp932.charLength(text, 0), 1u);
    EXPECT_EQ(cp932.charLength(text, 1), 2u);
    EXPECT_EQ(cp932.charLength(text, 3), 1u);  // a lone lead byte at the end is a character

    const CodePage byteWise;
    EXPECT_EQ(byteWise.charLength(text, 1), 1u);
    for (CodePage::Kind kind : {CodePage::Kind::Gbk, CodePage::Kind::Uhc, CodePage::Kind::Big5}) {
        const CodePage cp(kind);
        EXPECT_FALSE(cp.isLeadByte(0x80));
        EXPECT_TRUE(cp.isLeadByte(0x81));
        EXPECT_TRUE(cp.isLeadByte(0xFE));
        EXPECT_FALSE(cp.isLeadByte(0xFF));
    }
}

// UTF-8 steps by whole characters, and only by well-formed ones: a byte that begins none is a
// character of its own, so an ASCII byte behind it is never swallowed.
TEST(CodePageTest, Utf8StepsByWholeWellFormedCharacters) {
    struct Case {
        std::string_view text;
        std::size_t length;  // of the character at 0
    };
    const Case cases[] = {
        {"a\xC3\xA9", 1},
        {"\xC3\xA9/", 2},          // é
        {"\xE6\x97\xA5/", 3},      // 日
        {"\xF0\x9F\x98\x80/", 4},  // U+1F600
        {"\xC3/", 1},              // a lead byte before ASCII
        {"\xE6\x97/", 1},          // cut short before ASCII
        {"\xE6\x97", 1},           // cut short by the end of the text
        {"\xA9/", 1},              // a stray continuation byte
        {"\xC0\xAF", 1},           // an overlong "/"
        {"\xE0\x80\xAF", 1},       // an overlong "/" in three bytes
        {"\xED\xA0\x80", 1},       // a surrogate
        {"\xF4\x90\x80\x80", 1},   // above U+10FFFF
        {"\xFF\xFE", 1},
    };
    const CodePage utf8(CodePage::Kind::Utf8);
    for (const Case& c : cases) {
        EXPECT_EQ(utf8.charLength(c.text, 0), c.length) << testing::PrintToString(c.text);
    }
    // A line that comes in pieces is stepped past the byte behind each lead byte; were a UTF-8
    // byte one, a "/" behind a stray one would be lost.
    for (unsigned byte = 0; byte < 256; ++byte) {
        EXPECT_FALSE(utf8.isLeadByte(static_cast<unsigned char>(byte))) << byte;
    }
}

// In UTF-8 every byte below 0x80 is a character of its own, so stepping by characters, searching
// by bytes and taking the line in pieces must all count alike, also on malformed text.
TEST(CodePageTest, Utf8TextCountsAlikeSteppedSearchedOrInPieces) {
    static const char* const kPieces[] = {"/",
                                          "*",
                                          "{",
                                          "}",
                                          " ",
                                          "FIXME",
                                          "x",
                                          "\xC3",
                                          "\xA9",
                                          "\xE6",
                                          "\xE6\x97\xA5",
                                          "\xF0\x9F",
                                          "\xED",
                                          "\xA0",
                                          "\xC0",
                                          "\xFF",
                                          "\xC3\xA9"};
    std::mt19937 rng(65001);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> length(0, 14);
    const CodePage utf8(CodePage::Kind::Utf8);
    for (int n = 0; n < 2000; ++n) {
        std::string line;
        for (int k = length(rng); k > 0; --k) {
            line += kPieces[piece(rng)];
        }
        const std::size_t cut = line.size() / 2;
        test::ReferenceClassifier stepped(utf8);
        LineClassifier searched(utf8);
        LineClassifier pieces(utf8);
        stepped.classifyLine(line);
        searched.classifyLine(line);
        pieces.classifyPiece(std::string_view(line).substr(0, cut), false);
        pieces.classifyPiece(std::string_view(line).substr(cut), true);
        ASSERT_EQ(stepped.counts(), searched.counts()) << testing::PrintToString(line);
        ASSERT_EQ(stepped.inBlockComment(), searched.inBlockComment())
            << testing::PrintToString(line);
        ASSERT_EQ(pieces.counts(), searched.counts()) << testing::PrintToString(line);
    }
}

TEST(CodePageTest, SystemCodePageIsSettable) {
    const CodePage saved = CodePage::system();
    CodePage::setSystem(CodePage(CodePage::Kind::Big5));
    EXPECT_EQ(CodePage::system().kind(), CodePage::Kind::Big5);
    CodePage::setSystem(saved);
    EXPECT_EQ(CodePage::system(), saved);
}

}  // namespace
}  // namespace lw
