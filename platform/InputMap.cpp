#include "platform/InputMap.h"

namespace {

const uint32_t kDirectionKeys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT};
const uint32_t kFireKeys[] = {VK_APP1, VK_APP2, VK_APP3, VK_APP4, VK_APP5, VK_APP5};

// The device's key code for a desktop key, with the character it types (0
// for none). False for keys the device has no counterpart for.
bool DeviceKey(int32_t key, uint16_t mod, uint32_t* vk, uint32_t* ch) {
    *ch = 0;
    if ((key == DK_LEFT || key == DK_RIGHT) && (mod & DKMOD_ALT)) {
        *vk = key == DK_LEFT ? VK_STRAFELEFT : VK_STRAFERIGHT;
        return true;
    }
    switch (key) {
    case DK_UP:
    case 'w':
        *vk = VK_UP;
        return true;
    case DK_DOWN:
    case 's':
        *vk = VK_DOWN;
        return true;
    case DK_LEFT:
    case 'a':
        *vk = VK_LEFT;
        return true;
    case DK_RIGHT:
    case 'd':
        *vk = VK_RIGHT;
        return true;
    case 'q':
    case ',':
        *vk = VK_STRAFELEFT;
        return true;
    case 'e':
    case '.':
        *vk = VK_STRAFERIGHT;
        return true;
    case DK_SPACE:
    case DK_LCTRL:
    case DK_RCTRL:
        *vk = VK_APP1;
        return true;
    case DK_RETURN:
    case DK_KP_ENTER:
        *vk = VK_RETURN;
        *ch = '\r';
        return true;
    case DK_BACKSPACE:
    case DK_TAB:
        *vk = *ch = static_cast<uint32_t>(key);
        return true;
    case DK_LSHIFT:
    case DK_RSHIFT:
        *vk = VK_SHIFT;
        return true;
    default:
        break;
    }
    if (key >= 'a' && key <= 'z') {
        *vk = static_cast<uint32_t>(key - 'a' + 'A');
        *ch = (mod & DKMOD_SHIFT) ? *vk : static_cast<uint32_t>(key);
        return true;
    }
    if (key >= '0' && key <= '9') {
        *vk = *ch = static_cast<uint32_t>(key);
        return true;
    }
    if (key >= DK_F1 && key <= DK_F10) {
        *vk = 112 + static_cast<uint32_t>(key - DK_F1); // VK_F1 is 112
        return true;
    }
    return false;
}

// Time `t` has come by `now`, on a tick count that wraps.
bool Due(uint32_t t, uint32_t now) {
    return static_cast<int32_t>(now - t) >= 0;
}

} // namespace

void CInputMap::Post(uint32_t message, uint32_t wParam, int32_t lParam) {
    m_out.push_back({InputAction::ACT_MESSAGE, message, wParam, lParam});
}

void CInputMap::Command(InputAction::Kind kind) {
    m_out.push_back({kind, 0, 0, 0});
}

bool CInputMap::Take(InputAction* action) {
    if (m_out.empty())
        return false;
    *action = m_out.front();
    m_out.pop_front();
    return true;
}

void CInputMap::Key(int32_t key, uint16_t mod, bool down, bool repeat) {
    // The window's own keys act once per press, never on a repeat.
    const bool enter = key == DK_RETURN || key == DK_KP_ENTER;
    if (key == DK_F11 || (enter && (mod & DKMOD_ALT))) {
        if (down && !repeat)
            Command(InputAction::ACT_FULLSCREEN);
        return;
    }
    if (key == DK_F12) {
        if (down && !repeat)
            Command(InputAction::ACT_SCREENSHOT);
        return;
    }
    // Escape and the pause key act once per press: a held key must not
    // answer the box it opened, nor pause and resume over and over.
    if (key == DK_ESCAPE || key == DK_PAUSE || key == 'p') {
        if (!repeat)
            Post(down ? WM_KEYDOWN : WM_KEYUP, key == DK_ESCAPE ? VK_ESCAPE : VK_PAUSE);
        return;
    }
    uint32_t vk, ch;
    if (!down) {
        auto held = m_keysDown.find(key);
        if (held != m_keysDown.end()) {
            Post(WM_KEYUP, held->second);
            m_keysDown.erase(held);
        } else if (DeviceKey(key, mod, &vk, &ch)) {
            Post(WM_KEYUP, vk);
        }
        return;
    }
    if (!DeviceKey(key, mod, &vk, &ch))
        return;
    // A repeat goes on as what the press was; a press starts afresh, in
    // case the window never heard the last release.
    auto held = m_keysDown.find(key);
    if (repeat && held != m_keysDown.end())
        vk = held->second;
    else
        m_keysDown[key] = vk;
    const int32_t lParam = repeat ? 1 : 0;
    Post(WM_KEYDOWN, vk, lParam);
    if (ch)
        Post(WM_CHAR, ch, lParam);
}

int CInputMap::Axis(int state, int32_t value) {
    if (value <= -kStickOn)
        return -1;
    if (value >= kStickOn)
        return 1;
    // Between the thresholds a direction that is on stays on.
    if (state < 0 && value <= -kStickOff)
        return -1;
    if (state > 0 && value >= kStickOff)
        return 1;
    return 0;
}

void CInputMap::Directions(Pad& pad) {
    const bool want[DIRS] = {
        pad.dpad[DIR_UP] || pad.stickY < 0,
        pad.dpad[DIR_DOWN] || pad.stickY > 0,
        pad.dpad[DIR_LEFT] || pad.stickX < 0,
        pad.dpad[DIR_RIGHT] || pad.stickX > 0,
    };
    // Releases first: a stick swung from left to right lets go of Left
    // before it presses Right, as fingers on the device's buttons would,
    // and the game is left turning right.
    for (int d = 0; d < DIRS; ++d) {
        if (pad.shown[d] && !want[d]) {
            pad.shown[d] = false;
            Post(WM_KEYUP, kDirectionKeys[d]);
        }
    }
    for (int d = 0; d < DIRS; ++d) {
        if (!pad.shown[d] && want[d]) {
            pad.shown[d] = true;
            Post(WM_KEYDOWN, kDirectionKeys[d]);
        }
    }
}

void CInputMap::Fire(Pad& pad, int source, bool down, uint32_t now) {
    if (pad.fire[source] == down)
        return;
    pad.fire[source] = down;
    if (down) {
        Post(WM_KEYDOWN, kFireKeys[source]);
        // Only the button pressed last repeats, as on a keyboard.
        pad.repeating = source;
        pad.nextRepeat = now + kRepeatDelay;
    } else {
        Post(WM_KEYUP, kFireKeys[source]);
        if (pad.repeating == source)
            pad.repeating = -1;
    }
}

void CInputMap::Shoulder(Pad& pad, int side, bool down) {
    if (pad.shoulder[side] == down)
        return;
    pad.shoulder[side] = down;
    Post(down ? WM_KEYDOWN : WM_KEYUP, side == 0 ? VK_STRAFELEFT : VK_STRAFERIGHT);
}

void CInputMap::PadButton(int32_t pad, int button, bool down, uint32_t now) {
    Pad& p = m_pads[pad];
    switch (button) {
    case PAD_DPAD_UP:
    case PAD_DPAD_DOWN:
    case PAD_DPAD_LEFT:
    case PAD_DPAD_RIGHT:
        p.dpad[button - PAD_DPAD_UP] = down;
        Directions(p);
        break;
    case PAD_A:
    case PAD_B:
    case PAD_X:
    case PAD_Y:
        Fire(p, FIRE_A + (button - PAD_A), down, now);
        break;
    case PAD_LEFTSHOULDER:
    case PAD_RIGHTSHOULDER:
        Shoulder(p, button - PAD_LEFTSHOULDER, down);
        break;
    case PAD_START:
        Post(down ? WM_KEYDOWN : WM_KEYUP, VK_PAUSE);
        break;
    default:
        break;
    }
}

void CInputMap::PadAxis(int32_t pad, int axis, int32_t value, uint32_t now) {
    Pad& p = m_pads[pad];
    switch (axis) {
    case PAD_AXIS_LEFTX:
        p.stickX = Axis(p.stickX, value);
        Directions(p);
        break;
    case PAD_AXIS_LEFTY:
        p.stickY = Axis(p.stickY, value);
        Directions(p);
        break;
    case PAD_AXIS_TRIGGERLEFT:
    case PAD_AXIS_TRIGGERRIGHT: {
        const int source = axis == PAD_AXIS_TRIGGERLEFT ? FIRE_LT : FIRE_RT;
        const bool held = p.fire[source] ? value >= kTriggerOff : value >= kTriggerOn;
        Fire(p, source, held, now);
        break;
    }
    default:
        break;
    }
}

void CInputMap::PadRemoved(int32_t pad) {
    auto it = m_pads.find(pad);
    if (it == m_pads.end())
        return;
    Pad& p = it->second;
    for (int source = 0; source < FIRES; ++source)
        Fire(p, source, false, 0);
    for (int side = 0; side < 2; ++side)
        Shoulder(p, side, false);
    for (bool& held : p.dpad)
        held = false;
    p.stickX = p.stickY = 0;
    Directions(p);
    m_pads.erase(it);
}

void CInputMap::Tick(uint32_t now) {
    for (auto& entry : m_pads) {
        Pad& p = entry.second;
        if (p.repeating < 0 || !Due(p.nextRepeat, now))
            continue;
        Post(WM_KEYDOWN, kFireKeys[p.repeating], 1);
        // One repeat a call: a long stall does not turn into a burst.
        p.nextRepeat = now + kRepeatInterval;
    }
}
