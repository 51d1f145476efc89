#include "testkit/Pictures.h"

#include <algorithm>
#include <cstring>

namespace gfxtest {

const std::vector<Format>& AllFormats() {
    static const std::vector<Format> formats = {k555, k565, k888};
    return formats;
}

void UseFormat(const Format& format, int32_t width, int32_t height) {
    HeadlessDisplay d;
    d.width = width;
    d.height = height;
    d.bitsPerPixel = format.bitsPerPixel;
    d.format = format.flags;
    d.clientWidth = width;
    d.clientHeight = height;
    HeadlessReset(d);
}

GuardedSurface::GuardedSurface(const Format& f, int32_t w, int32_t h, bool flipX, bool flipY,
                               bool transposed) {
    const int32_t bpp = f.bitsPerPixel / 8;
    int32_t xp = transposed ? h * bpp : bpp;
    int32_t yp = transposed ? bpp : w * bpp;
    size_t bytes = size_t(w) * size_t(h) * size_t(bpp);
    m_block.assign(bytes + 2 * kGuard, kGuardByte);
    std::memset(m_block.data() + kGuard, 0, bytes);
    ptrdiff_t origin = kGuard;
    if (flipX) {
        origin += ptrdiff_t(w - 1) * xp;
        xp = -xp;
    }
    if (flipY) {
        origin += ptrdiff_t(h - 1) * yp;
        yp = -yp;
    }
    s.pixels = m_block.data() + origin;
    s.width = w;
    s.height = h;
    s.xPitch = xp;
    s.yPitch = yp;
    s.bitsPerPixel = f.bitsPerPixel;
    s.formatFlags = f.flags;
}

bool GuardedSurface::GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i)
        if (m_block[i] != kGuardByte || m_block[m_block.size() - 1 - i] != kGuardByte)
            return false;
    return true;
}

GuardedSurface* MakeLayout(const Format& f, int32_t w, int32_t h, unsigned layout) {
    return new GuardedSurface(f, w, h, layout & 1, layout & 2, layout & 4);
}

uint32_t RawWord(const CSurface& s, int32_t x, int32_t y) {
    const uint8_t* p = s.pixels + x * s.xPitch + y * s.yPitch;
    if (s.bitsPerPixel == 32) {
        uint32_t w;
        std::memcpy(&w, p, 4);
        return w;
    }
    uint16_t w;
    std::memcpy(&w, p, 2);
    return w;
}

void SetRawWord(CSurface& s, int32_t x, int32_t y, uint32_t word) {
    uint8_t* p = s.pixels + x * s.xPitch + y * s.yPitch;
    if (s.bitsPerPixel == 32) {
        std::memcpy(p, &word, 4);
    } else {
        const uint16_t w = uint16_t(word);
        std::memcpy(p, &w, 2);
    }
}

void FillRandom(CSurface& s, std::mt19937& rng, int keyPercent) {
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            s.SetPixel(x, y, int(rng() % 100) < keyPercent ? 0x000000FFu : rng() & 0xFFFFFFu);
}

std::vector<uint32_t> Colours(const CSurface& s) {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            out.push_back(s.GetPixel(x, y));
    return out;
}

RandomCase::RandomCase(std::mt19937& rng, const Format& fs, const Format& fd, int32_t maxSrc,
                       int32_t maxDest)
    : src(MakeLayout(fs, 1 + int32_t(rng() % maxSrc), 1 + int32_t(rng() % maxSrc), rng())),
      dest(MakeLayout(fd, 1 + int32_t(rng() % maxDest), 1 + int32_t(rng() % maxDest), rng())),
      expect(new GuardedSurface(fd, dest->s.width, dest->s.height)) {
    FillRandom(src->s, rng);
    FillRandom(dest->s, rng);
    for (int32_t y = 0; y < dest->s.height; ++y)
        for (int32_t x = 0; x < dest->s.width; ++x)
            expect->s.SetPixel(x, y, dest->s.GetPixel(x, y));
}

// ---- BMP bytes ----

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = uint8_t(x);
    v[at + 1] = uint8_t(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v[at + i] = uint8_t(x >> (8 * i));
}

std::vector<uint8_t> MakeDib(int32_t w, int32_t h, int bpp, const std::vector<Rgb>& palette,
                             size_t tableEntries, uint32_t coloursUsed, const PixelFn& pixel) {
    const size_t rowLen = (size_t(bpp) * size_t(w) + 31) / 32 * 4;
    const size_t header = 40;
    std::vector<uint8_t> v(header + 4 * tableEntries + rowLen * size_t(h), 0);
    Put32(v, 0, 40);
    Put32(v, 4, uint32_t(w));
    Put32(v, 8, uint32_t(h));
    Put16(v, 12, 1);
    Put16(v, 14, uint32_t(bpp));
    Put32(v, 20, uint32_t(rowLen * size_t(h)));
    Put32(v, 32, coloursUsed);
    for (size_t i = 0; i < tableEntries && i < palette.size(); ++i) {
        v[header + 4 * i] = palette[i].b;
        v[header + 4 * i + 1] = palette[i].g;
        v[header + 4 * i + 2] = palette[i].r;
    }
    uint8_t* rows = v.data() + header + 4 * tableEntries;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = rows + size_t(h - 1 - y) * rowLen;
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t p = pixel(x, y);
            switch (bpp) {
            case 1:
                row[x / 8] |= uint8_t((p & 1) << (7 - x % 8));
                break;
            case 4:
                row[x / 2] |= uint8_t((p & 0xF) << (x % 2 ? 0 : 4));
                break;
            case 8:
                row[x] = uint8_t(p);
                break;
            case 24:
                row[3 * x] = uint8_t(p >> 16);
                row[3 * x + 1] = uint8_t(p >> 8);
                row[3 * x + 2] = uint8_t(p);
                break;
            default:
                break;
            }
        }
    }
    return v;
}

std::vector<uint8_t> MakeBmpFile(const std::vector<uint8_t>& dib, char m0, char m1) {
    // The file's size is known before its first byte: one block, the DIB
    // copied behind the header. Growing a 14-byte vector by the DIB instead
    // had g++ -O3 see the copy run past the header's 14 bytes
    // (-Warray-bounds, in every Release build of fuzz_seeds).
    std::vector<uint8_t> v(14 + dib.size(), 0);
    v[0] = uint8_t(m0);
    v[1] = uint8_t(m1);
    Put32(v, 2, uint32_t(v.size()));
    std::copy(dib.begin(), dib.end(), v.begin() + 14);
    return v;
}

} // namespace gfxtest
