// The page's keys, touch buttons, pads and waves as the game hears them:
// a key in the browser must do what the same key does in the window.
#include "platform/InputActions.h"
#include "platform/InputMap.h"
#include "platform/Resources.h"
#include "platform/web/WebKeys.h"
#include "platform/web/WebWave.h"
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

// A RIFF file of the given chunks after the WAVE tag.
std::vector<unsigned char>
Riff(const std::vector<std::pair<std::string, std::vector<unsigned char>>>& chunks) {
    std::vector<unsigned char> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const auto& chunk : chunks) {
        out.insert(out.end(), chunk.first.begin(), chunk.first.end());
        const uint32_t n = static_cast<uint32_t>(chunk.second.size());
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<unsigned char>(n >> (8 * i)));
        out.insert(out.end(), chunk.second.begin(), chunk.second.end());
        if (n & 1)
            out.push_back(0);
    }
    return out;
}

std::vector<unsigned char> Format(int tag, int channels, int rate, int bits) {
    std::vector<unsigned char> f(16, 0);
    f[0] = static_cast<unsigned char>(tag);
    f[2] = static_cast<unsigned char>(channels);
    for (int i = 0; i < 4; ++i)
        f[4 + i] = static_cast<unsigned char>(rate >> (8 * i));
    f[14] = static_cast<unsigned char>(bits);
    return f;
}

TEST(WebWaves, TheGamesWavesAreFoundWholeAndOddChunksAreSkipped) {
    for (int id : {141, 142, 156, 160, 161}) {
        const unsigned char* data = nullptr;
        size_t size = 0;
        ASSERT_TRUE(PlatFindResource(id, PLAT_RT_WAVE, &data, &size)) << id;
        WebWave wave;
        ASSERT_TRUE(WebReadWave(data, size, &wave)) << id;
        EXPECT_EQ(wave.bits, 8) << id;
        EXPECT_EQ(wave.channels, 1) << id;
        EXPECT_GT(wave.bytes, 100u) << id;
        EXPECT_LE(wave.samples + wave.bytes, data + size) << id;
    }
    // A chunk of odd length before the samples is padded; the samples are
    // found after the pad byte.
    const auto file =
        Riff({{"fmt ", Format(1, 1, 22050, 8)}, {"LIST", {1, 2, 3}}, {"data", {10, 20, 30, 40}}});
    WebWave wave;
    ASSERT_TRUE(WebReadWave(file.data(), file.size(), &wave));
    EXPECT_EQ(wave.rate, 22050);
    ASSERT_EQ(wave.bytes, 4u);
    EXPECT_EQ(wave.samples[0], 10);
}

TEST(WebWaves, FilesThatCannotPlayAreRefused) {
    const std::vector<unsigned char> samples = {1, 2, 3, 4};
    const std::vector<std::vector<unsigned char>> bad = {
        Riff({{"fmt ", Format(2, 1, 22050, 4)}, {"data", samples}}), // compressed
        Riff({{"fmt ", Format(1, 1, 22050, 12)}, {"data", samples}}),
        Riff({{"fmt ", Format(1, 6, 22050, 8)}, {"data", samples}}),
        Riff({{"data", samples}, {"fmt ", Format(1, 1, 22050, 8)}}), // samples of no known form
        Riff({{"fmt ", Format(1, 1, 22050, 8)}}),                    // no samples
        Riff({{"fmt ", Format(1, 1, 22050, 8)}, {"data", {}}}),
    };
    WebWave wave;
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_FALSE(WebReadWave(bad[i].data(), bad[i].size(), &wave)) << i;
    // Cut short inside the samples, or not a RIFF file at all.
    auto cut = Riff({{"fmt ", Format(1, 1, 22050, 8)}, {"data", samples}});
    EXPECT_TRUE(WebReadWave(cut.data(), cut.size(), &wave));
    EXPECT_FALSE(WebReadWave(cut.data(), cut.size() - 1, &wave));
    cut[0] = 'X';
    EXPECT_FALSE(WebReadWave(cut.data(), cut.size(), &wave));
    EXPECT_FALSE(WebReadWave(nullptr, 0, &wave));
}

} // namespace
