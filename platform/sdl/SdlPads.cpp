#include "platform/sdl/SdlPads.h"
#include "platform/InputMap.h"
#include <SDL.h>
#include <algorithm>

namespace {
// Two enumerations compared as numbers.
constexpr bool Same(long a, long b) {
    return a == b;
}
} // namespace

// The input map carries SDL's numbering without including SDL.
static_assert(Same(PAD_A, SDL_CONTROLLER_BUTTON_A) && Same(PAD_B, SDL_CONTROLLER_BUTTON_B) &&
                  Same(PAD_X, SDL_CONTROLLER_BUTTON_X) && Same(PAD_Y, SDL_CONTROLLER_BUTTON_Y) &&
                  Same(PAD_START, SDL_CONTROLLER_BUTTON_START),
              "face buttons");
static_assert(Same(PAD_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_LEFTSHOULDER) &&
                  Same(PAD_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER),
              "shoulder buttons");
static_assert(Same(PAD_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_UP) &&
                  Same(PAD_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_DOWN) &&
                  Same(PAD_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_LEFT) &&
                  Same(PAD_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
              "D-pad");
static_assert(Same(PAD_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTX) &&
                  Same(PAD_AXIS_LEFTY, SDL_CONTROLLER_AXIS_LEFTY) &&
                  Same(PAD_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERLEFT) &&
                  Same(PAD_AXIS_TRIGGERRIGHT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT),
              "axes");

bool CSdlPads::Open() {
    if (m_bOpen)
        return true;
    m_bOpen = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return m_bOpen;
}

void CSdlPads::Close() {
    if (!m_bOpen)
        return;
    for (int32_t id : m_pads) {
        if (SDL_GameController* pad = SDL_GameControllerFromInstanceID(id))
            SDL_GameControllerClose(pad);
    }
    m_pads.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    m_bOpen = false;
}

bool CSdlPads::Handle(const SDL_Event& event, CInputMap& map, uint32_t now) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
        if (!m_bOpen)
            return true;
        SDL_GameController* pad = SDL_GameControllerOpen(event.cdevice.which);
        if (!pad)
            return true;
        const int32_t id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
        // Opening a pad twice only counts it twice: keep one reference.
        if (std::find(m_pads.begin(), m_pads.end(), id) != m_pads.end())
            SDL_GameControllerClose(pad);
        else
            m_pads.push_back(id);
        return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
        const int32_t id = event.cdevice.which;
        auto it = std::find(m_pads.begin(), m_pads.end(), id);
        if (it == m_pads.end())
            return true;
        m_pads.erase(it);
        map.PadRemoved(id);
        if (SDL_GameController* pad = SDL_GameControllerFromInstanceID(id))
            SDL_GameControllerClose(pad);
        return true;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        if (std::find(m_pads.begin(), m_pads.end(), event.cbutton.which) != m_pads.end())
            map.PadButton(event.cbutton.which, event.cbutton.button,
                          event.type == SDL_CONTROLLERBUTTONDOWN, now);
        return true;
    case SDL_CONTROLLERAXISMOTION:
        if (std::find(m_pads.begin(), m_pads.end(), event.caxis.which) != m_pads.end())
            map.PadAxis(event.caxis.which, event.caxis.axis, event.caxis.value, now);
        return true;
    case SDL_CONTROLLERDEVICEREMAPPED:
        return true;
    default:
        return false;
    }
}
