#include "scene/MazeWall.h"
#include "math3d/Math3d.h"
#include "math3d/Matrix.h"
#include "math3d/WallQuad.h"

CWallQuadPool::CWallQuadPool() = default;
CWallQuadPool::~CWallQuadPool() = default;

CWallQuad* CWallQuadPool::Lend() {
    if (m_free.empty()) {
        m_made.emplace_back(new CWallQuad);
        return m_made.back().get();
    }
    CWallQuad* pQuad = m_free.back();
    m_free.pop_back();
    pQuad->ResetFrame();
    return pQuad;
}

void CWallQuadPool::Return(CWallQuad* pQuad) {
    m_free.push_back(pQuad);
}

CMazeWall::~CMazeWall() {
    if (m_pQuad)
        m_pPool->Return(m_pQuad);
}

void CMazeWall::Set(int column, int row, int side, const CSurface* pTexture, CWallQuadPool* pPool) {
    m_nColumn = static_cast<uint16_t>(column);
    m_nRow = static_cast<uint16_t>(row);
    m_nSide = static_cast<uint8_t>(side & 3);
    m_pTexture = pTexture;
    m_pPool = pPool;
}

CVector CMazeWall::GetCorner(int k) const {
    // Corner k of side s is corner k + s of the cell's square walked round
    // clockwise from its top-left (x, z), at the top for k < 2.
    const double x = m_nColumn, z = m_nRow;
    const double squareX[4] = {x, x + 1, x + 1, x};
    const double squareZ[4] = {z, z, z + 1, z + 1};
    const int along = (k == 0 || k == 3) ? 0 : 1;
    const int at = (m_nSide + along) & 3;
    return CVector(squareX[at], k < 2 ? 1.0 : 0.0, squareZ[at]);
}

int32_t CMazeWall::GetRegionColumn() const {
    return m_nColumn + ((m_nSide == SideRight || m_nSide == SideBelow) ? 1 : 0);
}

int32_t CMazeWall::GetRegionRow() const {
    return m_nRow + ((m_nSide == SideBelow || m_nSide == SideLeft) ? 1 : 0);
}

bool CMazeWall::IsTransformed() const {
    return m_pQuad != nullptr && m_pQuad->IsTransformed();
}

bool CMazeWall::IsProjected() const {
    return m_pQuad != nullptr && m_pQuad->IsProjected();
}

void CMazeWall::ResetFrame() {
    if (m_pQuad)
        m_pQuad->ResetFrame();
}

void CMazeWall::ReturnIdleQuad() {
    if (m_pQuad && !m_pQuad->IsTransformed()) {
        m_pPool->Return(m_pQuad);
        m_pQuad = nullptr;
    }
}

bool CMazeWall::IsInRegion(const PlatRect& region) const {
    return RegionContains(region, GetRegionColumn(), GetRegionRow());
}

bool CMazeWall::IsVisible() const {
    return m_pQuad != nullptr && m_pQuad->IsVisible();
}

double CMazeWall::GetDepthKey() const {
    return IsTransformed() ? m_pQuad->GetDepthKey() : 0.0;
}

bool CMazeWall::IsHidden(const CUprightCull& cull) const {
    return cull.Hides(GetCorner(0), GetCorner(2));
}

void CMazeWall::Transform(const CMatrix& toView) {
    if (!m_pQuad) {
        m_pQuad = m_pPool->Lend();
        m_pQuad->SetCorners(GetCorner(0), GetCorner(1), GetCorner(2), GetCorner(3));
        m_pQuad->m_pTexture = m_pTexture;
    }
    m_pQuad->Transform(toView);
}

// A quad kept from an earlier frame but not transformed in this one has no
// view to project, draw or intersect with.
void CMazeWall::Project(const CScreen& screen) {
    if (IsTransformed())
        m_pQuad->Project(screen);
}

void CMazeWall::Draw(CScreen& screen) {
    if (IsTransformed())
        m_pQuad->Draw(screen);
}

int CMazeWall::Intersect(double x0, double z0, double x1, double z1, double* x, double* z,
                         double* t, double* distance) {
    return IsTransformed() ? m_pQuad->Intersect(x0, z0, x1, z1, x, z, t, distance) : 0;
}
