// Levels and helpers the maze and enemy tests share.
#pragma once
#include "gfx/Surface.h"
#include "scene/LevelText.h"
#include "scene/Maze.h"
#include <memory>
#include <string>

// The built-in level (bitmap resource 130) as a text map.
extern const char* const kBuiltInLevelText;

// Stand-in pictures for the image tables: the builder only stores pointers.
// There are as many as the program has (kProgramWallTextures, kProgramItemImages).
struct TestTables {
    static const int kWalls = 10, kItems = 5;
    CSurface walls[kWalls];
    CSurface items[kItems];
    CSurface enemies[2];
    CSurface* wallTable[kWalls];
    CSurface* itemTable[kItems];
    CSurface* enemyTable[2];
    TestTables() {
        for (int i = 0; i < kWalls; ++i)
            wallTable[i] = &walls[i];
        for (int i = 0; i < kItems; ++i)
            itemTable[i] = &items[i];
        for (int i = 0; i < 2; ++i)
            enemyTable[i] = &enemies[i];
    }
    // The first `wallCount` walls and `itemCount` items (by default the two
    // wall types and three items the built-in level uses) and both enemy
    // pictures.
    PictureTables Pictures(int wallCount = 4, int itemCount = 3) {
        PictureTables pictures;
        pictures.walls = wallTable;
        pictures.wallCount = wallCount;
        pictures.items = itemTable;
        pictures.itemCount = itemCount;
        pictures.enemies = enemyTable;
        pictures.enemyCount = 2;
        return pictures;
    }
};

// Parses a text map into a grid; fails the test on a parse error.
LevelGrid GridFromText(const std::string& text);
// A maze (no parent, id 1) read from the text map through the level bitmap
// reader and built with `wallCount` wall and `itemCount` item pictures of
// `tables` (the program's counts by default).
std::unique_ptr<CMaze> MazeFromText(const std::string& text, TestTables& tables, int wallCount = 4,
                                    int itemCount = 3);
// A viewer at (x, eye height, z), heading 0.
inline CPose PoseAt(double x, double z) {
    CPose pose;
    pose.x = x;
    pose.y = 0.5;
    pose.z = z;
    return pose;
}

// A file path in the test's scratch folder, removed by the caller.
std::string ScratchPath(const std::string& name);
