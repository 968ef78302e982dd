#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <gtest/gtest.h>

#include "count/count_run.h"
#include "count/parallel_file_counter.h"
#include "count/path_text.h"
#include "deep_temp_tree.h"
#include "recording_host.h"
#include "temp_tree.h"
#include "tests/support/forwarding_file_system.h"

namespace lw {
namespace {

using testing_support::DeepTempTree;
using testing_support::RecordingHost;
using testing_support::Strings;
using testing_support::TempTree;

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
    DeepTempTree tree;
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
    // The sequential counter is told of a directory's matches, every pattern's, when it comes to
    // the directory, and of no other directory's.
    const auto inFirst =
        std::count_if(sequential.asked.begin(), sequential.asked.end(),
                      [&](const std::string& p) { return p.starts_with(directories[0] + "/"); });
    EXPECT_EQ(sequential.announcedWhenAsked[0], static_cast<std::size_t>(inFirst));
    EXPECT_EQ(inFirst, 4);
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
    // A directory given twice is counted twice; one that cannot be searched is told of.
    directories.push_back(tree.path("d3"));
    directories.push_back(tree.path("missing"));

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
            EXPECT_EQ(host.searchFailures, expected.searchFailures);
            EXPECT_EQ(host.runTotals, expected.runTotals);
            EXPECT_EQ(host.status, expected.status);
        }
    }
}

}  // namespace
}  // namespace lw
