#include "gfx/Surface.h"
#include "gfx/PixelWords.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace gfx;

CSurface::~CSurface() {
    Free();
}

void CSurface::SetFormat(const GXDisplayProperties& f) {
    width = f.cxWidth;
    height = f.cyHeight;
    xPitch = f.cbxPitch;
    yPitch = f.cbyPitch;
    bitsPerPixel = f.cBPP;
    formatFlags = f.ffFormat;
}

GXDisplayProperties CSurface::Format() const {
    GXDisplayProperties f;
    f.cxWidth = width;
    f.cyHeight = height;
    f.cbxPitch = xPitch;
    f.cbyPitch = yPitch;
    f.cBPP = bitsPerPixel;
    f.ffFormat = formatFlags;
    return f;
}

bool CSurface::Create(int32_t w, int32_t h) {
    Free();
    GXDisplayProperties f = GXGetDisplayProperties();
    const int32_t bpp = f.cBPP;
    // Every size is checked before anything is multiplied in 32 bits, so a
    // huge or negative request is refused instead of wrapping to a small
    // buffer that the blits would then overrun.
    if (w <= 0 || h <= 0 || bpp <= 0)
        return false;
    const int64_t rowPitch = int64_t(w) * (bpp / 8);
    if (rowPitch > INT32_MAX)
        return false;
    const uint64_t rowBits = uint64_t(bpp) * uint64_t(w); // < 2^62
    if (rowBits > UINT64_MAX / uint64_t(h))
        return false;
    const uint64_t bytes = rowBits * uint64_t(h) / 8;
    if (bytes == 0 || bytes > uint64_t(PTRDIFF_MAX))
        return false;

    f.cxWidth = w;
    f.cyHeight = h;
    f.cbxPitch = bpp / 8;
    f.cbyPitch = int32_t(rowPitch);
    SetFormat(f);
    uint8_t* buffer = new (std::nothrow) uint8_t[size_t(bytes)];
    if (!buffer)
        return false;
    std::memset(buffer, 0, size_t(bytes));
    m_pBuffer = buffer;
    pixels = buffer;
    return true;
}

void CSurface::Free() {
    delete[] m_pBuffer;
    m_pBuffer = nullptr;
    if (!pixels)
        return;
    pixels = nullptr;
    SetFormat(GXDisplayProperties{0, 0, 0, 0, 0, 0});
}

void CSurface::TakeOver(CSurface& other) {
    Free();
    pixels = other.pixels;
    SetFormat(other.Format());
    m_pBuffer = other.m_pBuffer;
    other.m_pBuffer = nullptr;
    other.pixels = nullptr;
    other.SetFormat(GXDisplayProperties{0, 0, 0, 0, 0, 0});
}

uint32_t CSurface::GetPixel(int32_t x, int32_t y) const {
    const uint8_t* p = PixelAddress(*this, x, y);
    const EPixelFormat format = FormatOf(*this);
    switch (format) {
    case EPixelFormat::Rgb555:
    case EPixelFormat::Rgb565:
        return PixelToColour(format, ReadWord<uint16_t>(p));
    case EPixelFormat::Rgb888:
        return PixelToColour(format, ReadWord<uint32_t>(p));
    default:
        return 0;
    }
}

void CSurface::SetPixel(int32_t x, int32_t y, uint32_t c) {
    uint8_t* p = PixelAddress(*this, x, y);
    const EPixelFormat format = FormatOf(*this);
    switch (format) {
    case EPixelFormat::Rgb555:
    case EPixelFormat::Rgb565:
        WriteWord<uint16_t>(p, uint16_t(ColourToPixel(format, c)));
        break;
    case EPixelFormat::Rgb888:
        WriteWord<uint32_t>(p, ColourToPixel(format, c));
        break;
    default:
        break;
    }
}

namespace {

// Words rather than colours: the table is made once, each cell is one load
// and one store.
template <typename Word>
void PaintIndexed(CSurface& s, const uint8_t* indices, const uint32_t* words) {
    for (int32_t y = 0; y < s.height; ++y) {
        uint8_t* p = PixelAddress(s, 0, y);
        const uint8_t* from = indices + static_cast<size_t>(y) * s.width;
        for (int32_t x = 0; x < s.width; ++x, p += s.xPitch)
            WriteWord<Word>(p, Word(words[from[x]]));
    }
}

template <typename Word> void FillSpan(const CSurface& s, const Span2D& span, uint32_t word) {
    const int64_t count = span.right - span.left;
    for (int64_t y = span.top; y < span.bottom; ++y) {
        uint8_t* p = PixelAddress(s, span.left, y);
        for (int64_t n = count; n > 0; --n, p += s.xPitch)
            WriteWord<Word>(p, Word(word));
    }
}

} // namespace

bool CSurface::CreateIndexed(const uint8_t* indices, int32_t w, int32_t h,
                             const uint32_t* colours) {
    if (!Create(w, h) || !pixels)
        return false;
    const EPixelFormat format = FormatOf(*this);
    uint32_t words[256];
    for (int i = 0; i < 256; ++i)
        words[i] = ColourToPixel(format, colours[i]);
    if (bitsPerPixel == 16)
        PaintIndexed<uint16_t>(*this, indices, words);
    else if (bitsPerPixel == 32)
        PaintIndexed<uint32_t>(*this, indices, words);
    return true;
}

bool CSurface::Fill(const PlatRect& rect, uint32_t colour) {
    if (!pixels)
        return false;
    const Span2D span = ClipToDest(*this, rect.left, rect.top, int64_t(rect.right) - rect.left,
                                   int64_t(rect.bottom) - rect.top);
    if (span.Empty())
        return true;
    const uint32_t word = ColourToPixel(FormatOf(*this), colour);
    if (bitsPerPixel == 16)
        FillSpan<uint16_t>(*this, span, word);
    else if (bitsPerPixel == 32)
        FillSpan<uint32_t>(*this, span, word);
    return true;
}

// One channel scaled by a percentage, clamped to 0..255. 64-bit so that no
// percentage can overflow; the clamp at 0 keeps a negative percentage from
// spilling into the neighbouring channels.
static uint32_t TintChannel(uint32_t channel, int32_t percent) {
    const int64_t v = int64_t(channel) * percent / 100;
    return uint32_t(std::min<int64_t>(std::max<int64_t>(v, 0), 255));
}

bool CSurface::CopyTinted(const CSurface& source, int32_t redPercent, int32_t greenPercent,
                          int32_t bluePercent) {
    if (&source == this) {
        CSurface tinted;
        if (!tinted.CopyTinted(source, redPercent, greenPercent, bluePercent)) {
            Free();
            return false;
        }
        TakeOver(tinted);
        return true;
    }
    if (!source.pixels) {
        Free();
        return false;
    }
    if (!Create(source.width, source.height))
        return false;

    // The block copy is only valid when the source's bytes are laid out
    // exactly like ours; a source of another format or layout (the display
    // changed, or a framebuffer view) takes the per-pixel route instead, which
    // at 100 percent is an exact conversion.
    const bool sameLayout = source.xPitch == xPitch && source.yPitch == yPitch &&
                            source.bitsPerPixel == bitsPerPixel &&
                            source.formatFlags == formatFlags;
    if (redPercent == 100 && greenPercent == 100 && bluePercent == 100 && sameLayout) {
        const size_t bytes =
            size_t(uint64_t(bitsPerPixel) * uint64_t(width) * uint64_t(height) / 8);
        std::memcpy(pixels, source.pixels, bytes);
        return true;
    }
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = source.GetPixel(x, y);
            SetPixel(x, y,
                     MakeColour(TintChannel(c & 0xFF, redPercent),
                                TintChannel((c >> 8) & 0xFF, greenPercent),
                                TintChannel((c >> 16) & 0xFF, bluePercent)));
        }
    }
    return true;
}
