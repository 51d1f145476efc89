// The device screen's memory: a block laid out by any pair of pitches (either
// may be negative, as on a rotated screen), with pixel (0, 0) somewhere
// inside it. The block is what the player sees: presenting draws into it and
// a backend shows it from there, so a frame is copied once on its way to the
// screen.
#pragma once
#include "platform/GX.h"
#include <cstddef>
#include <vector>

// The handheld's screen, which every device shows: 240 x 320 pixels of
// 16-bit 565. Only a headless run may lay out another, to try the game on it.
const int32_t kScreenWidth = 240;
const int32_t kScreenHeight = 320;
const int32_t kScreenBitsPerPixel = 16;
const uint32_t kScreenFormat = kfDirect565;

class CFramebuffer {
public:
    // Lays out an all-black block. Pitches of 0 mean natural (bpp / 8, and
    // width * |xPitch|). False, leaving everything as it was, when the layout
    // is unusable: width or height below 1, bpp not 8, 16, 24 or 32, a pitch
    // smaller than a pixel, or a block beyond 64 MB.
    bool Configure(int32_t width, int32_t height, int32_t bitsPerPixel, uint32_t format,
                   int32_t xPitch, int32_t yPitch);
    // Lays out the handheld's screen (kScreenWidth ...), natural pitches.
    void ConfigureScreen() {
        Configure(kScreenWidth, kScreenHeight, kScreenBitsPerPixel, kScreenFormat, 0, 0);
    }

    const GXDisplayProperties& Properties() const { return m_props; }
    uint8_t* Origin() { return m_block.data() + m_nOrigin; }
    const std::vector<uint8_t>& Memory() const { return m_block; }

    // Fills a rectangle in screen coordinates (clipped) with a colour value
    // (red in bits 0-7, green 8-15, blue 16-23), in the block's format.
    void Fill(const PlatRect& rect, uint32_t colour);

    const uint8_t* Origin() const { return m_block.data() + m_nOrigin; }

    // The block has been put on screen (a present or a paint).
    void MarkShown() { m_bShown = true; }
    bool HasShown() const { return m_bShown; }
    // Colour value of a pixel; 0 <= x < width, 0 <= y < height.
    uint32_t Colour(int32_t x, int32_t y) const;
    // The frame as a 24-bit BMP. False when nothing was shown yet or the
    // file cannot be written.
    bool SaveShown(const char* path) const;

    static bool IsSupported(uint32_t format, int32_t bitsPerPixel);

private:
    GXDisplayProperties m_props = {};
    std::vector<uint8_t> m_block;
    size_t m_nOrigin = 0;
    bool m_bShown = false;
};
