#include "count/count_run.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include <gtest/gtest.h>

#include "count/path_text.h"
#include "count/result_row.h"
#include "recording_host.h"
#include "temp_tree.h"
#include "tests/support/forwarding_file_system.h"

namespace lw {
namespace {

using testing_support::native;
using testing_support::RecordingHost;
using testing_support::Strings;
using testing_support::TempTree;

TEST(StatusLineText, NamesTheFiveTotalsInOrder) {
    RunTotals t;
    t.files = 3;
    t.fixmes = 1;
    t.code = 120;
    t.comments = 30;
    t.total = -158;
    EXPECT_EQ(statusLineText(t), "Files: 3 FIXMEs: 1 Code: 120 Comments: 30 Total: -158");
}

TEST(CountRun, OpeningChecksChangeNothing) {
    struct Case {
        Strings directories;
        const char* extensions;
        const char* message;
    };
    for (const Case& c :
         {Case{{}, "", kNoDirectoriesMessage}, Case{{}, "*.c", kNoDirectoriesMessage},
          Case{{"/"}, "", kNoExtensionsMessage}, Case{{"/"}, ";;", kNoExtensionsMessage}}) {
        RecordingHost host;
        host.directories = c.directories;
        host.extensions = c.extensions;
        host.rows.resize(2);
        host.runTotals.files = 7;
        CountRun(host);
        EXPECT_EQ(host.messages, Strings{c.message});
        EXPECT_EQ(host.log, (Strings{"refresh", "message"}));
        EXPECT_EQ(host.rows.size(), 2u);
        EXPECT_EQ(host.runTotals.files, 7);
        EXPECT_EQ(host.status, "previous");
    }
}

TEST(CountRun, RowsTotalsTagsAndCallOrder) {
    TempTree tree;
    tree.file("src/a.c", "int a; // one\n/* FIXME */\n{\n}\n\nx;\n");
    tree.file("src/b.h", "y;\r\nz;\r\n");
    tree.file("src/c.c", "\xEF\xBB\xBF// bom\n");
    tree.file("src/n.c", std::string("a\0b\n//\0\n", 8));
    tree.file("src/lib/u.h", "/* open\nstill\n");
    tree.file("other/o.c", "q;");
    tree.file("src/skip.txt", "ignored");

    RecordingHost host;
    host.directories = {tree.path("src"), tree.path("src/lib"), tree.path("other"),
                        tree.path("missing")};
    host.extensions = "*.c;*.h";
    CountRun(host);

    // Within one search the order is the platform's: the rows of "src" + "*.c" compare sorted.
    Strings rows = host.rowTexts();
    ASSERT_EQ(rows.size(), 6u);
    std::sort(rows.begin(), rows.begin() + 3);
    EXPECT_EQ(rows, (Strings{"a.c 1 2 2 3", "c.c 0 0 1 1", "n.c 0 1 1 2", "b.h 0 2 0 2",
                             native("lib/u.h") + " 0 2 1 2", tree.path("other/o.c") + " 0 1 0 1"}));
    for (std::size_t r = 0; r < host.rows.size(); ++r) {
        EXPECT_EQ(host.rows[r].tag, static_cast<std::intptr_t>(r));
    }
    EXPECT_EQ(host.status, "Files: 6 FIXMEs: 1 Code: 8 Comments: 5 Total: 11");
    EXPECT_EQ(host.selected, 3);
    EXPECT_TRUE(host.messages.empty());
    // The system's reason; its words are the file systems' tests' business.
    ASSERT_EQ(host.searchFailures.size(), 1u);
    EXPECT_TRUE(host.searchFailures[0].starts_with(tree.path("missing") + ": "));
    EXPECT_GT(host.searchFailures[0].size(), tree.path("missing").size() + 2);
    EXPECT_TRUE(host.countEnabled);

    const Strings expectedLog{"refresh",  "deleteAll", "disable",  "select 0",      "row",
                              "row",      "row",       "row",      "select 1",      "row",
                              "select 2", "row",       "select 3", "search failed", "format",
                              "show",     "enable"};
    EXPECT_EQ(host.log, expectedLog);
}

TEST(CountRun, DuplicatePatternsAndDirectoriesCountEachTime) {
    TempTree tree;
    tree.file("a.c", "x;\n");
    RecordingHost host;
    host.directories = {tree.root(), tree.root() + kSeparator};
    host.extensions = "*.c;*.c";
    CountRun(host);
    EXPECT_EQ(host.column(0), (Strings{"a.c", "a.c", "a.c", "a.c"}));
    EXPECT_EQ(host.status, "Files: 4 FIXMEs: 0 Code: 4 Comments: 0 Total: 4");
}

TEST(CountRun, RelativePathsAgainstARelativeFirstEntry) {
    TempTree tree;
    tree.file("src/main.c", "x;\n");
    tree.file("src/lib/util.h", "x;\n");
    tree.file("srcold/a.c", "x;\n");
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(tree.root());
    RecordingHost host;
    host.directories = {native("./src"), native("src/lib"), "srcold"};
    CountRun(host);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(host.column(0), (Strings{"main.c", native("lib/util.h"), tree.path("srcold/a.c")}));
}

// A file system whose files fail to read after their first bytes.
class BrokenReads final : public test::ForwardingFileSystem {
  public:
    class File final : public ReadableFile {
      public:
        ssize_t read(char* buffer, std::size_t size) override {
            if (served_) {
                return -1;
            }
            served_ = true;
            const char text[] = "x; // FIXME\n";
            std::memcpy(buffer, text, std::min(size, sizeof text - 1));
            return static_cast<ssize_t>(std::min(size, sizeof text - 1));
        }
        std::string readFailure() const override { return "Input/output error"; }

      private:
        bool served_ = false;
    };

    OpenResult openForReading(const std::string& p) override {
        if (p.ends_with("bad.c")) {
            return {std::make_unique<File>(), {}};
        }
        return ForwardingFileSystem::openForReading(p);
    }
};

TEST(CountRun, ReadErrorGivesTheFileUpAndGoesOn) {
    TempTree tree;
    tree.file("a.c", "x;\n");
    tree.file("bad.c", "anything");
    tree.file("c.c", "y;\n");
    RecordingHost host;
    host.directories = {tree.root()};
    BrokenReads fs;
    CountRun(host, fs);
    EXPECT_EQ(host.column(0), (Strings{"a.c", "c.c"}));
    EXPECT_EQ(host.messages,
              Strings{kFailedToReadPrefix + tree.path("bad.c") + "\n\nInput/output error"});
    EXPECT_EQ(host.status, "Files: 3 FIXMEs: 0 Code: 2 Comments: 0 Total: 2");
}

// Files that change between the enumeration and the open: one vanishes, one grows far past the
// reader's buffer, one shrinks.
class ChangingFiles final : public test::ForwardingFileSystem {
  public:
    std::string grownText;

    SearchResult enumerate(const std::string& s) override {
        SearchResult found = ForwardingFileSystem::enumerate(s);
        found.paths.insert(found.paths.begin(), searchDirectoryOf(s) + kSeparator + "gone.c");
        return found;
    }
    OpenResult openForReading(const std::string& p) override {
        if (p.ends_with("grew.c")) {
            std::ofstream(p, std::ios::binary | std::ios::app) << grownText;
        } else if (p.ends_with("shrank.c")) {
            std::ofstream(p, std::ios::binary | std::ios::trunc) << "x;\n";
        }
        return ForwardingFileSystem::openForReading(p);
    }

  private:
    static std::string searchDirectoryOf(const std::string& s) {
        return s.substr(0, s.rfind(kSeparator));
    }
};

TEST(CountRun, FilesThatChangeAfterTheEnumeration) {
    TempTree tree;
    ChangingFiles fs;
    for (int i = 0; i < 12000; ++i) {
        fs.grownText += std::string(static_cast<std::size_t>(i % 50), 'x') + " // c\n";
    }
    tree.file("grew.c", "a;\n");
    tree.file("shrank.c", fs.grownText);
    RecordingHost host;
    host.directories = {tree.root()};
    host.extensions = "*.c";
    CountRun(host, fs);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].starts_with(kFailedToOpenPrefix + tree.path("gone.c") + "\n\n"));
    EXPECT_EQ(host.column(0), (Strings{"grew.c", "shrank.c"}));
    EXPECT_EQ(host.column(4), (Strings{"12001", "1"}));
    EXPECT_EQ(host.column(3), (Strings{"12000", "0"}));
}

TEST(CountRun, TotalsSaturateInsteadOfWrapping) {
    TempTree tree;
    tree.file("a.c", "x;\n");
    tree.file("b.c", "y;\n");
    // The host's totals are what the run adds to; starting the sums near the limit through a
    // counter stands in for files of more than two billion lines.
    class NearLimit final : public FileCounter {
      public:
        FileOutcome count(const std::string&) override {
            FileOutcome o;
            o.counts = {std::numeric_limits<std::int32_t>::max(), 5, 1,
                        std::numeric_limits<std::int32_t>::max()};
            return o;
        }
    } counter;
    RecordingHost host;
    host.directories = {tree.root()};
    CountRun(host, systemFileSystem(), counter);
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(host.runTotals.total, max);
    EXPECT_EQ(host.runTotals.fixmes, max);
    EXPECT_EQ(host.runTotals.code, 10);
    EXPECT_EQ(host.column(1), (Strings{"2147483647", "2147483647"}));
}

// The read buffer a thread keeps for all its files grows for a line longer than itself and is
// given back afterwards; the next file is read as if it had a buffer of its own.
TEST(CountFile, ALongLineDoesNotDisturbTheFilesAfterIt) {
    TempTree tree;
    tree.file("long.c", "// " + std::string(600 * 1024, 'x') + " FIXME\nx;\n");
    tree.file("short.c", "a; // b\n/* c\n");
    for (int pass = 0; pass < 2; ++pass) {
        const FileOutcome longOne =
            countFile(systemFileSystem(), CodePage::system(), tree.path("long.c"));
        const FileOutcome shortOne =
            countFile(systemFileSystem(), CodePage::system(), tree.path("short.c"));
        EXPECT_EQ(longOne.counts.total, 2);
        EXPECT_EQ(longOne.counts.fixmes, 1);
        EXPECT_EQ(longOne.counts.comments, 1);
        EXPECT_EQ(shortOne.counts.total, 2);
        EXPECT_EQ(shortOne.counts.code, 2);  // text after an opening counts as code
        EXPECT_EQ(shortOne.counts.comments, 2);
    }
}

}  // namespace
}  // namespace lw
