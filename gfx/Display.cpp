#include "gfx/Display.h"
#include "platform/GX.h"
#include "platform/Time.h"
#include "platform/WindowSystem.h"

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

void CDisplay::OpenInput() {
    PlatShowWindow(window, SW_SHOW);
    GXOpenInput();
    PlatSipShowIM(SIPF_OFF);
    // The shell needs a moment before it accepts the full-screen calls.
    PlatSleep(500);
    PlatSetExStyle(window, PlatGetExStyle(window) | WS_EX_TOPMOST);
    SHINITDLGINFO info = {SHIDIM_FLAGS, window, SHIDIF_FULLSCREENNOMENUBAR};
    PlatSHInitDialog(&info);
    PlatSHFullScreen(window, SHFS_HIDETASKBAR);
    PlatSHFullScreen(window, SHFS_HIDESTARTICON);
    PlatSHFullScreen(window, SHFS_HIDESIPBUTTON);
}

void CDisplay::CloseInput() {
    GXCloseInput();
    PlatSetExStyle(window, PlatGetExStyle(window) & ~uint32_t(WS_EX_TOPMOST));
    PlatInvalidate(window, false);
    PlatSHFullScreen(window, SHFS_SHOWTASKBAR);
    PlatSHFullScreen(window, SHFS_SHOWSTARTICON);
    PlatSHFullScreen(window, SHFS_SHOWSIPBUTTON);
}

void CDisplay::BeginDraw(int32_t* x, int32_t* y) {
    GetClientOrigin(x, y);
    pixels = static_cast<uint8_t*>(GXBeginDraw());
    SetFormat(GXGetDisplayProperties());
}

void CDisplay::EndDraw() {
    GXEndDraw();
    PointAtBackBuffer();
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

bool CDisplay::FadeOut() {
    int32_t x = 0, y = 0;
    GetClientOrigin(&x, &y);
    for (int32_t percent = 100; percent >= 0; percent -= 10) {
        CSurface frame;
        if (!frame.CopyTinted(backBuffer, percent, percent, percent))
            return false;
        pixels = static_cast<uint8_t*>(GXBeginDraw());
        SetFormat(GXGetDisplayProperties());
        Blit(frame, x, y, false);
        GXEndDraw();
        PointAtBackBuffer();
    }
    return true;
}

void CDisplay::Suspend() {
    GXSuspend();
}

void CDisplay::Resume() {
    OpenInput();
    GXResume();
}
