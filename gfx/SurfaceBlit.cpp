// Drawing one surface onto another. Every routine clips first (in 64 bits, so
// no position or size can wrap) and then steps through memory by the pitches
// with no per-pixel bounds test.
#include "gfx/KernelLevel.h"
#include "gfx/PixelWords.h"
#include "gfx/Surface.h"

#include <algorithm>
#include <cstdlib>

// The x86-64 kernels of the wider levels (see gfx/KernelLevel.h).
#if defined(__x86_64__) && defined(__GNUC__)
#define QUIBBO_X86_KERNELS 1
#include <immintrin.h>
#else
#define QUIBBO_X86_KERNELS 0
#endif

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

// Sixteen bytes of pixel words, for the keyed copy of packed rows. The
// compiler lowers these to the machine's vector instructions where it has
// them and to plain words elsewhere.
typedef uint16_t Lanes16 __attribute__((vector_size(16)));
typedef uint32_t Lanes32 __attribute__((vector_size(16)));
template <typename Word> struct LanesOf;
template <> struct LanesOf<uint16_t> { typedef Lanes16 Type; };
template <> struct LanesOf<uint32_t> { typedef Lanes32 Type; };

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
bool Overlap(const CSurface& a, const CSurface& b, int64_t bytes) {
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

// One edge of the wall fill: base + k * delta / span truncated toward zero,
// for k from k0 up, stepped on the magnitude of delta.
struct EdgeStepper {
    Stepper magnitude;
    int64_t base;
    bool negative;

    EdgeStepper(int64_t base_, int64_t delta, uint64_t k0, uint64_t span)
        : magnitude(k0, uint64_t(delta < 0 ? -delta : delta), span), base(base_),
          negative(delta < 0) {}
    int64_t Value() const {
        return negative ? base - int64_t(magnitude.quotient) : base + int64_t(magnitude.quotient);
    }
};

// Columns shorter than this are stepped in fixed point (j * height stays
// below 2^32), longer ones by remainders.
const uint64_t kShortColumn = 65536;
// The most columns drawn row by row at once.
const int kMaxRun = 256;

// One column of the wall fill: destination rows Y0..Y1 (clipped) of the
// column at dColumn (its row 0), sampled from the source column at src.
// Row Y takes source row sy = j * sh / height with j = Y - top.
struct WallColumn {
    uint8_t* dColumn;
    const uint8_t* src;
    int64_t top, Y0, Y1;
    uint64_t height;
    // ceil(sh * 2^32 / height) for short columns: (j * scale) >> 32 is then
    // exactly j * sh / height. It exceeds sh * 2^32 / height by less than 1,
    // so the product exceeds j * sh / height by less than j / 2^32, which is
    // below 1 / height, the least distance of j * sh / height from the next
    // integer. The product stays below sh * 2^32 + height < 2^63.
    uint64_t scale;
};

// Rows ya..yb of a short column.
template <typename Word>
inline void DrawShortRows(const WallColumn& c, int64_t ya, int64_t yb, ptrdiff_t dyp,
                          ptrdiff_t syp) {
    uint8_t* d = c.dColumn + ya * dyp;
    uint64_t position = uint64_t(ya - c.top) * c.scale;
    for (int64_t n = yb - ya + 1; n > 0; --n, d += dyp, position += c.scale)
        WriteWord<Word>(d, ReadWord<Word>(c.src + ptrdiff_t(position >> 32) * syp));
}

// Rows Y0..Y1 of `count` neighbouring short columns that share their top and
// height (so each row takes one source row), row by row: first the source
// row, then each column's word of it. Where the destination's rows are
// packed, four words go in one store.
template <typename Word>
void DrawShortRun(const WallColumn& first, const uint8_t* const* columns, int count, ptrdiff_t dxp,
                  ptrdiff_t dyp, ptrdiff_t syp);

// Two neighbouring short columns of their own rows (a wall seen from the
// side): the rows they share go together, so that both columns' reads and
// writes meet the same lines of memory at once.
template <typename Word>
void DrawTwoColumns(const WallColumn& a, const WallColumn& b, ptrdiff_t dyp, ptrdiff_t syp) {
    const int64_t shared0 = std::max(a.Y0, b.Y0), shared1 = std::min(a.Y1, b.Y1);
    if (shared0 > shared1) {
        DrawShortRows<Word>(a, a.Y0, a.Y1, dyp, syp);
        DrawShortRows<Word>(b, b.Y0, b.Y1, dyp, syp);
        return;
    }
    for (const WallColumn* c : {&a, &b}) {
        if (c->Y0 < shared0)
            DrawShortRows<Word>(*c, c->Y0, shared0 - 1, dyp, syp);
        if (c->Y1 > shared1)
            DrawShortRows<Word>(*c, shared1 + 1, c->Y1, dyp, syp);
    }
    uint8_t* da = a.dColumn + shared0 * dyp;
    uint8_t* db = b.dColumn + shared0 * dyp;
    uint64_t pa = uint64_t(shared0 - a.top) * a.scale, pb = uint64_t(shared0 - b.top) * b.scale;
    for (int64_t n = shared1 - shared0 + 1; n > 0; --n, da += dyp, db += dyp) {
        WriteWord<Word>(da, ReadWord<Word>(a.src + ptrdiff_t(pa >> 32) * syp));
        WriteWord<Word>(db, ReadWord<Word>(b.src + ptrdiff_t(pb >> 32) * syp));
        pa += a.scale;
        pb += b.scale;
    }
}

// A run of exactly N columns (a wall seen from the side has many of two to
// seven): the source columns stay in registers and each row is N loads and
// N stores.
template <typename Word, int N>
void DrawFewColumns(const WallColumn& first, const uint8_t* const* columns, ptrdiff_t dxp,
                    ptrdiff_t dyp, ptrdiff_t syp) {
    const uint8_t* src[N];
    for (int i = 0; i < N; ++i)
        src[i] = columns[i];
    uint8_t* d = first.dColumn + first.Y0 * dyp;
    uint64_t position = uint64_t(first.Y0 - first.top) * first.scale;
    for (int64_t n = first.Y1 - first.Y0 + 1; n > 0; --n, d += dyp, position += first.scale) {
        const ptrdiff_t row = ptrdiff_t(position >> 32) * syp;
        for (int i = 0; i < N; ++i)
            WriteWord<Word>(d + i * dxp, ReadWord<Word>(src[i] + row));
    }
}

template <typename Word>
void DrawShortRun(const WallColumn& first, const uint8_t* const* columns, int count, ptrdiff_t dxp,
                  ptrdiff_t dyp, ptrdiff_t syp) {
    switch (count) {
    case 2:
        return DrawFewColumns<Word, 2>(first, columns, dxp, dyp, syp);
    case 3:
        return DrawFewColumns<Word, 3>(first, columns, dxp, dyp, syp);
    case 4:
        return DrawFewColumns<Word, 4>(first, columns, dxp, dyp, syp);
    case 5:
        return DrawFewColumns<Word, 5>(first, columns, dxp, dyp, syp);
    case 6:
        return DrawFewColumns<Word, 6>(first, columns, dxp, dyp, syp);
    case 7:
        return DrawFewColumns<Word, 7>(first, columns, dxp, dyp, syp);
    default:
        break;
    }
    uint8_t* d = first.dColumn + first.Y0 * dyp;
    uint64_t position = uint64_t(first.Y0 - first.top) * first.scale;
    const bool packed = dxp == ptrdiff_t(sizeof(Word));
    const int whole = packed ? count / 4 * 4 : 0;
    for (int64_t n = first.Y1 - first.Y0 + 1; n > 0; --n, d += dyp, position += first.scale) {
        const ptrdiff_t row = ptrdiff_t(position >> 32) * syp;
        int i = 0;
        for (; i < whole; i += 4) {
            const Word four[4] = {
                ReadWord<Word>(columns[i] + row), ReadWord<Word>(columns[i + 1] + row),
                ReadWord<Word>(columns[i + 2] + row), ReadWord<Word>(columns[i + 3] + row)};
            std::memcpy(d + i * ptrdiff_t(sizeof(Word)), four, sizeof four);
        }
        for (; i < count; ++i)
            WriteWord<Word>(d + i * dxp, ReadWord<Word>(columns[i] + row));
    }
}

#if QUIBBO_X86_KERNELS
// DrawShortRun on AVX-512, for packed rows of both surfaces: every row of a
// run reads the same columns of one source row, so the run is cut into
// pieces of up to 64 bytes of destination whose source words lie within 128
// bytes, and each row of a piece is two loads of those source words, one
// permutation that picks each column's word, and one store. Loads and
// stores are masked to the piece and to the source row, never reaching past
// either. `width` is the source's width, `pixels` its pixel (0, 0).
template <typename Word>
__attribute__((target("avx512f,avx512bw"))) void
DrawShortRunAvx512(const WallColumn& first, const uint8_t* const* columns, int count,
                   const uint8_t* pixels, int64_t width, ptrdiff_t dyp, ptrdiff_t syp) {
    const int lanes = 64 / int(sizeof(Word)); // words a piece stores at most
    for (int i = 0; i < count;) {
        // The piece from column i: each column's word among the 2 * lanes
        // loaded from the source word of column i on.
        alignas(64) Word pick[64 / sizeof(Word)] = {};
        int n = 0;
        for (; n < lanes && i + n < count; ++n) {
            const int64_t offset = (columns[i + n] - columns[i]) / int64_t(sizeof(Word));
            if (offset < 0 || offset >= 2 * lanes)
                break;
            pick[n] = Word(offset);
        }
        const __m512i picks = _mm512_load_si512(pick);
        const int64_t column = (columns[i] - pixels) / int64_t(sizeof(Word));
        // The source words left in the row from the piece's first one.
        const int64_t left = width - column;
        uint8_t* d = first.dColumn + first.Y0 * dyp + i * int64_t(sizeof(Word));
        const uint8_t* from = pixels + column * int64_t(sizeof(Word));
        uint64_t position = uint64_t(first.Y0 - first.top) * first.scale;
        for (int64_t r = first.Y1 - first.Y0 + 1; r > 0; --r, d += dyp, position += first.scale) {
            const uint8_t* row = from + ptrdiff_t(position >> 32) * syp;
            if (sizeof(Word) == 2) {
                const __mmask32 low = left >= 32 ? ~__mmask32(0) : __mmask32((1u << left) - 1);
                const __mmask32 high = left >= 64
                                           ? ~__mmask32(0)
                                           : (left <= 32 ? 0 : __mmask32((1u << (left - 32)) - 1));
                const __mmask32 out = n >= 32 ? ~__mmask32(0) : __mmask32((1u << n) - 1);
                const __m512i a = _mm512_maskz_loadu_epi16(low, row);
                const __m512i b = _mm512_maskz_loadu_epi16(high, row + 64);
                _mm512_mask_storeu_epi16(d, out, _mm512_permutex2var_epi16(a, picks, b));
            } else {
                const __mmask16 low = left >= 16 ? __mmask16(0xFFFF) : __mmask16((1u << left) - 1);
                const __mmask16 high = left >= 32
                                           ? __mmask16(0xFFFF)
                                           : (left <= 16 ? 0 : __mmask16((1u << (left - 16)) - 1));
                const __mmask16 out = __mmask16((1u << n) - 1);
                const __m512i a = _mm512_maskz_loadu_epi32(low, row);
                const __m512i b = _mm512_maskz_loadu_epi32(high, row + 64);
                _mm512_mask_storeu_epi32(d, out, _mm512_permutex2var_epi32(a, picks, b));
            }
        }
        i += n;
    }
}
#endif

// A column of 65536 rows or more, by remainders.
template <typename Word>
void DrawLongColumn(const WallColumn& c, uint64_t sh, ptrdiff_t dyp, ptrdiff_t syp) {
    const Stepper row(uint64_t(c.Y0 - c.top), sh, c.height);
    ptrdiff_t offset = ptrdiff_t(row.quotient) * syp;
    uint64_t remainder = row.remainder;
    const ptrdiff_t wholeStep = ptrdiff_t(row.wholeStep) * syp;
    uint8_t* d = c.dColumn + c.Y0 * dyp;
    for (int64_t n = c.Y1 - c.Y0 + 1; n > 0; --n, d += dyp) {
        WriteWord<Word>(d, ReadWord<Word>(c.src + offset));
        remainder += row.partStep;
        const bool carry = remainder >= c.height;
        remainder -= carry ? c.height : 0;
        offset += wholeStep + (carry ? syp : 0);
    }
}

// The wall fill. The edges and the source column are stepped across the
// columns and the source row down each column, exactly: the same samples as
// the divisions of the rule. Neighbouring columns of the same top and height
// (walls seen straight on, or nearly) go row by row, so that the writes run
// along the rows and the reads along a source row, where the texture does
// not share the destination's memory (the order of the writes then changes
// nothing).
template <typename Word>
void TrapezoidColumns(const CSurface& dest, const CSurface& source, int64_t left, int64_t span,
                      int64_t X0, int64_t X1, int64_t topLeft, int64_t topRight, int64_t bottomLeft,
                      int64_t bottomRight) {
    const uint64_t sh = uint64_t(source.height);
    const int64_t lastRow = int64_t(dest.height) - 1;
    const ptrdiff_t syp = source.yPitch, dyp = dest.yPitch;
    const uint64_t k0 = uint64_t(X0 - left);
    // top - topLeft and bottom - bottomLeft need up to 33 bits, so the edge
    // differences are taken in 64 bits.
    EdgeStepper top(topLeft, topRight - topLeft, k0, uint64_t(span));
    EdgeStepper bottom(bottomLeft, bottomRight - bottomLeft, k0, uint64_t(span));
    Stepper column(k0, uint64_t(source.width), uint64_t(span));
    const bool byRows = !Overlap(dest, source, sizeof(Word));
#if QUIBBO_X86_KERNELS
    // Runs of packed rows, read from packed rows, go through AVX-512 where
    // the machine has it.
    const bool wideRuns = GetKernelLevel() == KernelLevel::Avx512 &&
                          dest.xPitch == ptrdiff_t(sizeof(Word)) &&
                          source.xPitch == ptrdiff_t(sizeof(Word));
#endif
    // The scale of the last column height, reused while it stays the same.
    uint64_t lastHeight = 0, lastScale = 0;
    // The column of X, when it draws anything; the steppers move on to X + 1.
    auto next = [&](int64_t X, WallColumn* c) {
        const int64_t columnTop = top.Value(), columnBottom = bottom.Value();
        // k < span, so sx < source width.
        const int64_t sx = int64_t(column.quotient);
        top.magnitude.Step();
        bottom.magnitude.Step();
        column.Step();
        if (columnBottom < columnTop)
            return false;
        c->top = columnTop;
        c->Y0 = std::max<int64_t>(columnTop, 0);
        c->Y1 = std::min<int64_t>(columnBottom, lastRow);
        if (c->Y0 > c->Y1)
            return false;
        c->height = uint64_t(columnBottom - columnTop + 1);
        if (c->height != lastHeight && c->height < kShortColumn) {
            lastHeight = c->height;
            lastScale = ((sh << 32) + c->height - 1) / c->height;
        }
        c->scale = lastScale;
        c->dColumn = PixelAddress(dest, X, 0);
        c->src = PixelAddress(source, sx, 0);
        return true;
    };
    auto single = [&](const WallColumn& c) {
        if (c.height < kShortColumn)
            DrawShortRows<Word>(c, c.Y0, c.Y1, dyp, syp);
        else
            DrawLongColumn<Word>(c, sh, dyp, syp);
    };
    // A run of columns shares the first one's rows; `columns` holds each
    // one's source column. A column that differs starts the next run.
    const uint8_t* columns[kMaxRun];
    WallColumn first, c;
    bool pending = false;
    // A lone short column waits for its right-hand neighbour, if that is
    // lone too, to be drawn with it.
    WallColumn lone;
    bool waiting = false;
    int64_t X = X0;
    while (pending || X <= X1) {
        if (!pending && !next(X++, &first))
            continue;
        pending = false;
        if (!byRows || first.height >= kShortColumn) {
            single(first);
            continue;
        }
        columns[0] = first.src;
        int count = 1;
        while (count < kMaxRun && X <= X1) {
            if (!next(X++, &c))
                break;
            if (c.top == first.top && c.height == first.height) {
                columns[count++] = c.src;
                continue;
            }
            pending = true;
            break;
        }
        if (count == 1) {
            if (waiting && first.dColumn == lone.dColumn + dest.xPitch) {
                DrawTwoColumns<Word>(lone, first, dyp, syp);
                waiting = false;
            } else {
                if (waiting)
                    DrawShortRows<Word>(lone, lone.Y0, lone.Y1, dyp, syp);
                lone = first;
                waiting = true;
            }
        }
#if QUIBBO_X86_KERNELS
        else if (wideRuns && count >= 8)
            DrawShortRunAvx512<Word>(first, columns, count, source.pixels, source.width, dyp, syp);
#endif
        else
            DrawShortRun<Word>(first, columns, count, dest.xPitch, dyp, syp);
        if (pending)
            first = c;
    }
    if (waiting)
        DrawShortRows<Word>(lone, lone.Y0, lone.Y1, dyp, syp);
}

// One blended colour: per channel (d * keep + s * take) / 100, truncating
// toward zero, low 8 bits kept. Narrow is 32-bit arithmetic, exact when
// keep and take lie in 0..100; otherwise the 64-bit products are needed.
template <typename Wide> inline uint32_t Mix(uint32_t d, uint32_t s, Wide keep, Wide take) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const Wide mixed =
            (Wide((d >> shift) & 0xFF) * keep + Wide((s >> shift) & 0xFF) * take) / 100;
        out |= (uint32_t(mixed) & 0xFF) << shift;
    }
    return out;
}

// Pixels in vector lanes for the blend of packed rows of one format: eight
// 16-bit words, or four 32-bit ones. The channels stay in their lanes
// (8-8-8 channels in the low half of 32-bit lanes, the high half zero), and
// every product and sum of the blend fits in 16 bits.
typedef Lanes16 Oct;
typedef int16_t OctMask __attribute__((vector_size(16)));
typedef Lanes32 Quad;
typedef int32_t QuadMask __attribute__((vector_size(16)));

// (d * keep + s * take) / 100 in 16-bit lanes, for keep and take in 0..100
// (they add up to 100, so the sum is at most 25500).
inline Oct MixLanes(Oct d, Oct s, uint16_t keep, uint16_t take) {
    return (d * keep + s * take) / 100;
}
inline Quad MixLanes(Quad d, Quad s, uint16_t keep, uint16_t take) {
    return (Quad)MixLanes((Oct)d, (Oct)s, keep, take);
}

// A format's words in lanes: split into the channels GetPixel reads, made
// from channels as SetPixel makes them.
template <EPixelFormat F> struct LanesOfFormat;
template <> struct LanesOfFormat<EPixelFormat::Rgb555> {
    typedef Oct Words;
    typedef OctMask Mask;
    static void Channels(Words w, Words* r, Words* g, Words* b) {
        *r = (w >> 7) & 0xF8;
        *g = (w >> 2) & 0xF8;
        *b = (w << 3) & 0xF8;
    }
    static Words Encode(Words r, Words g, Words b) {
        return ((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3);
    }
};
template <> struct LanesOfFormat<EPixelFormat::Rgb565> {
    typedef Oct Words;
    typedef OctMask Mask;
    static void Channels(Words w, Words* r, Words* g, Words* b) {
        *r = (w >> 8) & 0xF8;
        *g = (w >> 3) & 0xFC;
        *b = (w << 3) & 0xF8;
    }
    static Words Encode(Words r, Words g, Words b) {
        return ((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3);
    }
};
template <> struct LanesOfFormat<EPixelFormat::Rgb888> {
    typedef Quad Words;
    typedef QuadMask Mask;
    static void Channels(Words w, Words* r, Words* g, Words* b) {
        *r = (w >> 16) & 0xFF;
        *g = (w >> 8) & 0xFF;
        *b = w & 0xFF;
    }
    static Words Encode(Words r, Words g, Words b) { return r << 16 | g << 8 | b; }
};

// The blend of `cols` pixels of packed rows of one format, sixteen bytes at
// a time, the rest one by one; for a source that does not share the
// destination's memory.
template <EPixelFormat F>
void BlendPackedRow(uint8_t* d, const uint8_t* s, int64_t cols, bool useKey, int32_t keep,
                    int32_t take) {
    typedef typename PixelOf<F>::Word Word;
    typedef LanesOfFormat<F> L;
    typedef typename L::Words Words;
    const int64_t perLanes = sizeof(Words) / sizeof(Word), bytes = sizeof(Word);
    const uint16_t k = uint16_t(keep), t = uint16_t(take);
    int64_t c = 0;
    for (; c + perLanes <= cols; c += perLanes) {
        Words from, to;
        std::memcpy(&from, s + c * bytes, sizeof from);
        std::memcpy(&to, d + c * bytes, sizeof to);
        Words sr, sg, sb, dr, dg, db;
        L::Channels(from, &sr, &sg, &sb);
        L::Channels(to, &dr, &dg, &db);
        // Key: the colour value 248..255, red at least 248 and nothing else.
        const Words isKey = useKey ? (Words)((sr >= 248) & (sg == 0) & (sb == 0)) : Words{};
        const Words mixed =
            L::Encode(MixLanes(dr, sr, k, t), MixLanes(dg, sg, k, t), MixLanes(db, sb, k, t));
        const Words out = (mixed & ~isKey) | (to & isKey);
        std::memcpy(d + c * bytes, &out, sizeof out);
    }
    for (; c < cols; ++c) {
        const uint32_t sc = PixelOf<F>::Colour(ReadWord<Word>(s + c * bytes));
        if (useKey && IsKeyColour(sc))
            continue;
        const uint32_t dc = PixelOf<F>::Colour(ReadWord<Word>(d + c * bytes));
        WriteWord<Word>(d + c * bytes, PixelOf<F>::Encode(Mix<int32_t>(dc, sc, keep, take)));
    }
}

// The blend over the clipped rectangle, pixel by pixel in the plain order
// (so a source that is the destination itself blends the same), with the
// formats' conversions inlined.
template <EPixelFormat S, EPixelFormat D, typename Wide>
void BlendRect(CSurface& dest, const CSurface& source, const Span2D& r, int64_t x, int64_t y,
               bool useKey, Wide keep, Wide take) {
    typedef typename PixelOf<S>::Word SourceWord;
    typedef typename PixelOf<D>::Word DestWord;
    const ptrdiff_t sxp = source.xPitch, dxp = dest.xPitch;
    const int64_t cols = r.right - r.left;
    const bool packed = S == D && sizeof(Wide) == 4 && sxp == ptrdiff_t(sizeof(SourceWord)) &&
                        dxp == ptrdiff_t(sizeof(DestWord)) &&
                        !Overlap(dest, source, sizeof(DestWord));
    for (int64_t Y = r.top; Y < r.bottom; ++Y) {
        const uint8_t* s = PixelAddress(source, r.left - x, Y - y);
        uint8_t* d = PixelAddress(dest, r.left, Y);
        if (packed) {
            BlendPackedRow<D>(d, s, cols, useKey, int32_t(keep), int32_t(take));
            continue;
        }
        for (int64_t c = 0; c < cols; ++c, s += sxp, d += dxp) {
            const uint32_t sc = PixelOf<S>::Colour(ReadWord<SourceWord>(s));
            if (useKey && IsKeyColour(sc))
                continue;
            const uint32_t dc = PixelOf<D>::Colour(ReadWord<DestWord>(d));
            WriteWord<DestWord>(d, PixelOf<D>::Encode(Mix<Wide>(dc, sc, keep, take)));
        }
    }
}

template <EPixelFormat S, EPixelFormat D>
void BlendRect(CSurface& dest, const CSurface& source, const Span2D& r, int64_t x, int64_t y,
               bool useKey, int32_t percent) {
    if (percent >= 0 && percent <= 100)
        BlendRect<S, D, int32_t>(dest, source, r, x, y, useKey, 100 - percent, percent);
    else
        BlendRect<S, D, int64_t>(dest, source, r, x, y, useKey, 100 - int64_t(percent),
                                 int64_t(percent));
}

template <EPixelFormat S>
bool BlendFrom(CSurface& dest, const CSurface& source, const Span2D& r, int64_t x, int64_t y,
               bool useKey, int32_t percent) {
    switch (FormatOf(dest)) {
    case EPixelFormat::Rgb555:
        BlendRect<S, EPixelFormat::Rgb555>(dest, source, r, x, y, useKey, percent);
        return true;
    case EPixelFormat::Rgb565:
        BlendRect<S, EPixelFormat::Rgb565>(dest, source, r, x, y, useKey, percent);
        return true;
    case EPixelFormat::Rgb888:
        BlendRect<S, EPixelFormat::Rgb888>(dest, source, r, x, y, useKey, percent);
        return true;
    default:
        return false;
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
    // The supported formats take loops of their own; any other format goes
    // through GetPixel and SetPixel (reading 0, writing nothing).
    bool done = false;
    switch (FormatOf(source)) {
    case EPixelFormat::Rgb555:
        done = BlendFrom<EPixelFormat::Rgb555>(*this, source, r, x, y, useKey, percent);
        break;
    case EPixelFormat::Rgb565:
        done = BlendFrom<EPixelFormat::Rgb565>(*this, source, r, x, y, useKey, percent);
        break;
    case EPixelFormat::Rgb888:
        done = BlendFrom<EPixelFormat::Rgb888>(*this, source, r, x, y, useKey, percent);
        break;
    default:
        break;
    }
    if (done)
        return true;
    // 64-bit products: no percentage can overflow; the low 8 bits are kept.
    const int64_t keep = 100 - int64_t(percent), take = percent;
    for (int64_t Y = r.top; Y < r.bottom; ++Y) {
        for (int64_t X = r.left; X < r.right; ++X) {
            const uint32_t s = source.GetPixel(int32_t(X - x), int32_t(Y - y));
            if (useKey && IsKeyColour(s))
                continue;
            const uint32_t d = GetPixel(int32_t(X), int32_t(Y));
            SetPixel(int32_t(X), int32_t(Y), Mix<int64_t>(d, s, keep, take));
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
    if (bitsPerPixel == 32)
        TrapezoidColumns<uint32_t>(*this, source, left, span, X0, X1, topLeft, topRight, bottomLeft,
                                   bottomRight);
    else if (bitsPerPixel == 16)
        TrapezoidColumns<uint16_t>(*this, source, left, span, X0, X1, topLeft, topRight, bottomLeft,
                                   bottomRight);
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
