#include "count/code_page.h"

#include <gtest/gtest.h>

#include <string_view>

namespace lw {
namespace {

TEST(CodePageTest, CharsetNamesMapToTheirStepping) {
    struct Case {
        std::string_view name;
        CodePage::Kind kind;
    };
    const Case cases[] = {
        {"UTF-8", CodePage::Kind::ByteWise},
        {"utf8", CodePage::Kind::ByteWise},
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

TEST(CodePageTest, SystemCodePageIsSettable) {
    const CodePage saved = CodePage::system();
    CodePage::setSystem(CodePage(CodePage::Kind::Big5));
    EXPECT_EQ(CodePage::system().kind(), CodePage::Kind::Big5);
    CodePage::setSystem(saved);
    EXPECT_EQ(CodePage::system(), saved);
}

}  // namespace
}  // namespace lw
