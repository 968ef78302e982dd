#pragma once

// The Win32 side of a ModalDialog: the window is a win32::Dialog whose virtual operations hand
// each event to the owner's hook. Only the Win32 backend and its tests look in here; ui/ and app/
// see platform/modal_dialog.h alone.

#include "platform/modal_dialog.h"
#include "platform/win32/dialog.h"

namespace lw {

class ModalDialog::Native : public win32::Dialog {
  public:
    Native(ModalDialog& owner, int templateId, ModalDialog* parent);

    ModalDialog& owner() const { return owner_; }
    ModalDialog* parentDialog() const { return parent_; }
    // The window system's own handling of a system command.
    void defaultSysCommand(unsigned id, std::intptr_t lParam) { DefaultSysCommand(id, lParam); }

  protected:
    bool OnInitDialog() override { return owner_.OnInitDialog(); }
    void ExchangeData(bool fromControls) override { owner_.ExchangeData(fromControls); }
    void OnOK() override { owner_.OnOK(); }
    void OnCancel() override { owner_.OnCancel(); }
    void OnDestroy() override { owner_.OnDestroy(); }
    void OnCommand(int id) override { owner_.OnCommand(id); }
    void OnSysCommand(unsigned id, std::intptr_t lParam) override {
        owner_.OnSysCommand(id, lParam);
    }
    void OnHeaderItemClick(int listId, int column) override {
        owner_.OnHeaderItemClick(listId, column);
    }
    void OnListDoubleClick(int listId) override { owner_.OnListDoubleClick(listId); }
    void OnListKeyDown(int listId, int virtualKey) override {
        owner_.OnListKeyDown(listId, virtualKey);
    }

  private:
    ModalDialog& owner_;
    ModalDialog* parent_;
};

}  // namespace lw
