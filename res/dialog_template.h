#pragma once

#include <span>

namespace lw::res {

// The same values as windows.h's macros of these names; with windows.h included first, the
// names here stay what they are, and code below windows.h uses the macros.
#pragma push_macro("IDOK")
#pragma push_macro("IDCANCEL")
#undef IDOK
#undef IDCANCEL
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
#pragma pop_macro("IDCANCEL")
#pragma pop_macro("IDOK")
inline constexpr int IDC_STATIC = -1;

inline constexpr int IDD_ABOUT = 100;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_ADD_DIRECTORY = 129;
inline constexpr int IDI_MAIN = 128;  // the templates' static icon and the windows' icon
inline constexpr int IDS_ABOUT = 101;

enum class ControlClass {
    PushButton,
    CheckBox,  // automatic check box
    Static,    // text label
    StaticIcon,
    Edit,
    ListBox,   // Directory List box
    ListView,  // File List view, report style
};

// The style bits that the dialog builder acts on.
enum ControlStyle : unsigned {
    kNone = 0,
    kDefaultButton = 1u << 0,
    kHidden = 1u << 1,
    kTabStop = 1u << 2,
    kStaticEdge = 1u << 3,
    kCenteredText = 1u << 4,
    kGroup = 1u << 5,
    kNoPrefix = 1u << 6,  // "&" is shown, not a mnemonic
    kBorder = 1u << 7,
    kAutoHScroll = 1u << 8,
    kVScroll = 1u << 9,
};

// How a control follows a dialog that is larger than its template: each edge moves by the given
// number of quarters of the extra width (left, right) or height (top, bottom). All zero keeps the
// control where the template puts it; 4 for both edges of an axis keeps its distance to the far
// side; 0 and 4 stretch it with the dialog.
struct Anchors {
    int left, top, right, bottom;
};

inline constexpr Anchors kTopLeft{0, 0, 0, 0};

// Positions and sizes are dialog units.
struct ControlTemplate {
    int id;
    ControlClass controlClass;
    const char* caption;  // UTF-8
    int x, y, width, height;
    unsigned style;
    Anchors anchors;
};

// Whether the user can make the dialog larger than its template; it never gets smaller.
enum class Sizing {
    Fixed,
    WidthOnly,
    Both,  // with a maximise box
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;
    const char* fontFace;
    int fontPointSize;
    bool minimizeBox;
    bool showInTaskbar;
    Sizing sizing;
    std::span<const ControlTemplate> controls;  // template order, which is the tab order
};

// The dialog template with the given id; throws std::out_of_range for an unknown id.
const DialogTemplate& dialogTemplate(int id);

// The string table entry, UTF-8; empty when there is none.
const char* loadString(int id);

}  // namespace lw::res
