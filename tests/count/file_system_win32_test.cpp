#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

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

Strings sorted(Strings paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

// A file the system would not let a program create under its own name: "CON.c" and "NUL.c"
// name devices unless the path bypasses the system's name rules with "\\?\".
void createVerbatim(const std::string& path, const char* content) {
    const HANDLE file = CreateFileA(("\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, content, static_cast<DWORD>(std::strlen(content)), &written, nullptr);
    CloseHandle(file);
}

// Whatever it reads, to the end; "<none>" when it does not open.
std::string readAll(FileSystem& fs, const std::string& path) {
    const std::unique_ptr<ReadableFile> file = fs.openForReading(path);
    if (!file) {
        return "<none>";
    }
    std::string text;
    char buffer[64];
    for (ssize_t got; (got = file->read(buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

class Win32FileSystem : public ::testing::Test {
  protected:
    TempTree tree;
    FileSystem& fs = systemFileSystem();
};

TEST_F(Win32FileSystem, EnumeratesFilesWithTheSystemsWildcards) {
    for (const char* name : {"b.c", "a.c", "B2.C", "a.h", ".hidden.c", "sub/inner.c"}) {
        tree.file(name, "x;\n");
    }
    tree.dir("old.c");
    const auto in = [this](const Strings& names) {
        Strings paths;
        for (const std::string& name : names) {
            paths.push_back(tree.path(name));
        }
        return sorted(paths);
    };
    // Case-insensitive; a matching directory, "." and ".." are passed over.
    EXPECT_EQ(sorted(fs.enumerate(tree.path("*.c"))), in({".hidden.c", "B2.C", "a.c", "b.c"}));
    EXPECT_EQ(sorted(fs.enumerate(tree.path("?.C"))), in({"a.c", "b.c"}));
    EXPECT_EQ(sorted(fs.enumerate(tree.path("*"))), in({".hidden.c", "B2.C", "a.c", "a.h", "b.c"}));
    EXPECT_EQ(fs.enumerate(tree.path("missing/*.c")), Strings{});
    EXPECT_EQ(fs.enumerate(tree.path("*.none")), Strings{});
}

TEST_F(Win32FileSystem, FullPathIsTheSearchedDirectoryMadeAbsolute) {
    tree.file("sub/inner.c", "x;\n");
    const Strings expected{tree.path("sub/inner.c")};
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(tree.root());
    const Strings relative = fs.enumerate("sub\\*.c");
    const Strings dotted = fs.enumerate(".\\sub\\..\\sub\\*.c");
    const std::string base = fs.absolutePath("sub\\");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(relative, expected);
    EXPECT_EQ(dotted, expected);
    EXPECT_EQ(base, tree.path("sub") + "\\");
    // Forward slashes are the system's separators too; the full path has backslashes only.
    EXPECT_EQ(fs.enumerate(tree.root() + "/sub\\*.c"), expected);
    EXPECT_EQ(fs.enumerate(tree.root() + "\\sub/*.c"), expected);
    // A drive stands for its root, as in a search path "C:" + "\" + pattern.
    EXPECT_EQ(fs.absolutePath("C:\\"), "C:\\");
}

TEST_F(Win32FileSystem, OpensDiskFilesOnly) {
    tree.file("text.c", "hello");
    tree.dir("dir.c");
    EXPECT_EQ(readAll(fs, tree.path("text.c")), "hello");
    EXPECT_EQ(readAll(fs, tree.path("dir.c")), "<none>");
    EXPECT_EQ(readAll(fs, tree.path("missing.c")), "<none>");
    // Device names in a directory of sources: the device is never read (the console would
    // block, NUL would pass for an empty file). A system that treats the name as an ordinary
    // file reads the file.
    for (const char* name : {"CON.c", "NUL.c", "AUX.c", "PRN.c"}) {
        createVerbatim(tree.path(name), "x;\n");
        const std::string got = readAll(fs, tree.path(name));
        EXPECT_TRUE(got == "<none>" || got == "x;\n") << name << ": " << got;
        DeleteFileA(("\\\\?\\" + tree.path(name)).c_str());
    }
}

TEST_F(Win32FileSystem, SharesWithOtherProgramsButNotAgainstTheirWill) {
    tree.file("locked.c", "x;\n");
    tree.file("shared.c", "y;\n");
    const HANDLE exclusive = CreateFileA(tree.path("locked.c").c_str(), GENERIC_READ, 0, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(fs.openForReading(tree.path("locked.c")), nullptr);
    CloseHandle(exclusive);
    EXPECT_EQ(readAll(fs, tree.path("locked.c")), "x;\n");

    // While the count holds a file, another program may still write it and delete it.
    const std::unique_ptr<ReadableFile> held = fs.openForReading(tree.path("shared.c"));
    ASSERT_NE(held, nullptr);
    const HANDLE writer = CreateFileA(tree.path("shared.c").c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);
    EXPECT_TRUE(DeleteFileA(tree.path("shared.c").c_str()));
    char buffer[8];
    EXPECT_EQ(held->read(buffer, sizeof buffer), 3);
}

TEST_F(Win32FileSystem, AFileDeletedBetweenTheSearchAndTheOpenFailsToOpen) {
    tree.file("a.c", "x;\n");
    tree.file("gone.c", "y;\n");
    const Strings found = fs.enumerate(tree.path("*.c"));
    ASSERT_EQ(found.size(), 2u);
    ASSERT_TRUE(DeleteFileA(tree.path("gone.c").c_str()));
    EXPECT_EQ(readAll(fs, tree.path("gone.c")), "<none>");
    EXPECT_EQ(readAll(fs, tree.path("a.c")), "x;\n");
}

TEST_F(Win32FileSystem, ACountRunPassesDirectoriesOverAndReportsWhatDoesNotOpen) {
    tree.file("good.c", "x;\n");
    tree.dir("old.c");
    for (int i = 0; i < 20; ++i) {
        tree.dir("sub" + std::to_string(i));
    }
    tree.file("locked.c", "y;\n");
    const HANDLE exclusive = CreateFileA(tree.path("locked.c").c_str(), GENERIC_READ, 0, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    RecordingHost host;
    host.directories = {tree.root()};
    host.extensions = "*";
    CountRun(host);
    CloseHandle(exclusive);
    EXPECT_EQ(host.column(0), Strings{"good.c"});
    EXPECT_EQ(host.messages, Strings{kFailedToOpenPrefix + tree.path("locked.c")});
    EXPECT_EQ(host.status, "Files: 2 FIXMEs: 0 Code: 1 Comments: 0 Total: 1");
}

struct Walked {
    Strings appended;
    Strings messages;
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

TEST_F(Win32FileSystem, TheWalkListsDirectoriesDepthFirst) {
    tree.dir("top/lib/deep");
    tree.dir("top/src");
    tree.file("top/file.c");
    tree.file("top/lib/x.c");
    const Walked w = walk(fs, tree.path("top"));
    EXPECT_TRUE(w.messages.empty());
    // Siblings come in the system's order; a directory's own subtree follows it at once.
    const Strings lib{tree.path("top/lib"), tree.path("top/lib/deep")};
    const Strings src{tree.path("top/src")};
    Strings either = lib;
    either.insert(either.end(), src.begin(), src.end());
    Strings other = src;
    other.insert(other.end(), lib.begin(), lib.end());
    EXPECT_TRUE(w.appended == either || w.appended == other)
        << ::testing::PrintToString(w.appended);

    EXPECT_EQ(walk(fs, tree.path("missing")).messages, Strings{kFindNextFileMessage});
    EXPECT_EQ(fs.subdirectories(tree.path("top/file.c")), std::nullopt);
}

// A directory whose search path would pass the path limit is listed, and reports that its search
// failed; the walk goes no deeper.
TEST_F(Win32FileSystem, TheWalkStopsAtThePathLimit) {
    const std::wstring name(100, L'd');
    std::wstring path = L"\\\\?\\" + std::filesystem::path(tree.root()).wstring();
    std::vector<std::wstring> made;
    while (path.size() < MAX_PATH + 150) {
        path += L"\\" + name;
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
        made.push_back(path);
    }
    const Walked w = walk(fs, tree.root());
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        RemoveDirectoryW(it->c_str());
    }
    EXPECT_EQ(w.messages, Strings{kFindNextFileMessage});
    ASSERT_FALSE(w.appended.empty());
    EXPECT_EQ(w.appended.back(), "<message>");
    EXPECT_LT(w.appended.size(), made.size() + 1);
}

// A junction back to an ancestor: neither listed nor entered. Where the system cannot make one
// (Wine), the command-line test makes the same cycle with a symbolic link, which Wine shows as a
// reparse point.
TEST_F(Win32FileSystem, TheWalkDoesNotEnterAJunction) {
    tree.dir("top/a/up");
    const HANDLE link =
        CreateFileA(tree.path("top/a/up").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    ASSERT_NE(link, INVALID_HANDLE_VALUE);
    const std::wstring target = L"\\??\\" + std::filesystem::path(tree.path("top")).wstring();
    const std::size_t targetBytes = target.size() * sizeof(wchar_t);
    struct {
        DWORD tag;
        WORD dataLength;
        WORD reserved;
        WORD substituteOffset, substituteLength, printOffset, printLength;
        wchar_t path[MAX_PATH + 8];
    } data{};
    data.tag = IO_REPARSE_TAG_MOUNT_POINT;
    data.substituteLength = static_cast<WORD>(targetBytes);
    data.printOffset = static_cast<WORD>(targetBytes + sizeof(wchar_t));
    std::memcpy(data.path, target.c_str(), targetBytes);
    data.dataLength = static_cast<WORD>(8 + targetBytes + 2 * sizeof(wchar_t));
    DWORD returned = 0;
    const BOOL made = DeviceIoControl(link, FSCTL_SET_REPARSE_POINT, &data, 8 + data.dataLength,
                                      nullptr, 0, &returned, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(link);
    if (!made) {
        GTEST_SKIP() << "this system makes no junction (error " << error << ")";
    }
    const Walked w = walk(fs, tree.path("top"));
    RemoveDirectoryA(tree.path("top/a/up").c_str());
    EXPECT_EQ(w.appended, Strings{tree.path("top/a")});
}

}  // namespace
}  // namespace lw
