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
    // Recorded from the plain renderer.
    const std::vector<std::vector<uint64_t>> expected = {
        {0x6CEF17AF1A8BA141ull, 0x6E828BE200E38C14ull, 0x85BD71FF7383A2ECull, 0x0C039F53BC336A24ull,
         0xAC676DF26FDEED8Bull, 0x0D27839749B49F01ull, 0x27A13F53709F1F9Bull, 0x13FAC974E3143690ull,
         0x863C9EC13D12D1BAull},
        {0x9992283650FE20CAull, 0x27F0967F2BD75F51ull, 0x3A3F90FD0423194Aull, 0xE947FD8CF51900E1ull,
         0xD82583D9FFFC360Aull, 0xB84218403D8FFA67ull, 0x05D1CEC9FB2A9AFDull, 0x32509A058E486287ull,
         0x74A1AC0B1ED271BAull},
        {0xFBA931A2C2F7E2A1ull, 0x81AD2853A9BD8E14ull, 0xB4C6C614AF2A9F2Aull, 0xCFD8CE9BC3F1B01Bull,
         0x1452F9938E426FECull, 0x1F3ABF16C649BB80ull, 0x4A1256EE77551865ull, 0x84D747D1391CAE4Bull,
         0x906401AAC993F078ull},
        {0xA416B5347A3365C8ull, 0xCF923DFBAC1F6E47ull, 0x94FFFA142FD30066ull, 0x37248E7C25188CF2ull,
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
        // Recorded from the plain renderer.
        const std::vector<uint64_t> expected = {
            0x7346E42AFA34FDBFull, 0xC11263465E838280ull, 0xD99E57FB4030F5CFull,
            0x3C2EE1B9F4E1D33Bull, 0x24AE4B76E392B30Dull, 0xE9BE2D22D2D2626Aull,
            0x3CE25FE6D5A9E84Bull, 0x19F63F57F15177CDull, 0x63718A9C0E12049Eull};
        ExpectWalk("256 x 256 tiled level", WalkHashes(game), expected);
    }
    std::filesystem::remove_all(folder);
}
