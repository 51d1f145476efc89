// The loaders: bottom-up rows, padding, the fixed 8-bit colour table, the
// palettised decoder, BMP files, and data that must be refused without being
// read past its end.
#include "platform/Resources.h"
#include "res/ResourceIds.h"
#include "testkit/Pictures.h"

#include <cstring>
#include <gtest/gtest.h>

#include <cstdio>

using namespace gfxtest;

namespace {

uint32_t Bgr(uint32_t r, uint32_t g, uint32_t b) {
    return r | g << 8 | b << 16;
}

// 24-bit pixel as 0x00BBGGRR from its position.
uint32_t Pattern24(int32_t x, int32_t y) {
    return Bgr(10 + 40 * x, 20 + 30 * y, 200 - x - y);
}

std::vector<Rgb> Grey256() {
    std::vector<Rgb> p;
    for (int i = 0; i < 256; ++i)
        p.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
    return p;
}

std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = testing::TempDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return path;
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

} // namespace

TEST(LoadDib, TwentyFourBitRowsArePaddedAndBottomUp) {
    UseFormat(k888);
    // 3 pixels wide: rows of 12 bytes (9 of pixels, 3 of padding).
    std::vector<uint8_t> dib = MakeDib(3, 2, 24, {}, 0, 0, Pattern24);
    ASSERT_EQ(dib.size(), 40u + 12 * 2);
    // Padding bytes are not pixels.
    dib[40 + 9] = dib[40 + 10] = dib[40 + 11] = 0xEE;
    CSurface s;
    ASSERT_TRUE(s.LoadDib(dib.data(), dib.size()));
    EXPECT_EQ(s.width, 3);
    EXPECT_EQ(s.height, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(s.GetPixel(x, y), Pattern24(x, y)) << x << "," << y;
}

TEST(LoadDib, EightBitTableIsAlways256EntriesLong) {
    UseFormat(k888);
    const std::vector<Rgb> pal = Grey256();
    // 3 pixels wide: rows of 4 bytes. The header claims 2 colours, yet the
    // rows are read 1024 bytes after the header.
    auto index = [](int32_t x, int32_t y) { return uint32_t(7 + x + 100 * y); };
    std::vector<uint8_t> dib = MakeDib(3, 2, 8, pal, 256, 2, index);
    ASSERT_EQ(dib.size(), 40u + 1024 + 4 * 2);
    CSurface s;
    ASSERT_TRUE(s.LoadDib(dib.data(), dib.size()));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const Rgb& c = pal[index(x, y)];
            EXPECT_EQ(s.GetPixel(x, y), Bgr(c.r, c.g, c.b)) << x << "," << y;
        }

    // Pure red in the table becomes the raw key in a 5-6-5 surface.
    UseFormat(k565);
    std::vector<Rgb> red = {{255, 0, 0}};
    std::vector<uint8_t> keyed = MakeDib(2, 1, 8, red, 256, 0, [](int32_t, int32_t) { return 0u; });
    ASSERT_TRUE(s.LoadDib(keyed.data(), keyed.size()));
    EXPECT_EQ(s.GetPixel(1, 0), 0x000000F8u);
}

TEST(LoadDib, RefusesDataItCannotReadSafely) {
    UseFormat(k888);
    const std::vector<uint8_t> good8 =
        MakeDib(5, 4, 8, Grey256(), 256, 0, [](int32_t x, int32_t y) { return uint32_t(x * y); });
    const std::vector<uint8_t> good24 = MakeDib(5, 4, 24, {}, 0, 0, Pattern24);
    {
        CSurface s;
        ASSERT_TRUE(s.LoadDib(good8.data(), good8.size()));
        ASSERT_TRUE(s.LoadDib(good24.data(), good24.size()));
    }
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    auto with = [](std::vector<uint8_t> v, size_t at, uint32_t value) {
        Put32(v, at, value);
        return v;
    };
    cases.push_back({"empty", {}});
    cases.push_back(
        {"header cut short", std::vector<uint8_t>(good24.begin(), good24.begin() + 39)});
    cases.push_back({"header size past the data", with(good24, 0, uint32_t(good24.size() + 1))});
    cases.push_back({"header size below 40", with(good24, 0, 12)});
    // 5 pixels a row: 15 of 16 bytes at 24 bits, 5 of 8 at 8 bits. The last
    // row may lack its padding, not its pixels.
    cases.push_back({"last 24-bit row short of its pixels",
                     std::vector<uint8_t>(good24.begin(), good24.end() - 2)});
    cases.push_back({"8-bit colour table cut short",
                     std::vector<uint8_t>(good8.begin(), good8.begin() + 40 + 1000)});
    cases.push_back({"last 8-bit row short of its pixels",
                     std::vector<uint8_t>(good8.begin(), good8.end() - 4)});
    cases.push_back({"zero width", with(good24, 4, 0)});
    cases.push_back({"zero height", with(good24, 8, 0)});
    cases.push_back({"top-down", with(good24, 8, uint32_t(-4))});
    cases.push_back({"most negative height", with(good24, 8, 0x80000000u)});
    cases.push_back({"negative width", with(good24, 4, uint32_t(-5))});
    cases.push_back({"wider than the limit", with(good24, 4, CSurface::MaxLoadSide + 1)});
    cases.push_back({"higher than the limit", with(good8, 8, CSurface::MaxLoadSide + 1)});
    cases.push_back({"huge sides", with(with(good24, 4, 0x7FFFFFFF), 8, 0x7FFFFFFF)});
    cases.push_back({"run-length compressed", with(good8, 16, 1)});
    cases.push_back({"bit fields", with(good24, 16, 3)});
    cases.push_back({"257 colours", with(good8, 32, 257)});
    cases.push_back({"height larger than the rows", with(good8, 8, 5)});
    // Depths it cannot read were once allocated at the header's size first:
    // a gigabyte from 40 bytes.
    for (int bpp : {1, 4, 16, 32}) {
        std::vector<uint8_t> dib =
            MakeDib(5, 3, bpp, {}, 0, 0, [](int32_t, int32_t) { return 1u; });
        dib.resize(dib.size() + 5 * 3 * 4, 0x77); // plenty of bytes either way
        cases.push_back({"a depth other than 8 and 24", dib});
    }
    cases.push_back({"32 bits at the largest sides, header only",
                     with(with(with(std::vector<uint8_t>(good24.begin(), good24.begin() + 40), 4,
                                    CSurface::MaxLoadSide),
                               8, CSurface::MaxLoadSide),
                          14, 32)});
    for (const Case& c : cases) {
        // Each case gets an exact-size copy so a read past the end is a read
        // past the allocation.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[c.bytes.size() + 1]);
        if (!c.bytes.empty())
            std::memcpy(exact.get(), c.bytes.data(), c.bytes.size());
        CSurface s;
        ASSERT_TRUE(s.Create(2, 2));
        EXPECT_FALSE(s.LoadDib(c.bytes.empty() ? nullptr : exact.get(), c.bytes.size())) << c.what;
        EXPECT_EQ(s.pixels, nullptr) << c.what;
    }
    // Exactly at the limit is accepted.
    std::vector<uint8_t> tall = MakeDib(1, CSurface::MaxLoadSide, 24, {}, 0, 0, Pattern24);
    CSurface s;
    EXPECT_TRUE(s.LoadDib(tall.data(), tall.size()));
    EXPECT_EQ(s.height, int32_t(CSurface::MaxLoadSide));
}

TEST(LoadDibGdi, DecodesPalettisedDepthsToExactColours) {
    UseFormat(k888);
    const std::vector<Rgb> pal = {{255, 0, 0}, {0, 255, 0}, {1, 2, 3},    {40, 50, 60},
                                  {7, 8, 9},   {9, 8, 7},   {100, 0, 50}, {0, 0, 255}};
    for (int bpp : {1, 4, 8}) {
        const uint32_t colours = bpp == 1 ? 2 : 8;
        // 13 pixels wide: sub-byte pixels straddle bytes and rows need padding.
        auto index = [&](int32_t x, int32_t y) { return uint32_t((x + 3 * y) % colours); };
        // Colour count 0 means a full table for 1 and 4 bits; 8 bits states it.
        const size_t entries = bpp == 8 ? 8 : (size_t(1) << bpp);
        std::vector<uint8_t> dib = MakeDib(13, 3, bpp, pal, entries, bpp == 8 ? 8 : 0, index);
        CSurface s;
        ASSERT_TRUE(s.LoadDibGdi(dib.data(), dib.size())) << bpp;
        ASSERT_EQ(s.width, 13);
        ASSERT_EQ(s.height, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 13; ++x) {
                const Rgb& c = pal[index(x, y)];
                ASSERT_EQ(s.GetPixel(x, y), Bgr(c.r, c.g, c.b)) << bpp << ": " << x << "," << y;
            }
        EXPECT_EQ(s.GetPixel(0, 0), 0x000000FFu) << "pure red is the colour key";
    }
    // Indices past a short table read black.
    std::vector<uint8_t> dib =
        MakeDib(4, 1, 8, pal, 2, 2, [](int32_t x, int32_t) { return uint32_t(x == 3 ? 200 : x); });
    CSurface s;
    ASSERT_TRUE(s.LoadDibGdi(dib.data(), dib.size()));
    EXPECT_EQ(s.GetPixel(1, 0), 0x0000FF00u);
    EXPECT_EQ(s.GetPixel(2, 0), 0u);
    EXPECT_EQ(s.GetPixel(3, 0), 0u);
    // 24 bits decode too.
    std::vector<uint8_t> rgb = MakeDib(3, 2, 24, {}, 0, 0, Pattern24);
    ASSERT_TRUE(s.LoadDibGdi(rgb.data(), rgb.size()));
    EXPECT_EQ(s.GetPixel(2, 1), Pattern24(2, 1));
}

TEST(LoadDibGdi, RefusesBrokenDataAndLeavesTheSurfaceAlone) {
    UseFormat(k565);
    const std::vector<Rgb> pal = {{1, 2, 3}, {4, 5, 6}};
    const std::vector<uint8_t> good =
        MakeDib(9, 3, 4, pal, 16, 0, [](int32_t x, int32_t) { return uint32_t(x & 1); });
    std::vector<std::vector<uint8_t>> bad = {
        std::vector<uint8_t>(good.begin(), good.end() - 4),         // last row short of a pixel
        std::vector<uint8_t>(good.begin(), good.begin() + 40 + 60), // table short
    };
    auto with = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> v = good;
        Put32(v, at, value);
        return v;
    };
    bad.push_back(with(8, uint32_t(-3))); // top-down
    bad.push_back(with(4, 0));            // no width
    bad.push_back(with(16, 2));           // run-length 4-bit
    bad.push_back(with(32, 300));         // too many colours
    bad.push_back(with(32, 256));         // a 1024-byte table that is not there
    std::vector<uint8_t> deep = good;
    Put16(deep, 14, 16);
    bad.push_back(deep); // 16-bit is not decoded
    for (size_t i = 0; i < bad.size(); ++i) {
        std::unique_ptr<uint8_t[]> exact(new uint8_t[bad[i].size()]);
        std::memcpy(exact.get(), bad[i].data(), bad[i].size());
        CSurface s;
        ASSERT_TRUE(s.Create(2, 2));
        s.SetPixel(1, 1, 0x00FFFFFF);
        EXPECT_FALSE(s.LoadDibGdi(exact.get(), bad[i].size())) << "case " << i;
        EXPECT_EQ(s.width, 2) << "case " << i;
        EXPECT_EQ(s.GetPixel(1, 1), 0x00F8FCF8u) << "case " << i;
    }
}

TEST(LoadBitmapFile, ReadsBmpFilesAndRefusesOthers) {
    UseFormat(k888);
    const std::vector<uint8_t> dib = MakeDib(
        6, 5, 8, Grey256(), 256, 0, [](int32_t x, int32_t y) { return uint32_t(x + 6 * y); });
    const std::string good = WriteTempFile("gfx_good.bmp", MakeBmpFile(dib));
    CSurface s;
    ASSERT_TRUE(s.LoadBitmapFile(good.c_str()));
    EXPECT_EQ(s.width, 6);
    EXPECT_EQ(s.GetPixel(5, 4), Bgr(29, 255 - 29, 14));

    // Failures before the bitmap is read leave the picture as it was.
    s.SetPixel(0, 0, 0x00123456);
    const std::string wrongMagic = WriteTempFile("gfx_magic.bmp", MakeBmpFile(dib, 'M', 'B'));
    const std::string tiny = WriteTempFile("gfx_tiny.bmp", {'B', 'M', 0, 0, 0});
    const std::string nothing = WriteTempFile("gfx_empty.bmp", {});
    for (const std::string& path :
         {wrongMagic, tiny, nothing, testing::TempDir() + "/gfx_no_such_file.bmp"}) {
        EXPECT_FALSE(s.LoadBitmapFile(path.c_str())) << path;
        EXPECT_EQ(s.width, 6) << path;
        EXPECT_EQ(s.GetPixel(0, 0), 0x00123456u) << path;
    }
    EXPECT_FALSE(s.LoadBitmapFile(nullptr));

    // A file cut inside its rows fails in the bitmap reader.
    std::vector<uint8_t> cut = MakeBmpFile(dib);
    cut.resize(cut.size() - 3);
    const std::string shortRows = WriteTempFile("gfx_cut.bmp", cut);
    EXPECT_FALSE(s.LoadBitmapFile(shortRows.c_str()));
    // Only the header: nothing after the file header.
    std::vector<uint8_t> header = MakeBmpFile(dib);
    header.resize(14);
    const std::string headerOnly = WriteTempFile("gfx_header.bmp", header);
    EXPECT_FALSE(s.LoadBitmapFile(headerOnly.c_str()));
    for (const std::string& p : {good, wrongMagic, tiny, nothing, shortRows, headerOnly})
        std::remove(p.c_str());
}

TEST(LoadBitmapResource, MissingResourcesFailAndShippedOnesLoad) {
    UseFormat(k565);
    CSurface s;
    ASSERT_TRUE(s.Create(3, 3));
    EXPECT_FALSE(s.LoadBitmapResource(99999));
    EXPECT_FALSE(s.LoadBitmapGdi(99999));
    EXPECT_EQ(s.width, 3) << "a missing resource leaves the surface alone";

    // Every bitmap the program ships loads, at the size its header gives.
    int loaded = 0;
    for (const PlatResourceEntry* e = g_resourceTable; e->data; ++e) {
        if (e->type != PLAT_RT_BITMAP)
            continue;
        const unsigned char* info = nullptr;
        size_t infoSize = 0;
        ASSERT_TRUE(PlatFindResource(e->id, PLAT_RT_BITMAP, &info, &infoSize));
        ASSERT_GE(infoSize, 12u);
        CSurface picture;
        EXPECT_TRUE(picture.LoadBitmapResource(e->id)) << "bitmap " << e->id;
        EXPECT_EQ(picture.width, int32_t(info[4] | info[5] << 8)) << "bitmap " << e->id;
        EXPECT_EQ(picture.height, int32_t(info[8] | info[9] << 8)) << "bitmap " << e->id;
        ++loaded;
    }
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (PlatFindResource(IDB_DIGIT0, PLAT_RT_BITMAP, &data, &size)) {
        CSurface zero;
        ASSERT_TRUE(zero.LoadBitmapResource(IDB_DIGIT0));
        EXPECT_EQ(zero.width, 10);
        EXPECT_EQ(zero.height, 20);
        EXPECT_EQ(zero.GetPixel(0, 0), 0x000000F8u) << "glyphs stand on pure red";
    }
    RecordProperty("bitmaps", loaded);
}
