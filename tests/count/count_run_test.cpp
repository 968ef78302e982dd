#include "count/count_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <limits>
#include <system_error>

#include <gtest/gtest.h>

#include "count/parallel_file_counter.h"
#include "count/path_text.h"
#include "count/result_row.h"
#include "temp_tree.h"
#include "tests/support/forwarding_file_system.h"

namespace lw {
namespace {

using testing_support::TempTree;
using Strings = std::vector<std::string>;

// A host that keeps rows and totals like the main dialog and logs every call in order.
class RecordingHost : public CountHost {
  public:
    Strings directories;
    std::string extensions = kDefaultExtensions;
    std::vector<ResultRow> rows;
    RunTotals runTotals;
    std::string status = "previous";
    Strings log;
    Strings messages;
    Strings searchFailures;
    bool countEnabled = true;
    int selected = -1;

    void refreshFromWindow() override { log.push_back("refresh"); }
    std::string extensionsText() override { return extensions; }
    int directoryCount() override { return static_cast<int>(directories.size()); }
    void selectDirectory(int index) override {
        selected = index;
        log.push_back("select " + std::to_string(index));
    }
    std::string directoryText(int index) override { return directories.at(index); }
    void deleteAllRows() override {
        rows.clear();
        log.push_back("deleteAll");
    }
    int rowCount() override { return static_cast<int>(rows.size()); }
    int appendRow(int index, const std::string& text) override {
        EXPECT_FALSE(countEnabled);
        ResultRow row;
        row.cells[0] = text;
        row.tag = -1;
        rows.insert(rows.begin() + index, row);
        log.push_back("row");
        return index;
    }
    void setRowTag(int row, std::intptr_t tag) override { rows.at(row).tag = tag; }
    void setCellText(int row, int column, const std::string& text) override {
        rows.at(row).cells.at(column) = text;
    }
    RunTotals& totals() override { return runTotals; }
    void FormatStatusLine() override {
        status = lw::FormatStatusLine(runTotals);
        log.push_back("format");
    }
    void showResults() override { log.push_back("show"); }
    void enableCount(bool enabled) override {
        countEnabled = enabled;
        log.push_back(enabled ? "enable" : "disable");
    }
    void showMessage(const std::string& text) override {
        messages.push_back(text);
        log.push_back("message");
    }
    void searchFailed(const std::string& directory, const std::string& reason) override {
        searchFailures.push_back(directory + ": " + reason);
        log.push_back("search failed");
    }

    Strings column(std::size_t c) const {
        Strings out;
        for (const ResultRow& row : rows) {
            out.push_back(row.cells[c]);
        }
        return out;
    }
};

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

    EXPECT_EQ(host.column(0),
              (Strings{"a.c", "c.c", "n.c", "b.h", "lib/u.h", tree.path("other/o.c")}));
    EXPECT_EQ(host.column(1), (Strings{"1", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(host.column(2), (Strings{"2", "0", "1", "2", "2", "1"}));
    EXPECT_EQ(host.column(3), (Strings{"2", "1", "1", "0", "1", "0"}));
    EXPECT_EQ(host.column(4), (Strings{"3", "1", "2", "2", "2", "1"}));
    for (std::size_t r = 0; r < host.rows.size(); ++r) {
        EXPECT_EQ(host.rows[r].tag, static_cast<std::intptr_t>(r));
    }
    EXPECT_EQ(host.status, "Files: 6 FIXMEs: 1 Code: 8 Comments: 5 Total: 11");
    EXPECT_EQ(host.selected, 3);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.searchFailures,
              Strings{tree.path("missing") + ": " + std::system_category().message(ENOENT)});
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
    host.directories = {tree.root(), tree.root() + "/"};
    host.extensions = "*.c;*.c";
    CountRun(host);
    EXPECT_EQ(host.column(0), (Strings{"a.c", "a.c", "a.c", "a.c"}));
    EXPECT_EQ(host.status, "Files: 4 FIXMEs: 0 Code: 4 Comments: 0 Total: 4");
}

TEST(CountRun, MatchesThatAreNoFiles) {
    TempTree tree;
    tree.file("good.c", "x;\n");
    tree.dir("old.c");
    for (int i = 0; i < 20; ++i) {
        tree.dir("sub" + std::to_string(i));
    }
    ASSERT_EQ(::mkfifo(tree.path("pipe.c").c_str(), 0644), 0);
    tree.link("nowhere", "dangling.c");

    RecordingHost host;
    host.directories = {tree.root()};
    host.extensions = "*";
    CountRun(host);
    // Directories are passed over; the FIFO and the dangling link count as files that failed,
    // each with its reason.
    EXPECT_EQ(host.column(0), Strings{"good.c"});
    EXPECT_EQ(host.messages,
              (Strings{kFailedToOpenPrefix + tree.path("dangling.c") + "\n\n" +
                           std::system_category().message(ENOENT),
                       kFailedToOpenPrefix + tree.path("pipe.c") + "\n\nnot a regular file"}));
    EXPECT_EQ(host.status, "Files: 3 FIXMEs: 0 Code: 1 Comments: 0 Total: 1");
}

TEST(CountRun, RelativePathsAgainstARelativeFirstEntry) {
    TempTree tree;
    tree.file("src/main.c", "x;\n");
    tree.file("src/lib/util.h", "x;\n");
    tree.file("srcold/a.c", "x;\n");
    const std::string cwd = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    RecordingHost host;
    host.directories = {"./src", "src/lib", "srcold"};
    CountRun(host);
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
    EXPECT_EQ(host.column(0), (Strings{"main.c", "lib/util.h", tree.path("srcold/a.c")}));
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

// Directories that cannot be searched, or only in part: each is told to the host once, with the
// system's reason, after the matches found before the failure; the window passes over them.
TEST(CountRun, DirectoriesThatCannotBeSearchedAreToldOnceEach) {
    TempTree tree;
    tree.file("a.c", "x;\n");
    tree.file("a.h", "x;\n");
    tree.file("file.c", "x;\n");
    class CutShort final : public test::ForwardingFileSystem {
      public:
        std::string cut;
        SearchResult enumerate(const std::string& s) override {
            SearchResult result = ForwardingFileSystem::enumerate(s);
            if (searchDirectory(s) == cut) {
                result.failure = "Input/output error";
            }
            return result;
        }
    } fs;
    fs.cut = tree.root();
    for (bool ahead : {false, true}) {
        RecordingHost host;
        host.directories = {tree.root(), tree.path("missing"), tree.path("file.c"),
                            tree.path("missing")};
        host.extensions = "*.c;*.h";
        AheadCounter counter(ahead);
        CountRun(host, fs, counter);
        EXPECT_EQ(host.column(0), (Strings{"a.c", "file.c", "a.h"}));
        const std::string missing = std::system_category().message(ENOENT);
        EXPECT_EQ(
            host.searchFailures,
            (Strings{tree.root() + ": Input/output error", tree.path("missing") + ": " + missing,
                     tree.path("file.c") + ": " + std::system_category().message(ENOTDIR),
                     tree.path("missing") + ": " + missing}));
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(host.log[4], "row");  // after the first pattern's matches
        EXPECT_EQ(host.status, "Files: 3 FIXMEs: 0 Code: 3 Comments: 0 Total: 3");
    }
}

// A working directory deeper than the longest path the system takes whole: its files are counted
// by their paths all the same.
TEST(CountRun, WorkingDirectoryDeeperThanThePathLimit) {
    TempTree tree;
    const std::string deep = tree.chain(std::string(200, 'd'), PATH_MAX + 400);
    const std::string cwd = std::filesystem::current_path().string();
    ASSERT_TRUE(tree.enter(deep));
    std::ofstream("deep.c") << "x; // FIXME\n";
    RecordingHost host;
    host.directories = {"."};
    CountRun(host);
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
    EXPECT_EQ(host.messages, Strings{});
    EXPECT_EQ(host.column(0), Strings{"deep.c"});
    EXPECT_EQ(host.status, "Files: 1 FIXMEs: 1 Code: 1 Comments: 1 Total: 1");
}

// Files that change between the enumeration and the open: one vanishes, one grows far past the
// reader's buffer, one shrinks.
class ChangingFiles final : public test::ForwardingFileSystem {
  public:
    std::string grownText;

    SearchResult enumerate(const std::string& s) override {
        SearchResult found = ForwardingFileSystem::enumerate(s);
        found.paths.insert(found.paths.begin(), searchDirectoryOf(s) + "/gone.c");
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
    static std::string searchDirectoryOf(const std::string& s) { return s.substr(0, s.rfind('/')); }
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
    EXPECT_EQ(host.messages, Strings{kFailedToOpenPrefix + tree.path("gone.c") + "\n\n" +
                                     std::system_category().message(ENOENT)});
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

TEST(CountRun, ACounterThatWorksAheadSeesLaterDirectoriesAndChangesNothing) {
    TempTree tree;
    // Directories of few files, and then more files than the run announces ahead.
    Strings directories;
    for (int d = 0; d < 40; ++d) {
        const std::string dir = std::string("d").append(std::to_string(100 + d));
        const int files = d == 20 ? 1100 : 3;
        for (int f = 0; f < files; ++f) {
            tree.file(dir + "/f" + std::to_string(f) + (f % 2 ? ".c" : ".h"), "x; // y\n");
        }
        directories.push_back(tree.path(dir));
    }
    // A match that cannot be opened, whoever runs the test.
    tree.link("missing", "d100/broken.c");

    RecordingHost sequentialHost;
    sequentialHost.directories = directories;
    AheadCounter sequential(false);
    CountRun(sequentialHost, systemFileSystem(), sequential);

    RecordingHost aheadHost;
    aheadHost.directories = directories;
    AheadCounter ahead(true);
    CountRun(aheadHost, systemFileSystem(), ahead);

    // The same rows, totals, messages and questions in the same order, and every match announced
    // once, in run order, before it is asked for.
    EXPECT_EQ(aheadHost.column(0), sequentialHost.column(0));
    EXPECT_EQ(aheadHost.column(4), sequentialHost.column(4));
    EXPECT_EQ(aheadHost.status, sequentialHost.status);
    EXPECT_EQ(aheadHost.messages, sequentialHost.messages);
    EXPECT_EQ(aheadHost.messages.size(), 1u);
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
    ASSERT_TRUE(ahead.asked[largeBegins].ends_with("d120/f1.c")) << ahead.asked[largeBegins];
    EXPECT_GT(ahead.announcedWhenAsked[largeBegins], largeBegins + 1100);
    // The sequential counter is told of each pattern's matches only when they are counted.
    EXPECT_EQ(sequential.announcedWhenAsked[0], 2u);
}

// However many workers count ahead, and over either file system, the host sees what a run that
// counts one file after another shows it: the same calls, rows, messages and totals, in order.
TEST(ParallelFileCounter, GivesTheSequentialRunWithAnyNumberOfWorkers) {
    TempTree tree;
    Strings directories;
    for (int d = 0; d < 12; ++d) {
        const std::string dir = "d" + std::to_string(d);
        for (int f = 0; f < (d == 5 ? 400 : 7); ++f) {
            tree.file(dir + "/f" + std::to_string(f) + (f % 3 ? ".c" : ".h"),
                      std::string(static_cast<std::size_t>((f * 13 + d) % 17), '\n') +
                          "x; // FIXME\n/* a\n b */ y;\n");
        }
        directories.push_back(tree.path(dir));
    }
    tree.link(tree.path("nowhere"), "d0/a-dangling.c");
    ASSERT_EQ(::mkfifo(tree.path("d9/fifo.h").c_str(), 0600), 0);

    RecordingHost expected;
    expected.directories = directories;
    CountRun(expected, systemFileSystem());
    ASSERT_EQ(expected.messages.size(), 2u);

    for (unsigned workers : {1u, 2u, 4u}) {
        for (bool listing : {false, true}) {
            const std::unique_ptr<FileSystem> listed = makeListingFileSystem();
            FileSystem& fileSystem = listing ? *listed : systemFileSystem();
            RecordingHost host;
            host.directories = directories;
            ParallelFileCounter counter(fileSystem, CodePage::system(), workers);
            CountRun(host, fileSystem, counter);
            SCOPED_TRACE(std::to_string(workers) + (listing ? " workers, listing" : " workers"));
            EXPECT_EQ(host.log, expected.log);
            for (std::size_t c = 0; c < 5; ++c) {
                EXPECT_EQ(host.column(c), expected.column(c));
            }
            EXPECT_EQ(host.messages, expected.messages);
            EXPECT_EQ(host.runTotals, expected.runTotals);
            EXPECT_EQ(host.status, expected.status);
        }
    }
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
