// Sprites and wall quads projected onto and drawn on a real (headless)
// screen.
#include "math3d/HeadlessScreen.h"
#include "math3d/Pose.h"
#include "math3d/Sprite.h"
#include "math3d/WallQuad.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr uint32_t kBackground = 0x00402010;
constexpr uint32_t kPaint = 0x0000C000;
constexpr uint32_t kKey = 0x000000FF;

CMatrix Identity() {
    return CMatrix();
}

// An image of one colour; column `keyColumn` (if any) in the key colour.
void MakeImage(CSurface& image, int32_t w, int32_t h, int32_t keyColumn = -1) {
    ASSERT_TRUE(image.Create(w, h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.SetPixel(x, y, x == keyColumn ? kKey : kPaint);
}

// A sprite whose view points are (0, topY, z) and (0, baseY, z).
void PlaceSprite(CSprite& sprite, double topY, double baseY, double z) {
    sprite.m_top.Set(0, topY, z);
    sprite.m_base.Set(0, baseY, z);
    sprite.Transform(Identity());
}

} // namespace

TEST(SpriteOnScreen, SizeFollowsTheProjectedHeightAndTheImageProportions) {
    CHeadlessScreen screen;
    EXPECT_EQ(screen->projectionScale, 144.0);
    CSurface image;
    MakeImage(image, 20, 30);
    CSprite sprite;
    sprite.m_pImage = &image;

    // Projected height 45: width 30, left edge 15 pixels left of the top point.
    PlaceSprite(sprite, 0.0, -0.63, -2.0); // base row 160 + trunc(45.36)
    sprite.Project(*screen);
    EXPECT_TRUE(sprite.IsProjected());
    EXPECT_EQ(sprite.GetScreenTop(), (CScreenPoint{120, 160}));
    EXPECT_EQ(sprite.GetScreenBase(), (CScreenPoint{120, 205}));
    screen.Clear(kBackground);
    sprite.Draw(*screen);
    EXPECT_EQ(RectText(screen.Changed(kBackground)), RectText({105, 160, 135, 205}));

    // Height 46: 20 * 46 / 30 = 30.67, truncated to 30.
    PlaceSprite(sprite, 0.0, -0.6431, -2.0);
    sprite.Project(*screen);
    screen.Clear(kBackground);
    sprite.Draw(*screen);
    EXPECT_EQ(RectText(screen.Changed(kBackground)), RectText({105, 160, 135, 206}));

    // The item two units ahead of the eye: 36 rows from the horizon down.
    CSurface square;
    MakeImage(square, 16, 16);
    CPose eye;
    eye.Set(2.5, 0.5, 4.5);
    CSprite item;
    item.m_base.Set(2.5, 0.0, 2.5);
    item.m_top.Set(2.5, 0.5, 2.5);
    item.m_pImage = &square;
    item.Transform(eye.GetViewMatrix());
    item.Project(*screen);
    screen.Clear(kBackground);
    item.Draw(*screen);
    EXPECT_EQ(RectText(screen.Changed(kBackground)), RectText({102, 160, 138, 196}));
}

TEST(SpriteOnScreen, KeyedPixelsAndDegenerateSpritesDrawNothing) {
    CHeadlessScreen screen;
    CSurface image;
    MakeImage(image, 10, 10, 0);
    CSprite sprite;
    sprite.m_pImage = &image;
    PlaceSprite(sprite, 0.5, -0.5, -1.44); // 100 rows high, 100 wide
    sprite.Project(*screen);
    screen.Clear(kBackground);
    sprite.Draw(*screen);
    // Column 0 of the image is the key: the first tenth stays background.
    EXPECT_EQ(RectText(screen.Changed(kBackground)), RectText({80, 110, 170, 210}));

    // No image, an empty image, a zero or negative height: nothing, no fault.
    screen.Clear(kBackground);
    sprite.m_pImage = nullptr;
    sprite.Draw(*screen);
    CSurface empty;
    sprite.m_pImage = &empty;
    sprite.Draw(*screen);
    sprite.m_pImage = &image;
    PlaceSprite(sprite, -0.5, -0.5, -2.0);
    sprite.Project(*screen);
    sprite.Draw(*screen);
    PlaceSprite(sprite, -0.5, 0.5, -2.0); // upside down
    sprite.Project(*screen);
    sprite.Draw(*screen);
    EXPECT_EQ(RectText(screen.Changed(kBackground)), RectText({0, 0, 0, 0}));
}

TEST(WallQuadOnScreen, TheWallAheadCoversEveryColumnFromRow16To304) {
    CHeadlessScreen screen;
    CSurface texture;
    MakeImage(texture, 32, 32);
    CPose eye;
    eye.Set(3.5, 0.5, 5.5);
    CWallQuad quad;
    quad.SetCorners(CVector(3, 1, 5), CVector(4, 1, 5), CVector(4, 0, 5), CVector(3, 0, 5));
    quad.m_pTexture = &texture;
    quad.Transform(eye.GetViewMatrix());
    quad.Project(*screen);
    EXPECT_TRUE(quad.IsProjected());
    const CScreenPoint expected[4] = {{-24, 16}, {264, 16}, {264, 304}, {-24, 304}};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(quad.GetScreenCorner(k), expected[k]) << k;
    screen.Clear(kBackground);
    quad.Draw(*screen);
    EXPECT_EQ(RectText(screen.Changed(kBackground)), RectText({0, 16, 240, 305}));
    for (int32_t x = 0; x < 240; ++x) {
        EXPECT_EQ(screen->GetPixel(x, 16), kPaint) << x;
        EXPECT_EQ(screen->GetPixel(x, 304), kPaint) << x;
    }

    quad.ResetFrame();
    EXPECT_FALSE(quad.IsProjected());
}

TEST(WallQuadOnScreen, BackFacesEdgesAndMissingTexturesDrawNothing) {
    CHeadlessScreen screen;
    CSurface texture;
    MakeImage(texture, 32, 32);
    CWallQuad quad;
    quad.SetCorners(CVector(3, 1, 5), CVector(4, 1, 5), CVector(4, 0, 5), CVector(3, 0, 5));
    quad.m_pTexture = &texture;
    screen.Clear(kBackground);

    // From behind: standing in the wall cell, looking back at the face.
    CPose eye;
    eye.Set(3.5, 0.5, 4.5);
    eye.heading = 180.0;
    quad.Transform(eye.GetViewMatrix());
    quad.Project(*screen);
    EXPECT_GT(quad.GetScreenCorner(0).x, quad.GetScreenCorner(1).x);
    quad.Draw(*screen);

    // Exactly edge-on, from the face's own plane: both ends on the centre
    // column.
    eye.Set(1.0, 0.5, 5.0);
    eye.heading = 90.0;
    quad.Transform(eye.GetViewMatrix());
    quad.Project(*screen);
    EXPECT_EQ(quad.GetScreenCorner(0).x, quad.GetScreenCorner(1).x);
    quad.Draw(*screen);

    // Seen from the front, but without a usable texture.
    eye.Set(3.5, 0.5, 6.5);
    eye.heading = 0.0;
    quad.Transform(eye.GetViewMatrix());
    quad.Project(*screen);
    quad.m_pTexture = nullptr;
    quad.Draw(*screen);
    CSurface empty;
    quad.m_pTexture = &empty;
    quad.Draw(*screen);
    EXPECT_EQ(RectText(screen.Changed(kBackground)), RectText({0, 0, 0, 0}));

    quad.m_pTexture = &texture; // the same view with the texture does draw
    quad.Draw(*screen);
    EXPECT_NE(RectText(screen.Changed(kBackground)), RectText({0, 0, 0, 0}));
}

// The cull against the drawing it spares: random upright faces, of the
// maze's unit width and others, seen from anywhere (inside the near depth,
// beside and behind the face, edge-on) on screens of many widths, each
// alone and within a random box round it. Every face it hides, alone or
// with its box, is then transformed, projected and drawn as a frame would
// draw it, onto one screen that must stay untouched; and it must hide most
// faces and many boxes while passing some.
TEST(WallQuadOnScreen, TheCullHidesOnlyFacesThatDrawNothing) {
    std::mt19937 rng(17);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    CSurface texture;
    MakeImage(texture, 16, 16);
    int hidden = 0, shown = 0, boxesHidden = 0;
    for (const int32_t width : {1, 2, 7, 120, 240, 241, 320}) {
        const int32_t height = 320;
        const double f = 0.6 * width;
        CSurface screen;
        ASSERT_TRUE(screen.Create(width, height));
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                screen.SetPixel(x, y, kBackground);
        const double reach = SideReach(width, f);
        for (int trial = 0; trial < 4000; ++trial) {
            // A face from (x0, z0) to (x1, z1), axis-aligned as the maze's
            // faces are, or at any angle and length.
            const double x0 = std::floor(uniform(-8, 8)), z0 = std::floor(uniform(-8, 8));
            const double angle = trial % 3 ? 90.0 * (rng() % 4) : uniform(0, 360);
            const double length = trial % 3 ? 1.0 : uniform(0.05, 3.0);
            const double x1 = x0 + length * std::cos(angle * M_PI / 180);
            const double z1 = z0 + length * std::sin(angle * M_PI / 180);
            CWallQuad quad;
            quad.SetCorners(CVector(x0, 1, z0), CVector(x1, 1, z1), CVector(x1, 0, z1),
                            CVector(x0, 0, z0));
            quad.m_pTexture = &texture;
            // Often close to the face, down to its own plane.
            CPose eye;
            const double t = uniform(-0.2, 1.2),
                         off = trial % 2 ? uniform(-0.4, 0.4) : uniform(-9, 9);
            eye.Set(x0 + t * (x1 - x0) - off * (z1 - z0) / length, 0.5,
                    z0 + t * (z1 - z0) + off * (x1 - x0) / length);
            eye.heading = trial % 5 ? uniform(0, 360) : 90.0 * (rng() % 4);
            const CMatrix view = eye.GetViewMatrix();
            quad.Transform(view);
            // Alone, or within a box round it that is hidden whole.
            const CUprightCull cull(view, reach);
            const CVector low(std::min(x0, x1) - uniform(0, 1), 0,
                              std::min(z0, z1) - uniform(0, 1));
            const CVector high(std::max(x0, x1) + uniform(0, 1), 1,
                               std::max(z0, z1) + uniform(0, 1));
            // A unit face from a corner at whole (x, z) lies in the block
            // HidesFacesAt tests.
            const bool boxHidden =
                cull.HidesBox(low, high) || (trial % 3 && cull.HidesFacesAt(int(x0), int(z0)));
            boxesHidden += boxHidden;
            if (!boxHidden && !cull.Hides(quad.GetCorner(0), quad.GetCorner(2))) {
                ++shown;
                continue;
            }
            ++hidden;
            if (!quad.IsVisible())
                continue;
            CScreenPoint s[4];
            for (int k = 0; k < 4; ++k)
                s[k] = quad.GetViewCorner(k).ProjectToScreen(width, height, f);
            screen.StretchToTrapezoid(texture, s[0].x, s[1].x, s[0].y, s[1].y, s[3].y, s[2].y);
        }
        int32_t touched = 0;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                touched += screen.GetPixel(x, y) != kBackground;
        EXPECT_EQ(touched, 0) << "width " << width;
    }
    EXPECT_GT(hidden, 7 * 4000 * 2 / 5);
    EXPECT_GT(shown, 7 * 4000 / 10);
    EXPECT_GT(boxesHidden, 7 * 4000 / 5);
}
