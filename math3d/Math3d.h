// Small helpers every 3D file shares: the degree factor, the one conversion
// from double to pixel or cell integers, the view-region test and the planar
// distance.
#pragma once
#include "platform/PlatformTypes.h"
#include <cstdint>

// The double nearest to pi / 180; every angle in the game is held in degrees.
constexpr double kDegToRad = 0.017453292519943295;

// Truncates toward zero, as every double-to-integer conversion of the game
// does. Values beyond +-2^29 are held there and NaN gives 0, so the
// conversion itself is always defined and sums of two results still fit in
// 32 bits; nothing the renderer draws comes near those bounds.
int32_t TruncateToInt32(double value);

// Half-open containment: left <= x < right and top <= z < bottom. A view
// region is a rectangle of cells, x the column and z the row of the level.
inline bool RegionContains(const PlatRect& region, int32_t x, int32_t z) {
    return x >= region.left && x < region.right && z >= region.top && z < region.bottom;
}

// The sine and cosine of an angle in degrees, the same to the last bit on
// every platform: C libraries round sin and cos differently in their last
// bit, and a player walking or a wall turning by those bits ends up drawn a
// pixel apart. Only +, -, * and / (exact to IEEE 754 everywhere) and the
// exact remainder are used. Within 2 units in the last place of the true
// values; NaN for an infinite or NaN angle.
void SinCosDegrees(double degrees, double* sine, double* cosine);

// Euclidean distance of (x1, z1) and (x2, z2) on the floor plane.
double Distance2D(double x1, double z1, double x2, double z2);
