// One face of a wall: a textured rectangle standing on the floor, seen from
// the open cell in front of it. Its corners run top-left, top-right,
// bottom-right, bottom-left as seen from that cell, so a face seen from
// behind projects with its left edge right of its right edge and is not
// drawn.
#pragma once
#include "math3d/Drawable.h"
#include "math3d/Vector.h"

class CSurface;
class CMatrix;

// A face whose depth key is this or nearer is not drawn. Up to half a unit
// behind the camera still shows, so the walls beside the player stay on
// screen.
const double kNearestWallKey = 0.5;

class CWallQuad : public CDrawable {
public:
    CWallQuad() = default; // all corners at zero, no texture, upright
    ~CWallQuad() override = default;

    // Assigns the model-space corners (in the owning node's frame) and
    // records whether they form an upright rectangle: vertical left and
    // right edges, level top and bottom edges (exact comparisons).
    void SetCorners(const CVector& topLeft, const CVector& topRight, const CVector& bottomRight,
                    const CVector& bottomLeft);

    void ResetFrame() override;
    // Upright: corner 0's cell (x and z truncated toward zero) is in the
    // region. Any other shape: always true.
    bool IsInRegion(const PlatRect& region) const override;
    // Transformed this frame, and kNearestWallKey > key > kFarthestKey.
    bool IsVisible() const override;
    int GetKind() const override { return KindWallQuad; }
    // The mean view depth of the top edge.
    double GetDepthKey() const override;
    // An upright quad transforms corners 0 and 2 and takes the other two from
    // them, which is exact for views that only turn about the vertical.
    void Transform(const CMatrix& toView) override;
    void Project(const CScreen& screen) override;
    // The texture mapped onto the projected trapezoid, no colour key. A quad
    // without a texture (or with an empty one) draws nothing.
    void Draw(CScreen& screen) override;
    // Crossing of the view-space segment P0-P1 with the infinite line through
    // the top edge: 0 without this frame's transform or when parallel (outputs
    // untouched); otherwise the outputs are written and the result is 1 when
    // 0 <= t <= 1. `distance` runs from P0 to the crossing. All four outputs
    // must point somewhere.
    int Intersect(double x0, double z0, double x1, double z1, double* x, double* z, double* t,
                  double* distance) override;

    bool IsUpright() const { return m_bUpright; }
    bool IsTransformed() const { return m_bTransformed; }
    bool IsProjected() const { return m_bProjected; }
    const CVector& GetCorner(int k) const { return m_corners[k]; }                  // 0 <= k < 4
    const CVector& GetViewCorner(int k) const { return m_viewCorners[k]; }          // 0 <= k < 4
    const CScreenPoint& GetScreenCorner(int k) const { return m_screenCorners[k]; } // 0 <= k < 4

    // The picture stretched over the face; not owned.
    const CSurface* m_pTexture = nullptr;

private:
    CVector m_corners[4];
    CVector m_viewCorners[4];
    CScreenPoint m_screenCorners[4];
    bool m_bUpright = true;
    bool m_bTransformed = false;
    bool m_bProjected = false;
};

// Which upright quads a view surely leaves undrawn, told before a quad is
// set up for them, so that a large maze transforms and projects little more
// than the faces in view. It says "hidden" only where the quad would not be
// visible by its key, or projected and drawn would put no pixel on the
// screen: both sides a column beyond the same side of the screen, or the
// face turned away with both sides in front of the near depth (then its left
// side projects right of its right side). Faces with a side nearer than that
// are left to the projection, which throws such corners out in ways no cheap
// test follows. Each test keeps a margin far above rounding, so the corners
// need not be transformed exactly as Transform does; every face it passes is
// drawn exactly as without it.
class CUprightCull {
public:
    // toView: as Transform takes it. reach: SideReach of the screen the
    // frame projects onto; an infinite reach hides only faces turned away or
    // out of the key's range.
    CUprightCull(const CMatrix& toView, double reach);
    // Corners 0 (top-left) and 2 (bottom-right) of an upright quad, in the
    // frame toView takes to view space.
    bool Hides(const CVector& topLeft, const CVector& bottomRight) const;
    // Whether it hides every upright quad with all four corners in the box
    // from `low` to `high`, however placed in it.
    bool HidesBox(const CVector& low, const CVector& high) const;
    // HidesBox for the box from (x - 1, 0, z - 1) to (x + 1, 1, z + 1), which
    // holds every face of height 1 with a corner at (x, z): cheap enough to
    // ask for every cell a frame passes.
    bool HidesFacesAt(int x, int z) const {
        return HidesSpan(m_x[0] * x + m_x[2] * z + m_cellX, m_cellXReach,
                         m_z[0] * x + m_z[2] * z + m_cellZ, m_cellZReach);
    }

private:
    // Whether it hides every quad with its corners within view x of x +- xReach
    // and view z of z +- zReach.
    bool HidesSpan(double x, double xReach, double z, double zReach) const {
        const double margin = 1e-6;
        const double nearest = z + zReach, farthest = z - zReach;
        // Every corner behind the nearest key, or beyond the farthest: so is
        // every key, the mean of two corners' depths.
        if (farthest >= kNearestWallKey + margin || nearest <= kFarthestKey - margin)
            return true;
        // Every corner on one side with |x| over its clamped depth at least
        // the reach: the deepest corner bounds the depth, the nearest x the x.
        const double depth =
            (-farthest > kNearDepth ? -farthest : kNearDepth) * (m_reach + margin) + margin;
        return x - xReach >= depth || x + xReach <= -depth;
    }

    // Rows 0 and 2 of toView: view x and z.
    double m_x[4], m_z[4];
    double m_reach;
    // HidesFacesAt's box about (0, 0): the view x and z of its middle and
    // how far its corners reach from them.
    double m_cellX, m_cellZ, m_cellXReach, m_cellZReach;
};
