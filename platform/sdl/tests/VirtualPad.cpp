#include "platform/sdl/tests/VirtualPad.h"
#include "platform/InputMap.h"
#include "platform/sdl/SdlPads.h"
#include <SDL.h>
#include <cstdio>

bool CVirtualPad::Plug() {
    if (m_pJoystick)
        return true;
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0)
        return false;
    m_pJoystick = SDL_JoystickOpen(index);
    if (!m_pJoystick) {
        SDL_JoystickDetachVirtual(index);
        return false;
    }
    m_nId = SDL_JoystickInstanceID(m_pJoystick);
    return true;
}

void CVirtualPad::Unplug() {
    if (!m_pJoystick)
        return;
    SDL_JoystickClose(m_pJoystick);
    m_pJoystick = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == m_nId) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
    m_nId = -1;
}

bool CVirtualPad::SetButton(int button, bool down) {
    return m_pJoystick && SDL_JoystickSetVirtualButton(m_pJoystick, button,
                                                       down ? SDL_PRESSED : SDL_RELEASED) == 0;
}

bool CVirtualPad::SetAxis(int axis, int16_t value) {
    return m_pJoystick && SDL_JoystickSetVirtualAxis(m_pJoystick, axis, value) == 0;
}

bool StartPadSupport(CSdlPads& pads) {
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0 || !pads.Open()) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

bool StartJoystickSupport() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void StopPadSupport(CSdlPads& pads) {
    pads.Close();
    // Whatever was started, all of it ends.
    SDL_Quit();
}

int PumpPadEvents(CSdlPads& pads, CInputMap& map, uint32_t now) {
    int count = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        pads.Handle(event, map, now);
        ++count;
    }
    return count;
}
