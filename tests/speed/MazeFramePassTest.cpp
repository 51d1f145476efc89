// The maze's own frame passes, which visit only the drawables near the
// region through the cell index and leave the faces the view surely does
// not draw untransformed, against the base passes that visit every drawable:
// two mazes built alike go through the same frames (regions near, far, half
// outside and empty, any view, items taken between frames, the whole-tree
// projection, the no-cull flag). After every pass the collected lists and
// every drawable's frame flags must agree, but for faces the maze left out,
// which the base collected and which, drawn, change no pixel.
#include "math3d/Sprite.h"
#include "math3d/WallQuad.h"
#include "scene/Enemy.h"
#include "scene/MazeTestLevels.h"
#include "scene/MazeWall.h"
#include "testkit/SpeedRoute.h"
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
    const CScreen& screen = game.World().GetScreen();
    const double reach = SideReach(screen.width, screen.projectionScale);
    // Where the faces the maze leaves out are drawn: it must stay blank.
    CSurface blank;
    ASSERT_TRUE(blank.Create(screen.width, screen.height));
    for (int32_t y = 0; y < blank.height; ++y)
        for (int32_t x = 0; x < blank.width; ++x)
            blank.SetPixel(x, y, 0);
    // The test mazes' textures are empty; the faces left out are drawn with
    // this one, which leaves a mark wherever a face puts a pixel.
    CSurface paint;
    ASSERT_TRUE(paint.Create(8, 8));
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            paint.SetPixel(x, y, 0x00FFFFFF);
    size_t leftOut = 0;
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

        fast->TransformTree(viewer.GetViewMatrix(), region, reach);
        plain->CSceneNode::TransformTree(viewer.GetViewMatrix(), region, reach);
        std::vector<CDrawable*> fastList, plainList;
        fast->CollectVisible(fastList);
        plain->CSceneNode::CollectVisible(plainList);
        // The maze's list is the base's in the base's order, less faces.
        const std::vector<int> fastNames = Names(*fast, fastList);
        const std::vector<int> plainNames = Names(*plain, plainList);
        std::vector<int> left;
        size_t next = 0;
        for (const int name : plainNames) {
            if (next < fastNames.size() && fastNames[next] == name)
                ++next;
            else
                left.push_back(name);
        }
        ASSERT_EQ(next, fastNames.size()) << "frame " << frame;
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
        for (const int name : left) {
            ASSERT_GE(name, 0);
            const CDrawable* d = plain->GetDrawables()[size_t(name)];
            ASSERT_EQ(d->GetKind(), CDrawable::KindMazeWall) << "frame " << frame;
            // The face as a quad of its own, transformed, projected and drawn.
            const CMazeWall* face = static_cast<const CMazeWall*>(d);
            CWallQuad quad;
            quad.SetCorners(face->GetCorner(0), face->GetCorner(1), face->GetCorner(2),
                            face->GetCorner(3));
            quad.m_pTexture = &paint;
            quad.Transform(viewer.GetViewMatrix());
            quad.Project(screen);
            const CScreenPoint s[4] = {quad.GetScreenCorner(0), quad.GetScreenCorner(1),
                                       quad.GetScreenCorner(2), quad.GetScreenCorner(3)};
            // As CWallQuad::Draw draws it.
            blank.StretchToTrapezoid(paint, s[0].x, s[1].x, s[0].y, s[1].y, s[3].y, s[2].y);
        }
        leftOut += left.size();
        // A face the maze left untransformed has no flags where the base's
        // has; the base collected it only if it is among those drawn above.
        const std::vector<std::pair<bool, bool>> fastFlags = Flags(*fast),
                                                 plainFlags = Flags(*plain);
        for (size_t i = 0; i < fastFlags.size(); ++i) {
            if (fastFlags[i] == plainFlags[i])
                continue;
            ASSERT_EQ(fastFlags[i], std::make_pair(false, false)) << "frame " << frame;
            ASSERT_EQ(fast->GetDrawables()[i]->GetKind(), CDrawable::KindMazeWall);
            ASSERT_TRUE(plainFlags[i].first);
        }

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
    EXPECT_GT(leftOut, size_t(frames));
    for (int32_t y = 0; y < blank.height; ++y)
        for (int32_t x = 0; x < blank.width; ++x)
            ASSERT_EQ(blank.GetPixel(x, y), 0u) << x << "," << y;
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
        maze->TransformTree(viewer.GetViewMatrix(),
                            {c - radius, c - radius, c + radius, c + radius});
        size_t seen = 0;
        for (const CDrawable* d : maze->GetDrawables())
            if (d->GetKind() == CDrawable::KindMazeWall)
                seen += static_cast<const CMazeWall*>(d)->IsTransformed() ? 1 : 0;
        mostSeen = std::max(mostSeen, seen);
        if (step % 2 == 1) {
            EXPECT_LE(maze->GetQuadsMade(), 2 * mostSeen) << "step " << step;
        }
    }
    EXPECT_GT(mostSeen, 25u);
    EXPECT_LE(maze->GetQuadsMade(), 2 * mostSeen);
}
