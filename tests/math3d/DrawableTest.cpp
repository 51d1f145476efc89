// Sprites and wall quads without a screen: transforms, depth keys,
// visibility windows, region tests and crossings.
#include "math3d/Math3d.h"
#include "math3d/Pose.h"
#include "math3d/Sprite.h"
#include "math3d/WallQuad.h"

#include <gtest/gtest.h>

namespace {

CMatrix Translation(double x, double y, double z) {
    CMatrix m;
    m.SetTranslation(x, y, z);
    return m;
}

struct SpriteSeen {
    double key;
    bool visible;
};

// A sprite standing at the origin, moved to view depth z.
SpriteSeen SpriteAtDepth(double z) {
    CSprite sprite;
    sprite.m_top.Set(0, 0.5, 0);
    sprite.Transform(Translation(0, 0, z));
    return {sprite.GetDepthKey(), sprite.IsVisible()};
}

// The face above the open cell (c, r), as the maze builder makes it.
void SetFaceAbove(CWallQuad& quad, double c, double r) {
    quad.SetCorners(CVector(c, 1, r), CVector(c + 1, 1, r), CVector(c + 1, 0, r), CVector(c, 0, r));
}

// A quad whose top edge lies at z = 0, moved so that its key is exactly k.
bool QuadVisibleAtKey(double k) {
    CWallQuad quad;
    SetFaceAbove(quad, 0, 0);
    quad.Transform(Translation(0, 0, k));
    EXPECT_EQ(quad.GetDepthKey(), k);
    return quad.IsVisible();
}

const PlatRect kRegion = {0, 0, 5, 5};

} // namespace

TEST(Sprite, DepthKeyAndVisibilityWindow) {
    EXPECT_EQ(SpriteAtDepth(-0.2).key, -0.2);
    EXPECT_FALSE(SpriteAtDepth(-0.2).visible);
    // -0.5 + 0.4 is above -0.3, so the true depth is the key.
    EXPECT_EQ(SpriteAtDepth(-0.5).key, -0.5);
    EXPECT_TRUE(SpriteAtDepth(-0.5).visible);
    EXPECT_EQ(SpriteAtDepth(-3.0).key, -3.0 + 0.4);
    EXPECT_TRUE(SpriteAtDepth(-10.3).visible);  // key -9.9
    EXPECT_FALSE(SpriteAtDepth(-10.5).visible); // key -10.1
    EXPECT_FALSE(SpriteAtDepth(5.0).visible);   // behind the camera

    // Visibility needs this frame's transform, whatever the stored points say.
    CSprite sprite;
    EXPECT_EQ(sprite.GetKind(), CDrawable::KindSprite);
    sprite.Transform(Translation(0, 0, -2.0));
    EXPECT_TRUE(sprite.IsTransformed());
    sprite.ResetFrame();
    EXPECT_FALSE(sprite.IsTransformed());
    EXPECT_FALSE(sprite.IsVisible());
    EXPECT_EQ(sprite.GetViewBase().z, -2.0);
    EXPECT_FALSE(CSprite().IsVisible());
}

TEST(Sprite, TransformMovesBothPointsAndRegionTruncates) {
    CPose eye;
    eye.Set(2.5, 0.5, 4.5);
    CSprite item; // an item two cells ahead of the eye
    item.m_base.Set(2.5, 0.0, 2.5);
    item.m_top.Set(2.5, 0.5, 2.5);
    item.Transform(eye.GetViewMatrix());
    EXPECT_EQ(item.GetViewTop().x, 0.0);
    EXPECT_EQ(item.GetViewTop().y, 0.0);
    EXPECT_EQ(item.GetViewTop().z, -2.0);
    EXPECT_EQ(item.GetViewBase().y, -0.5);
    EXPECT_EQ(item.GetViewBase().z, -2.0);
    EXPECT_FALSE(item.IsProjected());
    // Its points project to the horizon row and 36 rows below it.
    EXPECT_EQ(item.GetViewTop().ProjectToScreen(240, 320, 144.0), (CScreenPoint{120, 160}));
    EXPECT_EQ(item.GetViewBase().ProjectToScreen(240, 320, 144.0), (CScreenPoint{120, 196}));

    CSprite s;
    s.m_base.Set(-0.5, 0, 4.9); // truncates to cell (0, 4), not (-1, 4)
    EXPECT_TRUE(s.IsInRegion(kRegion));
    s.m_base.Set(4.99, 0, 0.0);
    EXPECT_TRUE(s.IsInRegion(kRegion));
    s.m_base.Set(5.0, 0, 0.0); // right edge excluded
    EXPECT_FALSE(s.IsInRegion(kRegion));
    s.m_base.Set(0.5, 0, 5.0); // bottom edge excluded
    EXPECT_FALSE(s.IsInRegion(kRegion));
    s.m_base.Set(-1.0, 0, 1.0);
    EXPECT_FALSE(s.IsInRegion(kRegion));
}

TEST(WallQuad, UprightShapesAndRegion) {
    CWallQuad quad;
    EXPECT_TRUE(quad.IsUpright()); // four equal corners
    EXPECT_EQ(quad.GetKind(), CDrawable::KindWallQuad);

    const double c = 3, r = 2;
    const CVector faces[4][4] = {
        {{c, 1, r}, {c + 1, 1, r}, {c + 1, 0, r}, {c, 0, r}},
        {{c + 1, 1, r}, {c + 1, 1, r + 1}, {c + 1, 0, r + 1}, {c + 1, 0, r}},
        {{c + 1, 1, r + 1}, {c, 1, r + 1}, {c, 0, r + 1}, {c + 1, 0, r + 1}},
        {{c, 1, r + 1}, {c, 1, r}, {c, 0, r}, {c, 0, r + 1}},
    };
    for (const auto& f : faces) {
        quad.SetCorners(f[0], f[1], f[2], f[3]);
        EXPECT_TRUE(quad.IsUpright());
    }

    // Each of the six conditions on its own breaks uprightness.
    const CVector base[4] = {{0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}};
    const int corner[6] = {3, 3, 2, 2, 1, 2};
    const int axis[6] = {0, 2, 0, 2, 1, 1};
    for (int i = 0; i < 6; ++i) {
        CVector v[4] = {base[0], base[1], base[2], base[3]};
        double* field[3] = {&v[corner[i]].x, &v[corner[i]].y, &v[corner[i]].z};
        *field[axis[i]] += 0.25;
        quad.SetCorners(v[0], v[1], v[2], v[3]);
        EXPECT_FALSE(quad.IsUpright()) << "condition " << i;
        // A quad of any other shape is never culled by region.
        EXPECT_TRUE(quad.IsInRegion({100, 100, 101, 101}));
    }

    // Upright: corner 0's cell decides, truncated toward zero.
    quad.SetCorners(CVector(-0.5, 1, 4.5), CVector(0.5, 1, 4.5), CVector(0.5, 0, 4.5),
                    CVector(-0.5, 0, 4.5));
    EXPECT_TRUE(quad.IsInRegion(kRegion));
    SetFaceAbove(quad, 5, 1);
    EXPECT_FALSE(quad.IsInRegion(kRegion));
    SetFaceAbove(quad, 4, 1);
    EXPECT_TRUE(quad.IsInRegion(kRegion));
}

TEST(WallQuad, WallStraightAheadFillsTheScreenFromRow16To304) {
    CPose eye;
    eye.Set(6.5, 0.5, 3.5); // centre of the open cell (6, 3), facing up
    CWallQuad quad;
    SetFaceAbove(quad, 6, 3);
    quad.Transform(eye.GetViewMatrix());
    const double expected[4][3] = {
        {-0.5, 0.5, -0.5}, {0.5, 0.5, -0.5}, {0.5, -0.5, -0.5}, {-0.5, -0.5, -0.5}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(quad.GetViewCorner(k).x, expected[k][0]) << k;
        EXPECT_EQ(quad.GetViewCorner(k).y, expected[k][1]) << k;
        EXPECT_EQ(quad.GetViewCorner(k).z, expected[k][2]) << k;
    }
    EXPECT_EQ(quad.GetDepthKey(), -0.5);
    EXPECT_TRUE(quad.IsVisible());
    const CScreenPoint screen[4] = {{-24, 16}, {264, 16}, {264, 304}, {-24, 304}};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(quad.GetViewCorner(k).ProjectToScreen(240, 320, 144.0), screen[k]) << k;

    // Turned round, the same face is seen from behind: left lies right of right.
    eye.Set(6.5, 0.5, 2.5);
    eye.heading = 180.0;
    quad.Transform(eye.GetViewMatrix());
    EXPECT_GT(quad.GetViewCorner(0).ProjectToScreen(240, 320, 144.0).x,
              quad.GetViewCorner(1).ProjectToScreen(240, 320, 144.0).x);
}

TEST(WallQuad, UprightFastPathMatchesAFullTransform) {
    CWallQuad quad;
    quad.SetCorners(CVector(4, 1, 7), CVector(4, 1, 8), CVector(4, 0, 8), CVector(4, 0, 7));
    ASSERT_TRUE(quad.IsUpright());
    for (int i = 0; i < 720; ++i) {
        const double heading = i * 0.5 + 0.125;
        CMatrix view;
        view.SetView(1.5 + i * 0.01, 0.5, 2.25 - i * 0.02, heading);
        quad.Transform(view);
        for (int k = 0; k < 4; ++k) {
            const CVector full = view.Apply(quad.GetCorner(k));
            EXPECT_NEAR(quad.GetViewCorner(k).x, full.x, 1e-12) << heading << " corner " << k;
            EXPECT_NEAR(quad.GetViewCorner(k).y, full.y, 1e-12) << heading << " corner " << k;
            EXPECT_NEAR(quad.GetViewCorner(k).z, full.z, 1e-12) << heading << " corner " << k;
        }
    }

    // A slanted quad takes all four corners through the matrix.
    CWallQuad slanted;
    slanted.SetCorners(CVector(0, 1, 0), CVector(1, 1.5, 0), CVector(1, 0, 0.5), CVector(0, 0, 0));
    ASSERT_FALSE(slanted.IsUpright());
    CMatrix view;
    view.SetView(0.5, 0.5, 3.0, 20.0);
    slanted.Transform(view);
    for (int k = 0; k < 4; ++k) {
        const CVector full = view.Apply(slanted.GetCorner(k));
        EXPECT_EQ(slanted.GetViewCorner(k).x, full.x);
        EXPECT_EQ(slanted.GetViewCorner(k).y, full.y);
        EXPECT_EQ(slanted.GetViewCorner(k).z, full.z);
    }
}

TEST(WallQuad, VisibilityWindowNeedsThisFramesTransform) {
    EXPECT_TRUE(QuadVisibleAtKey(0.4));
    EXPECT_FALSE(QuadVisibleAtKey(0.5));
    EXPECT_FALSE(QuadVisibleAtKey(-10.0));
    EXPECT_TRUE(QuadVisibleAtKey(-9.99));

    CWallQuad quad;
    SetFaceAbove(quad, 0, 0);
    quad.Transform(Translation(0, 0, -2.0));
    quad.ResetFrame();
    EXPECT_FALSE(quad.IsTransformed());
    EXPECT_FALSE(quad.IsVisible());
}

TEST(WallQuad, IntersectWithTheTopEdgeLine) {
    CWallQuad quad;
    SetFaceAbove(quad, 0, 0); // top edge from (0, 0) to (1, 0) in x/z
    double x = 7, z = 7, t = 7, d = 7;

    // Not transformed this frame: nothing written.
    EXPECT_EQ(quad.Intersect(0.5, 2, 0.5, -2, &x, &z, &t, &d), 0);
    EXPECT_EQ(x, 7.0);
    EXPECT_EQ(t, 7.0);

    quad.Transform(Translation(0, 0, -2)); // top edge now at z = -2
    EXPECT_EQ(quad.Intersect(0.5, 0, 0.5, -4, &x, &z, &t, &d), 1);
    EXPECT_EQ(t, 0.5);
    EXPECT_EQ(x, 0.5);
    EXPECT_EQ(z, -2.0);
    EXPECT_EQ(d, 2.0);

    // Exactly at the end of the segment still counts.
    EXPECT_EQ(quad.Intersect(3, 0, 3, -2, &x, &z, &t, &d), 1);
    EXPECT_EQ(t, 1.0);
    EXPECT_EQ(x, 3.0); // beyond the face's ends: only the line is tested

    // Short of the line: written, but no crossing.
    EXPECT_EQ(quad.Intersect(0, 0, 0.375, -0.5, &x, &z, &t, &d), 0);
    EXPECT_EQ(t, 4.0);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(z, -2.0);
    EXPECT_EQ(d, 2.5);

    // Parallel: nothing written.
    x = z = t = d = 7;
    EXPECT_EQ(quad.Intersect(0, 0, 5, 0, &x, &z, &t, &d), 0);
    EXPECT_EQ(x, 7.0);
    EXPECT_EQ(z, 7.0);
    EXPECT_EQ(t, 7.0);
    EXPECT_EQ(d, 7.0);

    // The base drawable never crosses.
    CSprite sprite;
    sprite.Transform(CMatrix());
    EXPECT_EQ(sprite.Intersect(0, 0, 1, 1, &x, &z, &t, &d), 0);
    EXPECT_EQ(t, 7.0);
}
