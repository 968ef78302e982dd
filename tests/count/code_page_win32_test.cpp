#include "count/code_page_win32.h"

#include <windows.h>

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

#include "count/count_run.h"
#include "count/file_system.h"
#include "count/path_text.h"
#include "count/subdirectory_walk.h"
#include "recording_host.h"
#include "temp_tree.h"

namespace lw {
namespace {

using testing_support::RecordingHost;
using testing_support::Strings;
using testing_support::TempTree;

// The lead bytes the system reports are those the engine knows for the same code page.
TEST(CodePageWin32, TheSystemsLeadBytesMatchTheKnownCodePages) {
    struct Case {
        unsigned windowsCodePage;
        CodePage known;
    };
    for (const Case& c :
         {Case{932, CodePage(CodePage::Kind::ShiftJis)}, Case{936, CodePage(CodePage::Kind::Gbk)},
          Case{949, CodePage(CodePage::Kind::Uhc)}, Case{950, CodePage(CodePage::Kind::Big5)}}) {
        const CodePage system = codePageOf(c.windowsCodePage);
        EXPECT_FALSE(system.stepsByByte()) << c.windowsCodePage;
        for (unsigned byte = 0; byte < 256; ++byte) {
            const auto b = static_cast<unsigned char>(byte);
            EXPECT_EQ(system.isLeadByte(b), c.known.isLeadByte(b))
                << c.windowsCodePage << " byte " << byte;
        }
    }
    for (const unsigned singleByte : {1252u, 437u, 1251u, 12345u}) {
        EXPECT_EQ(codePageOf(singleByte), CodePage()) << singleByte;
    }
    // The system names no lead bytes for UTF-8, which is no double-byte code page.
    EXPECT_EQ(codePageOf(CP_UTF8), CodePage(CodePage::Kind::Utf8));
    EXPECT_EQ(CodePage::fromLocale(), codePageOf(GetACP()));
}

// The first character of every two-byte start, and of the longer ones that matter, is as long as
// the system's own strict UTF-8 decoder finds it: the shortest start that decodes, else one byte.
TEST(CodePageWin32, Utf8CharactersAreAsLongAsTheSystemDecodesThem) {
    const CodePage utf8 = codePageOf(CP_UTF8);
    const auto decodes = [](const char* bytes, int length) {
        wchar_t wide[4];
        return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, wide, 4) > 0;
    };
    const unsigned char laterBytes[] = {0x2F, 0x80, 0xA5, 0xBF, 0xC3};
    for (unsigned first = 0; first < 256; ++first) {
        for (unsigned second = 0; second < 256; ++second) {
            for (const unsigned char third : laterBytes) {
                for (const unsigned char fourth : laterBytes) {
                    const char bytes[] = {static_cast<char>(first), static_cast<char>(second),
                                          static_cast<char>(third), static_cast<char>(fourth)};
                    int expected = 1;
                    for (int length = 1; length <= 4; ++length) {
                        if (decodes(bytes, length)) {
                            expected = length;
                            break;
                        }
                    }
                    ASSERT_EQ(utf8.charLength(std::string_view(bytes, 4), 0),
                              static_cast<std::size_t>(expected))
                        << std::hex << first << ' ' << second << ' ' << int{third} << ' '
                        << int{fourth};
                }
            }
        }
    }
}

// Run with a Japanese ANSI code page (under Wine: LANG=ja_JP.UTF-8); skipped under any other.
// "\x95\x5C" is a kanji whose trail byte is a backslash.
TEST(CodePageWin32, JapaneseAnsiCodePage) {
    if (GetACP() != 932) {
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 932";
    }
    const CodePage system = CodePage::fromLocale();
    EXPECT_TRUE(system.isLeadByte(0x95));
    EXPECT_FALSE(system.isLeadByte(0xA0));
    EXPECT_STREQ(kEllipsis, "...");

    TempTree tree;
    const std::string kanji = tree.root() + "\\\x95\x5C";
    ASSERT_TRUE(CreateDirectoryA(kanji.c_str(), nullptr));
    // Through the runtime's narrow open, which takes the ANSI code page as the system does;
    // std::filesystem would read the name as another encoding.
    std::ofstream(kanji + "\\a.c", std::ios::binary) << "x; // \x95\x5C\n";
    // The trail byte is no separator: only the real backslashes behind the name go.
    EXPECT_EQ(RemoveTrailingSeparators(kanji + "\\\\", system), kanji);

    Strings appended;
    const std::vector<SearchFailure> failures = walkSubdirectories(
        systemFileSystem(), tree.root(), [&](const std::string& p) { appended.push_back(p); });
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(appended, Strings{kanji});

    RecordingHost host;
    host.directories = {tree.root(), kanji};
    CountRun(host, systemFileSystem(), system);
    EXPECT_EQ(host.rowTexts(), Strings{"\x95\x5C\\a.c 0 1 1 1"});
}

// Run with UTF-8 as the ANSI code page (what the programs' manifests ask for; under Wine also what
// the locale hi_IN.UTF-8 gives, which has no ANSI code page of its own); skipped under any other.
// Every name is reachable then, whatever its script.
TEST(AnsiCodePageUtf8, NamesInAnyScriptAreSearchedOpenedAndCounted) {
    if (GetACP() != CP_UTF8) {
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not UTF-8";
    }
    const CodePage system = CodePage::fromLocale();
    EXPECT_EQ(system, CodePage(CodePage::Kind::Utf8));
    EXPECT_STREQ(kEllipsis, "\xE2\x80\xA6");

    TempTree tree;
    const std::string greek =
        tree.root() + "\\\xCE\xB4\xCE\xAD\xCE\xBD\xCF\x84\xCF\x81\xCE\xBF";  // δέντρο
    ASSERT_TRUE(CreateDirectoryA(greek.c_str(), nullptr));
    // Through the runtime's narrow open, which takes the ANSI code page as the system does.
    std::ofstream(tree.root() + "\\\xE6\x97\xA5\xE6\x9C\xAC.c", std::ios::binary)  // 日本.c
        << "x; // \xE6\x97\xA5\xE6\x9C\xAC\n";
    std::ofstream(tree.root() + "\\\xCE\xB1\xCE\xB2\xCE\xB3.h", std::ios::binary)  // αβγ.h
        << "/* \xCE\xB1 */\n";
    std::ofstream(greek + "\\a.c", std::ios::binary) << "a;\n";
    EXPECT_EQ(RemoveTrailingSeparators(greek + "\\\\", system), greek);

    Strings appended;
    const std::vector<SearchFailure> failures = walkSubdirectories(
        systemFileSystem(), tree.root(), [&](const std::string& p) { appended.push_back(p); });
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(appended, Strings{greek});

    RecordingHost host;
    host.directories = {tree.root(), greek};
    CountRun(host, systemFileSystem(), system);
    Strings rows = host.rowTexts();
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (Strings{"\xCE\xB1\xCE\xB2\xCE\xB3.h 0 0 1 1",
                             "\xCE\xB4\xCE\xAD\xCE\xBD\xCF\x84\xCF\x81\xCE\xBF\\a.c 0 1 0 1",
                             "\xE6\x97\xA5\xE6\x9C\xAC.c 0 1 1 1"}));
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace lw
