// The display device: full-screen game mode, the back buffer every frame is
// composed in, and its copy to the framebuffer.
#pragma once
#include "gfx/Surface.h"
#include "platform/PlatformTypes.h"

// The one bracket of direct drawing, for the game's frames, the fade and
// the loading picture alike: from BeginScreenDraw `screen` addresses the
// framebuffer (no pixels while the display is closed or suspended);
// EndScreenDraw puts what was drawn on the glass and lets go of it.
void BeginScreenDraw(CSurface& screen);
void EndScreenDraw(CSurface& screen);

// The shell's full screen for `window`, asked for as the handheld wants it:
// the input panel away, the moment the device's shell needs (none here),
// then topmost and with no bars.
void EnterFullScreen(HWND window);

// The CSurface base is the screen surface the game draws on. Outside a
// BeginDraw..EndDraw bracket it borrows the back buffer's pixels and format;
// inside it addresses the framebuffer with the platform's pitches. It never
// owns what it points at.
class CDisplay : public CSurface {
public:
    // Opens input and full screen, the platform display, and a back buffer
    // the size of the window's client area. `window` is required. If the back
    // buffer cannot be made, the screen surface has no pixels and draws nothing.
    explicit CDisplay(HWND window);
    // Closes the display and input, gives the shell back its bars, releases
    // the back buffer.
    ~CDisplay() override;

    // Points the screen surface at the framebuffer and gives the screen
    // position of the client area. Brackets never nest.
    void BeginDraw(int32_t* x, int32_t* y);
    void EndDraw();
    // The same bracket over the picture a suspended display left on the
    // glass (a sign over the paused game); the display stays suspended.
    void BeginDrawOverPause(int32_t* x, int32_t* y);
    void EndDrawOverPause();
    // One raw copy of the back buffer to the client area's place on screen.
    // False when there is no framebuffer or no back buffer.
    bool Present();
    // Eleven frames of the back buffer from 100 percent brightness down to
    // `lowest` (0 to 100) in even steps, rounded toward the brighter: 100,
    // 90, ..., 0 by default; the back buffer itself is left unchanged. A
    // fade that stops at a higher `lowest` is a softer change of light.
    bool FadeOut(int32_t lowest = 0);
    // One of FadeOut's frames: `frame` made a copy of the back buffer at
    // `percent` brightness, pixel for pixel what
    // frame.CopyTinted(backBuffer, percent, percent, percent) makes, with
    // the same result.
    bool TintBackBuffer(CSurface& frame, int32_t percent) const;
    void Suspend();
    // Opens input again in full, then resumes the display.
    void Resume();
    void OpenInput();
    void CloseInput();

    CSurface backBuffer;
    HWND window;

protected:
    void PointAtBackBuffer();
    void GetClientOrigin(int32_t* x, int32_t* y) const;
};
