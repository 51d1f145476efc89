// Whether a level can be finished, and whether it plays fair: every dot and
// gun reachable from the start, one start that looks down an open corridor,
// no enemy walled in or close enough to reach the start under the title, and
// the level budget. Pure functions of the grid, so the level tool and an
// editor can run the same checks before a level is ever built.
//
// Walking is from cell to cell through the four side openings over open
// (non-wall) cells; the player cannot squeeze diagonally between two wall
// corners, and the grid's edge is a wall.
#pragma once
#include "scene/LevelBitmap.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct LevelCell {
    int column = 0;
    int row = 0;
};

// An enemy this many cells' walk from the start, or nearer, can reach the
// player while the title still covers the view.
const int kUnfairEnemyWalk = 8;
// Open cells the player must see straight north of the start.
const int kOpenCellsNorthOfStart = 3;

// The walk distance in cells from `from` to every cell (row-major, width *
// height entries), -1 where the walk cannot go. A wall cell `from` reaches
// nothing, not even itself.
std::vector<int> WalkDistances(const LevelGrid& grid, LevelCell from);

// A planned walk from the start through every reachable dot and gun: always
// the nearest by walk distance next (on a tie, the one a breadth-first walk
// meets first).
struct DotTour {
    std::vector<LevelCell> stops; // the dots and guns in the order visited
    long long length = 0;         // cells walked
};
DotTour PlanDotTour(const LevelGrid& grid, LevelCell start);

// One problem of a level: a line that names it, and the cells it is about
// (the dot that cannot be reached, every start of several; none for a
// problem of the whole level), so an editor can mark them.
struct LevelFailure {
    std::string text;
    std::vector<LevelCell> cells;
};

struct LevelCheck {
    int width = 0;
    int height = 0;
    int dots = 0; // item cells of each kind, wherever they lie
    int guns = 0;
    int decorations = 0;
    int enemies = 0;
    std::vector<LevelCell> starts; // every start marker, row-major
    LevelCell start;               // where the game puts the player
    bool fitsBudget = false;
    std::string budget; // why it does not fit; empty when it does
    DotTour tour;
    // Empty when the level passes. At most the first `listed` problems found
    // (see CheckLevel); failureCount counts them all.
    std::vector<LevelFailure> failures;
    size_t failureCount = 0;
};

// Every check at once; the budget is weighed as the game's build would
// weigh it with the program's pictures. A random map can have a problem in
// every few cells: only the first `listed` are kept, so an editor's memory
// and its list stay small whatever the map.
LevelCheck CheckLevel(const LevelGrid& grid, size_t listed = SIZE_MAX);

// The check in lines: counts, start, budget, tour length, then each failure
// on a line of its own starting "fail: ", and a last line with the verdict.
std::string FormatLevelCheck(const LevelCheck& check);
