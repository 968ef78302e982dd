#include "platform/win32/dialog_layout.h"

#include <algorithm>

#include "platform/anchored_layout.h"

namespace lw::win32 {

DialogLayout::DialogLayout(HWND dialog, std::vector<Item> items, SIZE dialogUnits, Sizing sizing)
    : dialog_(dialog), items_(std::move(items)), dialogUnits_(dialogUnits), sizing_(sizing) {}

DialogLayout DialogLayout::forTemplate(HWND dialog, const res::DialogTemplate& dialogTemplate) {
    // The dialog manager creates the controls in template order, each below the ones before it,
    // so the children in z-order are the template's controls in order (a static's id is not
    // unique, so GetDlgItem could not find them all).
    std::vector<Item> items;
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const res::ControlTemplate& control : dialogTemplate.controls) {
        if (child == nullptr) {
            break;
        }
        items.push_back(Item{child, RECT{control.x, control.y, control.width, control.height},
                             control.anchors});
        child = GetWindow(child, GW_HWNDNEXT);
    }
    return DialogLayout(dialog, std::move(items), SIZE{dialogTemplate.width, dialogTemplate.height},
                        dialogTemplate.sizing);
}

RECT DialogLayout::toPixels(const RECT& dialogUnits) const {
    RECT pixels = dialogUnits;
    MapDialogRect(dialog_, &pixels);
    return RECT{pixels.left, pixels.top, pixels.left + pixels.right, pixels.top + pixels.bottom};
}

SIZE DialogLayout::templateClientSize() const {
    const RECT client = toPixels(RECT{0, 0, dialogUnits_.cx, dialogUnits_.cy});
    return SIZE{client.right, client.bottom};
}

void DialogLayout::onSize(int clientWidth, int clientHeight) const {
    if (dialog_ == nullptr || items_.empty()) {
        return;
    }
    const bool anyAnchor = std::any_of(items_.begin(), items_.end(), [](const Item& item) {
        return item.anchors.left != 0 || item.anchors.top != 0 || item.anchors.right != 0 ||
               item.anchors.bottom != 0;
    });
    if (!anyAnchor) {
        return;
    }
    std::vector<PlacedControl> controls;
    controls.reserve(items_.size());
    for (const Item& item : items_) {
        const RECT at = toPixels(item.dialogUnits);
        controls.push_back({PixelRect{at.left, at.top, at.right, at.bottom}, item.anchors});
    }
    const SIZE least = templateClientSize();
    const std::vector<PixelRect> places = layOutControls(controls, PixelSize{least.cx, least.cy},
                                                         PixelSize{clientWidth, clientHeight});
    // A control paints itself anew where it goes: the pixels it had would be copied to its new
    // place, and a control whose size changes (the status line's centred text, a list's header)
    // would then show the old picture at the new place with only the strip it gained repainted.
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOCOPYBITS;
    // One move of every control, so the window repaints once and not once per control; should
    // the system refuse the batch, one move each.
    HDWP moves = BeginDeferWindowPos(static_cast<int>(items_.size()));
    for (std::size_t i = 0; i < items_.size() && moves != nullptr; ++i) {
        const PixelRect& at = places[i];
        moves = DeferWindowPos(moves, items_[i].control, nullptr, at.left, at.top, at.width(),
                               at.height(), flags);
    }
    if (moves != nullptr && EndDeferWindowPos(moves)) {
        return;
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const PixelRect& at = places[i];
        SetWindowPos(items_[i].control, nullptr, at.left, at.top, at.right - at.left,
                     at.bottom - at.top, flags);
    }
}

SIZE DialogLayout::leastWindowSize() const {
    const SIZE least = templateClientSize();
    RECT window{0, 0, least.cx, least.cy};
    AdjustWindowRectEx(&window, static_cast<DWORD>(GetWindowLongPtrA(dialog_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog_, GWL_EXSTYLE)));
    return SIZE{window.right - window.left, window.bottom - window.top};
}

bool DialogLayout::asksBelowLeast(const WINDOWPOS& change) const {
    if (dialog_ == nullptr || sizing_ == Sizing::Fixed || (change.flags & SWP_NOSIZE) != 0 ||
        IsIconic(dialog_) || IsZoomed(dialog_)) {
        return false;
    }
    const SIZE least = leastWindowSize();
    return change.cx < least.cx || change.cy < least.cy;
}

void DialogLayout::onGetMinMaxInfo(MINMAXINFO& info) const {
    if (dialog_ == nullptr || sizing_ == Sizing::Fixed) {
        return;
    }
    const SIZE least = leastWindowSize();
    info.ptMinTrackSize.x = least.cx;
    info.ptMinTrackSize.y = least.cy;
    if (sizing_ == Sizing::WidthOnly) {
        info.ptMaxTrackSize.y = info.ptMinTrackSize.y;
        info.ptMaxSize.y = info.ptMinTrackSize.y;
    }
}

}  // namespace lw::win32
