// The seam between the platform's services and the machinery behind them.
// The service files (Display.cpp, Window.cpp, Sound.cpp, ...) hold what is
// common; a backend supplies time, the screen, input, boxes and sound. Only
// platform/ and the programs that choose a backend include this header.
//
// Contract for a backend (see HACKING.md, "Adding a backend"):
// - It lives in its own folder under platform/, builds as its own library
//   and offers one maker function of type PlatBackendMaker.
// - Nothing it does may block except WaitEvents, WaitForFrameSlot, Sleep and
//   a modal MessageBox. In particular Show puts a frame on screen without
//   waiting for the display: the run loop waits once per idle pass, in
//   WaitForFrameSlot, and nowhere else.
// - A service it cannot offer (no sound device, no cursor) is a quiet no-op.
#pragma once
#include "platform/Framebuffer.h"
#include "platform/Platform.h"
#include "platform/PlatformTypes.h"
#include <cstddef>
#include <string>

class CBackend {
public:
    virtual ~CBackend() = default;
    // The platform is done with the backend. Most delete themselves; one
    // whose state must outlive the run (the headless one, read by tests)
    // stays.
    virtual void Release() { delete this; }

    virtual bool IsHeadless() const = 0;

    // The call record for tests; a backend that keeps none answers false and
    // nobody formats lines for it.
    virtual bool Records() const { return false; }
    virtual void Record(const std::string& /*line*/) {}

    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t ms) = 0;

    // The device screen. Between presents it holds what the player sees, so
    // screenshots read it directly.
    virtual CFramebuffer& Framebuffer() = 0;
    // The framebuffer changed (a direct-drawing bracket ended or a window was
    // painted): show it now, without waiting for a frame slot.
    virtual void Show() {}
    // The picture just shown must be seen whole (a step of a fade): it goes
    // up, at the next refresh if one went up too recently, and stays for one
    // refresh before anything replaces it. Nothing to do where every picture
    // is kept (headless).
    virtual void HoldPicture() {}
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
    // `data`/`size`: the wave resource, or null/0 when there is none. Never
    // called while the sound is muted.
    virtual void PlayWave(int id, const unsigned char* data, size_t size) = 0;
    // The mute switch changed (PlatSetMuted): cut off what plays when
    // `muted`; ready the device when not, if it was never opened.
    virtual void MuteChanged(bool /*muted*/) {}

    // ---- The run loop's two calls around each idle pass ----
    // Before a pass: true when input that belongs ahead of it was queued
    // (the loop handles it and asks again); otherwise the pass is counted,
    // numbered from 1, and may run.
    bool BeginPass();
    // After a pass: the loop's one wait for the next frame slot, then the
    // end of the run (a quit, exit code 0) once the frame limit is reached.
    void EndPass();

    int Passes() const { return m_nPasses; }
    // 0: no limit. PlatStartup sets it from PlatConfig::frames.
    void SetFrameLimit(int frames) { m_nFrameLimit = frames > 0 ? frames : 0; }
    int FrameLimit() const { return m_nFrameLimit; }

protected:
    // Input scripted or held back for pass `pass`; true when any was queued.
    virtual bool QueueBeforePass(int /*pass*/) { return false; }
    virtual void PassStarted() {}
    // Holds the frame rate down; the only place a pass waits for the display.
    virtual void WaitForFrameSlot() {}

    int m_nPasses = 0; // idle passes run so far (or let go by while waiting)

private:
    int m_nFrameLimit = 0;
};

// The running backend: a quiet one that shows and hears nothing until
// PlatStartup starts another.
CBackend* PlatBackend();
// Makes `backend` the running one without handing it over (tests and the
// headless controls); null goes back to the quiet one.
void PlatSetBackend(CBackend* backend);
