// A game controller that exists only in memory, built on SDL's virtual
// joysticks, so the pad handling can be tried without hardware or a
// display. Built into the SDL test program only, never into the game.
#pragma once
#include <cstdint>

class CInputMap;
class CSdlPads;

class CVirtualPad {
public:
    ~CVirtualPad() { Unplug(); }

    // Plugs the pad in: its added-device event is queued. SDL's
    // game-controller support must be running (CSdlPads::Open).
    bool Plug();
    // Pulls it out: its removed-device event is queued. Safe when unplugged.
    void Unplug();
    bool Plugged() const { return m_pJoystick != nullptr; }

    // Button and axis numbers as in platform/InputMap.h. The change is
    // queued as an event on the next pump.
    bool SetButton(int button, bool down);
    bool SetAxis(int axis, int16_t value);

private:
    struct _SDL_Joystick* m_pJoystick = nullptr;
    int32_t m_nId = -1;
};

// Starts SDL with its joystick and game-controller support only (no video,
// no audio). Safe to call more than once; false with SDL's reason on stderr.
bool StartPadSupport(CSdlPads& pads);
// Starts SDL's joysticks alone, so that a pad can be plugged in before the
// game-controller support starts.
bool StartJoystickSupport();
// Ends what StartPadSupport or StartJoystickSupport began.
void StopPadSupport(CSdlPads& pads);
// Takes every waiting SDL event, as the game's loop does, and hands it to
// `pads` with the time `now`. Returns how many events were taken.
int PumpPadEvents(CSdlPads& pads, CInputMap& map, uint32_t now);
