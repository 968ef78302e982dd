#include "count/subdirectory_walk.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <set>
#include <system_error>

#include <gtest/gtest.h>

#include "deep_temp_tree.h"
#include "temp_tree.h"
#include "tests/support/forwarding_file_system.h"

namespace lw {
namespace {

using testing_support::DeepTempTree;
using testing_support::TempTree;
using Paths = std::vector<std::string>;

struct Walked {
    Paths appended;
    std::vector<SearchFailure> failures;
};

Walked walk(FileSystem& fs, const std::string& directory) {
    Walked w;
    w.failures =
        walkSubdirectories(fs, directory, [&](const std::string& p) { w.appended.push_back(p); });
    return w;
}

TEST(SubdirectoryWalk, IsDepthFirstPreOrderWithSiblingsInByteOrder) {
    TempTree tree;
    tree.dir("top/src");
    tree.dir("top/lib/deep");
    tree.dir("top/Lib");
    tree.file("top/lib/file.c");
    const std::string top = tree.path("top");
    const Walked w = walk(systemFileSystem(), top);
    EXPECT_EQ(w.appended, (Paths{top + "/Lib", top + "/lib", top + "/lib/deep", top + "/src"}));
    EXPECT_TRUE(w.failures.empty());
}

TEST(SubdirectoryWalk, MissingStartFailsWithTheSystemsReason) {
    TempTree tree;
    const Walked w = walk(systemFileSystem(), tree.path("nope"));
    EXPECT_EQ(
        w.failures,
        (std::vector<SearchFailure>{{tree.path("nope"), std::system_category().message(ENOENT)}}));
    EXPECT_TRUE(w.appended.empty());
}

// The subdirectories found before a failure are listed and walked in order, the failure is
// noted for its directory, and the siblings after it follow.
TEST(SubdirectoryWalk, FailedSearchKeepsWhatItFoundAndTheWalkGoesOn) {
    TempTree tree;
    tree.dir("top/a/one/deep");
    tree.dir("top/a/two");
    tree.dir("top/b/inner");
    tree.dir("top/c");
    const std::string top = tree.path("top");
    for (std::size_t kept : {0, 1}) {
        test::FailingSubdirectories fs({top + "/a", top + "/b"}, kept);
        const Walked w = walk(fs, top);
        const Paths want = kept == 0 ? Paths{top + "/a", top + "/b", top + "/c"}
                                     : Paths{top + "/a", top + "/a/one",   top + "/a/one/deep",
                                             top + "/b", top + "/b/inner", top + "/c"};
        EXPECT_EQ(w.appended, want);
        EXPECT_EQ(w.failures, (std::vector<SearchFailure>{{top + "/a", "Permission denied"},
                                                          {top + "/b", "Permission denied"}}));
    }
}

TEST(SubdirectoryWalk, OneMessageNamesTheFirstTwentyFailuresAndCountsTheRest) {
    std::vector<SearchFailure> failures;
    for (int i = 0; i < 23; ++i) {
        failures.push_back({"/d" + std::to_string(i), "Permission denied"});
    }
    std::string want = "Error: Failed to FindNextFile\n\n";
    for (int i = 0; i < 20; ++i) {
        want += "/d" + std::to_string(i) + ": Permission denied" + (i < 19 ? "\n" : "");
    }
    EXPECT_EQ(searchFailureReport(failures), want + "\n\xE2\x80\xA6 and 3 more");
    failures.resize(20);
    EXPECT_EQ(searchFailureReport(failures), want);
    EXPECT_EQ(searchFailureReport({{"", "Input/output error"}}),
              "Error: Failed to FindNextFile\n\n/: Input/output error");
}

TEST(SubdirectoryWalk, LinkCycleIsNotEntered) {
    TempTree tree;
    tree.dir("top/a");
    tree.link("..", "top/a/up");
    tree.link(tree.path("top"), "top/a/abs");
    const Walked w = walk(systemFileSystem(), tree.path("top"));
    EXPECT_EQ(w.appended, Paths{tree.path("top/a")});
}

TEST(SubdirectoryWalk, StopsWherePathsOutgrowThePathLimit) {
    DeepTempTree tree;
    const std::string name(200, 'd');
    const std::string deep = tree.chain(name, PATH_MAX + 400);
    const Walked w = walk(systemFileSystem(), tree.root());
    ASSERT_EQ(w.failures.size(), 1u);
    EXPECT_EQ(w.failures[0].reason, std::system_category().message(ENAMETOOLONG));
    EXPECT_EQ(w.failures[0].directory, w.appended.back());
    EXPECT_LT(w.appended.size(),
              static_cast<std::size_t>(std::count(deep.begin(), deep.end(), '/')));
}

TEST(SubdirectoryWalk, ThousandsOfDirectoriesAreListedOnceInOrder) {
    TempTree tree;
    for (int i = 0; i < 50; ++i) {
        const std::string outer = tree.path("d" + std::to_string(i));
        ASSERT_EQ(::mkdir(outer.c_str(), 0755), 0);
        for (int j = 0; j < 40; ++j) {
            ASSERT_EQ(::mkdir((outer + "/e" + std::to_string(j)).c_str(), 0755), 0);
        }
    }
    const Walked w = walk(systemFileSystem(), tree.root());
    // Speed is the benchmarks' business; here every directory must be listed once, in order.
    ASSERT_EQ(w.appended.size(), 2050u);
    EXPECT_TRUE(std::is_sorted(w.appended.begin(), w.appended.end()));
    EXPECT_TRUE(w.failures.empty());
}

}  // namespace
}  // namespace lw
