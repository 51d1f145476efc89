// Pixel formats, single-pixel conversion, creation and tinted copies.
#include "testkit/Pictures.h"
#include <cstring>

#include <gtest/gtest.h>

using namespace gfxtest;

TEST(SurfacePixel, StoredWordsOfTheKeyAndOtherColours) {
    struct Case {
        Format f;
        uint32_t colour, word, readBack;
    } cases[] = {
        {k565, 0x000000FF, 0xF800, 0x000000F8},
        {k555, 0x000000FF, 0x7C00, 0x000000F8},
        {k888, 0x000000FF, 0x00FF0000, 0x000000FF},
        {k565, 0x0000FFFF, 0xFFE0, 0x0000FCF8},
        {k565, 0x00FFFFFF, 0xFFFF, 0x00F8FCF8},
        {k555, 0x00FFFFFF, 0x7FFF, 0x00F8F8F8},
        {k888, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF},
        {k888, 0x00123456, 0x00563412, 0x00123456},
        // the top byte of a colour value is ignored
        {k565, 0xFF0000FF, 0xF800, 0x000000F8},
        {k888, 0xAB010203, 0x00030201, 0x00010203},
    };
    for (const Case& c : cases) {
        UseFormat(c.f);
        CSurface s;
        ASSERT_TRUE(s.Create(3, 2));
        s.SetPixel(2, 1, c.colour);
        EXPECT_EQ(RawWord(s, 2, 1), c.word) << c.f.name << " " << std::hex << c.colour;
        EXPECT_EQ(s.GetPixel(2, 1), c.readBack) << c.f.name << " " << std::hex << c.colour;
        EXPECT_EQ(RawWord(s, 1, 1), 0u) << "neighbour untouched";
    }
}

TEST(SurfacePixel, SixteenBitWordsRoundTripWithoutReplicatedLowBits) {
    for (const Format& f : {k555, k565}) {
        UseFormat(f);
        CSurface s;
        ASSERT_TRUE(s.Create(1, 1));
        for (uint32_t word = 0; word <= 0xFFFF; ++word) {
            SetRawWord(s, 0, 0, word);
            const uint32_t c = s.GetPixel(0, 0);
            // Expanded channels keep their low bits zero.
            ASSERT_EQ(c & ~uint32_t(f.flags == kfDirect565 ? 0x00F8FCF8 : 0x00F8F8F8), 0u)
                << f.name << " " << word;
            s.SetPixel(0, 0, c);
            // 5-5-5 never keeps bit 15.
            ASSERT_EQ(RawWord(s, 0, 0), f.flags == kfDirect555 ? (word & 0x7FFF) : word)
                << f.name << " " << word;
        }
    }
}

TEST(SurfacePixel, ColourValuesAreTruncatedPerChannel) {
    std::mt19937 rng(7);
    for (const Format& f : AllFormats()) {
        UseFormat(f);
        CSurface s;
        ASSERT_TRUE(s.Create(4, 4));
        const uint32_t mask = f.flags == kfDirect565   ? 0x00F8FCF8
                              : f.flags == kfDirect555 ? 0x00F8F8F8
                                                       : 0x00FFFFFF;
        for (int i = 0; i < 2000; ++i) {
            const uint32_t c = rng();
            s.SetPixel(i % 4, (i / 4) % 4, c);
            ASSERT_EQ(s.GetPixel(i % 4, (i / 4) % 4), c & mask) << f.name;
        }
    }
}

TEST(SurfacePixel, FormatDecisionTakesTheFirstMatch) {
    // Both 16-bit flags: 5-5-5 wins.
    UseFormat({"both", 16, kfDirect555 | kfDirect565});
    CSurface both;
    ASSERT_TRUE(both.Create(1, 1));
    both.SetPixel(0, 0, 0x000000FF);
    EXPECT_EQ(RawWord(both, 0, 0), 0x7C00u);

    // Flags the surfaces do not interpret ride along.
    UseFormat({"extra", 16, kfDirect565 | 0x1000});
    CSurface extra;
    ASSERT_TRUE(extra.Create(1, 1));
    EXPECT_EQ(extra.formatFlags, uint32_t(kfDirect565 | 0x1000));
    extra.SetPixel(0, 0, 0x000000FF);
    EXPECT_EQ(RawWord(extra, 0, 0), 0xF800u);

    // A flag with the wrong depth is unsupported: reads 0, writes nothing.
    for (const Format& f : {Format{"565x32", 32, kfDirect565}, Format{"888x16", 16, kfDirect888},
                            Format{"none", 16, 0}}) {
        UseFormat(f);
        CSurface s;
        ASSERT_TRUE(s.Create(2, 1)) << f.name;
        SetRawWord(s, 0, 0, 0x1234);
        EXPECT_EQ(s.GetPixel(0, 0), 0u) << f.name;
        s.SetPixel(1, 0, 0x00FFFFFF);
        EXPECT_EQ(RawWord(s, 1, 0), 0u) << f.name;
    }
}

TEST(SurfaceCreate, TakesTheDisplayFormatWithContiguousRows) {
    for (const Format& f : AllFormats()) {
        UseFormat(f);
        CSurface s;
        ASSERT_TRUE(s.Create(7, 5));
        EXPECT_NE(s.pixels, nullptr);
        EXPECT_EQ(s.width, 7);
        EXPECT_EQ(s.height, 5);
        EXPECT_EQ(s.bitsPerPixel, f.bitsPerPixel);
        EXPECT_EQ(s.formatFlags, f.flags);
        EXPECT_EQ(s.xPitch, f.bitsPerPixel / 8);
        EXPECT_EQ(s.yPitch, 7 * f.bitsPerPixel / 8);
        for (uint32_t c : Colours(s))
            ASSERT_EQ(c, 0u);
        // Re-creating replaces the picture with a new black one.
        s.SetPixel(0, 0, 0x00FFFFFF);
        ASSERT_TRUE(s.Create(2, 3));
        EXPECT_EQ(s.GetPixel(0, 0), 0u);
        EXPECT_EQ(s.width, 2);
    }
}

TEST(SurfaceCreate, RefusesSizesThatCannotBeAllocatedSafely) {
    UseFormat(k888);
    const int32_t sizes[][2] = {{0, 5},        {5, 0}, {-1, 5}, {5, -1}, {INT32_MIN, INT32_MIN},
                                {-2, -2},     // product positive, sides not
                                {1 << 30, 1}, // row pitch does not fit 32 bits
                                {INT32_MAX, 2}};
    for (const auto& size : sizes) {
        CSurface s;
        ASSERT_TRUE(s.Create(3, 3));
        EXPECT_FALSE(s.Create(size[0], size[1])) << size[0] << " x " << size[1];
        EXPECT_EQ(s.pixels, nullptr);
        EXPECT_EQ(s.width, 0);
        EXPECT_EQ(s.height, 0);
        EXPECT_EQ(s.yPitch, 0);
    }
}

TEST(SurfaceCreate, FreeEmptiesAndNeverReleasesBorrowedMemory) {
    UseFormat(k565);
    CSurface s;
    s.Free(); // empty: nothing happens
    EXPECT_EQ(s.pixels, nullptr);
    ASSERT_TRUE(s.Create(4, 4));
    s.Free();
    EXPECT_EQ(s.pixels, nullptr);
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(s.bitsPerPixel, 0);
    EXPECT_EQ(s.formatFlags, 0u);

    // A surface pointed at memory it did not allocate gives it back untouched.
    GuardedSurface view(k565, 4, 4);
    view.s.Free();
    EXPECT_EQ(view.s.pixels, nullptr);
    EXPECT_TRUE(view.GuardsIntact());
}

TEST(SurfaceTint, ScalesClampsAndBlockCopies) {
    UseFormat(k888);
    CSurface src;
    ASSERT_TRUE(src.Create(3, 2));
    src.SetPixel(0, 0, 0x00FFFFFF);
    src.SetPixel(1, 0, 0x00804020);
    src.SetPixel(2, 1, 0x000000FF);

    CSurface dark;
    ASSERT_TRUE(dark.CopyTinted(src, 60, 60, 60));
    EXPECT_EQ(dark.GetPixel(0, 0), 0x00999999u); // 255 * 60 / 100 = 153
    EXPECT_EQ(dark.GetPixel(1, 0), 0x004C2613u); // blue 128->76, green 64->38, red 32->19

    CSurface bright;
    ASSERT_TRUE(bright.CopyTinted(src, 200, 200, 200));
    EXPECT_EQ(bright.GetPixel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(bright.GetPixel(1, 0), 0x00FF8040u); // red clamps at 255
    EXPECT_EQ(bright.GetPixel(2, 1), 0x000000FFu);

    CSurface channels;
    ASSERT_TRUE(channels.CopyTinted(src, 100, 0, 50));
    EXPECT_EQ(channels.GetPixel(0, 0), 0x007F00FFu);

    // Negative or huge percentages neither spill into other channels nor wrap.
    CSurface odd;
    ASSERT_TRUE(odd.CopyTinted(src, -50, INT32_MAX, INT32_MIN));
    EXPECT_EQ(odd.GetPixel(0, 0), 0x0000FF00u);

    // 100 in every channel: the same bytes.
    CSurface copy;
    ASSERT_TRUE(copy.CopyTinted(src, 100, 100, 100));
    EXPECT_EQ(0, std::memcmp(copy.pixels, src.pixels, 3 * 2 * 4));
}

TEST(SurfaceTint, SixteenBitChannelsTintFromTheirReadBackValues) {
    UseFormat(k565);
    CSurface src, dark;
    ASSERT_TRUE(src.Create(1, 1));
    src.SetPixel(0, 0, 0x00FFFFFF); // reads back F8 FC F8
    ASSERT_TRUE(dark.CopyTinted(src, 60, 60, 60));
    // 248 * 60 / 100 = 148 -> 144 (5 bits); 252 * 60 / 100 = 151 -> 148 (6 bits)
    EXPECT_EQ(dark.GetPixel(0, 0), 0x00909490u);
}

TEST(SurfaceTint, EmptyOrForeignSourcesAreSafe) {
    UseFormat(k565);
    CSurface empty, out;
    ASSERT_TRUE(out.Create(2, 2));
    EXPECT_FALSE(out.CopyTinted(empty, 100, 100, 100));
    EXPECT_EQ(out.pixels, nullptr);
    EXPECT_FALSE(out.CopyTinted(empty, 60, 60, 60));

    // A source whose fields claim a size but which has no pixels.
    CSurface hollow;
    hollow.width = 100;
    hollow.height = 100;
    hollow.bitsPerPixel = 16;
    hollow.formatFlags = kfDirect565;
    EXPECT_FALSE(out.CopyTinted(hollow, 100, 100, 100));
    EXPECT_EQ(out.pixels, nullptr);

    // A 32-bit source laid out upside down, copied while the display is
    // 5-6-5: the copy is converted pixel by pixel, never block-copied.
    GuardedSurface foreign(k888, 5, 3, true, true);
    std::mt19937 rng(3);
    FillRandom(foreign.s, rng, 0);
    ASSERT_TRUE(out.CopyTinted(foreign.s, 100, 100, 100));
    EXPECT_EQ(out.bitsPerPixel, 16);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(out.GetPixel(x, y), foreign.s.GetPixel(x, y) & 0x00F8FCF8);
    EXPECT_TRUE(foreign.GuardsIntact());

    // Tinting a surface into itself.
    CSurface self;
    ASSERT_TRUE(self.Create(2, 1));
    self.SetPixel(1, 0, 0x00F8F8F8);
    ASSERT_TRUE(self.CopyTinted(self, 50, 50, 50));
    EXPECT_EQ(self.GetPixel(1, 0), 0x007C7C7Cu & 0x00F8FCF8);
}
