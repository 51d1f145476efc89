// Everything the 3D view shows. Each frame the owning scene node resets a
// drawable, transforms it into view space unless its region test culls it,
// and collects it if visible; the world sorts the collection by depth key
// (most negative, that is farthest, first) and projects and draws each one.
// There is no depth buffer.
#pragma once
#include "platform/PlatformTypes.h"

class CMatrix;
class CScreen;

// No drawable is drawn at this view depth or beyond.
const double kFarthestKey = -10.0;

class CDrawable {
public:
    // KindMazeWall: a face of the maze, drawn as a wall quad it holds only
    // while transformed.
    enum { KindWallQuad = 1, KindSprite = 2, KindMazeWall = 3 };

    CDrawable() = default;
    CDrawable(const CDrawable&) = delete;
    CDrawable& operator=(const CDrawable&) = delete;
    virtual ~CDrawable() = default;

    // Forgets the previous frame's transform and projection.
    virtual void ResetFrame() {}
    // Whether the drawable stands in the view region (half-open, in cells).
    virtual bool IsInRegion(const PlatRect& region) const;
    // Whether it belongs in this frame's list. The base takes the depth key
    // alone (0 > key > -10); the concrete kinds also need this frame's
    // transform.
    virtual bool IsVisible() const;
    virtual int GetKind() const = 0;
    // View-space depth to sort by: more negative is farther.
    virtual double GetDepthKey() const = 0;
    // `toView` takes the owning node's frame to view space.
    virtual void Transform(const CMatrix& toView) = 0;
    virtual void Project(const CScreen& screen) = 0;
    virtual void Draw(CScreen& screen) = 0;
    // Where the segment (x0, z0)-(x1, z1) of the view space's floor plane
    // crosses the drawable: 1 with the outputs written when it does, else 0.
    // The base never crosses and writes nothing.
    virtual int Intersect(double x0, double z0, double x1, double z1, double* x, double* z,
                          double* t, double* distance);
};
