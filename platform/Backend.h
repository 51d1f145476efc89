// The seam between the platform's services and the machinery behind them.
// The service files (Display.cpp, Window.cpp, Sound.cpp, ...) hold what is
// common; a backend supplies time, the screen, input, boxes and sound. Only
// platform/ includes this header.
#pragma once
#include "platform/Framebuffer.h"
#include "platform/Platform.h"
#include "platform/PlatformTypes.h"
#include <cstddef>
#include <string>

class CBackend {
public:
    virtual ~CBackend() = default;

    virtual bool IsHeadless() const = 0;

    // The call record for tests; a backend that keeps none answers false and
    // nobody formats lines for it.
    virtual bool Records() const { return false; }
    virtual void Record(const std::string& /*line*/) {}

    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t ms) = 0;

    // The device screen. Its shown copy is what the player sees.
    virtual CFramebuffer& Framebuffer() = 0;
    // The shown copy changed (a frame was presented or a window painted).
    virtual void Show() {}
    // Called after each GXEndDraw: the place to hold the frame rate down.
    virtual void PaceFrame() {}
    virtual void SetWaitCursor(bool /*on*/) {}

    // The client area, in screen coordinates, of a window whose rectangle is
    // `rect`; `frame` tells a frame window from a dialog.
    virtual PlatRect ClientArea(const PlatRect& rect, bool /*frame*/) { return rect; }

    // Turns whatever input has arrived into queued messages; never waits.
    virtual void PumpEvents() {}
    // The queue is empty and the caller waits: block until something may
    // have arrived. A backend for which nothing can ever arrive posts a quit.
    virtual void WaitEvents() = 0;
    // False while another program has the keyboard focus.
    virtual bool AppHasFocus() { return true; }

    // Modal; IDOK or IDCANCEL.
    virtual int32_t MessageBox(const char* text, const char* caption, uint32_t type) = 0;
    // `data`/`size`: the wave resource, or null/0 when there is none.
    virtual void PlayWave(int id, const unsigned char* data, size_t size) = 0;

    // Idle passes are numbered from 1. Before a pass runs, the backend may
    // queue messages meant to arrive ahead of it (true when it did; the run
    // loop then handles them first and asks again, for the same number).
    virtual bool QueueBeforePass(int /*pass*/) { return false; }
    virtual void StartPass(int /*pass*/) {}

    int m_nPasses = 0;     // idle passes run so far (or let go by while waiting)
    int m_nFrameLimit = 0; // end the run after this many passes; 0 = never
};

// The running backend; the headless one until PlatStartup picks another.
CBackend* PlatBackend();
void PlatSetBackend(CBackend* backend);
CBackend* PlatHeadlessBackend();
#ifdef QUIBBO_HAVE_SDL
CBackend* PlatCreateSdlBackend(
    const PlatConfig& config); // null, after one line on stderr, when it cannot start
#endif
