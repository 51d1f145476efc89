#include "math3d/Drawable.h"

bool CDrawable::IsInRegion(const PlatRect&) const {
    return true;
}

bool CDrawable::IsVisible() const {
    const double key = GetDepthKey();
    return key < 0.0 && key > kFarthestKey;
}

int CDrawable::Intersect(double, double, double, double, double*, double*, double*, double*) {
    return 0;
}
