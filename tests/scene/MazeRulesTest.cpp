// The maze's answers to the game rules: pushing the player out of walls,
// taking dots and guns, and stopping shots.
#include "MazeTestLevels.h"
#include "math3d/Sprite.h"
#include "scene/Enemy.h"
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Cells (4, 7) and (5, 6) are walls where asked; everything else is open.
std::unique_ptr<CMaze> OpenMaze(TestTables& tables, std::initializer_list<PlatPoint> walls) {
    LevelGrid grid;
    grid.width = 12;
    grid.height = 12;
    grid.cells.assign(144, CELL_CORRIDOR);
    for (const PlatPoint& w : walls)
        grid.cells[w.y * 12 + w.x] = CELL_WALL;
    std::string text, error;
    EXPECT_TRUE(FormatLevelText(grid, &text, &error));
    return MazeFromText(text, tables);
}

bool HasSpriteAt(const CMaze& maze, double x, double z) {
    for (const CDrawable* d : maze.GetDrawables())
        if (d->GetKind() == CDrawable::KindSprite &&
            static_cast<const CSprite*>(d)->m_base.x == x &&
            static_cast<const CSprite*>(d)->m_base.z == z)
            return true;
    return false;
}

} // namespace

TEST(MazeRules, PushOutAlongTheAxesThenRoundTheFirstCorner) {
    TestTables tables;
    struct Case {
        std::initializer_list<PlatPoint> walls;
        double x, z, wantX, wantZ;
    };
    const Case cases[] = {
        // A wall to the left pushes x to 5.42.
        {{{4, 7}}, 5.30, 7.50, 5.42, 7.50},
        // Left and above: both axes.
        {{{4, 7}, {5, 6}}, 5.30, 7.20, 5.42, 7.42},
        // Right and below.
        {{{6, 7}, {5, 8}}, 5.70, 7.90, 5.58, 7.58},
        // A lone corner pushes the player, as a circle of 0.42, straight
        // away from the corner point: 0.2 away (0.12, 0.16) becomes 0.42.
        {{{4, 6}}, 5.12, 7.16, 5.252, 7.336},
        {{{6, 6}}, 5.84, 7.12, 5.664, 7.252},
        {{{4, 8}}, 5.24, 7.82, 5.336, 7.748},
        {{{6, 8}}, 5.88, 7.84, 5.748, 7.664},
        // Within 0.42 on both axes but not round the corner: no push.
        {{{4, 6}}, 5.30, 7.35, 5.30, 7.35},
        // On the corner point itself: along the diagonal, away from the wall.
        {{{4, 6}}, 5.0, 7.0, 5.0 + 0.42 * std::sqrt(0.5), 7.0 + 0.42 * std::sqrt(0.5)},
        // Two diagonals: only the first that applies (above-left) moves.
        {{{4, 6}, {6, 8}}, 5.12, 7.16, 5.252, 7.336},
        // An axis push suppresses every corner.
        {{{4, 7}, {6, 6}}, 5.30, 7.10, 5.42, 7.10},
        // Enclosed, at the centre: every distance is 0.5.
        {{{4, 7}, {6, 7}, {5, 6}, {5, 8}, {4, 6}, {6, 6}, {4, 8}, {6, 8}}, 5.5, 7.5, 5.5, 7.5},
        // Exactly 0.42 from a face is not pushed (strictly less than).
        {{{4, 7}}, 5.42, 7.5, 5.42, 7.5},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CMaze> maze = OpenMaze(tables, c.walls);
        CPose pose = PoseAt(c.x, c.z);
        maze->Collide(pose);
        EXPECT_NEAR(c.wantX, pose.x, 1e-12) << c.x << ", " << c.z;
        EXPECT_NEAR(c.wantZ, pose.z, 1e-12) << c.x << ", " << c.z;
        EXPECT_EQ(0.5, pose.y);
    }
}

TEST(MazeRules, TheGridsEdgeIsAWallForThePlayer) {
    TestTables tables;
    // An open ring on the outermost cells, as in the built-in level.
    std::unique_ptr<CMaze> maze = MazeFromText(kBuiltInLevelText, tables);
    // On column 0, near the left edge: pushed back in, not into row z - 1's
    // last cell (which a plain row-major read would find).
    CPose pose = PoseAt(0.1, 20.5);
    maze->Collide(pose);
    EXPECT_NEAR(0.42, pose.x, 1e-12);
    // Walking out over the left edge at full step from the push radius and
    // pushing after each step never leaves cell 0.
    pose = PoseAt(0.42, 20.5);
    for (int i = 0; i < 50; ++i) {
        pose.x -= 0.4;
        maze->Collide(pose);
        EXPECT_GE(pose.x, 0.0);
    }
    // The same at the far corner (75, 47).
    pose = PoseAt(75.9, 47.9);
    maze->Collide(pose);
    EXPECT_NEAR(75.58, pose.x, 1e-12);
    EXPECT_NEAR(47.58, pose.z, 1e-12);
    pose = PoseAt(0.2, 0.3);
    maze->Collide(pose);
    EXPECT_NEAR(0.42, pose.x, 1e-12);
    EXPECT_NEAR(0.42, pose.z, 1e-12);
    // Far outside (the player cannot get there, but the reads stay safe).
    pose = PoseAt(-30.5, 900.5);
    maze->Collide(pose);
    pose = PoseAt(1e12, -1e12);
    maze->Collide(pose);
}

TEST(MazeRules, DotsAndGunsAreTakenDecorationsStay) {
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText("######\n"
                                               "#oGBo#\n"
                                               "#..o.#\n"
                                               "######\n",
                                               tables);
    ASSERT_EQ(3, maze->GetDotsLeft());
    CSceneNode* hit = nullptr;
    EXPECT_EQ(EV_NONE, maze->Interact(PoseAt(1.5, 2.5), &hit));
    EXPECT_EQ(nullptr, hit);
    // A barrel stays.
    EXPECT_EQ(EV_NONE, maze->Interact(PoseAt(3.5, 1.5), &hit));
    EXPECT_TRUE(HasSpriteAt(*maze, 3.5, 1.5));
    EXPECT_EQ(66, maze->GetCell(3, 1));
    // A gun: code 2, the maze is the node hit, the cell becomes a corridor.
    const size_t before = maze->GetDrawables().size();
    EXPECT_EQ(EV_GUN, maze->Interact(PoseAt(2.9, 1.1), &hit));
    EXPECT_EQ(maze.get(), hit);
    EXPECT_EQ(CELL_CORRIDOR, maze->GetCell(2, 1));
    EXPECT_FALSE(HasSpriteAt(*maze, 2.5, 1.5));
    EXPECT_EQ(before - 1, maze->GetDrawables().size());
    EXPECT_EQ(3, maze->GetDotsLeft());
    // Taken once only.
    EXPECT_EQ(EV_NONE, maze->Interact(PoseAt(2.5, 1.5), &hit));
    // Dots: 3, 3, then 4 for the last.
    EXPECT_EQ(EV_DOT, maze->Interact(PoseAt(1.5, 1.5), &hit));
    EXPECT_EQ(EV_DOT, maze->Interact(PoseAt(4.5, 1.5), &hit));
    EXPECT_EQ(EV_LAST_DOT, maze->Interact(PoseAt(3.2, 2.8), &hit));
    EXPECT_EQ(0, maze->GetDotsLeft());
    for (const CDrawable* d : maze->GetDrawables()) {
        if (d->GetKind() == CDrawable::KindSprite) {
            EXPECT_EQ(&tables.items[2], static_cast<const CSprite*>(d)->m_pImage);
        }
    }
    // The cell index no longer finds the taken items.
    std::vector<CDrawable*> found;
    maze->CollectInRegion(PlatRect{0, 0, 6, 4}, found);
    EXPECT_EQ(maze->GetDrawables().size(), found.size());
}

TEST(MazeRules, UncountedDotEndsTheLevelOneCountedDotEarly) {
    TestTables tables;
    // The dot on row 0 has no sprite and is not counted, but is eaten.
    std::unique_ptr<CMaze> maze = MazeFromText(".o..\n"
                                               ".o.o\n",
                                               tables);
    ASSERT_EQ(2, maze->GetDotsLeft());
    CSceneNode* hit = nullptr;
    EXPECT_EQ(EV_DOT, maze->Interact(PoseAt(1.5, 0.5), &hit));
    EXPECT_EQ(CELL_CORRIDOR, maze->GetCell(1, 0));
    EXPECT_EQ(2u, maze->GetDrawables().size());
    EXPECT_EQ(EV_LAST_DOT, maze->Interact(PoseAt(1.5, 1.5), &hit));
    EXPECT_EQ(1u, maze->GetDrawables().size());
}

TEST(MazeRules, AnEnemyInContactWinsOverAnItem) {
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText("#####\n"
                                               "#.E.#\n"
                                               "#####\n",
                                               tables);
    // Put a dot under the enemy's cell after building: the enemy stands at
    // (2, 1) and the player at (2.5, 1.5) is 0.707 away in the same cell.
    std::unique_ptr<CMaze> withDot = MazeFromText("#####\n"
                                                  "#.o.#\n"
                                                  "#####\n",
                                                  tables);
    CEnemy* enemy = new CEnemy(withDot.get(), kEnemyIdBase);
    withDot->AddChild(enemy);
    enemy->SetPosition(2.0, 1.0, 0.0);
    CSceneNode* hit = nullptr;
    EXPECT_EQ(EV_CAUGHT, withDot->Interact(PoseAt(2.5, 1.5), &hit));
    EXPECT_EQ(enemy, hit);
    EXPECT_EQ(64, withDot->GetCell(2, 1));
    EXPECT_EQ(1, withDot->GetDotsLeft());
    EXPECT_EQ(EV_CAUGHT, maze->Interact(PoseAt(2.5, 1.5), &hit));
    EXPECT_EQ(maze->GetChild(0), hit);
}

TEST(MazeRules, ShotsStopAtWallsAndTheGridsEdge) {
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText("#####\n"
                                               "#...#\n"
                                               "#####\n",
                                               tables);
    EXPECT_EQ(maze.get(), maze->Probe(PlatPoint{0, 1}, nullptr));
    EXPECT_EQ(maze.get(), maze->Probe(PlatPoint{2, 0}, nullptr));
    EXPECT_EQ(nullptr, maze->Probe(PlatPoint{2, 1}, nullptr));
    // Outside the grid the shot meets a wall.
    EXPECT_EQ(maze.get(), maze->Probe(PlatPoint{-1, 1}, nullptr));
    EXPECT_EQ(maze.get(), maze->Probe(PlatPoint{5, 1}, nullptr));
    EXPECT_EQ(maze.get(), maze->Probe(PlatPoint{2, 3}, nullptr));
    EXPECT_EQ(maze.get(), maze->Probe(PlatPoint{2, -7}, nullptr));
}
