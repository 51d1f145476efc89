// The world's screen: the display plus what the 3D drawing reads from it.
#pragma once
#include "gfx/Display.h"

class CScreen : public CDisplay {
public:
    explicit CScreen(HWND window);
    ~CScreen() override;

    // Draws a wall texture onto the quad with vertical sides (see
    // CSurface::StretchToTrapezoid) on the screen surface.
    bool DrawWallQuad(const CSurface& texture, int32_t left, int32_t right, int32_t topLeft,
                      int32_t topRight, int32_t bottomLeft, int32_t bottomRight);

    // 0.6 x the back buffer's width, fixed at construction (144.0 for 240).
    double projectionScale = 0.0;
};
