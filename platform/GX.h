// Direct display access: a framebuffer pointer with its geometry, valid
// between GXBeginDraw and GXEndDraw, plus button input and suspend/resume.
#pragma once
#include "platform/PixelFormat.h"
#include "platform/PlatformTypes.h"

// The six 32-bit values describing the framebuffer, in this order; the
// surfaces copy them as one block.
struct GXDisplayProperties {
    int32_t cxWidth;
    int32_t cyHeight;
    int32_t cbxPitch;  // bytes from a pixel to its right-hand neighbour; may be negative
    int32_t cbyPitch;  // bytes from a pixel to the one below it; may be negative
    int32_t cBPP;      // bits per pixel
    uint32_t ffFormat; // kfDirect* bits (platform/PixelFormat.h)
};


int GXOpenDisplay(HWND hwnd, uint32_t flags);
int GXCloseDisplay();
GXDisplayProperties GXGetDisplayProperties();
// Address of pixel (0, 0) of the framebuffer, or null. Valid until GXEndDraw.
void* GXBeginDraw();
int GXEndDraw();
// After GXEndDraw, for a picture that is one step of an animation outside
// the frame (a fade): keeps it on the display for one refresh. A shot's
// trace does not use it, so it never costs a frame.
void PlatHoldPicture();
int GXSuspend();
int GXResume();
int GXOpenInput();
int GXCloseInput();
