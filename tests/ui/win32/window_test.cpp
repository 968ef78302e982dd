// The whole program on Windows, where the system's own controls do more than the window behaviour
// suite (tests/ui/window_behaviour_test.cpp) asks of both backends: the system menu and icon, the
// system's message box over a count, the shell's folder browser. Started as main() starts it and
// driven through the real controls, with the modal windows it opens answered from their own loops.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
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

// The window once every control has painted itself anew: what it should show at any time.
test::Capture repaintedCapture(HWND window) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return test::captureWindow(window);
}

// The push buttons that do not show, or not wholly inside the client area.
std::vector<int> buttonsOutOfSight(HWND main) {
    RECT client{};
    GetClientRect(main, &client);
    std::vector<int> hidden;
    for (int id : {IDC_ADD, IDC_COUNT, IDOK}) {
        HWND button = GetDlgItem(main, id);
        RECT at{};
        GetWindowRect(button, &at);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&at), 2);
        if (!IsWindowVisible(button) || at.left < client.left || at.top < client.top ||
            at.right > client.right || at.bottom > client.bottom) {
            hidden.push_back(id);
        }
    }
    return hidden;
}

// A drag of the window's lower right corner with the mouse, by (dx, dy) pixels in two moves. The
// input comes from a thread of its own, as from the devices, while this thread runs the window
// system's size loop.
void dragCorner(HWND window, int dx, int dy) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const POINT from{frame.right - 2, frame.bottom - 2};
    const DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    const auto sizing = [windowThread] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(windowThread, &info) && (info.flags & GUI_INMOVESIZE) != 0;
    };
    const auto send = [](POINT point, DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
        SendInput(1, &input, sizeof input);
    };
    // The other thread waits on the size loop's state, which this one's loop changes.
    const auto waitFor = [](const std::function<bool()>& condition) {
        for (int i = 0; i < 2000 && !condition(); ++i) {
            Sleep(5);
        }
    };
    std::atomic<bool> done = false;
    std::thread mouse([&] {
        send(from, 0);
        send(from, MOUSEEVENTF_LEFTDOWN);
        waitFor(sizing);
        send(POINT{from.x + dx / 2, from.y + dy / 2}, 0);
        send(POINT{from.x + dx, from.y + dy}, 0);
        send(POINT{from.x + dx, from.y + dy}, MOUSEEVENTF_LEFTUP);
        waitFor([&] { return !sizing(); });
        done = true;
    });
    test::pumpUntil([&] { return done.load(); });
    mouse.join();
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

// What the screen shows after each change of size is what a full repaint shows: no control left
// unpainted, none erased, no piece of an old text; and every button is there to be pressed. The
// window test of both backends checks where the controls are; this, what the system paints.
TEST_F(ProgramWindow, ResizingLeavesEveryControlPaintedAndInSight) {
    const SourceTree tree;
    ModalScript script;
    script.on(kMainCaption, [&](HWND main) {
        test::pressButton(main, IDC_ADD);
        test::pressButton(main, IDC_COUNT);
        ASSERT_EQ(rowCount(fileList(main)), 2);
        struct Step {
            const char* name;
            std::function<void()> act;
            const char* screenshot;
        };
        const Step steps[] = {
            {"maximised", [main] { SendMessageA(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0); },
             "linewright-maximised.bmp"},
            {"restored", [main] { SendMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0); },
             "linewright-restored.bmp"},
            {"dragged by its corner", [main] { dragCorner(main, 160, 90); }, nullptr},
        };
        for (const Step& step : steps) {
            SCOPED_TRACE(step.name);
            step.act();
            const test::Capture shown = test::captureWindow(main);
            EXPECT_EQ(test::differingPixels(shown, repaintedCapture(main)), 0);
            EXPECT_EQ(buttonsOutOfSight(main), std::vector<int>{});
            if (step.screenshot != nullptr) {
                EXPECT_TRUE(test::saveBitmap(shown, step.screenshot));
            }
        }
        test::pressButton(main, IDCANCEL);
    });
    script.on(kAddCaption, typeDirectory(tree.path("src"), true));
    runProgram();
}

// Each count heading shows whole in the dialog font at the screen's density: the list view's own
// fit of it is no wider. And no column is narrower than the template's 65 pixels there.
TEST_F(ProgramWindow, CountColumnsShowTheirHeadingsWhole) {
    ModalScript script;
    script.on(kMainCaption, [](HWND main) {
        HWND list = fileList(main);
        HDC screen = GetDC(list);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(list, screen);
        for (int column = 1; column <= 3; ++column) {
            const int given = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
            SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                         LVSCW_AUTOSIZE_USEHEADER);
            EXPECT_GE(given, SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)) << column;
            EXPECT_GE(given, MulDiv(65, dpi, 96)) << column;
        }
        test::pressButton(main, IDCANCEL);
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
        EXPECT_TRUE(test::saveBitmap(repaintedCapture(main), "linewright-window.bmp"));
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
