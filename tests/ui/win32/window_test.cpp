// The whole program on Windows, where the system's own controls do more than the window behaviour
// suite (tests/ui/window_behaviour_test.cpp) asks of both backends: the system menu and icon, the
// system's message box over a count, the shell's folder browser. Started as main() starts it and
// driven through the real controls, with the modal windows it opens answered from their own loops.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/capp_main.h"
#include "count/count_run.h"
#include "platform/application.h"
#include "platform/folder_browser.h"
#include "platform/profile.h"
#include "platform/shell_open.h"
#include "tests/platform/win32/win32_test_support.h"
#include "ui/cdialog_add_dir.h"
#include "ui/cdialog_main.h"

namespace lw {
namespace {

using win32::test::ModalScript;
namespace test = win32::test;

constexpr char kMainCaption[] = "Linewright";
constexpr char kAddCaption[] = "Add Directory | Linewright";
constexpr char kAboutCaption[] = "About Linewright";

std::string settingsKey() {
    return "Software\\Ferrowick\\" + applicationName();
}

HWND fileList(HWND main) {
    return GetDlgItem(main, IDC_FILE_LIST);
}

int rowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

// Whether the list draws: a list view with drawing turned off marks nothing for painting when it
// is asked to redraw its rows.
bool drawsItsRows(HWND list) {
    UpdateWindow(list);
    SendMessageA(list, LVM_REDRAWITEMS, 0, rowCount(list) - 1);
    return GetUpdateRect(list, nullptr, FALSE) != FALSE;
}

std::string lastSystemMenuItem(HWND window, UINT* id) {
    HMENU menu = GetSystemMenu(window, FALSE);
    const int last = GetMenuItemCount(menu) - 1;
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(last), text, sizeof text, MF_BYPOSITION);
    *id = GetMenuItemID(menu, last);
    return text;
}

// The window as the screen shows it, as a 24-bit BMP file: what a person would see of it.
bool saveScreenshot(HWND window, const std::string& path) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ before = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, before);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(stride * static_cast<DWORD>(height));
    const int lines = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (lines != height) {
        return false;
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return out.good();
}

// A source tree in the system's temporary folder: src with main.c and sub\util.h (and a file no
// pattern matches), and other with o.c and locked.c.
class SourceTree {
  public:
    SourceTree() {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        root_ = std::string(temp) + "lw-window-" + std::to_string(GetCurrentProcessId());
        for (const char* directory : {"", "\\src", "\\src\\sub", "\\other"}) {
            CreateDirectoryA((root_ + directory).c_str(), nullptr);
        }
        write("src\\main.c", "int a; // FIXME later\n/* one */\nint b;\n");
        write("src\\sub\\util.h", "// FIXME\n// FIXME too\nint x;\n");
        write("src\\notes.txt", "not counted\n");
        write("other\\o.c", "int o;\n");
        write("other\\locked.c", "int l;\n");
    }
    ~SourceTree() {
        for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
            DeleteFileA(file->c_str());
        }
        for (const char* directory : {"\\src\\sub", "\\src", "\\other", ""}) {
            RemoveDirectoryA((root_ + directory).c_str());
        }
    }
    SourceTree(const SourceTree&) = delete;
    SourceTree& operator=(const SourceTree&) = delete;

    std::string path(const std::string& relative) const { return root_ + "\\" + relative; }

  private:
    void write(const std::string& relative, const std::string& text) {
        files_.push_back(path(relative));
        std::ofstream(files_.back(), std::ios::binary) << text;
    }

    std::string root_;
    std::vector<std::string> files_;
};

// The steps that answer the Add Directory box: the typed directory, Recurse as given, Add.
ModalScript::Step typeDirectory(std::string directory, bool recurse) {
    return [directory = std::move(directory), recurse](HWND box) {
        SetDlgItemTextA(box, IDC_DIRECTORY, directory.c_str());
        CheckDlgButton(box, IDC_RECURSE, recurse ? BST_CHECKED : BST_UNCHECKED);
        test::pressButton(box, IDOK);
    };
}

class ProgramWindow : public testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, settingsKey().c_str()); }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, settingsKey().c_str());
        // The other suites of this program keep their profile under their own company key.
        Profile::SetCompanyKey(test::kTestCompany);
    }

    // The program's whole life, as main() runs it.
    static void runProgram() {
        CappMain app;
        EXPECT_FALSE(app.InitInstance());
    }

    // The main window's script: src added with Recurse and other without, then Count; the box
    // that reports locked.c is answered, and what it showed is kept.
    void addAndCount(ModalScript& script, const SourceTree& tree, HANDLE lock) {
        script.on(kAddCaption, typeDirectory(tree.path("src"), true))
            .on(kAddCaption, typeDirectory(tree.path("other"), false))
            .on(applicationName(), [this, lock](HWND box) {
                message = test::itemText(box, 0xFFFF);
                countEnabledDuringMessage = IsWindowEnabled(GetDlgItem(mainWindow, IDC_COUNT));
                listDrawsDuringMessage = drawsItsRows(fileList(mainWindow));
                CloseHandle(lock);
                test::pressButton(box, IDOK);
            });
    }
    void pressAddAddCount(HWND main) {
        // Each press returns once the window it opened, or the count, is done.
        mainWindow = main;
        test::pressButton(main, IDC_ADD);
        test::pressButton(main, IDC_ADD);
        test::pressButton(main, IDC_COUNT);
    }

    HWND mainWindow = nullptr;
    std::string message;
    BOOL countEnabledDuringMessage = TRUE;
    bool listDrawsDuringMessage = false;
};

// What the system's own window has beyond the shared behaviour: the About item in its system
// menu, and its icon.
TEST_F(ProgramWindow, SystemMenuOffersAboutAndTheWindowHasItsIcon) {
    ModalScript script;
    script.on(kMainCaption, [](HWND main) {
        UINT id = 0;
        EXPECT_EQ(lastSystemMenuItem(main, &id), "&About Linewright...");
        EXPECT_EQ(id, IDM_ABOUTBOX);
        EXPECT_NE(SendMessageA(main, WM_GETICON, ICON_BIG, 0), 0);
        test::postKey(GetFocus(), VK_ESCAPE);
    });
    runProgram();
}

// The system's own message box over a count: the window beneath it keeps drawing its rows, and
// draws them again once the run is over.
TEST_F(ProgramWindow, CountReportsAFailedOpenInTheSystemsBoxWhileTheListStillDraws) {
    const SourceTree tree;
    // Opened without sharing, so the count cannot open it.
    HANDLE lock = CreateFileA(tree.path("other\\locked.c").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ModalScript script;
    script.on(kMainCaption, [&](HWND main) {
        pressAddAddCount(main);
        HWND list = fileList(main);
        EXPECT_EQ(rowCount(list), 3);
        EXPECT_TRUE(drawsItsRows(list));
        EXPECT_TRUE(saveScreenshot(main, "linewright-window.bmp"));
        test::pressButton(main, IDOK);
    });
    addAndCount(script, tree, lock);
    runProgram();
    // Then, where the system gives one, the reason.
    const std::string expected = "Failed to open:\n\n" + tree.path("other\\locked.c");
    EXPECT_EQ(message.substr(0, expected.size()), expected) << message;
    EXPECT_FALSE(countEnabledDuringMessage);
    // Behind the box the rows counted so far show, whatever the box covered before.
    EXPECT_TRUE(listDrawsDuringMessage);
}

TEST_F(ProgramWindow, BrowseFillsTheDirectoryAndReportsAMissingShellAllocator) {
    std::vector<FolderChoice> answers{
        {FolderChoice::Outcome::Chosen, "C:\\chosen"},
        {FolderChoice::Outcome::NoAllocator, {}},
    };
    FolderBrowserSeam::setAnswerer([&answers] {
        const FolderChoice answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    std::string typed, box;
    ModalScript script;
    script.on(kMainCaption, [](HWND main) { test::pressButton(main, IDC_ADD); })
        .on(kAddCaption,
            [&](HWND add) {
                test::pressButton(add, IDC_BROWSE);
                typed = test::itemText(add, IDC_DIRECTORY);
                test::pressButton(add, IDC_BROWSE);  // the box below answers it
                test::pressButton(add, IDCANCEL);
            })
        .on(applicationName(),
            [&](HWND message) {
                box = test::itemText(message, 0xFFFF);
                test::pressButton(message, IDOK);
            })
        .on(kMainCaption, [](HWND main) { test::pressButton(main, IDCANCEL); });
    runProgram();
    FolderBrowserSeam::clearAnswerer();
    EXPECT_EQ(typed, "C:\\chosen");
    EXPECT_EQ(box, "Error: Failed to SHGetMalloc");
}

// The window system's four low bits of a command are its own: 17 and 31 are About as 16 is.
TEST_F(ProgramWindow, SystemCommandsWithTheSystemsLowBitsOpenTheAboutBox) {
    const unsigned commands[] = {17, 31};
    std::vector<std::string> seen;
    ModalScript script;
    script.on(kMainCaption, [&](HWND main) {
        for (unsigned command : commands) {
            SendMessageA(main, WM_SYSCOMMAND, command, 0);
        }
        test::pressButton(main, IDCANCEL);
    });
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        script.on(kAboutCaption, [&](HWND about) {
            seen.push_back(test::itemText(about, IDOK));
            test::pressButton(about, IDOK);
        });
    }
    runProgram();
    EXPECT_EQ(seen.size(), std::size(commands));
}

}  // namespace
}  // namespace lw
