#include "math3d/Math3d.h"

#include <cmath>

namespace {
constexpr double kTruncLimit = 536870912.0; // 2^29
}

int32_t TruncateToInt32(double value) {
    if (std::isnan(value))
        return 0;
    if (value > kTruncLimit)
        return static_cast<int32_t>(kTruncLimit);
    if (value < -kTruncLimit)
        return -static_cast<int32_t>(kTruncLimit);
    return static_cast<int32_t>(value);
}

double Distance2D(double x1, double z1, double x2, double z2) {
    const double dx = x2 - x1;
    const double dz = z2 - z1;
    // z first: the order of the sum is part of the result's last bit.
    return std::sqrt(dz * dz + dx * dx);
}
