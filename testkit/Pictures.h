// Pictures for the imaging tests and the fuzzers: the three display formats
// on the headless platform, surfaces laid over memory the caller owns with
// guard bytes, and BMP bytes built from a function of the pixel.
#pragma once
#include "gfx/Surface.h"
#include "platform/headless/Headless.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
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

// k555, k565 and k888, in that order.
const std::vector<Format>& AllFormats();

// Makes the headless display report `format`; surfaces created afterwards
// take it.
void UseFormat(const Format& format, int32_t width = 240, int32_t height = 320);

// A surface over memory the caller owns, with guard bytes on both sides so a
// write outside the pixels shows. Pitches may be negative: pixel (0, 0) is
// placed so that every pixel lies inside the block.
class GuardedSurface {
public:
    static constexpr size_t kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xA5;

    GuardedSurface(const Format& f, int32_t w, int32_t h, bool flipX = false, bool flipY = false,
                   bool transposed = false);
    ~GuardedSurface() { s.pixels = nullptr; }

    bool GuardsIntact() const;
    const std::vector<uint8_t>& Block() const { return m_block; }

    CSurface s;

private:
    std::vector<uint8_t> m_block;
};

// One of the layouts a surface can have, from the low bits of `layout`:
// mirrored (bit 0), upside down (bit 1), rotated by a quarter turn (bit 2).
// The caller owns the result.
GuardedSurface* MakeLayout(const Format& f, int32_t w, int32_t h, unsigned layout);

// The raw pixel word of a 16- or 32-bit surface, and its setter.
uint32_t RawWord(const CSurface& s, int32_t x, int32_t y);
void SetRawWord(CSurface& s, int32_t x, int32_t y, uint32_t word);

// Fills a surface with pseudo-random colour values, a share of them pure red
// (the key) so that keyed paths are exercised.
void FillRandom(CSurface& s, std::mt19937& rng, int keyPercent = 20);

// All colour values of a surface, row by row.
std::vector<uint32_t> Colours(const CSurface& s);

// A random drawing case: source and destination of random sizes (up to the
// given sides) and layouts, filled at random, and `expect`, a plain copy of
// the destination for a reference version to draw into.
struct RandomCase {
    RandomCase(std::mt19937& rng, const Format& fs, const Format& fd, int32_t maxSrc,
               int32_t maxDest);
    bool GuardsIntact() const { return src->GuardsIntact() && dest->GuardsIntact(); }

    std::unique_ptr<GuardedSurface> src, dest, expect;
};

// ---- BMP bytes ----

// Little-endian words at `at`, which must lie inside `v`.
void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x);
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x);

struct Rgb {
    uint8_t r, g, b;
};

// The palette index (up to 8 bits) or the 0x00BBGGRR colour (24 bits) of
// pixel (x, y), y counted from the top.
using PixelFn = std::function<uint32_t(int32_t x, int32_t y)>;

// A DIB (information header, colour table, bottom-up rows padded to 4 bytes)
// of 1, 4, 8 or 24 bits a pixel. `tableEntries` colours are written from
// `palette` (missing ones black); `coloursUsed` goes into the header as it
// is.
std::vector<uint8_t> MakeDib(int32_t w, int32_t h, int bpp, const std::vector<Rgb>& palette,
                             size_t tableEntries, uint32_t coloursUsed, const PixelFn& pixel);

// A BMP file: the 14-byte file header in front of a DIB.
std::vector<uint8_t> MakeBmpFile(const std::vector<uint8_t>& dib, char m0 = 'B', char m1 = 'M');

} // namespace gfxtest
