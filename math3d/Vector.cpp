#include "math3d/Vector.h"

#include "gfx/Screen.h"
#include "math3d/Math3d.h"

CScreenPoint CVector::ProjectToScreen(const CScreen& screen) const {
    return ProjectToScreen(screen.width, screen.height, screen.projectionScale);
}

CScreenPoint CVector::ProjectToScreen(int32_t width, int32_t height, double f) const {
    const double zc = z > -0.2 ? -0.2 : z;
    const int32_t px = TruncateToInt32((x / zc) * f);
    const int32_t py = TruncateToInt32((y / zc) * f);
    // Integer halves round toward zero, so an odd width of 241 centres on 120.
    CScreenPoint point;
    point.x = width / 2 - px;
    point.y = height / 2 + py;
    return point;
}
