// Gamepads through SDL's own game-controller code, with a virtual pad: what
// the game hears when pads come and go and their buttons and sticks move.
#include "platform/InputActions.h"
#include "platform/InputMap.h"
#include "platform/sdl/SdlPads.h"
#include "platform/sdl/tests/VirtualPad.h"
#include <gtest/gtest.h>

using plattest::TakeActions;
using Lines = std::vector<std::string>;

namespace {

class PadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartPadSupport(m_pads)); }
    void TearDown() override {
        m_pad.Unplug();
        m_other.Unplug();
        StopPadSupport(m_pads);
    }
    // Plugs `pad` in and lets its arrival through: a pad at rest says
    // nothing to the game.
    void PlugIn(CVirtualPad& pad) {
        ASSERT_TRUE(pad.Plug());
        EXPECT_EQ(Pump(), Lines{});
    }
    Lines Pump(uint32_t now = 0) {
        PumpPadEvents(m_pads, m_map, now);
        return TakeActions(m_map);
    }

    CSdlPads m_pads;
    CInputMap m_map;
    CVirtualPad m_pad;
    CVirtualPad m_other;
};

TEST_F(PadTest, PadsComeAndGoDuringPlay) {
    EXPECT_EQ(m_pads.Count(), 0);
    PlugIn(m_pad);
    EXPECT_EQ(m_pads.Count(), 1);
    PlugIn(m_other);
    EXPECT_EQ(m_pads.Count(), 2);

    // Both pads are heard.
    ASSERT_TRUE(m_pad.SetButton(PAD_A, true));
    EXPECT_EQ(Pump(), (Lines{"down 209"}));
    ASSERT_TRUE(m_other.SetButton(PAD_DPAD_LEFT, true));
    EXPECT_EQ(Pump(), (Lines{"down 37"}));

    // Pulling a pad out lets go of what it held, and only that.
    m_other.Unplug();
    EXPECT_EQ(Pump(), (Lines{"up 37"}));
    EXPECT_EQ(m_pads.Count(), 1);
    m_pad.Unplug();
    EXPECT_EQ(Pump(), (Lines{"up 209"}));
    EXPECT_EQ(m_pads.Count(), 0);

    // Plugged in again, it plays again.
    PlugIn(m_pad);
    EXPECT_EQ(m_pads.Count(), 1);
    ASSERT_TRUE(m_pad.SetButton(PAD_DPAD_UP, true));
    EXPECT_EQ(Pump(), (Lines{"down 38"}));
}

TEST_F(PadTest, PadPluggedInBeforeTheGameIsOpened) {
    StopPadSupport(m_pads);
    // Only the joysticks run when the pad arrives; the game-controller
    // support starts after it, as when the game starts with a pad plugged in.
    ASSERT_TRUE(StartJoystickSupport());
    ASSERT_TRUE(m_pad.Plug());
    ASSERT_TRUE(m_pads.Open());
    Pump();
    EXPECT_EQ(m_pads.Count(), 1);
    ASSERT_TRUE(m_pad.SetButton(PAD_DPAD_RIGHT, true));
    EXPECT_EQ(Pump(), (Lines{"down 39"}));
}

TEST_F(PadTest, ButtonsAreTheDevicesButtons) {
    PlugIn(m_pad);
    // The D-pad walks and turns like the arrows.
    const int dpad[] = {PAD_DPAD_UP, PAD_DPAD_DOWN, PAD_DPAD_LEFT, PAD_DPAD_RIGHT};
    const char* keys[] = {"38", "40", "37", "39"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(m_pad.SetButton(dpad[i], true));
        EXPECT_EQ(Pump(), (Lines{std::string("down ") + keys[i]})) << i;
        ASSERT_TRUE(m_pad.SetButton(dpad[i], false));
        EXPECT_EQ(Pump(), (Lines{std::string("up ") + keys[i]})) << i;
    }
    // The face buttons fire as the action buttons 209 to 212.
    const int face[] = {PAD_A, PAD_B, PAD_X, PAD_Y};
    for (int i = 0; i < 4; ++i) {
        const std::string code = std::to_string(209 + i);
        ASSERT_TRUE(m_pad.SetButton(face[i], true));
        EXPECT_EQ(Pump(), (Lines{"down " + code})) << i;
        ASSERT_TRUE(m_pad.SetButton(face[i], false));
        EXPECT_EQ(Pump(), (Lines{"up " + code})) << i;
    }
    // Start is the pause key, the shoulders sidestep; a button the game has
    // no use for says nothing.
    ASSERT_TRUE(m_pad.SetButton(6 /* start */, true));
    EXPECT_EQ(Pump(), (Lines{"down 19"}));
    ASSERT_TRUE(m_pad.SetButton(9 /* left shoulder */, true));
    EXPECT_EQ(Pump(), (Lines{"down 136"}));
    ASSERT_TRUE(m_pad.SetButton(10 /* right shoulder */, true));
    EXPECT_EQ(Pump(), (Lines{"down 137"}));
    ASSERT_TRUE(m_pad.SetButton(7 /* left stick */, true));
    EXPECT_EQ(Pump(), Lines{});
}

TEST_F(PadTest, StickWalksAndTurnsPastItsDeadZone) {
    PlugIn(m_pad);
    // A small push, a stick at rest or one that drifts, does nothing.
    ASSERT_TRUE(m_pad.SetAxis(PAD_AXIS_LEFTY, -8000));
    ASSERT_TRUE(m_pad.SetAxis(PAD_AXIS_LEFTX, 9000));
    EXPECT_EQ(Pump(), Lines{});
    // Pushed well over: forward, then forward and to the right.
    ASSERT_TRUE(m_pad.SetAxis(PAD_AXIS_LEFTY, -30000));
    EXPECT_EQ(Pump(), (Lines{"down 38"}));
    ASSERT_TRUE(m_pad.SetAxis(PAD_AXIS_LEFTX, 25000));
    EXPECT_EQ(Pump(), (Lines{"down 39"}));
    // Easing back a little keeps going; back near the middle stops.
    ASSERT_TRUE(m_pad.SetAxis(PAD_AXIS_LEFTY, -13000));
    EXPECT_EQ(Pump(), Lines{});
    ASSERT_TRUE(m_pad.SetAxis(PAD_AXIS_LEFTY, -5000));
    EXPECT_EQ(Pump(), (Lines{"up 38"}));
    // Swung from right to left: let go of Right, then press Left.
    ASSERT_TRUE(m_pad.SetAxis(PAD_AXIS_LEFTX, -32768));
    EXPECT_EQ(Pump(), (Lines{"up 39", "down 37"}));
    ASSERT_TRUE(m_pad.SetAxis(PAD_AXIS_LEFTY, 32767));
    EXPECT_EQ(Pump(), (Lines{"down 40"}));
}

TEST_F(PadTest, TriggersFireWhenPulledNotAtRest) {
    PlugIn(m_pad);
    // Pressed home and let go, each trigger fires as 213 once.
    for (int axis : {PAD_AXIS_TRIGGERLEFT, PAD_AXIS_TRIGGERRIGHT}) {
        ASSERT_TRUE(m_pad.SetAxis(axis, 32767));
        EXPECT_EQ(Pump(), (Lines{"down 213"})) << axis;
        ASSERT_TRUE(m_pad.SetAxis(axis, -32768));
        EXPECT_EQ(Pump(), (Lines{"up 213"})) << axis;
    }
}

TEST_F(PadTest, HeldButtonRepeatsLikeAKey) {
    PlugIn(m_pad);
    ASSERT_TRUE(m_pad.SetButton(PAD_B, true));
    EXPECT_EQ(Pump(1000), (Lines{"down 210"}));
    m_map.Tick(1000 + CInputMap::kRepeatDelay);
    EXPECT_EQ(TakeActions(m_map), (Lines{"repeat 210"}));
    ASSERT_TRUE(m_pad.SetButton(PAD_B, false));
    EXPECT_EQ(Pump(2000), (Lines{"up 210"}));
    m_map.Tick(5000);
    EXPECT_EQ(TakeActions(m_map), Lines{});
}

} // namespace
