// The window driver on the system's own controls, under Wine: input is posted to the controls as
// the devices would deliver it, and pumped through the dialog manager until it has been handled.

#include "tests/ui/window_driver.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "platform/win32/application.h"
#include "platform/win32/dialog.h"
#include "tests/platform/win32/win32_test_support.h"
#include "ui/profile_keys.h"

namespace lw::test {

namespace {

constexpr UINT kPollMs = 10;
constexpr UINT kHandled = WM_APP + 0x2A;

DialogScript* polled = nullptr;
UINT_PTR pollTimer = 0;

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (polled != nullptr) {
        polled->poll();
    }
}

HWND item(const ModalDialog& dialog, int id) {
    return GetDlgItem(dialog.native().hwnd(), id);
}

bool sentinelHandled = false;

LRESULT CALLBACK sentinelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kHandled) {
        sentinelHandled = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window that only receives the message posted after the input: whichever loop dispatches it
// (a dialog that the input opened has a loop of its own), everything before it has been handled.
HWND sentinel() {
    static HWND window = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = sentinelProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "LinewrightTestSentinel";
        RegisterClassA(&windowClass);
        return CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    }();
    return window;
}

// Dispatches this thread's messages as the dialog's own loop would, Tab, Enter and Esc included,
// until everything posted before the call has been handled.
void pumpPosted() {
    sentinelHandled = false;
    PostMessageA(sentinel(), kHandled, 0, 0);
    while (!sentinelHandled) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
            continue;
        }
        HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root != nullptr && root != sentinel() && IsDialogMessageA(root, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void postClick(HWND window, LPARAM at, bool twice) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(window, WM_LBUTTONUP, 0, at);
    }
    pumpPosted();
}

HWND headerOf(const ModalDialog& dialog, int listId) {
    return reinterpret_cast<HWND>(SendMessageA(item(dialog, listId), LVM_GETHEADER, 0, 0));
}

std::string settingsKey() {
    return std::string("Software\\") + kCompanyKey + "\\" + win32::applicationName();
}

}  // namespace

ModalDialog* activeDialog() {
    HWND window = win32::test::activeModalWindow();
    if (window == nullptr) {
        return nullptr;
    }
    // The dialogs of the program keep their window object where the dialog procedure finds it.
    auto* native = reinterpret_cast<ModalDialog::Native*>(GetWindowLongPtrA(window, DWLP_USER));
    return native != nullptr && native->hwnd() == window ? &native->owner() : nullptr;
}

void startPolling(DialogScript& script) {
    polled = &script;
    pollTimer = SetTimer(nullptr, 0, kPollMs, tick);
}

void stopPolling() {
    KillTimer(nullptr, pollTimer);
    polled = nullptr;
}

void click(ModalDialog& dialog, int id) {
    HWND button = item(dialog, id);
    ASSERT_NE(button, nullptr) << "no control " << id;
    // What a click does, answered when its handler has returned.
    SendMessageA(button, BM_CLICK, 0, 0);
}

void pressKey(ModalDialog& dialog, int id, int virtualKey) {
    HWND control = item(dialog, id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    // The dialog manager's own focus move, as Tab makes it.
    SendMessageA(dialog.native().hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    win32::test::postKey(GetFocus(), static_cast<WORD>(virtualKey));
    if (virtualKey == kF1) {
        // What the system adds to F1 as it takes the key from the keyboard (not to a posted
        // key): a request to the focused control, whose default handling asks its dialog for
        // help (WM_HELP).
        constexpr UINT kKeyF1 = 0x004D;
        PostMessageA(GetFocus(), kKeyF1, 0, 0);
    }
    pumpPosted();
}

void pressCtrlKey(ModalDialog& dialog, int id, char letter) {
    // Held as the keyboard state says, which is what a control asks about.
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    pressKey(dialog, id, letter);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

void typeText(ModalDialog& dialog, int id, const std::string& text) {
    HWND edit = item(dialog, id);
    ASSERT_NE(edit, nullptr) << "no edit " << id;
    SetWindowTextA(edit, text.c_str());
}

void setChecked(ModalDialog& dialog, int id, bool checked) {
    HWND box = item(dialog, id);
    ASSERT_NE(box, nullptr) << "no check box " << id;
    if ((SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) {
        SendMessageA(box, BM_CLICK, 0, 0);
    }
}

void clickHeading(ModalDialog& dialog, int listId, int column) {
    HWND header = headerOf(dialog, listId);
    postClick(header, win32::test::middleOfColumn(header, column), false);
}

void selectOnly(ModalDialog& dialog, int listId, const std::vector<int>& rows) {
    HWND list = item(dialog, listId);
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int row : rows) {
        LVITEMA selected{};
        selected.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        selected.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&selected));
    }
}

void doubleClickRow(ModalDialog& dialog, int listId, int row) {
    HWND list = item(dialog, listId);
    RECT at{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&at));
    postClick(list, MAKELPARAM(at.left + 5, (at.top + at.bottom) / 2), true);
}

void closeWindow(ModalDialog& dialog) {
    PostMessageA(dialog.native().hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    pumpPosted();
}

void chooseSystemCommand(ModalDialog& dialog, unsigned id) {
    SendMessageA(dialog.native().hwnd(), WM_SYSCOMMAND, id, 0);
}

std::string shownText(const ModalDialog& dialog, int id) {
    std::string text = win32::test::windowText(item(dialog, id));
    // A button shows its caption without the mnemonic's marker.
    std::erase(text, '&');
    return text;
}

bool shownEnabled(const ModalDialog& dialog, int id) {
    HWND control = item(dialog, id);
    return control != nullptr && IsWindowEnabled(control) != FALSE;
}

int focusedControl(const ModalDialog& dialog) {
    HWND focused = GetFocus();
    return focused != nullptr && GetParent(focused) == dialog.native().hwnd()
               ? GetDlgCtrlID(focused)
               : 0;
}

std::vector<std::string> headings(const ModalDialog& dialog, int listId) {
    HWND header = headerOf(dialog, listId);
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < count; ++column) {
        char text[64] = {};
        HDITEMA heading{};
        heading.mask = HDI_TEXT;
        heading.pszText = text;
        heading.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&heading));
        texts.emplace_back(text);
    }
    return texts;
}

int columnWidth(const ModalDialog& dialog, int listId, int column) {
    return static_cast<int>(SendMessageA(item(dialog, listId), LVM_GETCOLUMNWIDTH, column, 0));
}

std::vector<std::vector<std::string>> shownRows(const ModalDialog& dialog, int listId) {
    HWND list = item(dialog, listId);
    const int columns =
        static_cast<int>(SendMessageA(headerOf(dialog, listId), HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::vector<std::string>> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < columns; ++column) {
            char text[MAX_PATH * 2] = {};
            LVITEMA cell{};
            cell.iSubItem = column;
            cell.pszText = text;
            cell.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&cell));
            cells.emplace_back(text);
        }
        rows.push_back(cells);
    }
    return rows;
}

std::vector<std::string> shownEntries(const ModalDialog& dialog, int listBoxId) {
    HWND box = item(dialog, listBoxId);
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH * 2] = {};
        SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

std::vector<std::intptr_t> rowTags(const ModalDialog& dialog, int listId) {
    HWND list = item(dialog, listId);
    std::vector<std::intptr_t> tags;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMA entry{};
        entry.mask = LVIF_PARAM;
        entry.iItem = row;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&entry));
        tags.push_back(entry.lParam);
    }
    return tags;
}

PixelSize clientSize(const ModalDialog& dialog) {
    RECT client{};
    GetClientRect(dialog.native().hwnd(), &client);
    return PixelSize{client.right - client.left, client.bottom - client.top};
}

void resizeClient(ModalDialog& dialog, PixelSize size) {
    HWND window = dialog.native().hwnd();
    RECT frame{0, 0, size.width, size.height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pumpPosted();
}

std::vector<PixelRect> controlPlaces(const ModalDialog& dialog) {
    // The dialog manager makes the controls in template order, each below the ones before it.
    HWND window = dialog.native().hwnd();
    std::vector<PixelRect> places;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT at{};
        GetWindowRect(child, &at);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
        places.push_back(PixelRect{at.left, at.top, at.right, at.bottom});
    }
    return places;
}

std::vector<bool> controlsShown(const ModalDialog& dialog) {
    std::vector<bool> shown;
    for (HWND child = GetWindow(dialog.native().hwnd(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        shown.push_back(IsWindowVisible(child) != FALSE);
    }
    return shown;
}

std::string storedSetting(const std::string& key) {
    char value[512] = {};
    DWORD size = sizeof value;
    DWORD type = 0;
    const std::string section = settingsKey() + "\\" + kSettingsSection;
    if (RegGetValueA(HKEY_CURRENT_USER, section.c_str(), key.c_str(), RRF_RT_ANY, &type, value,
                     &size) != ERROR_SUCCESS) {
        return kAbsent;
    }
    if (type == REG_DWORD) {
        return std::to_string(*reinterpret_cast<const DWORD*>(value));
    }
    return type == REG_SZ ? std::string(value) : "<type " + std::to_string(type) + ">";
}

std::vector<std::string> storedSettingNames() {
    std::vector<std::string> names;
    HKEY application = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, settingsKey().c_str(), 0, KEY_READ, &application) !=
        ERROR_SUCCESS) {
        return names;
    }
    char section[256];
    for (DWORD i = 0; RegEnumKeyA(application, i, section, sizeof section) == ERROR_SUCCESS; ++i) {
        HKEY values = nullptr;
        if (RegOpenKeyExA(application, section, 0, KEY_READ, &values) != ERROR_SUCCESS) {
            continue;
        }
        char name[256];
        DWORD length = sizeof name;
        for (DWORD j = 0; RegEnumValueA(values, j, name, &length, nullptr, nullptr, nullptr,
                                        nullptr) == ERROR_SUCCESS;
             ++j, length = sizeof name) {
            names.push_back(std::string(section) + "/" + name);
        }
        RegCloseKey(values);
    }
    RegCloseKey(application);
    return names;
}

void forgetSettings() {
    RegDeleteTreeA(HKEY_CURRENT_USER, settingsKey().c_str());
}

}  // namespace lw::test
