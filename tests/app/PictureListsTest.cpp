// The three program-wide picture lists and the digit glyphs.
#include "app/PictureLists.h"
#include "app/MainFrame.h"
#include "gfx/Surface.h"
#include "platform/Resources.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include "scene/LevelReport.h"
#include <gtest/gtest.h>

namespace {

class PictureLists : public ::testing::Test {
protected:
    void SetUp() override { HeadlessReset(); }
    void TearDown() override {
        FreeWallTextures();
        FreeItemImages();
        FreeEnemyImages();
    }
};

// No resource of the program has this id.
const int kMissing = 9999;

} // namespace

TEST_F(PictureLists, ProgramFillGivesTenFiveAndOneEntries) {
    LoadSharedPictures();
    // The level tool reports with the same counts as the game.
    ASSERT_EQ(size_t(kProgramWallTextures), g_wallTextures.size());
    ASSERT_EQ(size_t(kProgramItemImages), g_itemImages.size());
    ASSERT_EQ(10u, g_wallTextures.size());
    ASSERT_EQ(5u, g_itemImages.size());
    ASSERT_EQ(1u, g_enemyImages.size());
    for (CSurface* s : g_wallTextures) {
        ASSERT_NE(nullptr, s);
        EXPECT_NE(nullptr, s->pixels);
    }
    for (CSurface* s : g_itemImages)
        EXPECT_NE(nullptr, s->pixels);
    EXPECT_NE(nullptr, g_enemyImages[0]->pixels);
    // In the legend's order, told apart by their sizes: wall types 0 to 4
    // are tiles, wood, stone, brick and hedge; item types 0 to 4 dot, gun,
    // barrel, crate and lamp.
    const int wallSizes[5][2] = {{315, 211}, {228, 287}, {288, 224}, {256, 256}, {240, 240}};
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(wallSizes[t][0], g_wallTextures[2 * t]->width) << "wall type " << t;
        EXPECT_EQ(wallSizes[t][1], g_wallTextures[2 * t]->height) << "wall type " << t;
    }
    const int itemSizes[5][2] = {{85, 120}, {120, 100}, {120, 134}, {120, 120}, {72, 134}};
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(itemSizes[t][0], g_itemImages[t]->width) << "item type " << t;
        EXPECT_EQ(itemSizes[t][1], g_itemImages[t]->height) << "item type " << t;
    }
    // Entry 2t + 1 is entry 2t at 60 % brightness: same size, every channel
    // at most 60 % of the plain one and somewhere darker.
    for (int t = 0; t < 5; ++t) {
        const CSurface& plain = *g_wallTextures[2 * t];
        const CSurface& dark = *g_wallTextures[2 * t + 1];
        ASSERT_EQ(plain.width, dark.width);
        ASSERT_EQ(plain.height, dark.height);
        bool bDarker = false;
        for (int y = 0; y < plain.height; ++y) {
            for (int x = 0; x < plain.width; ++x) {
                const uint32_t p = plain.GetPixel(x, y), d = dark.GetPixel(x, y);
                for (int shift : {0, 8, 16}) {
                    const uint32_t pc = (p >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
                    ASSERT_LE(dc, pc * 60 / 100) << x << "," << y;
                    bDarker = bDarker || dc < pc;
                }
            }
        }
        EXPECT_TRUE(bDarker);
    }
}

TEST_F(PictureLists, EveryCallKeepsItsSlotsEvenWithoutAPicture) {
    AddWallTexture(IDB_WALL_TILES, false);
    ASSERT_EQ(2u, g_wallTextures.size());
    EXPECT_NE(nullptr, g_wallTextures[0]);
    EXPECT_EQ(nullptr, g_wallTextures[1]);
    // A missing picture still takes its slots: the pairs never shift.
    AddWallTexture(kMissing, true);
    ASSERT_EQ(4u, g_wallTextures.size());
    ASSERT_NE(nullptr, g_wallTextures[2]);
    EXPECT_EQ(nullptr, g_wallTextures[2]->pixels);
    ASSERT_NE(nullptr, g_wallTextures[3]);
    EXPECT_EQ(nullptr, g_wallTextures[3]->pixels);
    AddItemImage(kMissing);
    AddItemImage(IDB_GUN_PICKUP);
    ASSERT_EQ(2u, g_itemImages.size());
    EXPECT_EQ(nullptr, g_itemImages[0]->pixels);
    EXPECT_NE(nullptr, g_itemImages[1]->pixels);
    AddEnemyImage(kMissing);
    ASSERT_EQ(1u, g_enemyImages.size());
    EXPECT_EQ(nullptr, g_enemyImages[0]->pixels);
}

TEST_F(PictureLists, FreeingEmptiesTheListsAndTwiceIsHarmless) {
    AddWallTexture(IDB_WALL_TILES, false);
    AddWallTexture(IDB_WALL_WOOD, true);
    AddItemImage(IDB_DOT);
    AddEnemyImage(IDB_ENEMY);
    FreeWallTextures();
    FreeItemImages();
    FreeEnemyImages();
    EXPECT_TRUE(g_wallTextures.empty());
    EXPECT_EQ(0u, g_wallTextures.capacity());
    EXPECT_TRUE(g_itemImages.empty());
    EXPECT_TRUE(g_enemyImages.empty());
    FreeWallTextures();
    FreeItemImages();
    FreeEnemyImages();
    EXPECT_TRUE(g_wallTextures.empty());
    // Filled again after freeing, the pairs start at entry 0 once more.
    AddWallTexture(IDB_WALL_WOOD, true);
    EXPECT_EQ(2u, g_wallTextures.size());
}

TEST_F(PictureLists, DigitGlyphsFillAllTenFromTheResourcesAndReachTheTables) {
    LoadDigitGlyphs();
    const unsigned char* data = nullptr;
    size_t size = 0;
    for (int d = 0; d < 10; ++d)
        EXPECT_EQ(g_digitGlyphs[d].pixels != nullptr,
                  PlatFindResource(IDB_DIGIT0 + d, PLAT_RT_BITMAP, &data, &size))
            << d;
    EXPECT_EQ(g_digitGlyphs, SharedPictureTables().digits);
}
