#include "math3d/Matrix.h"

#include "math3d/Math3d.h"
#include <cmath>

namespace {

// The view rotation and the heading it was built for. On first use they are
// the identity and 0.0; they live until the process ends.
struct ViewRotationCache {
    CMatrix rotation;
    double heading = 0.0;
    unsigned builds = 0;
};

ViewRotationCache& ViewCache() {
    static ViewRotationCache cache;
    return cache;
}

} // namespace

void CMatrix::SetIdentity() {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = r == c ? 1.0 : 0.0;
}

CMatrix CMatrix::operator*(const CMatrix& rhs) const {
    CMatrix result;
    // The terms are summed as 1, 2, 3, then 0; the order is kept so that the
    // product is bit-identical wherever it runs.
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.m[r][c] =
                ((m[r][1] * rhs.m[1][c] + m[r][2] * rhs.m[2][c]) + m[r][3] * rhs.m[3][c]) +
                m[r][0] * rhs.m[0][c];
    return result;
}

CVector CMatrix::Apply(const CVector& v) const {
    CVector out;
    out.x = ((m[0][0] * v.x + m[0][1] * v.y) + m[0][2] * v.z) + m[0][3];
    out.y = ((m[1][0] * v.x + m[1][1] * v.y) + m[1][2] * v.z) + m[1][3];
    out.z = ((m[2][0] * v.x + m[2][1] * v.y) + m[2][2] * v.z) + m[2][3];
    return out;
}

void CMatrix::SetRotationY(double degrees) {
    double s, c;
    SinCosDegrees(degrees, &s, &c);
    SetIdentity();
    m[0][0] = c;
    m[0][2] = s;
    m[2][0] = -s;
    m[2][2] = c;
}

void CMatrix::SetTranslation(double tx, double ty, double tz) {
    SetIdentity();
    m[0][3] = tx;
    m[1][3] = ty;
    m[2][3] = tz;
}

void CMatrix::SetView(double x, double y, double z, double heading) {
    ViewRotationCache& cache = ViewCache();
    // Exact comparison: one sine and one cosine only when the heading moved.
    if (heading != cache.heading) {
        cache.rotation.SetRotationY(heading);
        cache.heading = heading;
        ++cache.builds;
    }
    CMatrix translation;
    translation.SetTranslation(-x, -y, -z);
    *this = cache.rotation * translation;
}

unsigned CMatrix::ViewRotationBuilds() {
    return ViewCache().builds;
}
