#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "count/listing_file_system.h"
#include "temp_tree.h"

namespace lw {
namespace {

using testing_support::TempTree;
using Paths = std::vector<std::string>;

// Both ways of searching: a directory read for every search, and one read once for a series.
class PosixEnumerate : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        tree.file("b.c");
        tree.file("a.c");
        tree.file("B.c");
        tree.file("a.h");
        tree.file(".hidden.c");
        tree.file("x\xff.c");
        tree.dir("old.c");
        tree.link("a.c", "link.c");
        tree.link("old.c", "dirlink.c");
        tree.link("missing", "dangling.c");
    }
    TempTree tree;
    std::unique_ptr<FileSystem> listing = makeListingFileSystem();
    FileSystem& fs = GetParam() ? *listing : systemFileSystem();
};

INSTANTIATE_TEST_SUITE_P(EachSearch, PosixEnumerate, ::testing::Bool(), [](const auto& info) {
    return info.param ? "ListedOnce" : "ReadEachTime";
});

TEST_P(PosixEnumerate, YieldsMatchingNonDirectoriesInByteOrder) {
    const std::string r = tree.root();
    EXPECT_EQ(fs.enumerate(r + "/*.c"), (Paths{r + "/.hidden.c", r + "/B.c", r + "/a.c", r + "/b.c",
                                               r + "/dangling.c", r + "/link.c", r + "/x\xff.c"}));
}

TEST_P(PosixEnumerate, UsesThePlatformWildcards) {
    const std::string r = tree.root();
    EXPECT_EQ(fs.enumerate(r + "/[ab].?"), (Paths{r + "/a.c", r + "/a.h", r + "/b.c"}));
    EXPECT_EQ(fs.enumerate(r + "/*.C"), Paths{});  // case-sensitive
    // "*" matches "." and ".." as well; being directories, they are no files.
    EXPECT_EQ(fs.enumerate(r + "/*").size(), 8u);
}

TEST_P(PosixEnumerate, MissingDirectoryOrNoMatchYieldsNothing) {
    EXPECT_TRUE(fs.enumerate(tree.path("nope/*.c")).empty());
    EXPECT_TRUE(fs.enumerate(tree.path("*.none")).empty());
    EXPECT_TRUE(fs.enumerate(tree.path("a.c/*")).empty());
}

TEST_P(PosixEnumerate, FullPathIsTheLexicallyAbsoluteDirectory) {
    const std::string cwd = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    const Paths got = fs.enumerate(".//./a.*");
    const Paths viaLink = fs.enumerate("dirlink.c/../a.c");
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
    EXPECT_EQ(got, (Paths{tree.path("a.c"), tree.path("a.h")}));
    // ".." stays as written: the link is not resolved.
    EXPECT_EQ(viaLink, (Paths{tree.path("dirlink.c/../a.c")}));
}

TEST(ListingFileSystem, ReadsADirectoryAgainOnlyAfterAnotherWasSearched) {
    TempTree tree;
    tree.file("one/a.c");
    tree.file("one/a.h");
    tree.file("two/b.c");
    const auto fs = makeListingFileSystem();
    EXPECT_EQ(fs->enumerate(tree.path("one/*.c")), Paths{tree.path("one/a.c")});
    tree.file("one/new.c");
    tree.file("one/new.h");
    // The series of searches in "one" goes on with the listing it began with.
    EXPECT_EQ(fs->enumerate(tree.path("one/*.h")), Paths{tree.path("one/a.h")});
    EXPECT_EQ(fs->enumerate(tree.path("two/*.c")), Paths{tree.path("two/b.c")});
    EXPECT_EQ(fs->enumerate(tree.path("one/*.c")),
              (Paths{tree.path("one/a.c"), tree.path("one/new.c")}));
    std::filesystem::remove_all(tree.path("one"));
    EXPECT_EQ(fs->enumerate(tree.path("two/*.c")), Paths{tree.path("two/b.c")});
    EXPECT_EQ(fs->enumerate(tree.path("one/*.c")), Paths{});
}

// Plain opens by full path, and opens within a directory that a listing file system holds open.
class PosixOpen : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(EachOpen, PosixOpen, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "InListed" : "ByPath"; });

TEST_P(PosixOpen, ReadsRegularFilesAndRefusesEverythingElseWithoutBlocking) {
    TempTree tree;
    tree.file("text.c", "hello");
    tree.link("text.c", "link.c");
    tree.link("missing", "dangling.c");
    tree.dir("dir.c");
    ASSERT_EQ(::mkfifo(tree.path("fifo.c").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = tree.path("sock.c");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    const std::unique_ptr<FileSystem> listing = makeListingFileSystem();
    FileSystem& fs = GetParam() ? *listing : systemFileSystem();
    if (GetParam()) {
        ASSERT_EQ(fs.enumerate(tree.path("*.c")).size(), 5u);  // all but dir.c
    }
    for (const char* name : {"text.c", "link.c"}) {
        const auto file = fs.openForReading(tree.path(name));
        ASSERT_NE(file, nullptr) << name;
        char buffer[16];
        EXPECT_EQ(file->read(buffer, sizeof buffer), 5) << name;
        EXPECT_EQ(file->read(buffer, sizeof buffer), 0) << name;
    }
    for (const char* name : {"dangling.c", "missing.c", "dir.c", "fifo.c", "sock.c"}) {
        EXPECT_EQ(fs.openForReading(tree.path(name)), nullptr) << name;
    }
    EXPECT_EQ(fs.openForReading("/dev/null"), nullptr);
    ::close(sock);
}

TEST(PosixSubdirectories, ListsRealDirectoriesOnlyInByteOrder) {
    TempTree tree;
    tree.dir("top/b");
    tree.dir("top/a");
    tree.dir("top/.git");
    tree.file("top/file");
    tree.link("a", "top/link");
    const std::string top = tree.path("top");
    const auto found = systemFileSystem().subdirectories(top + "/");
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, (Paths{top + "/.git", top + "/a", top + "/b"}));
    EXPECT_FALSE(systemFileSystem().subdirectories(tree.path("missing")));
    EXPECT_FALSE(systemFileSystem().subdirectories(tree.path("top/file")));
}

}  // namespace
}  // namespace lw
