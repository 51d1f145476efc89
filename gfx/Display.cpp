#include "gfx/Display.h"
#include "platform/GX.h"
#include "platform/Time.h"
#include "platform/WindowSystem.h"
#include <cstring>

CDisplay::CDisplay(HWND hwnd) : window(hwnd) {
    OpenInput();
    // Flags 0: full screen comes from the shell calls of OpenInput.
    GXOpenDisplay(window, 0);
    PlatRect client = {0, 0, 0, 0};
    PlatGetClientRect(window, &client);
    // If this fails the screen surface has no pixels and every blit onto it
    // draws nothing; the game carries on.
    backBuffer.Create(client.right - client.left, client.bottom - client.top);
    PointAtBackBuffer();
}

CDisplay::~CDisplay() {
    pixels = nullptr; // borrowed: the back buffer releases its own
    GXCloseDisplay();
    CloseInput();
}

void CDisplay::PointAtBackBuffer() {
    pixels = backBuffer.pixels;
    SetFormat(backBuffer.Format());
}

void CDisplay::GetClientOrigin(int32_t* x, int32_t* y) const {
    PlatRect client = {0, 0, 0, 0};
    PlatGetClientRect(window, &client);
    PlatPoint topLeft = {client.left, client.top};
    PlatPoint bottomRight = {client.right, client.bottom};
    PlatClientToScreen(window, &topLeft);
    PlatClientToScreen(window, &bottomRight);
    *x = topLeft.x;
    *y = topLeft.y;
}

void EnterFullScreen(HWND window) {
    PlatSipShowIM(SIPF_OFF);
    // Only a shell that needs a moment before it takes the full-screen calls
    // is waited for; none of ours does.
    if (const uint32_t settle = PlatShellSettleMs())
        PlatSleep(settle);
    PlatSetExStyle(window, PlatGetExStyle(window) | WS_EX_TOPMOST);
    SHINITDLGINFO info = {SHIDIM_FLAGS, window, SHIDIF_FULLSCREENNOMENUBAR};
    PlatSHInitDialog(&info);
    PlatSHFullScreen(window, SHFS_HIDETASKBAR);
    PlatSHFullScreen(window, SHFS_HIDESTARTICON);
    PlatSHFullScreen(window, SHFS_HIDESIPBUTTON);
}

void CDisplay::OpenInput() {
    PlatShowWindow(window, SW_SHOW);
    GXOpenInput();
    EnterFullScreen(window);
}

void CDisplay::CloseInput() {
    GXCloseInput();
    PlatSetExStyle(window, PlatGetExStyle(window) & ~uint32_t(WS_EX_TOPMOST));
    PlatInvalidate(window, false);
    PlatSHFullScreen(window, SHFS_SHOWTASKBAR);
    PlatSHFullScreen(window, SHFS_SHOWSTARTICON);
    PlatSHFullScreen(window, SHFS_SHOWSIPBUTTON);
}

void BeginScreenDraw(CSurface& screen) {
    screen.pixels = static_cast<uint8_t*>(GXBeginDraw());
    screen.SetFormat(GXGetDisplayProperties());
}

void EndScreenDraw(CSurface& screen) {
    GXEndDraw();
    screen.pixels = nullptr; // borrowed, never owned
}

void CDisplay::BeginDraw(int32_t* x, int32_t* y) {
    GetClientOrigin(x, y);
    BeginScreenDraw(*this);
}

void CDisplay::EndDraw() {
    EndScreenDraw(*this);
    PointAtBackBuffer();
}

void CDisplay::BeginDrawOverPause(int32_t* x, int32_t* y) {
    GXResume();
    BeginDraw(x, y);
}

void CDisplay::EndDrawOverPause() {
    EndDraw();
    GXSuspend();
}

bool CDisplay::Present() {
    int32_t x = 0, y = 0;
    BeginDraw(&x, &y);
    // Same format as the back buffer, so this is one raw copy through the
    // framebuffer's pitches, whatever their signs.
    const bool result = Blit(backBuffer, x, y, false);
    EndDraw();
    return result;
}

bool CDisplay::FadeOut(int32_t lowest) {
    const int32_t drop = 100 - (lowest < 0 ? 0 : lowest > 100 ? 100 : lowest);
    for (int32_t step = 0; step <= 10; ++step) {
        const int32_t percent = 100 - drop * step / 10;
        CSurface frame;
        if (!TintBackBuffer(frame, percent))
            return false;
        int32_t x = 0, y = 0;
        BeginDraw(&x, &y);
        Blit(frame, x, y, false);
        EndDraw();
        // Each of the eleven steps is seen: a window folds pictures that
        // come faster than its display takes them.
        PlatHoldPicture();
    }
    return true;
}

namespace {

// A channel of `bits` bits, as a colour value reads it back (shifted up,
// low bits zero), scaled by percent (0..100) and stored back in `bits` bits.
template <int Bits> struct ChannelTable {
    uint32_t scaled[1 << Bits];
    explicit ChannelTable(int32_t percent) {
        for (uint32_t v = 0; v < (1u << Bits); ++v)
            scaled[v] = ((v << (8 - Bits)) * uint32_t(percent) / 100) >> (8 - Bits);
    }
};

// Rows of `width` words laid out as Create lays them out, each word
// replaced by tint(word).
template <typename Word, typename Tint>
void TintRows(uint8_t* out, const uint8_t* in, int32_t width, int32_t height, int32_t pitch,
              Tint tint) {
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* s = in + ptrdiff_t(y) * pitch;
        uint8_t* d = out + ptrdiff_t(y) * pitch;
        for (int32_t x = 0; x < width; ++x, s += sizeof(Word), d += sizeof(Word)) {
            Word w;
            std::memcpy(&w, s, sizeof w);
            const Word t = tint(w);
            std::memcpy(d, &t, sizeof t);
        }
    }
}

// 16-bit words with fields of 5, 5 or 6, and 5 bits.
template <int RedShift, int GreenBits>
void TintRows16(uint8_t* out, const uint8_t* in, int32_t width, int32_t height, int32_t pitch,
                int32_t percent) {
    const ChannelTable<5> five(percent);
    const ChannelTable<GreenBits> green(percent);
    const uint32_t greenMask = (1u << GreenBits) - 1;
    TintRows<uint16_t>(out, in, width, height, pitch, [&](uint16_t w) {
        return uint16_t(five.scaled[(w >> RedShift) & 31] << RedShift |
                        green.scaled[(w >> 5) & greenMask] << 5 | five.scaled[w & 31]);
    });
}

void TintRows32(uint8_t* out, const uint8_t* in, int32_t width, int32_t height, int32_t pitch,
                int32_t percent) {
    const ChannelTable<8> table(percent);
    TintRows<uint32_t>(out, in, width, height, pitch, [&](uint32_t w) {
        return table.scaled[(w >> 16) & 0xFF] << 16 | table.scaled[(w >> 8) & 0xFF] << 8 |
               table.scaled[w & 0xFF];
    });
}

} // namespace

bool CDisplay::TintBackBuffer(CSurface& frame, int32_t percent) const {
    const CSurface& source = backBuffer;
    // 100 percent is CopyTinted's block copy, and percentages outside 0..100
    // clamp; both are left to it, as is everything before its pixel loop.
    if (percent < 0 || percent >= 100 || !source.pixels || &frame == &source)
        return frame.CopyTinted(source, percent, percent, percent);
    if (!frame.Create(source.width, source.height))
        return false;
    // Rows laid out alike (the back buffer and the frame both come from
    // Create in the display's format): each channel goes through a table of
    // its scaled values, the same integers as the colour-value route, which
    // takes everything else.
    const bool sameLayout = source.xPitch == frame.xPitch && source.yPitch == frame.yPitch &&
                            source.bitsPerPixel == frame.bitsPerPixel &&
                            source.formatFlags == frame.formatFlags;
    if (sameLayout && frame.bitsPerPixel == 16 && (frame.formatFlags & kfDirect555)) {
        TintRows16<10, 5>(frame.pixels, source.pixels, frame.width, frame.height, frame.yPitch,
                          percent);
        return true;
    }
    if (sameLayout && frame.bitsPerPixel == 16 && (frame.formatFlags & kfDirect565)) {
        TintRows16<11, 6>(frame.pixels, source.pixels, frame.width, frame.height, frame.yPitch,
                          percent);
        return true;
    }
    if (sameLayout && frame.bitsPerPixel == 32 && (frame.formatFlags & kfDirect888)) {
        TintRows32(frame.pixels, source.pixels, frame.width, frame.height, frame.yPitch, percent);
        return true;
    }
    return frame.CopyTinted(source, percent, percent, percent);
}

void CDisplay::Suspend() {
    GXSuspend();
}

void CDisplay::Resume() {
    OpenInput();
    GXResume();
}
