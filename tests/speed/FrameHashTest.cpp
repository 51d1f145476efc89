// The picture guard for the renderer's speed work: a fixed walk through the
// built-in level, and through a larger level tiled from it, hashes every
// presented frame, and the hashes of each stretch of the walk must equal the
// ones recorded from the plain renderer before any of it was made faster.
// A difference names the display and the stretch where the picture changed.
#include "res/ResourceIds.h"
#include "scene/LevelText.h"
#include "speed/SpeedRoute.h"
#include "world/World.h"
#include "world/WorldTestKit.h"
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace speed;

namespace {

const uint32_t kSeed = 1;

struct Screen {
    const char* name;
    int32_t bitsPerPixel;
    uint32_t format;
    int32_t xPitch, yPitch; // 0: the natural layout
};

// One hash per stretch of the walk: FNV-1a over the frame hashes, each frame
// hash FNV-1a over the whole framebuffer after the frame was presented, then
// the frame's event code.
std::vector<uint64_t> WalkHashes(CRouteGame& game) {
    std::vector<uint64_t> hashes;
    const std::vector<RouteLeg>& route = Level130Route();
    game.GiveShots(2);
    for (const RouteLeg& leg : route) {
        uint64_t hash = kFnvOffset;
        for (int i = 0; i < leg.frames; ++i) {
            const int event = game.NextFrame(route);
            hash = HashAppend(HashAppend(hash, FramebufferHash()), uint64_t(event));
        }
        hashes.push_back(hash);
    }
    return hashes;
}

HeadlessDisplay DisplayFor(const Screen& s) {
    HeadlessDisplay d;
    d.bitsPerPixel = s.bitsPerPixel;
    d.format = s.format;
    d.xPitch = s.xPitch;
    d.yPitch = s.yPitch;
    return d;
}

std::string Describe(const std::vector<uint64_t>& hashes) {
    std::string text;
    for (uint64_t h : hashes) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "0x%016llXull, ", static_cast<unsigned long long>(h));
        text += buf;
    }
    return text;
}

void ExpectWalk(const char* what, const std::vector<uint64_t>& got,
                const std::vector<uint64_t>& expected) {
    const std::vector<RouteLeg>& route = Level130Route();
    ASSERT_EQ(got.size(), route.size());
    ASSERT_EQ(expected.size(), route.size()) << what << ": " << Describe(got);
    for (size_t i = 0; i < route.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << what << ": the frames of \"" << route[i].name
                                       << "\" changed; all stretches now: " << Describe(got);
}

} // namespace

TEST(FrameHashes, BuiltInLevelWalkInEveryDisplayFormat) {
    const Screen screens[] = {
        {"5-6-5", 16, kfDirect565, 0, 0},
        {"5-5-5", 16, kfDirect555, 0, 0},
        {"8-8-8", 32, kfDirect888, 0, 0},
        {"5-6-5 turned a quarter", 16, kfDirect565, -320 * 2, 2},
    };
    // Recorded from the plain renderer; the first four stretches, which show
    // the title over the game, again when the title picture was redrawn and
    // again when it was given the keys to play with; from the fourth on again
    // when a player touching a wall's corner was pushed round it instead of
    // along one axis; all of them again when the minimap got its opaque
    // ground, the game's own colours and the player's arrow.
    const std::vector<std::vector<uint64_t>> expected = {
        {0xEEDB279B5FA51BBAull, 0x282D6508A2200062ull, 0x7D55FF995499BCCAull, 0xA4F24A4401096CC3ull,
         0xA2FA1718E9A0A860ull, 0xE5BF6BAAF3CC210Cull, 0x7D325DC4FFBF02B6ull, 0x9E56455C30BAF159ull,
         0x684DC1270C6A9528ull},
        {0x0E64E1B1A39D0B4Eull, 0x49FE281D47751069ull, 0xDE04B029849DC7FAull, 0x6AC8A4C5163C608Eull,
         0xA872033F02DBA4AEull, 0x645A5C28AB13F6CCull, 0xB046D6F24532BD61ull, 0xDA1AC0E4F6DCF880ull,
         0xBF72F707D35C41CAull},
        {0x8DF1D1099F9EDEE2ull, 0xC77741B045E6BEF9ull, 0x276DACF821148864ull, 0xA14BE51F473266E1ull,
         0x55957ED2ED72316Eull, 0xF814C5DF8A1CDAECull, 0x34AC41F750205BA8ull, 0x50CF1EEC4521C4C1ull,
         0x874588849EF681FDull},
        {0xC9541A16971CCA33ull, 0x8417B598822CADD3ull, 0x45C8048FE0D27907ull, 0xB6016FA26D4B0A8Aull,
         0xD47A0B97106D7130ull, 0x10ACAC3AF807918Dull, 0x2286244945D273CBull, 0x96CBD1F40575A821ull,
         0x6AA2D7C1FDA90F58ull},
    };
    for (size_t s = 0; s < std::size(screens); ++s) {
        CRouteGame game(DisplayFor(screens[s]), kSeed, false);
        ASSERT_TRUE(game.IsReady());
        ASSERT_TRUE(game.LoadLevelResource(IDB_LEVEL));
        ExpectWalk(screens[s].name, WalkHashes(game), expected[s]);
    }
}

TEST(FrameHashes, TiledLevelWalkDrawsTheSameAsBefore) {
    LevelGrid grid;
    std::string error;
    ASSERT_TRUE(MakeTiledLevel(256, &grid, &error)) << error;
    const std::string folder = ScratchFolder();
    const std::string path = folder + "tiled.bmp";
    ASSERT_TRUE(WriteWholeFile(path.c_str(), MakeLevelBitmap(grid)));
    {
        CRouteGame game(HeadlessDisplay(), kSeed, false);
        ASSERT_TRUE(game.IsReady());
        ASSERT_TRUE(game.LoadLevelFile(path));
        // Recorded from the plain renderer; the first four stretches again
        // with the redrawn title picture and again with the keys on it, from
        // the fourth on again with the push round a wall's corner, and all
        // again when the minimap became a 144 x 72 window in the game's
        // colours with the player's arrow.
        const std::vector<uint64_t> expected = {
            0xF6C26007CF5B76DDull, 0x370121F3915EF977ull, 0x4907DE0AD64AB3B0ull,
            0x53B0C61569580537ull, 0x918671A0E3E5319Dull, 0x4DBE53D5A3A7C76Full,
            0xA468E0B6266B4545ull, 0x9F674606BFD92B4Bull, 0x19F761F8E557133Cull};
        ExpectWalk("256 x 256 tiled level", WalkHashes(game), expected);
    }
    std::filesystem::remove_all(folder);
}
