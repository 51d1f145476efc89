// The resources as the game uses them: loaded by the real loaders onto the
// displays the pictures are made for, drawn with the colour key, darkened for
// the shaded wall faces and shrunk for far sprites; the sounds as a player
// hears them when an event happens.
#include "gfx/Surface.h"
#include "platform/Resources.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void UseDisplay(int32_t bitsPerPixel, uint32_t format) {
    HeadlessDisplay d;
    d.bitsPerPixel = bitsPerPixel;
    d.format = format;
    ASSERT_TRUE(HeadlessReset(d));
}

// The raw palette colour of pixel (x, y) of a bitmap resource, read straight
// from the embedded data (8-bit, 40-byte header, 256 colours, bottom-up rows).
struct RawPicture {
    const unsigned char* data = nullptr;
    size_t size = 0;
    int width = 0, height = 0;
    bool IsKey(int x, int y) const {
        const size_t stride = (size_t(width) + 3) & ~size_t(3);
        const unsigned char index = data[40 + 1024 + stride * size_t(height - 1 - y) + x];
        const unsigned char* c = data + 40 + 4 * index; // blue, green, red
        return c[2] == 255 && c[1] == 0 && c[0] == 0;
    }
};

bool FindRaw(int id, RawPicture* raw) {
    if (!PlatFindResource(id, PLAT_RT_BITMAP, &raw->data, &raw->size) || raw->size < 40 + 1024)
        return false;
    raw->width = int(raw->data[4] | raw->data[5] << 8);
    raw->height = int(raw->data[8] | raw->data[9] << 8);
    return true;
}

void Fill(CSurface& s, uint32_t colour) {
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            s.SetPixel(x, y, colour);
}

double Luminance(uint32_t c) {
    return 0.3 * (c & 0xFF) + 0.59 * ((c >> 8) & 0xFF) + 0.11 * ((c >> 16) & 0xFF);
}

// A picture drawn with the key onto a black and onto a white ground: a pixel
// was left out where both grounds still show, as no colour is both.
struct KeyedCopy {
    CSurface onBlack, onWhite;
    uint32_t white = 0;
    bool Draw(const CSurface& picture, int32_t w, int32_t h) {
        if (!onBlack.Create(w, h) || !onWhite.Create(w, h))
            return false;
        Fill(onWhite, 0x00FFFFFF);
        white = onWhite.GetPixel(0, 0);
        return onBlack.StretchBlit(picture, 0, 0, w, h, true) &&
               onWhite.StretchBlit(picture, 0, 0, w, h, true);
    }
    bool LeftOut(int32_t x, int32_t y) const {
        return onBlack.GetPixel(x, y) == 0 && onWhite.GetPixel(x, y) == white;
    }
};

const int kKeyedPictures[] = {IDB_DOT,    IDB_ENEMY,  IDB_GUN,    IDB_FLASH,  IDB_DIGIT0,
                              IDB_DIGIT1, IDB_DIGIT2, IDB_DIGIT3, IDB_DIGIT4, IDB_DIGIT5,
                              IDB_DIGIT6, IDB_DIGIT7, IDB_DIGIT8, IDB_DIGIT9, IDB_GUN_PICKUP,
                              IDB_BARREL, IDB_LIFE,   IDB_TITLE,  IDB_CRATE,  IDB_LAMP};

} // namespace

TEST(PicturesInGame, KeyedCopiesLeaveOutExactlyThePureRedGround) {
    // On both displays the pictures are made for, a keyed copy must drop the
    // ground and draw every other pixel, however close its colour is to red.
    const struct {
        int32_t bpp;
        uint32_t format;
    } displays[] = {{16, kfDirect565}, {32, kfDirect888}};
    for (const auto& display : displays) {
        UseDisplay(display.bpp, display.format);
        for (int id : kKeyedPictures) {
            SCOPED_TRACE("bitmap " + std::to_string(id) + " at " + std::to_string(display.bpp));
            RawPicture raw;
            ASSERT_TRUE(FindRaw(id, &raw));
            CSurface picture;
            ASSERT_TRUE(picture.LoadBitmapResource(id));
            ASSERT_EQ(picture.width, raw.width);
            ASSERT_EQ(picture.height, raw.height);
            KeyedCopy copy;
            ASSERT_TRUE(copy.Draw(picture, raw.width, raw.height));
            int wrong = 0;
            for (int y = 0; y < raw.height; ++y)
                for (int x = 0; x < raw.width; ++x)
                    if (copy.LeftOut(x, y) != raw.IsKey(x, y) && ++wrong <= 3)
                        ADD_FAILURE() << "pixel " << x << "," << y;
            EXPECT_EQ(wrong, 0);
        }
    }
}

TEST(PicturesInGame, WallTexturesReadInBothShades) {
    // Faces on the upper and right sides of a cell show the texture at 60 %:
    // it must neither wash out in the plain copy nor sink into black in the
    // darker one, and its detail (joints, grain) must survive the darkening.
    UseDisplay(16, kfDirect565);
    for (int id : {IDB_WALL_TILES, IDB_WALL_WOOD, IDB_WALL_STONE, IDB_WALL_BRICK, IDB_WALL_HEDGE}) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        CSurface plain, dark;
        ASSERT_TRUE(plain.LoadBitmapResource(id));
        ASSERT_TRUE(dark.CopyTinted(plain, 60, 60, 60));
        double sumPlain = 0, sumDark = 0, sumDark2 = 0;
        const double n = double(plain.width) * plain.height;
        for (int32_t y = 0; y < plain.height; ++y)
            for (int32_t x = 0; x < plain.width; ++x) {
                sumPlain += Luminance(plain.GetPixel(x, y));
                const double l = Luminance(dark.GetPixel(x, y));
                sumDark += l;
                sumDark2 += l * l;
            }
        const double meanDark = sumDark / n;
        const double spreadDark = std::sqrt(sumDark2 / n - meanDark * meanDark);
        EXPECT_LT(sumPlain / n, 190.0);
        EXPECT_GT(meanDark, 40.0);
        EXPECT_GT(spreadDark, 6.0);
    }
}

TEST(PicturesInGame, SpritesKeepTheirBodyWhenDrawnSmall) {
    // Far sprites are drawn a quarter of their size or less by nearest-pixel
    // scaling; thin strokes would break up and the thing would vanish.
    UseDisplay(16, kfDirect565);
    for (int id : {IDB_DOT, IDB_ENEMY, IDB_GUN_PICKUP, IDB_BARREL, IDB_CRATE, IDB_LAMP}) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        CSurface picture;
        ASSERT_TRUE(picture.LoadBitmapResource(id));
        KeyedCopy whole, small;
        ASSERT_TRUE(whole.Draw(picture, picture.width, picture.height));
        const int32_t w = picture.width / 4, h = picture.height / 4;
        ASSERT_TRUE(small.Draw(picture, w, h));
        int fullCount = 0, smallCount = 0;
        for (int32_t y = 0; y < picture.height; ++y)
            for (int32_t x = 0; x < picture.width; ++x)
                fullCount += !whole.LeftOut(x, y);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                smallCount += !small.LeftOut(x, y);
        const double full = double(fullCount) / (picture.width * picture.height);
        const double shrunk = double(smallCount) / (w * h);
        EXPECT_GT(full, 0.2) << "the thing fills too little of its picture";
        EXPECT_GT(shrunk, full * 0.7);
    }
}

TEST(ResourceWaves, EverySoundStartsAtOnce) {
    // Each sound answers something the player just did: its first 50 ms must
    // already be loud, or the game feels late.
    for (int id : {IDW_SHOT, IDW_HIT, IDW_CAUGHT, IDW_GUN_PICKUP, IDW_DOT}) {
        SCOPED_TRACE("wave " + std::to_string(id));
        const unsigned char* p = nullptr;
        size_t size = 0;
        ASSERT_TRUE(PlatFindResource(id, PLAT_RT_WAVE, &p, &size));
        ASSERT_GT(size, 44u);
        const uint32_t rate = uint32_t(p[24] | p[25] << 8 | p[26] << 16 | uint32_t(p[27]) << 24);
        ASSERT_EQ(p[34], 8) << "8-bit samples";
        const unsigned char* s = p + 44;
        const size_t n = size - 44;
        int peak = 0, early = 0;
        for (size_t i = 0; i < n; ++i) {
            const int v = std::abs(int(s[i]) - 128);
            peak = std::max(peak, v);
            if (i < rate / 20)
                early = std::max(early, v);
        }
        EXPECT_GE(early * 4, peak * 2) << "first 50 ms reach half the peak";
    }
}
