// The dialog templates 100, 102 and 129 as the dialog manager gets them, and the windows it
// makes of them.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "platform/win32/dialog.h"
#include "platform/win32/dialog_layout.h"
#include "platform/win32/dialog_template.h"
#include "platform/win32/text.h"
#include "tests/platform/win32/win32_test_support.h"

namespace lw::win32 {
namespace {

using test::ModalScript;

// A class or a title of a template item: an ordinal or a text.
using NameOrOrdinal = std::variant<WORD, std::wstring>;

struct ParsedControl {
    DWORD exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    NameOrOrdinal windowClass, title;
};

struct ParsedDialog {
    DWORD exStyle, style;
    short cx, cy;
    std::wstring caption, font;
    WORD pointSize;
    std::vector<ParsedControl> controls;
};

// Reads a DLGTEMPLATEEX by its documented layout, independently of the code that writes one.
class Reader {
  public:
    explicit Reader(const std::vector<WORD>& words) : words_(words) {}
    WORD word() { return words_.at(at_++); }
    DWORD dword() {
        const WORD low = word();
        return MAKELONG(low, word());
    }
    std::wstring text() {
        std::wstring value;
        for (WORD c = word(); c != 0; c = word()) {
            value += static_cast<wchar_t>(c);
        }
        return value;
    }
    NameOrOrdinal nameOrOrdinal() {
        if (words_.at(at_) == 0xFFFF) {
            ++at_;
            return word();
        }
        return text();
    }
    void alignToDword() { at_ += at_ % 2; }

  private:
    const std::vector<WORD>& words_;
    std::size_t at_ = 0;
};

ParsedDialog parse(const std::vector<WORD>& words) {
    Reader in(words);
    ParsedDialog dialog{};
    EXPECT_EQ(in.word(), 1);       // dlgVer
    EXPECT_EQ(in.word(), 0xFFFF);  // signature
    in.dword();                    // helpID
    dialog.exStyle = in.dword();
    dialog.style = in.dword();
    const WORD count = in.word();
    in.word();  // x
    in.word();  // y
    dialog.cx = static_cast<short>(in.word());
    dialog.cy = static_cast<short>(in.word());
    EXPECT_EQ(std::get<std::wstring>(in.nameOrOrdinal()), L"");  // menu
    EXPECT_EQ(std::get<std::wstring>(in.nameOrOrdinal()), L"");  // class
    dialog.caption = in.text();
    dialog.pointSize = in.word();
    in.word();  // weight
    in.word();  // italic, charset
    dialog.font = in.text();
    for (WORD i = 0; i < count; ++i) {
        in.alignToDword();
        ParsedControl control{};
        in.dword();  // helpID
        control.exStyle = in.dword();
        control.style = in.dword();
        control.x = static_cast<short>(in.word());
        control.y = static_cast<short>(in.word());
        control.cx = static_cast<short>(in.word());
        control.cy = static_cast<short>(in.word());
        control.id = in.dword();
        control.windowClass = in.nameOrOrdinal();
        control.title = in.nameOrOrdinal();
        const WORD extra = in.word();
        for (WORD skip = 0; skip < (extra + 1) / 2; ++skip) {
            in.word();
        }
        dialog.controls.push_back(control);
    }
    return dialog;
}

constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kListBox = 0x0083;

struct ExpectedControl {
    int id;
    NameOrOrdinal windowClass;
    int x, y, cx, cy;
    DWORD style, exStyle;
    const char* windowsClassName;  // as the created window reports it
};

struct ExpectedDialog {
    int templateId;
    DWORD style;  // with a fixed frame
    DWORD exStyle;
    int firstFocus;
    std::vector<int> tabOrder;
    std::vector<ExpectedControl> controls;
};

const ExpectedDialog kExpected[] = {
    {res::IDD_MAIN,
     0x90CA00C8,
     WS_EX_APPWINDOW,
     1006,
     {1006, 1003, 1004, 1005, 1007, 1},
     {
         {1006, kButton, 408, 6, 24, 12, 0x50010000, 0, "Button"},
         {-1, kStatic, 6, 6, 402, 12, 0x50020000, WS_EX_STATICEDGE, "Static"},
         {1003, kListBox, 6, 18, 426, 66, 0x50A10101, 0, "ListBox"},
         {-1, kStatic, 6, 90, 38, 8, 0x50020000, 0, "Static"},
         {1004, kEdit, 48, 90, 384, 12, 0x50810080, 0, "Edit"},
         {-1, kStatic, 6, 108, 426, 12, 0x50020000, WS_EX_STATICEDGE, "Static"},
         {1005, std::wstring(L"SysListView32"), 6, 120, 426, 144, 0x50010801, WS_EX_STATICEDGE,
          "SysListView32"},
         {1007, kButton, 378, 270, 50, 18, 0x50010001, 0, "Button"},
         {1, kButton, 6, 270, 50, 16, 0x50010000, 0, "Button"},
         {2, kButton, 60, 276, 24, 16, 0x40010000, 0, "Button"},
         {1008, kStatic, 60, 270, 312, 12, 0x50020001, WS_EX_STATICEDGE, "Static"},
     }},
    {res::IDD_ADD_DIRECTORY,
     0x80C800C8,
     0,
     1,
     {1, 2, 1000, 1001, 1002},
     {
         {1, kButton, 312, 42, 50, 14, 0x50010001, 0, "Button"},
         {2, kButton, 6, 42, 50, 14, 0x50010000, 0, "Button"},
         {1000, kEdit, 42, 6, 306, 12, 0x50810080, 0, "Edit"},
         {1001, kButton, 42, 24, 173, 10, 0x50010003, 0, "Button"},
         {-1, kStatic, 6, 6, 30, 8, 0x50020000, 0, "Static"},
         {1002, kButton, 348, 6, 14, 14, 0x50010000, 0, "Button"},
     }},
    {res::IDD_ABOUT,
     0x80C800C8,
     0,
     1,
     {1, 1009},
     {
         {-1, kStatic, 12, 12, 20, 20, 0x50000003, 0, "Static"},
         {-1, kStatic, 42, 12, 119, 8, 0x50020080, 0, "Static"},
         {-1, kStatic, 42, 24, 119, 8, 0x50020000, 0, "Static"},
         {1, kButton, 180, 30, 44, 17, 0x50030001, 0, "Button"},
         {1009, kButton, 42, 36, 114, 14, 0x50010000, 0, "Button"},
     }},
};

// A template that lets the window grow trades the modal frame for a sizing border, and keeps the
// window's background from being painted over its controls.
DWORD withSizing(DWORD fixedStyle, Sizing sizing) {
    const DWORD sizable = (fixedStyle & ~DS_MODALFRAME) | WS_THICKFRAME | WS_CLIPCHILDREN;
    switch (sizing) {
        case Sizing::Fixed:
            return fixedStyle;
        case Sizing::WidthOnly:
            return sizable;
        case Sizing::Both:
            return sizable | WS_MAXIMIZEBOX;
    }
    return fixedStyle;
}

void PrintTo(const ExpectedDialog& dialog, std::ostream* out) {
    *out << "template " << dialog.templateId;
}

class DialogTemplateTest : public testing::TestWithParam<ExpectedDialog> {};

TEST_P(DialogTemplateTest, TemplateInMemoryCarriesTheNativeStylesAndTexts) {
    const ExpectedDialog& expected = GetParam();
    const res::DialogTemplate& source = res::dialogTemplate(expected.templateId);
    const ParsedDialog dialog = parse(DialogTemplateBuffer(source, res::IDI_MAIN).words());

    EXPECT_EQ(dialog.style, withSizing(expected.style, source.sizing));
    EXPECT_EQ(dialog.exStyle, expected.exStyle);
    EXPECT_EQ(dialog.cx, source.width);
    EXPECT_EQ(dialog.cy, source.height);
    EXPECT_EQ(dialog.caption, wideFromUtf8(source.caption));
    EXPECT_EQ(dialog.font, L"MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);
    ASSERT_EQ(dialog.controls.size(), expected.controls.size());
    for (std::size_t i = 0; i < expected.controls.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i));
        const ExpectedControl& want = expected.controls[i];
        const ParsedControl& got = dialog.controls[i];
        EXPECT_EQ(static_cast<int>(got.id), want.id);
        EXPECT_EQ(got.windowClass, want.windowClass);
        // Each control keeps the pixels it shares with a later neighbour.
        EXPECT_EQ(got.style, want.style | WS_CLIPSIBLINGS);
        EXPECT_EQ(got.exStyle, want.exStyle);
        EXPECT_EQ((std::vector<int>{got.x, got.y, got.cx, got.cy}),
                  (std::vector<int>{want.x, want.y, want.cx, want.cy}));
        if (source.controls[i].controlClass == res::ControlClass::StaticIcon) {
            EXPECT_EQ(got.title, NameOrOrdinal(static_cast<WORD>(res::IDI_MAIN)));
        } else {
            EXPECT_EQ(got.title, NameOrOrdinal(wideFromUtf8(source.controls[i].caption)));
        }
    }
}

TEST_P(DialogTemplateTest, DialogManagerMakesTheControlsInTemplateOrderAtTheirDialogUnits) {
    const ExpectedDialog& expected = GetParam();
    const res::DialogTemplate& source = res::dialogTemplate(expected.templateId);
    ModalDialog dialog(expected.templateId);
    ModalScript script;
    script.on(source.caption, [&](HWND window) {
        RECT client{};
        GetClientRect(window, &client);
        RECT size{0, 0, source.width, source.height};
        MapDialogRect(window, &size);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);

        // "MS Shell Dlg" at 8 points of the screen's resolution.
        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
        ReleaseDC(nullptr, screen);

        HWND child = GetWindow(window, GW_CHILD);
        for (std::size_t i = 0; i < expected.controls.size();
             ++i, child = GetWindow(child, GW_HWNDNEXT)) {
            SCOPED_TRACE("control " + std::to_string(i));
            const ExpectedControl& want = expected.controls[i];
            ASSERT_NE(child, nullptr);
            EXPECT_EQ(GetDlgCtrlID(child), want.id);
            EXPECT_EQ(test::className(child), want.windowsClassName);
            const res::ControlClass kind = source.controls[i].controlClass;
            if (kind == res::ControlClass::StaticIcon) {
                EXPECT_NE(SendMessageA(child, STM_GETICON, 0, 0), 0);
            } else if (kind != res::ControlClass::ListView && kind != res::ControlClass::ListBox) {
                // Compared as UTF-16: a caption such as the About box's "©" line need not be
                // ASCII, and the ANSI code page's bytes of it are not UTF-8's.
                wchar_t text[256] = {};
                GetWindowTextW(child, text, 256);
                EXPECT_EQ(std::wstring(text), wideFromUtf8(source.controls[i].caption));
            }
            // Position and size each converted on their own, as the dialog manager does.
            RECT at{want.x, want.y, want.cx, want.cy};
            MapDialogRect(window, &at);
            RECT placed{};
            GetWindowRect(child, &placed);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
            EXPECT_EQ(placed.left, at.left);
            EXPECT_EQ(placed.top, at.top);
            // A static icon takes the size of its icon.
            if (kind != res::ControlClass::StaticIcon) {
                EXPECT_EQ(placed.right - placed.left, at.right);
                EXPECT_EQ(placed.bottom - placed.top, at.bottom);
            }
            EXPECT_EQ(IsWindowVisible(child) != FALSE, (want.style & WS_VISIBLE) != 0);
        }

        // The focus starts on the first control with a tab stop, and Tab follows the template.
        HWND focus = GetFocus();
        EXPECT_EQ(GetDlgCtrlID(focus), expected.firstFocus);
        std::vector<int> order;
        HWND item = focus;
        do {
            order.push_back(GetDlgCtrlID(item));
            item = GetNextDlgTabItem(window, item, FALSE);
        } while (item != nullptr && item != focus && order.size() < 32);
        EXPECT_EQ(order, expected.tabOrder);

        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogTemplateTest, testing::ValuesIn(kExpected),
                         [](const testing::TestParamInfo<ExpectedDialog>& info) {
                             return "Template" + std::to_string(info.param.templateId);
                         });

}  // namespace
}  // namespace lw::win32
