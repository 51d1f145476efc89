// A run as the game's core lived it: every look at the clock and every input
// it took, stamped with where in the run it came, so that the same build can
// live it again anywhere, frame for frame.
#pragma once
#include <cstdint>
#include <vector>

// One input as the game's core took it in, stamped with where it came:
struct RunInput {
    enum Kind : uint8_t { kKey = 0, kFocus = 1, kClose = 2, kAnswer = 3 };
    uint32_t pass = 0;  // idle passes run when it came (PlatPasses())
    uint32_t taken = 0; // messages taken off the queue by then, since the start
    uint8_t kind = kKey;
    uint32_t message = 0; // kKey: WM_KEYDOWN or WM_KEYUP; kFocus: 1 has / 0 lost;
                          // kAnswer: the box's answer (IDOK, IDCANCEL, IDYES, IDNO); kClose: 0
    uint32_t wParam = 0;  // kKey: the key code (1..255)
    int32_t lParam = 0;   // kKey: as PlatPostInput got it
};

struct RunTape {
    // Every look the game took at its clock, as milliseconds since the look
    // before (the first: the value itself). About one a frame.
    std::vector<uint32_t> clock;
    std::vector<RunInput> inputs; // in the order they came; stamps never go down
    uint32_t passes = 0;          // idle passes of the whole run
};

// ---- Recording and replaying the run the platform is running ----

// From now on every look the game takes at its clock and every input the
// core takes in (keys, the focus, the close button, a box's answer) go into
// `tape`, which must outlive the recording; null stops it, and gives the
// tape the passes run. The tape's first input is the focus the program
// has as recording starts.
void PlatRecordRun(RunTape* tape);
// The passes run so far: what a tape being recorded would hold as its
// passes were the recording stopped now.
uint32_t PlatRunPasses();
// From now on the game's clock and inputs come from `tape`, which must
// outlive the replay; null stops it. The device's own input steers the
// viewer instead (PlatReplayViewerKey). `paced`: a frame starts no sooner
// than its time on the tape, over the speed, after the replay began (a
// window); otherwise frames run at once. A box is answered from the tape
// and not shown. When the loop would wait for input, the passes up to the
// tape's next input go by; once the tape has none left, the run ends.
void PlatReplayRun(const RunTape* tape, bool paced);
bool PlatIsReplaying();

// The viewer of a paced replay: Pause, P or Space (the fire keys) stop and
// go on; 1, 2 and 4 set the speed; Escape or Q end the replay. True when
// the key was the viewer's (every key is, while replaying).
bool PlatReplayViewerKey(uint32_t message, uint32_t wParam);
int PlatReplaySpeed();
bool PlatReplayHeld(); // the viewer stopped it
