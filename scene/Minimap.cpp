#include "scene/Minimap.h"
#include "gfx/Surface.h"
#include "math3d/Math3d.h"
#include "scene/LevelBitmap.h"
#include <algorithm>
#include <cmath>

namespace {

// The two arrows drawn by hand, up and up-right; the other six are these
// turned by quarter turns. Row r is dy = r - 3, bit c is dx = c - 3. A
// turned triangle would come out ragged at seven pixels.
const uint8_t kArrows[2][kArrowSide] = {
    // ...#... / ..###.. / .#####. / ####### / ..###.. / ..###.. / ..###..
    {0x08, 0x1C, 0x3E, 0x7F, 0x1C, 0x1C, 0x1C},
    // ..##### / ...#### / ...#### / ..##### / .###..# / ###.... / ##.....
    {0x7C, 0x78, 0x78, 0x7C, 0x4E, 0x07, 0x03},
};
const int32_t kArrowReach = kArrowSide / 2;
const int32_t kDash = 2; // pixels on, then as many off

// What a size makes of the normal bounds: times num / den, rounded down.
struct SizeFactor {
    int32_t num, den;
    int32_t Of(int32_t bound) const { return bound * num / den; }
};
// By EMinimapSize.
const SizeFactor kSizeFactors[3] = {{2, 3}, {1, 1}, {3, 2}};

int32_t Clamp(int64_t v, int64_t low, int64_t high) {
    return static_cast<int32_t>(std::max(low, std::min(v, high)));
}

} // namespace

uint32_t MinimapCellColour(uint8_t cell, const MinimapColours& colours) {
    if (IsWallCell(cell))
        return colours.wall;
    if (CellClass(cell) == CELL_CLASS_ITEM && CellType(cell) == ITEM_DOT)
        return colours.dot;
    if (CellClass(cell) == CELL_CLASS_ITEM && CellType(cell) == ITEM_GUN)
        return colours.gun;
    return colours.ground;
}

PlatRect MinimapView::Square(double x, double z, int32_t side) const {
    const int64_t left = int64_t(origin.x) + TruncateToInt32(x * scale);
    const int64_t top = int64_t(origin.y) + TruncateToInt32(z * scale);
    return PlatRect{Clamp(left, box.left, box.right), Clamp(top, box.top, box.bottom),
                    Clamp(left + side, box.left, box.right),
                    Clamp(top + side, box.top, box.bottom)};
}

MinimapView PlaceMinimap(int32_t mapWidth, int32_t mapHeight, int32_t screenWidth,
                         int32_t screenHeight, double x, double z, EMinimapSize size) {
    MinimapView view;
    const SizeFactor factor =
        kSizeFactors[size >= MINIMAP_SMALL && size <= MINIMAP_LARGE ? size : MINIMAP_NORMAL];
    // The normal size keeps the bound it always had, whatever the screen.
    const int32_t highest = size == MINIMAP_NORMAL
                                ? kMinimapMaxHeight
                                : std::min(factor.Of(kMinimapMaxHeight), screenHeight / 2);
    const int64_t roomX = std::min(factor.Of(kMinimapMaxWidth), screenWidth);
    const int64_t roomY = std::min(highest, screenHeight);
    if (mapWidth <= 0 || mapHeight <= 0 || roomX <= 0 || roomY <= 0)
        return view;
    int32_t scale = factor.Of(kMinimapMaxScale);
    while (scale > 1 && (int64_t(mapWidth) * scale > roomX || int64_t(mapHeight) * scale > roomY))
        --scale;
    const int64_t fullX = int64_t(mapWidth) * scale, fullY = int64_t(mapHeight) * scale;
    const int64_t boxX = std::min(fullX, roomX), boxY = std::min(fullY, roomY);
    // The level's own place when it fits: the box is the whole level.
    const int32_t left = static_cast<int32_t>((screenWidth - boxX) / 2);
    const int32_t top = static_cast<int32_t>(screenHeight - boxY);
    // A window puts the player's pixel in its middle, as far as the level
    // reaches.
    const int32_t offX = Clamp(TruncateToInt32(x * scale) - boxX / 2, 0, fullX - boxX);
    const int32_t offY = Clamp(TruncateToInt32(z * scale) - boxY / 2, 0, fullY - boxY);
    view.scale = scale;
    view.box =
        PlatRect{left, top, static_cast<int32_t>(left + boxX), static_cast<int32_t>(top + boxY)};
    view.origin = PlatPoint{left - offX, top - offY};
    view.goesOn[0] = offX > 0;
    view.goesOn[1] = offY > 0;
    view.goesOn[2] = offX + boxX < fullX;
    view.goesOn[3] = offY + boxY < fullY;
    return view;
}

int ArrowDirection(double heading) {
    double h = std::fmod(heading, 360.0);
    if (h < 0)
        h += 360.0;
    return TruncateToInt32((h + 22.5) / 45.0) & 7;
}

bool ArrowCovers(int direction, int32_t dx, int32_t dy) {
    // Turning the pixel back by the arrow's quarter turns lands it on the
    // drawn arrow: a quarter turn back takes (dx, dy) to (dy, -dx).
    for (int quarter = (direction & 7) / 2; quarter > 0; --quarter) {
        const int32_t t = dx;
        dx = dy;
        dy = -t;
    }
    if (dx < -kArrowReach || dx > kArrowReach || dy < -kArrowReach || dy > kArrowReach)
        return false;
    return (kArrows[direction & 1][dy + kArrowReach] >> (dx + kArrowReach)) & 1;
}

PlatPoint ArrowCentre(const MinimapView& view, double x, double z) {
    const int64_t cx = int64_t(view.origin.x) + TruncateToInt32(x * view.scale);
    const int64_t cy = int64_t(view.origin.y) + TruncateToInt32(z * view.scale);
    return PlatPoint{Clamp(std::min<int64_t>(cx, view.box.right - 1 - kArrowReach),
                           view.box.left + kArrowReach, INT32_MAX),
                     Clamp(std::min<int64_t>(cy, view.box.bottom - 1 - kArrowReach),
                           view.box.top + kArrowReach, INT32_MAX)};
}

void DrawMinimapEdges(CSurface& screen, const MinimapView& view, const MinimapColours& colours) {
    const PlatRect& b = view.box;
    for (int side = 0; side < 4; ++side) {
        if (!view.goesOn[side])
            continue;
        const bool bAcross = side == 1 || side == 3; // a row of dashes
        const int32_t line = side == 0   ? b.left
                             : side == 1 ? b.top
                             : side == 2 ? b.right - 1
                                         : b.bottom - 1;
        const int32_t from = bAcross ? b.left : b.top, to = bAcross ? b.right : b.bottom;
        for (int32_t at = from; at < to; at += 2 * kDash) {
            const int32_t end = std::min(at + kDash, to);
            screen.Fill(bAcross ? PlatRect{at, line, end, line + 1}
                                : PlatRect{line, at, line + 1, end},
                        colours.edge);
        }
    }
}

void DrawMinimapArrow(CSurface& screen, const MinimapView& view, double x, double z, double heading,
                      const MinimapColours& colours) {
    if (view.scale <= 0)
        return;
    const int direction = ArrowDirection(heading);
    const PlatPoint c = ArrowCentre(view, x, z);
    const PlatRect& b = view.box;
    const int32_t left = std::max(std::max(b.left, c.x - kArrowReach), 0);
    const int32_t right = std::min(std::min(b.right, c.x + kArrowReach + 1), screen.width);
    const int32_t top = std::max(std::max(b.top, c.y - kArrowReach), 0);
    const int32_t bottom = std::min(std::min(b.bottom, c.y + kArrowReach + 1), screen.height);
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t px = left; px < right; ++px)
            if (ArrowCovers(direction, px - c.x, y - c.y))
                screen.SetPixel(px, y, colours.player);
}
