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
    // along one axis.
    const std::vector<std::vector<uint64_t>> expected = {
        {0xB1760CE70D3C8BCBull, 0x5388280BF6AF1FC1ull, 0xFE4CB572FF69DF43ull, 0xC870D79D555F208Dull,
         0xE7806F82960E8560ull, 0x7A76324DA739067Cull, 0x8AF17B696D3B5AF5ull, 0xCCF1CDB2334B1B6Bull,
         0x5C14549CEB6C0683ull},
        {0x61539B6AF60A0BE8ull, 0xB0830CC5CD758BE6ull, 0x9A0EED31948FF087ull, 0x1A2893F2E0E44372ull,
         0x872F2866190338ACull, 0x90B5638B8940D86Full, 0xC55B51D391E94F70ull, 0x90BDC4C01FB9BC72ull,
         0x62955EE2D97A4046ull},
        {0xCB4B6924FE8F2626ull, 0x65E93291E798AFB1ull, 0xE0713524B40B9BC1ull, 0xFF25A9FC83E8BB39ull,
         0xC551EEADB98B5A29ull, 0x22D7DB79B5459326ull, 0x6991084412E8B052ull, 0x66BBE18F9E728C97ull,
         0x1B358CDD8100A03Eull},
        {0xDB091BE7CDE9453Aull, 0xE0BC5A50EA6B8D4Full, 0x7D0BEE1B88596F95ull, 0x52832BFA87F9E6C2ull,
         0x83EE24AFDB87D51Full, 0xCAC801202DF20954ull, 0x3C366AAC1ED7BDC3ull, 0x39AD11C8038E4B9Dull,
         0x1A17D435695DE2C2ull},
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
        // from the fourth on again with the push round a wall's corner.
        const std::vector<uint64_t> expected = {
            0xDC925718B13FE2F6ull, 0xE84EF367C0A3219Bull, 0x7BAF8FFA2BFFD998ull,
            0x8D4CE67DC0343FEBull, 0x02B93920947CD88Full, 0x4F6AA80B445DC8B3ull,
            0xC01AA5C9373F4A0Cull, 0x680AC956A52E6A75ull, 0xC00A0484E800873Cull};
        ExpectWalk("256 x 256 tiled level", WalkHashes(game), expected);
    }
    std::filesystem::remove_all(folder);
}
