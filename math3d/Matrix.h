// A 4 x 4 affine transform in double precision. Points are column vectors:
// p' = M * p, so the translation lives in column 3 and A * B applies B first.
// Row 3 is (0, 0, 0, 1) in every matrix the game builds; only the product
// reads it.
#pragma once
#include "math3d/Vector.h"

class CMatrix {
public:
    CMatrix() { SetIdentity(); } // the identity
    CMatrix(const CMatrix&) = default;
    CMatrix& operator=(const CMatrix&) = default;
    virtual ~CMatrix() = default;

    void SetIdentity();
    // this * rhs; neither operand changes, so `a = a * b` is safe.
    CMatrix operator*(const CMatrix& rhs) const;
    // this * v with an implicit w of 1; row 3 is skipped and nothing is
    // divided by w.
    CVector Apply(const CVector& v) const;

    // Each of these overwrites the whole matrix.
    void SetRotationY(double degrees);
    void SetTranslation(double tx, double ty, double tz);
    // The view of a camera standing at (x, y, z) and looking along `heading`
    // (degrees, 0 toward negative z, 90 toward positive x): the world is moved
    // so that the camera sits at the origin, then turned about the vertical.
    // The rotation is shared by the whole process and rebuilt only when the
    // heading differs from the previous call's; not for use from two threads.
    void SetView(double x, double y, double z, double heading);

    // How often SetView has rebuilt its shared rotation since start-up.
    static unsigned ViewRotationBuilds();

    double m[4][4]; // m[row][column]
};
