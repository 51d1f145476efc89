#include "math3d/Matrix.h"
#include "math3d/Math3d.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <utility>

namespace {

void ExpectMatrixEq(const CMatrix& a, const CMatrix& b) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(a.m[r][c], b.m[r][c]) << "element " << r << "," << c;
}

} // namespace

TEST(Matrix, IdentityTranslationAndApply) {
    CMatrix identity;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(identity.m[r][c], r == c ? 1.0 : 0.0);

    const CVector v(1.25, -2.5, 3.75);
    const CVector same = identity.Apply(v);
    EXPECT_EQ(same.x, 1.25);
    EXPECT_EQ(same.y, -2.5);
    EXPECT_EQ(same.z, 3.75);

    // The translation column is added exactly once.
    CMatrix t;
    t.SetTranslation(1, 2, 3);
    const CVector moved = t.Apply(CVector());
    EXPECT_EQ(moved.x, 1.0);
    EXPECT_EQ(moved.y, 2.0);
    EXPECT_EQ(moved.z, 3.0);

    // SetTranslation overwrites whatever was there before.
    CMatrix r;
    r.SetRotationY(33.0);
    r.SetTranslation(-4, 5, -6);
    CMatrix expected;
    expected.m[0][3] = -4;
    expected.m[1][3] = 5;
    expected.m[2][3] = -6;
    ExpectMatrixEq(r, expected);
}

// Summing 1e16 + 1 + 1 - 1e16 in the wrong order gives 2 instead of 0, so
// these catch any reordering of the terms.
TEST(Matrix, ProductAndApplyKeepTheirOrderOfOperations) {
    CMatrix a;
    a.m[0][0] = -1e16;
    a.m[0][1] = 1e16;
    a.m[0][2] = 1.0;
    a.m[0][3] = 1.0;
    CMatrix b;
    for (int r = 0; r < 4; ++r)
        b.m[r][0] = 1.0;
    // Terms 1, 2, 3, then 0: ((1e16 + 1) + 1) - 1e16 = 0.
    EXPECT_EQ((a * b).m[0][0], 0.0);

    CMatrix m;
    m.m[0][0] = 1e16;
    m.m[0][1] = 1.0;
    m.m[0][2] = 1.0;
    m.m[0][3] = -1e16;
    m.m[1][0] = 1.0;
    m.m[1][1] = 1e16;
    m.m[1][2] = -1e16;
    m.m[1][3] = 1.0;
    const CVector out = m.Apply(CVector(1.0, 1.0, 1.0));
    EXPECT_EQ(out.x, 0.0); // ((1e16 + 1) + 1) - 1e16
    EXPECT_EQ(out.y, 1.0); // ((1 + 1e16) - 1e16) + 1
    EXPECT_EQ(out.z, 1.0); // row 2 of the identity
}

TEST(Matrix, ProductAppliesTheRightOperandFirstAndMayOverwriteAnOperand) {
    CMatrix rotate;
    rotate.SetRotationY(90.0);
    CMatrix translate;
    translate.SetTranslation(1.0, 0.0, 0.0);

    // rotate * translate: first move to (1, 0, 0), then turn to (0, 0, -1).
    const CVector p = (rotate * translate).Apply(CVector());
    EXPECT_NEAR(p.x, 0.0, 1e-15);
    EXPECT_NEAR(p.z, -1.0, 1e-15);
    // translate * rotate: the origin stays put under the turn, then moves.
    const CVector q = (translate * rotate).Apply(CVector());
    EXPECT_EQ(q.x, 1.0);
    EXPECT_EQ(q.z, 0.0);

    CMatrix product = rotate * translate;
    CMatrix a = rotate;
    a = a * translate;
    ExpectMatrixEq(a, product);
    CMatrix b = translate;
    b = rotate * b;
    ExpectMatrixEq(b, product);

    // The product reads row 3 of the right operand.
    CMatrix odd;
    odd.m[3][0] = 2.0;
    CMatrix shift;
    shift.SetTranslation(0.0, 0.0, 5.0);
    EXPECT_EQ((shift * odd).m[2][0], 10.0);
}

TEST(Matrix, RotationAboutTheVertical) {
    for (double deg : {0.0, 30.0, 90.0, 181.5, 360.0, -45.0}) {
        CMatrix r;
        r.SetTranslation(7, 8, 9); // overwritten
        r.SetRotationY(deg);
        double s, c;
        SinCosDegrees(deg, &s, &c);
        EXPECT_EQ(r.m[0][0], c);
        EXPECT_EQ(r.m[0][2], s);
        EXPECT_EQ(r.m[2][0], -s);
        EXPECT_EQ(r.m[2][2], c);
        EXPECT_EQ(r.m[1][1], 1.0);
        EXPECT_EQ(r.m[0][3], 0.0);
        EXPECT_EQ(r.m[2][3], 0.0);
        EXPECT_EQ(r.m[3][3], 1.0);
    }
}

// The game's one sine and cosine: exact on the quarter turns, within 2 units
// in the last place elsewhere, and the same bits on every platform (the hash
// over a sweep was recorded natively and must come out the same in the
// browser build, whose C library rounds differently).
TEST(Matrix, SinCosDegreesIsAccurateAndTheSameEverywhere) {
    double s, c;
    const double quarters[][3] = {{0, 0, 1},    {90, 1, 0},  {180, 0, -1}, {270, -1, 0},
                                  {-90, -1, 0}, {720, 0, 1}, {-9e8, 0, 1}, {450, 1, 0}};
    for (const auto& q : quarters) {
        SinCosDegrees(q[0], &s, &c);
        EXPECT_EQ(s, q[1]) << q[0];
        EXPECT_EQ(c, q[2]) << q[0];
    }
    SinCosDegrees(30, &s, &c);
    EXPECT_NEAR(s, 0.5, 1e-16);

    uint64_t hash = 14695981039346656037ull;
    double worst = 0;
    for (int i = 0; i <= 20000; ++i) {
        const double deg = i * 0.37 - 1000.0;
        SinCosDegrees(deg, &s, &c);
        for (double v : {s, c}) {
            uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            hash = (hash ^ bits) * 1099511628211ull;
        }
        // Whole turns come off exactly first, so the reference itself is
        // good to far below a unit in the last place.
        const long double a =
            std::remainder(deg, 360.0) * 3.14159265358979323846264338327950288L / 180;
        for (const auto& [got, want] :
             {std::pair<double, long double>{s, std::sin(a)}, {c, std::cos(a)}}) {
            if (std::fabs(want) > 0.1L) {
                const double ulp = std::ldexp(1.0, std::ilogb(static_cast<double>(want)) - 52);
                worst = std::max(worst, static_cast<double>(std::fabs(got - want)) / ulp);
            }
        }
    }
    EXPECT_LE(worst, 2.0);
    EXPECT_EQ(hash, 0x47B88F1283BE87D4ull) << std::hex << hash;

    SinCosDegrees(std::nan(""), &s, &c);
    EXPECT_TRUE(std::isnan(s) && std::isnan(c));
    SinCosDegrees(-INFINITY, &s, &c);
    EXPECT_TRUE(std::isnan(s) && std::isnan(c));
}

TEST(Matrix, ViewLooksAlongTheHeading) {
    CMatrix view;
    // Heading 0 is a pure translation, whatever heading was used before.
    view.SetView(1.0, 2.0, 3.0, 50.0);
    view.SetView(2.5, 0.5, -7.0, 0.0);
    CMatrix expected;
    expected.SetTranslation(-2.5, -0.5, 7.0);
    ExpectMatrixEq(view, expected);

    for (int i = 0; i < 72; ++i) {
        const double heading = i * 5.0 + 0.25;
        const double a = heading * kDegToRad;
        const CVector eye(3.5, 0.5, 4.5);
        view.SetView(eye.x, eye.y, eye.z, heading);
        // One step forward ends straight ahead, one unit away.
        const CVector ahead = view.Apply(CVector(eye.x + std::sin(a), eye.y, eye.z - std::cos(a)));
        EXPECT_NEAR(ahead.x, 0.0, 1e-12) << heading;
        EXPECT_NEAR(ahead.y, 0.0, 1e-12) << heading;
        EXPECT_NEAR(ahead.z, -1.0, 1e-12) << heading;
        // A quarter turn clockwise from the heading lies to the right.
        const double b = (heading + 90.0) * kDegToRad;
        const CVector right =
            view.Apply(CVector(eye.x + std::sin(b), eye.y + 1.0, eye.z - std::cos(b)));
        EXPECT_NEAR(right.x, 1.0, 1e-12) << heading;
        EXPECT_NEAR(right.y, 1.0, 1e-12) << heading;
        EXPECT_NEAR(right.z, 0.0, 1e-12) << heading;
    }
}

TEST(Matrix, ViewRebuildsItsRotationOnlyWhenTheHeadingChanges) {
    CMatrix first;
    first.SetView(1.0, 0.5, 2.0, 123.25);
    const unsigned builds = CMatrix::ViewRotationBuilds();
    CMatrix second;
    second.SetView(-3.0, 0.5, 9.0, 123.25);
    EXPECT_EQ(CMatrix::ViewRotationBuilds(), builds);

    // The cached result equals a fresh computation.
    CMatrix rotation;
    rotation.SetRotationY(123.25);
    CMatrix translation;
    translation.SetTranslation(3.0, -0.5, -9.0);
    ExpectMatrixEq(second, rotation * translation);

    second.SetView(-3.0, 0.5, 9.0, 123.5);
    EXPECT_EQ(CMatrix::ViewRotationBuilds(), builds + 1);
    rotation.SetRotationY(123.5);
    ExpectMatrixEq(second, rotation * translation);
}
