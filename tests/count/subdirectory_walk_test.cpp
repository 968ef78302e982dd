#include "count/subdirectory_walk.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <set>

#include <gtest/gtest.h>

#include "temp_tree.h"
#include "tests/support/failing_searches.h"

namespace lw {
namespace {

using test::FailingSearches;
using testing_support::TempTree;
using Paths = std::vector<std::string>;

struct Walked {
    Paths appended;
    Paths messages;
};

Walked walk(FileSystem& fs, const std::string& directory) {
    Walked w;
    walkSubdirectories(
        fs, directory, [&](const std::string& p) { w.appended.push_back(p); },
        [&](const std::string& m) {
            w.messages.push_back(m);
            w.appended.push_back("<message>");
        });
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
    EXPECT_TRUE(w.messages.empty());
}

TEST(SubdirectoryWalk, MissingStartReportsOnce) {
    TempTree tree;
    const Walked w = walk(systemFileSystem(), tree.path("nope"));
    EXPECT_EQ(w.messages, Paths{kFindNextFileMessage});
    EXPECT_EQ(w.appended, Paths{"<message>"});
}

TEST(SubdirectoryWalk, FailedSearchIsReportedAfterItsEntryAndSiblingsFollow) {
    TempTree tree;
    tree.dir("top/a/inner");
    tree.dir("top/b");
    const std::string top = tree.path("top");
    FailingSearches fs({top + "/a"});
    const Walked w = walk(fs, top);
    EXPECT_EQ(w.appended, (Paths{top + "/a", "<message>", top + "/b"}));
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
    TempTree tree;
    // No single path may be longer than PATH_MAX, so the chain is made and removed step by step.
    const std::string name(200, 'd');
    const std::string cwd = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    int depth = 0;
    for (std::size_t length = tree.root().size(); length < PATH_MAX + 400;
         length += name.size() + 1) {
        ASSERT_EQ(::mkdir(name.c_str(), 0755), 0);
        ASSERT_EQ(::chdir(name.c_str()), 0);
        ++depth;
    }
    ASSERT_EQ(::chdir(cwd.c_str()), 0);

    const Walked w = walk(systemFileSystem(), tree.root());
    EXPECT_EQ(w.messages, Paths{kFindNextFileMessage});
    EXPECT_LT(w.appended.size(), static_cast<std::size_t>(depth));
    EXPECT_EQ(w.appended.back(), "<message>");

    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    for (int i = 0; i < depth - 1; ++i) {
        ASSERT_EQ(::chdir(name.c_str()), 0);
    }
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(::rmdir(name.c_str()), 0);
        ASSERT_EQ(::chdir(".."), 0);
    }
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
}

TEST(SubdirectoryWalk, ThousandsOfDirectoriesAreListedOnceInOrder) {
    TempTree tree;
    for (int i = 0; i < 50; ++i) {
        const std::string outer = tree.path("d").append(std::to_string(i));
        ASSERT_EQ(::mkdir(outer.c_str(), 0755), 0);
        for (int j = 0; j < 40; ++j) {
            ASSERT_EQ(::mkdir((outer + "/e" + std::to_string(j)).c_str(), 0755), 0);
        }
    }
    const Walked w = walk(systemFileSystem(), tree.root());
    // Speed is the benchmarks' business; here every directory must be listed once, in order.
    ASSERT_EQ(w.appended.size(), 2050u);
    EXPECT_TRUE(std::is_sorted(w.appended.begin(), w.appended.end()));
    EXPECT_TRUE(w.messages.empty());
}

}  // namespace
}  // namespace lw
