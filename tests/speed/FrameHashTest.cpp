// The picture guard for the renderer's speed work: a fixed walk through the
// built-in level, and through a larger level tiled from it, hashes every
// presented frame, and the hashes of each stretch of the walk must equal the
// ones recorded from the plain renderer before any of it was made faster.
// A difference names the display and the stretch where the picture changed.
#include "res/ResourceIds.h"
#include "scene/LevelText.h"
#include "testkit/SpeedRoute.h"
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
    // ground, the game's own colours and the player's arrow, and again when
    // the shots left came to stand over the gun and the level card (with
    // the level's name) to follow the title.
    const std::vector<std::vector<uint64_t>> expected = {
        {0x0414D8E003773CEBull, 0x83D104F4D1921E98ull, 0x7E829EAAA83E16C1ull, 0x4B8044FC97A03988ull,
         0xAA9D6AC14777CF85ull, 0x3981E2C26B9E162Cull, 0x797D7929E606B8E8ull, 0x02CAA95DEC985C59ull,
         0x3189D3DFC08E9D08ull},
        {0xA34CA61313E4B0AFull, 0x79ADB1E2396FCE82ull, 0x0B18D05AB32EFEFAull, 0x9EE25B7F2C8AE126ull,
         0x56F1D2E705AA6412ull, 0x3301AFC52EEB9402ull, 0x016A7979E65C129Aull, 0x54FC0E4D0484B260ull,
         0xE9B5F08542586234ull},
        {0x6019D92B6CBFF5D4ull, 0xBB33B06E78DE5017ull, 0xBEA75B13929A2E12ull, 0xF0A6F8A6C86E0C06ull,
         0xF24E522B42F7E9AFull, 0x9CF54A04AC623160ull, 0x08FD4267DE1BBE95ull, 0xBD333D72CD040425ull,
         0x2AB7D13473362D52ull},
        {0xE3B4B585F4B254F4ull, 0xCED5B98376023AC1ull, 0xB45251D5A3F64E79ull, 0xD12C51F27100F730ull,
         0xCAB2BDF8F995934Eull, 0x5BF0697607F6379Cull, 0xE9EE6F81C1FF617Aull, 0x6BDBC2D4EE9DAABCull,
         0xFDF28DCF821767FDull},
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
        // colours with the player's arrow, and the fourth and fifth again
        // when the level card came to follow the title (the shots left stand
        // over the gun, hidden before under the minimap).
        const std::vector<uint64_t> expected = {
            0x7DFF14463DA25307ull, 0x163AE825015E75E8ull, 0x18EA23CA227F8DB8ull,
            0xD8C43F922C0481BAull, 0x75A38997736E5FB9ull, 0xAB5970CE5A38DD1Aull,
            0x4AAEB0F5D8C67D0Bull, 0x27699C3FD355A7B7ull, 0xBD60A6CC02FF98C1ull};
        ExpectWalk("256 x 256 tiled level", WalkHashes(game), expected);
    }
    std::filesystem::remove_all(folder);
}

TEST(FrameHashes, ACatchHoldsTheFrameThenTheLevelStartsAgain) {
    // An enemy two cells ahead of a player who stands still: the hold's
    // second of still frames with CAUGHT and the heart going, the fade,
    // then the level back at its start.
    LevelGrid grid;
    std::string error;
    ASSERT_TRUE(ParseLevelText("#########\n"
                               "#..o....#\n"
                               "#...P.E.#\n"
                               "#.......#\n"
                               "#########\n",
                               &grid, &error))
        << error;
    const std::string folder = ScratchFolder();
    const std::string path = folder + "caught.bmp";
    ASSERT_TRUE(WriteWholeFile(path.c_str(), MakeLevelBitmap(grid)));
    {
        CRouteGame game(HeadlessDisplay(), kSeed, false);
        ASSERT_TRUE(game.IsReady());
        ASSERT_TRUE(game.LoadLevelFile(path));
        const std::vector<RouteLeg> stand = {{"stand", 400, MOVE_STAND, TURN_NONE, false}};
        int caughtAt = -1;
        uint64_t hash = kFnvOffset;
        for (int i = 0; i < 400 && (caughtAt < 0 || i < caughtAt + 80); ++i) {
            const int event = game.NextFrame(stand);
            if (event == EV_CAUGHT && caughtAt < 0)
                caughtAt = i;
            if (caughtAt >= 0)
                hash = HashAppend(HashAppend(hash, FramebufferHash()), uint64_t(event));
        }
        ASSERT_GE(caughtAt, 0) << "the enemy never caught the player";
        EXPECT_EQ(game.World().GetLives(), 4);
        // Recorded when a catch came to hold the frame for a second.
        EXPECT_EQ(hash, 0x55D81005C978943Dull)
            << "caught at frame " << caughtAt << ", frames hash " << std::hex << hash;
    }
    std::filesystem::remove_all(folder);
}
