#include "gfx/Screen.h"

#include <cmath>

CScreen::CScreen(HWND hwnd) : CDisplay(hwnd) {
    projectionScale = std::fabs(-0.6 * width);
}

CScreen::~CScreen() {}

bool CScreen::DrawWallQuad(const CSurface& texture, int32_t left, int32_t right, int32_t topLeft,
                           int32_t topRight, int32_t bottomLeft, int32_t bottomRight) {
    return StretchToTrapezoid(texture, left, right, topLeft, topRight, bottomLeft, bottomRight);
}
