// The minimap's look and place: the game's own colours for what a cell
// holds, the scale a level is drawn at and the window of a level larger
// than the room the minimap has, the dashes that say the map goes on, and
// the player's arrow. The maze draws the minimap with these (DrawOverlay).
#pragma once
#include "platform/PlatformTypes.h"
#include <cstdint>

class CSurface;

// Colour values (red in bits 0-7, green 8-15, blue 16-23). A level's own
// palette is never used: a palette may paint walls the colour of the ground
// or dots the colour of the player. These stay apart for players without
// green cones as well (tools/deutan.py, docs/minimap-deutan.png), and every
// wall stands at more than 3 : 1 luminance contrast against the ground.
const uint32_t kMinimapGround = 0x00200E0C; // (12, 14, 32): opaque, under everything
const uint32_t kMinimapWall = 0x00847878;   // (120, 120, 132)
const uint32_t kMinimapDot = 0x00FFD250;    // (80, 210, 255)
const uint32_t kMinimapGun = 0x00FF6040;    // (64, 96, 255)
const uint32_t kMinimapEnemy = 0x002060FF;  // (255, 96, 32)
const uint32_t kMinimapPlayer = 0x00FFFFFF; // the arrow
const uint32_t kMinimapTrace = 0x0000FFFF;  // a shot's trace, the yellow it always had
const uint32_t kMinimapEdge = 0x00D2C8C8;   // (200, 200, 210), dashed

// The minimap's colours as a set: the standard one above, or the
// high-contrast one, for players who want the marks to stand out further.
// Each set is one object in the whole program (inline), so a look may name
// it by its address.
struct MinimapColours {
    uint32_t ground, wall, dot, gun, enemy, player, trace, edge;
};
inline const MinimapColours kStandardMinimapColours = {
    kMinimapGround, kMinimapWall,   kMinimapDot,   kMinimapGun,
    kMinimapEnemy,  kMinimapPlayer, kMinimapTrace, kMinimapEdge};
// On black: white walls (21 : 1), and marks at 4.5 : 1 or more that stay
// further apart for deuteranopes than the standard set's.
inline const MinimapColours kHighContrastMinimapColours = {
    0x00000000, // ground
    0x00FFFFFF, // walls
    0x0000DCFF, // dots (255, 220, 0)
    0x00FF6E00, // guns (0, 110, 255)
    0x000028FF, // enemies (255, 40, 0)
    0x00FF33FF, // the arrow (255, 51, 255)
    0x0099CC99, // a shot's trace (153, 204, 153)
    0x00808080, // dashes
};

// The most screen the minimap takes at its normal size: a quarter of the
// handheld's 320 rows, and a 2 : 1 box that a 76-cell-wide level fits at
// one pixel a cell.
const int32_t kMinimapMaxWidth = 144;
const int32_t kMinimapMaxHeight = 72;
// Above this a small level's cells would read as blocks, not a map.
const int32_t kMinimapMaxScale = 3;

// The sizes a player may choose: the normal bound, times 2/3 or 3/2 (box
// and largest scale alike), and never above half the screen's height.
enum EMinimapSize : int { MINIMAP_SMALL = 0, MINIMAP_NORMAL = 1, MINIMAP_LARGE = 2 };

// How the player chose to see the minimap. Only its drawing reads it.
struct MinimapLook {
    EMinimapSize size = MINIMAP_NORMAL;
    const MinimapColours* colours = &kStandardMinimapColours; // never null
};
// The arrow is kArrowSide pixels square, centred on the player's pixel.
const int32_t kArrowSide = 7;

// The colour of a cell as the minimap shows it: walls, dots and guns; every
// other cell (corridor, floor, start and enemy markers, decorations) is
// ground. Enemies and the player are drawn where they stand, not from cells.
uint32_t MinimapCellColour(uint8_t cell, const MinimapColours& colours = kStandardMinimapColours);

// Where one frame's minimap lies on the screen.
struct MinimapView {
    // Pixels a cell; 0 when there is nothing to draw.
    int32_t scale = 0;
    // The screen pixels the minimap covers (right and bottom excluded).
    PlatRect box = {0, 0, 0, 0};
    // The screen pixel of the top-left corner of cell (0, 0); outside the
    // box when the box is a window onto a larger level.
    PlatPoint origin = {0, 0};
    // The level goes on past the box's left, top, right and bottom sides.
    bool goesOn[4] = {false, false, false, false};

    // The side x side square whose top-left is level point (x, z) (in
    // cells, truncated at the scale), clipped to the box.
    PlatRect Square(double x, double z, int32_t side) const;
};

// The minimap of a mapWidth x mapHeight level on a screenWidth x
// screenHeight screen with the player at (x, z): at the largest scale up to
// kMinimapMaxScale at which the whole level fits kMinimapMaxWidth x
// kMinimapMaxHeight (and the screen), at the bottom centre; the bounds are
// those of `size`. A level that does not fit even at one pixel a cell
// shows the window of that size around the player, held inside the level.
MinimapView PlaceMinimap(int32_t mapWidth, int32_t mapHeight, int32_t screenWidth,
                         int32_t screenHeight, double x, double z,
                         EMinimapSize size = MINIMAP_NORMAL);

// The arrow's direction for `heading` (degrees, 0 toward -z, 90 toward +x),
// to the nearest eighth of a turn: 0 up the map, 1 up-right, ..., 7 up-left.
int ArrowDirection(double heading);
// Whether the arrow of `direction` covers the pixel (dx, dy) from its centre
// pixel; false outside -kArrowSide / 2 .. kArrowSide / 2.
bool ArrowCovers(int direction, int32_t dx, int32_t dy);
// The arrow centre on the player's pixel, moved just as far as it takes to
// keep the whole arrow inside the box (it only moves for a player at the
// level's very edge).
PlatPoint ArrowCentre(const MinimapView& view, double x, double z);

// Dashes along the box's sides where the level goes on, then the arrow for
// a player at (x, z) looking along `heading`, both clipped to the box.
void DrawMinimapEdges(CSurface& screen, const MinimapView& view,
                      const MinimapColours& colours = kStandardMinimapColours);
void DrawMinimapArrow(CSurface& screen, const MinimapView& view, double x, double z, double heading,
                      const MinimapColours& colours = kStandardMinimapColours);
