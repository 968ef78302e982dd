#include "count/count_run.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>

#include <gtest/gtest.h>

#include "count/path_text.h"
#include "count/result_row.h"
#include "recording_host.h"
#include "temp_tree.h"

namespace lw {
namespace {

using testing_support::native;
using testing_support::RecordingHost;
using testing_support::Strings;
using testing_support::TempTree;

TEST(FormatStatusLine, NamesTheFiveTotalsInOrder) {
    RunTotals t;
    t.files = 3;
    t.fixmes = 1;
    t.code = 120;
    t.comments = 30;
    t.total = -158;
    EXPECT_EQ(FormatStatusLine(t), "Files: 3 FIXMEs: 1 Code: 120 Comments: 30 Total: -158");
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
    EXPECT_TRUE(host.countEnabled);

    const Strings expectedLog{"refresh",  "deleteAll", "disable",  "select 0", "row",      "row",
                              "row",      "row",       "select 1", "row",      "select 2", "row",
                              "select 3", "format",    "show",     "enable"};
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
class BrokenReads final : public FileSystem {
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

      private:
        bool served_ = false;
    };

    std::vector<std::string> enumerate(const std::string& s) override {
        return systemFileSystem().enumerate(s);
    }
    std::unique_ptr<ReadableFile> openForReading(const std::string& p) override {
        if (p.ends_with("bad.c")) {
            return std::make_unique<File>();
        }
        return systemFileSystem().openForReading(p);
    }
    std::optional<std::vector<std::string>> subdirectories(const std::string& d) override {
        return systemFileSystem().subdirectories(d);
    }
    std::string absolutePath(const std::string& p) override {
        return systemFileSystem().absolutePath(p);
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
    EXPECT_EQ(host.messages, Strings{kFailedToReadPrefix + tree.path("bad.c")});
    EXPECT_EQ(host.status, "Files: 3 FIXMEs: 0 Code: 2 Comments: 0 Total: 2");
}

// Files that change between the enumeration and the open: one vanishes, one grows far past the
// reader's buffer, one shrinks.
class ChangingFiles final : public FileSystem {
  public:
    std::string grownText;

    std::vector<std::string> enumerate(const std::string& s) override {
        std::vector<std::string> found = systemFileSystem().enumerate(s);
        found.insert(found.begin(), searchDirectoryOf(s) + kSeparator + "gone.c");
        return found;
    }
    std::unique_ptr<ReadableFile> openForReading(const std::string& p) override {
        if (p.ends_with("grew.c")) {
            std::ofstream(p, std::ios::binary | std::ios::app) << grownText;
        } else if (p.ends_with("shrank.c")) {
            std::ofstream(p, std::ios::binary | std::ios::trunc) << "x;\n";
        }
        return systemFileSystem().openForReading(p);
    }
    std::optional<std::vector<std::string>> subdirectories(const std::string& d) override {
        return systemFileSystem().subdirectories(d);
    }
    std::string absolutePath(const std::string& p) override {
        return systemFileSystem().absolutePath(p);
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
    EXPECT_EQ(host.messages, Strings{kFailedToOpenPrefix + tree.path("gone.c")});
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

// A counter that works ahead, as the command line's pool does, logging what it is told.
class AheadCounter final : public FileCounter {
  public:
    explicit AheadCounter(bool ahead) : ahead_(ahead) {}
    Strings announced;  // in the order upcoming() was told of them
    Strings asked;
    std::vector<std::size_t> announcedWhenAsked;

    bool countsAhead() const override { return ahead_; }
    void upcoming(const Strings& fullPaths) override {
        announced.insert(announced.end(), fullPaths.begin(), fullPaths.end());
    }
    FileOutcome count(const std::string& fullPath) override {
        asked.push_back(fullPath);
        announcedWhenAsked.push_back(announced.size());
        return countFile(systemFileSystem(), CodePage::system(), fullPath);
    }

  private:
    bool ahead_;
};

TEST(CountRun, ACounterThatWorksAheadSeesLaterDirectoriesAndChangesNothing) {
    TempTree tree;
    // Directories of few files, and then more files than the run announces ahead.
    Strings directories;
    for (int d = 0; d < 40; ++d) {
        const std::string dir = "d" + std::to_string(100 + d);
        const int files = d == 20 ? 1100 : 3;
        for (int f = 0; f < files; ++f) {
            tree.file(dir + "/f" + std::to_string(f) + (f % 2 ? ".c" : ".h"), "x; // y\n");
        }
        directories.push_back(tree.path(dir));
    }
    tree.file("d100/broken.c");
    // Unreadable for a user without root on POSIX systems; merely read-only on Windows.
    std::filesystem::permissions(tree.path("d100/broken.c"), std::filesystem::perms::none);
    const bool unreadable = !std::ifstream(tree.path("d100/broken.c")).is_open();

    RecordingHost sequentialHost;
    sequentialHost.directories = directories;
    AheadCounter sequential(false);
    CountRun(sequentialHost, systemFileSystem(), sequential);

    RecordingHost aheadHost;
    aheadHost.directories = directories;
    AheadCounter ahead(true);
    CountRun(aheadHost, systemFileSystem(), ahead);
    std::filesystem::permissions(tree.path("d100/broken.c"), std::filesystem::perms::owner_all);

    // The same rows, totals, messages and questions in the same order, and every match announced
    // once, in run order, before it is asked for.
    EXPECT_EQ(aheadHost.column(0), sequentialHost.column(0));
    EXPECT_EQ(aheadHost.column(4), sequentialHost.column(4));
    EXPECT_EQ(aheadHost.status, sequentialHost.status);
    EXPECT_EQ(aheadHost.messages, sequentialHost.messages);
    EXPECT_EQ(aheadHost.messages.size(), unreadable ? 1u : 0u);
    EXPECT_EQ(ahead.asked, sequential.asked);
    EXPECT_EQ(ahead.announced, ahead.asked);
    ASSERT_EQ(ahead.asked.size(), 39u * 3 + 1100 + 1);
    for (std::size_t i = 0; i < ahead.asked.size(); ++i) {
        ASSERT_GT(ahead.announcedWhenAsked[i], i);
    }
    // Asked for the first file, the counter already knows of the next directories' matches...
    EXPECT_GE(ahead.announcedWhenAsked[0], 20u * 3 + 1);
    // ...but not of everything: past the large directory lie more than it is told of ahead.
    EXPECT_LT(ahead.announcedWhenAsked[0], ahead.asked.size());
    // Taking the large directory's outcomes, it knows of the directories after it as well.
    const std::size_t largeBegins = 20 * 3 + 1;
    const std::string large = tree.path("d120") + kSeparator;
    ASSERT_TRUE(ahead.asked[largeBegins].starts_with(large)) << ahead.asked[largeBegins];
    ASSERT_FALSE(ahead.asked[largeBegins - 1].starts_with(large)) << ahead.asked[largeBegins - 1];
    EXPECT_GT(ahead.announcedWhenAsked[largeBegins], largeBegins + 1100);
    // The sequential counter is told of each pattern's matches only when they are counted.
    EXPECT_EQ(sequential.announcedWhenAsked[0], 2u);
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
