#include "scene/LevelBudget.h"
#include "gfx/Dib.h"
#include "math3d/Sprite.h"
#include "scene/Enemy.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelReport.h"
#include "scene/MazeWall.h"

namespace {

// What the allocator adds to each block it hands out, on a 64-bit C library.
const uint64_t kHeapBlockBytes = 16;
// The minimap holds a pixel a cell, of at most 4 bytes.
const uint64_t kMinimapBytesPerCell = 4;
// A face lives in the block of faces and has four entries in the maze's
// lists (drawables, the cell index's drawables, keys and places) and two in
// the index's build.
const uint64_t kBytesPerFace = sizeof(CMazeWall) + 6 * sizeof(size_t);
// An item's sprite is a block of its own with the same entries.
const uint64_t kBytesPerItem = sizeof(CSprite) + kHeapBlockBytes + 6 * sizeof(size_t);
// An enemy: the node, its sprite, its lists of drawables and pictures (one
// entry each) and its place among the maze's children.
const uint64_t kBytesPerEnemy = sizeof(CEnemy) + sizeof(CSprite) + 4 * kHeapBlockBytes +
                                2 * (sizeof(void*) + kHeapBlockBytes) + sizeof(void*);

// Measured with `quibbo --headless` on levels of each kind, rounded up.
// A frame: the view, the sky, the minimap and the hud, then every enemy
// (moving, seeing along its row and column, its minimap dot, the catch test).
// An enemy costs about 170 ns in the average frame of a swarm but up to
// 400 ns in its slowest, when most of them turn and look at once; the
// weight is the slowest frame's with room for a slower machine.
const uint64_t kFrameNanos = 2000;
const uint64_t kFrameNanosPerEnemy = 600;
// A load: reading and checking every cell (grid, minimap, counting, index),
// then making each face, item and enemy.
const uint64_t kLoadNanosPerCell = 25;
const uint64_t kLoadNanosPerFace = 60;
const uint64_t kLoadNanosPerItem = 120;
const uint64_t kLoadNanosPerEnemy = 400;

std::string Megabytes(uint64_t bytes) {
    return std::to_string((bytes + (uint64_t(1) << 20) - 1) >> 20) + " MB";
}

} // namespace

LevelCounts CountLevelBuild(const uint8_t* cells, int width, int height, int wallCount,
                            int itemCount) {
    LevelCounts counts;
    counts.width = width;
    counts.height = height;
    const int w = width, h = height;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            const uint8_t cell = cells[static_cast<size_t>(r) * w + c];
            if (IsEnemyStartCell(cell))
                ++counts.enemies;
            if (r >= 1 && c >= 1 && CellClass(cell) == CELL_CLASS_ITEM &&
                CellType(cell) < itemCount)
                ++counts.items;
            if (r < 1 || c < 1 || r > h - 2 || c > w - 2 || IsWallCell(cell))
                continue;
            const uint8_t around[4] = {cells[static_cast<size_t>(r - 1) * w + c],
                                       cells[static_cast<size_t>(r) * w + c + 1],
                                       cells[static_cast<size_t>(r + 1) * w + c],
                                       cells[static_cast<size_t>(r) * w + c - 1]};
            for (int k = 0; k < 4; ++k)
                if (IsWallCell(around[k]) && 2 * CellType(around[k]) + (k < 2 ? 1 : 0) < wallCount)
                    ++counts.faces;
        }
    }
    return counts;
}

LevelCost EstimateLevelCost(const LevelCounts& c) {
    const uint64_t w = c.width > 0 ? uint64_t(c.width) : 0;
    const uint64_t h = c.height > 0 ? uint64_t(c.height) : 0;
    const uint64_t cells = w * h;
    const uint64_t fileBytes = uint64_t(LevelRowStride(static_cast<int>(w))) * h +
                               kBmpFileHeaderBytes + kDibInfoHeaderBytes + kLevelColourTableBytes;
    LevelCost cost;
    cost.bytes = cells                          // the grid
                 + 2 * fileBytes                // kept, and read again by a restart
                 + cells * kMinimapBytesPerCell // the minimap
                 + (w + h + 2) * sizeof(size_t) // the index's counts
                 + c.faces * kBytesPerFace + c.items * kBytesPerItem + c.enemies * kBytesPerEnemy;
    cost.frameMicros = (kFrameNanos + c.enemies * kFrameNanosPerEnemy + 999) / 1000;
    cost.loadMicros = (cells * kLoadNanosPerCell + c.faces * kLoadNanosPerFace +
                       c.items * kLoadNanosPerItem + c.enemies * kLoadNanosPerEnemy + 999) /
                      1000;
    return cost;
}

bool FitsLevelBudget(const LevelCost& cost, std::string* why) {
    const uint64_t maxBytes = kMaxGameBytes - kGameBytesBesideLevel;
    std::string reason;
    if (cost.bytes > maxBytes)
        reason = "it would take about " + Megabytes(cost.bytes) + " of memory, more than the " +
                 Megabytes(maxBytes) + " a level may have";
    else if (cost.frameMicros > kMaxFrameMicros)
        reason = "a frame would take about " + std::to_string(cost.frameMicros / 1000) +
                 " ms, more than the " + std::to_string(kMaxFrameMicros / 1000) +
                 " ms of one frame (too many enemies)";
    else if (cost.loadMicros > kMaxLoadMicros)
        reason = "it would take about " + std::to_string(cost.loadMicros / 1000) +
                 " ms to load, more than " + std::to_string(kMaxLoadMicros / 1000) + " ms";
    if (reason.empty())
        return true;
    if (why)
        *why = reason;
    return false;
}

bool FitsProgramBudget(const uint8_t* cells, int width, int height, std::string* why) {
    const LevelCounts counts =
        CountLevelBuild(cells, width, height, kProgramWallTextures, kProgramItemImages);
    return FitsLevelBudget(EstimateLevelCost(counts), why);
}
