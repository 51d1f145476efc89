// Blit, CopyPixel, CopyRawPixel and BlendBlit: keys per route, clipping, and
// agreement with a plain per-pixel walk on surfaces of every layout.
#include "testkit/Pictures.h"

#include <cstring>
#include <gtest/gtest.h>

#include <memory>

using namespace gfxtest;

namespace {

// The blit as a walk over every source pixel, each copied by CopyPixel with
// its own bounds test.
void ReferenceBlit(CSurface& dest, const CSurface& src, int32_t x, int32_t y, bool useKey) {
    for (int32_t i = 0; i < src.height; ++i)
        for (int32_t j = 0; j < src.width; ++j)
            dest.CopyPixel(src, j, i, int32_t(int64_t(x) + j), int32_t(int64_t(y) + i), useKey);
}

} // namespace

TEST(Blit, RawKeyWordsPerDepth) {
    struct Case {
        Format f;
        uint32_t key;
    } cases[] = {{k565, 0xF800}, {k888, 0x00FF0000}, {k555, 0x7C00}};
    for (const Case& c : cases) {
        UseFormat(c.f);
        CSurface src, dest;
        ASSERT_TRUE(src.Create(2, 1));
        ASSERT_TRUE(dest.Create(2, 1));
        SetRawWord(src, 0, 0, c.key);
        src.SetPixel(1, 0, 0x00FFFFFF);
        dest.SetPixel(0, 0, 0x00003000);
        const uint32_t under = dest.GetPixel(0, 0);
        ASSERT_TRUE(dest.Blit(src, 0, 0, true));
        EXPECT_EQ(dest.GetPixel(0, 0), under) << c.f.name << ": key word skipped";
        EXPECT_EQ(dest.GetPixel(1, 0), src.GetPixel(1, 0)) << c.f.name;
        ASSERT_TRUE(dest.Blit(src, 0, 0, false));
        EXPECT_EQ(dest.GetPixel(0, 0), src.GetPixel(0, 0)) << c.f.name << ": copied without key";
    }
    // Loaded pure red becomes exactly the raw key in every supported format.
    for (const Format& f : AllFormats()) {
        UseFormat(f);
        CSurface src, dest;
        ASSERT_TRUE(src.Create(1, 1));
        ASSERT_TRUE(dest.Create(1, 1));
        src.SetPixel(0, 0, 0x000000FF);
        ASSERT_TRUE(dest.Blit(src, 0, 0, true));
        EXPECT_EQ(dest.GetPixel(0, 0), 0u) << f.name;
    }
}

TEST(Blit, RawCopyOfOtherDepthsCopiesNothing) {
    const Format k8 = {"8", 8, 0};
    UseFormat(k8);
    CSurface src, dest;
    ASSERT_TRUE(src.Create(3, 3));
    ASSERT_TRUE(dest.Create(3, 3));
    std::memset(src.pixels, 0x55, 9);
    EXPECT_TRUE(dest.Blit(src, 0, 0, false));
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(dest.pixels[i], 0);
    dest.CopyRawPixel(src.pixels, dest.pixels, false);
    EXPECT_EQ(dest.pixels[0], 0);
}

TEST(Blit, ConvertingRouteKeysOnReadBackRed) {
    // 5-6-5 source onto an 8-8-8 destination: GetPixel values decide.
    GuardedSurface src(k565, 4, 1), dest(k888, 4, 1);
    SetRawWord(src.s, 0, 0, 0xF800);            // reads 0x000000F8: key
    src.s.SetPixel(1, 0, 0x000000FF);           // reads 0x000000F8: key
    SetRawWord(src.s, 2, 0, 0xF800 | (1 << 5)); // reads 0x000004F8: drawn
    src.s.SetPixel(3, 0, 0x00FFFFFF);
    for (int x = 0; x < 4; ++x)
        dest.s.SetPixel(x, 0, 0x00010101);
    ASSERT_TRUE(dest.s.Blit(src.s, 0, 0, true));
    EXPECT_EQ(dest.s.GetPixel(0, 0), 0x00010101u);
    EXPECT_EQ(dest.s.GetPixel(1, 0), 0x00010101u);
    EXPECT_EQ(dest.s.GetPixel(2, 0), 0x000004F8u);
    EXPECT_EQ(dest.s.GetPixel(3, 0), 0x00F8FCF8u);

    // 8-8-8 source onto 5-6-5: 0xF8 and 0xFF are skipped, 0x1F8 is not.
    GuardedSurface s32(k888, 3, 1), d16(k565, 3, 1);
    s32.s.SetPixel(0, 0, 0x000000F8);
    s32.s.SetPixel(1, 0, 0x000000FF);
    s32.s.SetPixel(2, 0, 0x000001F8);
    ASSERT_TRUE(d16.s.Blit(s32.s, 0, 0, true));
    EXPECT_EQ(d16.s.GetPixel(0, 0), 0u);
    EXPECT_EQ(d16.s.GetPixel(1, 0), 0u);
    EXPECT_EQ(d16.s.GetPixel(2, 0), 0x000000F8u);
    ASSERT_TRUE(d16.s.Blit(s32.s, 0, 0, false));
    EXPECT_EQ(d16.s.GetPixel(0, 0), 0x000000F8u);

    // Between 5-5-5 and 5-6-5 the route converts, so red stays transparent.
    GuardedSurface r555(k555, 1, 1), r565(k565, 1, 1);
    r555.s.SetPixel(0, 0, 0x000000FF);
    r565.s.SetPixel(0, 0, 0x00FF0000);
    ASSERT_TRUE(r565.s.Blit(r555.s, 0, 0, true));
    EXPECT_EQ(r565.s.GetPixel(0, 0), 0x00F80000u);
}

TEST(Blit, EmptySurfacesAndPlacementsOutside) {
    UseFormat(k565);
    CSurface src, dest, empty;
    ASSERT_TRUE(src.Create(4, 4));
    ASSERT_TRUE(dest.Create(8, 8));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.SetPixel(x, y, 0x00FFFFFF);
    EXPECT_FALSE(dest.Blit(empty, 0, 0, false));
    EXPECT_FALSE(empty.Blit(src, 0, 0, false));

    const std::vector<uint32_t> before = Colours(dest);
    for (const auto& at : {std::pair<int32_t, int32_t>{8, 0},
                           {-4, 0},
                           {0, 8},
                           {0, -4},
                           {100, 100},
                           {INT32_MAX, INT32_MAX},
                           {INT32_MIN, INT32_MIN},
                           {INT32_MAX, 0}}) {
        EXPECT_TRUE(dest.Blit(src, at.first, at.second, false)) << at.first << "," << at.second;
        EXPECT_EQ(Colours(dest), before) << at.first << "," << at.second;
    }

    // Half outside: only the inside half is drawn.
    ASSERT_TRUE(dest.Blit(src, 6, -2, false));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dest.GetPixel(x, y), (x >= 6 && y < 2) ? 0x00F8FCF8u : 0u) << x << "," << y;
}

TEST(Blit, MatchesAPlainWalkInEveryLayoutAndStaysInside) {
    std::mt19937 rng(12345);
    const Format formats[] = {k555, k565, k888};
    for (int round = 0; round < 600; ++round) {
        const Format& fd = formats[rng() % 3];
        // Mostly the same format (raw route), sometimes another (converting).
        const Format& fs = rng() % 4 ? fd : formats[rng() % 3];
        RandomCase c(rng, fs, fd, 12, 12);
        const int32_t x = int32_t(rng() % 30) - 15, y = int32_t(rng() % 30) - 15;
        const bool useKey = rng() % 2;
        ReferenceBlit(c.expect->s, c.src->s, x, y, useKey);
        ASSERT_TRUE(c.dest->s.Blit(c.src->s, x, y, useKey));
        ASSERT_EQ(Colours(c.dest->s), Colours(c.expect->s))
            << "round " << round << " " << fs.name << "->" << fd.name << " at " << x << "," << y;
        ASSERT_TRUE(c.GuardsIntact()) << "round " << round;
    }
}

TEST(CopyPixel, OnlyInsideBothSurfaces) {
    UseFormat(k888);
    GuardedSurface src(k888, 2, 2), dest(k888, 2, 2);
    src.s.SetPixel(1, 1, 0x00ABCDEF);
    const int32_t bad[][4] = {{-1, 0, 0, 0}, {2, 0, 0, 0},  {0, -1, 0, 0},
                              {0, 2, 0, 0},  {0, 0, -1, 0}, {0, 0, 2, 0},
                              {0, 0, 0, -1}, {0, 0, 0, 2},  {INT32_MIN, 0, INT32_MAX, 0}};
    for (const auto& b : bad)
        dest.s.CopyPixel(src.s, b[0], b[1], b[2], b[3], false);
    EXPECT_EQ(Colours(dest.s), std::vector<uint32_t>(4, 0u));
    EXPECT_TRUE(dest.GuardsIntact());
    dest.s.CopyPixel(src.s, 1, 1, 0, 1, false);
    EXPECT_EQ(dest.s.GetPixel(0, 1), 0x00ABCDEFu);
}

TEST(BlendBlit, MixesByPercentThroughColourValues) {
    UseFormat(k888);
    CSurface white, black;
    ASSERT_TRUE(white.Create(2, 2));
    ASSERT_TRUE(black.Create(2, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            white.SetPixel(x, y, 0x00FFFFFF);
    ASSERT_TRUE(black.BlendBlit(white, 0, 0, true, 40));
    EXPECT_EQ(black.GetPixel(1, 1), 0x00666666u); // 255 * 40 / 100 = 102

    // Per channel: (d * (100 - p) + s * p) / 100, truncating.
    CSurface s, d;
    ASSERT_TRUE(s.Create(1, 1));
    ASSERT_TRUE(d.Create(1, 1));
    s.SetPixel(0, 0, 0x00C86401); // r 1, g 100, b 200
    d.SetPixel(0, 0, 0x000A32FF); // r 255, g 50, b 10
    ASSERT_TRUE(d.BlendBlit(s, 0, 0, false, 33));
    // r (255*67 + 1*33)/100 = 171, g (50*67 + 100*33)/100 = 66, b (10*67 + 200*33)/100 = 72
    EXPECT_EQ(d.GetPixel(0, 0), 0x004842ABu);

    // The key is tested on the colour value, 248..255.
    d.SetPixel(0, 0, 0x00102030);
    s.SetPixel(0, 0, 0x000000FF);
    ASSERT_TRUE(d.BlendBlit(s, 0, 0, true, 100));
    EXPECT_EQ(d.GetPixel(0, 0), 0x00102030u);
    ASSERT_TRUE(d.BlendBlit(s, 0, 0, false, 100));
    EXPECT_EQ(d.GetPixel(0, 0), 0x000000FFu);
}

TEST(BlendBlit, EndsOfThePercentRangeOnSixteenBits) {
    std::mt19937 rng(99);
    for (const Format& f : {k555, k565}) {
        UseFormat(f);
        CSurface src, dest, before;
        ASSERT_TRUE(src.Create(6, 5));
        ASSERT_TRUE(dest.Create(6, 5));
        FillRandom(src, rng, 0);
        FillRandom(dest, rng, 0);
        const std::vector<uint32_t> original = Colours(dest);
        ASSERT_TRUE(dest.BlendBlit(src, 0, 0, false, 0));
        EXPECT_EQ(Colours(dest), original) << f.name << ": 0 percent changes nothing";
        ASSERT_TRUE(dest.BlendBlit(src, 0, 0, false, 100));
        EXPECT_EQ(Colours(dest), Colours(src)) << f.name << ": 100 percent is the source";
    }
}

TEST(BlendBlit, ClipsAndSurvivesAnyPercent) {
    std::mt19937 rng(5);
    for (int round = 0; round < 200; ++round) {
        const Format& f = AllFormats()[rng() % 3];
        RandomCase c(rng, f, f, 9, 9);
        const int32_t x = int32_t(rng() % 24) - 12, y = int32_t(rng() % 24) - 12;
        const int32_t percents[] = {0, 40, 100, -300, 1000, INT32_MAX, INT32_MIN};
        const int32_t percent = percents[rng() % 7];
        // Pixels outside the placed source must keep their colour.
        const CSurface& d = c.dest->s;
        const std::vector<uint32_t> before = Colours(d);
        ASSERT_TRUE(c.dest->s.BlendBlit(c.src->s, x, y, rng() % 2, percent));
        for (int32_t yy = 0; yy < d.height; ++yy)
            for (int32_t xx = 0; xx < d.width; ++xx)
                if (xx < x || yy < y || xx >= x + c.src->s.width || yy >= y + c.src->s.height) {
                    ASSERT_EQ(d.GetPixel(xx, yy), before[yy * d.width + xx]);
                }
        ASSERT_TRUE(c.GuardsIntact());
    }
    UseFormat(k565);
    CSurface a, empty;
    ASSERT_TRUE(a.Create(2, 2));
    EXPECT_FALSE(a.BlendBlit(empty, 0, 0, false, 50));
    EXPECT_FALSE(empty.BlendBlit(a, 0, 0, false, 50));
    EXPECT_TRUE(a.BlendBlit(a, 5, 5, false, 50));
}
