// The frame window in place: the key table, the game loop's pausing on focus
// loss, level changes, the loading screen and the shared pictures' lifetime.
#include "app/MainFrame.h"
#include "../world/WorldTestKit.h"
#include "app/LoadingDlg.h"
#include "app/PictureLists.h"
#include "app/QuibboApp.h"
#include "app/RunStats.h"
#include "platform/GX.h"
#include "platform/PlatformInternal.h"
#include "platform/Sound.h"
#include "platform/Time.h"
#include "platform/WindowSystem.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include "scene/Maze.h"
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        g_nLevel = 0;
        g_runStats.Reset();
        m_strFolder = ScratchFolder();
    }
    void TearDown() override {
        if (m_pApp && m_pApp->m_pMainWnd)
            m_pApp->m_pMainWnd->DestroyWindow();
        m_pApp.reset();
        std::filesystem::remove_all(m_strFolder);
    }

    // Start-up of the application with the level files of the scratch folder.
    bool Start(const char* cmdLine = "") {
        m_pApp = std::make_unique<CQuibboApp>();
        m_pApp->m_strLevelsDir = m_strFolder;
        m_pApp->m_pszCmdLine = cmdLine;
        bool ok = m_pApp->InitInstance();
        m_pFrame = dynamic_cast<CMainFrame*>(m_pApp->m_pMainWnd);
        return ok && m_pFrame != nullptr && m_pFrame->m_pWorld != nullptr;
    }
    CWorld& World() { return *m_pFrame->m_pWorld; }
    WorldProbe Probe() { return WorldProbe(World()); }
    bool Key(uint32_t message, uint32_t vk) {
        PlatMsg msg = {m_pFrame->m_hWnd, message, vk, 0};
        return m_pFrame->PreTranslateMessage(&msg);
    }

    std::string m_strFolder;
    std::unique_ptr<CQuibboApp> m_pApp;
    CMainFrame* m_pFrame = nullptr;
};

} // namespace

TEST_F(MainFrameTest, ArrowsSetMotionAndTheLastKeyWins) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_UP));
    EXPECT_EQ(World().GetMove(), MOVE_FORWARD);
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_DOWN));
    EXPECT_EQ(World().GetMove(), MOVE_BACKWARD);
    EXPECT_TRUE(Key(WM_KEYUP, VK_DOWN)); // up is still held, but the player stops
    EXPECT_EQ(World().GetMove(), MOVE_STAND);
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_UP));

    EXPECT_TRUE(Key(WM_KEYDOWN, VK_LEFT));
    EXPECT_EQ(World().GetTurn(), TURN_LEFT);
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_RIGHT));
    EXPECT_EQ(World().GetTurn(), TURN_RIGHT);
    EXPECT_TRUE(Key(WM_KEYUP, VK_RIGHT));
    EXPECT_EQ(World().GetTurn(), TURN_NONE);
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_LEFT));
    EXPECT_TRUE(Key(WM_KEYUP, VK_LEFT));
    EXPECT_EQ(World().GetTurn(), TURN_NONE);
    // Each pair stops only its own motion.
    EXPECT_EQ(World().GetMove(), MOVE_FORWARD);
    EXPECT_TRUE(Key(WM_KEYUP, VK_UP));
    EXPECT_EQ(World().GetMove(), MOVE_STAND);
}

TEST_F(MainFrameTest, ReturnAndTheActionButtonsFire) {
    ASSERT_TRUE(Start());
    const uint32_t fireKeys[] = {VK_RETURN, VK_LWIN, VK_F23, 209, 210, 211, 212, 213};
    for (uint32_t vk : fireKeys) {
        Probe().nShots = 1;
        Probe().bMuzzleFlash = false;
        EXPECT_TRUE(Key(WM_KEYDOWN, vk)) << vk;
        EXPECT_EQ(World().GetShots(), 0) << vk;
        EXPECT_TRUE(World().HasMuzzleFlash()) << vk;
    }
    // With no shots the key is still taken; nothing happens.
    Probe().bMuzzleFlash = false;
    HeadlessClearLog();
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_RETURN));
    EXPECT_FALSE(World().HasMuzzleFlash());
    EXPECT_EQ(HeadlessLastWave(), IDW_SHOT); // from the last real shot only
    // Codes next to the fire codes do nothing and are passed on.
    Probe().nShots = 1;
    for (uint32_t vk : {208u, 214u, 90u, 92u, 133u, 135u}) {
        EXPECT_FALSE(Key(WM_KEYDOWN, vk)) << vk;
        EXPECT_EQ(World().GetShots(), 1) << vk;
    }
    EXPECT_FALSE(Key(WM_KEYUP, VK_RETURN));
}

TEST_F(MainFrameTest, OtherKeysPassOnButCharactersAreSwallowed) {
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Key(WM_KEYDOWN, 'A'));
    EXPECT_FALSE(Key(WM_KEYUP, 'A'));
    EXPECT_TRUE(Key(WM_CHAR, 'a'));
    EXPECT_FALSE(Key(WM_PAINT, 0));

    // A world paused for want of the keyboard takes no keys at all.
    World().SetPaused(true);
    HeadlessSetFocus(nullptr);
    Probe().nShots = 1;
    EXPECT_FALSE(Key(WM_KEYDOWN, VK_UP));
    EXPECT_FALSE(Key(WM_KEYDOWN, VK_RETURN));
    EXPECT_FALSE(Key(WM_CHAR, 'a'));
    EXPECT_EQ(World().GetMove(), MOVE_STAND);
    EXPECT_EQ(World().GetShots(), 1);
    EXPECT_TRUE(World().IsPaused());
}

TEST_F(MainFrameTest, TheLoopPausesWhileTheFocusIsElsewhere) {
    WriteLevelFile(m_strFolder, "QB00.BMP", kOneDotLevel);
    ASSERT_TRUE(Start());
    ASSERT_FALSE(World().IsPaused());
    EXPECT_TRUE(m_pFrame->IdleTick());
    int presents = HeadlessPresentCount();

    // Another program takes the focus: the next pass pauses and draws nothing.
    Key(WM_KEYDOWN, VK_UP);
    HeadlessSetFocus(nullptr);
    HeadlessClearLog();
    EXPECT_FALSE(m_pFrame->IdleTick());
    EXPECT_TRUE(World().IsPaused());
    EXPECT_EQ(World().GetMove(), MOVE_STAND);
    EXPECT_EQ(HeadlessPresentCount(), presents);
    const auto& log = HeadlessCallLog();
    EXPECT_NE(std::find(log.begin(), log.end(), "GXSuspend"), log.end());

    // Back after ten seconds: resumed, and the frame's step is not ten seconds.
    HeadlessSetClock(PlatGetTickCount() + 10000);
    // A key that comes with the focus resumes the world and acts at once,
    // before the pass's frame, as a key a frame later would.
    HeadlessSetFocus(m_pFrame->m_hWnd);
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_UP));
    EXPECT_FALSE(World().IsPaused());
    EXPECT_EQ(World().GetMove(), MOVE_FORWARD);
    EXPECT_TRUE(m_pFrame->IdleTick());
    EXPECT_FALSE(World().IsPaused());
    EXPECT_EQ(HeadlessPresentCount(), presents + 1);
    EXPECT_EQ(World().GetCamera().z, 3.5);
}

TEST_F(MainFrameTest, WithoutAWorldTheLoopDoesNothing) {
    ASSERT_TRUE(Start());
    m_pFrame->DestroyWorld();
    EXPECT_EQ(m_pFrame->m_pWorld, nullptr);
    EXPECT_TRUE(g_wallTextures.empty());
    EXPECT_TRUE(g_itemImages.empty());
    EXPECT_TRUE(g_enemyImages.empty());
    m_pFrame->DestroyWorld(); // again: nothing to do
    int presents = HeadlessPresentCount();
    EXPECT_FALSE(m_pFrame->IdleTick());
    EXPECT_EQ(HeadlessPresentCount(), presents);
    PlatMsg msg = {m_pFrame->m_hWnd, WM_CHAR, 'a', 0};
    EXPECT_FALSE(m_pFrame->PreTranslateMessage(&msg));
}

TEST_F(MainFrameTest, CreatingTheWorldFillsThePictureListsInOrder) {
    ASSERT_TRUE(Start());
    ASSERT_EQ(g_wallTextures.size(), 10u);
    ASSERT_EQ(g_itemImages.size(), 5u);
    ASSERT_EQ(g_enemyImages.size(), 1u);
    EXPECT_EQ(g_wallTextures[0]->width, 315);
    EXPECT_EQ(g_wallTextures[1]->width, 315);
    EXPECT_EQ(g_wallTextures[2]->width, 228);
    EXPECT_EQ(g_wallTextures[9]->width, 240); // the hedge's darker copy
    EXPECT_EQ(g_itemImages[0]->width, 85);
    EXPECT_EQ(g_itemImages[1]->width, 120);
    EXPECT_EQ(g_itemImages[2]->height, 134);
    EXPECT_EQ(g_itemImages[4]->width, 72); // the lamp
    EXPECT_EQ(g_enemyImages[0]->height, 159);
    EXPECT_EQ(Probe().gun.width, 150);
    EXPECT_EQ(Probe().flash.width, 107);
    EXPECT_EQ(Probe().lifeIcon.width, 20);
    EXPECT_EQ(World().GetOverlayTime(), 5000);
    EXPECT_EQ(Probe().overlay.height, 300);
    EXPECT_FALSE(World().IsInvulnerable());
    EXPECT_NE(g_digitGlyphs[9].pixels, nullptr);
}

TEST_F(MainFrameTest, TheAccessWordIsFoundInAnyCase) {
    ASSERT_TRUE(Start("-x foo/ALWAYSthewalrus.txt"));
    EXPECT_TRUE(World().IsInvulnerable());

    EXPECT_TRUE(HasAccessWord("AlwaysTheWalrus"));
    EXPECT_TRUE(HasAccessWord("xxalwaysthewalrusxx"));
    EXPECT_FALSE(HasAccessWord("Always The Walrus"));
    EXPECT_FALSE(HasAccessWord("AlwaysTheWalru"));
    EXPECT_FALSE(HasAccessWord(""));
    EXPECT_FALSE(HasAccessWord(nullptr));
}

TEST_F(MainFrameTest, LevelFilesAreNamedAndCountedBySize) {
    EXPECT_EQ(LevelFileName("/games/", 0), "/games/QB00.BMP");
    EXPECT_EQ(LevelFileName("/games/", 7), "/games/QB07.BMP");
    EXPECT_EQ(LevelFileName("", 12), "QB12.BMP");
    EXPECT_EQ(LevelFileName("d/", 100), "d/QB100.BMP");
    EXPECT_FALSE(IsLevelFilePresent(WriteBytes(m_strFolder, "a.bmp", 99, 1)));
    EXPECT_TRUE(IsLevelFilePresent(WriteBytes(m_strFolder, "b.bmp", 100, 1)));
    EXPECT_FALSE(IsLevelFilePresent(m_strFolder + "missing.bmp"));
    EXPECT_FALSE(IsLevelFilePresent(m_strFolder));
}

TEST_F(MainFrameTest, AfterTheBuiltInLevelComesTheSecondLevelFile) {
    std::string second = WriteLevelFile(m_strFolder, "QB01.BMP", kOneDotLevel);
    ASSERT_TRUE(Start());
    EXPECT_EQ(World().GetMaze()->GetDotsLeft(), 38);
    Probe().nScore = 380;
    Probe().nLives = 3;
    EXPECT_TRUE(m_pFrame->ChangeLevel(true));
    EXPECT_EQ(g_nLevel, 1);
    EXPECT_EQ(World().GetMaze()->GetLevelPath(), second);
    EXPECT_EQ(World().GetScore(), 380);
    EXPECT_EQ(World().GetLives(), 3);
    EXPECT_TRUE(g_runStats.m_boxes.empty());
}

TEST_F(MainFrameTest, ABrokenFirstLevelIsRetriedWithoutFallbackAfterGameOver) {
    WriteBytes(m_strFolder, "QB00.BMP", 300, 0x33);
    ASSERT_TRUE(Start()); // fell back to the built-in level
    EXPECT_EQ(World().GetMaze()->GetDotsLeft(), 38);
    Probe().nScore = 70;
    HeadlessAddAnswer(IDOK);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(m_pFrame->ChangeLevel(false));
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(g_runStats.m_boxes.size(), 1u);
    EXPECT_EQ(g_runStats.m_boxes[0].text, "GAME OVER\nScore: 70");
    EXPECT_EQ(World().GetOverlayTime(), 5000);
#ifndef __EMSCRIPTEN__ // node writes stderr past the descriptor GoogleTest captures
    // The retry's refusal is said before the "Can't load level." box.
    EXPECT_EQ(said, "quibbo: " + m_strFolder +
                        "QB00.BMP refused (the file does not start with "
                        "\"BM\")\n");
#endif
}

TEST_F(MainFrameTest, GameOverPausesBehindABlackWindowAndCancelCloses) {
    ASSERT_TRUE(Start());
    HeadlessClearLog();
    EXPECT_TRUE(m_pFrame->ChangeLevel(false)); // no answers: Cancel
    EXPECT_TRUE(World().IsPaused());
    EXPECT_EQ(g_nLevel, 0);
    const auto& log = HeadlessCallLog();
    auto suspend = std::find(log.begin(), log.end(), "GXSuspend");
    auto invalidate = std::find(suspend, log.end(), "Invalidate");
    auto box = std::find(invalidate, log.end(), "MessageBox GAME OVER\nScore: 0");
    EXPECT_NE(box, log.end());
    // The window goes once its close message is handled.
    PlatMsg msg;
    bool closing = false;
    while (PlatPeekMessage(&msg))
        closing = closing || msg.message == WM_CLOSE;
    EXPECT_TRUE(closing);
}

TEST_F(MainFrameTest, TheLoadingScreenShowsTheTitleOnRed) {
    CLoadingDlg loading;
    ASSERT_TRUE(loading.Create());
    // Look at what is on the device screen now.
    CSurface title;
    ASSERT_TRUE(title.LoadBitmapResource(IDB_TITLE));
    CSurface shown;
    GXOpenDisplay(nullptr, 0);
    shown.pixels = static_cast<uint8_t*>(GXBeginDraw());
    ASSERT_NE(shown.pixels, nullptr);
    shown.SetFormat(GXGetDisplayProperties());
    int differing = 0;
    for (int32_t y = 0; y < title.height; ++y)
        for (int32_t x = 0; x < title.width; ++x)
            differing += shown.GetPixel(x, y) != title.GetPixel(x, y);
    EXPECT_EQ(differing, 0);
    CSurface red;
    red.Create(1, 1);
    red.SetPixel(0, 0, 0x0000FF);
    for (int32_t y = title.height; y < shown.height; ++y)
        EXPECT_EQ(shown.GetPixel(120, y), red.GetPixel(0, 0)) << y;
    GXEndDraw();
    shown.pixels = nullptr;
    GXCloseDisplay();
}

TEST(RunStats, JsonCarriesEveryFigure) {
    CRunStats stats;
    stats.m_nFrames = 94;
    stats.m_nScore = 10;
    stats.m_x = 38.5;
    stats.m_events[3] = 1;
    stats.m_boxes.push_back({"GAME OVER\nScore: 10 \"x\" \\", IDCANCEL});
    stats.m_nExitCode = 255;
    std::string json = stats.ToJson();
    for (const char* part :
         {"\"frames\": 94", "\"level\": 0", "\"score\": 10", "\"lives\": 0", "\"shots\": 0",
          "\"dots_left\": 0", "\"enemies\": 0", "\"x\": 38.5", "\"z\": 0", "\"heading\": 0",
          "\"events\": {\"1\": 0, \"2\": 0, \"3\": 1, \"4\": 0, \"5\": 0}",
          "\"message_boxes\": [{\"text\": \"GAME OVER\\nScore: 10 \\\"x\\\" \\\\\", \"answer\": "
          "\"cancel\"}]",
          "\"exit_code\": 255"})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\nin " << json;
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.back(), '}');
    EXPECT_EQ(json.find('\n'), std::string::npos);
    EXPECT_EQ(JsonQuote(std::string("\x01", 1)), "\"\\u0001\"");
}

namespace {

// One idle pass with 16 ms on the game's clock.
void Step(CMainFrame& frame) {
    HeadlessSetClock(PlatGetTickCount() + 16);
    frame.IdleTick();
}

bool Repeat(CMainFrame& frame, uint32_t vk) {
    PlatMsg msg = {frame.m_hWnd, WM_KEYDOWN, vk, 1};
    return frame.PreTranslateMessage(&msg);
}

} // namespace

TEST_F(MainFrameTest, KeysHeldThroughACatchActOnlyWhenPressedAgain) {
    // The enemy two cells ahead comes for the player standing still.
    WriteLevelFile(m_strFolder, "QB00.BMP", "######\n#P..E#\n######\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(World().GetLevelCardTime(), kLevelCardMs); // the level's start
    Probe().nOverlayTime = 0;
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_RIGHT));
    EXPECT_TRUE(Repeat(*m_pFrame, VK_RIGHT));
    EXPECT_EQ(World().GetTurn(), TURN_RIGHT);
    for (int i = 0; i < 1000 && !World().IsHolding(); ++i)
        Step(*m_pFrame);
    ASSERT_TRUE(World().IsHolding());
    EXPECT_EQ(World().GetTurn(), TURN_NONE);
    EXPECT_EQ(World().GetLevelCardTime(), 0); // a catch takes the card away

    // Nothing is taken in the hold: a press, a repeat, a shot.
    int frames = 0;
    for (; World().IsHolding(); ++frames) {
        EXPECT_TRUE(Key(WM_KEYDOWN, VK_UP));
        EXPECT_TRUE(Repeat(*m_pFrame, VK_RIGHT));
        EXPECT_EQ(World().GetMove(), MOVE_STAND);
        EXPECT_EQ(World().GetTurn(), TURN_NONE);
        Step(*m_pFrame);
    }
    EXPECT_EQ(frames, (kCaughtHoldMs + 15) / 16);
    EXPECT_EQ(World().GetLives(), 4);
    EXPECT_EQ(World().GetLevelCardTime(), 0); // and it does not come back

    // After it the held keys' repeats stay let go until pressed again.
    EXPECT_TRUE(Repeat(*m_pFrame, VK_RIGHT));
    EXPECT_TRUE(Repeat(*m_pFrame, VK_UP));
    EXPECT_EQ(World().GetTurn(), TURN_NONE);
    EXPECT_EQ(World().GetMove(), MOVE_STAND);
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_RIGHT));
    EXPECT_TRUE(Repeat(*m_pFrame, VK_RIGHT));
    EXPECT_EQ(World().GetTurn(), TURN_RIGHT);
    EXPECT_TRUE(Key(WM_KEYUP, VK_UP)); // let go, then held anew: its repeats act
    EXPECT_TRUE(Key(WM_KEYDOWN, VK_UP));
    EXPECT_EQ(World().GetMove(), MOVE_FORWARD);
}

TEST_F(MainFrameTest, TheMuteKeyShowsItsSignInPlayAndOverThePausedPicture) {
    ASSERT_TRUE(Start());
    Step(*m_pFrame);
    const bool muted = PlatIsMuted();
    PlatPostInput(WM_KEYDOWN, VK_MUTE, 0);
    EXPECT_NE(PlatIsMuted(), muted);
    EXPECT_EQ(World().GetSoundSignTime(), kSoundSignMs);
    const uint32_t tick = World().GetLastTick();
    Step(*m_pFrame);
    EXPECT_EQ(World().GetSoundSignTime(), kSoundSignMs - 16);
    EXPECT_EQ(World().GetLastTick(), tick + 16); // the game's clock as ever

    // Paused: at once over the picture as it stands, below the score.
    PlatPostInput(WM_KEYDOWN, VK_PAUSE, 0);
    m_pFrame->IdleTick();
    ASSERT_TRUE(World().IsPaused());
    const std::vector<uint8_t> paused = HeadlessFramebufferMemory();
    const int presents = HeadlessPresentCount();
    PlatPostInput(WM_KEYDOWN, VK_MUTE, 0);
    EXPECT_EQ(PlatIsMuted(), muted);
    EXPECT_EQ(HeadlessPresentCount(), presents + 1);
    EXPECT_EQ(World().GetSoundSignTime(), 0);
    const std::vector<uint8_t>& signed_ = HeadlessFramebufferMemory();
    const GXDisplayProperties props = GXGetDisplayProperties();
    size_t first = signed_.size(), last = 0;
    for (size_t i = 0; i < signed_.size(); ++i) {
        if (signed_[i] != paused[i]) {
            first = std::min(first, i);
            last = i;
        }
    }
    ASSERT_LE(first, last);
    EXPECT_GE(int64_t(first) / props.cbyPitch, 32);
    EXPECT_LT(int64_t(last) / props.cbyPitch, 32 + 18);
    PlatPostInput(WM_KEYDOWN, VK_PAUSE, 0);
}
