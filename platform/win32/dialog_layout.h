#pragma once

#include <windows.h>

#include <vector>

#include "res/dialog_template.h"

namespace lw::win32 {

// How a control follows a larger dialog, and whether the dialog may grow: as the template says.
using Anchors = res::Anchors;
using Sizing = res::Sizing;

// Keeps a dialog's controls where their anchors say (platform/anchored_layout.h) as the window is
// resized, and the window no
// smaller than its template (nor taller, when only its width may change). Positions are taken
// from dialog units each time, so they follow the dialog font's size on every monitor.
class DialogLayout {
  public:
    struct Item {
        HWND control;
        // Dialog units as a template gives them: left, top, width, height (each converted on its
        // own, as the dialog manager converts them when it creates the control).
        RECT dialogUnits;
        Anchors anchors;
    };

    DialogLayout() = default;
    DialogLayout(HWND dialog, std::vector<Item> items, SIZE dialogUnits, Sizing sizing);
    // The controls of a dialog made from `dialogTemplate`, in template order.
    static DialogLayout forTemplate(HWND dialog, const res::DialogTemplate& dialogTemplate);

    // WM_SIZE: moves the controls for the new client size.
    void onSize(int clientWidth, int clientHeight) const;
    // WM_GETMINMAXINFO: the template's size is the smallest track size; with WidthOnly also the
    // largest height.
    void onGetMinMaxInfo(MINMAXINFO& info) const;
    // Whether a change of size (WM_WINDOWPOSCHANGING) asks for less than the least size of a
    // window in its normal state, which the window system then keeps it from.
    bool asksBelowLeast(const WINDOWPOS& change) const;

    // The template's client area in pixels.
    SIZE templateClientSize() const;

  private:
    // Left, top, right and bottom in pixels.
    RECT toPixels(const RECT& dialogUnits) const;
    // The window, frame included, around the template's client area.
    SIZE leastWindowSize() const;

    HWND dialog_ = nullptr;
    std::vector<Item> items_;
    SIZE dialogUnits_{0, 0};
    Sizing sizing_ = Sizing::Fixed;
};

}  // namespace lw::win32
