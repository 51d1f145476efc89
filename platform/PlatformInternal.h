// What the platform's own files share among themselves; game code never
// includes this.
#pragma once
#include "platform/PlatformTypes.h"

// One line in the call record, when the backend keeps one (headless).
void PlatTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A device with a shell that needs a moment before its full-screen calls
// sets it here, after its start (PlatShellSettleMs).
void PlatSetShellSettle(uint32_t ms);

// Forgets every window (their owners' handles are cleared, no messages are
// sent), every queued message, the quit request, the focus and the shell's
// settle time.
void PlatResetWindowSystem();
// Removes a window without sending it anything: for an owner that is being
// deleted and can no longer take messages.
void PlatForgetWindow(HWND hwnd);
// Queues input for the window with the keyboard focus; dropped when none of
// ours has it. The pause key and the mute key (VK_MUTE) are kept here.
void PlatPostInput(uint32_t message, uint32_t wParam, int32_t lParam);
// Makes `hwnd` the window that takes the focus while the program has it.
void PlatSetActiveWindow(HWND hwnd);
// Looks at the focus again and tells the windows about a change
// (WM_KILLFOCUS to the old holder, WM_SETFOCUS to the new one); puts PAUSED
// over the picture when the game has just come to be held (the pause key,
// or the program lost the keyboard), unless a box of ours is up.
void PlatFocusChanged();
// The window close button: WM_CLOSE to the main window (or a quit when
// there is no window left to ask).
void PlatRequestClose();
// The pause key (VK_PAUSE through PlatPostInput): while paused no window has
// the focus, as when another program has it, so the game stops and forgets
// its keys; only Escape still reaches the active window. The word PAUSED is
// drawn over the picture, here as whenever the program loses the keyboard
// (PlatFocusChanged).
void PlatTogglePause();
bool PlatIsPaused();

// PAUSED over the picture as it stands, on the main window's client area.
void PlatPutPausedSign();

// The one way to the glass: the framebuffer was drawn on (a direct-drawing
// bracket ended, a window was painted, the pause sign went up). It becomes
// what a screenshot saves, and goes up through the presenter.
void PlatScreenChanged();

// ---- The run's tape (platform/RunTape.h), where the core takes things in ----
// A look at the clock: `live` recorded, or the tape's value in its place.
uint32_t PlatTapeClock(uint32_t live);
// An input from the device: recorded; true when the tape replays instead
// (the viewer has it), and it goes no further.
bool PlatTapeTakesKey(uint32_t message, uint32_t wParam, int32_t lParam);
bool PlatTapeTakesFocus(bool has);
bool PlatTapeTakesClose();
// A box: true with the tape's answer when replaying; the answer given is
// recorded.
bool PlatTapeAnswer(int32_t* answer);
void PlatTapeRecordAnswer(int32_t answer);
void PlatTapeTaken();   // a message was taken off the queue
void PlatTapeDeliver(); // inputs whose place has come go in now
// The first pass is about to begin: what the device sent while the game
// was starting goes in now, recorded or replayed alike. True when anything
// went in (the loop then takes it before the pass).
bool PlatTapeFirstPass();
// The loop would wait for input: true when the tape gave it something
// instead (its next input, or the end of the run).
bool PlatTapeWait();

// GX state: display closed, input closed, not suspended, no frames presented.
void PlatResetDisplayState();
int PlatPresentCount();

// ---- The run loop's idle passes ----
// Before a pass: true when input that belongs ahead of it was queued (the
// loop handles it and asks again); otherwise the pass is counted, numbered
// from 1, and may run.
bool PlatBeginPass();
// After a pass: the loop's one wait for the next frame slot, then the end
// of the run (a quit, exit code 0) once the frame limit is reached.
void PlatEndPass();
int PlatPasses(); // idle passes run so far (or let go by while waiting)
// Passes up to `passes` went by while the loop waited (a script skipping
// to its next input).
void PlatSkipPasses(int passes);
// 0: no limit. PlatStartup sets it from PlatConfig::frames.
void PlatSetFrameLimit(int frames);
int PlatFrameLimit();

// The device says whether the program has the keyboard (true until told
// otherwise); a change is then told with PlatFocusChanged.
void PlatSetAppFocus(bool has);
bool PlatAppHasFocus();

// What a backend that plays a script (the headless one) adds to the run
// loop beside the device. Set when it starts; PlatStartup and PlatShutdown
// clear them.
struct PlatScriptHooks {
    // Queues the input scripted for pass `pass`; true when there was any.
    bool (*queueBeforePass)(int pass) = nullptr;
    void (*passStarted)() = nullptr; // a pass is about to run
    // Keeps one line of the call record; null: nobody formats lines.
    void (*record)(const char* line) = nullptr;
    // Every frame window's client area, in screen coordinates; when unset
    // a frame's client area is its whole rectangle.
    bool fixedFrameClient = false;
    PlatRect frameClient = {0, 0, 0, 0};
};
void PlatSetScriptHooks(const PlatScriptHooks& hooks);
// Before a backend starts the platform is as new: no hooks, no passes, no
// frame limit, the focus, and a presenter with no device.
void PlatResetRun();
// The client area of a window whose rectangle is `rect`; `frame` tells a
// frame window from a dialog.
PlatRect PlatClientArea(const PlatRect& rect, bool frame);
