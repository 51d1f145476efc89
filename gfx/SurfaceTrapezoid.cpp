// The wall fill: a texture mapped onto a quad with vertical sides, column
// by column. Like the other drawing routines it clips first, in 64 bits,
// and then steps through memory by the pitches.
#include "gfx/KernelLevel.h"
#include "gfx/PixelWords.h"
#include "gfx/Surface.h"

#include <algorithm>

#if QUIBBO_X86_KERNELS
#include <immintrin.h>
#endif

using namespace gfx;

namespace {

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

} // namespace

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
