// The enemy: where it goes, how far it steps, when it catches the player.
#include "scene/Enemy.h"
#include "MazeTestLevels.h"
#include "math3d/Sprite.h"
#include "platform/Rand.h"
#include <gtest/gtest.h>
#include <set>

namespace {

// A maze from the text with one enemy placed at cell (c, r) (no enemy
// markers in the text); the enemy is the maze's only child.
struct EnemyInMaze {
    TestTables tables;
    std::unique_ptr<CMaze> maze;
    CEnemy* enemy;
    EnemyInMaze(const char* text, int c, int r) {
        maze = MazeFromText(text, tables);
        enemy = new CEnemy(maze.get(), kEnemyIdBase);
        maze->AddChild(enemy);
        enemy->SetImages(tables.itemTable, 1, 1000);
        enemy->SetPosition(c, r, 0.0);
        enemy->SetClock(0);
    }
};

// Far from everything: a player the enemy cannot see.
const CPose kNobody = PoseAt(100.5, 100.5);

const char* const kCross = "#########\n"
                           "####.####\n"
                           "####.####\n"
                           "#.......#\n"
                           "####.####\n"
                           "####.####\n"
                           "#########\n";

} // namespace

TEST(Enemy, FreshEnemyStandsInTheMiddleOfItsStartCell) {
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText("#####\n#.E.#\n#####\n", tables);
    ASSERT_EQ(1, maze->GetChildCount());
    const CEnemy* enemy = static_cast<const CEnemy*>(maze->GetChild(0));
    EXPECT_EQ(2.0, enemy->GetPose().x);
    EXPECT_EQ(0.0, enemy->GetPose().y);
    EXPECT_EQ(1.0, enemy->GetPose().z);
    EXPECT_EQ(DIR_UP, enemy->GetDirection());
    EXPECT_TRUE(enemy->IsNoCull());
    EXPECT_EQ(1000, enemy->GetPeriod());
    EXPECT_GE(enemy->GetClock(), 0);
    EXPECT_LT(enemy->GetClock(), 1000);
    EXPECT_EQ(0, enemy->GetLastForcedTurn());
    const CSprite* sprite = enemy->GetSprite();
    ASSERT_NE(nullptr, sprite);
    ASSERT_EQ(1u, enemy->GetDrawables().size());
    // The node's translation carries the sprite to the cell's centre.
    const CVector base = enemy->GetMatrix().Apply(sprite->m_base);
    const CVector top = enemy->GetMatrix().Apply(sprite->m_top);
    EXPECT_EQ(2.5, base.x);
    EXPECT_EQ(0.0, base.y);
    EXPECT_EQ(1.5, base.z);
    EXPECT_EQ(2.5, top.x);
    EXPECT_EQ(1.0, top.y);
    EXPECT_EQ(1.5, top.z);
}

TEST(Enemy, StepsAreScaledByTimeAndCapped) {
    EnemyInMaze t(kCross, 4, 3);
    // Going up the open column, nobody in sight.
    t.enemy->SetDirection(DIR_UP);
    t.enemy->Update(30, kNobody);
    EXPECT_EQ(DIR_UP, t.enemy->GetDirection());
    EXPECT_NEAR(3.0 - 0.024, t.enemy->GetPose().z, 1e-12);
    EXPECT_EQ(4.0, t.enemy->GetPose().x);
    EXPECT_EQ(t.enemy->GetPose().z, t.enemy->GetMatrix().m[2][3]);
    // A 600 ms frame moves 0.4, not 0.48.
    const double z = t.enemy->GetPose().z;
    t.enemy->Update(600, kNobody);
    EXPECT_NEAR(z - 0.4, t.enemy->GetPose().z, 1e-12);
    EXPECT_EQ(630, t.enemy->GetClock());
}

TEST(Enemy, SightingAlongARowOrColumnWinsUntilAWallHidesThePlayer) {
    // The enemy heads up into a wall (blocked) but sees the player along the
    // row, so it turns toward the player without a random pick.
    EnemyInMaze t("#########\n"
                  "#.......#\n"
                  "#########\n",
                  2, 1);
    t.enemy->SetDirection(DIR_UP);
    EXPECT_EQ(DIR_RIGHT, t.enemy->ChooseDirection(PoseAt(6.5, 1.5)));
    EXPECT_EQ(0, t.enemy->GetLastForcedTurn());
    t.enemy->SetPosition(6, 1, 0);
    EXPECT_EQ(DIR_LEFT, t.enemy->ChooseDirection(PoseAt(1.2, 1.9)));
    // Same cell: the scan is empty and the answer is left.
    EXPECT_EQ(DIR_LEFT, t.enemy->ChooseDirection(PoseAt(6.7, 1.7)));

    // One wall between them cancels the sighting.
    EnemyInMaze w("#########\n"
                  "#...#...#\n"
                  "#########\n",
                  2, 1);
    w.enemy->SetDirection(DIR_RIGHT);
    // Not seen: it keeps going right (its way is open), away from nothing.
    EXPECT_EQ(DIR_RIGHT, w.enemy->ChooseDirection(PoseAt(6.5, 1.5)));
    w.enemy->SetPosition(3, 1, 0);
    // Blocked by the wall at (4, 1) and the player unseen: only left is open.
    EXPECT_EQ(DIR_LEFT, w.enemy->ChooseDirection(PoseAt(6.5, 1.5)));

    // Along a column, down and up.
    EnemyInMaze c(kCross, 4, 1);
    c.enemy->SetDirection(DIR_UP);
    EXPECT_EQ(DIR_DOWN, c.enemy->ChooseDirection(PoseAt(4.5, 5.5)));
    c.enemy->SetPosition(4, 5, 0);
    c.enemy->SetDirection(DIR_DOWN);
    EXPECT_EQ(DIR_UP, c.enemy->ChooseDirection(PoseAt(4.1, 1.1)));
}

// The maze answers sighting from runs of open cells it keeps; the answer
// must be the cell-by-cell scan's for any line, any ends, inside the grid or
// out, and after a load that changes the walls.
TEST(Enemy, SightingMatchesTheCellByCellScan) {
    TestTables tables;
    PlatSeedRand(5);
    std::unique_ptr<CMaze> maze;
    for (int level = 0; level < 2; ++level) {
        std::string text;
        for (int r = 0; r < 12; ++r) {
            for (int c = 0; c < 17; ++c)
                text += PlatRand() % (level == 0 ? 4 : 2) == 0 ? '#' : '.';
            text += '\n';
        }
        if (level == 0) {
            maze = MazeFromText(text.c_str(), tables);
        } else { // the same maze, so what it kept of the first grid must go
            const std::vector<uint8_t> dib = MakeLevelBitmap(GridFromText(text), false);
            ASSERT_TRUE(maze->ReadGrid(dib.data(), dib.size()));
        }
        for (int i = 0; i < 20000; ++i) {
            // Each grid starts with the same line and end: a run kept from
            // the first grid would answer for the second.
            const bool bRow = i < 23 ? true : PlatRand() % 2 == 0;
            const int line = i < 23 ? 3 : PlatRand() % 16 - 2;
            const int from = i < 23 ? i - 3 : PlatRand() % 23 - 3;
            const int to = i < 23 ? 8 : PlatRand() % 23 - 3;
            bool bClear = true;
            for (int k = std::min(from, to); k < std::max(from, to) && bClear; ++k)
                bClear = !(bRow ? maze->IsWallAt(k, line) : maze->IsWallAt(line, k));
            ASSERT_EQ(bClear, maze->IsClearAlong(bRow, line, from, to))
                << "level " << level << (bRow ? " row " : " column ") << line << " from " << from
                << " to " << to;
        }
        maze->IsClearAlong(true, 3, 0, 8);
    }
    // Ends far outside the grid do not wrap.
    maze = MazeFromText("....\n", tables);
    EXPECT_FALSE(maze->IsClearAlong(true, 0, 0, INT32_MAX));
    EXPECT_FALSE(maze->IsClearAlong(true, 0, INT32_MIN, 2));
    EXPECT_TRUE(maze->IsClearAlong(true, 0, 0, 3));
}

TEST(Enemy, KeepsItsWayUntilTenSecondsThenPicksAnyOpenWay) {
    PlatSeedRand(12345);
    EnemyInMaze t("#########\n"
                  "#.......#\n"
                  "#########\n",
                  4, 1);
    t.enemy->SetDirection(DIR_RIGHT);
    t.enemy->SetClock(10000);
    EXPECT_EQ(DIR_RIGHT, t.enemy->ChooseDirection(kNobody));
    EXPECT_EQ(0, t.enemy->GetLastForcedTurn());
    // Just beyond ten seconds: a fresh decision among left and right.
    std::set<int> seen;
    for (int i = 0; i < 64; ++i) {
        t.enemy->SetDirection(DIR_RIGHT);
        t.enemy->SetClock(10001 + 20000 * int64_t(i));
        const int d = t.enemy->ChooseDirection(kNobody);
        EXPECT_EQ(10001 + 20000 * int64_t(i), t.enemy->GetLastForcedTurn());
        EXPECT_TRUE(d == DIR_LEFT || d == DIR_RIGHT) << d;
        seen.insert(d);
    }
    // The same way may be picked again, and so may the way back.
    EXPECT_EQ(2u, seen.size());
    // After a forced turn the next one waits another ten seconds.
    t.enemy->SetDirection(DIR_RIGHT);
    t.enemy->SetClock(t.enemy->GetLastForcedTurn() + 10000);
    EXPECT_EQ(DIR_RIGHT, t.enemy->ChooseDirection(kNobody));
}

TEST(Enemy, BlockedWaysPickAmongOpenNeighboursOrAnyWhenWalledIn) {
    PlatSeedRand(777);
    EnemyInMaze t(kCross, 4, 3);
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) {
        t.enemy->SetDirection(DIR_UP);
        t.enemy->SetPosition(1, 3, 0); // the row's left end: only right is open
        EXPECT_EQ(DIR_RIGHT, t.enemy->ChooseDirection(kNobody));
        t.enemy->SetPosition(4, 3, 0); // the crossing, going up: open, kept
        EXPECT_EQ(DIR_UP, t.enemy->ChooseDirection(kNobody));
        t.enemy->SetClock(20000 * int64_t(i + 1)); // forced at the crossing
        seen.insert(t.enemy->ChooseDirection(kNobody));
    }
    EXPECT_EQ(4u, seen.size());

    EnemyInMaze boxed("###\n#.#\n###\n", 1, 1);
    seen.clear();
    for (int i = 0; i < 200; ++i)
        seen.insert(boxed.enemy->ChooseDirection(kNobody));
    EXPECT_EQ(4u, seen.size());
}

TEST(Enemy, NeverLeavesTheGrid) {
    PlatSeedRand(99);
    // The open ring on the outermost cells: every neighbour outside the grid
    // is a wall, and even chasing the player inside one cell (which walks
    // without looking at walls) stops at the edge.
    EnemyInMaze t("......\n"
                  ".####.\n"
                  "......\n",
                  0, 1);
    for (int i = 0; i < 2000; ++i) {
        t.enemy->Update(16 + (i % 7) * 40, kNobody);
        const CPose& p = t.enemy->GetPose();
        ASSERT_GE(p.x, 0.0);
        ASSERT_LT(p.x, 6.0);
        ASSERT_GE(p.z, 0.0);
        ASSERT_LT(p.z, 3.0);
        ASSERT_FALSE(t.maze->IsWallAt(t.enemy->GetCell().x, t.enemy->GetCell().y));
    }
    t.enemy->SetPosition(0.3, 0.2, 0);
    t.enemy->Update(500, PoseAt(0.9, 0.9)); // same cell: goes left
    EXPECT_EQ(0.0, t.enemy->GetPose().x);
    t.enemy->Update(500, PoseAt(0.9, 0.9));
    EXPECT_EQ(0.0, t.enemy->GetPose().x);
}

TEST(Enemy, CatchesOnlyInTheSameCellAndCloserThanPointEight) {
    EnemyInMaze t("..........\n"
                  "..........\n",
                  0, 0);
    CSceneNode* hit = nullptr;
    t.enemy->SetPosition(0.0, 1.0, 0);
    EXPECT_EQ(0, t.enemy->Interact(PoseAt(0.8, 1.0), &hit)); // exactly 0.8
    EXPECT_EQ(nullptr, hit);
    EXPECT_EQ(1, t.enemy->Interact(PoseAt(0.79, 1.0), &hit));
    EXPECT_EQ(t.enemy, hit);
    hit = nullptr;
    t.enemy->SetPosition(4.0, 1.0, 0);
    EXPECT_EQ(0, t.enemy->Interact(PoseAt(4.9, 1.9), &hit)); // same cell, 1.27 away
    // Close but in the next cell.
    t.enemy->SetPosition(4.9, 1.0, 0);
    EXPECT_EQ(0, t.enemy->Interact(PoseAt(5.1, 1.0), &hit));
    EXPECT_EQ(nullptr, hit);
}

TEST(Enemy, AnimationPicksTheFrameForTheClock) {
    TestTables tables;
    CEnemy enemy(nullptr, kEnemyIdBase);
    enemy.SetImages(tables.itemTable, 4, 1000);
    enemy.SetClock(0);
    EXPECT_EQ(&tables.items[0], enemy.CurrentImage());
    enemy.SetClock(249);
    EXPECT_EQ(&tables.items[0], enemy.CurrentImage());
    enemy.SetClock(250);
    EXPECT_EQ(&tables.items[1], enemy.CurrentImage());
    enemy.SetClock(3999);
    EXPECT_EQ(&tables.items[3], enemy.CurrentImage());
    enemy.SetClock(-1); // never a negative index
    EXPECT_EQ(&tables.items[3], enemy.CurrentImage());
    // Update keeps the sprite's picture in step.
    enemy.SetClock(0);
    enemy.Update(500, kNobody);
    EXPECT_EQ(&tables.items[2], enemy.GetSprite()->m_pImage);
    // Without pictures there is nothing to show, but nothing breaks.
    CEnemy bare(nullptr, kEnemyIdBase + 1);
    bare.SetImages(nullptr, 1, 1000);
    EXPECT_EQ(nullptr, bare.CurrentImage());
    bare.Update(40, kNobody);
    EXPECT_EQ(nullptr, bare.GetSprite()->m_pImage);
}

TEST(Enemy, RegionTestUsesTheTruncatedCell) {
    CEnemy enemy(nullptr, kEnemyIdBase);
    enemy.SetPosition(10.9, 5.2, 0);
    EXPECT_TRUE(enemy.IsInRegion(PlatRect{0, 0, 11, 6}));
    EXPECT_FALSE(enemy.IsInRegion(PlatRect{0, 0, 10, 6}));
    EXPECT_FALSE(enemy.IsInRegion(PlatRect{11, 0, 20, 6}));
    enemy.SetPosition(-0.5, 0.0, 0); // truncates to cell 0
    EXPECT_TRUE(enemy.IsInRegion(PlatRect{0, 0, 1, 1}));
}
