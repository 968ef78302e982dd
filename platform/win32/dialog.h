#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/win32/dialog_layout.h"
#include "platform/win32/directory_list_box.h"
#include "platform/win32/file_list_view.h"
#include "res/dialog_template.h"

// windows.h makes these names macros for its ANSI or wide functions. The dialogs' methods keep
// the names as platform/modal_dialog.h declares them, which code without windows.h calls; the
// system's functions are called by their explicit "A" names.
#undef GetDlgItemText
#undef SetDlgItemText

namespace lw::win32 {

// A modal dialog made from a template of res/ with the system's dialog manager: the template
// becomes a DLGTEMPLATEEX in memory, DialogBoxIndirectParamA runs it, and a dialog procedure
// turns the window's messages into the virtual operations below, one each. The dialog manager
// does the rest natively: tab order, mnemonics, Esc and Enter (Enter presses the push button that
// has the focus, else the template's default button).
//
// The life of a run: DoModal creates the window and its controls in template order, calls
// OnInitDialog (true: the focus goes to the first control with a tab stop), runs until
// EndDialog, calls OnDestroy while the window still exists, and returns the result.
class Dialog {
  public:
    explicit Dialog(int templateId, Dialog* parent = nullptr);
    explicit Dialog(const res::DialogTemplate& dialogTemplate, Dialog* parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // The window is owned by the parent's window; without a parent, by the window of this
    // thread that is active (the main dialog, for a dialog it opens). -1 when the window could
    // not be made.
    int DoModal();
    void EndDialog(int result);

    const res::DialogTemplate& dialogTemplate() const { return template_; }
    Dialog* parent() const { return parent_; }
    HWND hwnd() const { return hwnd_; }

    // Controls by id. Unknown ids (and IDC_STATIC) are ignored and read as empty / false / null.
    std::string GetDlgItemText(int id) const;  // edit, static, button caption
    void SetDlgItemText(int id, const std::string& text);
    bool IsDlgButtonChecked(int id) const;  // check box
    void CheckDlgButton(int id, bool checked);
    void EnableDlgItem(int id, bool enabled);
    bool IsDlgItemEnabled(int id) const;
    // The list view / list box with this id while the window exists, else nullptr. The objects
    // live as long as the dialog: a later run gives the same object its new control.
    FileListView* fileList(int id) const;
    DirectoryListBox* directoryList(int id) const;

    // Icon resource `iconId` of the executable as the window's big icon (the system's large
    // size), small icon (the small size), minimised picture and drag icon.
    void SetIcon(int iconId);

    // Appends a separator and an item to the window's system menu; choosing it calls
    // OnSysCommand with its id (the system's four low bits included). False without a window or
    // a system menu.
    bool AppendSystemMenuItem(unsigned id, const std::string& text);

  protected:
    // Base: ExchangeData(false); true.
    virtual bool OnInitDialog();
    virtual void ExchangeData(bool fromControls);
    virtual void OnOK();      // base: ExchangeData(true), EndDialog(IDOK)
    virtual void OnCancel();  // base: EndDialog(IDCANCEL)
    virtual void OnDestroy();
    // A push button other than IDOK and IDCANCEL was pressed (click, Enter, mnemonic).
    virtual void OnCommand(int id);
    // Every system command. Base: DefaultSysCommand.
    virtual void OnSysCommand(unsigned id, std::intptr_t lParam);
    // The window system's own handling of a system command (move, size, minimise, close ...).
    void DefaultSysCommand(unsigned id, std::intptr_t lParam);
    // Notifications of a File List (list view) control.
    virtual void OnHeaderItemClick(int listId, int column);
    virtual void OnListDoubleClick(int listId);
    // Before the list handles the key; Ctrl+C then copies the selected rows.
    virtual void OnListKeyDown(int listId, int virtualKey);

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL onInitDialog();
    bool onCommand(WPARAM wParam, LPARAM lParam);
    // True when handled; `result` is then the notification's answer (0 unless it says).
    bool onNotify(const NMHDR& header, LRESULT& result);
    bool onPaint();
    void bindControls();
    void centreOverOwner();
    void applyIcon() const;
    bool isPushButton(int id) const;
    FileListView* fileListOf(HWND control) const;

    const res::DialogTemplate& template_;
    Dialog* parent_;
    HWND hwnd_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    DialogLayout layout_;
    std::map<int, std::unique_ptr<FileListView>> fileLists_;
    std::map<int, std::unique_ptr<DirectoryListBox>> directoryLists_;
};

}  // namespace lw::win32
