// The maze's own frame passes, which visit only the drawables near the
// region through the cell index, against the base passes that visit every
// drawable: two mazes built alike go through the same frames (regions near,
// far, half outside and empty, any view, items taken between frames, the
// whole-tree projection, the no-cull flag), and after every pass the
// collected lists and every drawable's frame flags must agree.
#include "math3d/Sprite.h"
#include "scene/Enemy.h"
#include "scene/MazeTestLevels.h"
#include "scene/MazeWall.h"
#include "speed/SpeedRoute.h"
#include "world/World.h"
#include <gtest/gtest.h>
#include <random>

namespace {

class CTestMaze : public CMaze {
public:
    CTestMaze() : CMaze(nullptr, 1) {}
    void SetNoCull(bool bNoCull) { m_bNoCull = bNoCull; }
};

std::unique_ptr<CTestMaze> Build(const LevelGrid& grid, TestTables& tables) {
    std::unique_ptr<CTestMaze> maze(new CTestMaze);
    const std::vector<uint8_t> dib = MakeLevelBitmap(grid, false);
    EXPECT_TRUE(maze->ReadGrid(dib.data(), dib.size()));
    EXPECT_TRUE(maze->Build(tables.Pictures()));
    return maze;
}

// A drawable named the same way in both mazes: its place in the maze's list,
// or -1 - n for the sprite of enemy n.
int NameOf(const CMaze& maze, const CDrawable* d) {
    const std::vector<CDrawable*>& all = maze.GetDrawables();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i] == d)
            return int(i);
    for (int n = 0; n < maze.GetChildCount(); ++n)
        if (static_cast<CEnemy*>(maze.GetChild(n))->GetSprite() == d)
            return -1 - n;
    return INT32_MIN;
}

std::vector<int> Names(const CMaze& maze, const std::vector<CDrawable*>& list) {
    std::vector<int> names;
    for (const CDrawable* d : list)
        names.push_back(NameOf(maze, d));
    return names;
}

// Each drawable's (transformed, projected) flags, in list order.
std::vector<std::pair<bool, bool>> Flags(const CMaze& maze) {
    std::vector<std::pair<bool, bool>> flags;
    for (const CDrawable* d : maze.GetDrawables()) {
        if (d->GetKind() == CDrawable::KindMazeWall) {
            const CMazeWall* q = static_cast<const CMazeWall*>(d);
            flags.emplace_back(q->IsTransformed(), q->IsProjected());
        } else {
            const CSprite* s = static_cast<const CSprite*>(d);
            flags.emplace_back(s->IsTransformed(), s->IsProjected());
        }
    }
    return flags;
}

void ExpectSameFrames(const LevelGrid& grid, uint32_t seed, int frames) {
    TestTables tables;
    std::unique_ptr<CTestMaze> fast = Build(grid, tables), plain = Build(grid, tables);
    speed::CRouteGame game(HeadlessDisplay(), 1, true); // for a screen to project with
    ASSERT_TRUE(game.IsReady());
    const CScreen& screen = game.World().m_screen;
    std::mt19937 rng(seed);
    auto between = [&](int lo, int hi) { return lo + int(rng() % uint32_t(hi - lo + 1)); };
    for (int frame = 0; frame < frames; ++frame) {
        const int cx = between(-15, grid.width + 15), cz = between(-15, grid.height + 15);
        const int rx = between(0, 14), rz = between(0, 14);
        PlatRect region = {cx - rx, cz - rz, cx + rx, cz + rz};
        if (rng() % 10 == 0)
            std::swap(region.left, region.right);
        CPose viewer = PoseAt(between(0, grid.width) + 0.25, between(0, grid.height) + 0.75);
        viewer.heading = between(0, 359) + 0.5;
        const bool noCull = rng() % 25 == 0;
        fast->SetNoCull(noCull);
        plain->SetNoCull(noCull);

        fast->TransformTree(viewer.GetViewMatrix(), region);
        plain->CSceneNode::TransformTree(viewer.GetViewMatrix(), region);
        std::vector<CDrawable*> fastList, plainList;
        ASSERT_EQ(fast->CollectVisible(fastList), plain->CSceneNode::CollectVisible(plainList));
        ASSERT_EQ(Names(*fast, fastList), Names(*plain, plainList)) << "frame " << frame;
        // As the world does with what it collected; now and then the whole
        // tree, as nothing in a frame does.
        for (CDrawable* d : fastList)
            d->Project(screen);
        for (CDrawable* d : plainList)
            d->Project(screen);
        if (rng() % 15 == 0) {
            fast->ProjectTree(screen);
            plain->CSceneNode::ProjectTree(screen);
        }
        ASSERT_EQ(Flags(*fast), Flags(*plain)) << "frame " << frame;

        // Now and then an item is taken where the player stands.
        if (rng() % 4 == 0) {
            const std::vector<CDrawable*>& all = fast->GetDrawables();
            const CDrawable* d = all[rng() % all.size()];
            if (d->GetKind() == CDrawable::KindSprite) {
                // A copy: taking the item deletes its sprite.
                const CVector base = static_cast<const CSprite*>(d)->m_base;
                CSceneNode* hit = nullptr;
                EXPECT_EQ(fast->Interact(PoseAt(base.x, base.z), &hit),
                          plain->Interact(PoseAt(base.x, base.z), &hit));
                ASSERT_EQ(fast->GetDrawables().size(), plain->GetDrawables().size());
            }
        }
    }
}

} // namespace

TEST(MazeFramePasses, AgreeWithTheBasePassesOnTheBuiltInLevel) {
    ExpectSameFrames(GridFromText(kBuiltInLevelText), 11, 600);
}

TEST(MazeFramePasses, AgreeWithTheBasePassesOnATiledLevel) {
    LevelGrid grid;
    std::string error;
    ASSERT_TRUE(speed::MakeTiledLevel(200, &grid, &error)) << error;
    ExpectSameFrames(grid, 12, 300);
}

// A face seen frame after frame keeps its quad, and faces out of view give
// theirs back: walking across a large level, the maze never holds more
// quads than two frames' worth of faces.
TEST(MazeFramePasses, FacesKeepTheirQuadsOnlyWhileSeen) {
    TestTables tables;
    const int side = 96;
    LevelGrid grid;
    grid.width = grid.height = side;
    grid.cells.assign(size_t(side) * side, uint8_t(CELL_CORRIDOR));
    for (int z = 0; z < side; ++z)
        for (int x = 0; x < side; ++x)
            if (x == 0 || z == 0 || x == side - 1 || z == side - 1 || (x % 3 == 0 && z % 3 == 0))
                grid.cells[size_t(z) * side + x] = uint8_t(CELL_WALL);
    std::unique_ptr<CTestMaze> maze = Build(grid, tables);
    const int radius = 6;
    size_t mostSeen = 0;
    for (int step = 0; step < 4 * side; ++step) {
        const int c = 1 + (step / 2) % (side - 2); // each place twice: the second keeps every quad
        CPose viewer = PoseAt(c + 0.5, c + 0.5);
        viewer.heading = (step * 37) % 360 + 0.5;
        maze->TransformTree(viewer.GetViewMatrix(), {c - radius, c - radius, c + radius, c + radius});
        size_t seen = 0;
        for (const CDrawable* d : maze->GetDrawables())
            if (d->GetKind() == CDrawable::KindMazeWall)
                seen += static_cast<const CMazeWall*>(d)->IsTransformed() ? 1 : 0;
        mostSeen = std::max(mostSeen, seen);
        if (step % 2 == 1) {
            EXPECT_LE(maze->GetQuadsMade(), 2 * mostSeen) << "step " << step;
        }
    }
    EXPECT_GT(mostSeen, 50u);
    EXPECT_LE(maze->GetQuadsMade(), 2 * mostSeen);
}
