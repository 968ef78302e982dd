#include "count/code_page_win32.h"

#include <windows.h>

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
    for (const unsigned singleByte : {1252u, 437u, 1251u, 65001u, 12345u}) {
        EXPECT_TRUE(codePageOf(singleByte).stepsByByte()) << singleByte;
    }
    EXPECT_EQ(CodePage::fromLocale(), codePageOf(GetACP()));
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

}  // namespace
}  // namespace lw
