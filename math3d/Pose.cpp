#include "math3d/Pose.h"

#include "math3d/Math3d.h"
#include <cmath>

namespace {
// Beyond this many turns the steps of 360 below would take too long; fmod
// gives the same exact result in one go (both are exact below 2^56).
constexpr double kFoldLimit = 360.0 * 1024.0;
} // namespace

void CPose::Turn(double delta) {
    double h = heading + delta;
    if (!std::isfinite(h))
        return;
    if (std::fabs(h) > kFoldLimit) {
        const bool positive = h > 0.0;
        h = std::fmod(h, 360.0);
        // The steps land on 360 from above and on +0 from below.
        if (h == 0.0)
            h = positive ? 360.0 : 0.0;
    }
    // Wrapping stops at 360 from above and at 0 from below, so 360 itself is
    // a valid heading and is not folded to 0.
    while (h > 360.0)
        h -= 360.0;
    while (h < 0.0)
        h += 360.0;
    heading = h;
}

void CPose::MoveForward(double distance) {
    double s, c;
    SinCosDegrees(heading, &s, &c);
    x = s * distance + x;
    z = z - c * distance;
}

void CPose::MoveRight(double distance) {
    double s, c;
    SinCosDegrees(heading, &s, &c);
    x = c * distance + x;
    z = s * distance + z;
}

CMatrix CPose::GetViewMatrix() const {
    CMatrix view;
    view.SetView(x, y, z, heading);
    return view;
}
