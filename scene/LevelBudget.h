// The budget every level must fit on the machine the game is made for: the
// memory the whole game holds with the level built, the processor time of a
// frame, and the time a load takes. A level is weighed from its counts alone,
// before anything is built for it, so a few megabytes of file can never ask
// for gigabytes or for seconds a frame. The weights are the sizes of what a
// build makes and times measured on a 2-core x86-64 at 2.x GHz; the soak
// holds the game to them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The whole game, level included, stays under this much resident memory.
const uint64_t kMaxGameBytes = uint64_t(512) << 20;
// What the game holds besides a level (pictures, sounds, screens, code), with
// room to spare: a level may take the rest.
const uint64_t kGameBytesBesideLevel = uint64_t(64) << 20;
// One frame at 60 frames a second.
const uint64_t kMaxFrameMicros = 16000;
// From reading the file to the first frame.
const uint64_t kMaxLoadMicros = 1000000;

// What a build makes of a level: cells, and the wall faces, item sprites and
// enemies CMaze::Build would create.
struct LevelCounts {
    int width = 0;
    int height = 0;
    size_t faces = 0;
    size_t items = 0;
    size_t enemies = 0;
};

// What a level costs once built: the bytes its maze holds at its peak (the
// bytes kept for a restart and those a restart reads again included), the
// frame's processor time and the load's.
struct LevelCost {
    uint64_t bytes = 0;
    uint64_t frameMicros = 0;
    uint64_t loadMicros = 0;
};

// What a build of `cells` (width * height bytes, row-major) with `wallCount`
// wall textures and `itemCount` item pictures would make, counted without
// making anything: a face for every wall side of a textured type that borders
// an open cell off the outermost ring, an item for every item with a picture
// off row 0 and column 0, an enemy for every enemy start.
LevelCounts CountLevelBuild(const uint8_t* cells, int width, int height, int wallCount,
                            int itemCount);

LevelCost EstimateLevelCost(const LevelCounts& counts);

// True when the level fits: bytes <= kMaxGameBytes - kGameBytesBesideLevel,
// frameMicros <= kMaxFrameMicros, loadMicros <= kMaxLoadMicros. Otherwise
// false with a one-line reason in *why (if given), naming what is over and by
// how much.
bool FitsLevelBudget(const LevelCost& cost, std::string* why);

// FitsLevelBudget for the build the program itself makes of `cells`, with
// its own picture counts (kProgramWallTextures, kProgramItemImages): what
// the game's load would find, asked before a level is played.
bool FitsProgramBudget(const uint8_t* cells, int width, int height, std::string* why);
