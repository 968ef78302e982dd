#pragma once

#include <windows.h>

#include <vector>

#include "res/dialog_template.h"

namespace lw::win32 {

struct WindowStyles {
    DWORD style;
    DWORD exStyle;
};

// The window styles that the abstract style of res/ stands for on Windows.
WindowStyles dialogStyles(const res::DialogTemplate& dialog);
WindowStyles controlStyles(const res::ControlTemplate& control);

// The window class of a control: the ordinal of a predefined dialog class (0x0080 button,
// 0x0081 edit, 0x0082 static, 0x0083 list box), or 0 for one named by controlClassName().
WORD controlClassAtom(res::ControlClass controlClass);
const wchar_t* controlClassName(res::ControlClass controlClass);

// A dialog template in memory as DialogBoxIndirectParam takes it: the extended layout
// (DLGTEMPLATEEX), "MS Shell Dlg" at the template's size, the captions converted from UTF-8.
// A static icon shows icon resource `iconId` of the module the dialog is made from.
class DialogTemplateBuffer {
  public:
    DialogTemplateBuffer(const res::DialogTemplate& dialog, int iconId);

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }
    const std::vector<WORD>& words() const { return words_; }

  private:
    std::vector<WORD> words_;
};

}  // namespace lw::win32
