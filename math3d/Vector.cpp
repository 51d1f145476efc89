#include "math3d/Vector.h"

#include "gfx/Screen.h"
#include "math3d/Math3d.h"

double SideReach(int32_t width, double f) {
    if (width <= 0 || !(f > 0.0))
        return kUnboundedReach;
    // A point at x / depth = t lands on column width / 2 + trunc(t * f):
    // past the right side once t * f >= width - width / 2, past the left
    // once t * f <= -(width / 2), both within width / 2.0 + 1.
    return (width / 2.0 + 1.0) / f;
}

CScreenPoint CVector::ProjectToScreen(const CScreen& screen) const {
    return ProjectToScreen(screen.width, screen.height, screen.projectionScale);
}

CScreenPoint CVector::ProjectToScreen(int32_t width, int32_t height, double f) const {
    const double zc = z > -kNearDepth ? -kNearDepth : z;
    const int32_t px = TruncateToInt32((x / zc) * f);
    const int32_t py = TruncateToInt32((y / zc) * f);
    // Integer halves round toward zero, so an odd width of 241 centres on 120.
    CScreenPoint point;
    point.x = width / 2 - px;
    point.y = height / 2 + py;
    return point;
}
