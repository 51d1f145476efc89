// A point in space, in double precision. In world space x is the level's
// column, z its row and y the height; in view space x points right, y up and
// the camera looks along negative z.
#pragma once
#include "math3d/ScreenPoint.h"
#include <cstdint>
#include <limits>

class CScreen;

// The nearest depth the projection divides by: a point nearer than this in
// front of the camera, or beside or behind it, is projected as if this far.
const double kNearDepth = 0.2;

// How far off the view axis, as |x| over the depth the projection divides by,
// a view-space point must lie to project beyond a side of a screen `width`
// pixels wide with scale f, a whole column clear of it (so rounding cannot
// bring it back). kUnboundedReach when the screen has no width or scale.
const double kUnboundedReach = std::numeric_limits<double>::infinity();
double SideReach(int32_t width, double f);

class CVector {
public:
    CVector() = default;
    CVector(double x, double y, double z) : x(x), y(y), z(z) {}
    CVector(const CVector&) = default;
    CVector& operator=(const CVector&) = default;
    virtual ~CVector() = default;

    void Set(double nx, double ny, double nz) {
        x = nx;
        y = ny;
        z = nz;
    }

    // Perspective projection of this view-space point onto the screen
    // (its width, height and projectionScale). The point is left unchanged.
    CScreenPoint ProjectToScreen(const CScreen& screen) const;
    // The same for a screen of width x height pixels with scale f. A depth
    // nearer than 0.2 in front of the camera (or behind it) is taken as 0.2,
    // so nothing divides by zero and points beside or behind the camera are
    // thrown far out on their own side.
    CScreenPoint ProjectToScreen(int32_t width, int32_t height, double f) const;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};
