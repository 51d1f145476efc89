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
    // along one axis; all again when the shots left came to stand beside
    // the gun, the walk holding two from its start, and with the level's
    // card after the title (frames 313 to 437).
    const std::vector<std::vector<uint64_t>> expected = {
        {0xDF0C481E8AEBF58Bull, 0x4B31AE660033AE38ull, 0x124C8CCA12C6B4F0ull, 0x57BFAAF5E0A2616Eull,
         0x5DF273D84A88416Eull, 0x3E247AE4C211AE65ull, 0x81CFB61961E8EB64ull, 0x759A6D745344B5B9ull,
         0x4DE61730F225B1AFull},
        {0x6C9CC1A62DE901ECull, 0x8C26746B0F7735FDull, 0x4F3C224CCAD2001Full, 0xE5DCAF7E77E0377Eull,
         0xC40816AACE5FBE73ull, 0x869E0B9A936DE233ull, 0x58B143DED196756Bull, 0xF33BB606551E72F4ull,
         0xD7F04F908239F070ull},
        {0x851F868116CA3E92ull, 0x214850FB7036508Cull, 0xB02AFA4AE43C04ECull, 0x394F749C9BC390AEull,
         0xD535ED78DB9B8411ull, 0xAE2925DF71598DB1ull, 0x1880EBE97C57899Eull, 0xEF7AE68FD280EB8Aull,
         0xD8ADDAAEF49426C9ull},
        {0xBFD78D28DFD7EF32ull, 0x1740F9A5757005FEull, 0x587DE28BA42C71CBull, 0x7C0319F0C7350C80ull,
         0xEE69040F1371F7C8ull, 0x733ECE2F1AD10CEAull, 0xB762F70D32B07CDDull, 0x65BEA3C420B9AC76ull,
         0x35B381D1F44A58E0ull},
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
        // with the redrawn title picture and again with the keys on it, and
        // from the fourth on again with the push round a wall's corner; all
        // again with the shot count beside the gun and the level's card.
        const std::vector<uint64_t> expected = {
            0x1B0D4A473DA9A004ull, 0xE3B6A0B6D2C71CC3ull, 0x7C4624DC17C6342Dull,
            0x4029BE118C67C2C3ull, 0x0A0BDAF923C67F2Cull, 0xEA585D3D8B3DFC88ull,
            0xB345CA1B0CB9142Bull, 0x28AF78DBECC7A0A1ull, 0xB7E986C7B7FE5034ull};
        ExpectWalk("256 x 256 tiled level", WalkHashes(game), expected);
    }
    std::filesystem::remove_all(folder);
}
