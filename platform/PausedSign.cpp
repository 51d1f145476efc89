#include "platform/PausedSign.h"

namespace {

// Five columns by seven rows a letter, the top row first, bit 4 the left.
const uint8_t kLetters[6][7] = {
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}, // P
    {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, // A
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}, // U
    {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}, // S
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}, // E
    {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}, // D
};
const int kDot = 3;    // screen pixels a side for one dot of a letter
const int kGap = 1;    // dots between letters
const int kMargin = 3; // dots of plate around the word
const uint32_t kBlack = 0x000000;
const uint32_t kYellow = 0x00FFFF;

} // namespace

void DrawPausedSign(CFramebuffer& framebuffer, const PlatRect& area) {
    const int letters = 6;
    const int width = (letters * 5 + (letters - 1) * kGap + 2 * kMargin) * kDot;
    const int height = (7 + 2 * kMargin) * kDot;
    // Halves round toward zero, like every centring of the game.
    const int left = area.left + (area.right - area.left - width) / 2;
    const int top = area.top + (area.bottom - area.top - height) / 2;
    framebuffer.Fill({left, top, left + width, top + height}, kBlack);
    for (int n = 0; n < letters; ++n) {
        const int x0 = left + (kMargin + n * (5 + kGap)) * kDot;
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 5; ++column) {
                if (!(kLetters[n][row] & (0x10 >> column)))
                    continue;
                const int x = x0 + column * kDot;
                const int y = top + (kMargin + row) * kDot;
                framebuffer.Fill({x, y, x + kDot, y + kDot}, kYellow);
            }
        }
    }
}
