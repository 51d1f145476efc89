// Building a maze from its grid: wall faces, item sprites, enemies, the
// start cell, and the cell index the drawing passes can use.
#include "MazeTestLevels.h"
#include "math3d/Math3d.h"
#include "math3d/Sprite.h"
#include "res/ResourceIds.h"
#include "scene/Enemy.h"
#include "scene/MazeWall.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

struct BuildCounts {
    std::map<const CSurface*, int> faces; // by texture
    std::map<const CSurface*, int> items; // by picture
    int quads = 0;
    int sprites = 0;
};

BuildCounts Count(const CMaze& maze) {
    BuildCounts counts;
    for (const CDrawable* d : maze.GetDrawables()) {
        if (d->GetKind() == CDrawable::KindMazeWall) {
            ++counts.quads;
            ++counts.faces[static_cast<const CMazeWall*>(d)->GetTexture()];
        } else {
            ++counts.sprites;
            ++counts.items[static_cast<const CSprite*>(d)->m_pImage];
        }
    }
    return counts;
}

bool SameVector(const CVector& v, double x, double y, double z) {
    return v.x == x && v.y == y && v.z == z;
}

} // namespace

TEST(MazeBuild, BuiltInLevelBuildsItsWallsItemsAndEnemies) {
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText(kBuiltInLevelText, tables);
    ASSERT_EQ(76, maze->GetWidth());
    ASSERT_EQ(48, maze->GetHeight());
    const BuildCounts counts = Count(*maze);
    EXPECT_EQ(1516, counts.quads);
    EXPECT_EQ(706, counts.faces.at(&tables.walls[0]));
    EXPECT_EQ(706, counts.faces.at(&tables.walls[1]));
    EXPECT_EQ(52, counts.faces.at(&tables.walls[2]));
    EXPECT_EQ(52, counts.faces.at(&tables.walls[3]));
    EXPECT_EQ(60, counts.sprites);
    EXPECT_EQ(38, counts.items.at(&tables.items[0]));
    EXPECT_EQ(8, counts.items.at(&tables.items[1]));
    EXPECT_EQ(14, counts.items.at(&tables.items[2]));
    EXPECT_EQ(38, maze->GetDotsLeft());
    ASSERT_EQ(14, maze->GetChildCount());
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(kEnemyIdBase + i, maze->GetChild(i)->GetId());
    int column = -1, row = -1;
    maze->GetStartCell(&column, &row);
    EXPECT_EQ(38, column);
    EXPECT_EQ(35, row);
}

TEST(MazeBuild, BuiltInLevelResourceIsTheKnownMap) {
    LevelGrid fromResource;
    std::string error;
    ASSERT_TRUE(ReadLevelResource(IDB_LEVEL, &fromResource, &error)) << error;
    const LevelGrid fromText = GridFromText(kBuiltInLevelText);
    EXPECT_EQ(fromText.width, fromResource.width);
    EXPECT_EQ(fromText.height, fromResource.height);
    EXPECT_EQ(fromText.cells, fromResource.cells);
}

TEST(MazeBuild, FacesFaceTheirOpenCellWithTheDarkerCopyAboveAndRight) {
    TestTables tables;
    // One open cell (1, 1) with a type-1 wall above and right, type 0 below
    // and left; nothing else is open, so no other face exists.
    std::unique_ptr<CMaze> maze = MazeFromText("#X#\n"
                                               "#.X\n"
                                               "###\n",
                                               tables);
    const std::vector<CDrawable*>& d = maze->GetDrawables();
    ASSERT_EQ(4u, d.size());
    const CMazeWall* above = static_cast<const CMazeWall*>(d[0]);
    const CMazeWall* right = static_cast<const CMazeWall*>(d[1]);
    const CMazeWall* below = static_cast<const CMazeWall*>(d[2]);
    const CMazeWall* left = static_cast<const CMazeWall*>(d[3]);
    EXPECT_EQ(&tables.walls[3], above->GetTexture());
    EXPECT_EQ(&tables.walls[3], right->GetTexture());
    EXPECT_EQ(&tables.walls[0], below->GetTexture());
    EXPECT_EQ(&tables.walls[0], left->GetTexture());
    EXPECT_TRUE(SameVector(above->GetCorner(0), 1, 1, 1));
    EXPECT_TRUE(SameVector(above->GetCorner(1), 2, 1, 1));
    EXPECT_TRUE(SameVector(above->GetCorner(2), 2, 0, 1));
    EXPECT_TRUE(SameVector(above->GetCorner(3), 1, 0, 1));
    EXPECT_TRUE(SameVector(right->GetCorner(0), 2, 1, 1));
    EXPECT_TRUE(SameVector(right->GetCorner(1), 2, 1, 2));
    EXPECT_TRUE(SameVector(right->GetCorner(2), 2, 0, 2));
    EXPECT_TRUE(SameVector(right->GetCorner(3), 2, 0, 1));
    EXPECT_TRUE(SameVector(below->GetCorner(0), 2, 1, 2));
    EXPECT_TRUE(SameVector(below->GetCorner(1), 1, 1, 2));
    EXPECT_TRUE(SameVector(below->GetCorner(2), 1, 0, 2));
    EXPECT_TRUE(SameVector(below->GetCorner(3), 2, 0, 2));
    EXPECT_TRUE(SameVector(left->GetCorner(0), 1, 1, 2));
    EXPECT_TRUE(SameVector(left->GetCorner(1), 1, 1, 1));
    EXPECT_TRUE(SameVector(left->GetCorner(2), 1, 0, 1));
    EXPECT_TRUE(SameVector(left->GetCorner(3), 1, 0, 2));
    // Each face's region test reads the cell of its first corner.
    for (const CDrawable* q : d) {
        const CMazeWall* face = static_cast<const CMazeWall*>(q);
        const CVector corner = face->GetCorner(0);
        EXPECT_EQ(int32_t(corner.x), face->GetRegionColumn());
        EXPECT_EQ(int32_t(corner.z), face->GetRegionRow());
    }
}

TEST(MazeBuild, NoFacesOnTheOuterRingBetweenWallsOrWithoutTextures) {
    TestTables tables;
    // The ring of corridor outside the walls gets no faces; a wall type 3
    // with only two wall types textured is solid but has no faces; class-3
    // floor is open.
    std::unique_ptr<CMaze> maze = MazeFromText(".......\n"
                                               ".#####.\n"
                                               ".#.Z,#.\n"
                                               ".#####.\n"
                                               ".......\n",
                                               tables);
    // Open (2, 2): above, below, left walls (type 0), right is type 3: 3 faces.
    // Open (4, 2) (class 3): above, right, below are type 0, left type 3: 3.
    EXPECT_EQ(6u, maze->GetDrawables().size());
    EXPECT_TRUE(maze->IsWallAt(3, 2));
    EXPECT_FALSE(maze->IsWallAt(4, 2));
    EXPECT_EQ(192, maze->GetCell(4, 2));
    EXPECT_EQ(0, maze->GetChildCount());
    // With eight wall textures, the type-3 wall shows both of its faces.
    TestTables more;
    maze = MazeFromText(".......\n"
                        ".#####.\n"
                        ".#.Z,#.\n"
                        ".#####.\n"
                        ".......\n",
                        more, 8, 3);
    const BuildCounts counts = Count(*maze);
    EXPECT_EQ(8, counts.quads);
    EXPECT_EQ(1, counts.faces.at(&more.walls[6])); // seen from (4, 2), on its left: 2t
    EXPECT_EQ(1, counts.faces.at(&more.walls[7])); // seen from (2, 2), on its right: 2t + 1
}

TEST(MazeBuild, ItemsSkipRowZeroAndColumnZeroAndTypesWithoutPictures) {
    TestTables tables;
    // =d 67: an item of type 3, with no picture among three.
    std::unique_ptr<CMaze> maze = MazeFromText("=d 67\n"
                                               "oooo\n"
                                               "oGBd\n"
                                               "o..o\n",
                                               tables);
    // Counted: (1,1) G, (2,1) B, (3,1) no picture; (3,2) dot. Row 0 and
    // column 0 get none. The last row and column are included.
    const BuildCounts counts = Count(*maze);
    EXPECT_EQ(3, counts.sprites);
    EXPECT_EQ(1, counts.items.at(&tables.items[0]));
    EXPECT_EQ(1, maze->GetDotsLeft());
    const CSprite* dot = nullptr;
    for (const CDrawable* d : maze->GetDrawables())
        if (static_cast<const CSprite*>(d)->m_pImage == &tables.items[0])
            dot = static_cast<const CSprite*>(d);
    ASSERT_NE(nullptr, dot);
    EXPECT_TRUE(SameVector(dot->m_base, 3.5, 0, 2.5));
    EXPECT_TRUE(SameVector(dot->m_top, 3.5, 0.5, 2.5));
    // The uncounted items stay in the grid.
    EXPECT_EQ(64, maze->GetCell(0, 0));
    EXPECT_EQ(67, maze->GetCell(3, 1));
}

TEST(MazeBuild, EnemiesStartEverywhereIncludingTheOuterRing) {
    TestTables tables;
    // 3, 4 and 5 are all enemy starts; 6 is plain floor.
    std::unique_ptr<CMaze> maze = MazeFromText("=4 4\n=5 5\n=6 6\n"
                                               "E..4\n"
                                               ".56.\n",
                                               tables);
    ASSERT_EQ(3, maze->GetChildCount());
    const int cells[3][2] = {{0, 0}, {3, 0}, {1, 1}};
    for (int i = 0; i < 3; ++i) {
        const CEnemy* enemy = static_cast<const CEnemy*>(maze->GetChild(i));
        EXPECT_EQ(kEnemyIdBase + i, enemy->GetId());
        EXPECT_EQ(cells[i][0], enemy->GetPose().x);
        EXPECT_EQ(cells[i][1], enemy->GetPose().z);
        // Every enemy shows the table's first picture, whatever follows it.
        EXPECT_EQ(&tables.enemies[0], enemy->CurrentImage());
    }
}

TEST(MazeBuild, StartCellIsTheFirstMarkerOrTheMiddle) {
    TestTables tables;
    int column = -1, row = -1;
    MazeFromText("....\n.P..\n...P\n", tables)->GetStartCell(&column, &row);
    EXPECT_EQ(1, column);
    EXPECT_EQ(1, row);
    MazeFromText("..P.\nP...\n", tables)->GetStartCell(&column, &row);
    EXPECT_EQ(2, column);
    EXPECT_EQ(0, row);
    // No start: the middle, whatever it holds (here a wall).
    MazeFromText("#####\n#####\n#####\n#####\n", tables)->GetStartCell(&column, &row);
    EXPECT_EQ(2, column);
    EXPECT_EQ(2, row);
}

TEST(MazeBuild, CellIndexFindsExactlyTheDrawablesInAnyRegion) {
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText(kBuiltInLevelText, tables);
    const std::vector<CDrawable*>& all = maze->GetDrawables();
    const PlatRect regions[] = {
        {27, 24, 49, 46},       {-11, -11, 11, 11}, {60, 30, 82, 52}, {0, 0, 76, 48},
        {-100, -100, 200, 200}, {5, 5, 5, 9},       {10, 3, 11, 4},   {75, 47, 76, 48},
    };
    for (const PlatRect& region : regions) {
        std::vector<CDrawable*> found;
        maze->CollectInRegion(region, found);
        std::vector<CDrawable*> want;
        for (CDrawable* d : all)
            if (d->IsInRegion(region))
                want.push_back(d);
        std::sort(found.begin(), found.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(want, found) << region.left << "," << region.top;
    }
}
