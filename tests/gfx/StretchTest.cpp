// StretchBlit and StretchToTrapezoid: the integer sampling rules, and
// agreement with plain per-pixel versions in every layout, with nothing
// written outside the destination whatever the coordinates.
#include "testkit/Pictures.h"

#include <gtest/gtest.h>

#include <memory>

using namespace gfxtest;

namespace {

// Each source pixel gets its own colour, so a sample tells where it came from.
void FillCoordinates(CSurface& s) {
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            s.SetPixel(x, y, uint32_t(x * 8) | uint32_t(y * 8) << 8 | 0x00400000u);
}

uint8_t* Address(const CSurface& s, int64_t x, int64_t y) {
    return s.pixels + x * s.xPitch + y * s.yPitch;
}

// The scaled blit over the whole target rectangle, with a bounds test per pixel.
void ReferenceStretch(CSurface& dest, const CSurface& src, int64_t x, int64_t y, int64_t w,
                      int64_t h, bool useKey) {
    for (int64_t Y = y; Y < y + h; ++Y)
        for (int64_t X = x; X < x + w; ++X) {
            if (X < 0 || Y < 0 || X >= dest.width || Y >= dest.height)
                continue;
            const uint64_t sy = uint64_t(Y - y) * uint64_t(src.height) / uint64_t(h);
            const uint64_t sx = uint64_t(X - x) * uint64_t(src.width) / uint64_t(w);
            dest.CopySample(src, int32_t(sx), int32_t(sy), Address(dest, X, Y), useKey);
        }
}

// The wall fill with the edge products multiplied out per column and a
// bounds test per pixel.
void ReferenceTrapezoid(CSurface& dest, const CSurface& src, int64_t left, int64_t right,
                        int64_t tl, int64_t tr, int64_t bl, int64_t br) {
    if (right - left <= 0)
        return;
    const int64_t span = right - left + 1;
    // Only the loops' ranges are narrowed to the destination (so that huge
    // quads finish); every pixel is still tested on its own.
    for (int64_t X = std::max<int64_t>(left, 0); X <= std::min<int64_t>(right, dest.width); ++X) {
        if (X < 0 || X >= dest.width)
            continue;
        const int64_t k = X - left;
        const int64_t sx = k * src.width / span;
        const int64_t top = tl + int64_t(__int128(k) * (tr - tl) / span);
        const int64_t bottom = bl + int64_t(__int128(k) * (br - bl) / span);
        const int64_t colH = bottom - top + 1;
        for (int64_t Y = std::max<int64_t>(top, 0); Y <= std::min<int64_t>(bottom, dest.height);
             ++Y) {
            if (Y < 0 || Y >= dest.height)
                continue;
            const int64_t sy = (Y - top) * src.height / colH;
            dest.CopySample(src, int32_t(sx), int32_t(sy), Address(dest, X, Y), false);
        }
    }
}

} // namespace

TEST(StretchBlit, HalvesAndDoublesByWholeSteps) {
    UseFormat(k565);
    CSurface src, half, twice;
    ASSERT_TRUE(src.Create(10, 20));
    FillCoordinates(src);
    ASSERT_TRUE(half.Create(5, 10));
    ASSERT_TRUE(half.StretchBlit(src, 0, 0, 5, 10, false));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(half.GetPixel(x, y), src.GetPixel(2 * x, 2 * y)) << x << "," << y;
    ASSERT_TRUE(twice.Create(20, 40));
    ASSERT_TRUE(twice.StretchBlit(src, 0, 0, 20, 40, false));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(twice.GetPixel(x, y), src.GetPixel(x / 2, y / 2)) << x << "," << y;
    // Rounding down: 3 source columns onto 2 take columns 0 and 1.
    CSurface three, two;
    ASSERT_TRUE(three.Create(3, 1));
    FillCoordinates(three);
    ASSERT_TRUE(two.Create(2, 1));
    ASSERT_TRUE(two.StretchBlit(three, 0, 0, 2, 1, false));
    EXPECT_EQ(two.GetPixel(1, 0), three.GetPixel(1, 0));
}

TEST(StretchBlit, EmptyTargetsKeysAndDepths) {
    UseFormat(k888);
    CSurface src, dest, empty;
    ASSERT_TRUE(src.Create(2, 2));
    ASSERT_TRUE(dest.Create(4, 4));
    FillCoordinates(src);
    src.SetPixel(0, 0, 0x000000FF);
    const std::vector<uint32_t> black = Colours(dest);
    for (const auto& wh : {std::pair<int32_t, int32_t>{0, 4}, {4, 0}, {-4, 4}, {4, -4}}) {
        EXPECT_TRUE(dest.StretchBlit(src, 0, 0, wh.first, wh.second, false));
        EXPECT_EQ(Colours(dest), black);
    }
    EXPECT_FALSE(dest.StretchBlit(empty, 0, 0, 4, 4, false));
    EXPECT_FALSE(empty.StretchBlit(src, 0, 0, 4, 4, false));

    ASSERT_TRUE(dest.StretchBlit(src, 0, 0, 4, 4, true));
    EXPECT_EQ(dest.GetPixel(1, 1), 0u) << "key word 0x00FF0000 skipped";
    EXPECT_EQ(dest.GetPixel(2, 2), src.GetPixel(1, 1));
    ASSERT_TRUE(dest.StretchBlit(src, 0, 0, 4, 4, false));
    EXPECT_EQ(dest.GetPixel(1, 1), 0x000000FFu);

    // A 16-bit source cannot be read with 32-bit words: nothing is drawn.
    GuardedSurface narrow(k565, 2, 2), wide(k888, 4, 4);
    FillCoordinates(narrow.s);
    EXPECT_TRUE(wide.s.StretchBlit(narrow.s, 0, 0, 4, 4, false));
    EXPECT_EQ(Colours(wide.s), std::vector<uint32_t>(16, 0u));
    EXPECT_TRUE(narrow.GuardsIntact());
}

TEST(StretchBlit, MatchesAPlainWalkAndStaysInside) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 500; ++round) {
        const Format& f = rng() % 2 ? k565 : k888;
        RandomCase c(rng, f, f, 10, 12);
        CSurface& dest = c.dest->s;
        const int32_t x = int32_t(rng() % 30) - 15, y = int32_t(rng() % 30) - 15;
        const int32_t w = int32_t(rng() % 30) - 3, h = int32_t(rng() % 30) - 3;
        const bool useKey = rng() % 2;
        ReferenceStretch(c.expect->s, c.src->s, x, y, w, h, useKey);
        ASSERT_TRUE(dest.StretchBlit(c.src->s, x, y, w, h, useKey));
        ASSERT_EQ(Colours(dest), Colours(c.expect->s))
            << "round " << round << " " << x << "," << y << " " << w << "x" << h;
        ASSERT_TRUE(c.GuardsIntact());
    }
}

TEST(StretchBlit, HugeSizesDoNotOverflowTheSampling) {
    GuardedSurface src(k888, 7, 9), dest(k888, 3, 3);
    FillCoordinates(src.s);
    // Target starts far up-left and is huge: the visible corner samples from
    // the 64-bit products dy * height / h and dx * width / w.
    const int32_t x = -2000000000, y = -2000000000, w = INT32_MAX, h = INT32_MAX;
    ASSERT_TRUE(dest.s.StretchBlit(src.s, x, y, w, h, false));
    for (int64_t Y = 0; Y < 3; ++Y)
        for (int64_t X = 0; X < 3; ++X) {
            const int64_t sx = (X - x) * 7 / int64_t(w), sy = (Y - y) * 9 / int64_t(h);
            EXPECT_EQ(dest.s.GetPixel(int32_t(X), int32_t(Y)),
                      src.s.GetPixel(int32_t(sx), int32_t(sy)));
        }
    EXPECT_TRUE(dest.GuardsIntact());
}

TEST(StretchToTrapezoid, SquareQuadCopiesOneToOne) {
    UseFormat(k565);
    CSurface src, dest;
    ASSERT_TRUE(src.Create(4, 4));
    FillCoordinates(src);
    ASSERT_TRUE(dest.Create(6, 6));
    ASSERT_TRUE(dest.StretchToTrapezoid(src, 0, 3, 0, 0, 3, 3));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dest.GetPixel(x, y), src.GetPixel(x, y)) << x << "," << y;
    EXPECT_EQ(dest.GetPixel(4, 0), 0u);
    EXPECT_EQ(dest.GetPixel(0, 4), 0u);
}

TEST(StretchToTrapezoid, RefusalsAndEmptyQuads) {
    UseFormat(k565);
    CSurface src, dest, empty;
    ASSERT_TRUE(src.Create(4, 4));
    FillCoordinates(src);
    ASSERT_TRUE(dest.Create(8, 8));
    const std::vector<uint32_t> black = Colours(dest);
    EXPECT_FALSE(dest.StretchToTrapezoid(src, 0, 3, 4, 0, 3, 3)) << "topLeft below bottomLeft";
    EXPECT_FALSE(dest.StretchToTrapezoid(src, 0, 3, 0, 4, 3, 3)) << "topRight below bottomRight";
    EXPECT_FALSE(empty.StretchToTrapezoid(src, 0, 3, 0, 0, 3, 3));
    EXPECT_TRUE(dest.StretchToTrapezoid(src, 2, 2, 0, 0, 5, 5)) << "one column wide";
    EXPECT_TRUE(dest.StretchToTrapezoid(src, 5, 2, 0, 0, 5, 5)) << "sides reversed";
    EXPECT_TRUE(dest.StretchToTrapezoid(src, 20, 30, 0, 0, 5, 5)) << "off to the right";
    EXPECT_TRUE(dest.StretchToTrapezoid(src, -9, 0, 0, 0, 5, 5)) << "ends at column 0";
    EXPECT_TRUE(dest.StretchToTrapezoid(empty, 0, 5, 0, 0, 5, 5)) << "texture without pixels";
    EXPECT_EQ(Colours(dest), black);
}

TEST(StretchToTrapezoid, EdgesStepOverRightMinusLeftPlusOne) {
    UseFormat(k888);
    CSurface src, dest;
    ASSERT_TRUE(src.Create(8, 8));
    FillCoordinates(src);
    ASSERT_TRUE(dest.Create(10, 20));
    // left 0, right 3: span 4. Top edge 0 -> 4, bottom edge 7 -> 15.
    ASSERT_TRUE(dest.StretchToTrapezoid(src, 0, 3, 0, 4, 7, 15));
    // Column 3: top 0 + 3 * 4 / 4 = 3, bottom 7 + 3 * 8 / 4 = 13, source
    // column 3 * 8 / 4 = 6.
    EXPECT_EQ(dest.GetPixel(3, 2), 0u);
    EXPECT_EQ(dest.GetPixel(3, 3), src.GetPixel(6, 0));
    EXPECT_EQ(dest.GetPixel(3, 13), src.GetPixel(6, 7)); // j 10 of 11: sy = 80 / 11 = 7
    EXPECT_EQ(dest.GetPixel(3, 14), 0u);
    // Column 1: top 1, bottom 9, height 9; row 5 is j 4: sy = 32 / 9 = 3.
    EXPECT_EQ(dest.GetPixel(1, 5), src.GetPixel(2, 3));
    EXPECT_EQ(dest.GetPixel(1, 0), 0u);
    // Nothing right of the right side.
    EXPECT_EQ(dest.GetPixel(4, 5), 0u);
}

TEST(StretchToTrapezoid, MatchesMultipliedEdgesAndStaysInside) {
    std::mt19937 rng(77);
    for (int round = 0; round < 800; ++round) {
        const Format& f = rng() % 2 ? k565 : k888;
        RandomCase c(rng, f, f, 9, 14);
        CSurface& dest = c.dest->s;
        auto coord = [&] { return int32_t(rng() % 40) - 15; };
        const int32_t left = coord(), right = coord();
        int32_t tl = coord(), bl = coord(), tr = coord(), br = coord();
        if (tl > bl)
            std::swap(tl, bl);
        if (tr > br)
            std::swap(tr, br);
        // Same bounding test as the fill: a rectangle that misses the
        // destination draws nothing at all.
        const int64_t bt = std::min(tl, tr), bb = std::max(bl, br);
        const int64_t lo = std::min(left, right), hi = std::max(left, right);
        if (std::max<int64_t>(lo, 0) < std::min<int64_t>(hi, dest.width) &&
            std::max<int64_t>(bt, 0) < std::min<int64_t>(bb, dest.height))
            ReferenceTrapezoid(c.expect->s, c.src->s, left, right, tl, tr, bl, br);
        ASSERT_TRUE(dest.StretchToTrapezoid(c.src->s, left, right, tl, tr, bl, br));
        ASSERT_EQ(Colours(dest), Colours(c.expect->s))
            << "round " << round << ": " << left << " " << right << " " << tl << " " << tr << " "
            << bl << " " << br;
        ASSERT_TRUE(c.GuardsIntact());
    }
}

TEST(StretchToTrapezoid, ExtremeCornersNeitherOverflowNorEscape) {
    GuardedSurface src(k888, 5, 5), dest(k888, 6, 6), expect(k888, 6, 6);
    FillCoordinates(src.s);
    const int32_t lo = INT32_MIN, hi = INT32_MAX;
    const int32_t quads[][6] = {
        {lo, hi, lo, lo, hi, hi}, {lo, hi, lo, hi, lo, hi}, {lo, hi, hi, lo, hi, hi},
        {-3, hi, lo, hi, 2, hi},  {lo, 4, -5, lo, 3, hi},   {0, 5, lo, lo, hi, hi},
        {lo, 2, 0, 0, 5, 5},
    };
    for (const auto& q : quads) {
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 6; ++x) {
                dest.s.SetPixel(x, y, 0);
                expect.s.SetPixel(x, y, 0);
            }
        ReferenceTrapezoid(expect.s, src.s, q[0], q[1], q[2], q[3], q[4], q[5]);
        ASSERT_TRUE(dest.s.StretchToTrapezoid(src.s, q[0], q[1], q[2], q[3], q[4], q[5]));
        EXPECT_EQ(Colours(dest.s), Colours(expect.s))
            << q[0] << " " << q[1] << " " << q[2] << " " << q[3] << " " << q[4] << " " << q[5];
        EXPECT_TRUE(dest.GuardsIntact());
    }
}
