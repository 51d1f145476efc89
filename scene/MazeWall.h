// One wall face of the maze, held small: the open cell it is seen from, the
// side of that cell it stands on, and its texture. A level may have millions
// of faces but a frame sees a few hundred, so only a face transformed in the
// last frame or this one holds a whole wall quad, lent by the maze's pool:
// a face seen frame after frame keeps its quad and its corners, and the maze
// gives back the quads of faces it sees no more. It draws exactly as that
// quad does.
#pragma once
#include "math3d/Drawable.h"
#include "math3d/Vector.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CSurface;
class CUprightCull;
class CWallQuad;

// The wall quads lent to the faces of one maze. Every quad it makes is kept
// for the next loan, so it holds as many as were ever lent at once.
class CWallQuadPool {
public:
    CWallQuadPool();
    ~CWallQuadPool();
    CWallQuadPool(const CWallQuadPool&) = delete;
    CWallQuadPool& operator=(const CWallQuadPool&) = delete;

    // A quad with no frame state; the pool keeps owning it.
    CWallQuad* Lend();
    // `pQuad` came from Lend and is not used again until lent anew.
    void Return(CWallQuad* pQuad);
    size_t GetMade() const { return m_made.size(); }

private:
    std::vector<std::unique_ptr<CWallQuad>> m_made;
    std::vector<CWallQuad*> m_free;
};

class CMazeWall : public CDrawable {
public:
    // From the open cell: 0 above (-z), 1 right (+x), 2 below (+z), 3 left.
    enum { SideAbove = 0, SideRight = 1, SideBelow = 2, SideLeft = 3 };

    CMazeWall() = default;
    // Gives its quad back to the pool, which must outlive it.
    ~CMazeWall() override;

    // 0 <= column, row < 65536; 0 <= side < 4. The texture is not owned.
    void Set(int column, int row, int side, const CSurface* pTexture, CWallQuadPool* pPool);

    // The corners as the quad of this face has them: top-left, top-right,
    // bottom-right, bottom-left as seen from the open cell.
    CVector GetCorner(int k) const; // 0 <= k < 4
    // The cell its region test reads: that of corner 0 (x and z truncated).
    int32_t GetRegionColumn() const;
    int32_t GetRegionRow() const;
    const CSurface* GetTexture() const { return m_pTexture; }
    bool IsTransformed() const;
    bool IsProjected() const;

    // Clears the quad's frame state but keeps the quad, corners and all, for
    // the next Transform.
    void ResetFrame() override;
    // Gives the quad back unless it was transformed since the last reset:
    // a face out of view holds none.
    void ReturnIdleQuad();
    bool IsInRegion(const PlatRect& region) const override;
    bool IsVisible() const override;
    int GetKind() const override { return KindMazeWall; }
    // The quad's key; 0 while not transformed (then it is not visible).
    double GetDepthKey() const override;
    // Whether `cull` finds the face surely undrawn.
    bool IsHidden(const CUprightCull& cull) const;
    // Borrows a quad (unless it holds one), sets its corners and texture and
    // transforms it.
    void Transform(const CMatrix& toView) override;
    // Nothing while not transformed: there is no view to project.
    void Project(const CScreen& screen) override;
    void Draw(CScreen& screen) override;
    int Intersect(double x0, double z0, double x1, double z1, double* x, double* z, double* t,
                  double* distance) override;

private:
    CWallQuadPool* m_pPool = nullptr;
    CWallQuad* m_pQuad = nullptr; // lent while transformed
    const CSurface* m_pTexture = nullptr;
    uint16_t m_nColumn = 0;
    uint16_t m_nRow = 0;
    uint8_t m_nSide = 0;
};
