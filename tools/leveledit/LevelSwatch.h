// How a cell byte looks in the editor's palette and grid, drawn from the
// game's own pictures: a wall is its texture, an item its picture standing
// on the floor, and every other cell a flat colour of the minimap palette.
#pragma once
#include "scene/LevelBitmap.h"
#include <cstdint>
#include <vector>

// The largest swatch side, in pixels.
const int kMaxSwatchSide = 512;

// The bitmap resources the game builds with, in the order of the level
// legend: wall type t is kSwatchWalls[t], item type t kSwatchItems[t].
extern const int kSwatchWalls[5];
extern const int kSwatchItems[5];
// The picture whose mean colour stands in for see-through cells.
extern const int kSwatchFloor;

// Stand-ins for the see-through pure red of the minimap palette, which a
// swatch cannot show: the enemy start gets a clear magenta against the
// player start's green; corridors and floors the floor picture's mean colour,
// which is what the minimap lets show through them.
const uint8_t kEnemyStartSwatch[3] = {224, 48, 160};

// Fills *rgba with size x size pixels (red, green, blue, alpha 255; rows top
// first) of how `cell` looks. Colours the grid overrides count for the flat
// colours. A wall or item byte the game has no picture for shows its flat
// minimap colour. False, *rgba untouched, when size is outside
// 1..kMaxSwatchSide or a picture cannot be read.
bool MakeCellSwatch(uint8_t cell, int size, const LevelGrid& grid, std::vector<uint8_t>* rgba);
