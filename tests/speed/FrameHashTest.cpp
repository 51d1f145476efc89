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
    // the title over the game, again when the title picture was redrawn.
    const std::vector<std::vector<uint64_t>> expected = {
        {0x82CF8CAD5378ACBAull, 0x54C54619F4AAD009ull, 0xCBF2434D3989D9D5ull, 0xD0960D79821AB3F8ull,
         0xAC676DF26FDEED8Bull, 0x0D27839749B49F01ull, 0x27A13F53709F1F9Bull, 0x13FAC974E3143690ull,
         0x863C9EC13D12D1BAull},
        {0xABE221CD82C9EE8Full, 0xE9BD4CA93063C805ull, 0x1A53175B3D4EB632ull, 0x14A8BF93F995FEE2ull,
         0xD82583D9FFFC360Aull, 0xB84218403D8FFA67ull, 0x05D1CEC9FB2A9AFDull, 0x32509A058E486287ull,
         0x74A1AC0B1ED271BAull},
        {0xCFA2DDC68481C59Full, 0x4B3E6AEB0C98EA3Aull, 0x699FE7C59E1A6079ull, 0xCAC098E351431738ull,
         0x1452F9938E426FECull, 0x1F3ABF16C649BB80ull, 0x4A1256EE77551865ull, 0x84D747D1391CAE4Bull,
         0x906401AAC993F078ull},
        {0x57339EFF8856524Full, 0x1623FEB982D159D3ull, 0x04CE3C3139275844ull, 0x62C01FA527BA0F5Full,
         0x0A000B59F75F0896ull, 0x6E7DB409E807A7C1ull, 0x06624603FE3D40D6ull, 0x58B8D09B6CAB6905ull,
         0xC6D48CB420393089ull},
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
        // with the redrawn title picture.
        const std::vector<uint64_t> expected = {
            0x1B96E1E68148AEBDull, 0xF7F6A252655188F9ull, 0xED7ACD8C9A5F1CCCull,
            0x55A2E0951135964Bull, 0x24AE4B76E392B30Dull, 0xE9BE2D22D2D2626Aull,
            0x3CE25FE6D5A9E84Bull, 0x19F63F57F15177CDull, 0x63718A9C0E12049Eull};
        ExpectWalk("256 x 256 tiled level", WalkHashes(game), expected);
    }
    std::filesystem::remove_all(folder);
}
