// The drawing rules written out plainly, one pixel at a time with a division
// for every sample and a bounds test for every pixel, as the yardstick the
// fast kernels are compared with. Each walks the pixels in the rule's order
// (rows outer, or columns outer for the wall fill) and moves single pixels
// with the surface's own pixel operations, so a source that shares memory
// with the destination is read exactly when the rule reads it.
#pragma once
#include "gfx/Surface.h"
#include <algorithm>
#include <cstdint>

namespace plain {

inline uint8_t* At(const CSurface& s, int64_t x, int64_t y) {
    return s.pixels + x * s.xPitch + y * s.yPitch;
}

inline bool Inside(const CSurface& s, int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < s.width && y < s.height;
}

// Raw words between equal formats of equal depth; everything else converts.
inline bool SameFormat(const CSurface& a, const CSurface& b) {
    return a.formatFlags == b.formatFlags && a.bitsPerPixel == b.bitsPerPixel;
}

inline bool Blit(CSurface& dest, const CSurface& src, int32_t x, int32_t y, bool useKey) {
    if (!dest.pixels || !src.pixels)
        return false;
    for (int64_t i = 0; i < src.height; ++i)
        for (int64_t j = 0; j < src.width; ++j) {
            const int64_t X = x + j, Y = y + i;
            if (!Inside(dest, X, Y))
                continue;
            if (SameFormat(dest, src))
                dest.CopyRawPixel(At(src, j, i), At(dest, X, Y), useKey);
            else
                dest.CopyPixel(src, int32_t(j), int32_t(i), int32_t(X), int32_t(Y), useKey);
        }
    return true;
}

inline bool StretchBlit(CSurface& dest, const CSurface& src, int32_t x, int32_t y, int32_t w,
                        int32_t h, bool useKey) {
    if (!dest.pixels || !src.pixels)
        return false;
    if (w <= 0 || h <= 0 || src.bitsPerPixel != dest.bitsPerPixel)
        return true;
    for (int64_t Y = std::max<int64_t>(y, 0); Y < std::min<int64_t>(int64_t(y) + h, dest.height);
         ++Y)
        for (int64_t X = std::max<int64_t>(x, 0); X < std::min<int64_t>(int64_t(x) + w, dest.width);
             ++X) {
            const uint64_t sy = uint64_t(Y - y) * uint64_t(src.height) / uint64_t(h);
            const uint64_t sx = uint64_t(X - x) * uint64_t(src.width) / uint64_t(w);
            dest.CopySample(src, int32_t(sx), int32_t(sy), At(dest, X, Y), useKey);
        }
    return true;
}

inline bool StretchToTrapezoid(CSurface& dest, const CSurface& src, int32_t left, int32_t right,
                               int32_t topLeft, int32_t topRight, int32_t bottomLeft,
                               int32_t bottomRight) {
    if (!dest.pixels)
        return false;
    if (topLeft > bottomLeft || topRight > bottomRight)
        return false;
    const int64_t lo = std::min(left, right), hi = std::max(left, right);
    const int64_t top = std::min(topLeft, topRight), bottom = std::max(bottomLeft, bottomRight);
    if (std::max<int64_t>(lo, 0) >= std::min<int64_t>(hi, dest.width) ||
        std::max<int64_t>(top, 0) >= std::min<int64_t>(bottom, dest.height))
        return true;
    if (int64_t(right) - left <= 0 || !src.pixels || src.bitsPerPixel != dest.bitsPerPixel)
        return true;
    const int64_t span = int64_t(right) - left + 1;
    for (int64_t X = std::max<int64_t>(left, 0); X <= std::min<int64_t>(right, dest.width - 1);
         ++X) {
        const int64_t k = X - left;
        const int64_t sx = k * src.width / span;
        const int64_t t = topLeft + int64_t(__int128(k) * (int64_t(topRight) - topLeft) / span);
        const int64_t b =
            bottomLeft + int64_t(__int128(k) * (int64_t(bottomRight) - bottomLeft) / span);
        const int64_t columnHeight = b - t + 1;
        for (int64_t Y = std::max<int64_t>(t, 0); Y <= std::min<int64_t>(b, dest.height - 1); ++Y) {
            const int64_t sy = int64_t(__int128(Y - t) * src.height / columnHeight);
            dest.CopySample(src, int32_t(sx), int32_t(sy), At(dest, X, Y), false);
        }
    }
    return true;
}

inline bool BlendBlit(CSurface& dest, const CSurface& src, int32_t x, int32_t y, bool useKey,
                      int32_t percent) {
    if (!dest.pixels || !src.pixels)
        return false;
    for (int64_t i = 0; i < src.height; ++i)
        for (int64_t j = 0; j < src.width; ++j) {
            const uint32_t s = src.GetPixel(int32_t(j), int32_t(i));
            if (useKey && s >= 248 && s <= 255)
                continue;
            const int64_t X = x + j, Y = y + i;
            if (!Inside(dest, X, Y))
                continue;
            const uint32_t d = dest.GetPixel(int32_t(X), int32_t(Y));
            uint32_t out = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int64_t mixed = (int64_t((d >> shift) & 0xFF) * (100 - int64_t(percent)) +
                                       int64_t((s >> shift) & 0xFF) * percent) /
                                      100;
                out |= (uint32_t(uint64_t(mixed)) & 0xFF) << shift;
            }
            dest.SetPixel(int32_t(X), int32_t(Y), out);
        }
    return true;
}

} // namespace plain
