#include "platform/Framebuffer.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Pitches need not be aligned, so words go through memcpy.
void StoreWord(uint8_t* p, int32_t bitsPerPixel, uint32_t word) {
    if (bitsPerPixel == 16) {
        uint16_t w16 = static_cast<uint16_t>(word);
        std::memcpy(p, &w16, 2);
    } else {
        std::memcpy(p, &word, 4);
    }
}

uint32_t LoadWord(const uint8_t* p, int32_t bitsPerPixel) {
    if (bitsPerPixel == 16) {
        uint16_t w16;
        std::memcpy(&w16, p, 2);
        return w16;
    }
    uint32_t w32;
    std::memcpy(&w32, p, 4);
    return w32;
}

void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}

} // namespace

bool CFramebuffer::IsSupported(uint32_t format, int32_t bitsPerPixel) {
    return PixelFormatOf(format, bitsPerPixel) != EPixelFormat::Unsupported;
}

bool CFramebuffer::Configure(int32_t width, int32_t height, int32_t bitsPerPixel, uint32_t format,
                             int32_t xPitch, int32_t yPitch) {
    if (width < 1 || height < 1 || width > 16384 || height > 16384)
        return false;
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return false;
    const int64_t bytes = bitsPerPixel / 8;
    if (xPitch == 0)
        xPitch = static_cast<int32_t>(bytes);
    if (yPitch == 0) {
        int64_t natural = static_cast<int64_t>(width) * std::llabs(xPitch);
        if (natural > 0x7FFFFFFF)
            return false;
        yPitch = static_cast<int32_t>(natural);
    }
    if (std::llabs(xPitch) < bytes || std::llabs(yPitch) < bytes)
        return false;

    // The block spans the lowest to the highest pixel address the pitches
    // reach; pixel (0, 0) sits wherever negative pitches put it.
    const int64_t xSpan = static_cast<int64_t>(width - 1) * xPitch;
    const int64_t ySpan = static_cast<int64_t>(height - 1) * yPitch;
    const int64_t low = (xSpan < 0 ? xSpan : 0) + (ySpan < 0 ? ySpan : 0);
    const int64_t high = (xSpan > 0 ? xSpan : 0) + (ySpan > 0 ? ySpan : 0) + bytes;
    if (high - low > (int64_t(64) << 20))
        return false;

    m_props = {width, height, xPitch, yPitch, bitsPerPixel, format};
    m_block.assign(static_cast<size_t>(high - low), 0);
    m_nOrigin = static_cast<size_t>(-low);
    m_bShown = false;
    return true;
}

void CFramebuffer::Fill(const PlatRect& rect, uint32_t colour) {
    if (!IsSupported(m_props.ffFormat, m_props.cBPP))
        return;
    const int32_t left = rect.left > 0 ? rect.left : 0;
    const int32_t top = rect.top > 0 ? rect.top : 0;
    const int32_t right = rect.right < m_props.cxWidth ? rect.right : m_props.cxWidth;
    const int32_t bottom = rect.bottom < m_props.cyHeight ? rect.bottom : m_props.cyHeight;
    if (left >= right || top >= bottom)
        return;
    const uint32_t word = ColourToPixel(PixelFormatOf(m_props.ffFormat, m_props.cBPP), colour);
    const int32_t count = right - left;
    uint8_t* row = Origin() + static_cast<ptrdiff_t>(top) * m_props.cbyPitch +
                   static_cast<ptrdiff_t>(left) * m_props.cbxPitch;
    for (int32_t y = top; y < bottom; ++y, row += m_props.cbyPitch) {
        uint8_t* p = row;
        for (int32_t n = count; n > 0; --n, p += m_props.cbxPitch)
            StoreWord(p, m_props.cBPP, word);
    }
}

uint32_t CFramebuffer::Colour(int32_t x, int32_t y) const {
    if (!IsSupported(m_props.ffFormat, m_props.cBPP))
        return 0;
    const uint8_t* p = Origin() + static_cast<ptrdiff_t>(x) * m_props.cbxPitch +
                       static_cast<ptrdiff_t>(y) * m_props.cbyPitch;
    return PixelToColour(PixelFormatOf(m_props.ffFormat, m_props.cBPP), LoadWord(p, m_props.cBPP));
}

bool CFramebuffer::SaveShown(const char* path) const {
    if (!m_bShown || !path)
        return false;
    const int32_t w = m_props.cxWidth, h = m_props.cyHeight;
    const uint32_t rowSize = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    const uint32_t imageSize = rowSize * static_cast<uint32_t>(h);

    uint8_t header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    PutLe32(header + 2, 54 + imageSize);
    PutLe32(header + 10, 54);
    PutLe32(header + 14, 40);
    PutLe32(header + 18, static_cast<uint32_t>(w));
    PutLe32(header + 22, static_cast<uint32_t>(h)); // positive: bottom row first
    PutLe16(header + 26, 1);
    PutLe16(header + 28, 24);
    PutLe32(header + 34, imageSize);
    PutLe32(header + 38, 2835); // 72 dpi
    PutLe32(header + 42, 2835);

    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(header, sizeof header, 1, f) == 1;
    std::vector<uint8_t> row(rowSize, 0);
    for (int32_t y = h - 1; ok && y >= 0; --y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = Colour(x, y);
            row[x * 3 + 0] = static_cast<uint8_t>(c >> 16); // blue
            row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(c);
        }
        ok = std::fwrite(row.data(), rowSize, 1, f) == 1;
    }
    if (std::fclose(f) != 0)
        ok = false;
    return ok;
}
