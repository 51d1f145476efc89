// The browser's names for keys as the desktop key codes of the input map,
// so a key does in a page what it does in the window.
#pragma once
#include <cstdint>

// `key` and `code` are KeyboardEvent.key and .code. The layout decides what
// a letter is (its key); Enter on the keypad and the right-hand Ctrl and
// Shift are told apart by their code. 0 for a key the game has no use for.
int32_t WebKeyCode(const char* key, const char* code);

// The touch buttons of the page, in the order page.js numbers them.
enum : int {
    WEB_TOUCH_UP,
    WEB_TOUCH_DOWN,
    WEB_TOUCH_LEFT,
    WEB_TOUCH_RIGHT,
    WEB_TOUCH_FIRE,
    WEB_TOUCH_PAUSE,       // P: pauses and resumes
    WEB_TOUCH_MUTE,        // M: mutes and unmutes
    WEB_TOUCH_STRAFELEFT,  // sidesteps, as Q does
    WEB_TOUCH_STRAFERIGHT, // as E does
    WEB_TOUCH_BUTTONS
};
// The key a touch button stands for; 0 for a number out of range.
int32_t WebTouchKey(int button);

// The W3C "standard" gamepad layout's button and axis numbers as the input
// map's pad buttons (SDL's numbering); -1 for one the game has no use for.
int WebPadButton(int standardButton);
