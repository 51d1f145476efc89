// The blits with sizes, layouts, positions, stretch sizes and trapezoid
// corners taken from the input. Destination and source are each one heap
// block of exactly their pixels, in any of the three pixel formats and with
// their rows or columns in either direction (the screen's framebuffer may be
// mirrored or turned), so a single pixel written or read outside is caught
// by the address sanitizer.
//
// The result is also checked: nothing outside the operation's rectangle may
// change, and the plain copies, the scaled copy, the blend and the single
// pixel copy must give exactly the pixels a simple model of them gives.
#include "FuzzSupport.h"
#include "app/PictureLists.h"
#include "gfx/Surface.h"
#include "platform/Framebuffer.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using fuzz::ByteReader;

const int32_t kMaxSide = 40;

// A surface over a block of its own, laid out by the low bits of `layout`
// as the imaging tests do: mirrored (bit 0), upside down (bit 1), turned a
// quarter, columns contiguous (bit 2).
struct TestSurface {
    CSurface surface;
    std::unique_ptr<uint8_t[]> block;

    TestSurface(const gfxtest::Format& format, int32_t w, int32_t h, unsigned layout) {
        const int32_t bytes = format.bitsPerPixel / 8;
        const size_t size = size_t(w) * size_t(h) * size_t(bytes);
        block.reset(new uint8_t[size]());
        int32_t xPitch = (layout & 4) ? h * bytes : bytes;
        int32_t yPitch = (layout & 4) ? bytes : w * bytes;
        ptrdiff_t origin = 0;
        if (layout & 1) {
            origin += ptrdiff_t(w - 1) * xPitch;
            xPitch = -xPitch;
        }
        if (layout & 2) {
            origin += ptrdiff_t(h - 1) * yPitch;
            yPitch = -yPitch;
        }
        surface.SetFormat({w, h, xPitch, yPitch, format.bitsPerPixel, format.flags});
        surface.pixels = block.get() + origin;
    }
    ~TestSurface() { surface.pixels = nullptr; } // the block is ours, not the surface's
};

// Colours with the edge cases of the key: pure red, the reds just below it
// that still count as key on the converting route, and near misses.
const uint32_t kColours[16] = {
    0x000000FF, 0x000000F8, 0x000000FA, 0x000001F8, 0x000000F7, 0x0000FFFF, 0x00FFFFFF, 0x00000000,
    0x00808080, 0x00010203, 0x0000FF00, 0x00FF0000, 0x00F8FCF8, 0x00123456, 0x007F7F7F, 0x00FEFEFE};

uint32_t RawWord(const CSurface& s, int64_t x, int64_t y) {
    return gfxtest::RawWord(s, int32_t(x), int32_t(y));
}

// A snapshot of every raw word, indexed [y * width + x].
std::vector<uint32_t> Snapshot(const CSurface& s) {
    std::vector<uint32_t> words(size_t(s.width) * size_t(s.height));
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            words[size_t(y) * s.width + x] = RawWord(s, x, y);
    return words;
}

uint32_t Encode(const CSurface& s, uint32_t colour) {
    return ColourToPixel(PixelFormatOf(s.formatFlags, s.bitsPerPixel), colour);
}
uint32_t Decode(const CSurface& s, uint32_t word) {
    return PixelToColour(PixelFormatOf(s.formatFlags, s.bitsPerPixel), word);
}

uint32_t RawKey(const CSurface& dest) {
    if (dest.bitsPerPixel == 32)
        return 0x00FF0000;
    return (dest.formatFlags & kfDirect555) ? 0x7C00 : 0xF800;
}
bool IsKeyColour(uint32_t c) {
    return c >= 248 && c <= 255;
}

void Fill(CSurface& s, ByteReader& in) {
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            s.SetPixel(x, y, kColours[(in.U8() + x + 3 * y) & 15]);
}

int32_t Coord(ByteReader& in) {
    switch (in.U8() & 3) {
    case 0:
    case 1:
        return int8_t(in.U8());
    case 2:
        return int16_t(in.U16());
    default:
        return in.I32();
    }
}

// Every pixel outside [left, right) x [top, bottom) kept its word.
void CheckOutsideUnchanged(const CSurface& dest, const std::vector<uint32_t>& before, int64_t left,
                           int64_t top, int64_t right, int64_t bottom, const char* what) {
    for (int32_t y = 0; y < dest.height; ++y)
        for (int32_t x = 0; x < dest.width; ++x)
            if (x < left || x >= right || y < top || y >= bottom)
                FUZZ_CHECK(RawWord(dest, x, y) == before[size_t(y) * dest.width + x], what);
}

// Blit as its contract reads: raw words with the raw key between surfaces
// of one format, colour values with the key colours between others.
void ModelBlit(std::vector<uint32_t>& out, const CSurface& dest, const CSurface& src, int64_t x,
               int64_t y, bool useKey) {
    const bool same = dest.formatFlags == src.formatFlags && dest.bitsPerPixel == src.bitsPerPixel;
    for (int64_t Y = std::max<int64_t>(y, 0); Y < std::min<int64_t>(y + src.height, dest.height);
         ++Y)
        for (int64_t X = std::max<int64_t>(x, 0); X < std::min<int64_t>(x + src.width, dest.width);
             ++X) {
            uint32_t& word = out[size_t(Y) * dest.width + size_t(X)];
            if (same) {
                const uint32_t w = RawWord(src, X - x, Y - y);
                if (!(useKey && w == RawKey(dest)))
                    word = w;
            } else {
                const uint32_t c = Decode(src, RawWord(src, X - x, Y - y));
                if (!(useKey && IsKeyColour(c)))
                    word = Encode(dest, c);
            }
        }
}

void CheckEquals(const CSurface& dest, const std::vector<uint32_t>& expected, const char* what) {
    FUZZ_CHECK(Snapshot(dest) == expected, what);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::UseDisplayFormat(0);
    LoadDigitGlyphs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Input: the operation, the two surfaces, the key, six coordinates and
    // two numbers, then the pixels of the destination and of the source.
    ByteReader in(data, size);
    const int op = in.U8() % 8;
    const int destFormat = in.U8() % 3, srcFormat = in.U8() % 3;
    const int32_t dw = in.Side(kMaxSide), dh = in.Side(kMaxSide);
    const unsigned destLayout = in.U8() % 8;
    const int32_t sw = in.Side(kMaxSide), sh = in.Side(kMaxSide);
    const unsigned srcLayout = in.U8() % 8;
    const bool useKey = in.Bool();
    int32_t c[6];
    for (int32_t& v : c)
        v = Coord(in);
    const int32_t n0 = in.I32(), n1 = in.I32();

    const std::vector<gfxtest::Format>& formats = gfxtest::AllFormats();
    TestSurface destBlock(formats[size_t(destFormat)], dw, dh, destLayout);
    TestSurface srcBlock(formats[size_t(srcFormat)], sw, sh, srcLayout);
    CSurface& dest = destBlock.surface;
    CSurface& src = srcBlock.surface;
    Fill(dest, in);
    Fill(src, in);
    const std::vector<uint32_t> before = Snapshot(dest);

    switch (op) {
    case 0: { // Blit
        const int32_t x = c[0], y = c[1];
        FUZZ_CHECK(dest.Blit(src, x, y, useKey), "a blit between surfaces with pixels succeeds");
        std::vector<uint32_t> expected = before;
        ModelBlit(expected, dest, src, x, y, useKey);
        CheckEquals(dest, expected, "Blit draws exactly the clipped source");
        break;
    }
    case 1: { // onto itself, shifted: as if each word were read after those before it were written
        const int32_t x = c[0], y = c[1];
        FUZZ_CHECK(dest.Blit(dest, x, y, useKey), "a blit onto itself succeeds");
        std::vector<uint32_t> expected = before;
        const uint32_t key = RawKey(dest);
        for (int64_t Y = std::max<int64_t>(y, 0); Y < std::min<int64_t>(int64_t(y) + dh, dh); ++Y)
            for (int64_t X = std::max<int64_t>(x, 0); X < std::min<int64_t>(int64_t(x) + dw, dw);
                 ++X) {
                const uint32_t w = expected[size_t(Y - y) * dw + size_t(X - x)];
                if (!(useKey && w == key))
                    expected[size_t(Y) * dw + size_t(X)] = w;
            }
        CheckEquals(dest, expected, "Blit onto itself copies in reading order");
        break;
    }
    case 2: { // StretchBlit
        const int32_t x = c[0], y = c[1], w = c[2], h = c[3];
        FUZZ_CHECK(dest.StretchBlit(src, x, y, w, h, useKey), "a stretch succeeds");
        std::vector<uint32_t> expected = before;
        if (src.bitsPerPixel == dest.bitsPerPixel && w > 0 && h > 0) {
            for (int64_t Y = std::max<int64_t>(y, 0); Y < std::min<int64_t>(int64_t(y) + h, dh);
                 ++Y)
                for (int64_t X = std::max<int64_t>(x, 0); X < std::min<int64_t>(int64_t(x) + w, dw);
                     ++X) {
                    const int64_t sx = (X - x) * sw / w, sy = (Y - y) * sh / h;
                    const uint32_t word = RawWord(src, sx, sy);
                    if (!(useKey && word == RawKey(dest)))
                        expected[size_t(Y) * dw + size_t(X)] = word;
                }
        }
        CheckEquals(dest, expected, "StretchBlit samples the source nearest, rounding down");
        break;
    }
    case 3: { // BlendBlit
        const int32_t x = c[0], y = c[1];
        const int32_t percent = (n0 & 0x100) ? n1 : int32_t(uint32_t(n0) % 101);
        FUZZ_CHECK(dest.BlendBlit(src, x, y, useKey, percent), "a blend succeeds");
        std::vector<uint32_t> expected = before;
        for (int64_t Y = std::max<int64_t>(y, 0); Y < std::min<int64_t>(int64_t(y) + sh, dh); ++Y)
            for (int64_t X = std::max<int64_t>(x, 0); X < std::min<int64_t>(int64_t(x) + sw, dw);
                 ++X) {
                const uint32_t s = Decode(src, RawWord(src, X - x, Y - y));
                if (useKey && IsKeyColour(s))
                    continue;
                uint32_t& word = expected[size_t(Y) * dw + size_t(X)];
                const uint32_t d = Decode(dest, word);
                uint32_t mixed = 0;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const int64_t v = (int64_t((d >> shift) & 0xFF) * (100 - int64_t(percent)) +
                                       int64_t((s >> shift) & 0xFF) * percent) /
                                      100;
                    mixed |= (uint32_t(uint64_t(v)) & 0xFF) << shift;
                }
                word = Encode(dest, mixed);
            }
        CheckEquals(dest, expected, "BlendBlit mixes by the percentage");
        break;
    }
    case 4: { // StretchToTrapezoid: only its bounding rectangle may change
        const int32_t left = c[0], right = c[1], topLeft = c[2], topRight = c[3];
        const int32_t bottomLeft = c[4], bottomRight = c[5];
        const bool ok =
            dest.StretchToTrapezoid(src, left, right, topLeft, topRight, bottomLeft, bottomRight);
        FUZZ_CHECK(ok == (topLeft <= bottomLeft && topRight <= bottomRight),
                   "a trapezoid fails only when a top lies below its bottom");
        CheckOutsideUnchanged(dest, before, left, std::min(topLeft, topRight), int64_t(right) + 1,
                              int64_t(std::max(bottomLeft, bottomRight)) + 1,
                              "StretchToTrapezoid stays inside its quad's bounds");
        break;
    }
    case 5: { // CopyPixel
        const int32_t sx = c[0], sy = c[1], dx = c[2], dy = c[3];
        dest.CopyPixel(src, sx, sy, dx, dy, useKey);
        std::vector<uint32_t> expected = before;
        if (sx >= 0 && sx < sw && sy >= 0 && sy < sh && dx >= 0 && dx < dw && dy >= 0 && dy < dh) {
            CSurface one;
            one.SetFormat({1, 1, src.xPitch, src.yPitch, src.bitsPerPixel, src.formatFlags});
            one.pixels = src.pixels + int64_t(sx) * src.xPitch + int64_t(sy) * src.yPitch;
            ModelBlit(expected, dest, one, dx, dy, useKey);
            one.pixels = nullptr;
        }
        CheckEquals(dest, expected, "CopyPixel copies one pixel when both ends are inside");
        break;
    }
    case 6: { // CopySample into a word of its own
        std::unique_ptr<uint8_t[]> word(new uint8_t[size_t(dest.bitsPerPixel / 8)]());
        dest.CopySample(src, c[0], c[1], word.get(), useKey);
        break;
    }
    default: { // DrawNumber: glyphs go right from x, one glyph high
        const int32_t x = c[0], y = c[1];
        const int32_t digits = (n1 & 0x100) ? n1 : int32_t(uint32_t(n1) % 16);
        FUZZ_CHECK(dest.DrawNumber(g_digitGlyphs, n0, x, y, digits),
                   "digits draw once the glyphs are loaded");
        int64_t glyphHeight = 0;
        for (const CSurface& glyph : g_digitGlyphs)
            glyphHeight = std::max<int64_t>(glyphHeight, glyph.height);
        CheckOutsideUnchanged(dest, before, x, y, INT64_MAX, int64_t(y) + glyphHeight,
                              "DrawNumber stays right of x and inside the glyphs' rows");
        break;
    }
    }
    return 0;
}
