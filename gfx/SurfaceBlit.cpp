// Drawing one surface onto another. Every routine clips first (in 64 bits, so
// no position or size can wrap) and then steps through memory by the pitches
// with no per-pixel bounds test.
#include "gfx/PixelWords.h"
#include "gfx/Surface.h"

#include <algorithm>
#include <cstdlib>

using namespace gfx;

namespace {

// A half-open rectangle of destination pixels.
struct Span2D {
    int64_t left, top, right, bottom;
    bool Empty() const { return left >= right || top >= bottom; }
};

// (x, y, x + w, y + h) intersected with the destination's area.
Span2D ClipToDest(const CSurface& dest, int64_t x, int64_t y, int64_t w, int64_t h) {
    return Span2D{std::max<int64_t>(x, 0), std::max<int64_t>(y, 0),
                  std::min<int64_t>(x + w, dest.width), std::min<int64_t>(y + h, dest.height)};
}

// Raw words are copied between surfaces with equal format flags. A source of
// another depth would be read with the wrong word size (and past its end), so
// it counts as a different format and is converted pixel by pixel.
bool SameFormat(const CSurface& a, const CSurface& b) {
    return a.formatFlags == b.formatFlags && a.bitsPerPixel == b.bitsPerPixel;
}

bool IsKeyColour(uint32_t c) {
    return c >= 248 && c <= 255;
}

template <typename Word> inline void CopyKeyed(const uint8_t* from, uint8_t* to, Word key) {
    const Word w = ReadWord<Word>(from);
    if (w != key)
        WriteWord<Word>(to, w);
}

template <typename Word>
void CopyRect(uint8_t* dst, ptrdiff_t dxp, ptrdiff_t dyp, const uint8_t* src, ptrdiff_t sxp,
              ptrdiff_t syp, int64_t cols, int64_t rows, bool useKey, Word key) {
    const size_t rowBytes = size_t(cols) * sizeof(Word);
    const bool packed = !useKey && dxp == ptrdiff_t(sizeof(Word)) && sxp == ptrdiff_t(sizeof(Word));
    for (int64_t r = 0; r < rows; ++r) {
        uint8_t* d = dst + r * dyp;
        const uint8_t* s = src + r * syp;
        const uintptr_t da = uintptr_t(d), sa = uintptr_t(s);
        // Whole rows go in one block unless they overlap, where the word order
        // of the plain loop decides the result.
        if (packed && (da + rowBytes <= sa || sa + rowBytes <= da)) {
            std::memcpy(d, s, rowBytes);
            continue;
        }
        if (useKey) {
            for (int64_t c = 0; c < cols; ++c, d += dxp, s += sxp)
                CopyKeyed<Word>(s, d, key);
        } else {
            for (int64_t c = 0; c < cols; ++c, d += dxp, s += sxp)
                WriteWord<Word>(d, ReadWord<Word>(s));
        }
    }
}

template <typename Word>
void StretchRect(const CSurface& dest, const CSurface& source, const Span2D& r, int64_t x,
                 int64_t y, int64_t w, int64_t h, bool useKey, Word key) {
    const uint64_t sw = uint64_t(source.width), sh = uint64_t(source.height);
    for (int64_t Y = r.top; Y < r.bottom; ++Y) {
        // dy < h, so sy < source height: no sample can leave the source.
        const uint64_t sy = uint64_t(Y - y) * sh / uint64_t(h);
        const uint8_t* srcRow = PixelAddress(source, 0, int64_t(sy));
        uint8_t* d = PixelAddress(dest, r.left, Y);
        for (int64_t X = r.left; X < r.right; ++X, d += dest.xPitch) {
            const uint64_t sx = uint64_t(X - x) * sw / uint64_t(w);
            const uint8_t* s = srcRow + ptrdiff_t(sx) * source.xPitch;
            if (useKey)
                CopyKeyed<Word>(s, d, key);
            else
                WriteWord<Word>(d, ReadWord<Word>(s));
        }
    }
}

// The wall fill, column by column. Edge is the type of the running edge sums
// k * (topRight - topLeft) and k * (bottomRight - bottomLeft): 64 bits for any
// quad of sane size, 128 bits when those products could pass 2^63.
template <typename Word, typename Edge>
void TrapezoidColumns(const CSurface& dest, const CSurface& source, int64_t left, int64_t span,
                      int64_t X0, int64_t X1, int64_t topLeft, int64_t topRight, int64_t bottomLeft,
                      int64_t bottomRight) {
    const int64_t sw = source.width, sh = source.height;
    const int64_t dTop = topRight - topLeft, dBottom = bottomRight - bottomLeft;
    const int64_t lastRow = int64_t(dest.height) - 1;
    int64_t k = X0 - left;
    Edge sumTop = Edge(k) * dTop, sumBottom = Edge(k) * dBottom;
    for (int64_t X = X0; X <= X1; ++X, ++k, sumTop += dTop, sumBottom += dBottom) {
        // k < span, so sx < source width; divisions truncate toward zero.
        const int64_t sx = k * sw / span;
        const int64_t top = topLeft + int64_t(sumTop / span);
        const int64_t bottom = bottomLeft + int64_t(sumBottom / span);
        const int64_t columnHeight = bottom - top + 1; // at least 1 when tops lie above bottoms
        if (columnHeight <= 0)
            continue;
        const int64_t Y0 = std::max<int64_t>(top, 0), Y1 = std::min<int64_t>(bottom, lastRow);
        const uint8_t* srcColumn = PixelAddress(source, sx, 0);
        uint8_t* d = PixelAddress(dest, X, Y0);
        for (int64_t Y = Y0; Y <= Y1; ++Y, d += dest.yPitch) {
            const int64_t sy = (Y - top) * sh / columnHeight; // j < columnHeight: sy < sh
            WriteWord<Word>(d, ReadWord<Word>(srcColumn + ptrdiff_t(sy) * source.yPitch));
        }
    }
}

} // namespace

bool CSurface::Blit(const CSurface& source, int32_t x, int32_t y, bool useKey) {
    if (!pixels || !source.pixels)
        return false;
    const Span2D r = ClipToDest(*this, x, y, source.width, source.height);
    if (r.Empty())
        return true;
    const int64_t cols = r.right - r.left, rows = r.bottom - r.top;
    if (SameFormat(*this, source)) {
        uint8_t* d = PixelAddress(*this, r.left, r.top);
        const uint8_t* s = PixelAddress(source, r.left - x, r.top - y);
        if (bitsPerPixel == 32)
            CopyRect<uint32_t>(d, xPitch, yPitch, s, source.xPitch, source.yPitch, cols, rows,
                               useKey, kKey32);
        else if (bitsPerPixel == 16)
            CopyRect<uint16_t>(d, xPitch, yPitch, s, source.xPitch, source.yPitch, cols, rows,
                               useKey, RawKey16(*this));
        return true; // other depths copy nothing
    }
    // Converting route. Only the pixels that land inside are visited, in the
    // same order as a walk over the whole source would reach them.
    for (int64_t Y = r.top; Y < r.bottom; ++Y) {
        for (int64_t X = r.left; X < r.right; ++X) {
            const uint32_t c = source.GetPixel(int32_t(X - x), int32_t(Y - y));
            if (!(useKey && IsKeyColour(c)))
                SetPixel(int32_t(X), int32_t(Y), c);
        }
    }
    return true;
}

void CSurface::CopyPixel(const CSurface& source, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                         bool useKey) {
    if (dx < 0 || dx >= width || dy < 0 || dy >= height || sx < 0 || sx >= source.width || sy < 0 ||
        sy >= source.height || !pixels || !source.pixels)
        return;
    if (SameFormat(*this, source)) {
        CopyRawPixel(PixelAddress(source, sx, sy), PixelAddress(*this, dx, dy), useKey);
        return;
    }
    const uint32_t c = source.GetPixel(sx, sy);
    if (!(useKey && IsKeyColour(c)))
        SetPixel(dx, dy, c);
}

void CSurface::CopyRawPixel(const uint8_t* from, uint8_t* to, bool useKey) const {
    if (bitsPerPixel == 32) {
        const uint32_t w = ReadWord<uint32_t>(from);
        if (!(useKey && w == kKey32))
            WriteWord<uint32_t>(to, w);
    } else if (bitsPerPixel == 16) {
        const uint16_t w = ReadWord<uint16_t>(from);
        if (!(useKey && w == RawKey16(*this)))
            WriteWord<uint16_t>(to, w);
    }
}

bool CSurface::StretchBlit(const CSurface& source, int32_t x, int32_t y, int32_t w, int32_t h,
                           bool useKey) {
    if (!pixels || !source.pixels)
        return false;
    const Span2D r = ClipToDest(*this, x, y, w, h); // w <= 0 or h <= 0 is empty
    if (r.Empty())
        return true;
    // The source is read raw with this surface's word size; one of another
    // depth (or with no area) is not drawn.
    if (source.bitsPerPixel != bitsPerPixel || source.width <= 0 || source.height <= 0)
        return true;
    if (bitsPerPixel == 32)
        StretchRect<uint32_t>(*this, source, r, x, y, w, h, useKey, kKey32);
    else if (bitsPerPixel == 16)
        StretchRect<uint16_t>(*this, source, r, x, y, w, h, useKey, RawKey16(*this));
    return true;
}

void CSurface::CopySample(const CSurface& source, int32_t sx, int32_t sy, uint8_t* to,
                          bool useKey) const {
    if (sx < 0 || sx >= source.width || sy < 0 || sy >= source.height || !source.pixels ||
        source.bitsPerPixel != bitsPerPixel)
        return;
    CopyRawPixel(PixelAddress(source, sx, sy), to, useKey);
}

bool CSurface::BlendBlit(const CSurface& source, int32_t x, int32_t y, bool useKey,
                         int32_t percent) {
    if (!pixels || !source.pixels)
        return false;
    const Span2D r = ClipToDest(*this, x, y, source.width, source.height);
    if (r.Empty())
        return true;
    // 64-bit products: no percentage can overflow; the low 8 bits are kept.
    const int64_t keep = 100 - int64_t(percent), take = percent;
    for (int64_t Y = r.top; Y < r.bottom; ++Y) {
        for (int64_t X = r.left; X < r.right; ++X) {
            const uint32_t s = source.GetPixel(int32_t(X - x), int32_t(Y - y));
            if (useKey && IsKeyColour(s))
                continue;
            const uint32_t d = GetPixel(int32_t(X), int32_t(Y));
            uint32_t out = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int64_t mixed =
                    (int64_t((d >> shift) & 0xFF) * keep + int64_t((s >> shift) & 0xFF) * take) /
                    100;
                out |= (uint32_t(uint64_t(mixed)) & 0xFF) << shift;
            }
            SetPixel(int32_t(X), int32_t(Y), out);
        }
    }
    return true;
}

bool CSurface::StretchToTrapezoid(const CSurface& source, int32_t left, int32_t right,
                                  int32_t topLeft, int32_t topRight, int32_t bottomLeft,
                                  int32_t bottomRight) {
    if (!pixels)
        return false;
    if (topLeft > bottomLeft || topRight > bottomRight)
        return false;
    // Bounding rectangle in normal order, intersected with the destination.
    int64_t bl = left, br = right;
    int64_t bt = std::min(topLeft, topRight), bb = std::max(bottomLeft, bottomRight);
    if (bl > br)
        std::swap(bl, br);
    if (bt > bb)
        std::swap(bt, bb);
    if (std::max<int64_t>(bl, 0) >= std::min<int64_t>(br, width) ||
        std::max<int64_t>(bt, 0) >= std::min<int64_t>(bb, height))
        return true;
    if (int64_t(right) - left <= 0)
        return true; // one column wide, or sides reversed: nothing
    // Only the destination is required to have pixels; a missing or
    // differently deep texture simply yields no samples.
    if (!source.pixels || source.width <= 0 || source.height <= 0 ||
        source.bitsPerPixel != bitsPerPixel)
        return true;

    // The edges are interpolated over right - left + 1 steps, so the last
    // column stops one step short of topRight and bottomRight.
    const int64_t span = int64_t(right) - left + 1;
    const int64_t X0 = std::max<int64_t>(left, 0);
    const int64_t X1 = std::min<int64_t>(right, int64_t(width) - 1);
    const int64_t maxDelta = std::max(std::llabs(int64_t(topRight) - topLeft),
                                      std::llabs(int64_t(bottomRight) - bottomLeft));
    const bool wide = maxDelta != 0 && X1 - left > (INT64_C(1) << 62) / maxDelta;
    if (bitsPerPixel == 32) {
        if (wide)
            TrapezoidColumns<uint32_t, __int128>(*this, source, left, span, X0, X1, topLeft,
                                                 topRight, bottomLeft, bottomRight);
        else
            TrapezoidColumns<uint32_t, int64_t>(*this, source, left, span, X0, X1, topLeft,
                                                topRight, bottomLeft, bottomRight);
    } else if (bitsPerPixel == 16) {
        if (wide)
            TrapezoidColumns<uint16_t, __int128>(*this, source, left, span, X0, X1, topLeft,
                                                 topRight, bottomLeft, bottomRight);
        else
            TrapezoidColumns<uint16_t, int64_t>(*this, source, left, span, X0, X1, topLeft,
                                                topRight, bottomLeft, bottomRight);
    }
    return true;
}

bool CSurface::DrawNumber(int32_t value, int32_t x, int32_t y, int32_t digits) {
    if (!pixels || !DigitGlyphs[0].pixels)
        return false;
    // The characters of value formatted with "%0<digits>d": an optional minus
    // sign (not drawn, takes no room), zeros up to `digits` characters in all
    // (the sign counts towards the width), then the decimal digits. Built
    // here rather than by a formatter so that a huge `digits` costs nothing.
    const bool negative = value < 0;
    uint64_t magnitude = negative ? uint64_t(-int64_t(value)) : uint64_t(value);
    char number[12];
    int count = 0;
    do {
        number[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    const int64_t zeros = std::max<int64_t>(0, int64_t(digits) - count - (negative ? 1 : 0));

    // A glyph is drawn only where it can touch the destination; that also
    // keeps every position passed on within 32 bits.
    auto drawGlyph = [&](const CSurface& glyph, int64_t at) {
        if (at < width && at + glyph.width > 0)
            Blit(glyph, int32_t(at), y, true);
    };
    int64_t pen = x;
    const CSurface& zero = DigitGlyphs[0];
    const int64_t zeroWidth = zero.width;
    // The run of zeros: only those that can show are visited, the pen moves
    // over the rest by arithmetic.
    int64_t first = 0, last = 0;
    if (zeroWidth > 0 && pen < width) {
        last = std::min<int64_t>(zeros, (int64_t(width) - pen + zeroWidth - 1) / zeroWidth);
        first = pen < 0 ? std::min<int64_t>(last, -pen / zeroWidth) : 0;
    }
    for (int64_t i = first; i < last; ++i)
        drawGlyph(zero, pen + i * zeroWidth);
    pen += zeros * zeroWidth;
    for (int i = count - 1; i >= 0; --i) {
        const CSurface& glyph = DigitGlyphs[number[i] - '0'];
        drawGlyph(glyph, pen);
        pen += glyph.width;
    }
    return true;
}
