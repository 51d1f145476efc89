// Internal helpers of the surface code: a surface's format, raw pixel words,
// little-endian fields, and what the drawing routines share (clipping, the
// key test, vector lanes, exact stepping, overlap). Not for use outside gfx/.
#pragma once
#include "gfx/Surface.h"
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The x86-64 kernels of the wider levels (see gfx/KernelLevel.h); a file
// that writes them includes <immintrin.h> when this is 1.
#if defined(__x86_64__) && defined(__GNUC__)
#define QUIBBO_X86_KERNELS 1
#else
#define QUIBBO_X86_KERNELS 0
#endif

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

// ---- Shared by the drawing routines (SurfaceBlit, SurfaceTrapezoid,
// SurfaceBlend) ----

// A half-open rectangle of destination pixels.
struct Span2D {
    int64_t left, top, right, bottom;
    bool Empty() const { return left >= right || top >= bottom; }
};

// (x, y, x + w, y + h) intersected with the destination's area.
inline Span2D ClipToDest(const CSurface& dest, int64_t x, int64_t y, int64_t w, int64_t h) {
    return Span2D{std::max<int64_t>(x, 0), std::max<int64_t>(y, 0),
                  std::min<int64_t>(x + w, dest.width), std::min<int64_t>(y + h, dest.height)};
}

inline bool IsKeyColour(uint32_t c) {
    return c >= 248 && c <= 255;
}

// Sixteen bytes of pixel words, for the keyed copy of packed rows. The
// compiler lowers these to the machine's vector instructions where it has
// them and to plain words elsewhere.
typedef uint16_t Lanes16 __attribute__((vector_size(16)));
typedef uint32_t Lanes32 __attribute__((vector_size(16)));
template <typename Word> struct LanesOf;
template <> struct LanesOf<uint16_t> { typedef Lanes16 Type; };
template <> struct LanesOf<uint32_t> { typedef Lanes32 Type; };

// n * numerator / denominator for n = n0, n0 + 1, ..., one step at a time
// without a division: the quotient and the remainder advance by the whole
// and the fractional part of numerator / denominator. All values are
// non-negative and denominator is positive.
struct Stepper {
    uint64_t quotient, remainder; // of n * numerator / denominator
    uint64_t wholeStep, partStep, denominator;

    Stepper(uint64_t n0, uint64_t numerator, uint64_t denominator_)
        : wholeStep(numerator / denominator_), partStep(numerator % denominator_),
          denominator(denominator_) {
        const unsigned __int128 start = (unsigned __int128)n0 * numerator;
        quotient = uint64_t(start / denominator);
        remainder = uint64_t(start % denominator);
    }
    // Advances n by one.
    void Step() {
        remainder += partStep;
        const uint64_t carry = remainder >= denominator ? 1 : 0;
        remainder -= carry * denominator;
        quotient += wholeStep + carry;
    }
};

// Whether two surfaces' pixels share memory (words of `bytes` bytes).
// Defined once, in SurfaceBlit.cpp: it runs once a call, so inlining it into
// every routine buys nothing.
bool Overlap(const CSurface& a, const CSurface& b, int64_t bytes);

} // namespace gfx
