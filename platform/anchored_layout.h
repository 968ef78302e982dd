#pragma once

// Where the controls of a dialog go as its window grows: the arithmetic of the templates'
// anchors and sizing, the same on every backend. The backends supply the pixels of each control
// at the template's size (each converts dialog units its own way) and move the controls.

#include <cstddef>
#include <span>
#include <vector>

#include "res/dialog_template.h"

namespace lw {

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
    int width = 0, height = 0;

    bool operator==(const PixelSize&) const = default;
};

// Dialog units to pixels with the dialog font's base units: x * baseX / 4, y * baseY / 8, each
// edge rounded to the nearest pixel as the window system's own conversion rounds, so controls
// that touch in dialog units also touch on screen.
PixelRect dialogUnitsToPixels(int x, int y, int width, int height, PixelSize baseUnits);

// Where a control that the template puts at `atTemplate` goes when the client area is
// `extraWidth` and `extraHeight` pixels larger than the template's.
PixelRect anchoredRect(const PixelRect& atTemplate, const res::Anchors& anchors, int extraWidth,
                       int extraHeight);

// A control at the template's size, and how it follows a larger window.
struct PlacedControl {
    PixelRect atTemplate;
    res::Anchors anchors;
};

// The place of every control for a client area of `client` pixels: each control's place at the
// template's size moved by its anchors. A client area smaller than the template's
// (`templateClient`) leaves the controls where the template puts them.
std::vector<PixelRect> layOutControls(std::span<const PlacedControl> controls,
                                      PixelSize templateClient, PixelSize client);

}  // namespace lw
