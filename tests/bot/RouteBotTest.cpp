// The route bot: its planner prices turns as the player pays for them, it
// wins small levels with the game's own keys, and the keys it records replay
// in the program's own run to the very same frame.
#include "testkit/RouteBot.h"
#include "app/GameRun.h"
#include "app/RunStats.h"
#include "platform/headless/Headless.h"
#include "scene/LevelText.h"
#include "scene/MazeTestLevels.h"
#include "world/World.h"
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// A folder holding the map as QB00.BMP, removed with the object.
struct StagedLevel {
    explicit StagedLevel(const std::string& name, const std::string& map) : dir(ScratchPath(name)) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(
            WriteWholeFile((dir + "/QB00.BMP").c_str(), MakeLevelBitmap(GridFromText(map))));
    }
    ~StagedLevel() { std::filesystem::remove_all(dir); }
    std::string dir;
};

std::vector<LevelCell> Plan(const std::string& map, LevelCell from, double heading) {
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText(map, tables);
    return bot::PlanLeg(*maze, from, heading,
                        [&](int c, int r, int) { return bot::IsTarget(maze->GetCell(c, r)); });
}

} // namespace

TEST(RouteBot, PlansByTheTimeTurnsTake) {
    // Facing north: the dot three cells ahead beats the one three cells to
    // the side, which needs a quarter turn first.
    const std::string ahead = ".........\n"
                              "....o....\n"
                              ".........\n"
                              ".........\n"
                              "....P..o.\n";
    std::vector<LevelCell> path = Plan(ahead, {4, 4}, 0.0);
    ASSERT_EQ(4u, path.size());
    EXPECT_EQ(4, path.back().column);
    EXPECT_EQ(1, path.back().row);
    // Facing east the other way round.
    path = Plan(ahead, {4, 4}, 90.0);
    ASSERT_EQ(4u, path.size());
    EXPECT_EQ(7, path.back().column);
    // Walking backwards costs no turn: four cells behind beat two to the side.
    const std::string behind = ".........\n"
                               "....P.o..\n"
                               ".........\n"
                               ".........\n"
                               ".........\n"
                               "....o....\n";
    path = Plan(behind, {4, 1}, 0.0);
    ASSERT_EQ(5u, path.size());
    for (const LevelCell& cell : path)
        EXPECT_EQ(4, cell.column); // straight down, no detour
    // Through side openings only, never between two wall corners.
    path = Plan(".#o\n"
                "P#.\n"
                "...\n",
                {0, 1}, 0.0);
    ASSERT_EQ(6u, path.size());
    EXPECT_EQ(0, path[1].column);
    EXPECT_EQ(2, path[1].row);
}

TEST(RouteBot, KeepsAwayFromEnemiesWhenAskedTo) {
    // The dot ahead lies beside an enemy; the one four cells behind is free.
    const std::string map = "....E....\n"
                            "....o....\n"
                            ".........\n"
                            ".........\n"
                            "....P....\n"
                            ".........\n"
                            ".........\n"
                            ".........\n"
                            "....o....\n";
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText(map, tables);
    ASSERT_EQ(1, maze->GetChildCount());
    const std::vector<int> danger = bot::DangerMap(*maze, 3);
    EXPECT_EQ(4 * bot::kDangerFramesPerStep, danger[4]);         // the enemy's own cell
    EXPECT_EQ(1 * bot::kDangerFramesPerStep, danger[3 * 9 + 4]); // three cells' walk away
    EXPECT_EQ(0, danger[4 * 9 + 4]);
    const auto dots = [&](int c, int r, int) { return bot::IsTarget(maze->GetCell(c, r)); };
    EXPECT_EQ(1, bot::PlanLeg(*maze, {4, 4}, 0.0, dots).back().row);
    EXPECT_EQ(8, bot::PlanLeg(*maze, {4, 4}, 0.0, dots, danger).back().row);
}

TEST(RouteBot, WinsAndItsKeysReplayInTheProgramsRun) {
    // One-cell corridors, corners both ways, loops and an enemy.
    const std::string map = "###########\n"
                            "#o......Eo#\n"
                            "#.###.###.#\n"
                            "#.###.###.#\n"
                            "#...#P#...#\n"
                            "###.#.#.###\n"
                            "#o....o..o#\n"
                            "###########\n";
    const StagedLevel level("bot-route", map);
    bot::Config config;
    config.levelsDir = level.dir;
    config.maxFrames = 100000;
    const bot::Result result = bot::Play(config);
    ASSERT_TRUE(result.cleared) << result.dotsLeft << " dots left";
    EXPECT_EQ(50, result.score);
    // No dawdling: no longer than the greedy tour's cells, with two quarter
    // turns for every stop.
    const DotTour tour = CheckLevel(GridFromText(map)).tour;
    EXPECT_LT(result.clearFrame, tour.length * bot::kCellFrames +
                                     long(tour.stops.size()) * 2 * bot::kQuarterTurnFrames);

    const std::string script = ScratchPath("bot-route.keys");
    ASSERT_TRUE(WriteWholeFile(script.c_str(),
                               std::vector<uint8_t>(result.script.begin(), result.script.end())));
    std::vector<std::string> words = {"quibbo", "--levels", level.dir, "--keys", "@" + script};
    words.insert(words.end(), result.words.begin(), result.words.end());
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    COptions options;
    std::string error;
    ASSERT_TRUE(options.Parse(static_cast<int>(argv.size()), argv.data(), &error)) << error;
    CRunStats stats;
    EXPECT_EQ(0, RunGame(options, HeadlessMakeBackend, &stats));
    std::remove(script.c_str());
    EXPECT_EQ(1, stats.m_events[EV_LAST_DOT]);
    // The game is over once the level's end card has stood, frames of 16 ms.
    EXPECT_EQ(result.clearFrame + (kEndCardMs + 15) / 16, stats.m_nFrames);
}

TEST(RouteBot, ShootsAnEnemyStraightAheadWhenItHasShots) {
    // The gun lies one cell ahead; the enemy, eight cells beyond it, sees the
    // player down the column and comes straight on.
    const StagedLevel level("bot-shoot", "#####\n"
                                         "#...#\n"
                                         "#...#\n"
                                         "#.E.#\n"
                                         "#...#\n"
                                         "#...#\n"
                                         "#...#\n"
                                         "#...#\n"
                                         "#...#\n"
                                         "#...#\n"
                                         "#...#\n"
                                         "#.G.#\n"
                                         "#oPo#\n"
                                         "#####\n");
    bot::Config config;
    config.levelsDir = level.dir;
    config.invulnerable = false;
    config.shoot = true;
    config.maxFrames = 20000;
    const bot::Result result = bot::Play(config);
    EXPECT_TRUE(result.cleared);
    EXPECT_EQ(0, result.catches);
    EXPECT_EQ(0, result.enemiesLeft);
    EXPECT_EQ(50 + 2 * 10, result.score);
}
