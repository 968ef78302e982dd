#include "platform/win32/dialog_template.h"

#include <commctrl.h>

#include <string>

#include "platform/win32/dialog_layout.h"
#include "platform/win32/text.h"

namespace lw::win32 {

namespace {

bool has(const res::ControlTemplate& control, unsigned style) {
    return (control.style & style) != 0;
}

class Writer {
  public:
    explicit Writer(std::vector<WORD>& words) : words_(words) {}

    void word(WORD value) { words_.push_back(value); }
    void dword(DWORD value) {
        word(LOWORD(value));
        word(HIWORD(value));
    }
    void shortValue(int value) { word(static_cast<WORD>(static_cast<short>(value))); }
    void text(const std::wstring& value) {
        for (wchar_t c : value) {
            word(static_cast<WORD>(c));
        }
        word(0);
    }
    void ordinal(WORD value) {
        word(0xFFFF);
        word(value);
    }
    // Items begin on a DWORD boundary of the template.
    void alignToDword() {
        if (words_.size() % 2 != 0) {
            word(0);
        }
    }

  private:
    std::vector<WORD>& words_;
};

}  // namespace

WindowStyles dialogStyles(const res::DialogTemplate& dialog) {
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS;
    DWORD exStyle = 0;
    switch (dialog.sizing) {
        case Sizing::Fixed:
            style |= DS_MODALFRAME;
            break;
        case Sizing::WidthOnly:
            style |= WS_THICKFRAME;
            break;
        case Sizing::Both:
            style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
            break;
    }
    // A window that changes size repaints its background: without this it would paint over
    // controls that do not move, and over moved ones after they had painted themselves.
    if (dialog.sizing != Sizing::Fixed) {
        style |= WS_CLIPCHILDREN;
    }
    if (dialog.minimizeBox) {
        style |= WS_MINIMIZEBOX;
    }
    // The application's own window (the main dialog): in the taskbar, and made visible as it is
    // created rather than when its initialisation is done.
    if (dialog.showInTaskbar) {
        style |= WS_VISIBLE;
        exStyle |= WS_EX_APPWINDOW;
    }
    return WindowStyles{style, exStyle};
}

WindowStyles controlStyles(const res::ControlTemplate& control) {
    // Dialog units become pixels one coordinate at a time, so neighbours may share a row or a
    // column of pixels: the one above in the tab order keeps it, whichever paints last.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    if (!has(control, res::kHidden)) {
        style |= WS_VISIBLE;
    }
    if (has(control, res::kTabStop)) {
        style |= WS_TABSTOP;
    }
    if (has(control, res::kGroup)) {
        style |= WS_GROUP;
    }
    if (has(control, res::kBorder)) {
        style |= WS_BORDER;
    }
    if (has(control, res::kVScroll)) {
        style |= WS_VSCROLL;
    }
    if (has(control, res::kStaticEdge)) {
        exStyle |= WS_EX_STATICEDGE;
    }
    switch (control.controlClass) {
        case res::ControlClass::PushButton:
            style |= has(control, res::kDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            break;
        case res::ControlClass::CheckBox:
            style |= BS_AUTOCHECKBOX;
            break;
        case res::ControlClass::Static:
            style |= has(control, res::kCenteredText) ? SS_CENTER : SS_LEFT;
            if (has(control, res::kNoPrefix)) {
                style |= SS_NOPREFIX;
            }
            break;
        case res::ControlClass::StaticIcon:
            style |= SS_ICON;
            break;
        case res::ControlClass::Edit:
            style |= ES_LEFT;
            if (has(control, res::kAutoHScroll)) {
                style |= ES_AUTOHSCROLL;
            }
            break;
        case res::ControlClass::ListBox:
            // Entries stay in the order they were added (no LBS_SORT), one selected at most;
            // the box keeps the height the template gives it.
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
            break;
        case res::ControlClass::ListView:
            // Several rows selectable, no label editing, no sorting of its own.
            style |= LVS_REPORT | LVS_ALIGNLEFT;
            break;
    }
    return WindowStyles{style, exStyle};
}

WORD controlClassAtom(res::ControlClass controlClass) {
    switch (controlClass) {
        case res::ControlClass::PushButton:
        case res::ControlClass::CheckBox:
            return 0x0080;
        case res::ControlClass::Edit:
            return 0x0081;
        case res::ControlClass::Static:
        case res::ControlClass::StaticIcon:
            return 0x0082;
        case res::ControlClass::ListBox:
            return 0x0083;
        case res::ControlClass::ListView:
            return 0;
    }
    return 0;
}

const wchar_t* controlClassName(res::ControlClass controlClass) {
    return controlClass == res::ControlClass::ListView ? WC_LISTVIEWW : nullptr;
}

DialogTemplateBuffer::DialogTemplateBuffer(const res::DialogTemplate& dialog, int iconId) {
    Writer out(words_);
    const WindowStyles styles = dialogStyles(dialog);
    out.word(1);       // dlgVer
    out.word(0xFFFF);  // signature: the extended layout
    out.dword(0);      // helpID
    out.dword(styles.exStyle);
    out.dword(styles.style);
    out.word(static_cast<WORD>(dialog.controls.size()));
    out.shortValue(0);  // x, y: centred by the dialog when it initialises
    out.shortValue(0);
    out.shortValue(dialog.width);
    out.shortValue(dialog.height);
    out.word(0);  // no menu
    out.word(0);  // the dialog class
    out.text(wideFromUtf8(dialog.caption));
    out.word(static_cast<WORD>(dialog.fontPointSize));
    out.word(FW_NORMAL);
    out.word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, character set
    out.text(wideFromUtf8(dialog.fontFace));

    for (const res::ControlTemplate& control : dialog.controls) {
        out.alignToDword();
        const WindowStyles controlStyle = controlStyles(control);
        out.dword(0);  // helpID
        out.dword(controlStyle.exStyle);
        out.dword(controlStyle.style);
        out.shortValue(control.x);
        out.shortValue(control.y);
        out.shortValue(control.width);
        out.shortValue(control.height);
        out.dword(static_cast<DWORD>(control.id));  // IDC_STATIC is 0xFFFFFFFF
        if (const WORD atom = controlClassAtom(control.controlClass); atom != 0) {
            out.ordinal(atom);
        } else {
            out.text(controlClassName(control.controlClass));
        }
        if (control.controlClass == res::ControlClass::StaticIcon && iconId != 0) {
            out.ordinal(static_cast<WORD>(iconId));
        } else {
            out.text(wideFromUtf8(control.caption));
        }
        out.word(0);  // no creation data
    }
}

}  // namespace lw::win32
