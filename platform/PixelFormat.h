// The pixel formats the device screen and the surfaces share: their flags,
// which flags and depth make which format, and how a pixel word and a colour
// value (red in bits 0-7, green 8-15, blue 16-23) turn into each other.
// A leaf: everything that reads or writes pixels includes this and nothing
// else decides a format.
#pragma once
#include <cstdint>

// Format flags, as the display reports them.
enum : uint32_t {
    kfDirect555 = 0x40,
    kfDirect565 = 0x80,
    kfDirect888 = 0x100,
};

enum class EPixelFormat { Unsupported, Rgb555, Rgb565, Rgb888 };

// First match decides: a 16-bit surface flagged both 5-5-5 and 5-6-5 is
// 5-5-5. Other flags are carried along and ignored.
constexpr EPixelFormat PixelFormatOf(uint32_t flags, int32_t bitsPerPixel) {
    return (flags & kfDirect555) && bitsPerPixel == 16   ? EPixelFormat::Rgb555
           : (flags & kfDirect565) && bitsPerPixel == 16 ? EPixelFormat::Rgb565
           : (flags & kfDirect888) && bitsPerPixel == 32 ? EPixelFormat::Rgb888
                                                         : EPixelFormat::Unsupported;
}

// Pixel words of each format. Channels are truncated on the way in; on the
// way out the low bits stay zero (a full 5-bit channel reads as 248).
template <EPixelFormat F> struct PixelOf;
template <> struct PixelOf<EPixelFormat::Rgb555> {
    typedef uint16_t Word;
    static uint32_t Colour(uint32_t w) {
        return ((w >> 7) & 0xF8) | ((w >> 2) & 0xF8) << 8 | ((w << 3) & 0xF8) << 16;
    }
    static Word Encode(uint32_t c) {
        const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        return Word(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
    }
};
template <> struct PixelOf<EPixelFormat::Rgb565> {
    typedef uint16_t Word;
    static uint32_t Colour(uint32_t w) {
        return ((w >> 8) & 0xF8) | ((w >> 3) & 0xFC) << 8 | ((w << 3) & 0xF8) << 16;
    }
    static Word Encode(uint32_t c) {
        const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        return Word(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
    }
};
template <> struct PixelOf<EPixelFormat::Rgb888> {
    typedef uint32_t Word;
    static uint32_t Colour(uint32_t w) {
        return ((w >> 16) & 0xFF) | ((w >> 8) & 0xFF) << 8 | (w & 0xFF) << 16;
    }
    static Word Encode(uint32_t c) {
        const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        return (r << 16) | (g << 8) | b;
    }
};

// The same for a format known only at run time. Unsupported formats store
// nothing and read back 0.
inline uint32_t PixelToColour(EPixelFormat format, uint32_t word) {
    switch (format) {
    case EPixelFormat::Rgb555:
        return PixelOf<EPixelFormat::Rgb555>::Colour(word);
    case EPixelFormat::Rgb565:
        return PixelOf<EPixelFormat::Rgb565>::Colour(word);
    case EPixelFormat::Rgb888:
        return PixelOf<EPixelFormat::Rgb888>::Colour(word);
    case EPixelFormat::Unsupported:
        break;
    }
    return 0;
}

inline uint32_t ColourToPixel(EPixelFormat format, uint32_t colour) {
    switch (format) {
    case EPixelFormat::Rgb555:
        return PixelOf<EPixelFormat::Rgb555>::Encode(colour);
    case EPixelFormat::Rgb565:
        return PixelOf<EPixelFormat::Rgb565>::Encode(colour);
    case EPixelFormat::Rgb888:
        return PixelOf<EPixelFormat::Rgb888>::Encode(colour);
    case EPixelFormat::Unsupported:
        break;
    }
    return 0;
}
