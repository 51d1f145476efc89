#include "platform/web/WebKeys.h"
#include "platform/InputMap.h"
#include <cstdlib>
#include <cstring>

namespace {

struct Named {
    const char* name;
    int32_t key;
};

// Keys without a character of their own, by KeyboardEvent.key.
const Named kNamedKeys[] = {
    {"ArrowUp", DK_UP},       {"ArrowDown", DK_DOWN},      {"ArrowLeft", DK_LEFT},
    {"ArrowRight", DK_RIGHT}, {"Enter", DK_RETURN},        {"Escape", DK_ESCAPE},
    {"Tab", DK_TAB},          {"Backspace", DK_BACKSPACE}, {"F11", DK_F11},
    {"F12", DK_F12},          {"Control", DK_LCTRL},       {"Shift", DK_LSHIFT},
    {"Pause", DK_PAUSE},
};

} // namespace

int32_t WebKeyCode(const char* key, const char* code) {
    if (!key || !code)
        return 0;
    // The physical key tells these apart; the character does not.
    if (std::strcmp(code, "NumpadEnter") == 0)
        return DK_KP_ENTER;
    if (std::strcmp(code, "ControlRight") == 0)
        return DK_RCTRL;
    if (std::strcmp(code, "ShiftRight") == 0)
        return DK_RSHIFT;
    for (const Named& named : kNamedKeys) {
        if (std::strcmp(key, named.name) == 0)
            return named.key;
    }
    // F1 to F10 follow one another, as on the desktop.
    if (key[0] == 'F' && key[1] >= '1' && key[1] <= '9') {
        const bool number = key[2] == '\0' || (key[1] == '1' && key[2] == '0' && key[3] == '\0');
        if (number)
            return DK_F1 + (std::atoi(key + 1) - 1);
    }
    // One printable ASCII character: a letter as its lower case (Shift is a
    // modifier, as on the desktop), anything else as itself.
    const unsigned char c = static_cast<unsigned char>(key[0]);
    if (c >= 0x20 && c < 0x7F && key[1] == '\0')
        return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
    return 0;
}

int32_t WebTouchKey(int button) {
    static const int32_t kKeys[WEB_TOUCH_BUTTONS] = {DK_UP, DK_DOWN, DK_LEFT, DK_RIGHT, DK_SPACE,
                                                     'p',   'm',     'q',     'e'};
    return button >= 0 && button < WEB_TOUCH_BUTTONS ? kKeys[button] : 0;
}

int WebPadButton(int standardButton) {
    switch (standardButton) {
    case 0:
        return PAD_A;
    case 1:
        return PAD_B;
    case 2:
        return PAD_X;
    case 3:
        return PAD_Y;
    case 12:
        return PAD_DPAD_UP;
    case 13:
        return PAD_DPAD_DOWN;
    case 14:
        return PAD_DPAD_LEFT;
    case 15:
        return PAD_DPAD_RIGHT;
    case 4:
        return PAD_LEFTSHOULDER;
    case 5:
        return PAD_RIGHTSHOULDER;
    case 9:
        return PAD_START;
    default:
        return -1;
    }
}
