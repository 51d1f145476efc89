// The percentage blend of one surface into another, through colour values,
// with a loop of its own for each pair of supported formats.
#include "gfx/PixelWords.h"
#include "gfx/Surface.h"

using namespace gfx;

namespace {

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
