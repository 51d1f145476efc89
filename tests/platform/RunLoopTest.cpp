// The framework's run loop on the headless backend: message order, idle
// counting, waiting, scripted keys, and the ways a run ends.
#include "PlatformTestApp.h"
#include "platform/Time.h"
#include <gtest/gtest.h>

using plattest::CRecordingApp;
using Lines = std::vector<std::string>;

TEST(RunLoop, MessagesGoThroughPreTranslateFirstInQueueOrder) {
    HeadlessReset();
    HeadlessAddKey(1, WM_KEYDOWN, VK_UP);
    HeadlessAddKey(1, WM_KEYUP, VK_UP);
    HeadlessAddKey(1, WM_KEYDOWN, VK_RETURN); // consumed
    HeadlessAddKey(1, WM_CHAR, 'a');
    CRecordingApp app;
    app.m_consumed = {VK_RETURN};
    app.m_idle = [](long count) { return count < 2; };

    EXPECT_EQ(0, app.Run());
    EXPECT_EQ(
        (Lines{"pre KEYDOWN 38", "key KEYDOWN 38", "pre KEYUP 38", "key KEYUP 38", "pre KEYDOWN 13",
               "pre CHAR 97", "key CHAR 97", "idle 0 @1", "idle 1 @2", "idle 2 @3", "destroy"}),
        app.m_lines);
    EXPECT_TRUE(app.m_bFrameDeleted);
    EXPECT_EQ(nullptr, app.m_pMainWnd);
}

TEST(RunLoop, IdleCountsUpWhileTrueThenWaitsAndStartsAgainAfterAMessage) {
    HeadlessReset();
    HeadlessAddKey(5, WM_KEYDOWN, VK_LEFT);
    CRecordingApp app;
    app.m_idle = [](long count) { return count < 2; };

    EXPECT_EQ(0, app.Run());
    // After pass 3 the loop waits; passes 4 goes by while it waits, the key
    // of frame 5 wakes it, and counting starts again from 0 with pass 5.
    EXPECT_EQ((Lines{"idle 0 @1", "idle 1 @2", "idle 2 @3", "pre KEYDOWN 37", "key KEYDOWN 37",
                     "idle 0 @5", "idle 1 @6", "idle 2 @7", "destroy"}),
              app.m_lines);
    EXPECT_EQ(7u * 16u, PlatGetTickCount()); // one step per pass, skipped ones included
}

TEST(RunLoop, ScriptedKeysArriveJustBeforeTheirPass) {
    HeadlessReset();
    HeadlessSetFrameLimit(5);
    HeadlessAddKey(3, WM_KEYDOWN, VK_DOWN);
    HeadlessAddKey(3, WM_KEYUP, VK_DOWN);
    HeadlessAddKey(4, WM_KEYDOWN, VK_APP1, 1);
    CRecordingApp app;
    app.m_idle = [](long) { return true; };

    EXPECT_EQ(0, app.Run());
    EXPECT_EQ((Lines{"idle 0 @1", "idle 1 @2", "pre KEYDOWN 40", "key KEYDOWN 40", "pre KEYUP 40",
                     "key KEYUP 40", "idle 0 @3", "pre KEYDOWN 209", "key KEYDOWN 209", "idle 0 @4",
                     "idle 1 @5", "destroy"}),
              app.m_lines);
    EXPECT_EQ(5, HeadlessIdlePasses());
}

TEST(RunLoop, APaintDoesNotStartIdleCountingAgain) {
    HeadlessReset();
    HeadlessSetFrameLimit(4);
    CRecordingApp app;
    app.m_idle = [&app](long count) {
        if (count == 1)
            PlatShowWindow(app.m_pFrame->m_hWnd, SW_SHOW); // newly visible: a paint follows
        return true;
    };

    EXPECT_EQ(0, app.Run());
    EXPECT_EQ((Lines{"idle 0 @1", "idle 1 @2", "paint", "idle 2 @3", "idle 3 @4", "destroy"}),
              app.m_lines);
}

TEST(RunLoop, EndsWithTheQuitCodeAndDestroysTheMainWindow) {
    HeadlessReset();
    CRecordingApp app;
    app.m_idle = [](long) {
        PlatPostQuitMessage(-1);
        return true;
    };
    EXPECT_EQ(-1, app.Run());
    EXPECT_EQ((Lines{"idle 0 @1", "destroy"}), app.m_lines);
    EXPECT_TRUE(app.m_bFrameDeleted);
}

TEST(RunLoop, ClosingTheFrameEndsTheRunNormally) {
    HeadlessReset();
    CRecordingApp app;
    app.m_idle = [&app](long count) {
        if (count == 0)
            PlatPostMessage(app.m_pFrame->m_hWnd, WM_CLOSE, 0, 0);
        return true;
    };
    EXPECT_EQ(0, app.Run());
    EXPECT_EQ((Lines{"idle 0 @1", "destroy"}), app.m_lines);
    EXPECT_TRUE(app.m_bFrameDeleted);
    EXPECT_EQ(nullptr, app.m_pMainWnd);
}

TEST(RunLoop, FailedCreationEndsBeforeTheLoopAndFreesTheFrame) {
    HeadlessReset();
    CRecordingApp app;
    app.m_bFailCreate = true;
    EXPECT_EQ(1, app.Run());
    EXPECT_EQ((Lines{"destroy"}), app.m_lines); // WM_DESTROY follows a refused WM_CREATE
    EXPECT_TRUE(app.m_bFrameDeleted);
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(0, HeadlessIdlePasses());
}

TEST(RunLoop, AWaitNothingCanEndEndsTheRun) {
    // Idle says "nothing more", nothing is scripted: the run ends at once
    // rather than waiting for ever; a frame limit further on changes nothing.
    HeadlessReset();
    HeadlessSetFrameLimit(100);
    CRecordingApp app;
    EXPECT_EQ(0, app.Run());
    EXPECT_EQ((Lines{"idle 0 @1", "destroy"}), app.m_lines);

    // Keys scripted beyond the frame limit can never come either.
    HeadlessReset();
    HeadlessSetFrameLimit(10);
    HeadlessAddKey(50, WM_KEYDOWN, VK_UP);
    CRecordingApp late;
    EXPECT_EQ(0, late.Run());
    EXPECT_EQ((Lines{"idle 0 @1", "destroy"}), late.m_lines);
    EXPECT_EQ(1, HeadlessIdlePasses());
}

TEST(RunLoop, KeysWithoutAFocusWindowAreLost) {
    HeadlessReset();
    HeadlessAddKey(2, WM_KEYDOWN, VK_UP);
    CRecordingApp app;
    app.m_idle = [](long count) {
        if (count == 0)
            HeadlessSetFocus(nullptr); // another program takes the keyboard
        return true;
    };
    HeadlessSetFrameLimit(3);
    EXPECT_EQ(0, app.Run());
    EXPECT_EQ((Lines{"idle 0 @1", "idle 0 @2", "idle 1 @3", "destroy"}), app.m_lines);
    const auto& log = HeadlessCallLog();
    EXPECT_NE(std::find(log.begin(), log.end(), "Input 256 38 dropped: no focus"), log.end());
}
