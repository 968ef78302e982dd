#include "platform/anchored_layout.h"

#include <algorithm>
#include <cstdint>

namespace lw {

namespace {

// Rounds like MulDiv, which the window system uses for dialog units.
int mulDiv(int value, int numerator, int denominator) {
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

}  // namespace

PixelRect dialogUnitsToPixels(int x, int y, int width, int height, PixelSize baseUnits) {
    return PixelRect{mulDiv(x, baseUnits.width, 4), mulDiv(y, baseUnits.height, 8),
                     mulDiv(x + width, baseUnits.width, 4),
                     mulDiv(y + height, baseUnits.height, 8)};
}

PixelRect anchoredRect(const PixelRect& atTemplate, const res::Anchors& anchors, int extraWidth,
                       int extraHeight) {
    return PixelRect{atTemplate.left + extraWidth * anchors.left / 4,
                     atTemplate.top + extraHeight * anchors.top / 4,
                     atTemplate.right + extraWidth * anchors.right / 4,
                     atTemplate.bottom + extraHeight * anchors.bottom / 4};
}

std::vector<PixelRect> layOutControls(std::span<const PlacedControl> controls,
                                      PixelSize templateClient, PixelSize client) {
    const int extraWidth = std::max(0, client.width - templateClient.width);
    const int extraHeight = std::max(0, client.height - templateClient.height);
    std::vector<PixelRect> places;
    places.reserve(controls.size());
    for (const PlacedControl& control : controls) {
        places.push_back(
            anchoredRect(control.atTemplate, control.anchors, extraWidth, extraHeight));
    }
    return places;
}

}  // namespace lw
