// Whole runs of the game, headless, with level files in a scratch folder:
// level progression, game over with OK and Cancel, load failures, the
// access word, and the figures a run reports.
#include "app/GameRun.h"
#include "../platform/PlatformTestApp.h"
#include "../world/WorldTestKit.h"
#include "app/MainFrame.h"
#include "app/QuibboApp.h"
#include "app/RunStats.h"
#include "platform/Files.h"
#include "platform/PlatformInternal.h"
#include "platform/PlatformTypes.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

// Two dots; one of them two rows above the start.
const char* const kTwoRowsUp = "#####\n"
                               "#o..#\n"
                               "#.o.#\n"
                               "#...#\n"
                               "#.P.#\n"
                               "#####\n";

// An enemy that sees the player along the corridor and walks to it; the dots
// are out of reach.
const char* const kChased = "#########\n"
                            "#P....E.#\n"
                            "#########\n"
                            "#o.....o#\n"
                            "#########\n";

class GameRunTest : public ::testing::Test {
public:
    void Zeros(int n) { WriteBytes(m_strFolder, Name(n), 100, 0); }
    void Junk(int n) { WriteBytes(m_strFolder, Name(n), 4096, 0x5A); }
    // A field of enemies whose frame would outrun the level budget.
    void Swarm(int n) {
        std::string rows = "P" + std::string(199, 'E') + "\n";
        for (int row = 1; row < 200; ++row)
            rows += std::string(200, 'E') + "\n";
        Level(n, rows);
    }
    static std::string Name(int n) {
        char name[16];
        std::snprintf(name, sizeof name, "QB%02d.BMP", n);
        return name;
    }

protected:
    void SetUp() override { m_strFolder = ScratchFolder(); }
    void TearDown() override { std::filesystem::remove_all(m_strFolder); }

    std::string Level(int n, const std::string& text) {
        char name[16];
        std::snprintf(name, sizeof name, "QB%02d.BMP", n);
        return WriteLevelFile(m_strFolder, name, text);
    }

    // One headless run of `frames` frames at 16 ms.
    int Run(int frames, const std::string& keys, const std::string& answers = "",
            const std::string& words = "") {
        COptions options;
        options.m_config.headless = true;
        options.m_config.frames = frames;
        options.m_strLevelsDir = m_strFolder;
        options.m_strCmdLine = words;
        options.m_bNoConfirm = m_bNoConfirm;
        options.m_nLevel = m_nLevel;
        options.m_config.sound = !m_bNoSound;
        std::string error;
        EXPECT_TRUE(ParseKeyScript(keys, &options.m_keys, &error)) << error;
        EXPECT_TRUE(ParseAnswers(answers, &options.m_answers, &error)) << error;
        return RunGame(options, HeadlessMakeBackend, &m_stats);
    }

    std::string m_strFolder;
    CRunStats m_stats;
    bool m_bNoConfirm = false;
    int m_nLevel = 0; // --level
    bool m_bNoSound = false;
};

// Level files that are present but refused, each with the start of the
// reason the game gives.
const struct {
    void (GameRunTest::*write)(int level);
    const char* why;
} kRefusedLevels[] = {
    {&GameRunTest::Zeros, "the file does not start with \"BM\""},
    {&GameRunTest::Junk, "the file does not start with \"BM\""},
    {&GameRunTest::Swarm, "a frame would take about"},
};

// `said` is one line: "quibbo: <path> refused (<why>...)<then>".
void ExpectRefusal(const std::string& said, const std::string& path, const std::string& why,
                   const std::string& then) {
#ifndef __EMSCRIPTEN__ // node writes stderr past the descriptor GoogleTest captures
    const std::string head = "quibbo: " + path + " refused (" + why, tail = ")" + then + "\n";
    EXPECT_EQ(said.compare(0, head.size(), head), 0) << said;
    ASSERT_GE(said.size(), tail.size()) << said;
    EXPECT_EQ(said.substr(said.size() - tail.size()), tail) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
#else
    (void)said, (void)path, (void)why, (void)then;
#endif
}

} // namespace

TEST_F(GameRunTest, WalkingTwoRowsUpEatsTheDotOnFrame94) {
    Level(0, kTwoRowsUp);
    EXPECT_EQ(Run(93, "1:+up"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nScore, 0);
    EXPECT_EQ(m_stats.m_nDotsLeft, 2);

    EXPECT_EQ(Run(94, "1:+up"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nFrames, 94);
    EXPECT_EQ(m_stats.m_nScore, 10);
    EXPECT_EQ(m_stats.m_nDotsLeft, 1);
    EXPECT_EQ(m_stats.m_events[EV_DOT], 1);
    EXPECT_EQ(m_stats.m_x, 2.5);
    EXPECT_NEAR(m_stats.m_z, 4.5 - 94 * 0.016, 1e-9);
    EXPECT_EQ(m_stats.m_heading, 0.0);
    EXPECT_EQ(m_stats.m_nExitCode, 0);
}

TEST_F(GameRunTest, LevelFilesFollowEachOtherThenTheGameIsOver) {
    Level(0, kOneDotLevel);
    Level(1, kOneDotLevel);
    // Starting a level forgets the keys: up is pressed again on the new
    // level, once the first one's end card has stood its two seconds.
    EXPECT_EQ(Run(500, "1:+up,170:+up", "cancel"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_events[EV_LAST_DOT], 2);
    EXPECT_EQ(m_stats.m_nScore, 20); // score carried over to the second level
    EXPECT_EQ(m_stats.m_nLives, 5);
    // Each last dot at 31 frames of walking, each end card 125 frames;
    // Cancel closes the program at once.
    EXPECT_EQ(m_stats.m_nFrames, 170 + 31 + 125);
    ASSERT_EQ(m_stats.m_boxes.size(), 1u);
    EXPECT_EQ(m_stats.m_boxes[0].text, "GAME OVER\nScore: 20");
    EXPECT_EQ(m_stats.m_boxes[0].answer, IDCANCEL);
    EXPECT_EQ(m_stats.m_nLevel, 0);
}

TEST_F(GameRunTest, GameOverWithOkStartsANewGame) {
    Level(0, kOneDotLevel);
    Level(2, kOneDotLevel); // not reached: QB01 is missing
    EXPECT_EQ(Run(200, "1:+up", "ok"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nFrames, 200);
    ASSERT_EQ(m_stats.m_boxes.size(), 1u);
    EXPECT_EQ(m_stats.m_boxes[0].text, "GAME OVER\nScore: 10");
    EXPECT_EQ(m_stats.m_boxes[0].answer, IDOK);
    EXPECT_EQ(m_stats.m_events[EV_LAST_DOT], 1);
    // The first level again, from the start, with a fresh score.
    EXPECT_EQ(m_stats.m_nScore, 0);
    EXPECT_EQ(m_stats.m_nLives, 5);
    EXPECT_EQ(m_stats.m_nDotsLeft, 1);
    EXPECT_EQ(m_stats.m_z, 3.5);
    EXPECT_EQ(m_stats.m_nLevel, 0);
}

// --level N: a new game on QBnn.BMP that goes on from there; after the game
// over a new game starts on the first level. A chosen level that is missing
// or broken has no fallback: one line says so and the run fails as a level
// that cannot be loaded does, with no box.
TEST_F(GameRunTest, TheLevelChosenOnTheCommandLineStartsANewGame) {
    Level(0, kChased);
    Level(1, kTwoRowsUp);
    Level(2, kOneDotLevel);
    WriteBytes(m_strFolder, "QB04.BMP", 4096, 0x5A);

    m_nLevel = 1;
    EXPECT_EQ(Run(1, ""), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nLevel, 1);
    EXPECT_EQ(m_stats.m_nDotsLeft, 2);
    EXPECT_EQ(m_stats.m_nScore, 0);
    EXPECT_EQ(m_stats.m_nLives, 5);

    m_nLevel = 2;
    EXPECT_EQ(Run(200, "1:+up", "ok"), EXIT_NORMAL);
    ASSERT_EQ(m_stats.m_boxes.size(), 1u); // QB03 is missing: the game is over
    EXPECT_EQ(m_stats.m_boxes[0].text, "GAME OVER\nScore: 10");
    EXPECT_EQ(m_stats.m_nLevel, 0);
    EXPECT_EQ(m_stats.m_nDotsLeft, 2); // kChased, the first level
    EXPECT_EQ(m_stats.m_nScore, 0);

    m_nLevel = 0;
    EXPECT_EQ(Run(1, ""), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nDotsLeft, 2);
    EXPECT_EQ(m_stats.m_nEnemies, 1);

    for (int level : {3, 4}) {
        m_nLevel = level;
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run(10, ""), EXIT_LEVEL_FAILED) << level;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m_stats.m_nFrames, 0);
        EXPECT_TRUE(m_stats.m_boxes.empty()) << m_stats.m_boxes[0].text;
#ifndef __EMSCRIPTEN__ // node writes stderr past the descriptor GoogleTest captures
        EXPECT_NE(said.find("--level " + std::to_string(level) + ": " + m_strFolder + "QB0"),
                  std::string::npos)
            << said;
        EXPECT_NE(said.find(level == 3 ? "no such level file"
                                       : "QB04.BMP: refused (the file does not start with \"BM\")"),
                  std::string::npos)
            << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
#endif
    }
}

TEST_F(GameRunTest, SmallOrBrokenFirstLevelsFallBackToTheBuiltInLevel) {
    // Under 100 bytes the file does not count.
    WriteBytes(m_strFolder, "QB00.BMP", 99, 0);
    EXPECT_EQ(Run(1, ""), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nDotsLeft, 38);
    EXPECT_EQ(m_stats.m_nEnemies, 14);
    EXPECT_EQ(m_stats.m_x, 38.5);
    EXPECT_EQ(m_stats.m_z, 35.5);

    // Counted, but not a level, or a level over the budget: the built-in
    // level is played instead, and one line on stderr says why.
    for (const auto& [write, why] : kRefusedLevels) {
        (this->*write)(0);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run(1, ""), EXIT_NORMAL);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m_stats.m_nDotsLeft, 38) << why;
        EXPECT_TRUE(m_stats.m_boxes.empty()) << why;
        ExpectRefusal(said, m_strFolder + "QB00.BMP", why, "; playing the built-in level");
    }
}

TEST_F(GameRunTest, ABrokenNextLevelEndsTheProgram) {
    for (const auto& [write, why] : kRefusedLevels) {
        Level(0, kOneDotLevel);
        (this->*write)(1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run(500, "1:+up"), EXIT_LEVEL_FAILED) << why;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m_stats.m_nExitCode, 255);
        EXPECT_EQ(m_stats.m_nFrames, 32 + 125); // after the end card
        ASSERT_EQ(m_stats.m_boxes.size(), 1u);
        EXPECT_EQ(m_stats.m_boxes[0].text, "Can't load level.");
        ExpectRefusal(said, m_strFolder + "QB01.BMP", why, "");
    }
}

TEST_F(GameRunTest, APressEndsTheEndCardButAHeldKeyDoesNot) {
    Level(0, kOneDotLevel);
    Level(1, kOneDotLevel);
    // Up, held from the first level's walk, neither skips the card nor
    // walks on the next level; fire pressed on frame 60 skips it there.
    EXPECT_EQ(Run(100, "1:+up,60:+fire", "cancel"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_events[EV_LAST_DOT], 1);
    EXPECT_EQ(m_stats.m_nLevel, 1); // the card would have stood to frame 157
    EXPECT_EQ(m_stats.m_nDotsLeft, 1);
    EXPECT_TRUE(m_stats.m_boxes.empty());
}

TEST_F(GameRunTest, ASmallNextLevelCountsAsMissing) {
    Level(0, kOneDotLevel);
    WriteBytes(m_strFolder, "QB01.BMP", 60, 0x5A);
    EXPECT_EQ(Run(500, "1:+up", "cancel"), EXIT_NORMAL);
    ASSERT_EQ(m_stats.m_boxes.size(), 1u);
    EXPECT_EQ(m_stats.m_boxes[0].text, "GAME OVER\nScore: 10");
}

TEST_F(GameRunTest, FiveCatchesEndTheGame) {
    Level(0, kChased);
    EXPECT_EQ(Run(3000, "", "cancel"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_events[EV_CAUGHT], 5); // the last one too: its hold comes first
    EXPECT_EQ(m_stats.m_events[EV_GAME_OVER], 1);
    EXPECT_EQ(m_stats.m_nLives, 0);
    EXPECT_LT(m_stats.m_nFrames, 3000);
    ASSERT_EQ(m_stats.m_boxes.size(), 1u);
    EXPECT_EQ(m_stats.m_boxes[0].text, "GAME OVER\nScore: 0");
}

TEST_F(GameRunTest, TheAccessWordAnywhereInTheCommandLineMakesThePlayerInvulnerable) {
    Level(0, kChased);
    EXPECT_EQ(Run(1000, "", "cancel", "--x=walrusALWAYSTHEWALRUSwalrus"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nFrames, 1000);
    EXPECT_GT(m_stats.m_events[EV_CAUGHT], 5);
    EXPECT_EQ(m_stats.m_events[EV_GAME_OVER], 0);
    EXPECT_EQ(m_stats.m_nLives, 5);
    EXPECT_TRUE(m_stats.m_boxes.empty());
}

TEST_F(GameRunTest, ScriptedFireShootsTheEnemyAhead) {
    // A gun one row up; an enemy further up the same column comes closer.
    Level(0, "#####\n"
             "#.E.#\n"
             "#...#\n"
             "#...#\n"
             "#.o.#\n"
             "#.G.#\n"
             "#.P.#\n"
             "#o..#\n"
             "#####\n");
    // Two presses before one frame: only the first fires.
    EXPECT_EQ(Run(40, "1:+up,33:-up,34:fire,34:fire"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_events[EV_GUN], 1);
    EXPECT_EQ(m_stats.m_nEnemies, 0);
    EXPECT_EQ(m_stats.m_nShots, 1);
    EXPECT_EQ(m_stats.m_nScore, 50);
    EXPECT_EQ(m_stats.m_nDotsLeft, 2);
}

TEST_F(GameRunTest, TheLoadingScreenCoversStartUp) {
    Level(0, kOneDotLevel);
    EXPECT_EQ(Run(1, ""), EXIT_NORMAL);
    const auto& log = HeadlessCallLog();
    auto at = [&](const std::string& line, long from) {
        return std::find(log.begin() + from, log.end(), line) - log.begin();
    };
    long size = static_cast<long>(log.size());
    long loadingShown = at("CreateWindow Loading...", 0);
    long red = at("FillClient 0x0000ff", loadingShown);
    long frame = at("CreateWindow Quibbo", red);
    long worldDisplay = at("GXOpenDisplay 0", frame);
    long loadingGone = at("DestroyWindow Loading...", worldDisplay);
    long firstFrame = at("GXBeginDraw", loadingGone);
    EXPECT_LT(loadingShown, size);
    EXPECT_LT(red, size);
    EXPECT_LT(frame, size);
    EXPECT_LT(worldDisplay, size);
    EXPECT_LT(loadingGone, size); // gone only once the world is built
    EXPECT_LT(firstFrame, size);
}

TEST_F(GameRunTest, TheSeedDecidesHowTheEnemiesWander) {
    // An invulnerable player stands in a corner while an enemy roams the
    // room; how often it comes by depends on its random choices.
    Level(0, "#########\n"
             "#P......#\n"
             "#.#.#.#.#\n"
             "#.......#\n"
             "#.#.E.#.#\n"
             "#.......#\n"
             "#.#.#.#.#\n"
             "#.......#\n"
             "#########\n");
    auto run = [&](uint32_t seed) {
        COptions options;
        options.m_config.headless = true;
        options.m_config.frames = 800;
        options.m_config.dtMs = 50;
        options.m_bSeed = true;
        options.m_dwSeed = seed;
        options.m_strLevelsDir = m_strFolder;
        options.m_strCmdLine = "AlwaysTheWalrus";
        RunGame(options, HeadlessMakeBackend, &m_stats);
        return m_stats.m_events[EV_CAUGHT];
    };
    int first = run(1), second = run(2), third = run(3);
    EXPECT_GT(first + second + third, 0);
    EXPECT_FALSE(first == second && second == third);
    EXPECT_EQ(run(2), second);
}

// A shot draws its trace straight onto the screen, one bracket a cell, and
// each is shown at once; but only the run loop waits for a frame slot, once
// a pass, so a shot costs no frame however far it flies.
TEST_F(GameRunTest, AShotShowsItsTraceButWaitsForNoFrameSlot) {
    std::string corridor = "#####\n#o..#\n";
    for (int row = 0; row < 11; ++row)
        corridor += "#...#\n";
    Level(0, corridor + "#.G.#\n#.P.#\n#####\n");
    // Up onto the gun (two shots), stop, then one shot up the empty corridor
    // that misses: ten cells, ten brackets of trace.
    const int frames = 120;
    EXPECT_EQ(Run(frames, "1:+up,45:-up,100:fire"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nShots, 1);
    EXPECT_EQ(m_stats.m_nFrames, frames);
    EXPECT_EQ(HeadlessFrameWaits(), frames);
    // A present a frame, the loading screen's, and the trace's ten.
    EXPECT_EQ(HeadlessPresentCount(), frames + 1 + 10);
}

// Without --levels, an installed game finds the player's own levels in the
// data folder, unless the program's folder has a set of its own.
TEST_F(GameRunTest, LevelsComeFromTheDataFolderWhenNoneLieBesideTheProgram) {
    plattest::ScopedEnv env;
    env.Set("XDG_DATA_HOME", m_strFolder.c_str());
    const std::string levels = PlatUserDataFolder() + "levels/";
    EXPECT_EQ(FindLevelFolder(), PlatGetProgramFolder()); // nothing there yet
    ASSERT_TRUE(PlatMakeFolders(levels));
    WriteLevelFile(levels, "QB00.BMP", kOneDotLevel);
    ASSERT_FALSE(IsLevelFilePresent(std::string(PlatGetProgramFolder()) + "QB00.BMP"));
    EXPECT_EQ(FindLevelFolder(), levels);
}

// An installed tree, <prefix>/bin/quibbo with the campaign in
// <prefix>/share/quibbo/levels/: the program's folder, then the player's own
// set, then the campaign. A campaign starts at QB01.BMP, after the built-in
// level, and a set of that kind counts as much as one with QB00.BMP.
TEST_F(GameRunTest, AnInstalledGameFindsItsCampaignAfterThePlayersOwnLevels) {
#ifdef _WIN32
    GTEST_SKIP() << "the installed layout (bin/, share/quibbo/levels/, the XDG data folder) is "
                    "the Linux install's; on Windows the campaign lies beside quibbo.exe";
#endif
    plattest::ScopedEnv env;
    env.Set("XDG_DATA_HOME", (m_strFolder + "data").c_str());
    const std::string bin = m_strFolder + "prefix/bin/";
    const std::string shared = m_strFolder + "prefix/share/quibbo/levels/";
    const std::string own = m_strFolder + "data/quibbo/levels/";
    EXPECT_EQ(PlatSharedDataFolder(bin), m_strFolder + "prefix/share/quibbo/");
    EXPECT_EQ(PlatSharedDataFolder(""), "");
    for (const std::string& folder : {bin, shared, own})
        ASSERT_TRUE(PlatMakeFolders(folder));
    const struct {
        std::string folder; // where the file goes
        int level;
        int bytes;            // 0: a real level
        std::string expected; // the folder chosen afterwards
    } steps[] = {
        {shared, 2, 0, bin},    // no QB00 or QB01: not a set
        {shared, 1, 60, bin},   // too small to count
        {shared, 1, 0, shared}, // the campaign
        {own, 3, 0, shared},    // the player's QB03 alone is no set
        {own, 1, 0, own},       // the player's own set comes before it
        {bin, 0, 0, bin},       // and a set beside the program before both
    };
    for (const auto& step : steps) {
        char name[16];
        std::snprintf(name, sizeof name, "QB%02d.BMP", step.level);
        if (step.bytes > 0)
            WriteBytes(step.folder, name, step.bytes, 0);
        else
            WriteLevelFile(step.folder, name, kOneDotLevel);
        EXPECT_EQ(FindLevelFolder(bin), step.expected) << step.folder << name;
    }
}

// The pause key stops the game as another window taking the focus does:
// frames stop, held keys are forgotten, and the word PAUSED stands over the
// picture until the key comes again.
TEST_F(GameRunTest, ThePauseKeyStopsTheGameAndShowsTheSign) {
    Level(0, kTwoRowsUp);
    EXPECT_EQ(Run(100, "1:+up,20:-up"), EXIT_NORMAL);
    const CRunStats walked = m_stats;
    EXPECT_EQ(Run(100, "1:+up,20:pause,60:pause"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_z, walked.m_z); // up was forgotten at the pause
    EXPECT_LT(m_stats.m_nFrames, walked.m_nFrames - 35);

    EXPECT_EQ(Run(40, "20:pause"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nFrames, 19);
    // The plate is centred on the 240 x 320 screen; the P's first dot is lit,
    // the dot at the end of its top row is not.
    const GXDisplayProperties props = GXGetDisplayProperties();
    auto colour = [&](int x, int y) {
        uint16_t word;
        std::memcpy(&word, HeadlessFramebufferOrigin() + x * props.cbxPitch + y * props.cbyPitch,
                    2);
        return word;
    };
    EXPECT_EQ(colour(67, 149), 0xFFE0); // yellow in 5-6-5
    EXPECT_EQ(colour(79, 149), 0x0000);
    EXPECT_EQ(colour(58, 140), 0x0000); // the plate's corner
}

// Escape asks before it quits; no keeps playing, yes closes, and without
// confirmation it closes at once.
TEST_F(GameRunTest, EscapeAsksBeforeItQuits) {
    Level(0, kTwoRowsUp);
    EXPECT_EQ(Run(50, "10:escape", "no"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nFrames, 50);
    ASSERT_EQ(m_stats.m_boxes.size(), 1u);
    EXPECT_EQ(m_stats.m_boxes[0].text, "Quit Quibbo?");
    EXPECT_EQ(m_stats.m_boxes[0].answer, IDNO);

    EXPECT_EQ(Run(50, "10:escape", "yes"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nFrames, 9);

    m_bNoConfirm = true;
    EXPECT_EQ(Run(50, "10:escape"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nFrames, 9);
    EXPECT_TRUE(m_stats.m_boxes.empty());
}

// Paused, Escape still asks: No leaves the game paused under its sign, Yes
// quits, and without confirmation it quits at once.
TEST_F(GameRunTest, EscapeWhilePausedAsksToo) {
    Level(0, kTwoRowsUp);
    EXPECT_EQ(Run(50, "10:pause,12:escape", "no"), EXIT_NORMAL);
    ASSERT_EQ(m_stats.m_boxes.size(), 1u);
    EXPECT_EQ(m_stats.m_boxes[0].text, "Quit Quibbo?");
    EXPECT_EQ(m_stats.m_nFrames, 9); // still paused
    const GXDisplayProperties props = GXGetDisplayProperties();
    uint16_t word;
    std::memcpy(&word, HeadlessFramebufferOrigin() + 67 * props.cbxPitch + 149 * props.cbyPitch, 2);
    EXPECT_EQ(word, 0xFFE0); // the sign's yellow
    EXPECT_EQ(Run(50, "10:pause,12:escape,20:pause", "no"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nFrames, 9 + 31); // the pause key resumes as ever

    // Ended by the Escape that came before pass 12, not by the frame limit.
    EXPECT_EQ(Run(50, "10:pause,12:escape", "yes"), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_boxes.size(), 1u);
    EXPECT_EQ(HeadlessIdlePasses(), 11);

    m_bNoConfirm = true;
    EXPECT_EQ(Run(50, "10:pause,12:escape"), EXIT_NORMAL);
    EXPECT_TRUE(m_stats.m_boxes.empty());
    EXPECT_EQ(HeadlessIdlePasses(), 11);
}

// M turns the sound off and on, also while paused; --nosound starts with it
// off, and M turns it on. Walking up eats a dot on frame 94, which sounds.
TEST_F(GameRunTest, MTurnsTheSoundOffAndOn) {
    Level(0, kTwoRowsUp);
    const std::string dot = "PlayWave " + std::to_string(IDW_DOT);
    const struct {
        const char* keys;
        bool nosound;
        bool heard;
    } runs[] = {
        {"1:+up", false, true},
        {"1:+up,50:mute", false, false},
        {"1:+up,50:mute,60:mute", false, true},
        {"1:+up,50:77", false, false}, // the M key by its code
        {"1:+up", true, false},
        {"1:+up,50:mute", true, true},
        {"1:pause,2:mute,3:pause,4:+up", false, false},
    };
    for (const auto& run : runs) {
        m_bNoSound = run.nosound;
        EXPECT_EQ(Run(120, run.keys), EXIT_NORMAL) << run.keys;
        EXPECT_EQ(m_stats.m_events[EV_DOT], 1) << run.keys;
        const auto& log = HeadlessCallLog();
        EXPECT_EQ(std::count(log.begin(), log.end(), dot), run.heard ? 1 : 0) << run.keys;
        EXPECT_EQ(std::count(log.begin(), log.end(), dot + " muted"), run.heard ? 0 : 1)
            << run.keys;
        EXPECT_EQ(HeadlessLastWave(), run.heard ? IDW_DOT : 0) << run.keys;
    }
}

TEST_F(GameRunTest, AScreenshotThatCannotBeWrittenFailsTheRun) {
    Level(0, kOneDotLevel);
    for (const std::string& path :
         {m_strFolder, m_strFolder + "/missing/shot.bmp", std::string("/dev/full")}) {
        COptions options;
        options.m_config.headless = true;
        options.m_config.frames = 2;
        options.m_strLevelsDir = m_strFolder;
        options.m_strScreenshot = path;
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunGame(options, HeadlessMakeBackend, &m_stats), EXIT_SCREENSHOT_FAILED) << path;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(m_stats.m_nExitCode, 1) << path;
#ifndef __EMSCRIPTEN__ // node writes stderr past the descriptor GoogleTest captures
        EXPECT_NE(said.find("cannot write the screenshot " + path), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
#endif
    }
    // A failed level keeps its status.
    WriteBytes(m_strFolder, "QB01.BMP", 4096, 0x5A);
    COptions options;
    options.m_config.headless = true;
    options.m_config.frames = 500;
    options.m_strLevelsDir = m_strFolder;
    options.m_strScreenshot = "/dev/full";
    std::string error;
    ASSERT_TRUE(ParseKeyScript("1:+up", &options.m_keys, &error));
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunGame(options, HeadlessMakeBackend, &m_stats), EXIT_LEVEL_FAILED);
    testing::internal::GetCapturedStderr();
}

TEST_F(GameRunTest, WalkingPastTheFarCornerOfASideOpeningDoesNotSnag) {
    // Along the built-in level's wall, east past a side opening: the corner
    // beyond it once held the player at x = 42.58 for the rest of the walk.
    EXPECT_EQ(
        Run(900, "2:+up,127:-up,128:+right,267:-right,268:+up,893:-up", "", "AlwaysTheWalrus"),
        EXIT_NORMAL);
    EXPECT_GE(m_stats.m_x, 48.4);
}

// Every run is recorded; played again from its record with another clock
// step, so that only the tape's clock can give the same game, it ends with
// the same figures and the same last picture. The runs cover what goes on
// the tape: held keys, the pause key, a box and its answer, a shot, a catch,
// the access word, another seed and a level chosen on the command line.
TEST_F(GameRunTest, ARecordedRunReplaysToTheSameFiguresAndPicture) {
    Level(0, kChased);
    Level(1, kTwoRowsUp);
    const struct {
        int frames;
        const char* keys;
        const char* answers;
        const char* words;
        uint32_t dt;
        int level;
    } runs[] = {
        {200, "1:+right,40:-right,41:+left,90:-left,100:fire", "", "", 16, 0},
        {300, "5:+up,30:pause,80:pause,90:escape,120:-up,121:+left", "no", "", 23, 1},
        {400, "1:fire,2:+down,60:-down,61:+right", "", "ALWAYSTHEWALRUS", 9, 0},
        {500, "3:+right,200:escape", "yes", "", 16, 0},
        {3000, "", "ok,cancel", "", 16, 0}, // caught to the end, twice

    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.keys);
        m_nLevel = run.level;
        COptions options;
        options.m_config.headless = true;
        options.m_config.frames = run.frames;
        options.m_config.dtMs = run.dt;
        options.m_strLevelsDir = m_strFolder;
        options.m_strCmdLine = run.words;
        options.m_nLevel = run.level;
        options.m_bSeed = true;
        options.m_dwSeed = 7;
        std::string error;
        ASSERT_TRUE(ParseKeyScript(run.keys, &options.m_keys, &error)) << error;
        ASSERT_TRUE(ParseAnswers(run.answers, &options.m_answers, &error)) << error;
        const int status = RunGame(options, HeadlessMakeBackend, &m_stats);
        CRunStats lived = m_stats;
        const std::vector<uint8_t> picture = HeadlessFramebufferMemory();
        const RunRecord record = LastRecordedRun();
        EXPECT_EQ(record.tape.passes, static_cast<uint32_t>(HeadlessIdlePasses()));
        EXPECT_EQ(record.seed, 7u);
        EXPECT_EQ(record.words, run.words);

        COptions again;
        again.m_config.headless = true;
        again.m_config.dtMs = 5;
        again.m_strLevelsDir = m_strFolder;
        ASSERT_TRUE(PrepareReplay(record, m_strFolder + "scratch/", &again, &error)) << error;
        EXPECT_EQ(again.m_strLevelsDir, m_strFolder);
        CRunStats replayed;
        EXPECT_EQ(RunGame(again, HeadlessMakeBackend, &replayed, &record), status);
        // Every figure but the time the machine took.
        lived.m_dFrameSeconds = replayed.m_dFrameSeconds = 0;
        EXPECT_EQ(replayed.ToJson(), lived.ToJson());
        EXPECT_TRUE(HeadlessFramebufferMemory() == picture);
        // The replay's own record is the run it played, to be shared again.
        EXPECT_TRUE(LastRecordedRun() == record);
    }
}

// A run whose levels are not where it looks is refused, naming the file.
TEST_F(GameRunTest, AReplayNamesTheLevelItCannotFind) {
    Level(0, kTwoRowsUp);
    Level(1, kOneDotLevel);
    ASSERT_EQ(Run(30, "1:+up"), EXIT_NORMAL);
    const RunRecord record = LastRecordedRun();
    Level(1, kTwoRowsUp); // changed since
    COptions again;
    again.m_strLevelsDir = m_strFolder;
    std::string why;
    EXPECT_FALSE(PrepareReplay(record, m_strFolder + "scratch/", &again, &why));
    EXPECT_NE(why.find("QB01.BMP"), std::string::npos) << why;
}

// A device whose window comes up without the keyboard, as a desktop's may.
CBackend* UnfocusedMakeBackend(const PlatConfig& config) {
    CBackend* backend = HeadlessMakeBackend(config);
    PlatSetAppFocus(false);
    return backend;
}

// The focus a run starts with is the run's: recorded with the keyboard and
// replayed where the window comes up without it, the game still plays; and
// recorded without it (nothing moves), replayed where the device has it,
// nothing moves either.
TEST_F(GameRunTest, AReplayStartsWithTheRecordedFocusWhateverTheWindowHas) {
    Level(0, kTwoRowsUp);
    const PlatBackendMaker makers[] = {HeadlessMakeBackend, UnfocusedMakeBackend};
    for (int recorded = 0; recorded < 2; ++recorded) {
        SCOPED_TRACE(recorded);
        COptions options;
        options.m_config.headless = true;
        options.m_config.frames = 60;
        options.m_strLevelsDir = m_strFolder;
        std::string error;
        ASSERT_TRUE(ParseKeyScript("1:+up,40:-up", &options.m_keys, &error)) << error;
        RunGame(options, makers[recorded], &m_stats);
        CRunStats lived = m_stats;
        EXPECT_EQ(lived.m_nFrames > 0, recorded == 0);
        const RunRecord record = LastRecordedRun();
        COptions again;
        again.m_config.headless = true;
        again.m_strLevelsDir = m_strFolder;
        ASSERT_TRUE(PrepareReplay(record, m_strFolder + "scratch/", &again, &error)) << error;
        CRunStats replayed;
        RunGame(again, makers[1 - recorded], &replayed, &record);
        lived.m_dFrameSeconds = replayed.m_dFrameSeconds = 0;
        EXPECT_EQ(replayed.ToJson(), lived.ToJson());
    }
}

namespace {

// The degrees 30 frames of Left at 16 ms turn with `options`' settings.
double TurnedLeft(COptions options, const std::string& folder, CRunStats* stats) {
    options.m_config.headless = true;
    options.m_config.frames = 30;
    options.m_strLevelsDir = folder;
    std::string error;
    EXPECT_TRUE(ParseKeyScript("1:+left", &options.m_keys, &error)) << error;
    RunGame(options, HeadlessMakeBackend, stats);
    return 360.0 - stats->m_heading;
}

} // namespace

// The turn speed changes the game: at 90 degrees a second, 30 frames of
// Left turn 43.2 degrees, where the design's 40 turn 19.2. The run keeps
// the speed, so it replays to the same heading on this machine's defaults,
// from its record and from its body alike. (settings.ini and --set through
// the program: tests/app/settings_run.sh.)
TEST_F(GameRunTest, TheTurnSpeedTravelsInTheRun) {
    Level(0, kTwoRowsUp);
    EXPECT_NEAR(TurnedLeft(COptions(), m_strFolder, &m_stats), 19.2, 1e-9);
    COptions fast;
    fast.m_settings.turnSpeed = 90;
    EXPECT_NEAR(TurnedLeft(fast, m_strFolder, &m_stats), 43.2, 1e-9);
    const double heading = m_stats.m_heading;
    const RunRecord record = LastRecordedRun();
    std::vector<uint8_t> body;
    RunRecord read;
    std::string error;
    ASSERT_TRUE(MakeRunBody(record, &body, &error)) << error;
    ASSERT_TRUE(ReadRunBody(body.data(), body.size(), &read, &error)) << error;
    for (const RunRecord* run : std::initializer_list<const RunRecord*>{&record, &read}) {
        COptions again;
        again.m_config.headless = true;
        again.m_strLevelsDir = m_strFolder;
        ASSERT_TRUE(PrepareReplay(*run, m_strFolder + "scratch/", &again, &error)) << error;
        RunGame(again, HeadlessMakeBackend, &m_stats, run);
        EXPECT_EQ(m_stats.m_heading, heading);
    }
}

// What the settings of the look and the sound change is drawn and heard,
// never played: a shot and its flash, catches with their holds and fades,
// a level cleared and faded out, recorded on the defaults and replayed with
// every such setting changed (and the other way round), end with the same
// figures, though the last picture shows the look did reach the drawing.
TEST_F(GameRunTest, SettingsOfTheLookAndTheSoundNeverReachTheGame) {
    Level(0, kChased);
    Level(1, kOneDotLevel);
    Level(2, "#####\n#.E.#\n#...#\n#...#\n#.o.#\n#.G.#\n#.P.#\n#o..#\n#####\n");
    GameSettings changed;
    std::vector<std::string> problems;
    ReadSettingsText("volume=3\nmute=on\nminimap=large\nreduce_flashes=on\n"
                     "map_colours=high-contrast",
                     "", &changed, &problems);
    ASSERT_TRUE(problems.empty());
    const struct {
        int frames;
        const char* keys;
        const char* answers;
        int level;
    } runs[] = {
        {3000, "", "ok,cancel", 0}, // caught to the end, twice
        {300, "1:+up,40:-up", "", 1},
        {120, "1:+up,33:-up,34:fire,60:+down", "", 2}, // the gun, a shot
    };
    for (const auto& run : runs) {
        for (const bool recordChanged : {false, true}) {
            SCOPED_TRACE(std::string(run.keys) + (recordChanged ? ", recorded changed" : ""));
            COptions options;
            options.m_config.headless = true;
            options.m_config.frames = run.frames;
            options.m_strLevelsDir = m_strFolder;
            options.m_nLevel = run.level;
            options.m_settings = recordChanged ? changed : GameSettings();
            std::string error;
            ASSERT_TRUE(ParseKeyScript(run.keys, &options.m_keys, &error)) << error;
            ASSERT_TRUE(ParseAnswers(run.answers, &options.m_answers, &error)) << error;
            RunGame(options, HeadlessMakeBackend, &m_stats);
            CRunStats lived = m_stats;
            const std::vector<uint8_t> picture = HeadlessFramebufferMemory();
            const RunRecord record = LastRecordedRun();
            COptions again;
            again.m_config.headless = true;
            again.m_strLevelsDir = m_strFolder;
            again.m_settings = recordChanged ? GameSettings() : changed;
            ASSERT_TRUE(PrepareReplay(record, m_strFolder + "scratch/", &again, &error)) << error;
            CRunStats replayed;
            RunGame(again, HeadlessMakeBackend, &replayed, &record);
            lived.m_dFrameSeconds = replayed.m_dFrameSeconds = 0;
            EXPECT_EQ(replayed.ToJson(), lived.ToJson());
            if (run.frames < 3000) { // the game-over box leaves no picture of the game
                EXPECT_FALSE(HeadlessFramebufferMemory() == picture);
            }
        }
    }
}
