#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <system_error>

#include <gtest/gtest.h>

#include "count/count_run.h"
#include "count/file_system.h"
#include "count/line_source.h"
#include "count/path_text.h"
#include "deep_temp_tree.h"
#include "temp_tree.h"

namespace lw {
namespace {

using testing_support::DeepTempTree;
using testing_support::TempTree;
using Paths = std::vector<std::string>;

std::string reason(int error) {
    return std::system_category().message(error);
}

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
    EXPECT_EQ(fs.enumerate(r + "/*.c").paths,
              (Paths{r + "/.hidden.c", r + "/B.c", r + "/a.c", r + "/b.c", r + "/dangling.c",
                     r + "/link.c", r + "/x\xff.c"}));
}

TEST_P(PosixEnumerate, UsesThePlatformWildcards) {
    const std::string r = tree.root();
    EXPECT_EQ(fs.enumerate(r + "/[ab].?").paths, (Paths{r + "/a.c", r + "/a.h", r + "/b.c"}));
    EXPECT_EQ(fs.enumerate(r + "/*.C").paths, Paths{});  // case-sensitive
    // "*" matches "." and ".." as well; being directories, they are no files.
    EXPECT_EQ(fs.enumerate(r + "/*").paths.size(), 8u);
}

// A directory that cannot be searched finds nothing and says why; a pattern that matches
// nothing is no failure.
TEST_P(PosixEnumerate, MissingDirectoryOrNoMatchFindsNothing) {
    const struct {
        const char* searchPath;
        std::optional<std::string> failure;
    } cases[] = {
        {"nope/*.c", reason(ENOENT)}, {"*.none", std::nullopt}, {"a.c/*", reason(ENOTDIR)}};
    for (const auto& c : cases) {
        const SearchResult found = fs.enumerate(tree.path(c.searchPath));
        EXPECT_TRUE(found.paths.empty()) << c.searchPath;
        EXPECT_EQ(found.failure, c.failure) << c.searchPath;
    }
}

TEST_P(PosixEnumerate, FullPathIsTheLexicallyAbsoluteDirectory) {
    const std::string cwd = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    const Paths got = fs.enumerate(".//./a.*").paths;
    const Paths viaLink = fs.enumerate("dirlink.c/../a.c").paths;
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
    EXPECT_EQ(got, (Paths{tree.path("a.c"), tree.path("a.h")}));
    // ".." stays as written: the link is not resolved.
    EXPECT_EQ(viaLink, (Paths{tree.path("dirlink.c/../a.c")}));
}

// All the patterns of an entry at once find what each finds alone, for any shape of entry and
// pattern: a pattern with a separator searches another directory.
TEST(ListingFileSystem, SearchesEachPatternOfAnEntryAsAlone) {
    TempTree tree;
    for (const char* name : {"a.c", "b.h", "c.cpp", "sub/d.c", "sub/e.h", ".f.c"}) {
        tree.file(name);
    }
    const std::vector<std::string> patterns = {"*.c", "sub/*.h", "*.h", "", "*", "[ab]*", "*.c"};
    const std::string r = tree.root();
    for (const std::string& entry : {r, r + "/", r + "//", r + "/./sub/..", r + "/sub"}) {
        const auto fs = makeListingFileSystem();
        const std::vector<SearchResult> each = fs->enumerateEach(entry, patterns);
        ASSERT_EQ(each.size(), patterns.size()) << entry;
        for (std::size_t p = 0; p < patterns.size(); ++p) {
            const SearchResult alone =
                systemFileSystem().enumerate(searchPathOf(entry, patterns[p]));
            EXPECT_EQ(each[p].paths, alone.paths) << entry << " " << patterns[p];
            EXPECT_EQ(each[p].failure, alone.failure) << entry << " " << patterns[p];
        }
    }
    const auto fs = makeListingFileSystem();
    const std::vector<SearchResult> missing = fs->enumerateEach(r + "/none", {"*.c", "*.h"});
    ASSERT_EQ(missing.size(), 2u);
    EXPECT_EQ(missing[1].failure, reason(ENOENT));
}

// One run lists each directory once, however often and however it is searched or walked: what
// changes in it afterwards goes unseen, and a file gone since fails as it opens.
TEST(ListingFileSystem, ReadsEachDirectoryOnceForTheRun) {
    TempTree tree;
    tree.file("one/a.c", "x;\n");
    tree.file("one/a.h");
    tree.dir("one/sub");
    tree.file("two/b.c");
    const auto fs = makeListingFileSystem();
    EXPECT_EQ(fs->subdirectories(tree.path("one")).paths, Paths{tree.path("one/sub")});
    tree.file("one/new.c");
    tree.dir("one/newsub");
    EXPECT_EQ(fs->enumerate(tree.path("one/*.c")).paths, Paths{tree.path("one/a.c")});
    EXPECT_EQ(fs->enumerate(tree.path("two/*.c")).paths, Paths{tree.path("two/b.c")});
    EXPECT_EQ(fs->enumerate(tree.path("one/./*.h")).paths, Paths{tree.path("one/a.h")});
    EXPECT_EQ(fs->subdirectories(tree.path("one/")).paths, Paths{tree.path("one/sub")});
    std::filesystem::remove_all(tree.path("one"));
    EXPECT_EQ(fs->enumerate(tree.path("one/*.c")).paths, Paths{tree.path("one/a.c")});
    EXPECT_EQ(fs->openForReading(tree.path("one/a.c")).failure, reason(ENOENT));
}

// A directory let go beyond the ones kept open costs no descriptor and no file: it is opened
// again when a file in it is opened, and kept like the others.
TEST(ListingFileSystem, HoldsNoMoreDirectoriesOpenThanItKeeps) {
    const auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator{});
    };
    TempTree tree;
    for (int d = 0; d < 40; ++d) {
        tree.file("d" + std::to_string(d) + "/a.c", "x;\n");
    }
    const auto before = openDescriptors();
    const auto fs = makeListingFileSystem(4);
    for (int round = 0; round < 2; ++round) {
        for (int d = 0; d < 40; ++d) {
            const std::string dir = tree.path("d" + std::to_string(d));
            ASSERT_EQ(fs->enumerate(dir + "/*.c").paths.size(), 1u);
            EXPECT_NE(fs->openForReading(dir + "/a.c").file, nullptr) << dir;
            EXPECT_LE(openDescriptors(), before + 4) << dir;
        }
    }
}

// A listed regular file that something else takes the place of before it is opened: what is
// counted of it is what a run that checks every open would count, and nothing blocks or runs
// forever (a FIFO without a writer, a link to an endless device).
TEST(ListingFileSystem, WhatTookTheListedFilesPlaceIsCountedAsWhenChecked) {
    TempTree tree;
    tree.file("target.c", "x; // FIXME\n");
    ASSERT_EQ(::mkfifo(tree.path("fifo").c_str(), 0644), 0);
    const struct {
        const char* name;
        std::function<void(const std::string&)> swap;
    } cases[] = {
        {"fifo.c", [&](const std::string& p) { ::rename(tree.path("fifo").c_str(), p.c_str()); }},
        {"dir.c", [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"to-zero.c",
         [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); }},
        {"to-null.c",
         [](const std::string& p) { std::filesystem::create_symlink("/dev/null", p); }},
        {"to-file.c",
         [&](const std::string& p) { std::filesystem::create_symlink(tree.path("target.c"), p); }},
        {"gone.c", [](const std::string&) {}},
        {"empty.c", [](const std::string& p) { std::ofstream{p}; }},
    };
    for (const auto& c : cases) {
        tree.file(c.name, "x;\ny;\n");
    }
    const auto fs = makeListingFileSystem();
    ASSERT_EQ(fs->enumerate(tree.path("*.c")).paths.size(), std::size(cases) + 1);
    for (const auto& c : cases) {
        const std::string path = tree.path(c.name);
        std::filesystem::remove(path);
        c.swap(path);
        const FileOutcome checked = countFile(systemFileSystem(), CodePage::system(), path);
        const FileOutcome listed = countFile(*fs, CodePage::system(), path);
        EXPECT_EQ(listed.status, checked.status) << c.name;
        EXPECT_EQ(listed.failure, checked.failure) << c.name;
        EXPECT_EQ(listed.counts, checked.counts) << c.name;
    }
}

// A listed file is read to its end: one that takes reads filled to the brim, and one on a file
// system that gives a page at a time however much is asked for (the kernel's symbol list).
TEST(ListingFileSystem, ReadsListedFilesToTheirEnd) {
    TempTree tree;
    constexpr std::size_t kBuffer = FileLineSource::kDefaultBufferSize;
    std::string lines;
    while (lines.size() < 3 * kBuffer + 7) {
        lines += "x; // FIXME\n";
    }
    std::vector<std::string> paths;
    for (const std::size_t size : {kBuffer, kBuffer + 1, lines.size()}) {
        paths.push_back(tree.path(std::to_string(size) + ".c"));
        tree.file(std::to_string(size) + ".c", lines.substr(0, size));
    }
    std::string symbols;
    if (std::ifstream in{"/proc/kallsyms"}) {
        symbols.assign(std::istreambuf_iterator<char>(in), {});
    }
    if (symbols.size() > 2 * 4096) {
        paths.push_back("/proc/kallsyms");
    }
    const auto fs = makeListingFileSystem();
    for (const std::string& path : paths) {
        ASSERT_EQ(fs->enumerate(path).paths, Paths{path});
        const FileOutcome checked = countFile(systemFileSystem(), CodePage::system(), path);
        const FileOutcome listed = countFile(*fs, CodePage::system(), path);
        EXPECT_EQ(listed.status, FileStatus::Counted) << path;
        EXPECT_EQ(listed.counts, checked.counts) << path;
    }
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
        ASSERT_EQ(fs.enumerate(tree.path("*.c")).paths.size(), 5u);  // all but dir.c
    }
    for (const char* name : {"text.c", "link.c"}) {
        const OpenResult opened = fs.openForReading(tree.path(name));
        ASSERT_NE(opened.file, nullptr) << name;
        char buffer[16];
        EXPECT_EQ(opened.file->read(buffer, sizeof buffer), 5) << name;
        EXPECT_EQ(opened.file->read(buffer, sizeof buffer), 0) << name;
    }
    const std::pair<std::string, std::string> refused[] = {
        {tree.path("dangling.c"), reason(ENOENT)},   {tree.path("missing.c"), reason(ENOENT)},
        {tree.path("dir.c"), reason(EISDIR)},        {tree.path("fifo.c"), "not a regular file"},
        {tree.path("sock.c"), "not a regular file"}, {"/dev/null", "not a regular file"}};
    for (const auto& [path, why] : refused) {
        const OpenResult opened = fs.openForReading(path);
        EXPECT_EQ(opened.file, nullptr) << path;
        EXPECT_EQ(opened.failure, why) << path;
    }
    ::close(sock);
}

// Paths longer than the system takes whole are searched and opened all the same.
TEST_P(PosixOpen, PathsLongerThanThePathLimit) {
    DeepTempTree tree;
    const std::string chain = tree.chain(std::string(250, 'd'), PATH_MAX * 2);
    const std::string deep = tree.path(chain);
    const std::string cwd = std::filesystem::current_path().string();
    ASSERT_TRUE(tree.enter(chain));
    std::ofstream("a.c") << "hello";
    ASSERT_EQ(::chdir(cwd.c_str()), 0);

    const std::unique_ptr<FileSystem> listing = makeListingFileSystem();
    FileSystem& fs = GetParam() ? *listing : systemFileSystem();
    EXPECT_EQ(fs.enumerate(deep + "/*.c").paths, Paths{deep + "/a.c"});
    const OpenResult opened = fs.openForReading(deep + "//a.c");
    ASSERT_NE(opened.file, nullptr) << opened.failure;
    char buffer[16];
    EXPECT_EQ(opened.file->read(buffer, sizeof buffer), 5);
    EXPECT_EQ(fs.openForReading(deep + "/b.c").failure, reason(ENOENT));
}

TEST(PosixSubdirectories, ListsRealDirectoriesOnlyInByteOrder) {
    TempTree tree;
    tree.dir("top/b");
    tree.dir("top/a");
    tree.dir("top/.git");
    tree.file("top/file");
    tree.link("a", "top/link");
    const std::string top = tree.path("top");
    const SearchResult found = systemFileSystem().subdirectories(top + "/");
    EXPECT_FALSE(found.failure);
    EXPECT_EQ(found.paths, (Paths{top + "/.git", top + "/a", top + "/b"}));
    EXPECT_EQ(systemFileSystem().subdirectories(tree.path("missing")).failure, reason(ENOENT));
    EXPECT_EQ(systemFileSystem().subdirectories(tree.path("top/file")).failure, reason(ENOTDIR));
}

// The budget is what the limit leaves of the descriptors, counted here by asking each number
// in turn, and it follows the descriptors that open and close.
TEST(OpenFileBudget, IsTheLimitLessTheOpenDescriptors) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    // A limit low enough to probe every number below it.
    rlimit limit = saved;
    limit.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 4096);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    const auto probedBudget = [&] {
        std::size_t open = 0;
        for (rlim_t fd = 0; fd < limit.rlim_cur; ++fd) {
            open += ::fcntl(static_cast<int>(fd), F_GETFD) != -1 ? 1 : 0;
        }
        return static_cast<std::size_t>(limit.rlim_cur) - open;
    };
    const std::size_t before = openFileBudget();
    EXPECT_EQ(before, probedBudget());
    int fds[3];
    for (int& fd : fds) {
        fd = ::dup(0);
        ASSERT_GE(fd, 0);
    }
    EXPECT_EQ(openFileBudget(), before - 3);
    for (const int fd : fds) {
        ::close(fd);
    }
    EXPECT_EQ(openFileBudget(), before);
    ::setrlimit(RLIMIT_NOFILE, &saved);
}

}  // namespace
}  // namespace lw
