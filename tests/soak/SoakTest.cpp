// Short soak runs: the whole game with random keys on the built-in level and
// on each hostile level, every frame checked. The soak tool runs the same
// for as long as asked (see the README); a failure here names the seed, and
// `soak --scenario NAME --seed S --frames N` replays it.
#include "../world/WorldTestKit.h"
#include "scene/LevelBitmap.h"
#include "testkit/SoakRun.h"
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mman.h>
#endif

namespace {

const int kShortFrames = 3000;

std::string Replay(const soak::Config& config, const soak::Report& report) {
    return std::string("replay: soak --scenario ") + soak::ScenarioName(config.scenario) +
           " --seed " + std::to_string(config.seed) + " --frames " +
           std::to_string(report.failedPass > 0 ? report.failedPass : config.frames);
}

soak::Report ShortRun(soak::Scenario scenario, uint32_t seed, int frames = kShortFrames) {
    soak::Config config;
    config.scenario = scenario;
    config.seed = seed;
    config.frames = frames;
    soak::Report report = soak::Run(config);
    EXPECT_EQ(report.failure, "") << "at pass " << report.failedPass << "; "
                                  << Replay(config, report);
    EXPECT_EQ(report.exitCode, 0) << Replay(config, report);
    EXPECT_EQ(report.passes, frames) << Replay(config, report);
    return report;
}

int CountCells(const LevelGrid& grid, bool (*pick)(uint8_t)) {
    return int(std::count_if(grid.cells.begin(), grid.cells.end(), pick));
}

} // namespace

TEST(Soak, BuiltInLevelHoldsUnderRandomKeys) {
    const soak::Report report = ShortRun(soak::Scenario::BuiltIn, 20240611);
    // The world ran (the title's loading does not eat the passes) and the
    // keys reached it.
    EXPECT_GT(report.frames, kShortFrames * 9 / 10);
    EXPECT_GT(report.keys, kShortFrames / 20);
}

TEST(Soak, HostileLevelsHoldUnderRandomKeys) {
    for (soak::Scenario scenario :
         {soak::Scenario::NoStart, soak::Scenario::EnemiesEverywhere, soak::Scenario::DotsOnEdge,
          soak::Scenario::Huge, soak::Scenario::Swarm, soak::Scenario::Pillars}) {
        SCOPED_TRACE(soak::ScenarioName(scenario));
        // The large levels get fewer passes: a swarm's frame takes
        // milliseconds, the pillars' load half a second.
        const int frames = scenario == soak::Scenario::Huge      ? 500
                           : scenario == soak::Scenario::Swarm   ? 200
                           : scenario == soak::Scenario::Pillars ? 50
                                                                 : kShortFrames;
        const soak::Report report = ShortRun(scenario, 7, frames);
        // The budget's largest levels are played, not refused for the
        // built-in one.
        if (scenario == soak::Scenario::Swarm) {
            EXPECT_EQ(report.mazeWidth, soak::kSwarmSide);
        } else if (scenario == soak::Scenario::Pillars) {
            EXPECT_EQ(report.mazeWidth, kMaxLevelSide);
        }
        EXPECT_GT(report.frames, 0);
        if (scenario == soak::Scenario::EnemiesEverywhere) {
            // Caught again and again: the game ends and every box gets OK.
            EXPECT_GT(report.catches, 5);
            EXPECT_GT(report.gameOvers, 0);
        }
    }
}

TEST(Soak, TheSeedReplaysARunExactly) {
    const soak::Report a = ShortRun(soak::Scenario::EnemiesEverywhere, 99, 1500);
    const soak::Report b = ShortRun(soak::Scenario::EnemiesEverywhere, 99, 1500);
    const soak::Report c = ShortRun(soak::Scenario::EnemiesEverywhere, 100, 1500);
    EXPECT_GT(a.catches, 0);
    EXPECT_EQ(a.keys, b.keys);
    EXPECT_EQ(a.catches, b.catches);
    EXPECT_EQ(a.lives, b.lives);
    EXPECT_EQ(a.score, b.score);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.z, b.z);
    EXPECT_EQ(a.heading, b.heading);
    EXPECT_TRUE(a.keys != c.keys || a.x != c.x || a.z != c.z);
}

TEST(Soak, HostileLevelsAreWhatTheirNamesSay) {
    LevelGrid grid;
    EXPECT_FALSE(soak::MakeScenarioLevel(soak::Scenario::BuiltIn, 1, &grid));

    ASSERT_TRUE(soak::MakeScenarioLevel(soak::Scenario::NoStart, 1, &grid));
    EXPECT_EQ(CountCells(grid, [](uint8_t c) { return c == CELL_START; }), 0);
    EXPECT_FALSE(IsWallCell(grid.cells[size_t(grid.height / 2) * grid.width + grid.width / 2]));

    ASSERT_TRUE(soak::MakeScenarioLevel(soak::Scenario::EnemiesEverywhere, 1, &grid));
    // Most open cells hold an enemy; the start has room around it.
    const int open = CountCells(grid, [](uint8_t c) { return !IsWallCell(c); });
    EXPECT_GT(CountCells(grid, IsEnemyStartCell), open * 9 / 10);
    int startX = -1, startZ = -1, nearby = 0;
    for (int z = 0; z < grid.height; ++z)
        for (int x = 0; x < grid.width; ++x)
            if (grid.cells[size_t(z) * grid.width + x] == CELL_START) {
                startX = x;
                startZ = z;
            }
    ASSERT_GE(startX, 0);
    for (int z = startZ - 2; z <= startZ + 2; ++z)
        for (int x = startX - 2; x <= startX + 2; ++x)
            nearby += IsEnemyStartCell(grid.cells[size_t(z) * grid.width + x]);
    EXPECT_EQ(nearby, 0);

    ASSERT_TRUE(soak::MakeScenarioLevel(soak::Scenario::DotsOnEdge, 1, &grid));
    int edgeDots = 0;
    for (int z = 0; z < grid.height; ++z)
        for (int x = 0; x < grid.width; ++x)
            if ((x == 0 || z == 0 || x == grid.width - 1 || z == grid.height - 1) &&
                grid.cells[size_t(z) * grid.width + x] == CELL_ITEM + ITEM_DOT)
                ++edgeDots;
    EXPECT_EQ(edgeDots, 2 * (grid.width + grid.height) - 4 - 2); // an enemy and a gun aside

    LevelGrid again;
    ASSERT_TRUE(soak::MakeScenarioLevel(soak::Scenario::Huge, 5, &grid));
    ASSERT_TRUE(soak::MakeScenarioLevel(soak::Scenario::Huge, 5, &again));
    EXPECT_EQ(grid.width, 512);
    EXPECT_EQ(grid.height, 512);
    EXPECT_EQ(grid.cells, again.cells);
    EXPECT_GT(CountCells(grid, IsEnemyStartCell), 100);
    EXPECT_GT(CountCells(grid, [](uint8_t c) { return c >= CELL_WALL + 2 && c < 192; }), 1000);
}

// The per-frame check must see each kind of fault it is there for.
class SoakCheckTest : public WorldTest {};

TEST_F(SoakCheckTest, FindsEveryBrokenFigureAndPlace) {
    ASSERT_TRUE(StartLevel("#####\n#.o.#\n#.P.#\n#####\n"));
    EXPECT_EQ(soak::CheckWorld(*m_pWorld), "");

    Probe().nScore = -10;
    EXPECT_NE(soak::CheckWorld(*m_pWorld).find("score"), std::string::npos);
    Probe().nScore = 0;
    for (int lives : {-1, 6}) {
        Probe().nLives = lives;
        EXPECT_NE(soak::CheckWorld(*m_pWorld).find("lives"), std::string::npos);
    }
    Probe().nLives = 0; // after the last catch: still sound
    EXPECT_EQ(soak::CheckWorld(*m_pWorld), "");
    Probe().nShots = -1;
    EXPECT_NE(soak::CheckWorld(*m_pWorld).find("shots"), std::string::npos);
    Probe().nShots = 0;

    m_pWorld->SetCamera(0.5, 1.5, 0.0); // the wall on the left
    EXPECT_NE(soak::CheckWorld(*m_pWorld).find("inside wall"), std::string::npos);
    m_pWorld->SetCamera(5.01, 1.5, 0.0); // just right of the grid
    EXPECT_NE(soak::CheckWorld(*m_pWorld).find("outside"), std::string::npos);
    m_pWorld->SetCamera(1.5, -0.25, 0.0); // truncates to row 0, but lies above it
    EXPECT_NE(soak::CheckWorld(*m_pWorld).find("outside"), std::string::npos);
    m_pWorld->SetCamera(1.99, 2.99, 0.0);
    EXPECT_EQ(soak::CheckWorld(*m_pWorld), "");
}

TEST_F(SoakCheckTest, OnlyTheLevelsOwnStartMayLieInAWall) {
    // No start marker: the player is put in the middle cell, a wall here.
    ASSERT_TRUE(StartLevel("o....\n.###.\n.###.\n.###.\n.....\n"));
    EXPECT_EQ(m_pWorld->GetCamera().x, 2.5);
    EXPECT_EQ(m_pWorld->GetCamera().z, 2.5);
    EXPECT_EQ(soak::CheckWorld(*m_pWorld), "");
    m_pWorld->SetCamera(1.5, 1.5, 0.0);
    EXPECT_NE(soak::CheckWorld(*m_pWorld).find("inside wall"), std::string::npos);
}

TEST(SoakMemory, ResidentSizeIsReadFromTheSystem) {
#if defined(__EMSCRIPTEN__)
    GTEST_SKIP() << "/proc/self/status is node's, and WebAssembly memory never goes back to it";
#elif defined(_WIN32)
    GTEST_SKIP() << "Windows has no /proc/self/status: the soak's memory is judged on Linux";
#else
    // Straight from the system, so that no allocator's reserve can hide it.
    const size_t bytes = size_t(32) << 20;
    const long before = soak::ResidentKb();
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    std::memset(block, 1, bytes);
    const long after = soak::ResidentKb();
    munmap(block, bytes);
    EXPECT_GT(before, 0);
    EXPECT_GE(after - before, 30 << 10);
    EXPECT_LT(soak::ResidentKb(), after);
#endif
}
