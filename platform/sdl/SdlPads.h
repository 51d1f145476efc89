// Gamepads through SDL's game-controller support: pads plugged in before or
// during play are opened as their events arrive, and their buttons and axes
// go to an input map.
#pragma once
#include <cstdint>
#include <vector>

class CInputMap;
union SDL_Event;

class CSdlPads {
public:
    ~CSdlPads() { Close(); }

    // Starts SDL's game-controller support. Pads already plugged in arrive
    // as added-device events, like those plugged in later. False when the
    // support cannot start: the game is then played without pads.
    bool Open();
    // Closes every pad and the support.
    void Close();

    // A game-controller event: opens or closes a pad, or hands a button or
    // an axis of an open pad to `map`, with `now` (ms) for its repeats.
    // False for any other event.
    bool Handle(const SDL_Event& event, CInputMap& map, uint32_t now);

    int Count() const { return static_cast<int>(m_pads.size()); }

private:
    bool m_bOpen = false;
    std::vector<int32_t> m_pads; // instance ids of the open pads
};
