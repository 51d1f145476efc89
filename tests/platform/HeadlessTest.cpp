// The headless backend's own services: the virtual clock, sleeping,
// scripted message-box answers, sounds and start-up from a configuration.
#include "PlatformTestApp.h"
#include "platform/Platform.h"
#include "platform/Sound.h"
#include "platform/Time.h"
#include "res/ResourceIds.h"
#include <algorithm>
#include <gtest/gtest.h>

using plattest::CRecordingApp;

namespace {

bool Logged(const std::string& line) {
    const auto& log = HeadlessCallLog();
    return std::find(log.begin(), log.end(), line) != log.end();
}

} // namespace

TEST(HeadlessClock, StepsOncePerIdlePassAndWrapsLikeA32BitCount) {
    HeadlessReset();
    HeadlessSetClock(0xFFFFFFE0u);
    HeadlessSetFrameLimit(4);
    std::vector<uint32_t> seen;
    CRecordingApp app;
    app.m_idle = [&seen](long) {
        seen.push_back(PlatGetTickCount());
        return true;
    };
    EXPECT_EQ(0, app.Run());
    ASSERT_EQ(4u, seen.size());
    EXPECT_EQ((std::vector<uint32_t>{0xFFFFFFF0u, 0x00000000u, 0x00000010u, 0x00000020u}), seen);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_EQ(16u, seen[i] - seen[i - 1]); // the game's unsigned difference
}

TEST(HeadlessClock, SleepingMovesTheClockOnAndIsRecorded) {
    HeadlessReset();
    HeadlessSetStep(10);
    HeadlessSetFrameLimit(3);
    std::vector<uint32_t> seen;
    CRecordingApp app;
    app.m_idle = [&seen](long count) {
        seen.push_back(PlatGetTickCount());
        if (count == 1)
            PlatSleep(300);
        return true;
    };
    EXPECT_EQ(0, app.Run());
    EXPECT_EQ((std::vector<uint32_t>{10, 20, 330}), seen);
    EXPECT_TRUE(Logged("Sleep 300"));

    HeadlessSetClock(0xFFFFFF00u);
    PlatSleep(500);
    EXPECT_EQ(500u - 0x100u, PlatGetTickCount());
}

TEST(HeadlessBoxes, AnswersComeInOrderThenCancel) {
    HeadlessReset();
    HeadlessAddAnswer(IDOK);
    HeadlessAddAnswer(IDCANCEL);
    HeadlessAddAnswer(IDOK);
    const uint32_t choice = MB_OKCANCEL | MB_ICONINFORMATION;
    EXPECT_EQ(IDOK, PlatMessageBox(nullptr, "first", "Quibbo", choice));
    // An OK-only box has nothing to choose and takes no answer.
    EXPECT_EQ(IDOK, PlatMessageBox(nullptr, "Can't load level.", nullptr, MB_OK));
    EXPECT_EQ(IDCANCEL, PlatMessageBox(nullptr, "second", "Quibbo", choice));
    EXPECT_EQ(IDOK, PlatMessageBox(nullptr, "GAME OVER\nScore: 10", "Quibbo", choice));
    EXPECT_EQ(IDCANCEL, PlatMessageBox(nullptr, "fourth", "Quibbo", choice));
    EXPECT_EQ(IDCANCEL, PlatMessageBox(nullptr, "fifth", "Quibbo", choice));

    const auto& boxes = HeadlessMessageBoxes();
    ASSERT_EQ(6u, boxes.size());
    EXPECT_EQ("Can't load level.", boxes[1].text);
    EXPECT_EQ(uint32_t(MB_OK), boxes[1].type);
    EXPECT_EQ("GAME OVER\nScore: 10", boxes[3].text);
    EXPECT_EQ(choice, boxes[3].type);
    EXPECT_EQ(IDOK, boxes[3].answer);
    EXPECT_TRUE(Logged("MessageBox GAME OVER\nScore: 10"));
}

TEST(HeadlessSound, RecordsEveryWaveAskedForAndIsSilentWithoutTheResource) {
    HeadlessReset();
    EXPECT_EQ(0, HeadlessLastWave());
    PlatPlayWave(IDW_SHOT);
    PlatPlayWave(99999); // no such resource: nothing to hear, but asked for
    EXPECT_EQ(99999, HeadlessLastWave());
    EXPECT_TRUE(Logged("PlayWave " + std::to_string(IDW_SHOT)));
    EXPECT_TRUE(Logged("PlayWave 99999"));
}

TEST(HeadlessStartup, TakesStepFrameLimitKeysAndAnswersFromTheConfiguration) {
    PlatConfig config;
    config.headless = true;
    config.dtMs = 40;
    config.frames = 3;
    // Out of frame order; within a frame the script's order holds.
    config.keys = {{3, WM_KEYUP, VK_DOWN, 0}, {2, WM_KEYDOWN, VK_LEFT, 0}, {3, WM_KEYDOWN, VK_UP, 0}};
    config.answers = {IDOK};
    ASSERT_TRUE(PlatStartup(config, HeadlessMakeBackend));
    EXPECT_TRUE(PlatIsHeadless());
    CRecordingApp app;
    app.m_idle = [](long) { return true; };
    EXPECT_EQ(0, app.Run());
    EXPECT_EQ((std::vector<std::string>{"idle 0 @1", "pre KEYDOWN 37", "key KEYDOWN 37",
                                        "idle 0 @2", "pre KEYUP 40", "key KEYUP 40",
                                        "pre KEYDOWN 38", "key KEYDOWN 38", "idle 0 @3",
                                        "destroy"}),
              app.m_lines);
    EXPECT_EQ(3, HeadlessIdlePasses());
    EXPECT_EQ(3, HeadlessFrameWaits()); // one wait a pass
    EXPECT_EQ(120u, PlatGetTickCount());
    EXPECT_EQ(IDOK, PlatMessageBox(nullptr, "?", "", MB_OKCANCEL));
    EXPECT_EQ(IDCANCEL, PlatMessageBox(nullptr, "?", "", MB_OKCANCEL)); // answers ran out
    PlatShutdown();
    EXPECT_EQ(0u, PlatGetTickCount()); // the quiet backend: nothing runs after a shutdown
}
