// The frame rate a run reports: measured by the world around each frame it
// runs, carried into the run's figures and printed with them.
#include "app/GameRun.h"
#include "app/RunStats.h"
#include "platform/headless/Headless.h"
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

TEST(RunFps, AHeadlessRunReportsTheRateOfItsOwnFrames) {
    COptions options;
    options.m_config.headless = true;
    options.m_config.frames = 120;
    options.m_strLevelsDir = "/nonexistent/"; // the built-in level
    CRunStats stats;
    ASSERT_EQ(RunGame(options, HeadlessMakeBackend, &stats), EXIT_NORMAL);
    ASSERT_GT(stats.m_nFrames, 100);
    // How fast the frames ran is not asserted, only that their real time
    // was measured and the rate is the frames over that time.
    ASSERT_GT(stats.m_dFrameSeconds, 0.0);
    EXPECT_DOUBLE_EQ(stats.Fps(), stats.m_nFrames / stats.m_dFrameSeconds);
    const std::string json = stats.ToJson();
    const size_t at = json.find("\"fps\": ");
    ASSERT_NE(at, std::string::npos) << json;
    EXPECT_DOUBLE_EQ(std::strtod(json.c_str() + at + 7, nullptr), stats.Fps()) << json;
}

TEST(RunFps, NoMeasuredTimeIsARateOfZero) {
    CRunStats stats;
    stats.m_nFrames = 10;
    EXPECT_EQ(stats.Fps(), 0.0);
    EXPECT_NE(stats.ToJson().find("\"fps\": 0,"), std::string::npos) << stats.ToJson();
    stats.m_dFrameSeconds = 0.5;
    EXPECT_EQ(stats.Fps(), 20.0);
    stats.Reset();
    EXPECT_EQ(stats.m_dFrameSeconds, 0.0);
}
