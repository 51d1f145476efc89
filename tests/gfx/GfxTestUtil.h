// Helpers shared by the imaging tests: the three display formats on the
// headless platform, surfaces laid over test-owned memory with guard bytes,
// and BMP bytes built in the test.
#pragma once
#include "gfx/Surface.h"
#include "platform/headless/Headless.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace gfxtest {

struct Format {
    const char* name;
    int32_t bitsPerPixel;
    uint32_t flags;
};

const Format k555 = {"555", 16, kfDirect555};
const Format k565 = {"565", 16, kfDirect565};
const Format k888 = {"888", 32, kfDirect888};

inline const std::vector<Format>& AllFormats() {
    static const std::vector<Format> formats = {
        {"555", 16, kfDirect555}, {"565", 16, kfDirect565}, {"888", 32, kfDirect888}};
    return formats;
}

// Makes the headless display report `format`; surfaces created afterwards
// take it.
inline void UseFormat(const Format& format, int32_t width = 240, int32_t height = 320) {
    HeadlessDisplay d;
    d.width = width;
    d.height = height;
    d.bitsPerPixel = format.bitsPerPixel;
    d.format = format.flags;
    d.clientWidth = width;
    d.clientHeight = height;
    HeadlessReset(d);
}

// A surface over memory the test owns, with guard bytes on both sides so a
// write outside the pixels shows. Pitches may be negative: pixel (0, 0) is
// placed so that every pixel lies inside the block.
class GuardedSurface {
public:
    static constexpr size_t kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xA5;

    GuardedSurface(const Format& f, int32_t w, int32_t h, bool flipX = false, bool flipY = false,
                   bool transposed = false) {
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
    ~GuardedSurface() { s.pixels = nullptr; }

    bool GuardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (m_block[i] != kGuardByte || m_block[m_block.size() - 1 - i] != kGuardByte)
                return false;
        return true;
    }
    const std::vector<uint8_t>& Block() const { return m_block; }

    CSurface s;

private:
    std::vector<uint8_t> m_block;
};

// One of the layouts a surface can have, from the low bits of `layout`:
// mirrored (bit 0), upside down (bit 1), rotated by a quarter turn (bit 2).
inline GuardedSurface* MakeLayout(const Format& f, int32_t w, int32_t h, unsigned layout) {
    return new GuardedSurface(f, w, h, layout & 1, layout & 2, layout & 4);
}

// The raw pixel word of a 16- or 32-bit surface.
inline uint32_t RawWord(const CSurface& s, int32_t x, int32_t y) {
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

inline void SetRawWord(CSurface& s, int32_t x, int32_t y, uint32_t word) {
    uint8_t* p = s.pixels + x * s.xPitch + y * s.yPitch;
    if (s.bitsPerPixel == 32) {
        std::memcpy(p, &word, 4);
    } else {
        const uint16_t w = uint16_t(word);
        std::memcpy(p, &w, 2);
    }
}

// Fills a surface with pseudo-random colour values, a share of them pure red
// (the key) so that keyed paths are exercised.
inline void FillRandom(CSurface& s, std::mt19937& rng, int keyPercent = 20) {
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            s.SetPixel(x, y, int(rng() % 100) < keyPercent ? 0x000000FFu : rng() & 0xFFFFFFu);
}

// All colour values of a surface, row by row.
inline std::vector<uint32_t> Colours(const CSurface& s) {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            out.push_back(s.GetPixel(x, y));
    return out;
}

// A random drawing case: source and destination of random sizes (up to the
// given sides) and layouts, filled at random, and `expect`, a plain copy of
// the destination for a reference version to draw into.
struct RandomCase {
    RandomCase(std::mt19937& rng, const Format& fs, const Format& fd, int32_t maxSrc,
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
    bool GuardsIntact() const { return src->GuardsIntact() && dest->GuardsIntact(); }

    std::unique_ptr<GuardedSurface> src, dest, expect;
};

// ---- BMP bytes ----

inline void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = uint8_t(x);
    v[at + 1] = uint8_t(x >> 8);
}
inline void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v[at + i] = uint8_t(x >> (8 * i));
}

struct Rgb {
    uint8_t r, g, b;
};

// A DIB (information header, colour table, bottom-up rows padded to 4 bytes).
// `pixel(x, y)` gives, for y counted from the top, the palette index (up to 8
// bits) or the 0x00BBGGRR colour (24 bits). `tableEntries` colours are
// written from `palette` (missing ones black); `coloursUsed` goes into the
// header as it is.
template <typename PixelFn>
std::vector<uint8_t> MakeDib(int32_t w, int32_t h, int bpp, const std::vector<Rgb>& palette,
                             size_t tableEntries, uint32_t coloursUsed, PixelFn pixel) {
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

// A BMP file: the 14-byte file header in front of a DIB.
inline std::vector<uint8_t> MakeBmpFile(const std::vector<uint8_t>& dib, char m0 = 'B',
                                        char m1 = 'M') {
    std::vector<uint8_t> v(14, 0);
    v[0] = uint8_t(m0);
    v[1] = uint8_t(m1);
    Put32(v, 2, uint32_t(14 + dib.size()));
    v.insert(v.end(), dib.begin(), dib.end());
    return v;
}

} // namespace gfxtest
