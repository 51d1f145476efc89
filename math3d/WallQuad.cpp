#include "math3d/WallQuad.h"

#include "gfx/Screen.h"
#include "math3d/Math3d.h"
#include "math3d/Matrix.h"
#include <cmath>

void CWallQuad::SetCorners(const CVector& topLeft, const CVector& topRight,
                           const CVector& bottomRight, const CVector& bottomLeft) {
    m_corners[0] = topLeft;
    m_corners[1] = topRight;
    m_corners[2] = bottomRight;
    m_corners[3] = bottomLeft;
    const CVector* c = m_corners;
    m_bUpright = c[0].x == c[3].x && c[0].z == c[3].z && c[1].x == c[2].x && c[1].z == c[2].z &&
                 c[0].y == c[1].y && c[2].y == c[3].y;
}

void CWallQuad::ResetFrame() {
    m_bTransformed = false;
    m_bProjected = false;
}

bool CWallQuad::IsInRegion(const PlatRect& region) const {
    if (!m_bUpright)
        return true;
    return RegionContains(region, TruncateToInt32(m_corners[0].x), TruncateToInt32(m_corners[0].z));
}

bool CWallQuad::IsVisible() const {
    if (!m_bTransformed)
        return false;
    const double key = GetDepthKey();
    return key < kNearestWallKey && key > kFarthestKey;
}

double CWallQuad::GetDepthKey() const {
    return (m_viewCorners[1].z + m_viewCorners[0].z) * 0.5;
}

void CWallQuad::Transform(const CMatrix& toView) {
    if (m_bUpright) {
        // Two applications instead of four: the view only turns about the
        // vertical and translates, so vertical edges stay vertical and level
        // edges keep one height.
        m_viewCorners[0] = toView.Apply(m_corners[0]);
        m_viewCorners[2] = toView.Apply(m_corners[2]);
        m_viewCorners[1].Set(m_viewCorners[2].x, m_viewCorners[0].y, m_viewCorners[2].z);
        m_viewCorners[3].Set(m_viewCorners[0].x, m_viewCorners[2].y, m_viewCorners[0].z);
    } else {
        for (int k = 0; k < 4; ++k)
            m_viewCorners[k] = toView.Apply(m_corners[k]);
    }
    m_bTransformed = true;
}

void CWallQuad::Project(const CScreen& screen) {
    for (int k = 0; k < 4; ++k)
        m_screenCorners[k] = m_viewCorners[k].ProjectToScreen(screen);
    m_bProjected = true;
}

void CWallQuad::Draw(CScreen& screen) {
    if (m_pTexture == nullptr || m_pTexture->pixels == nullptr)
        return;
    const CScreenPoint* s = m_screenCorners;
    screen.DrawWallQuad(*m_pTexture, s[0].x, s[1].x, s[0].y, s[1].y, s[3].y, s[2].y);
}

int CWallQuad::Intersect(double x0, double z0, double x1, double z1, double* x, double* z,
                         double* t, double* distance) {
    if (!m_bTransformed)
        return 0;
    const double q0x = m_viewCorners[0].x;
    const double q0z = m_viewCorners[0].z;
    const double q1x = m_viewCorners[1].x;
    const double q1z = m_viewCorners[1].z;
    const double dx = x1 - x0;
    const double dz = z1 - z0;
    const double ex = q0x - q1x;
    const double ez = q0z - q1z;
    const double det = ez * dx - ex * dz;
    if (det == 0.0)
        return 0;
    const double tt = ((q0x - x0) * ez - (q0z - z0) * ex) / det;
    *t = tt;
    *x = tt * dx + x0;
    *z = tt * dz + z0;
    const double a = tt * dz;
    const double b = tt * dx;
    *distance = std::sqrt(a * a + b * b);
    return tt >= 0.0 && tt <= 1.0 ? 1 : 0;
}

CUprightCull::CUprightCull(const CMatrix& toView, double reach) : m_reach(reach) {
    for (int k = 0; k < 4; ++k) {
        m_x[k] = toView.m[0][k];
        m_z[k] = toView.m[2][k];
    }
    // The box of HidesFacesAt(0, 0): middle (0, 0.5, 0), half sides 1, 0.5, 1.
    m_cellX = m_x[1] * 0.5 + m_x[3];
    m_cellZ = m_z[1] * 0.5 + m_z[3];
    m_cellXReach = std::fabs(m_x[0]) + std::fabs(m_x[1]) * 0.5 + std::fabs(m_x[2]);
    m_cellZReach = std::fabs(m_z[0]) + std::fabs(m_z[1]) * 0.5 + std::fabs(m_z[2]);
}

bool CUprightCull::HidesBox(const CVector& low, const CVector& high) const {
    // The box's view x and z range, from its middle and its half sides.
    const double mid[3] = {(low.x + high.x) * 0.5, (low.y + high.y) * 0.5, (low.z + high.z) * 0.5};
    const double half[3] = {(high.x - low.x) * 0.5, (high.y - low.y) * 0.5, (high.z - low.z) * 0.5};
    double x = m_x[3], z = m_z[3], xReach = 0.0, zReach = 0.0;
    for (int k = 0; k < 3; ++k) {
        x += m_x[k] * mid[k];
        z += m_z[k] * mid[k];
        xReach += std::fabs(m_x[k]) * half[k];
        zReach += std::fabs(m_z[k]) * half[k];
    }
    return HidesSpan(x, xReach, z, zReach);
}

bool CUprightCull::Hides(const CVector& topLeft, const CVector& bottomRight) const {
    // Far above the rounding of coordinates below 2^16.
    const double margin = 1e-6;
    const double ax = m_x[0] * topLeft.x + m_x[1] * topLeft.y + m_x[2] * topLeft.z + m_x[3];
    const double az = m_z[0] * topLeft.x + m_z[1] * topLeft.y + m_z[2] * topLeft.z + m_z[3];
    const double bx =
        m_x[0] * bottomRight.x + m_x[1] * bottomRight.y + m_x[2] * bottomRight.z + m_x[3];
    const double bz =
        m_z[0] * bottomRight.x + m_z[1] * bottomRight.y + m_z[2] * bottomRight.z + m_z[3];
    const double key = (az + bz) * 0.5;
    if (!(key < kNearestWallKey + margin && key > kFarthestKey - margin))
        return true;
    // |x| over the depth the projection divides by; the reach keeps a whole
    // column's distance from the screen's sides.
    const double ta = ax / (az > -kNearDepth ? kNearDepth : -az);
    const double tb = bx / (bz > -kNearDepth ? kNearDepth : -bz);
    if ((ta >= m_reach && tb >= m_reach) || (ta <= -m_reach && tb <= -m_reach))
        return true;
    if (az > -kNearDepth - margin || bz > -kNearDepth - margin)
        return false;
    // In front of the near depth the sides project at x / -z, and
    // ta - tb = -turn / (az * bz): a face turned away (turn < 0) has its
    // left side right of its right side. The margin keeps faces seen
    // edge-on out of the question.
    const double dx = bx - ax, dz = bz - az;
    const double turn = dz * ax - dx * az;
    return turn < -margin * (std::fabs(dx) + std::fabs(dz));
}
