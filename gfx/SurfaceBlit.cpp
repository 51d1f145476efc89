// Drawing one surface onto another, unscaled and scaled, and a number in
// digit glyphs. Every routine clips first (in 64 bits, so no position or
// size can wrap) and then steps through memory by the pitches with no
// per-pixel bounds test. The wall fill is in SurfaceTrapezoid.cpp, the
// blend in SurfaceBlend.cpp.
#include "gfx/KernelLevel.h"
#include "gfx/PixelWords.h"
#include "gfx/Surface.h"

#include <algorithm>
#include <cstdlib>

#if QUIBBO_X86_KERNELS
#include <immintrin.h>
#endif

using namespace gfx;

bool gfx::Overlap(const CSurface& a, const CSurface& b, int64_t bytes) {
    auto range = [bytes](const CSurface& s, uintptr_t* lo, uintptr_t* hi) {
        const int64_t x = int64_t(s.width - 1) * s.xPitch, y = int64_t(s.height - 1) * s.yPitch;
        *lo = uintptr_t(s.pixels) + uintptr_t(std::min<int64_t>(x, 0) + std::min<int64_t>(y, 0));
        *hi = uintptr_t(s.pixels) +
              uintptr_t(std::max<int64_t>(x, 0) + std::max<int64_t>(y, 0) + bytes);
    };
    uintptr_t alo, ahi, blo, bhi;
    range(a, &alo, &ahi);
    range(b, &blo, &bhi);
    return alo < bhi && blo < ahi;
}

namespace {

// Raw words are copied between surfaces with equal format flags. A source of
// another depth would be read with the wrong word size (and past its end), so
// it counts as a different format and is converted pixel by pixel.
bool SameFormat(const CSurface& a, const CSurface& b) {
    return a.formatFlags == b.formatFlags && a.bitsPerPixel == b.bitsPerPixel;
}

template <typename Word> inline void CopyKeyed(const uint8_t* from, uint8_t* to, Word key) {
    const Word w = ReadWord<Word>(from);
    if (w != key)
        WriteWord<Word>(to, w);
}

// A keyed copy of `cols` adjacent words. Key words leave the destination as
// it was: it is read and written back, which is the same picture because the
// caller guarantees that the two rows do not overlap.
template <typename Word>
void CopyKeyedRowPortable(uint8_t* d, const uint8_t* s, int64_t cols, Word key) {
    typedef typename LanesOf<Word>::Type Lanes;
    const int64_t perLanes = int64_t(sizeof(Lanes) / sizeof(Word));
    Lanes keys = {};
    keys += key;
    int64_t c = 0;
    for (; c + perLanes <= cols; c += perLanes) {
        Lanes from, to;
        std::memcpy(&from, s + c * int64_t(sizeof(Word)), sizeof from);
        std::memcpy(&to, d + c * int64_t(sizeof(Word)), sizeof to);
        const Lanes isKey = (Lanes)(from == keys);
        const Lanes out = (from & ~isKey) | (to & isKey);
        std::memcpy(d + c * int64_t(sizeof(Word)), &out, sizeof out);
    }
    for (; c < cols; ++c)
        CopyKeyed<Word>(s + c * int64_t(sizeof(Word)), d + c * int64_t(sizeof(Word)), key);
}

#if QUIBBO_X86_KERNELS
// The same keyed copy, 32 bytes at a time: the key words take the
// destination's own word back, as in the portable copy.
template <typename Word>
__attribute__((target("avx2"))) void CopyKeyedRowAvx2(uint8_t* d, const uint8_t* s, int64_t cols,
                                                      Word key) {
    const int64_t lanes = 32 / int64_t(sizeof(Word));
    const __m256i keys =
        sizeof(Word) == 2 ? _mm256_set1_epi16(int16_t(key)) : _mm256_set1_epi32(int32_t(key));
    int64_t c = 0;
    for (; c + lanes <= cols; c += lanes) {
        const ptrdiff_t at = c * ptrdiff_t(sizeof(Word));
        const __m256i from = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + at));
        const __m256i to = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + at));
        const __m256i isKey =
            sizeof(Word) == 2 ? _mm256_cmpeq_epi16(from, keys) : _mm256_cmpeq_epi32(from, keys);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + at),
                            _mm256_blendv_epi8(from, to, isKey));
    }
    const ptrdiff_t at = c * ptrdiff_t(sizeof(Word));
    CopyKeyedRowPortable<Word>(d + at, s + at, cols - c, key);
}

// 64 bytes at a time, and the key words are simply not stored: a masked
// store leaves them as they were. The last words go under a mask too, which
// neither reads nor writes past the row.
template <typename Word>
__attribute__((target("avx512f,avx512bw"))) void CopyKeyedRowAvx512(uint8_t* d, const uint8_t* s,
                                                                    int64_t cols, Word key) {
    const int64_t lanes = 64 / int64_t(sizeof(Word));
    for (int64_t c = 0; c < cols; c += lanes) {
        const ptrdiff_t at = c * ptrdiff_t(sizeof(Word));
        const uint32_t on = cols - c >= lanes ? uint32_t((uint64_t(1) << lanes) - 1)
                                              : uint32_t((uint64_t(1) << (cols - c)) - 1);
        if constexpr (sizeof(Word) == 2) {
            const __m512i from = _mm512_maskz_loadu_epi16(on, s + at);
            const __mmask32 keep =
                _mm512_mask_cmpneq_epi16_mask(on, from, _mm512_set1_epi16(int16_t(key)));
            _mm512_mask_storeu_epi16(d + at, keep, from);
        } else {
            const __m512i from = _mm512_maskz_loadu_epi32(__mmask16(on), s + at);
            const __mmask16 keep =
                _mm512_mask_cmpneq_epi32_mask(__mmask16(on), from, _mm512_set1_epi32(int32_t(key)));
            _mm512_mask_storeu_epi32(d + at, keep, from);
        }
    }
}
#endif

// The keyed copy at the level in use.
template <typename Word> void CopyKeyedRow(uint8_t* d, const uint8_t* s, int64_t cols, Word key) {
#if QUIBBO_X86_KERNELS
    switch (GetKernelLevel()) {
    case KernelLevel::Avx512:
        return CopyKeyedRowAvx512<Word>(d, s, cols, key);
    case KernelLevel::Avx2:
        return CopyKeyedRowAvx2<Word>(d, s, cols, key);
    case KernelLevel::Portable:
        break;
    }
#endif
    CopyKeyedRowPortable<Word>(d, s, cols, key);
}

template <typename Word>
void CopyRect(uint8_t* dst, ptrdiff_t dxp, ptrdiff_t dyp, const uint8_t* src, ptrdiff_t sxp,
              ptrdiff_t syp, int64_t cols, int64_t rows, bool useKey, Word key) {
    const size_t rowBytes = size_t(cols) * sizeof(Word);
    const bool packed = dxp == ptrdiff_t(sizeof(Word)) && sxp == ptrdiff_t(sizeof(Word));
    // Whole surfaces of packed rows (a present, the floor picture) are one
    // block of memory each: one copy, unless the blocks overlap.
    const size_t blockBytes = rowBytes * size_t(rows);
    if (!useKey && packed && dyp == ptrdiff_t(rowBytes) && syp == dyp &&
        (uintptr_t(dst) + blockBytes <= uintptr_t(src) ||
         uintptr_t(src) + blockBytes <= uintptr_t(dst))) {
        std::memcpy(dst, src, blockBytes);
        return;
    }
    for (int64_t r = 0; r < rows; ++r) {
        uint8_t* d = dst + r * dyp;
        const uint8_t* s = src + r * syp;
        const uintptr_t da = uintptr_t(d), sa = uintptr_t(s);
        // Whole rows go at once unless they overlap, where the word order of
        // the plain loop decides the result.
        if (packed && (da + rowBytes <= sa || sa + rowBytes <= da)) {
            if (useKey)
                CopyKeyedRow<Word>(d, s, cols, key);
            else
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

// Source column offsets of up to this many destination columns are kept at
// once by the scaled blit.
const int kColumnChunk = 256;

// The scaled blit through a table of each destination column's source
// offset, one block of columns after another; only for a source that does
// not share the destination's memory, where the order of the writes changes
// nothing.
template <typename Word, bool UseKey>
void StretchByColumnTable(const CSurface& dest, const CSurface& source, const Span2D& r, int64_t x,
                          int64_t y, int64_t w, int64_t h, Word key) {
    const uint64_t sw = uint64_t(source.width), sh = uint64_t(source.height);
    const ptrdiff_t sxp = source.xPitch, dxp = dest.xPitch;
    const int64_t cols = r.right - r.left;
    typedef typename LanesOf<Word>::Type Lanes;
    const int perLanes = int(sizeof(Lanes) / sizeof(Word));
    Lanes keys = {};
    keys += key;
    ptrdiff_t offsets[kColumnChunk];
    Stepper column(uint64_t(r.left - x), sw, uint64_t(w));
    for (int64_t c0 = 0; c0 < cols; c0 += kColumnChunk) {
        const int n = int(std::min<int64_t>(kColumnChunk, cols - c0));
        for (int i = 0; i < n; ++i, column.Step())
            offsets[i] = ptrdiff_t(column.quotient) * sxp;
        Stepper row(uint64_t(r.top - y), sh, uint64_t(h));
        for (int64_t Y = r.top; Y < r.bottom; ++Y, row.Step()) {
            const uint8_t* srcRow = PixelAddress(source, 0, int64_t(row.quotient));
            uint8_t* d = PixelAddress(dest, r.left + c0, Y);
            int i = 0;
            if (dxp == ptrdiff_t(sizeof(Word))) {
                // Packed rows: sixteen bytes of samples at a time, the key
                // chosen by mask (sprites change between key and picture too
                // often for a jump per pixel).
                for (; i + perLanes <= n; i += perLanes, d += sizeof(Lanes)) {
                    Word samples[perLanes];
                    for (int k = 0; k < perLanes; ++k)
                        samples[k] = ReadWord<Word>(srcRow + offsets[i + k]);
                    Lanes from;
                    std::memcpy(&from, samples, sizeof from);
                    if (UseKey) {
                        Lanes to;
                        std::memcpy(&to, d, sizeof to);
                        const Lanes isKey = (Lanes)(from == keys);
                        from = (from & ~isKey) | (to & isKey);
                    }
                    std::memcpy(d, &from, sizeof from);
                }
            }
            for (; i < n; ++i, d += dxp) {
                const Word word = ReadWord<Word>(srcRow + offsets[i]);
                // A key word writes back what is there: the same picture.
                WriteWord<Word>(d, UseKey && word == key ? ReadWord<Word>(d) : word);
            }
        }
    }
}

template <typename Word>
void StretchRect(const CSurface& dest, const CSurface& source, const Span2D& r, int64_t x,
                 int64_t y, int64_t w, int64_t h, bool useKey, Word key) {
    if (!Overlap(dest, source, sizeof(Word))) {
        if (useKey)
            StretchByColumnTable<Word, true>(dest, source, r, x, y, w, h, key);
        else
            StretchByColumnTable<Word, false>(dest, source, r, x, y, w, h, key);
        return;
    }
    // Sharing memory: pixel by pixel in the rule's order, rows first.
    const uint64_t sw = uint64_t(source.width), sh = uint64_t(source.height);
    const ptrdiff_t sxp = source.xPitch, dxp = dest.xPitch;
    // The source column of every destination column is the same on each row:
    // sx = dx * sw / w, stepped from the first visible column.
    const Stepper firstColumn(uint64_t(r.left - x), sw, uint64_t(w));
    const ptrdiff_t wholeStep = ptrdiff_t(firstColumn.wholeStep) * sxp;
    const int64_t cols = r.right - r.left;
    Stepper row(uint64_t(r.top - y), sh, uint64_t(h));
    for (int64_t Y = r.top; Y < r.bottom; ++Y, row.Step()) {
        // dy < h, so sy < source height, and dx < w, so sx < source width:
        // no sample can leave the source.
        const uint8_t* srcRow = PixelAddress(source, 0, int64_t(row.quotient));
        uint8_t* d = PixelAddress(dest, r.left, Y);
        ptrdiff_t offset = ptrdiff_t(firstColumn.quotient) * sxp;
        uint64_t remainder = firstColumn.remainder;
        const uint64_t partStep = firstColumn.partStep, denominator = firstColumn.denominator;
        for (int64_t c = 0; c < cols; ++c, d += dxp) {
            const Word word = ReadWord<Word>(srcRow + offset);
            // A key word writes back what is there, which is the same
            // picture, also when the source is the destination itself.
            WriteWord<Word>(d, useKey && word == key ? ReadWord<Word>(d) : word);
            remainder += partStep;
            const bool carry = remainder >= denominator;
            remainder -= carry ? denominator : 0;
            offset += wholeStep + (carry ? sxp : 0);
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

bool CSurface::DrawNumber(const CSurface* glyphs, int32_t value, int32_t x, int32_t y,
                          int32_t digits) {
    if (!pixels || !glyphs || !glyphs[0].pixels)
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
    const CSurface& zero = glyphs[0];
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
        const CSurface& glyph = glyphs[number[i] - '0'];
        drawGlyph(glyph, pen);
        pen += glyph.width;
    }
    return true;
}

namespace {

const CSurface& GlyphOf(const CSurface* glyphs, char c) {
    const int code = static_cast<unsigned char>(c);
    const bool inTable =
        code >= CSurface::FirstGlyph && code < CSurface::FirstGlyph + CSurface::GlyphCount;
    return glyphs[(inTable ? code : '?') - CSurface::FirstGlyph];
}

} // namespace

int64_t CSurface::WordsWidth(const CSurface* glyphs, const char* text) {
    int64_t width = 0;
    for (const char* c = glyphs && text ? text : ""; *c; ++c)
        width += GlyphOf(glyphs, *c).width;
    return width;
}

bool CSurface::DrawWords(const CSurface* glyphs, const char* text, int32_t x, int32_t y) {
    if (!pixels || !glyphs || !text)
        return false;
    // As DrawNumber: only a glyph that can touch the destination is drawn,
    // which keeps every position passed on within 32 bits.
    int64_t pen = x;
    for (const char* c = text; *c && pen < width; ++c) {
        const CSurface& glyph = GlyphOf(glyphs, *c);
        if (pen + glyph.width > 0)
            Blit(glyph, int32_t(pen), y, true);
        pen += glyph.width;
    }
    return true;
}
