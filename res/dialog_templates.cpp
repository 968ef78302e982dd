#include <array>
#include <stdexcept>

#include "res/dialog_template.h"

namespace lw::res {

namespace {

constexpr const char* kDialogFont = "MS Shell Dlg";
constexpr int kDialogFontPoints = 8;

// Extra height goes a quarter to the Directory List and the rest to the File List; extra width to
// everything that spans the window. The buttons and the status line keep to their corners.
constexpr Anchors kTopRight{4, 0, 4, 0};
constexpr Anchors kBottomLeft{0, 4, 0, 4};
constexpr Anchors kBottomRight{4, 4, 4, 4};
constexpr Anchors kWider{0, 0, 4, 0};

constexpr std::array kMainControls{
    ControlTemplate{1006, ControlClass::PushButton, "&Add", 408, 6, 24, 12, kTabStop, kTopRight},
    ControlTemplate{IDC_STATIC, ControlClass::Static, "&Directory List", 6, 6, 402, 12,
                    kGroup | kStaticEdge, kWider},
    ControlTemplate{1003,
                    ControlClass::ListBox,
                    "",
                    6,
                    18,
                    426,
                    66,
                    kBorder | kVScroll | kTabStop,
                    {0, 0, 4, 1}},
    ControlTemplate{
        IDC_STATIC, ControlClass::Static, "&Extensions:", 6, 90, 38, 8, kGroup, {0, 1, 0, 1}},
    ControlTemplate{1004,
                    ControlClass::Edit,
                    "",
                    48,
                    90,
                    384,
                    12,
                    kAutoHScroll | kBorder | kTabStop,
                    {0, 1, 4, 1}},
    ControlTemplate{IDC_STATIC,
                    ControlClass::Static,
                    "&File List",
                    6,
                    108,
                    426,
                    12,
                    kGroup | kStaticEdge,
                    {0, 1, 4, 1}},
    ControlTemplate{
        1005, ControlClass::ListView, "", 6, 120, 426, 144, kTabStop | kStaticEdge, {0, 1, 4, 4}},
    ControlTemplate{1007, ControlClass::PushButton, "&Count", 378, 270, 50, 18,
                    kDefaultButton | kTabStop, kBottomRight},
    ControlTemplate{IDOK, ControlClass::PushButton, "E&xit", 6, 270, 50, 16, kTabStop, kBottomLeft},
    // Present only so that Esc has a cancel command to produce; never shown.
    ControlTemplate{IDCANCEL, ControlClass::PushButton, "Cancel", 60, 276, 24, 16,
                    kTabStop | kHidden, kBottomLeft},
    ControlTemplate{1008,
                    ControlClass::Static,
                    "",
                    60,
                    270,
                    312,
                    12,
                    kGroup | kCenteredText | kStaticEdge,
                    {0, 4, 4, 4}},
};

constexpr std::array kAddDirectoryControls{
    ControlTemplate{IDOK, ControlClass::PushButton, "Add", 312, 42, 50, 14,
                    kDefaultButton | kTabStop, kTopRight},
    ControlTemplate{IDCANCEL, ControlClass::PushButton, "Cancel", 6, 42, 50, 14, kTabStop,
                    kTopLeft},
    ControlTemplate{1000, ControlClass::Edit, "", 42, 6, 306, 12, kBorder | kAutoHScroll | kTabStop,
                    kWider},
    ControlTemplate{1001, ControlClass::CheckBox,
                    "Recurse subdirectories (this may take some time)", 42, 24, 173, 10, kTabStop,
                    kTopLeft},
    ControlTemplate{IDC_STATIC, ControlClass::Static, "Directory", 6, 6, 30, 8, kGroup, kTopLeft},
    ControlTemplate{1002, ControlClass::PushButton, "...", 348, 6, 14, 14, kTabStop, kTopRight},
};

constexpr std::array kAboutControls{
    ControlTemplate{IDC_STATIC, ControlClass::StaticIcon, "", 12, 12, 20, 20, kNone, kTopLeft},
    ControlTemplate{IDC_STATIC, ControlClass::Static, "Linewright Version 1.0", 42, 12, 119, 8,
                    kNoPrefix | kGroup, kTopLeft},
    // The year and holder of LICENSE's rights line, short enough for the line's width.
    ControlTemplate{IDC_STATIC, ControlClass::Static, "\xC2\xA9 2026 the Linewright developers", 42,
                    24, 119, 8, kGroup, kTopLeft},
    ControlTemplate{IDOK, ControlClass::PushButton, "OK", 180, 30, 44, 17,
                    kDefaultButton | kGroup | kTabStop, kTopLeft},
    ControlTemplate{1009, ControlClass::PushButton, "https://www.ferrowick.example/", 42, 36, 114,
                    14, kTabStop, kTopLeft},
};

const DialogTemplate kTemplates[] = {
    {IDD_MAIN, "Linewright", 436, 294, kDialogFont, kDialogFontPoints, true, true, Sizing::Both,
     kMainControls},
    {IDD_ADD_DIRECTORY, "Add Directory | Linewright", 370, 60, kDialogFont, kDialogFontPoints,
     false, false, Sizing::WidthOnly, kAddDirectoryControls},
    {IDD_ABOUT, "About Linewright", 232, 54, kDialogFont, kDialogFontPoints, false, false,
     Sizing::Fixed, kAboutControls},
};

}  // namespace

const DialogTemplate& dialogTemplate(int id) {
    for (const DialogTemplate& candidate : kTemplates) {
        if (candidate.id == id) {
            return candidate;
        }
    }
    throw std::out_of_range("no dialog template with this id");
}

}  // namespace lw::res
