// Puts the device screen on the glass no faster than the display takes
// pictures, holds the steps of a fade, and keeps the run loop's frame
// schedule. One for every backend: the device only tells the time, waits
// and puts a picture up (Backend.h).
#pragma once
#include <cstdint>

class CBackend;

class CPresenter {
public:
    // Forgets what waits and the schedule; from now on pictures go to
    // `device` (null: nowhere) and its clock and wait are used. `refreshUs`:
    // one refresh of the display, 0 where every picture is kept (nothing is
    // folded or held); `fps`: the frame rate the run loop is held to, 0 for
    // none.
    void Start(CBackend* device, uint64_t refreshUs, int fps);
    // The device is going: nothing more goes to it; the counts stay.
    void Stop() {
        m_pDevice = nullptr;
        m_bPending = false;
    }

    // The framebuffer changed (a direct-drawing bracket ended, a window was
    // painted). The display takes one picture a refresh, so pictures that
    // come faster than that (a shot's trace, cell by cell; the steps of a
    // fade) are folded into the next one, which goes up as soon as the loop
    // looks for input, sleeps, asks or waits: never later, and never with a
    // wait of its own.
    void Show();
    // A folded picture goes up now; called before every wait of the loop.
    void ShowPending();
    // The picture just shown must be seen whole (a step of a fade): it goes
    // up, at the next refresh if one went up too recently, and stays for
    // one refresh before anything replaces it.
    void Hold();
    // After an idle pass: the loop's one wait for the display. Frames are
    // due on a fixed schedule; a frame that is far behind starts the
    // schedule again rather than rushing to catch up. The device's wait is
    // called once every time (for 0 ms when nothing is to be waited for),
    // so a device that must hand its thread back (the browser) gets it.
    void WaitForFrameSlot();

    // The time the game reads at device time `now`: on a frame schedule the
    // frame slot nearest to it, so that a frame's look at the clock steps by
    // whole slots however late or early its wake-up was (and a recorded
    // run's clock packs into almost nothing); without a schedule `now`
    // itself. On a schedule never earlier than a time given before, though
    // a late frame starts the schedule again on another grid.
    uint64_t FrameTime(uint64_t now);

    int Shows() const { return m_nShows; }           // pictures put up
    int FrameWaits() const { return m_nFrameWaits; } // frame slots waited for

private:
    void WaitUntil(uint64_t when);

    CBackend* m_pDevice = nullptr;
    uint64_t m_qwRefresh = 0;
    uint64_t m_qwPeriod = 0;    // of one frame; 0: no schedule
    uint64_t m_qwNextShow = 0;  // when the display can take a new picture
    uint64_t m_qwNextFrame = 0; // when the next frame may start; 0: not yet
    uint64_t m_qwTimeGiven = 0; // FrameTime's last answer
    bool m_bPending = false;    // the framebuffer changed since it was last put up
    int m_nShows = 0;
    int m_nFrameWaits = 0;
};

// The one the platform runs.
CPresenter& PlatPresenter();
