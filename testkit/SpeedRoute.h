// A fixed walk through a level, played by the world exactly as the game sets
// it up (shared pictures, head-up pictures, the title overlay, the level and
// its enemies), one frame at a time on the headless platform. The frame
// hashes of the pixel guard and the frame benchmarks both run this walk, so
// what is measured is what is guarded.
#pragma once
#include "platform/headless/Headless.h"
#include "scene/LevelBitmap.h"
#include "world/World.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CFrameWnd;

namespace speed {

// One stretch of the walk: `frames` frames walking `move` and turning
// `turn`; with `fire` a shot goes off before the stretch's first frame.
struct RouteLeg {
    const char* name;
    int frames;
    EMove move;
    ETurn turn;
    bool fire;
};

// From the built-in level's start: standing before the wall ahead, walking
// into it, turning along it, down the corridor beside the walls, a shot,
// turning while walking, and backing off. Every frame lasts kRouteFrameMs.
const std::vector<RouteLeg>& Level130Route();
const int kRouteFrameMs = 16;
int RouteFrames(const std::vector<RouteLeg>& route);

// A game on the headless platform with `display`, seeded with `seed`, its
// player invulnerable when asked (so that a benchmark never fades out).
class CRouteGame {
public:
    CRouteGame(const HeadlessDisplay& display, uint32_t seed, bool bInvulnerable);
    ~CRouteGame();
    CRouteGame(const CRouteGame&) = delete;
    CRouteGame& operator=(const CRouteGame&) = delete;

    // Whether the world could be made at all.
    bool IsReady() const { return m_pWorld != nullptr; }
    // The built-in level, or a level file; true when the maze was built.
    // Either puts the player on the start cell and rewinds the walk.
    bool LoadLevelResource(int id);
    bool LoadLevelFile(const std::string& path);
    // Gives the player `count` shots, so the gun is held and can fire.
    void GiveShots(int count);

    // Runs the next frame of `route` (from its start again after its last)
    // and returns the frame's event code.
    int NextFrame(const std::vector<RouteLeg>& route);
    // Frames run since the last level load.
    int FrameIndex() const { return m_nFrame; }
    // Puts the player back on the start cell with heading 0 and rewinds the
    // walk; the rest of the level (eaten dots, enemies) is left as it is.
    void Rewind();

    CWorld& World() { return *m_pWorld; }
    // The world's screen, to draw on and present.
    CScreen& Screen();

private:
    CFrameWnd* m_pFrame = nullptr;
    std::unique_ptr<CWorld> m_pWorld;
    int m_nFrame = 0;
    double m_startX = 0.0, m_startZ = 0.0;
};

// FNV-1a (64 bits) of the headless framebuffer's whole memory block.
uint64_t FramebufferHash();
// FNV-1a (64 bits) continued over the 8 bytes of `value`.
uint64_t HashAppend(uint64_t hash, uint64_t value);
const uint64_t kFnvOffset = 14695981039346656037ull;

// A square level of `side` cells made by tiling the built-in level's map,
// with the player's start and the enemies of one tile only, in the tile
// nearest the middle: the player stands where the built-in level puts them,
// with the same surroundings, the same enemies and, in the view, the same
// walls and items. False when the map cannot be made.
bool MakeTiledLevel(int side, LevelGrid* grid, std::string* error);

} // namespace speed
