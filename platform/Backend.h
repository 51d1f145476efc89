// The seam between the platform's services and a device. The service files
// (Display.cpp, Window.cpp, Sound.cpp, Presenter.cpp, ...) hold what is
// common, pacing included; a backend is only the device: a clock and a
// wait, a screen it can put up, input, boxes and sound. Only platform/ and
// the programs that choose a backend include this header.
//
// Contract for a backend (see HACKING.md, "Adding a backend"):
// - It lives in its own folder under platform/, builds as its own library
//   and offers one maker function of type PlatBackendMaker, which starts the
//   device and tells the presenter its pace (PlatPresenter().Start).
// - It implements every function below; a service it cannot offer (no sound
//   device, no cursor) is a quiet no-op.
// - Nothing it does may block except Sleep, WaitEvents and a modal
//   MessageBox. PutPicture puts the framebuffer up as it is, at once: when
//   pictures go up, and when the loop waits for a frame, is the presenter's
//   business, not the device's.
// - It reports the keyboard focus with PlatSetAppFocus, and input as queued
//   messages (PlatPostInput and the other calls of PlatformInternal.h).
// - A device with a shell that needs a moment before its full-screen calls
//   says how long with PlatSetShellSettle after its start; none here does,
//   and the wait would fall on every resume.
#pragma once
#include "platform/Framebuffer.h"
#include "platform/Platform.h"
#include "platform/PlatformTypes.h"
#include <cstddef>
#include <cstdint>

// A message box as a device shows it: the game's MB_ type read once, in
// PlatMessageBox, into the buttons the box offers and the sign it shows.
// Numbered as the page's box (web/page.js) numbers them.
enum class EBoxButtons { Ok = 0, OkCancel = 1, YesNo = 2 };
enum class EBoxSign { None, Information, Question };
struct PlatBox {
    const char* text;    // never null
    const char* caption; // never empty: the game's name when none was given
    EBoxButtons buttons;
    EBoxSign sign;
};
PlatBox PlatDecodeBox(const char* text, const char* caption, uint32_t type);
// What a press of the box's first button (OK, Yes) or its second (Cancel,
// No) answers; an OK-only box answers IDOK whatever is pressed.
int32_t PlatBoxAnswer(EBoxButtons buttons, bool first);
// The answer of a box closed without a button, or that nobody can answer:
// the one that changes nothing (Cancel, No; OK when that is all it has).
int32_t PlatBoxDismissed(EBoxButtons buttons);
// The box's MB_ type again, for a record of what was asked.
uint32_t PlatBoxType(const PlatBox& box);

class CBackend {
public:
    // ---- Start and stop: the maker starts; these stop ----
    virtual ~CBackend() = default;
    // The platform is done with the device. Most delete themselves; one
    // whose state must outlive the run (the headless one, read by tests)
    // stays.
    virtual void Release() = 0;

    // ---- The clock and the wait ----
    // Microseconds since the device started; the game's tick count is this
    // in milliseconds.
    virtual uint64_t Microseconds() = 0;
    virtual void Sleep(uint32_t ms) = 0;

    // ---- The picture ----
    // The device screen. Between pictures it holds what the player sees, so
    // screenshots read it directly.
    virtual CFramebuffer& Framebuffer() = 0;
    // Puts the framebuffer on the glass now (the presenter decides when).
    virtual void PutPicture() = 0;

    // ---- Input ----
    // Turns whatever input has arrived into queued messages; never waits.
    virtual void PumpEvents() = 0;
    // The queue is empty and the caller waits: block until something may
    // have arrived. A device for which nothing can ever arrive posts a quit.
    virtual void WaitEvents() = 0;

    // ---- The box ----
    // Modal; IDOK, IDCANCEL, IDYES or IDNO.
    virtual int32_t MessageBox(const PlatBox& box) = 0;

    // ---- Sound ----
    // `data`/`size`: the wave resource, or null/0 when there is none. Never
    // called while the sound is muted.
    virtual void PlayWave(int id, const unsigned char* data, size_t size) = 0;
    // The mute switch changed (PlatSetMuted): cut off what plays when
    // `muted`; ready the device when not, if it was never opened.
    virtual void MuteChanged(bool muted) = 0;

    // ---- The window's mode ----
    // The busy cursor over the game while a long job runs.
    virtual void SetWaitCursor(bool on) = 0;
};

// A maker's body: a new `Device`, started with its `bool Start(const
// PlatConfig&)`; null (and nothing left behind) when it cannot start.
template <typename Device> CBackend* PlatStartDevice(const PlatConfig& config) {
    Device* device = new Device;
    if (device->Start(config))
        return device;
    delete device;
    return nullptr;
}

// The running backend: a quiet one that shows and hears nothing until
// PlatStartup starts another.
CBackend* PlatBackend();
// Makes `backend` the running one without handing it over (tests and the
// headless controls); null goes back to the quiet one.
void PlatSetBackend(CBackend* backend);
