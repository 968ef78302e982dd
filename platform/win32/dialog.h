#pragma once

// The Win32 window of a ModalDialog. Only the Win32 backend and its tests look in here; ui/ and
// app/ see platform/modal_dialog.h alone.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

#include "platform/modal_dialog.h"
#include "platform/win32/dialog_layout.h"
#include "platform/win32/directory_list_box.h"
#include "platform/win32/file_list_view.h"
#include "res/dialog_template.h"

namespace lw {

// The template of res/ becomes a DLGTEMPLATEEX in memory, DialogBoxIndirectParamA runs it, and
// the dialog procedure hands each window message to the owner's hook, one each. The dialog
// manager does the rest natively: tab order, mnemonics, Esc and Enter (Enter presses the push
// button that has the focus, else the template's default button).
class ModalDialog::Native {
  public:
    Native(ModalDialog& owner, const res::DialogTemplate& dialogTemplate, ModalDialog* parent);
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;

    ModalDialog& owner() const { return owner_; }
    HWND hwnd() const { return hwnd_; }
    // The control with this id while the window exists; nullptr for IDC_STATIC and unknown ids.
    HWND item(int id) const;

    // The window is owned by the parent's window; without a parent, by the window of this
    // thread that is active (the main dialog, for a dialog it opens). -1 when the window could
    // not be made.
    int run();
    void end(int result);

    // The list view / list box with this id while the window exists, else nullptr. The objects
    // live as long as the dialog: a later run gives the same object its new control.
    win32::FileListView* fileList(int id) const;
    win32::DirectoryListBox* directoryList(int id) const;

    // Icon resource `iconId` of the executable as the window's big icon (the system's large
    // size), small icon (the small size), minimised picture and drag icon.
    void setIcon(int iconId);
    bool appendSystemMenuItem(unsigned id, const std::string& text);
    // What the dialog manager would do had the procedure not handled the command.
    void defaultSysCommand(unsigned id, std::intptr_t lParam);

  private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL onInitDialog();
    bool onCommand(WPARAM wParam);
    // True when handled; `result` is then the notification's answer (0 unless it says).
    bool onNotify(const NMHDR& header, LRESULT& result);
    bool onPaint();
    void bindControls();
    void centreOverOwner();
    void applyIcon() const;
    bool isPushButton(int id) const;
    win32::FileListView* fileListOf(HWND control) const;

    ModalDialog& owner_;
    const res::DialogTemplate& template_;
    ModalDialog* parent_;
    HWND hwnd_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    win32::DialogLayout layout_;
    bool resendSizePosted_ = false;
    std::map<int, std::unique_ptr<win32::FileListView>> fileLists_;
    std::map<int, std::unique_ptr<win32::DirectoryListBox>> directoryLists_;
};

}  // namespace lw
