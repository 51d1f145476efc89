#include "math3d/Math3d.h"

#include <cmath>

namespace {
constexpr double kTruncLimit = 536870912.0; // 2^29

// Taylor terms of sin x / x - 1 and cos x - 1 in x^2, up to where the next
// term falls below a thousandth of the last place for |x| <= pi / 4. Folded
// by the compiler in IEEE double, the same everywhere.
constexpr double kSin[] = {-1.0 / 6,
                           1.0 / 120,
                           -1.0 / 5040,
                           1.0 / 362880,
                           -1.0 / 39916800,
                           1.0 / 6227020800.0,
                           -1.0 / 1307674368000.0,
                           1.0 / 355687428096000.0};
constexpr double kCos[] = {-1.0 / 2,
                           1.0 / 24,
                           -1.0 / 720,
                           1.0 / 40320,
                           -1.0 / 3628800,
                           1.0 / 479001600,
                           -1.0 / 87178291200.0,
                           1.0 / 20922789888000.0,
                           -1.0 / 6402373705728000.0};

template <size_t N> double Horner(const double (&c)[N], double x2) {
    double sum = c[N - 1];
    for (size_t i = N - 1; i-- > 0;)
        sum = c[i] + x2 * sum;
    return sum;
}
} // namespace

void SinCosDegrees(double degrees, double* sine, double* cosine) {
    if (!std::isfinite(degrees)) {
        *sine = *cosine = std::nan("");
        return;
    }
    // Quarter turns come off exactly, in degrees, leaving at most 45 either
    // way; remquo is exact and gives the quarter's number modulo 8 at least.
    int quarter = 0;
    const double rest = std::remquo(degrees, 90.0, &quarter);
    const double x = rest * kDegToRad;
    const double x2 = x * x;
    const double s = x + x * (x2 * Horner(kSin, x2));
    const double c = 1.0 + x2 * Horner(kCos, x2);
    switch (quarter & 3) {
    case 0:
        *sine = s;
        *cosine = c;
        break;
    case 1:
        *sine = c;
        *cosine = -s;
        break;
    case 2:
        *sine = -s;
        *cosine = -c;
        break;
    default:
        *sine = -c;
        *cosine = s;
        break;
    }
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
