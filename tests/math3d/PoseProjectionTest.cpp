#include "math3d/Math3d.h"
#include "math3d/Pose.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

double TurnedFromZero(double delta) {
    CPose pose;
    pose.Turn(delta);
    return pose.heading;
}

} // namespace

TEST(Pose, TurnWrapsIntoZeroTo360) {
    EXPECT_EQ(TurnedFromZero(370.0), 10.0);
    EXPECT_EQ(TurnedFromZero(-10.0), 350.0);
    EXPECT_EQ(TurnedFromZero(360.0), 360.0); // not folded to 0
    EXPECT_EQ(TurnedFromZero(-360.0), 0.0);
    EXPECT_EQ(TurnedFromZero(720.0), 360.0);
    EXPECT_EQ(TurnedFromZero(-725.5), 354.5);
    EXPECT_EQ(TurnedFromZero(1080.25), 0.25);

    CPose pose;
    pose.heading = 350.0;
    pose.Turn(10.0);
    EXPECT_EQ(pose.heading, 360.0);
    pose.Turn(0.5);
    EXPECT_EQ(pose.heading, 0.5);
    pose.Turn(-0.75);
    EXPECT_EQ(pose.heading, 359.75);
}

TEST(Pose, TurnByHugeOrNonFiniteAmountsEnds) {
    // Large turns land where the steps of 360 would have landed.
    EXPECT_EQ(TurnedFromZero(360.0 * 5000 + 12.5), 12.5);
    EXPECT_EQ(TurnedFromZero(360.0 * 5000), 360.0);
    EXPECT_EQ(TurnedFromZero(-360.0 * 5000 - 10.0), 350.0);
    const double backToZero = TurnedFromZero(-360.0 * 5000);
    EXPECT_EQ(backToZero, 0.0);
    EXPECT_FALSE(std::signbit(backToZero));
    const double huge = TurnedFromZero(1e300);
    EXPECT_GE(huge, 0.0);
    EXPECT_LE(huge, 360.0);

    CPose pose;
    pose.heading = 45.0;
    pose.Turn(std::numeric_limits<double>::infinity());
    EXPECT_EQ(pose.heading, 45.0);
    pose.Turn(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(pose.heading, 45.0);
    pose.Turn(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(pose.heading, 45.0);
}

TEST(Pose, MoveForwardFollowsTheHeadingOnTheFloor) {
    CPose pose;
    pose.Set(2.5, 0.5, 3.5);
    pose.MoveForward(1.0);
    EXPECT_EQ(pose.x, 2.5);
    EXPECT_EQ(pose.z, 2.5);
    EXPECT_EQ(pose.y, 0.5);

    pose.heading = 90.0;
    pose.MoveForward(1.0);
    EXPECT_EQ(pose.x, 3.5);
    EXPECT_NEAR(pose.z, 2.5, 1e-16);
    EXPECT_EQ(pose.y, 0.5);

    pose.heading = 180.0;
    pose.MoveForward(-2.0); // backward
    EXPECT_NEAR(pose.z, 0.5, 1e-15);

    // The view matrix sees the step as one unit straight ahead.
    CPose walker;
    walker.Set(4.5, 0.5, 6.5);
    walker.heading = 217.0;
    const CMatrix view = walker.GetViewMatrix();
    CPose ahead = walker;
    ahead.MoveForward(1.0);
    const CVector seen = view.Apply(ahead);
    EXPECT_NEAR(seen.x, 0.0, 1e-12);
    EXPECT_NEAR(seen.z, -1.0, 1e-12);

    CMatrix direct;
    direct.SetView(4.5, 0.5, 6.5, 217.0);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(view.m[r][c], direct.m[r][c]);
}

TEST(Projection, PointsLandOnTheDesignedPixels) {
    // 240 x 320 with f = 0.6 * 240.
    EXPECT_EQ(CVector(1, 0, -2).ProjectToScreen(240, 320, 144.0), (CScreenPoint{192, 160}));
    EXPECT_EQ(CVector(0, 0, -2).ProjectToScreen(240, 320, 144.0), (CScreenPoint{120, 160}));
    EXPECT_EQ(CVector(0, -0.5, -2).ProjectToScreen(240, 320, 144.0), (CScreenPoint{120, 196}));
    EXPECT_EQ(CVector(-0.5, 0.5, -0.5).ProjectToScreen(240, 320, 144.0), (CScreenPoint{-24, 16}));
    // Behind the camera: depth clamped to 0.2, x and y zero give the centre.
    EXPECT_EQ(CVector(0, 0, 5).ProjectToScreen(240, 320, 144.0), (CScreenPoint{120, 160}));
    // Just in front but nearer than 0.2: py = trunc(-5 * 144) = -720.
    EXPECT_EQ(CVector(0, 1, -0.1).ProjectToScreen(240, 320, 144.0), (CScreenPoint{120, -560}));
    // A point beside and behind is thrown out on its own side.
    EXPECT_EQ(CVector(1, 0, 3).ProjectToScreen(240, 320, 144.0), (CScreenPoint{840, 160}));
    // Integer halves round toward zero.
    EXPECT_EQ(CVector(0, 0, -1).ProjectToScreen(241, 321, 144.6), (CScreenPoint{120, 160}));
    // Offsets truncate toward zero on both sides: 1.5 -> 1, -1.5 -> -1.
    EXPECT_EQ(CVector(-0.015, 0.015, -1.44).ProjectToScreen(240, 320, 144.0),
              (CScreenPoint{119, 159}));
    EXPECT_EQ(CVector(0.015, -0.015, -1.44).ProjectToScreen(240, 320, 144.0),
              (CScreenPoint{121, 161}));

    const CVector v(0.25, 0.75, 0.1);
    v.ProjectToScreen(240, 320, 144.0);
    EXPECT_EQ(v.z, 0.1); // only the working copy is clamped
}

TEST(Projection, DegeneratePointsStayDefined) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(CVector(nan, nan, nan).ProjectToScreen(240, 320, 144.0), (CScreenPoint{120, 160}));
    const CScreenPoint far = CVector(1e300, -1e300, -1.0).ProjectToScreen(240, 320, 144.0);
    EXPECT_GT(far.x, 100000000); // right of the camera, thrown far right
    EXPECT_GT(far.y, 100000000);
    const CScreenPoint wide = CVector(-inf, 0, -1.0).ProjectToScreen(240, 320, 144.0);
    EXPECT_LT(wide.x, -100000000);

    EXPECT_EQ(TruncateToInt32(2.9), 2);
    EXPECT_EQ(TruncateToInt32(-2.9), -2);
    EXPECT_EQ(TruncateToInt32(-0.5), 0);
}

TEST(Projection, Distance2D) {
    EXPECT_EQ(Distance2D(0, 0, 3, 4), 5.0);
    EXPECT_EQ(Distance2D(3, 4, 0, 0), 5.0);
    EXPECT_EQ(Distance2D(-1.5, 2.0, -1.5, 2.0), 0.0);
}
