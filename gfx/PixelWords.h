// Internal helpers of the surface code: a surface's format, raw pixel words
// and little-endian fields. Not for use outside gfx/.
#pragma once
#include "gfx/Surface.h"
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace gfx {

inline EPixelFormat FormatOf(const CSurface& s) {
    return PixelFormatOf(s.formatFlags, s.bitsPerPixel);
}

// Raw keys: pure red as each layout stores it. 5-5-5 surfaces use their own
// pure red (0x7C00); the 5-6-5 word 0xF800 can never occur in them.
const uint16_t kKey16 = 0xF800;
const uint16_t kKey555 = 0x7C00;
const uint32_t kKey32 = 0x00FF0000;

inline uint16_t RawKey16(const CSurface& dest) {
    return FormatOf(dest) == EPixelFormat::Rgb555 ? kKey555 : kKey16;
}

// Pitches can be odd in principle, so words go through memcpy.
template <typename Word> inline Word ReadWord(const uint8_t* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}
template <typename Word> inline void WriteWord(uint8_t* p, Word w) {
    std::memcpy(p, &w, sizeof w);
}

inline uint8_t* PixelAddress(const CSurface& s, int64_t x, int64_t y) {
    return s.pixels + static_cast<ptrdiff_t>(x) * s.xPitch + static_cast<ptrdiff_t>(y) * s.yPitch;
}

inline uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t ReadLe16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t MakeColour(uint32_t red, uint32_t green, uint32_t blue) {
    return red | green << 8 | blue << 16;
}

} // namespace gfx
