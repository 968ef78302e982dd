#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "res/dialog_template.h"

// Where windows.h came first, these names are its macros for its ANSI or wide functions; the
// methods below keep their own names whatever was included before.
#undef GetDlgItemText
#undef SetDlgItemText

namespace lw {

class FileList;
class DirectoryList;

// A modal dialog built from a dialog template (res/), on the toolkit that the build chose
// (platform/qt/ or platform/win32/). Nothing of the toolkit shows here: controls are reached by
// their template ids, texts are the engine's bytes.
//
// The run follows the classic modal-dialog life: DoModal creates the window and its controls in
// template order (the tab order), calls OnInitDialog (true: the focus goes to the first control
// with a tab stop), runs until EndDialog, calls OnDestroy while the window still exists, and
// returns the result. Button IDOK runs OnOK, IDCANCEL (and Esc, the close box, Alt+F4) runs
// OnCancel; every other push button runs OnCommand with its id. Enter presses the push button
// that has the focus; with the focus on any other control it presses the template's default
// button. The template's size is the smallest the window gets; its sizing and anchors say how it
// grows.
class ModalDialog {
  public:
    explicit ModalDialog(int templateId, ModalDialog* parent = nullptr);
    virtual ~ModalDialog();
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    int DoModal();
    void EndDialog(int result);

    // Controls by id. Unknown ids (and IDC_STATIC) are ignored and read as empty / false / null.
    std::string GetDlgItemText(int id) const;  // edit, static, button caption
    void SetDlgItemText(int id, const std::string& text);
    bool IsDlgButtonChecked(int id) const;  // check box
    void CheckDlgButton(int id, bool checked);
    void EnableDlgItem(int id, bool enabled);
    bool IsDlgItemEnabled(int id) const;
    bool HasDlgItemFocus(int id) const;  // the control has the keyboard focus of the dialog
    void SetDlgItemFocus(int id);
    FileList* fileList(int id) const;            // the list view with this id, or nullptr
    DirectoryList* directoryList(int id) const;  // the list box with this id, or nullptr

    // Icon resource `iconId` as the window's big and small icon (and, where minimised windows
    // are painted, the minimised picture and drag icon).
    void SetIcon(int iconId);

    // Appends a separator and an item to the window's system menu; choosing it calls
    // OnSysCommand with its id (the system's four low bits included). Where the window system
    // offers no such menu (Qt), the backend offers the item in the context menu of the window's
    // background instead. False when nothing could be added.
    bool AppendSystemMenuItem(unsigned id, const std::string& text);

    // The backend's own window object; only code in platform/<backend>/ looks inside.
    class Native;
    Native& native() const;

  protected:
    // Base: ExchangeData(false); true.
    virtual bool OnInitDialog();
    virtual void ExchangeData(bool fromControls);
    virtual void OnOK();      // base: ExchangeData(true), EndDialog(IDOK)
    virtual void OnCancel();  // base: EndDialog(IDCANCEL)
    virtual void OnDestroy();
    // A push button other than IDOK and IDCANCEL was pressed (click, Enter, mnemonic).
    virtual void OnCommand(int id);
    // A system command. Base: the window system's default processing (DefaultSysCommand).
    virtual void OnSysCommand(unsigned id, std::intptr_t lParam);
    void DefaultSysCommand(unsigned id, std::intptr_t lParam);
    // Notifications of a File List (list view) control.
    virtual void OnHeaderItemClick(int listId, int column);
    virtual void OnListDoubleClick(int listId);
    virtual void OnListKeyDown(int listId, int virtualKey);  // before the list handles the key
    // F1, whichever control has the focus. Base: nothing.
    virtual void OnHelp();

  private:
    friend class Native;
    std::unique_ptr<Native> native_;
};

}  // namespace lw
