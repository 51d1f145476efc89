#include "platform/RunTape.h"
#include "platform/Backend.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"
#include "platform/WindowSystem.h"

namespace {

struct Tape {
    RunTape* recording = nullptr;
    uint32_t lastLook = 0; // the value the game last read, for the next delta

    const RunTape* replaying = nullptr;
    bool paced = false;
    size_t clockAt = 0;  // the next look to give
    uint32_t now = 0;    // what the game was last given
    size_t inputAt = 0;  // the next key, focus or close
    size_t answerAt = 0; // the next answer
    bool delivering = false;
    // Pacing: tape time `anchorTape` was due at device time `anchorUs`.
    uint64_t anchorUs = 0;
    uint32_t anchorTape = 0;
    bool anchored = false;
    int speed = 1;
    bool held = false;
    bool quit = false;
    uint32_t taken = 0; // messages taken off the queue since the run began
    // Before the first pass the game is still being made: where in that an
    // input lands (before the window, before the first clock look) has no
    // place a stamp can name, so the device's inputs wait for the first pass.
    bool started = false;
    std::vector<RunInput> early;
};

Tape g_tape;

bool IsAnswer(const RunInput& input) {
    return input.kind == RunInput::kAnswer;
}

void Record(uint8_t kind, uint32_t message, uint32_t wParam = 0, int32_t lParam = 0) {
    RunInput input;
    if (!g_tape.started) {
        input.kind = kind;
        input.message = message;
        input.wParam = wParam;
        input.lParam = lParam;
        g_tape.early.push_back(input);
        return;
    }
    input.pass = static_cast<uint32_t>(PlatPasses());
    input.taken = g_tape.taken;
    input.kind = kind;
    input.message = message;
    input.wParam = wParam;
    input.lParam = lParam;
    g_tape.recording->inputs.push_back(input);
}

// Speed or pause changed: the tape's time now stays due now.
void Reanchor() {
    g_tape.anchored = false;
}

// A paced replay holds the frame until its time comes, hearing the viewer
// meanwhile.
void WaitForTapeTime(uint32_t tapeTime) {
    CBackend* device = PlatBackend();
    if (!g_tape.anchored) {
        g_tape.anchorUs = device->Microseconds();
        g_tape.anchorTape = tapeTime;
        g_tape.anchored = true;
        return;
    }
    for (;;) {
        if (g_tape.quit)
            return;
        const uint64_t nowUs = device->Microseconds();
        if (!g_tape.held) {
            if (!g_tape.anchored) {
                g_tape.anchorUs = nowUs;
                g_tape.anchorTape = tapeTime;
                g_tape.anchored = true;
                return;
            }
            const uint64_t dueUs = g_tape.anchorUs + uint64_t(tapeTime - g_tape.anchorTape) *
                                                         1000u / uint64_t(g_tape.speed);
            if (nowUs >= dueUs)
                return;
            const uint64_t waitMs = (dueUs - nowUs + 999) / 1000;
            PlatPresenter().ShowPending();
            device->Sleep(static_cast<uint32_t>(waitMs < 10 ? waitMs : 10));
        } else {
            PlatPresenter().ShowPending();
            device->Sleep(10);
        }
        device->PumpEvents();
    }
}

} // namespace

void PlatRecordRun(RunTape* tape) {
    if (g_tape.recording)
        g_tape.recording->passes = static_cast<uint32_t>(PlatPasses());
    g_tape.recording = tape;
    g_tape.lastLook = 0;
    g_tape.taken = 0;
    g_tape.early.clear();
    // Where the run starts with the keyboard or without it is the device's
    // (a window may come up without it); a replay must start the same way
    // whatever its own device says.
    g_tape.started = true;
    if (tape)
        Record(RunInput::kFocus, PlatAppHasFocus() ? 1 : 0);
    g_tape.started = PlatPasses() > 0;
}

uint32_t PlatRunPasses() {
    return static_cast<uint32_t>(PlatPasses());
}

void PlatReplayRun(const RunTape* tape, bool paced) {
    g_tape = Tape();
    g_tape.replaying = tape;
    g_tape.paced = paced;
    if (!tape)
        return;
    // The focus the recorded game started with, not the one this device's
    // window came up with (its own focus changes are not the run's).
    bool focus = true;
    if (!tape->inputs.empty() && tape->inputs[0].kind == RunInput::kFocus &&
        tape->inputs[0].pass == 0 && tape->inputs[0].taken == 0) {
        focus = tape->inputs[0].message != 0;
        g_tape.inputAt = 1;
    }
    g_tape.delivering = true;
    PlatSetAppFocus(focus);
    g_tape.delivering = false;
}

bool PlatIsReplaying() {
    return g_tape.replaying != nullptr;
}

int PlatReplaySpeed() {
    return g_tape.speed;
}

bool PlatReplayHeld() {
    return g_tape.held;
}

bool PlatReplayViewerKey(uint32_t message, uint32_t wParam) {
    if (!g_tape.replaying || g_tape.delivering)
        return false;
    if (message != WM_KEYDOWN)
        return true;
    if (wParam == VK_PAUSE || wParam == VK_APP1 || wParam == 'P') {
        g_tape.held = !g_tape.held;
        // As the game's own pause shows; the next frame paints over it.
        if (g_tape.held)
            PlatPutPausedSign();
        Reanchor();
    } else if (wParam == '1' || wParam == '2' || wParam == '4') {
        g_tape.speed = static_cast<int>(wParam - '0');
        Reanchor();
    } else if (wParam == VK_ESCAPE || wParam == 'Q') {
        g_tape.quit = true;
        g_tape.held = false;
        PlatPostQuitMessage(0);
    }
    return true;
}

// ---- The core's hooks ----

uint32_t PlatTapeClock(uint32_t live) {
    if (const RunTape* tape = g_tape.replaying) {
        // Past the tape's end (a run that went another way) time keeps the
        // tape's last pace, so the game still ends at its frame limit.
        const std::vector<uint32_t>& clock = tape->clock;
        uint32_t step = 0;
        if (g_tape.clockAt < clock.size())
            step = clock[g_tape.clockAt++];
        else if (!clock.empty())
            step = clock.size() > 1 ? clock.back() : 16;
        g_tape.now += step;
        if (g_tape.paced)
            WaitForTapeTime(g_tape.now);
        return g_tape.now;
    }
    if (RunTape* tape = g_tape.recording) {
        tape->clock.push_back(live - g_tape.lastLook);
        g_tape.lastLook = live;
    }
    return live;
}

bool PlatTapeTakesKey(uint32_t message, uint32_t wParam, int32_t lParam) {
    if (g_tape.replaying)
        return PlatReplayViewerKey(message, wParam);
    if (g_tape.recording)
        Record(RunInput::kKey, message, wParam, lParam);
    return g_tape.recording && !g_tape.started;
}

bool PlatTapeTakesFocus(bool has) {
    if (g_tape.replaying && !g_tape.delivering)
        return true;
    if (g_tape.recording && !g_tape.started) {
        Record(RunInput::kFocus, has ? 1 : 0);
        return true;
    }
    if (g_tape.recording && has != PlatAppHasFocus())
        Record(RunInput::kFocus, has ? 1 : 0);
    return false;
}

bool PlatTapeTakesClose() {
    if (g_tape.replaying && !g_tape.delivering) {
        // The window's close button ends the replay.
        g_tape.quit = true;
        PlatPostQuitMessage(0);
        return true;
    }
    if (g_tape.recording)
        Record(RunInput::kClose, 0);
    return g_tape.recording && !g_tape.started;
}

bool PlatTapeAnswer(int32_t* answer) {
    const RunTape* tape = g_tape.replaying;
    if (!tape)
        return false;
    while (g_tape.answerAt < tape->inputs.size() && !IsAnswer(tape->inputs[g_tape.answerAt]))
        ++g_tape.answerAt;
    // A box the recorded run never saw is answered no.
    *answer = g_tape.answerAt < tape->inputs.size()
                  ? static_cast<int32_t>(tape->inputs[g_tape.answerAt++].message)
                  : IDCANCEL;
    return true;
}

void PlatTapeRecordAnswer(int32_t answer) {
    if (g_tape.recording)
        Record(RunInput::kAnswer, static_cast<uint32_t>(answer));
}

void PlatTapeTaken() {
    ++g_tape.taken;
}

namespace {

void Deliver(const RunInput& input) {
    g_tape.delivering = true;
    switch (input.kind) {
    case RunInput::kKey:
        PlatPostInput(input.message, input.wParam, input.lParam);
        break;
    case RunInput::kFocus:
        PlatSetAppFocus(input.message != 0);
        PlatFocusChanged();
        break;
    case RunInput::kClose:
        PlatRequestClose();
        break;
    default:
        break;
    }
    g_tape.delivering = false;
}

// The next key, focus or close on the tape, or null.
const RunInput* NextInput() {
    const RunTape* tape = g_tape.replaying;
    while (g_tape.inputAt < tape->inputs.size() && IsAnswer(tape->inputs[g_tape.inputAt]))
        ++g_tape.inputAt;
    return g_tape.inputAt < tape->inputs.size() ? &tape->inputs[g_tape.inputAt] : nullptr;
}

} // namespace

void PlatTapeDeliver() {
    if (!g_tape.replaying || g_tape.delivering || !g_tape.started)
        return;
    const uint32_t pass = static_cast<uint32_t>(PlatPasses());
    // Each input comes where it came in the recorded run: after the same
    // passes and the same messages taken. One whose place went by (a run
    // that went another way) still comes, at once.
    while (const RunInput* input = NextInput()) {
        if (input->pass > pass || (input->pass == pass && input->taken > g_tape.taken))
            break;
        ++g_tape.inputAt;
        Deliver(*input);
    }
}

bool PlatTapeWait() {
    if (!g_tape.replaying)
        return false;
    const RunInput* input = NextInput();
    if (!input || g_tape.quit) {
        PlatPostQuitMessage(0);
        return true;
    }
    PlatSkipPasses(static_cast<int>(input->pass));
    ++g_tape.inputAt;
    Deliver(*input);
    return true;
}

bool PlatTapeFirstPass() {
    if (g_tape.started)
        return false;
    g_tape.started = true;
    if (g_tape.replaying) {
        const size_t at = g_tape.inputAt;
        PlatTapeDeliver();
        return g_tape.inputAt != at;
    }
    if (!g_tape.recording)
        return false;
    // Each goes in as the device sent it, and onto the tape as it goes in.
    std::vector<RunInput> early;
    early.swap(g_tape.early);
    for (const RunInput& input : early)
        Deliver(input);
    return !early.empty();
}
