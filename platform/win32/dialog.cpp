#include "platform/win32/dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/win32/dialog_template.h"

namespace lw {

namespace {

HINSTANCE executable() {
    return GetModuleHandleA(nullptr);
}

// Posted to a dialog to tell the window system its size once more (see WM_WINDOWPOSCHANGING).
constexpr UINT kResendSize = WM_APP + 1;

// Answers a notification with 0, the result every notification handler here gives.
INT_PTR handled(HWND hwnd) {
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
    return TRUE;
}

}  // namespace

ModalDialog::Native::Native(ModalDialog& owner, const res::DialogTemplate& dialogTemplate,
                            ModalDialog* parent)
    : owner_(owner), template_(dialogTemplate), parent_(parent) {}

int ModalDialog::Native::run() {
    HWND owner = parent_ != nullptr ? parent_->native().hwnd_ : GetActiveWindow();
    const win32::DialogTemplateBuffer buffer(template_, res::IDI_MAIN);
    const INT_PTR result = DialogBoxIndirectParamA(executable(), buffer.get(), owner, dialogProc,
                                                   reinterpret_cast<LPARAM>(this));
    return static_cast<int>(result);
}

void ModalDialog::Native::end(int result) {
    if (hwnd_ != nullptr) {
        ::EndDialog(hwnd_, result);
    }
}

HWND ModalDialog::Native::item(int id) const {
    if (hwnd_ == nullptr || id == res::IDC_STATIC) {
        return nullptr;
    }
    return GetDlgItem(hwnd_, id);
}

INT_PTR CALLBACK ModalDialog::Native::dialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Native*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->hwnd_ = hwnd;
    }
    // Messages that come before WM_INITDIALOG (WM_SETFONT, WM_GETMINMAXINFO ...) find no dialog
    // yet and get the dialog manager's default.
    auto* dialog = reinterpret_cast<Native*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE;
    }
    const INT_PTR result = dialog->handleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        dialog->hwnd_ = nullptr;
    }
    return result;
}

INT_PTR ModalDialog::Native::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return onInitDialog();
        case WM_COMMAND:
            return onCommand(wParam) ? TRUE : FALSE;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!onNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) {
                return FALSE;
            }
            SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        case WM_SYSCOMMAND:
            owner_.OnSysCommand(static_cast<unsigned>(wParam), lParam);
            return handled(hwnd_);
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                layout_.onSize(LOWORD(lParam), HIWORD(lParam));
                for (const auto& [id, list] : fileLists_) {
                    list->fitStretchColumn();
                }
            }
            return FALSE;
        case WM_GETMINMAXINFO:
            layout_.onGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
            return handled(hwnd_);
        case WM_WINDOWPOSCHANGING:
            // The default keeps the window at its least size. But a window manager that resizes
            // the window itself (Wine's, with the frame drawn by the desktop) is not told that
            // size and leaves its frame as small as it was dragged, cutting the controls off:
            // once the change is done, the window says its size again, and the manager follows.
            if (!resendSizePosted_ &&
                layout_.asksBelowLeast(*reinterpret_cast<const WINDOWPOS*>(lParam))) {
                resendSizePosted_ = PostMessageA(hwnd_, kResendSize, 0, 0) != FALSE;
            }
            return FALSE;
        case kResendSize:
            resendSizePosted_ = false;
            SetWindowPos(
                hwnd_, nullptr, 0, 0, 0, 0,
                SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            return TRUE;
        case WM_PAINT:
            return onPaint() ? TRUE : FALSE;
        case WM_HELP:
            // F1 on the keyboard, whichever control has the focus: the system makes the key a
            // help request of that control, which hands it on to its dialog.
            owner_.OnHelp();
            return TRUE;
        case WM_QUERYDRAGICON:
            // One of the messages whose answer a dialog procedure returns itself.
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_DESTROY:
            owner_.OnDestroy();
            return FALSE;
        default:
            return FALSE;
    }
}

BOOL ModalDialog::Native::onInitDialog() {
    bindControls();
    layout_ = win32::DialogLayout::forTemplate(hwnd_, template_);
    applyIcon();
    centreOverOwner();
    if (!owner_.OnInitDialog()) {
        return FALSE;
    }
    // The focus goes to the first control with a tab stop through the dialog manager's own focus
    // move, which also makes a push button that gets it the one Enter presses (a focus set by
    // answering TRUE leaves that look, and Enter, on the template's default button under Wine).
    if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) {
        SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
    return FALSE;
}

void ModalDialog::Native::bindControls() {
    // The objects outlive the run, so that a pointer to one stays good for the dialog's life, as
    // the window code keeps it; each run gives them its new controls.
    for (const res::ControlTemplate& control : template_.controls) {
        if (control.id == res::IDC_STATIC) {
            continue;
        }
        HWND item = GetDlgItem(hwnd_, control.id);
        if (item == nullptr) {
            continue;
        }
        if (control.controlClass == res::ControlClass::ListView) {
            if (auto& list = fileLists_[control.id]) {
                list->attach(item);
            } else {
                list = std::make_unique<win32::FileListView>(item);
            }
        } else if (control.controlClass == res::ControlClass::ListBox) {
            if (auto& list = directoryLists_[control.id]) {
                list->attach(item);
            } else {
                list = std::make_unique<win32::DirectoryListBox>(item);
            }
        }
    }
}

void ModalDialog::Native::centreOverOwner() {
    // Over the owner when there is one, else over the work area of the monitor the window is on,
    // and never past the edges of that work area.
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    RECT window{};
    GetWindowRect(hwnd_, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(owner != nullptr ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    const RECT& work = monitor.rcWork;
    RECT around = work;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &around);
    }
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = around.left + ((around.right - around.left) - width) / 2;
    int y = around.top + ((around.bottom - around.top) - height) / 2;
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ModalDialog::Native::isPushButton(int id) const {
    return std::any_of(template_.controls.begin(), template_.controls.end(),
                       [id](const res::ControlTemplate& c) {
                           return c.id == id && c.controlClass == res::ControlClass::PushButton;
                       });
}

bool ModalDialog::Native::onCommand(WPARAM wParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (code != BN_CLICKED) {
        return false;
    }
    // IDOK and IDCANCEL also come from the dialog manager itself (Enter, Esc, the close box),
    // with or without a button of that id.
    if (id == IDOK) {
        owner_.OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        owner_.OnCancel();
        return true;
    }
    if (isPushButton(id)) {
        owner_.OnCommand(id);
        return true;
    }
    return false;
}

win32::FileListView* ModalDialog::Native::fileListOf(HWND control) const {
    for (const auto& [id, list] : fileLists_) {
        if (list->hwnd() == control) {
            return list.get();
        }
    }
    return nullptr;
}

bool ModalDialog::Native::onNotify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
        // The list view hands its header's notifications on to the dialog, ANSI or wide as the
        // dialog's window asks for them; the fields read here are the same in both.
        case HDN_ITEMCLICKA:
        case HDN_ITEMCLICKW: {
            HWND list = GetParent(header.hwndFrom);
            if (fileListOf(list) == nullptr) {
                return false;
            }
            owner_.OnHeaderItemClick(GetDlgCtrlID(list),
                                     reinterpret_cast<const NMHEADERA&>(header).iItem);
            return true;
        }
        case NM_DBLCLK:
            if (fileListOf(header.hwndFrom) == nullptr) {
                return false;
            }
            owner_.OnListDoubleClick(static_cast<int>(header.idFrom));
            return true;
        case LVN_KEYDOWN: {
            win32::FileListView* list = fileListOf(header.hwndFrom);
            if (list == nullptr) {
                return false;
            }
            const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
            owner_.OnListKeyDown(static_cast<int>(header.idFrom), key);
            if (GetKeyState(VK_CONTROL) < 0 && key == 'C') {
                list->copySelection();
            } else if (GetKeyState(VK_CONTROL) < 0 && key == 'A') {
                list->selectAll();
            }
            return true;
        }
        case LVN_DELETEALLITEMS:
            // No notification for each row as well: clearing a long list sends none per row.
            if (fileListOf(header.hwndFrom) == nullptr) {
                return false;
            }
            result = TRUE;
            return true;
        default:
            return false;
    }
}

bool ModalDialog::Native::onPaint() {
    if (!IsIconic(hwnd_) || icon_ == nullptr) {
        return false;
    }
    // Where a minimised window is still painted: the icon in the middle of the client area.
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    SendMessageA(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(hwnd_, &paint);
    return true;
}

win32::FileListView* ModalDialog::Native::fileList(int id) const {
    const auto found = fileLists_.find(id);
    return hwnd_ != nullptr && found != fileLists_.end() ? found->second.get() : nullptr;
}

win32::DirectoryListBox* ModalDialog::Native::directoryList(int id) const {
    const auto found = directoryLists_.find(id);
    return hwnd_ != nullptr && found != directoryLists_.end() ? found->second.get() : nullptr;
}

void ModalDialog::Native::setIcon(int iconId) {
    // Shared icons of the executable: the system keeps them, nothing destroys them.
    icon_ = LoadIconA(executable(), MAKEINTRESOURCEA(iconId));
    smallIcon_ = static_cast<HICON>(LoadImageA(executable(), MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (smallIcon_ == nullptr) {
        smallIcon_ = icon_;
    }
    applyIcon();
}

void ModalDialog::Native::applyIcon() const {
    if (hwnd_ == nullptr || icon_ == nullptr) {
        return;
    }
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

bool ModalDialog::Native::appendSystemMenuItem(unsigned id, const std::string& text) {
    if (hwnd_ == nullptr) {
        return false;
    }
    HMENU menu = GetSystemMenu(hwnd_, FALSE);
    if (menu == nullptr) {
        return false;
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    return AppendMenuA(menu, MF_STRING, id, text.c_str()) != FALSE;
}

void ModalDialog::Native::defaultSysCommand(unsigned id, std::intptr_t lParam) {
    // What the dialog manager would do had the procedure not handled the message: the dialog
    // procedure itself is not called again.
    if (hwnd_ != nullptr) {
        DefWindowProcA(hwnd_, WM_SYSCOMMAND, id, lParam);
    }
}

}  // namespace lw
