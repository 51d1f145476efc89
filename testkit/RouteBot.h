// A bot that plays a level in the real game, headless, by pressing and
// releasing the game's own keys: it plans a walk through the cells to the
// nearest dot or gun left (turns cost what they cost the player), follows it
// frame by frame from the player's position and heading, and records every
// key it pressed as a key script (the --keys format). With the access word
// the player's motion depends on the keys alone and the enemies on the seed,
// so the script replayed by `quibbo --headless --keys @FILE AlwaysTheWalrus`
// eats the last dot on the very frame it did here.
//
// Used by the levelbot tool and the route tests.
#pragma once
#include "scene/LevelCheck.h"
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CMaze;

namespace bot {

// ---- Planning ----

// Costs in frames of 16 ms: a cell walked (forwards or backwards, both at a
// cell a second) and a quarter turn (at 40 degrees a second). Walking
// backwards makes an about-turn free, so only the axis of travel matters.
const int kCellFrames = 63;
const int kQuarterTurnFrames = 141;
// What a step toward an enemy costs, per cell nearer: a detour of a few
// cells is cheaper than a cell beside it.
const int kDangerFramesPerStep = 250;

// A dot or a gun: what the bot walks to.
bool IsTarget(uint8_t cell);

// Whether the walk may end in cell (column, row), reached after `frames`.
using LegGoal = std::function<bool(int column, int row, int frames)>;

// The cells of the quickest walk from the player's cell to the nearest cell
// for which `goal` holds (the player's own cell first, the goal last); empty
// when none can be reached. `heading` prices the first turn; `danger` (one
// entry a cell, or empty) adds its frames to every step into a cell.
std::vector<LevelCell> PlanLeg(const CMaze& maze, LevelCell from, double heading,
                               const LegGoal& goal,
                               const std::vector<int>& danger = std::vector<int>());

// What stepping into each cell risks: the cells an enemy can walk to
// within `reach` cells cost more the nearer they are to it.
std::vector<int> DangerMap(const CMaze& maze, int reach);

// ---- A game ----

struct Config {
    std::string levelsDir;    // the folder the game looks for QB00.BMP in
    bool invulnerable = true; // the access word on the command line
    bool shoot = false;       // fire at an enemy straight ahead within range
    bool avoid = false;       // keep away from the enemies, planning again often
    uint32_t seed = 1;        // the game's seed (1: as without --seed)
    int maxFrames = 2000000;  // the run ends after this many idle passes
    int traceEvery = 0;       // frames between lines on standard error; 0: none
};

struct Result {
    bool cleared = false; // the level's last dot was eaten before a game over
    int clearFrame = 0;   // the idle pass that ate it
    int frames = 0;       // idle passes run
    int catches = 0;      // lives lost
    int dotsLeft = -1;    // of the level when the run ended
    int score = 0;        // when the run ended
    int enemiesLeft = 0;  // when the run ended
    std::string script;   // every key pressed and let go, as a key script
    int keyEvents = 0;
    // The command-line words that replay the run in the real program, but
    // for --levels and --keys.
    std::vector<std::string> words;
};

// One game, set up as RunGame (app/GameRun.cpp) sets up the program's run
// from the same command-line words, played by the bot until the level's
// last dot, a game over, or the frame limit.
Result Play(const Config& config);

} // namespace bot
