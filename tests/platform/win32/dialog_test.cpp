// The modal run of a dialog: its life, the ways to leave it, Enter on each push button, the
// system menu, the File List's notifications, the icon and the layout of a growing window.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/dialog.h"
#include "platform/win32/dialog_layout.h"
#include "platform/win32/dialog_template.h"
#include "tests/platform/win32/win32_test_support.h"

namespace lw::win32 {
namespace {

using test::ModalScript;

const char* captionOf(int templateId) {
    return res::dialogTemplate(templateId).caption;
}

// Records what the dialog manager made of each message, in order.
class RecordingDialog : public ModalDialog {
  public:
    using ModalDialog::ModalDialog;

    std::vector<std::string> events;
    std::vector<unsigned> sysCommands;
    bool windowAliveAtDestroy = false;
    int endInInit = 0;  // when set, OnInitDialog ends the run at once with this result
    std::function<void(RecordingDialog&)> init;

  protected:
    bool OnInitDialog() override {
        events.push_back("init");
        if (init) {
            init(*this);
        }
        if (endInInit != 0) {
            EndDialog(endInInit);
        }
        return ModalDialog::OnInitDialog();
    }
    void ExchangeData(bool fromControls) override {
        events.push_back(fromControls ? "exchange from controls" : "exchange to controls");
    }
    void OnOK() override {
        events.push_back("ok");
        ModalDialog::OnOK();
    }
    void OnCancel() override {
        events.push_back("cancel");
        ModalDialog::OnCancel();
    }
    void OnDestroy() override {
        events.push_back("destroy");
        windowAliveAtDestroy = IsWindow(native().hwnd()) != FALSE;
    }
    void OnCommand(int id) override {
        events.push_back("command " + std::to_string(id));
        EndDialog(id);
    }
    void OnSysCommand(unsigned id, std::intptr_t lParam) override {
        if ((id & 0xFFF0) == 16) {
            sysCommands.push_back(id);
            return;
        }
        DefaultSysCommand(id, lParam);
    }
    void OnHeaderItemClick(int listId, int column) override {
        events.push_back("header " + std::to_string(listId) + " " + std::to_string(column));
    }
    void OnListDoubleClick(int listId) override {
        events.push_back("double-click " + std::to_string(listId));
    }
    void OnListKeyDown(int listId, int virtualKey) override {
        events.push_back("key " + std::to_string(listId) + " " + std::to_string(virtualKey));
    }
};

bool contains(const std::vector<std::string>& events, const std::string& event) {
    return std::find(events.begin(), events.end(), event) != events.end();
}

TEST(DialogRun, InitialisesRunsAndIsDestroyedWhileItsWindowExists) {
    RecordingDialog dialog(res::IDD_ADD_DIRECTORY);
    ModalScript script;
    script.on(captionOf(res::IDD_ADD_DIRECTORY),
              [](HWND window) { test::pressButton(window, IDOK); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"init", "exchange to controls", "ok",
                                                       "exchange from controls", "destroy"}));
    EXPECT_TRUE(dialog.windowAliveAtDestroy);
    EXPECT_EQ(dialog.native().hwnd(), nullptr);
}

TEST(DialogRun, ListsKeptFromAnEarlierRunServeTheNextRunsControls) {
    RecordingDialog dialog(res::IDD_MAIN);
    std::vector<FileListView*> files;
    std::vector<DirectoryListBox*> directories;
    dialog.init = [&](RecordingDialog& d) {
        files.push_back(d.native().fileList(1005));
        directories.push_back(d.native().directoryList(1003));
        // What the earlier run kept works on this run's controls.
        files.front()->insertColumn(0, "Relative path", 0, 80);
        files.front()->insertRow(0, "a.c");
        directories.front()->append("C:\\src");
        d.endInInit =
            files.front()->rowCount() + directories.front()->entryCount() == 2 ? IDOK : IDCANCEL;
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], files[1]);
    EXPECT_EQ(directories[0], directories[1]);
}

// The ways out of a dialog, the order of its hooks and Enter on each control are tested on both
// backends by tests/ui/window_behaviour_test.cpp.

TEST(DialogRun, SystemMenuItemSendsItsCommandAndOtherCommandsKeepTheirEffect) {
    RecordingDialog dialog(res::IDD_MAIN);
    dialog.init = [](RecordingDialog& d) {
        EXPECT_TRUE(d.AppendSystemMenuItem(16, "&About Linewright..."));
    };
    ModalScript script;
    script.on(captionOf(res::IDD_MAIN), [&](HWND window) {
        HMENU menu = GetSystemMenu(window, FALSE);
        const int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 2);
        MENUITEMINFOA separator{};
        separator.cbSize = sizeof separator;
        separator.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, static_cast<UINT>(count - 2), TRUE, &separator);
        EXPECT_NE(separator.fType & MFT_SEPARATOR, 0u);
        EXPECT_EQ(GetMenuItemID(menu, count - 1), 16u);
        char text[64] = {};
        GetMenuStringA(menu, static_cast<UINT>(count - 1), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, "&About Linewright...");

        // The system keeps the four low bits for itself: every one of them reaches the item.
        for (unsigned id = 16; id <= 31; ++id) {
            SendMessageA(window, WM_SYSCOMMAND, id, 0);
        }
        SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(test::pumpUntil([&] { return IsIconic(window) != FALSE; }));
        SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_TRUE(test::pumpUntil([&] { return IsIconic(window) == FALSE; }));
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    std::vector<unsigned> expected;
    for (unsigned id = 16; id <= 31; ++id) {
        expected.push_back(id);
    }
    EXPECT_EQ(dialog.sysCommands, expected);
    EXPECT_TRUE(contains(dialog.events, "cancel"));
}

TEST(DialogRun, IconIsTheWindowsBigSmallAndDragIcon) {
    RecordingDialog dialog(res::IDD_MAIN);
    dialog.init = [](RecordingDialog& d) { d.SetIcon(res::IDI_MAIN); };
    ModalScript script;
    script.on(captionOf(res::IDD_MAIN), [](HWND window) {
        const auto big = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
        const auto small = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
        EXPECT_EQ(big, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(res::IDI_MAIN)));
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window, WM_QUERYDRAGICON, 0, 0)), big);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(small, &info));
        BITMAP bitmap{};
        GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        test::pressButton(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(DialogRun, ControlsAreReachedByIdAndUnknownIdsReadAsNothing) {
    RecordingDialog dialog(res::IDD_MAIN);
    ModalScript script;
    script.on(captionOf(res::IDD_MAIN), [&](HWND window) {
        // Text of the ANSI code page (UTF-8, as the manifest asks) passes unchanged.
        dialog.SetDlgItemText(1004, "*.c;caf\xC3\xA9.h");
        EXPECT_EQ(dialog.GetDlgItemText(1004), "*.c;caf\xC3\xA9.h");
        EXPECT_EQ(test::itemText(window, 1004), "*.c;caf\xC3\xA9.h");
        dialog.EnableDlgItem(1007, false);
        EXPECT_FALSE(dialog.IsDlgItemEnabled(1007));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, 1007)));
        dialog.EnableDlgItem(1007, true);
        EXPECT_TRUE(dialog.IsDlgItemEnabled(1007));
        EXPECT_NE(dialog.native().fileList(1005), nullptr);
        EXPECT_EQ(dialog.native().fileList(1003), nullptr);
        EXPECT_NE(dialog.native().directoryList(1003), nullptr);
        EXPECT_EQ(dialog.native().directoryList(1005), nullptr);
        for (int unknown : {res::IDC_STATIC, 4711}) {
            dialog.SetDlgItemText(unknown, "x");
            EXPECT_EQ(dialog.GetDlgItemText(unknown), "");
            EXPECT_FALSE(dialog.IsDlgItemEnabled(unknown));
            EXPECT_FALSE(dialog.IsDlgButtonChecked(unknown));
            EXPECT_EQ(dialog.native().fileList(unknown), nullptr);
        }
        test::pressButton(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);

    RecordingDialog add(res::IDD_ADD_DIRECTORY);
    ModalScript addScript;
    addScript.on(captionOf(res::IDD_ADD_DIRECTORY), [&](HWND window) {
        add.CheckDlgButton(1001, true);
        EXPECT_TRUE(add.IsDlgButtonChecked(1001));
        EXPECT_EQ(IsDlgButtonChecked(window, 1001), BST_CHECKED);
        test::pressButton(window, 1001);  // the automatic check box turns itself off
        EXPECT_FALSE(add.IsDlgButtonChecked(1001));
        test::pressButton(window, IDCANCEL);
    });
    EXPECT_EQ(add.DoModal(), IDCANCEL);
}

TEST(DialogRun, FileListReportsHeaderClicksDoubleClicksAndKeysSelectsAllOnCtrlAAndCopiesOnCtrlC) {
    RecordingDialog dialog(res::IDD_MAIN);
    dialog.init = [](RecordingDialog& d) {
        FileListView* list = d.native().fileList(1005);
        int column = 0;
        for (const char* heading : {"Relative path", "FIXMEs", "Code"}) {
            list->insertColumn(column, heading, column == 0 ? 1 : 2, 80);
            ++column;
        }
        list->insertRow(0, "a.c");
        list->setCellText(0, 1, "1");
        list->insertRow(1, "b\xCE\xB1.c");  // "bα.c": the tests run in UTF-8
        list->setCellText(1, 2, "7");
    };
    ModalScript script;
    script.on(captionOf(res::IDD_MAIN), [&](HWND window) {
        HWND listView = GetDlgItem(window, 1005);
        HWND header = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
        PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, test::middleOfColumn(header, 2));
        PostMessageA(header, WM_LBUTTONUP, 0, test::middleOfColumn(header, 2));
        EXPECT_TRUE(test::pumpUntil([&] { return contains(dialog.events, "header 1005 2"); }));

        RECT row{LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(listView, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
        const LPARAM at = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
        PostMessageA(listView, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(listView, WM_LBUTTONUP, 0, at);
        PostMessageA(listView, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(listView, WM_LBUTTONUP, 0, at);
        EXPECT_TRUE(test::pumpUntil([&] { return contains(dialog.events, "double-click 1005"); }));
        EXPECT_EQ(dialog.native().fileList(1005)->nextSelectedRow(-1), 1);

        SetFocus(listView);
        test::postKey(listView, VK_DELETE);
        EXPECT_TRUE(test::pumpUntil([&] { return contains(dialog.events, "key 1005 46"); }));

        // Ctrl+C, with Ctrl held as the keyboard state says: the text for other programs in
        // UTF-16, and in the program's own code page.
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        test::postKey(listView, 'C');
        EXPECT_TRUE(test::pumpUntil([&] { return contains(dialog.events, "key 1005 67"); }));
        ASSERT_TRUE(OpenClipboard(window));
        const auto wide = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
        EXPECT_STREQ(wide, L"Relative path\tFIXMEs\tCode\r\nb\u03B1.c\t\t7\r\n");
        GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
        const auto text = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
        EXPECT_STREQ(text, "Relative path\tFIXMEs\tCode\r\nb\xCE\xB1.c\t\t7\r\n");
        GlobalUnlock(GetClipboardData(CF_TEXT));
        CloseClipboard();

        // Ctrl+A: every row.
        test::postKey(listView, 'A');
        EXPECT_TRUE(test::pumpUntil([&] { return contains(dialog.events, "key 1005 65"); }));
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        FileListView* list = dialog.native().fileList(1005);
        EXPECT_EQ(list->nextSelectedRow(-1), 0);
        EXPECT_EQ(list->nextSelectedRow(0), 1);

        test::pressButton(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

INT_PTR CALLBACK plainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

TEST(DialogLayout, MovesControlsByTheirAnchorsAndKeepsTheTemplateSizeAsTheLeast) {
    const res::DialogTemplate& source = res::dialogTemplate(res::IDD_ADD_DIRECTORY);
    const DialogTemplateBuffer buffer(source, res::IDI_MAIN);
    HWND window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), buffer.get(), nullptr,
                                             plainDialogProc, 0);
    ASSERT_NE(window, nullptr);
    HWND add = GetDlgItem(window, IDOK);
    HWND edit = GetDlgItem(window, 1000);
    HWND check = GetDlgItem(window, 1001);
    const auto placeOf = [&](HWND control) {
        RECT at{};
        GetWindowRect(control, &at);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
        return std::vector<LONG>{at.left, at.top, at.right, at.bottom};
    };
    const auto addBefore = placeOf(add), editBefore = placeOf(edit), checkBefore = placeOf(check);

    const auto itemFor = [&](HWND control, int id, Anchors anchors) {
        for (const res::ControlTemplate& c : source.controls) {
            if (c.id == id) {
                return DialogLayout::Item{control, RECT{c.x, c.y, c.width, c.height}, anchors};
            }
        }
        return DialogLayout::Item{};
    };
    const DialogLayout layout(
        window,
        {itemFor(add, IDOK, Anchors{4, 4, 4, 4}), itemFor(edit, 1000, Anchors{0, 0, 4, 0}),
         itemFor(check, 1001, Anchors{2, 2, 2, 2})},
        SIZE{source.width, source.height}, Sizing::WidthOnly);
    const SIZE least = layout.templateClientSize();
    layout.onSize(least.cx + 40, least.cy + 20);
    EXPECT_EQ(placeOf(add), (std::vector<LONG>{addBefore[0] + 40, addBefore[1] + 20,
                                               addBefore[2] + 40, addBefore[3] + 20}));
    EXPECT_EQ(placeOf(edit),
              (std::vector<LONG>{editBefore[0], editBefore[1], editBefore[2] + 40, editBefore[3]}));
    EXPECT_EQ(placeOf(check), (std::vector<LONG>{checkBefore[0] + 20, checkBefore[1] + 10,
                                                 checkBefore[2] + 20, checkBefore[3] + 10}));
    // Smaller than the template: everything where the template puts it.
    layout.onSize(least.cx - 30, least.cy - 5);
    EXPECT_EQ(placeOf(add), addBefore);

    MINMAXINFO limits{};
    limits.ptMaxTrackSize = POINT{5000, 5000};
    layout.onGetMinMaxInfo(limits);
    RECT frame{0, 0, least.cx, least.cy};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
    EXPECT_EQ(limits.ptMaxTrackSize.y, frame.bottom - frame.top);  // only the width may grow
    EXPECT_EQ(limits.ptMaxTrackSize.x, 5000);
    DestroyWindow(window);
}

}  // namespace
}  // namespace lw::win32
