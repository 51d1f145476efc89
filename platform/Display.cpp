// The direct-display calls. The framebuffer belongs to the backend; what is
// common is the bracket, the suspend state and the record of calls.
#include "platform/Backend.h"
#include "platform/GX.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"

namespace {
struct DisplayState {
    bool open = false;
    bool suspended = false;
    bool drawing = false;
    int presents = 0;
};
DisplayState g_display;
} // namespace

void PlatResetDisplayState() {
    g_display = DisplayState();
}

int PlatPresentCount() {
    return g_display.presents;
}

int GXOpenDisplay(HWND /*hwnd*/, uint32_t flags) {
    PlatTrace("GXOpenDisplay %u", flags);
    g_display.open = true;
    g_display.suspended = false;
    return 1;
}

int GXCloseDisplay() {
    PlatTrace("GXCloseDisplay");
    g_display.open = false;
    g_display.drawing = false;
    return 1;
}

GXDisplayProperties GXGetDisplayProperties() {
    PlatTrace("GXGetDisplayProperties");
    return PlatBackend()->Framebuffer().Properties();
}

void* GXBeginDraw() {
    PlatTrace("GXBeginDraw");
    // As on the device: no framebuffer before the display is opened or
    // while the system has it.
    if (!g_display.open || g_display.suspended)
        return nullptr;
    g_display.drawing = true;
    return PlatBackend()->Framebuffer().Origin();
}

int GXEndDraw() {
    PlatTrace("GXEndDraw");
    if (!g_display.drawing)
        return 0;
    g_display.drawing = false;
    ++g_display.presents;
    // On the device what was drawn is on the glass at once, and so it is
    // here; only the run loop waits for frame slots, so a bracket outside
    // the frame costs no frame.
    PlatScreenChanged();
    return 1;
}

void PlatScreenChanged() {
    PlatBackend()->Framebuffer().MarkShown();
    PlatPresenter().Show();
}

void PlatHoldPicture() {
    PlatTrace("HoldPicture");
    if (g_display.open && !g_display.suspended)
        PlatPresenter().Hold();
}

int GXSuspend() {
    PlatTrace("GXSuspend");
    g_display.suspended = true;
    return 1;
}

int GXResume() {
    PlatTrace("GXResume");
    g_display.suspended = false;
    return 1;
}

int GXOpenInput() {
    PlatTrace("GXOpenInput");
    return 1;
}

int GXCloseInput() {
    PlatTrace("GXCloseInput");
    return 1;
}
