// The page's keys, touch buttons and pads as the game hears them:
// a key in the browser must do what the same key does in the window.
#include "platform/InputActions.h"
#include "platform/InputMap.h"
#include "platform/Resources.h"
#include "platform/web/WebKeys.h"
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using plattest::TakeActions;
using Lines = std::vector<std::string>;

namespace {

Lines Press(const char* key, const char* code) {
    CInputMap map;
    const int32_t dk = WebKeyCode(key, code);
    map.Key(dk, 0, true, false);
    map.Key(dk, 0, false, false);
    return TakeActions(map);
}

TEST(WebKeys, BrowserKeysPlayAsTheDesktopsKeys) {
    const struct {
        const char* key;
        const char* code;
        Lines heard;
    } cases[] = {
        {"ArrowUp", "ArrowUp", {"down 38", "up 38"}},
        {"w", "KeyW", {"down 38", "up 38"}},
        {"W", "KeyW", {"down 38", "up 38"}}, // Shift or Caps Lock held
        {"a", "KeyA", {"down 37", "up 37"}},
        {"ArrowRight", "ArrowRight", {"down 39", "up 39"}},
        {" ", "Space", {"down 209", "up 209"}},
        {"Control", "ControlLeft", {"down 209", "up 209"}},
        {"Control", "ControlRight", {"down 209", "up 209"}},
        {"Enter", "Enter", {"down 13", "char 13", "up 13"}},
        {"Enter", "NumpadEnter", {"down 13", "char 13", "up 13"}},
        {"Escape", "Escape", {"down 27", "up 27"}}, // the game asks before it quits
        {"p", "KeyP", {"down 19", "up 19"}},
        {"q", "KeyQ", {"down 136", "up 136"}}, // sidestep
        {",", "Comma", {"down 136", "up 136"}},
        {"e", "KeyE", {"down 137", "up 137"}},
        {".", "Period", {"down 137", "up 137"}},
        {"Pause", "Pause", {"down 19", "up 19"}},
        {"F11", "F11", {"fullscreen"}},
        {"F12", "F12", {"screenshot"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Press(c.key, c.code), c.heard) << c.key << " " << c.code;
}

TEST(WebKeys, FunctionKeysAndUnusedKeys) {
    EXPECT_EQ(WebKeyCode("F1", "F1"), DK_F1);
    EXPECT_EQ(WebKeyCode("F10", "F10"), DK_F10);
    EXPECT_EQ(WebKeyCode("Shift", "ShiftRight"), DK_RSHIFT);
    // Keys the desktop map has no name for, and malformed names.
    for (const char* key : {"F13", "F0", "F01", "Meta", "CapsLock", "Dead", "\xC3\xA9", "", "ab"})
        EXPECT_EQ(WebKeyCode(key, ""), 0) << key;
    EXPECT_EQ(WebKeyCode(nullptr, "KeyW"), 0);
}

TEST(WebKeys, TouchButtonsAndPadsMoveAndFireAsOnTheDesktop) {
    CInputMap map;
    // Walking and firing at once, two fingers.
    map.Key(WebTouchKey(WEB_TOUCH_UP), 0, true, false);
    map.Key(WebTouchKey(WEB_TOUCH_FIRE), 0, true, false);
    map.Key(WebTouchKey(WEB_TOUCH_FIRE), 0, false, false);
    map.Key(WebTouchKey(WEB_TOUCH_UP), 0, false, false);
    EXPECT_EQ(TakeActions(map), (Lines{"down 38", "down 209", "up 209", "up 38"}));
    // Pause and mute are the P and M keys, which the window system keeps
    // for itself (VK_PAUSE, VK_MUTE), so they work while paused.
    for (int button : {WEB_TOUCH_PAUSE, WEB_TOUCH_MUTE}) {
        map.Key(WebTouchKey(button), 0, true, false);
        map.Key(WebTouchKey(button), 0, false, false);
    }
    EXPECT_EQ(TakeActions(map), (Lines{"down 19", "up 19", "down 77", "char 109", "up 77"}));
    for (int button : {WEB_TOUCH_STRAFELEFT, WEB_TOUCH_STRAFERIGHT})
        map.Key(WebTouchKey(button), 0, true, false);
    EXPECT_EQ(TakeActions(map), (Lines{"down 136", "down 137"}));
    EXPECT_EQ(WebTouchKey(WEB_TOUCH_BUTTONS), 0);
    EXPECT_EQ(WebTouchKey(-1), 0);

    // The standard layout: A, B, X, Y; the shoulders as 4 and 5; Start as
    // button 9; then the D-pad as buttons 12 to 15.
    map.PadButton(0, WebPadButton(14), true, 0);
    map.PadButton(0, WebPadButton(14), false, 10);
    map.PadButton(0, WebPadButton(0), true, 20);
    map.PadButton(0, WebPadButton(9), true, 30);
    map.PadButton(0, WebPadButton(4), true, 40); // the shoulders sidestep
    map.PadButton(0, WebPadButton(5), true, 40);
    EXPECT_EQ(TakeActions(map),
              (Lines{"down 37", "up 37", "down 209", "down 19", "down 136", "down 137"}));
    for (int button : {6, 7, 8, 10, 11, 16, 17, -1})
        EXPECT_EQ(WebPadButton(button), -1) << button;
}

} // namespace
