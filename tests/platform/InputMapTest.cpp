// The desktop's keys and pads as the device's buttons, without SDL: what the
// game hears for each key, stick and trigger, and what the window does.
#include "platform/InputMap.h"
#include "platform/InputActions.h"
#include <gtest/gtest.h>

using plattest::TakeActions;
using Lines = std::vector<std::string>;

namespace {

Lines Press(CInputMap& map, int32_t key, uint16_t mod = 0) {
    map.Key(key, mod, true, false);
    map.Key(key, mod, false, false);
    return TakeActions(map);
}

TEST(InputKeys, ArrowsAndWasdWalkAndTurnWithoutTyping) {
    CInputMap map;
    const struct {
        int32_t key;
        const char* vk;
    } cases[] = {
        {DK_UP, "38"},   {'w', "38"}, {DK_DOWN, "40"},  {'s', "40"},
        {DK_LEFT, "37"}, {'a', "37"}, {DK_RIGHT, "39"}, {'d', "39"},
    };
    for (const auto& c : cases) {
        // With Shift held too: a capital W still walks.
        for (uint16_t mod : {uint16_t(0), uint16_t(DKMOD_SHIFT)})
            EXPECT_EQ(Press(map, c.key, mod),
                      (Lines{std::string("down ") + c.vk, std::string("up ") + c.vk}))
                << c.key;
    }
    // A held arrow repeats as the device's key does.
    map.Key(DK_UP, 0, true, true);
    EXPECT_EQ(TakeActions(map), (Lines{"repeat 38"}));
}

TEST(InputKeys, QECommaFullStopAndAltArrowsSidestep) {
    CInputMap map;
    for (int32_t key : {int32_t('q'), int32_t(',')})
        EXPECT_EQ(Press(map, key), (Lines{"down 136", "up 136"})) << key;
    for (int32_t key : {int32_t('e'), int32_t('.')})
        EXPECT_EQ(Press(map, key), (Lines{"down 137", "up 137"})) << key;
    EXPECT_EQ(Press(map, DK_LEFT, DKMOD_ALT), (Lines{"down 136", "up 136"}));
    EXPECT_EQ(Press(map, DK_RIGHT, DKMOD_ALT), (Lines{"down 137", "up 137"}));
    // Alt let go before the arrow: the arrow comes up as the sidestep it
    // went down as, and its repeats stay sidesteps.
    map.Key(DK_LEFT, DKMOD_ALT, true, false);
    map.Key(DK_LEFT, 0, true, true);
    map.Key(DK_LEFT, 0, false, false);
    EXPECT_EQ(TakeActions(map), (Lines{"down 136", "repeat 136", "up 136"}));
    // A fresh press without Alt turns, even if the last release was lost.
    map.Key(DK_LEFT, DKMOD_ALT, true, false);
    map.Key(DK_LEFT, 0, true, false);
    EXPECT_EQ(TakeActions(map), (Lines{"down 136", "down 37"}));
    // The shoulder buttons, once each however often the pad says so; a pad
    // that goes away lets go of the one it held.
    map.PadButton(1, PAD_LEFTSHOULDER, true, 0);
    map.PadButton(1, PAD_LEFTSHOULDER, true, 0);
    map.PadButton(1, PAD_LEFTSHOULDER, false, 0);
    map.PadButton(1, PAD_RIGHTSHOULDER, true, 0);
    map.PadRemoved(1);
    EXPECT_EQ(TakeActions(map), (Lines{"down 136", "up 136", "down 137", "up 137"}));
}

TEST(InputKeys, SpaceCtrlAndReturnFireAndRepeatWhileHeld) {
    CInputMap map;
    for (int32_t key : {int32_t(DK_SPACE), int32_t(DK_LCTRL), int32_t(DK_RCTRL)})
        EXPECT_EQ(Press(map, key), (Lines{"down 209", "up 209"})) << key;
    EXPECT_EQ(Press(map, DK_RETURN), (Lines{"down 13", "char 13", "up 13"}));
    EXPECT_EQ(Press(map, DK_KP_ENTER), (Lines{"down 13", "char 13", "up 13"}));
    map.Key(DK_SPACE, 0, true, true);
    map.Key(DK_RETURN, 0, true, true);
    EXPECT_EQ(TakeActions(map), (Lines{"repeat 209", "repeat 13", "char-repeat 13"}));
}

TEST(InputKeys, WindowKeysEscapeAndPauseActOncePerPress) {
    CInputMap map;
    // Escape and the pause key reach the game once a press, as keys of their
    // own (the game asks before quitting; the window system pauses).
    EXPECT_EQ(Press(map, DK_ESCAPE), (Lines{"down 27", "up 27"}));
    EXPECT_EQ(Press(map, 'p'), (Lines{"down 19", "up 19"}));
    EXPECT_EQ(Press(map, DK_PAUSE), (Lines{"down 19", "up 19"}));
    EXPECT_EQ(Press(map, DK_F11), (Lines{"fullscreen"}));
    EXPECT_EQ(Press(map, DK_F12), (Lines{"screenshot"}));
    // Alt+Return toggles instead of firing, with either Alt key.
    EXPECT_EQ(Press(map, DK_RETURN, 0x0100), (Lines{"fullscreen"}));
    EXPECT_EQ(Press(map, DK_KP_ENTER, 0x0200), (Lines{"fullscreen"}));
    // Held down, they do not repeat: one toggle, one file, one close.
    for (int32_t key : {int32_t(DK_ESCAPE), int32_t('p'), int32_t(DK_F11), int32_t(DK_F12)})
        map.Key(key, 0, true, true);
    map.Key(DK_RETURN, DKMOD_ALT, true, true);
    EXPECT_EQ(TakeActions(map), Lines{});
}

TEST(InputKeys, OtherKeysPassOnAsTheDevicesOrNotAtAll) {
    CInputMap map;
    EXPECT_EQ(Press(map, 'x'), (Lines{"down 88", "char 120", "up 88"}));
    EXPECT_EQ(Press(map, 'x', DKMOD_SHIFT), (Lines{"down 88", "char 88", "up 88"}));
    EXPECT_EQ(Press(map, '7'), (Lines{"down 55", "char 55", "up 55"}));
    EXPECT_EQ(Press(map, DK_TAB), (Lines{"down 9", "char 9", "up 9"}));
    EXPECT_EQ(Press(map, DK_LSHIFT), (Lines{"down 16", "up 16"}));
    EXPECT_EQ(Press(map, DK_F1), (Lines{"down 112", "up 112"}));
    EXPECT_EQ(Press(map, DK_F10), (Lines{"down 121", "up 121"}));
    // Keys the device has nothing like: Home, Page Up, a keypad digit, '/'.
    for (int32_t key : {(1 << 30) | 74, (1 << 30) | 75, (1 << 30) | 89, int32_t('/')})
        EXPECT_EQ(Press(map, key), Lines{}) << key;
}

TEST(InputPads, StickHasADeadZoneAndHysteresis) {
    CInputMap map;
    const int on = CInputMap::kStickOn, off = CInputMap::kStickOff;
    map.PadAxis(1, PAD_AXIS_LEFTX, on - 1, 0);
    map.PadAxis(1, PAD_AXIS_LEFTY, -(on - 1), 0);
    EXPECT_EQ(TakeActions(map), Lines{});
    map.PadAxis(1, PAD_AXIS_LEFTX, on, 0);
    map.PadAxis(1, PAD_AXIS_LEFTY, -on, 0);
    EXPECT_EQ(TakeActions(map), (Lines{"down 39", "down 38"}));
    // Inside the first threshold but outside the second: still held.
    map.PadAxis(1, PAD_AXIS_LEFTX, off, 0);
    map.PadAxis(1, PAD_AXIS_LEFTY, -off, 0);
    EXPECT_EQ(TakeActions(map), Lines{});
    map.PadAxis(1, PAD_AXIS_LEFTX, off - 1, 0);
    map.PadAxis(1, PAD_AXIS_LEFTY, -(off - 1), 0);
    EXPECT_EQ(TakeActions(map), (Lines{"up 39", "up 38"}));
    // Back up to the second threshold from rest is not enough.
    map.PadAxis(1, PAD_AXIS_LEFTX, off, 0);
    EXPECT_EQ(TakeActions(map), Lines{});
    // The extremes, and a jump straight across.
    map.PadAxis(1, PAD_AXIS_LEFTY, 32767, 0);
    map.PadAxis(1, PAD_AXIS_LEFTY, -32768, 0);
    EXPECT_EQ(TakeActions(map), (Lines{"down 40", "up 40", "down 38"}));
}

TEST(InputPads, DpadAndStickTogetherAreOneButton) {
    CInputMap map;
    map.PadButton(1, PAD_DPAD_UP, true, 0);
    map.PadAxis(1, PAD_AXIS_LEFTY, -30000, 0);
    EXPECT_EQ(TakeActions(map), (Lines{"down 38"}));
    // The stick lets go, the D-pad still holds it.
    map.PadAxis(1, PAD_AXIS_LEFTY, 0, 0);
    EXPECT_EQ(TakeActions(map), Lines{});
    map.PadButton(1, PAD_DPAD_UP, false, 0);
    EXPECT_EQ(TakeActions(map), (Lines{"up 38"}));
    // Two pads are two sets of buttons.
    map.PadButton(1, PAD_DPAD_LEFT, true, 0);
    map.PadButton(2, PAD_DPAD_LEFT, true, 0);
    map.PadButton(2, PAD_DPAD_LEFT, false, 0);
    EXPECT_EQ(TakeActions(map), (Lines{"down 37", "down 37", "up 37"}));
    // Start is the pause key; buttons the game has no use for say nothing.
    map.PadButton(1, PAD_START, true, 0);
    map.PadButton(1, PAD_START, false, 0);
    EXPECT_EQ(TakeActions(map), (Lines{"down 19", "up 19"}));
    for (int button : {4, 5, 7, 8, 15, 20, -1, 99})
        map.PadButton(1, button, true, 0);
    for (int axis : {2, 3, 6, -1})
        map.PadAxis(1, axis, 32767, 0);
    EXPECT_EQ(TakeActions(map), Lines{});
}

TEST(InputPads, FaceButtonsAndTriggersFireAsTheActionButtons) {
    CInputMap map;
    const int face[] = {PAD_A, PAD_B, PAD_X, PAD_Y};
    for (int i = 0; i < 4; ++i) {
        map.PadButton(1, face[i], true, 0);
        map.PadButton(1, face[i], true, 0); // told twice: still one press
        map.PadButton(1, face[i], false, 0);
        const std::string code = std::to_string(209 + i);
        EXPECT_EQ(TakeActions(map), (Lines{"down " + code, "up " + code})) << i;
    }
    const int on = CInputMap::kTriggerOn, off = CInputMap::kTriggerOff;
    for (int axis : {PAD_AXIS_TRIGGERLEFT, PAD_AXIS_TRIGGERRIGHT}) {
        map.PadAxis(1, axis, on - 1, 0);
        EXPECT_EQ(TakeActions(map), Lines{}) << axis;
        map.PadAxis(1, axis, on, 0);
        map.PadAxis(1, axis, off, 0); // eased off, not let go
        EXPECT_EQ(TakeActions(map), (Lines{"down 213"})) << axis;
        map.PadAxis(1, axis, off - 1, 0);
        EXPECT_EQ(TakeActions(map), (Lines{"up 213"})) << axis;
    }
}

TEST(InputPads, TheLastFireButtonPressedRepeatsOnTheClock) {
    CInputMap map;
    const uint32_t delay = CInputMap::kRepeatDelay, every = CInputMap::kRepeatInterval;
    // Pressed just before the tick count wraps.
    const uint32_t t0 = 0xFFFFFF00u;
    map.PadButton(1, PAD_A, true, t0);
    map.Tick(t0 + delay - 1);
    EXPECT_EQ(TakeActions(map), (Lines{"down 209"}));
    map.Tick(t0 + delay);
    map.Tick(t0 + delay + every - 1);
    EXPECT_EQ(TakeActions(map), (Lines{"repeat 209"}));
    // A long stall gives one repeat, not a burst.
    map.Tick(t0 + delay + 50 * every);
    EXPECT_EQ(TakeActions(map), (Lines{"repeat 209"}));

    // B pressed over A: B repeats, A stops; letting B go stops it all.
    const uint32_t t1 = t0 + 10000;
    map.PadButton(1, PAD_B, true, t1);
    map.Tick(t1 + delay);
    map.PadButton(1, PAD_B, false, t1 + delay);
    map.Tick(t1 + 10 * delay);
    EXPECT_EQ(TakeActions(map), (Lines{"down 210", "repeat 210", "up 210"}));
    map.PadButton(1, PAD_A, false, t1 + 10 * delay);
    EXPECT_EQ(TakeActions(map), (Lines{"up 209"}));
}

TEST(InputPads, ARemovedPadLetsGoOfEverythingItHeld) {
    CInputMap map;
    map.PadButton(3, PAD_DPAD_DOWN, true, 0);
    map.PadAxis(3, PAD_AXIS_LEFTX, -32768, 0);
    map.PadButton(3, PAD_X, true, 0);
    map.PadAxis(3, PAD_AXIS_TRIGGERRIGHT, 32767, 0);
    map.PadButton(4, PAD_DPAD_UP, true, 0);
    TakeActions(map);
    map.PadRemoved(3);
    EXPECT_EQ(TakeActions(map), (Lines{"up 211", "up 213", "up 40", "up 37"}));
    // Gone: no repeats, and a second removal says nothing.
    map.Tick(100000);
    map.PadRemoved(3);
    map.PadRemoved(77);
    EXPECT_EQ(TakeActions(map), Lines{});
    // The other pad still holds its button.
    map.PadRemoved(4);
    EXPECT_EQ(TakeActions(map), (Lines{"up 38"}));
}

} // namespace
