// Long headless runs of the whole game with random keys, checking the
// player's state at every idle pass. Shared by the soak tool, the short soak
// tests, the frame benchmarks (for the hostile levels) and the level fuzzer.
//
// A run is the game's own: the headless platform, the application object,
// the frame window with its key table and level changes, the world. Only the
// application's idle step is wrapped, to check the state after each pass, to
// schedule the next pass's keys and to answer every game-over box with OK.
// Keys come from a generator seeded with the run's seed, which also seeds the
// game, so a seed and a frame count replay a run exactly.
#pragma once
#include "scene/LevelBitmap.h"
#include <cstdint>
#include <string>
#include <vector>

class CWorld;

namespace soak {

// ---- What must hold at every frame ----

// "" when the world's figures are sound, else what is wrong: score >= 0,
// 0 <= lives <= 5, shots >= 0, and the camera at a finite place.
std::string CheckFigures(const CWorld& world);

// CheckFigures, and with a level built the player inside the grid and not in
// a wall cell (but the start cell of a level without a start marker, which
// puts the player in its middle cell whatever that holds).
std::string CheckWorld(const CWorld& world);

// ---- The levels ----

enum class Scenario { BuiltIn, NoStart, EnemiesEverywhere, DotsOnEdge, Huge, Swarm, Pillars };
const Scenario kScenarios[] = {Scenario::BuiltIn,    Scenario::NoStart, Scenario::EnemiesEverywhere,
                               Scenario::DotsOnEdge, Scenario::Huge,    Scenario::Swarm,
                               Scenario::Pillars};

// The scenario's name on the soak tool's command line, and back; false for
// a name that is none.
const char* ScenarioName(Scenario s);
bool ScenarioByName(const std::string& name, Scenario* s);

// The swarm's field: 163 x 163 cells of enemies, about as many as the
// budget lets a frame have.
const int kSwarmSide = 165;

// The level file of a hostile scenario (false, and nothing, for the
// built-in level):
//  nostart  no start marker anywhere; the player stands in the open middle;
//  enemies  an enemy start on every open cell but a clearing round the start;
//  edge     dots all round the grid's outermost ring, open to the inside;
//  huge     512 x 512 cells of random walls (also untextured types), items,
//           floors of every class and a few hundred enemies;
//  swarm    as many enemies as a frame's time allows, in a field round the
//           player's start;
//  pillars  the largest level, 4096 x 4096 cells of pillars: the most wall
//           faces an honest level has, near the memory the budget allows.
bool MakeScenarioLevel(Scenario s, uint32_t seed, LevelGrid* out);

// ---- A run ----

struct Config {
    Scenario scenario = Scenario::BuiltIn;
    uint32_t seed = 1;
    int frames = 10000;    // idle passes
    uint32_t dtMs = 16;    // virtual milliseconds a pass
    int rssEvery = 0;      // passes between memory samples; 0: none
    std::string levelsDir; // where the level file goes; "" for a scratch folder
};

struct Report {
    int passes = 0;                   // idle passes run
    int frames = 0;                   // world frames among them
    int exitCode = -1;                // the run's exit status
    int gameOvers = 0;                // game-over boxes, every one answered OK
    int catches = 0;                  // frames that cost a life
    int dotsEaten = 0;                // frames that ate a dot (the last ones included)
    int levelsWon = 0;                // frames that ate a level's last dot
    int keys = 0;                     // key messages scheduled
    double x = 0, z = 0, heading = 0; // the player when the run ended
    int score = 0, lives = 0;
    std::string failure; // "" when every check held
    int failedPass = 0;  // the idle pass whose check failed
    struct Sample {
        int pass;
        long rssKb;
    };
    std::vector<Sample> rss;
    // The level budget as the run met it, in processor time of this thread:
    // the start-up with its first level, the longest pass that loaded a level
    // (a restart, the next level, a new game) and the longest that did not.
    long startMicros = 0;
    long longestLoadMicros = 0;
    long longestFrameMicros = 0;
    long peakRssKb = 0; // the process's high-water mark over the run, 0 if unknown
    int mazeWidth = 0;  // of the level last played: a refused level file leaves 76,
    int mazeHeight = 0; // the built-in level's width
};

// Resident memory of this process in kilobytes, 0 when unknown.
long ResidentKb();

// One run. The scenario's level is written as QB00.BMP into the levels
// folder (an empty folder for the built-in level, so a stray level file
// cannot take its place). Stops checking after the first failure but lets
// the run finish its frames; report.failure says what broke.
Report Run(const Config& config);

} // namespace soak
