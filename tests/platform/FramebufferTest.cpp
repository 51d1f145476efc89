// The headless framebuffer through the GX calls: layouts with any pitches,
// the bracket, and screenshots of what was presented.
#include "platform/GX.h"
#include "platform/headless/Headless.h"
#include "platform/Platform.h"
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Layout {
    int32_t bpp;
    uint32_t format;
    int32_t xPitch;
    int32_t yPitch;
};

HeadlessDisplay MakeDisplay(int32_t width, int32_t height, const Layout& l) {
    HeadlessDisplay d;
    d.width = width;
    d.height = height;
    d.bitsPerPixel = l.bpp;
    d.format = l.format;
    d.xPitch = l.xPitch;
    d.yPitch = l.yPitch;
    return d;
}

// The pixel words as the device formats define them, written by hand here
// so that the platform's own conversion is checked, not repeated.
uint32_t Word(uint32_t format, int r, int g, int b) {
    if (format == kfDirect555)
        return uint32_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    if (format == kfDirect565)
        return uint32_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    return uint32_t(r << 16 | g << 8 | b);
}

void Put(uint8_t* p, int32_t bpp, uint32_t word) {
    if (bpp == 16) {
        uint16_t w = static_cast<uint16_t>(word);
        std::memcpy(p, &w, 2);
    } else {
        std::memcpy(p, &word, 4);
    }
}

struct Bmp {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgb; // top row first, 3 bytes a pixel
    bool Read(const std::string& path) {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            return false;
        std::vector<uint8_t> data;
        uint8_t buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            data.insert(data.end(), buf, buf + n);
        std::fclose(f);
        auto le = [&data](size_t at) {
            return uint32_t(data[at] | data[at + 1] << 8 | data[at + 2] << 16 | data[at + 3] << 24);
        };
        if (data.size() < 54 || data[0] != 'B' || data[1] != 'M' || data[28] != 24)
            return false;
        width = int32_t(le(18));
        height = int32_t(le(22));
        const size_t offset = le(10), row = (size_t(width) * 3 + 3) & ~size_t(3);
        if (width <= 0 || height <= 0 || data.size() < offset + row * height)
            return false;
        rgb.resize(size_t(width) * height * 3);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* src = &data[offset + row * (height - 1 - y)];
            for (int32_t x = 0; x < width; ++x) {
                rgb[(size_t(y) * width + x) * 3 + 0] = src[x * 3 + 2];
                rgb[(size_t(y) * width + x) * 3 + 1] = src[x * 3 + 1];
                rgb[(size_t(y) * width + x) * 3 + 2] = src[x * 3 + 0];
            }
        }
        return true;
    }
    std::vector<int> At(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
};

std::string TempPath(const char* name) {
    return testing::TempDir() + "quibbo_platform_" + name + ".bmp";
}

} // namespace

TEST(Framebuffer, EveryLayoutKeepsEveryPixelInsideTheBlock) {
    const int32_t w = 24, h = 32;
    const std::vector<Layout> layouts = {
        {16, kfDirect565, 0, 0},    {16, kfDirect565, 2, -48},   {16, kfDirect565, -2, 48},
        {16, kfDirect565, -2, -48}, {16, kfDirect555, 2, 52}, // padded rows
        {16, kfDirect565, 64, -2},                            // a screen turned a quarter
        {16, kfDirect565, -64, 2},                            // ... and the other way
        {32, kfDirect888, 4, 96},   {32, kfDirect888, -128, -4},
    };
    for (const Layout& l : layouts) {
        SCOPED_TRACE(std::to_string(l.xPitch) + " " + std::to_string(l.yPitch));
        ASSERT_TRUE(HeadlessReset(MakeDisplay(w, h, l)));
        GXOpenDisplay(nullptr, 0);
        uint8_t* origin = static_cast<uint8_t*>(GXBeginDraw());
        ASSERT_EQ(HeadlessFramebufferOrigin(), origin);
        const GXDisplayProperties props = GXGetDisplayProperties();
        EXPECT_EQ(w, props.cxWidth);
        EXPECT_EQ(h, props.cyHeight);
        EXPECT_EQ(l.bpp, props.cBPP);
        EXPECT_EQ(l.format, props.ffFormat);
        if (l.xPitch) {
            EXPECT_EQ(l.xPitch, props.cbxPitch);
        }
        if (l.yPitch) {
            EXPECT_EQ(l.yPitch, props.cbyPitch);
        }

        const std::vector<uint8_t>& block = HeadlessFramebufferMemory();
        const uint8_t* begin = block.data();
        const uint8_t* end = block.data() + block.size();
        const int32_t bytes = l.bpp / 8;
        std::vector<int> owner(block.size(), -1);
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                uint8_t* p = origin + x * props.cbxPitch + y * props.cbyPitch;
                ASSERT_GE(p, begin);
                ASSERT_LE(p + bytes, end);
                for (int32_t b = 0; b < bytes; ++b) { // no two pixels share a byte
                    ASSERT_EQ(-1, owner[size_t(p - begin) + b]) << x << "," << y;
                    owner[size_t(p - begin) + b] = y * w + x;
                }
            }
        }
        EXPECT_EQ(1, GXEndDraw());
        GXCloseDisplay();
    }
}

TEST(Framebuffer, ScreenshotFollowsThePitchesAndTheFormat) {
    const int32_t w = 6, h = 4;
    const std::vector<Layout> layouts = {
        {16, kfDirect565, 0, 0},
        {16, kfDirect555, -2, 16},
        {16, kfDirect565, 8, -2},
        {32, kfDirect888, -4, -24},
    };
    for (const Layout& l : layouts) {
        SCOPED_TRACE(std::to_string(l.format) + " " + std::to_string(l.xPitch));
        ASSERT_TRUE(HeadlessReset(MakeDisplay(w, h, l)));
        GXOpenDisplay(nullptr, 0);
        uint8_t* origin = static_cast<uint8_t*>(GXBeginDraw());
        const GXDisplayProperties props = GXGetDisplayProperties();
        ASSERT_NE(nullptr, origin);
        // Each pixel gets its own colour: red from x, green from y.
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                Put(origin + x * props.cbxPitch + y * props.cbyPitch, l.bpp,
                    Word(l.format, 40 * x, 64 * y, 200));
        const std::string path = TempPath("layout");
        EXPECT_FALSE(PlatSaveScreenshot(path.c_str())); // nothing shown yet
        GXEndDraw();
        ASSERT_TRUE(PlatSaveScreenshot(path.c_str()));
        Bmp bmp;
        ASSERT_TRUE(bmp.Read(path));
        std::remove(path.c_str());
        ASSERT_EQ(w, bmp.width);
        ASSERT_EQ(h, bmp.height);
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                const int r = 40 * x, g = 64 * y, b = 200;
                // Expanded as the surfaces read pixels: low bits zero.
                const std::vector<int> want = l.format == kfDirect888 ? std::vector<int>{r, g, b}
                                              : l.format == kfDirect565
                                                  ? std::vector<int>{r & 0xF8, g & 0xFC, b & 0xF8}
                                                  : std::vector<int>{r & 0xF8, g & 0xF8, b & 0xF8};
                EXPECT_EQ(want, bmp.At(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(Framebuffer, NoFramebufferOutsideAnOpenDisplay) {
    ASSERT_TRUE(HeadlessReset());
    EXPECT_FALSE(PlatSaveScreenshot(TempPath("none").c_str())); // nothing shown yet
    EXPECT_EQ(nullptr, GXBeginDraw());                          // not opened
    EXPECT_EQ(0, GXEndDraw());                                  // no bracket to close
    EXPECT_EQ(0, HeadlessPresentCount());

    GXOpenDisplay(nullptr, 0);
    GXSuspend();
    EXPECT_EQ(nullptr, GXBeginDraw()); // the system has the screen
    GXResume();
    EXPECT_NE(nullptr, GXBeginDraw());
    EXPECT_EQ(1, GXEndDraw());
    EXPECT_EQ(1, HeadlessPresentCount());
    EXPECT_TRUE(PlatSaveScreenshot(TempPath("black").c_str()));
    std::remove(TempPath("black").c_str());
    EXPECT_FALSE(PlatSaveScreenshot("/nonexistent-folder/shot.bmp"));
    GXCloseDisplay();
    EXPECT_EQ(nullptr, GXBeginDraw());

    const std::vector<std::string> expected = {
        "GXBeginDraw", "GXEndDraw",   "GXOpenDisplay 0", "GXSuspend",      "GXBeginDraw",
        "GXResume",    "GXBeginDraw", "GXEndDraw",       "GXCloseDisplay", "GXBeginDraw"};
    EXPECT_EQ(expected, HeadlessCallLog());
}

TEST(Framebuffer, UnusableDisplaysAreRefused) {
    HeadlessDisplay bad;
    bad.width = 0;
    EXPECT_FALSE(HeadlessReset(bad));
    EXPECT_EQ(240, GXGetDisplayProperties().cxWidth); // the default stands in
    bad = HeadlessDisplay();
    bad.xPitch = 1; // smaller than a pixel
    EXPECT_FALSE(HeadlessReset(bad));
    bad = HeadlessDisplay();
    bad.bitsPerPixel = 12;
    EXPECT_FALSE(HeadlessReset(bad));
    bad = HeadlessDisplay();
    bad.width = 16384;
    bad.height = 16384;
    bad.bitsPerPixel = 32; // a gigabyte
    EXPECT_FALSE(HeadlessReset(bad));
    EXPECT_EQ(320, GXGetDisplayProperties().cyHeight);
}

TEST(Framebuffer, NumberedScreenshotsTakeTheFirstFreeNameAndOverwriteNothing) {
    const std::string folder =
        testing::TempDir() + "quibbo_shots_" + std::to_string(getpid()) + "/";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
    ASSERT_TRUE(HeadlessReset());
    std::string path = "unchanged";
    EXPECT_FALSE(PlatSaveNumberedScreenshot(folder, &path)); // nothing shown yet
    EXPECT_EQ("unchanged", path);
    EXPECT_NE(0, access((folder + "quibbo-001.bmp").c_str(), F_OK)); // and no file left

    GXOpenDisplay(nullptr, 0);
    GXBeginDraw();
    GXEndDraw();
    // A file of someone else's under the first name stays as it was.
    FILE* f = std::fopen((folder + "quibbo-001.bmp").c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fputs("mine", f);
    std::fclose(f);
    ASSERT_TRUE(PlatSaveNumberedScreenshot(folder, &path));
    EXPECT_EQ(folder + "quibbo-002.bmp", path);
    ASSERT_TRUE(PlatSaveNumberedScreenshot(folder, &path));
    EXPECT_EQ(folder + "quibbo-003.bmp", path);
    Bmp bmp;
    ASSERT_TRUE(bmp.Read(path));
    EXPECT_EQ(240, bmp.width);
    EXPECT_EQ(320, bmp.height);
    f = std::fopen((folder + "quibbo-001.bmp").c_str(), "rb");
    ASSERT_NE(nullptr, f);
    char text[8] = {};
    EXPECT_EQ(4u, std::fread(text, 1, sizeof text, f));
    std::fclose(f);
    EXPECT_STREQ("mine", text);

    // A folder that cannot be written in: false, and nothing claimed.
    EXPECT_FALSE(PlatSaveNumberedScreenshot(folder + "missing/", &path));
    for (const char* name : {"quibbo-001.bmp", "quibbo-002.bmp", "quibbo-003.bmp"})
        std::remove((folder + name).c_str());
    rmdir(folder.c_str());
    GXCloseDisplay();
}
