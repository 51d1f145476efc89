// The Win32 backend's input and picture placement, which call nothing of
// Windows and so run in every build of the tests: Windows' keys and
// XInput's pads reach the input map as the SDL backend's do, and the
// picture sits at a whole-number scale in the middle of any window.
#include "platform/win32/Win32Input.h"
#include "platform/InputActions.h"
#include "platform/win32/Win32Device.h"
#include <functional>
#include <gtest/gtest.h>

using plattest::TakeActions;
using Lines = std::vector<std::string>;

namespace {

Win32Event Key(uint32_t vk, bool down, bool extended = false) {
    Win32Event event{Win32Event::KEY};
    event.vk = vk;
    event.down = down;
    event.extended = extended;
    return event;
}

TEST(Win32Input, VirtualKeysAreTheDesktopsKeys) {
    const struct {
        uint32_t vk;
        bool extended;
        int32_t key;
    } cases[] = {
        {'W', false, 'w'},
        {'Z', false, 'z'},
        {'7', false, '7'},
        {WVK_UP, true, DK_UP},
        {WVK_LEFT, true, DK_LEFT},
        {WVK_F1, false, DK_F1},
        {WVK_F1 + 10, false, DK_F11},
        {WVK_F12, false, DK_F12},
        {WVK_RETURN, false, DK_RETURN},
        {WVK_RETURN, true, DK_KP_ENTER},
        {WVK_CONTROL, false, DK_LCTRL},
        {WVK_CONTROL, true, DK_RCTRL},
        {WVK_SHIFT, true, DK_RSHIFT},
        {WVK_ESCAPE, false, DK_ESCAPE},
        {WVK_PAUSE, false, DK_PAUSE},
        {WVK_BACK, false, DK_BACKSPACE},
        {WVK_OEM_COMMA, false, ','}, // sidestep, as Q and E are
        {WVK_OEM_PERIOD, false, '.'},
        {0x2D, true, 0},  // Insert: not one of the game's
        {0x90, false, 0}, // Num Lock
        {0x60, false, 0}, // the keypad's 0, not the digit key's
    };
    for (const auto& c : cases)
        EXPECT_EQ(Win32DesktopKey(Key(c.vk, true, c.extended)), c.key) << c.vk;
}

TEST(Win32Input, KeysWithTheirModifiersActAsOnTheOtherDesktops) {
    CInputMap map;
    Win32FeedKey(map, Key('W', true));
    Win32FeedKey(map, Key('W', false));
    EXPECT_EQ(TakeActions(map), (Lines{"down 38", "up 38"}));

    Win32Event held = Key(WVK_UP, true, true);
    held.repeat = true;
    Win32FeedKey(map, held);
    EXPECT_EQ(TakeActions(map), (Lines{"repeat 38"}));

    Win32Event altReturn = Key(WVK_RETURN, true);
    altReturn.alt = true;
    Win32FeedKey(map, altReturn);
    Win32FeedKey(map, Key(WVK_F1 + 10, true)); // F11
    Win32FeedKey(map, Key(WVK_F12, true));
    EXPECT_EQ(TakeActions(map), (Lines{"fullscreen", "fullscreen", "screenshot"}));

    Win32Event altLeft = Key(WVK_LEFT, true, true);
    altLeft.alt = true;
    Win32FeedKey(map, altLeft);
    Win32FeedKey(map, Key(WVK_LEFT, false, true)); // Alt let go first
    EXPECT_EQ(TakeActions(map), (Lines{"down 136", "up 136"}));

    Win32FeedKey(map, Key(0x2D, true, true)); // dropped
    EXPECT_EQ(TakeActions(map), Lines{});
}

// Each change of an XInput pad gives what the same change of an SDL pad
// gives, fed to a map by hand in SDL's numbers.
TEST(Win32Input, PadChangesAreTheSdlPadsChanges) {
    Win32Pad idle;
    idle.connected = true;
    Win32Pad a = idle, up = idle, triggers = idle, dpad = idle, gone;
    a.buttons = WPAD_A;
    up.stickY = 32767; // XInput: up is positive
    triggers.leftTrigger = 255;
    triggers.rightTrigger = 128;
    dpad.buttons = WPAD_DPAD_LEFT | WPAD_START | WPAD_RIGHT_SHOULDER;
    const struct {
        const char* what;
        const Win32Pad& was;
        const Win32Pad& now;
        std::function<void(CInputMap&)> sdl;
    } cases[] = {
        {"A down", idle, a, [](CInputMap& m) { m.PadButton(0, PAD_A, true, 100); }},
        {"A up", a, idle,
         [](CInputMap& m) {
             m.PadButton(0, PAD_A, true, 0);
             m.PadButton(0, PAD_A, false, 100);
         }},
        {"stick up", idle, up, [](CInputMap& m) { m.PadAxis(0, PAD_AXIS_LEFTY, -32768, 100); }},
        {"triggers", idle, triggers,
         [](CInputMap& m) {
             m.PadAxis(0, PAD_AXIS_TRIGGERLEFT, 32767, 100);
             m.PadAxis(0, PAD_AXIS_TRIGGERRIGHT, 16448, 100);
         }},
        {"D-pad, Start and a shoulder", idle, dpad,
         [](CInputMap& m) {
             m.PadButton(0, PAD_START, true, 100);
             m.PadButton(0, PAD_RIGHTSHOULDER, true, 100);
             m.PadButton(0, PAD_DPAD_LEFT, true, 100);
         }},
        {"unplugged holding A", a, gone,
         [](CInputMap& m) {
             m.PadButton(0, PAD_A, true, 0);
             m.PadRemoved(0);
         }},
    };
    for (const auto& c : cases) {
        CInputMap win, sdl;
        if (c.was.buttons) // what was held before the change
            Win32FeedPad(win, 0, idle, c.was, 0);
        Win32FeedPad(win, 0, c.was, c.now, 100);
        c.sdl(sdl);
        const Lines expected = TakeActions(sdl);
        EXPECT_FALSE(expected.empty()) << c.what;
        EXPECT_EQ(TakeActions(win), expected) << c.what;
    }
}

TEST(Win32Picture, WholeNumberScaleInTheMiddle) {
    const struct {
        int cw, ch;
        Win32Fit fit;
    } cases[] = {
        {240, 320, {0, 0, 1}},      {480, 640, {0, 0, 2}},
        {800, 800, {160, 80, 2}},   // full screen on a square display
        {1920, 1080, {600, 60, 3}}, // a wide display: the height decides
        {479, 1000, {119, 340, 1}}, // just short of twice as wide
        {200, 300, {-20, -10, 1}},  // smaller than the picture: 1:1, cropped
    };
    for (const auto& c : cases) {
        const Win32Fit fit = Win32FitPicture(c.cw, c.ch, 240, 320);
        EXPECT_EQ(fit.scale, c.fit.scale) << c.cw << "x" << c.ch;
        EXPECT_EQ(fit.x, c.fit.x) << c.cw << "x" << c.ch;
        EXPECT_EQ(fit.y, c.fit.y) << c.cw << "x" << c.ch;
    }
}

} // namespace
