// The whole program on Windows: the shared window code on the system's own controls, started as
// main() starts it and driven through the real controls, with the modal windows it opens answered
// from their own loops.
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
constexpr char kDefaultExtensions[] = "*.c;*.cpp;*.h;*.hxx;*.cxx;*.inl";

using Row = std::vector<std::string>;

std::string settingsKey() {
    return "Software\\Ferrowick\\" + applicationName();
}

// The stored Extensions as the registry holds them: REG_SZ, or "<none>" / "<type N>".
std::string storedExtensions() {
    char value[512] = {};
    DWORD size = sizeof value;
    DWORD type = 0;
    const std::string key = settingsKey() + "\\Settings";
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "Extensions", RRF_RT_ANY, &type, value,
                     &size) != ERROR_SUCCESS) {
        return "<none>";
    }
    return type == REG_SZ ? std::string(value) : "<type " + std::to_string(type) + ">";
}

HWND fileList(HWND main) {
    return GetDlgItem(main, IDC_FILE_LIST);
}

int rowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string cell(HWND list, int row, int column) {
    char text[MAX_PATH * 2] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<Row> rows(HWND list) {
    std::vector<Row> all;
    for (int row = 0; row < rowCount(list); ++row) {
        Row cells;
        for (int column = 0; column < 5; ++column) {
            cells.push_back(cell(list, row, column));
        }
        all.push_back(cells);
    }
    return all;
}

std::vector<std::string> headings(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < count; ++column) {
        char text[64] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
        texts.emplace_back(text);
    }
    return texts;
}

void selectOnly(HWND list, const std::vector<int>& selected) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int row : selected) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
    }
}

int rowNamed(HWND list, const std::string& path) {
    for (int row = 0; row < rowCount(list); ++row) {
        if (cell(list, row, 0) == path) {
            return row;
        }
    }
    return -1;
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
    struct Drag {
        DWORD windowThread;
        POINT from;
        int dx, dy;
        std::atomic<bool> done = false;
    } drag{GetWindowThreadProcessId(window, nullptr), from, dx, dy};
    const auto sizing = [](const Drag& d) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(d.windowThread, &info) && (info.flags & GUI_INMOVESIZE) != 0;
    };
    const auto send = [](POINT point, DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
        SendInput(1, &input, sizeof input);
    };
    const auto waitFor = [](const std::function<bool()>& condition) {
        for (int i = 0; i < 2000 && !condition(); ++i) {
            Sleep(5);
        }
    };
    std::thread mouse([&] {
        send(drag.from, 0);
        send(drag.from, MOUSEEVENTF_LEFTDOWN);
        waitFor([&] { return sizing(drag); });
        send(POINT{drag.from.x + drag.dx / 2, drag.from.y + drag.dy / 2}, 0);
        send(POINT{drag.from.x + drag.dx, drag.from.y + drag.dy}, 0);
        send(POINT{drag.from.x + drag.dx, drag.from.y + drag.dy}, MOUSEEVENTF_LEFTUP);
        waitFor([&] { return !sizing(drag); });
        drag.done = true;
    });
    test::pumpUntil([&] { return drag.done.load(); });
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
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, settingsKey().c_str());
        ShellOpenSeam::setRecorder([this](const std::string& path) { opened.push_back(path); });
    }
    void TearDown() override {
        ShellOpenSeam::clearRecorder();
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
    std::vector<std::string> opened;
};

TEST_F(ProgramWindow, FirstStartShowsTheDefaultsAnEmptyListAndTheFocusOnAdd) {
    ModalScript script;
    script.on(kMainCaption, [](HWND main) {
        EXPECT_EQ(test::itemText(main, IDC_EXTENSIONS), kDefaultExtensions);
        EXPECT_EQ(
            headings(fileList(main)),
            (std::vector<std::string>{"Relative path", "FIXMEs", "Code", "Comments", "Total"}));
        EXPECT_EQ(rowCount(fileList(main)), 0);
        EXPECT_EQ(SendDlgItemMessageA(main, IDC_DIRECTORY_LIST, LB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(GetFocus(), GetDlgItem(main, IDC_ADD));
        UINT id = 0;
        EXPECT_EQ(lastSystemMenuItem(main, &id), "&About Linewright...");
        EXPECT_EQ(id, IDM_ABOUTBOX);
        EXPECT_NE(SendMessageA(main, WM_GETICON, ICON_BIG, 0), 0);

        // A wider window gives the path column the width it gains; the numbers keep theirs.
        HWND list = fileList(main);
        const auto width = [list](int column) {
            return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
        };
        const int pathWidth = width(0);
        const int totalWidth = width(4);
        RECT window{};
        GetWindowRect(main, &window);
        SetWindowPos(main, nullptr, 0, 0, window.right - window.left + 200,
                     window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(width(0), pathWidth + 200);
        EXPECT_EQ(width(4), totalWidth);
        // Never smaller than the template.
        SetWindowPos(main, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
        RECT least{};
        GetWindowRect(main, &least);
        EXPECT_EQ(least.right - least.left, window.right - window.left);
        EXPECT_EQ(width(0), pathWidth);

        // Each count heading shows whole: the list view's own fit of it is no wider. And no
        // column is narrower than the template's 65 pixels at the screen's density.
        HDC screen = GetDC(list);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(list, screen);
        for (int column = 1; column <= 3; ++column) {
            const int given = width(column);
            SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                         LVSCW_AUTOSIZE_USEHEADER);
            EXPECT_GE(given, width(column)) << "column " << column;
            EXPECT_GE(given, MulDiv(65, dpi, 96)) << "column " << column;
        }
        test::postKey(GetFocus(), VK_ESCAPE);
    });
    runProgram();
    // Leaving by Esc keeps the text the window started with.
    EXPECT_EQ(storedExtensions(), kDefaultExtensions);
}

// What the screen shows after each change of size is what a full repaint shows: no control left
// unpainted, none erased, no piece of an old text; and every button is there to be pressed.
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
            const test::Capture repainted = repaintedCapture(main);
            EXPECT_EQ(test::differingPixels(shown, repainted), 0);
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

TEST_F(ProgramWindow, CountListsTheMatchesReportsAFailedOpenAndSortsDeletesAndOpensRows) {
    const SourceTree tree;
    // Opened without sharing, so the count cannot open it.
    HANDLE lock = CreateFileA(tree.path("other\\locked.c").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const std::string o = tree.path("other\\o.c");
    ModalScript script;
    script.on(kMainCaption, [&](HWND main) {
        pressAddAddCount(main);
        HWND list = fileList(main);
        std::vector<std::string> directories;
        for (int i = 0; i < SendDlgItemMessageA(main, IDC_DIRECTORY_LIST, LB_GETCOUNT, 0, 0); ++i) {
            char text[MAX_PATH] = {};
            SendDlgItemMessageA(main, IDC_DIRECTORY_LIST, LB_GETTEXT, static_cast<WPARAM>(i),
                                reinterpret_cast<LPARAM>(text));
            directories.emplace_back(text);
        }
        EXPECT_EQ(directories, (std::vector<std::string>{tree.path("src"), tree.path("src\\sub"),
                                                         tree.path("other")}));
        std::vector<Row> counted = rows(list);
        std::sort(counted.begin(), counted.end());
        EXPECT_EQ(counted, (std::vector<Row>{{o, "0", "1", "0", "1"},
                                             {"main.c", "1", "2", "2", "3"},
                                             {"sub\\util.h", "2", "1", "2", "3"}}));
        for (int row = 0; row < rowCount(list); ++row) {
            LVITEMA item{};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            EXPECT_EQ(item.lParam, row);
        }
        // locked.c matched, so it is one of the files, with nothing counted.
        EXPECT_EQ(test::itemText(main, IDC_STATUS),
                  "Files: 4 FIXMEs: 3 Code: 4 Comments: 4 Total: 7");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, IDC_COUNT)));
        // The list draws again once the run is over (its drawing is off while the run goes on).
        EXPECT_TRUE(drawsItsRows(list));
        EXPECT_TRUE(test::saveBitmap(repaintedCapture(main), "linewright-window.bmp"));

        // A click on the FIXMEs heading: ascending, ties in the order they had.
        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, test::middleOfColumn(header, 1));
        PostMessageA(header, WM_LBUTTONUP, 0, test::middleOfColumn(header, 1));
        EXPECT_TRUE(test::pumpUntil([&] { return cell(list, 0, 0) == o; }));
        EXPECT_EQ(cell(list, 1, 0), "main.c");
        EXPECT_EQ(cell(list, 2, 0), "sub\\util.h");

        // A double-click opens the file: below the first directory, or by its full path.
        for (const auto& [row, path] : {std::pair{1, tree.path("src\\main.c")}, std::pair{0, o}}) {
            RECT at{LVIR_BOUNDS, 0, 0, 0};
            SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&at));
            const LPARAM point = MAKELPARAM(at.left + 5, (at.top + at.bottom) / 2);
            opened.clear();
            PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
            PostMessageA(list, WM_LBUTTONUP, 0, point);
            PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
            PostMessageA(list, WM_LBUTTONUP, 0, point);
            EXPECT_TRUE(test::pumpUntil([&] { return !opened.empty(); }));
            EXPECT_EQ(opened, std::vector<std::string>{path});
        }

        // Delete takes the selected rows away and their numbers off the totals.
        selectOnly(list, {rowNamed(list, "sub\\util.h")});
        SetFocus(list);
        test::postKey(list, VK_DELETE);
        EXPECT_TRUE(test::pumpUntil([&] { return rowCount(list) == 2; }));
        EXPECT_EQ(test::itemText(main, IDC_STATUS),
                  "Files: 3 FIXMEs: 1 Code: 3 Comments: 2 Total: 4");
        EXPECT_EQ(rowNamed(list, "sub\\util.h"), -1);

        // Ctrl+A and Delete empty the list; what no row carried (locked.c) stays in the totals.
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        test::postKey(list, 'A');
        EXPECT_TRUE(test::pumpUntil(
            [&] { return SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == rowCount(list); }));
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        test::postKey(list, VK_DELETE);
        EXPECT_TRUE(test::pumpUntil([&] { return rowCount(list) == 0; }));
        EXPECT_EQ(test::itemText(main, IDC_STATUS),
                  "Files: 1 FIXMEs: 0 Code: 0 Comments: 0 Total: 0");
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

// Exit keeps what the Extensions field holds; Esc keeps the text of the last Count, and the next
// start shows what was kept.
struct Leaving {
    const char* name;
    bool byExit;
    const char* stored;
};

class ProgramLeaving : public ProgramWindow, public testing::WithParamInterface<Leaving> {};

TEST_P(ProgramLeaving, KeepsTheExtensionsInTheRegistryForTheNextStart) {
    {
        ModalScript script;
        script.on(kMainCaption, [](HWND main) {
            SetDlgItemTextA(main, IDC_EXTENSIONS, "*.c;*.y");
            if (GetParam().byExit) {
                test::pressButton(main, IDOK);
            } else {
                test::postKey(GetDlgItem(main, IDC_EXTENSIONS), VK_ESCAPE);
            }
        });
        runProgram();
    }
    EXPECT_EQ(storedExtensions(), GetParam().stored);

    std::string shown;
    ModalScript script;
    script.on(kMainCaption, [&](HWND main) {
        shown = test::itemText(main, IDC_EXTENSIONS);
        test::pressButton(main, IDCANCEL);
    });
    runProgram();
    EXPECT_EQ(shown, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Ways, ProgramLeaving,
                         testing::Values(Leaving{"Exit", true, "*.c;*.y"},
                                         Leaving{"Esc", false, kDefaultExtensions}),
                         [](const testing::TestParamInfo<Leaving>& info) {
                             return info.param.name;
                         });

// And F1, whichever control has the focus, where a window manager's frame keeps the system menu
// out of reach. Each key goes through the window's own loop, as a key press does.
TEST_F(ProgramWindow, SystemCommandsSixteenToThirtyOneAndF1OpenTheAboutBox) {
    const unsigned commands[] = {16, 17, 31};
    const int focused[] = {IDC_ADD, IDC_EXTENSIONS, IDC_FILE_LIST};
    int seen = 0;
    const auto answer = [&seen](HWND about) {
        ++seen;
        test::pressButton(about, IDOK);
    };
    ModalScript script;
    script.on(kMainCaption, [&](HWND main) {
        for (unsigned command : commands) {
            SendMessageA(main, WM_SYSCOMMAND, command, 0);
        }
    });
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        script.on(kAboutCaption, answer);
    }
    for (int id : focused) {
        script
            .on(kMainCaption,
                [id](HWND main) {
                    SetFocus(GetDlgItem(main, id));
                    test::postKey(GetFocus(), VK_F1);
                })
            .on(kAboutCaption, answer);
    }
    script.on(kMainCaption, [](HWND main) { test::pressButton(main, IDCANCEL); });
    runProgram();
    EXPECT_EQ(seen, static_cast<int>(std::size(commands) + std::size(focused)));
}

// Enter presses the push button that has the focus: through the dialog's own loop, so each step
// that posts the key returns to it.
struct EnterCase {
    const char* name;
    int button;
};

class ProgramEnter : public ProgramWindow, public testing::WithParamInterface<EnterCase> {};

TEST_P(ProgramEnter, PressesTheFocusedButton) {
    const int button = GetParam().button;
    std::string opened;  // what the press opened: the Add Directory box, or Count's message
    ModalScript script;
    script.on(kMainCaption, [&](HWND main) {
        SetDlgItemTextA(main, IDC_EXTENSIONS, "*.none");
        SendMessageA(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(main, button)), TRUE);
        test::postKey(GetFocus(), VK_RETURN);
    });
    if (button == IDC_ADD) {
        script.on(kAddCaption, [&](HWND box) {
            opened = test::windowText(box);
            test::pressButton(box, IDCANCEL);
        });
    } else if (button == IDC_COUNT) {
        script.on(applicationName(), [&](HWND box) {
            opened = test::itemText(box, 0xFFFF);
            test::pressButton(box, IDOK);
        });
    }
    if (button != IDOK) {
        script.on(kMainCaption, [](HWND main) { test::pressButton(main, IDCANCEL); });
    }
    runProgram();
    switch (button) {
        case IDC_ADD:
            EXPECT_EQ(opened, kAddCaption);
            break;
        case IDC_COUNT:
            EXPECT_EQ(opened, kNoDirectoriesMessage);
            break;
        default:
            EXPECT_EQ(storedExtensions(), "*.none");  // Exit took the field's text
    }
}

INSTANTIATE_TEST_SUITE_P(Buttons, ProgramEnter,
                         testing::Values(EnterCase{"Add", IDC_ADD}, EnterCase{"Count", IDC_COUNT},
                                         EnterCase{"Exit", IDOK}),
                         [](const testing::TestParamInfo<EnterCase>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace lw
