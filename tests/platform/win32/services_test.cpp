// The platform operations beside the dialogs: profile, message box, folder browser, shell open,
// the busy window, the application's name, the common controls and icon 128.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/busy_window.h"
#include "platform/directory_list.h"
#include "platform/profile.h"
#include "platform/win32/application.h"
#include "platform/win32/busy_window.h"
#include "platform/win32/dialog.h"
#include "platform/win32/folder_browser.h"
#include "platform/win32/message_box.h"
#include "platform/win32/shell_open.h"
#include "tests/platform/win32/win32_test_support.h"

namespace lw::win32 {
namespace {

using test::ModalScript;

constexpr const char* kProgramName = "win32_window_tests";

TEST(Application, NameIsTheExecutablesWithoutItsExtension) {
    EXPECT_EQ(applicationName(), kProgramName);
}

// The manifest: version 6 of the common controls (the system's own, found through the
// activation context) and awareness of each monitor's DPI.
TEST(Application, ManifestBringsCommonControlsSixAndPerMonitorDpiAwareness) {
    ACTCTX_SECTION_KEYED_DATA redirection{};
    redirection.cbSize = sizeof redirection;
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         L"comctl32.dll", &redirection));
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetClassInfoExA(nullptr, WC_LISTVIEWA, &info));
    char path[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), path, sizeof path);
    CharLowerA(path);
    EXPECT_NE(std::string(path).find("common-controls_6595b64144ccf1df_6."), std::string::npos)
        << path;
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
              DPI_AWARENESS_PER_MONITOR_AWARE);
}

// Icon 128: one group of nine images, 16, 32 and 48 pixels at 4, 8 and 24 bits per pixel.
TEST(Application, IconHasNineImagesInThreeSizesAndThreeDepths) {
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    HMODULE program = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(res::IDI_MAIN), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const WORD*>(LockResource(LoadResource(program, found)));
    ASSERT_EQ(group[2], 9);
    const auto* entries = reinterpret_cast<const GroupEntry*>(group + 3);
    std::vector<std::pair<int, int>> images;
    for (int i = 0; i < 9; ++i) {
        images.emplace_back(entries[i].width, entries[i].bitCount);
    }
    std::sort(images.begin(), images.end());
    EXPECT_EQ(
        images,
        (std::vector<std::pair<int, int>>{
            {16, 4}, {16, 8}, {16, 24}, {32, 4}, {32, 8}, {32, 24}, {48, 4}, {48, 8}, {48, 24}}));
    for (int size : {16, 32, 48}) {
        HANDLE icon =
            LoadImageA(program, MAKEINTRESOURCEA(res::IDI_MAIN), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        DestroyIcon(static_cast<HICON>(icon));
    }
}

class ProfileTest : public testing::Test {
  protected:
    ProfileTest() { RegDeleteTreeA(HKEY_CURRENT_USER, sectionKey().c_str()); }
    ~ProfileTest() override { RegDeleteTreeA(HKEY_CURRENT_USER, sectionKey().c_str()); }

    static std::string sectionKey() {
        return std::string(test::kTestCompanyKey) + "\\" + kProgramName + "\\Settings";
    }
    static void writeRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sectionKey().c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
};

TEST_F(ProfileTest, ValuesGoUnderCompanyApplicationAndSectionAsStringsAndDwords) {
    Profile::WriteString("Settings", "Extensions", "*.c;*.h");
    Profile::WriteInt("Settings", "Recurse", 0);
    char text[64] = {};
    DWORD size = sizeof text;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, sectionKey().c_str(), "Extensions", RRF_RT_REG_SZ,
                           nullptr, text, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(text, "*.c;*.h");
    DWORD value = 99;
    size = sizeof value;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, sectionKey().c_str(), "Recurse", RRF_RT_REG_DWORD,
                           nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 0u);
}

TEST_F(ProfileTest, ReadsWhatWasWrittenAndTheDefaultWhenMissingOrOfAnotherType) {
    EXPECT_EQ(Profile::GetString("Settings", "Extensions", "*.c"), "*.c");
    EXPECT_EQ(Profile::GetInt("Settings", "Recurse", 1), 1);
    Profile::WriteString("Settings", "Empty", "");
    Profile::WriteString("Settings", "Bytes", "C:\\caf\xC3\xA9");
    Profile::WriteInt("Settings", "Negative", -5);
    EXPECT_EQ(Profile::GetString("Settings", "Empty", "default"), "");
    EXPECT_EQ(Profile::GetString("Settings", "Bytes", ""), "C:\\caf\xC3\xA9");
    EXPECT_EQ(Profile::GetInt("Settings", "Negative", 1), -5);
    EXPECT_EQ(Profile::GetString("Other", "Bytes", "elsewhere"), "elsewhere");

    const DWORD number = 3;
    writeRaw("NumberNotText", REG_DWORD, &number, sizeof number);
    writeRaw("TextNotNumber", REG_SZ, "3", 2);
    writeRaw("Binary", REG_BINARY, "abc", 3);
    writeRaw("Unterminated", REG_SZ, "abc", 3);
    EXPECT_EQ(Profile::GetString("Settings", "NumberNotText", "default"), "default");
    EXPECT_EQ(Profile::GetInt("Settings", "TextNotNumber", 7), 7);
    EXPECT_EQ(Profile::GetString("Settings", "Binary", "default"), "default");
    EXPECT_EQ(Profile::GetInt("Settings", "Binary", 7), 7);
    EXPECT_EQ(Profile::GetString("Settings", "Unterminated", ""), "abc");
}

TEST(MessageBox, RealBoxShowsTheTextUnderTheProgramsNameWithOneOkWhileTheOwnerWaits) {
    ModalDialog owner(res::IDD_ABOUT);
    std::string caption, text;
    bool ownerEnabled = true;
    bool onlyOk = false;
    ModalScript script;
    script
        .on(res::dialogTemplate(res::IDD_ABOUT).caption,
            [](HWND window) { showMessage(window, "Error: Failed to SHGetMalloc"); })
        .on(kProgramName,
            [&](HWND box) {
                caption = test::windowText(box);
                text = test::itemText(box, 0xFFFF);
                ownerEnabled = IsWindowEnabled(owner.native().hwnd()) != FALSE;
                onlyOk = GetDlgItem(box, IDOK) != nullptr && GetDlgItem(box, IDCANCEL) == nullptr;
                test::pressButton(box, IDOK);
            })
        .on(res::dialogTemplate(res::IDD_ABOUT).caption,
            [](HWND window) { test::pressButton(window, IDOK); });
    owner.DoModal();
    EXPECT_EQ(caption, kProgramName);
    EXPECT_EQ(text, "Error: Failed to SHGetMalloc");
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(onlyOk);
}

TEST(ShellOpen, AFailedOpenReturnsAndShowsNothing) {
    shellOpen(nullptr, "C:\\no such folder\\no such file.c");
    EXPECT_EQ(test::activeModalWindow(), nullptr);
}

TEST(FolderBrowser, CancelledGivesNothingAndTheChosenFolderComesBackAsAPath) {
    ModalDialog owner(res::IDD_ADD_DIRECTORY);
    const std::string ownerCaption = res::dialogTemplate(res::IDD_ADD_DIRECTORY).caption;
    FolderChoice cancelled, chosen;
    HWND browserOwner = nullptr, ownerWindow = nullptr;
    ModalScript script;
    script
        .on(ownerCaption,
            [&](HWND window) {
                ownerWindow = window;
                cancelled = browseForFolder(window);
            })
        .on("",
            [&](HWND browser) {
                browserOwner = GetWindow(browser, GW_OWNER);
                test::pressButton(browser, IDCANCEL);
            })
        .on(ownerCaption, [&](HWND window) { chosen = browseForFolder(window); })
        .on("", [&](HWND browser) { test::pressButton(browser, IDOK); })
        .on(ownerCaption, [](HWND window) { test::pressButton(window, IDCANCEL); });
    owner.DoModal();
    EXPECT_EQ(cancelled.outcome, FolderChoice::Outcome::Cancelled);
    EXPECT_EQ(browserOwner, ownerWindow);
    // The folder the browser starts on, as a file-system path.
    EXPECT_EQ(chosen.outcome, FolderChoice::Outcome::Chosen);
    const DWORD attributes = GetFileAttributesA(chosen.path.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << chosen.path;
}

// A dialog whose Count button runs a busy work driven by the test.
class BusyDialog : public ModalDialog {
  public:
    BusyDialog() : ModalDialog(res::IDD_MAIN) {}
    std::vector<int> commands;

  protected:
    void OnCommand(int id) override { commands.push_back(id); }
};

TEST(BusyWindow, DropsInputRepaintsAndShowsProgressAfterHalfASecond) {
    std::chrono::milliseconds clock{1000};
    BusyWindowSeam::setClock([&] { return clock; });
    BusyDialog dialog;
    int progressAsked = 0;
    ModalScript script;
    script.on(res::dialogTemplate(res::IDD_MAIN).caption, [&](HWND window) {
        HWND status = GetDlgItem(window, 1008);
        HWND count = GetDlgItem(window, 1007);
        SetWindowTextA(status, "before");
        {
            BusyWindow busy(window, 1008);
            EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
            // What the user does meanwhile: a click on Count and Enter.
            PostMessageA(count, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            PostMessageA(count, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            test::postKey(count, VK_RETURN);
            const auto progress = [&] {
                ++progressAsked;
                return std::string("Counting C:\\src");
            };
            clock += std::chrono::milliseconds(100);
            InvalidateRect(status, nullptr, TRUE);
            busy.keepAlive(progress);
            RECT pending{};
            EXPECT_FALSE(GetUpdateRect(status, &pending, FALSE)) << "not repainted";
            EXPECT_EQ(progressAsked, 0);
            EXPECT_EQ(test::windowText(status), "before");
            clock += std::chrono::milliseconds(10);
            busy.keepAlive(progress);  // too soon after the last: nothing
            clock += std::chrono::milliseconds(500);
            busy.keepAlive(progress);
            EXPECT_EQ(progressAsked, 1);
            EXPECT_EQ(test::windowText(status), "Counting C:\\src");
            PostMessageA(count, WM_KEYDOWN, VK_SPACE, 0);
        }
        EXPECT_EQ(test::windowText(status), "before");
        EXPECT_NE(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
        // Anything left in the queue would reach Count now.
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    dialog.DoModal();
    BusyWindowSeam::clearClock();
    EXPECT_TRUE(dialog.commands.empty());
}

// The count moves the Directory List's selection to each directory in turn while the work holds
// the lists' drawing: what the box shows meanwhile is what it shows once it draws again.
TEST(BusyWindow, ADirectoryListWhoseSelectionMovesMeanwhileShowsItsEntriesOnce) {
    BusyDialog dialog;
    ModalScript script;
    script.on(res::dialogTemplate(res::IDD_MAIN).caption, [&](HWND window) {
        DirectoryList* directories = dialog.directoryList(1003);
        ASSERT_NE(directories, nullptr);
        for (int i = 0; i < 30; ++i) {
            directories->append("C:\\src\\directory " + std::to_string(i));
        }
        HWND box = GetDlgItem(window, 1003);
        test::Capture during;
        {
            BusyWindow busy(window, 1008);
            for (int i = 0; i < 30; ++i) {
                directories->select(i);
            }
            during = test::captureWindow(box);
        }
        EXPECT_EQ(SendMessageA(box, LB_GETCURSEL, 0, 0), 29);
        EXPECT_EQ(test::differingPixels(during, test::captureWindow(box)), 0);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    dialog.DoModal();
}

}  // namespace
}  // namespace lw::win32
