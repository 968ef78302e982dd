#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "count/file_system.h"
#include "count/path_text.h"
#include "count/subdirectory_walk.h"
#include "count/windows_error.h"
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

// Whatever it reads, to the end; "<none>: " and the reason when it does not open.
std::string readAll(FileSystem& fs, const std::string& path) {
    const OpenResult opened = fs.openForReading(path);
    if (!opened.file) {
        return "<none>: " + opened.failure;
    }
    ReadableFile* file = opened.file.get();
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

// The system's texts, ready to follow "DIRECTORY: " as the POSIX side's strerror texts do.
TEST(WindowsErrorText, IsTheSystemsTextWithoutItsLineEndAndFullStop) {
    for (const DWORD error : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
                              ERROR_SHARING_VIOLATION, ERROR_DISK_FULL}) {
        const std::string text = windowsErrorText(error);
        ASSERT_FALSE(text.empty()) << error;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.back(), '.') << text;
        EXPECT_NE(text.back(), ' ') << text;
        EXPECT_NE(text, "error " + std::to_string(error));
    }
    EXPECT_EQ(windowsErrorText(0x2000FFFF), "error 536936447");
}

// No descriptor limit of the POSIX kind: the command line shares out nothing.
TEST(OpenFileBudget, IsNoLimitOnWindows) {
    EXPECT_EQ(openFileBudget(), static_cast<std::size_t>(-1));
}

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
    // Case-insensitive; a matching directory, "." and ".." are passed over. The listing file
    // system searches as the system does.
    const std::unique_ptr<FileSystem> listing = makeListingFileSystem();
    for (FileSystem* searched : {&fs, listing.get()}) {
        const auto found = [searched](const std::string& searchPath) {
            const SearchResult result = searched->enumerate(searchPath);
            EXPECT_EQ(result.failure, std::nullopt) << searchPath;
            return sorted(result.paths);
        };
        EXPECT_EQ(found(tree.path("*.c")), in({".hidden.c", "B2.C", "a.c", "b.c"}));
        EXPECT_EQ(found(tree.path("?.C")), in({"a.c", "b.c"}));
        EXPECT_EQ(found(tree.path("*")), in({".hidden.c", "B2.C", "a.c", "a.h", "b.c"}));
        // Nothing matches in a directory that exists: no failure.
        EXPECT_EQ(found(tree.path("*.none")), Strings{});
        // A directory that does not exist: nothing, and the system's reason.
        const SearchResult missing = searched->enumerate(tree.path("missing/*.c"));
        EXPECT_EQ(missing.paths, Strings{});
        EXPECT_EQ(missing.failure, windowsErrorText(ERROR_PATH_NOT_FOUND));
    }
}

TEST_F(Win32FileSystem, FullPathIsTheSearchedDirectoryMadeAbsolute) {
    tree.file("sub/inner.c", "x;\n");
    const Strings expected{tree.path("sub/inner.c")};
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(tree.root());
    const Strings relative = fs.enumerate("sub\\*.c").paths;
    const Strings dotted = fs.enumerate(".\\sub\\..\\sub\\*.c").paths;
    const std::string base = fs.absolutePath("sub\\");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(relative, expected);
    EXPECT_EQ(dotted, expected);
    EXPECT_EQ(base, tree.path("sub") + "\\");
    // Forward slashes are the system's separators too; the full path has backslashes only.
    EXPECT_EQ(fs.enumerate(tree.root() + "/sub\\*.c").paths, expected);
    EXPECT_EQ(fs.enumerate(tree.root() + "\\sub/*.c").paths, expected);
    // A drive stands for its root, as in a search path "C:" + "\" + pattern.
    EXPECT_EQ(fs.absolutePath("C:\\"), "C:\\");
}

TEST_F(Win32FileSystem, OpensDiskFilesOnly) {
    tree.file("text.c", "hello");
    tree.dir("dir.c");
    EXPECT_EQ(readAll(fs, tree.path("text.c")), "hello");
    EXPECT_EQ(readAll(fs, tree.path("dir.c")), "<none>: " + windowsErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(readAll(fs, tree.path("missing.c")),
              "<none>: " + windowsErrorText(ERROR_FILE_NOT_FOUND));
    // Device names in a directory of sources: the device is never read (the console would
    // block, NUL would pass for an empty file). A system that treats the name as an ordinary
    // file reads the file.
    for (const char* name : {"CON.c", "NUL.c", "AUX.c", "PRN.c"}) {
        createVerbatim(tree.path(name), "x;\n");
        const std::string got = readAll(fs, tree.path(name));
        // The open fails with the system's reason ("not a regular file" for a device that opens,
        // Wine's own errors where it does not).
        EXPECT_TRUE(got.starts_with("<none>: ") || got == "x;\n") << name << ": " << got;
        DeleteFileA(("\\\\?\\" + tree.path(name)).c_str());
    }
}

TEST_F(Win32FileSystem, SharesWithOtherProgramsButNotAgainstTheirWill) {
    tree.file("locked.c", "x;\n");
    tree.file("shared.c", "y;\n");
    const HANDLE exclusive = CreateFileA(tree.path("locked.c").c_str(), GENERIC_READ, 0, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(readAll(fs, tree.path("locked.c")),
              "<none>: " + windowsErrorText(ERROR_SHARING_VIOLATION));
    CloseHandle(exclusive);
    EXPECT_EQ(readAll(fs, tree.path("locked.c")), "x;\n");

    // While the count holds a file, another program may still write it and delete it.
    const std::unique_ptr<ReadableFile> held = fs.openForReading(tree.path("shared.c")).file;
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
    const Strings found = fs.enumerate(tree.path("*.c")).paths;
    ASSERT_EQ(found.size(), 2u);
    ASSERT_TRUE(DeleteFileA(tree.path("gone.c").c_str()));
    EXPECT_EQ(readAll(fs, tree.path("gone.c")),
              "<none>: " + windowsErrorText(ERROR_FILE_NOT_FOUND));
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
    EXPECT_EQ(host.messages, Strings{kFailedToOpenPrefix + tree.path("locked.c") + "\n\n" +
                                     windowsErrorText(ERROR_SHARING_VIOLATION)});
    EXPECT_EQ(host.status, "Files: 2 FIXMEs: 0 Code: 1 Comments: 0 Total: 1");
}

struct Walked {
    Strings appended;
    std::vector<SearchFailure> failures;
};

Walked walk(FileSystem& fs, const std::string& directory) {
    Walked w;
    w.failures =
        walkSubdirectories(fs, directory, [&](const std::string& p) { w.appended.push_back(p); });
    return w;
}

TEST_F(Win32FileSystem, TheWalkListsDirectoriesDepthFirst) {
    tree.dir("top/lib/deep");
    tree.dir("top/src");
    tree.file("top/file.c");
    tree.file("top/lib/x.c");
    const Walked w = walk(fs, tree.path("top"));
    EXPECT_TRUE(w.failures.empty());
    // Siblings come in the system's order; a directory's own subtree follows it at once.
    const Strings lib{tree.path("top/lib"), tree.path("top/lib/deep")};
    const Strings src{tree.path("top/src")};
    Strings either = lib;
    either.insert(either.end(), src.begin(), src.end());
    Strings other = src;
    other.insert(other.end(), lib.begin(), lib.end());
    EXPECT_TRUE(w.appended == either || w.appended == other)
        << ::testing::PrintToString(w.appended);

    const Walked missing = walk(fs, tree.path("missing"));
    ASSERT_EQ(missing.failures.size(), 1u);
    EXPECT_EQ(missing.failures[0].directory, tree.path("missing"));
    EXPECT_EQ(missing.failures[0].reason, windowsErrorText(ERROR_PATH_NOT_FOUND));
    // A file is no directory to search: the system's reason, whichever it gives.
    const SearchResult file = fs.subdirectories(tree.path("top/file.c"));
    EXPECT_EQ(file.paths, Strings{});
    EXPECT_NE(file.failure, std::nullopt);
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
    ASSERT_EQ(w.failures.size(), 1u);
    ASSERT_FALSE(w.appended.empty());
    EXPECT_EQ(w.failures[0].directory, w.appended.back());
    EXPECT_FALSE(w.failures[0].reason.empty());
    EXPECT_LT(w.appended.size(), made.size());
    // The one message of the walk, with the ellipsis the ANSI code page can show.
    std::vector<SearchFailure> many(25, w.failures[0]);
    EXPECT_TRUE(searchFailureReport(many).ends_with("\n... and 5 more"));
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
