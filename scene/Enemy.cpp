#include "scene/Enemy.h"
#include "gfx/Screen.h"
#include "math3d/Math3d.h"
#include "math3d/Sprite.h"
#include "platform/Rand.h"
#include "scene/Maze.h"
#include <algorithm>
#include <cmath>

namespace {

// 0.8 cells a second; capped so that a long frame cannot carry an enemy
// through a cell without deciding there.
const double kStepPerMs = 0.0008;
const double kMaxStep = 0.4;
const double kCatchDistance = 0.8;
const int64_t kForcedTurnMs = 10000;

} // namespace

CEnemy::CEnemy(CSceneNode* parent, uint32_t id)
    : CSceneNode(parent, id), m_pMaze(dynamic_cast<CMaze*>(parent)) {
    // Culled by its own cell; the sprite then needs no test of its own.
    m_bNoCull = true;
}

CEnemy::~CEnemy() {
    std::vector<CDrawable*> drawables;
    drawables.swap(m_drawables);
    for (CDrawable* pDrawable : drawables)
        delete pDrawable;
}

bool CEnemy::SetImages(CSurface* const* table, int count, int periodMs) {
    m_nPeriod = periodMs > 0 ? periodMs : 1;
    m_nClock = PlatRand() % m_nPeriod;
    m_images.clear();
    for (int i = 0; table && i < count; ++i)
        m_images.push_back(table[i]);
    for (CDrawable* pDrawable : m_drawables)
        delete pDrawable;
    m_drawables.clear();
    CSprite* pSprite = new CSprite;
    pSprite->m_base.Set(0.5, 0.0, 0.5);
    pSprite->m_top.Set(0.5, 1.0, 0.5);
    pSprite->m_pImage = CurrentImage();
    m_drawables.push_back(pSprite);
    return true;
}

const CSurface* CEnemy::CurrentImage() const {
    if (m_images.empty() || m_nPeriod <= 0)
        return nullptr;
    // A non-negative phase even for a clock set below zero.
    int64_t phase = m_nClock % m_nPeriod;
    if (phase < 0)
        phase += m_nPeriod;
    const int64_t count = static_cast<int64_t>(m_images.size());
    return m_images[static_cast<size_t>((phase * count) / m_nPeriod)];
}

CSprite* CEnemy::GetSprite() const {
    return m_drawables.empty() ? nullptr : static_cast<CSprite*>(m_drawables[0]);
}

void CEnemy::SetPosition(double x, double z, double heading) {
    m_pose.x = x;
    m_pose.z = z;
    m_pose.heading = heading;
    m_matrix.SetTranslation(m_pose.x, m_pose.y, m_pose.z);
}

PlatPoint CEnemy::GetCell() const {
    return PlatPoint{TruncateToInt32(m_pose.x), TruncateToInt32(m_pose.z)};
}

bool CEnemy::IsBlocked(int x, int z) const {
    // Outside the grid (or with no maze at all) every cell is a wall.
    return !m_pMaze || m_pMaze->IsWallAt(x, z);
}

bool CEnemy::IsClearAlong(bool bRow, int line, int from, int to) const {
    // Without a maze every cell is a wall: only the player's own cell is seen.
    if (!m_pMaze)
        return from == to;
    return m_pMaze->IsClearAlong(bRow, line, from, to);
}

int CEnemy::ChooseDirection(const CPose& viewer) {
    const PlatPoint e = GetCell();
    const int32_t px = TruncateToInt32(viewer.x), pz = TruncateToInt32(viewer.z);
    // Sighting looks from the smaller index to the larger one, excluding the
    // larger (the enemy's or the player's own cell); a wall anywhere between
    // hides the player. The maze answers without walking the row each time.
    if (e.y == pz && IsClearAlong(true, e.y, e.x, px))
        return e.x < px ? DIR_RIGHT : DIR_LEFT;
    if (e.x == px && IsClearAlong(false, e.x, e.y, pz))
        return e.y < pz ? DIR_DOWN : DIR_UP;
    const int dx[4] = {-1, 0, 1, 0};
    const int dz[4] = {0, -1, 0, 1};
    const int d = m_nDirection & 3;
    bool bBlocked = IsBlocked(e.x + dx[d], e.y + dz[d]);
    if (!bBlocked && m_nClock - m_nLastForcedTurn > kForcedTurnMs) {
        // A fresh decision at least every 10 seconds of animation time.
        m_nLastForcedTurn = m_nClock;
        bBlocked = true;
    }
    if (!bBlocked)
        return d;
    // Every open direction is a candidate, the way back and the way just
    // blocked included; walled in on all sides, any of the four.
    const int order[4] = {DIR_LEFT, DIR_RIGHT, DIR_UP, DIR_DOWN};
    int open[4];
    int nOpen = 0;
    for (int code : order)
        if (!IsBlocked(e.x + dx[code], e.y + dz[code]))
            open[nOpen++] = code;
    if (nOpen == 0) {
        std::copy(order, order + 4, open);
        nOpen = 4;
    }
    return open[PlatRand() % nOpen];
}

void CEnemy::Update(int elapsedMs, const CPose& viewer) {
    m_nClock = m_nClock + elapsedMs;
    if (CSprite* pSprite = GetSprite())
        pSprite->m_pImage = CurrentImage();
    double step = elapsedMs * kStepPerMs;
    if (step > kMaxStep)
        step = kMaxStep;
    m_nDirection = ChooseDirection(viewer);
    double x = m_pose.x, z = m_pose.z;
    switch (m_nDirection) {
    case DIR_LEFT:
        x = x - step;
        break;
    case DIR_UP:
        z = z - step;
        break;
    case DIR_RIGHT:
        x = x + step;
        break;
    default:
        z = z + step;
        break;
    }
    // The step itself does not look at walls (an enemy chasing the player
    // inside one cell may brush into a wall), but it never leaves the grid:
    // the pose is held inside 0 <= x < width, 0 <= z < height.
    if (m_pMaze && m_pMaze->GetWidth() > 0 && m_pMaze->GetHeight() > 0) {
        x = std::min(std::max(x, 0.0), std::nextafter(double(m_pMaze->GetWidth()), 0.0));
        z = std::min(std::max(z, 0.0), std::nextafter(double(m_pMaze->GetHeight()), 0.0));
    }
    m_pose.x = x;
    m_pose.z = z;
    m_matrix.SetTranslation(m_pose.x, m_pose.y, m_pose.z);
}

bool CEnemy::IsInRegion(const PlatRect& region) const {
    const PlatPoint cell = GetCell();
    return RegionContains(region, cell.x, cell.y);
}

void CEnemy::DrawOverlay(CScreen& screen, const CPose&) {
    if (!m_pMaze)
        return;
    const MinimapView& view = m_pMaze->GetMinimapView();
    if (view.scale > 0)
        screen.Fill(view.Square(m_pose.x, m_pose.z, std::max(view.scale, 2)),
                    m_pMaze->GetMinimapLook().colours->enemy);
}

int CEnemy::Interact(const CPose& viewer, CSceneNode** hit) {
    const PlatPoint cell = GetCell();
    if (cell.x != TruncateToInt32(viewer.x) || cell.y != TruncateToInt32(viewer.z))
        return EV_NONE;
    if (!(Distance2D(m_pose.x, m_pose.z, viewer.x, viewer.z) < kCatchDistance))
        return EV_NONE;
    if (hit)
        *hit = this;
    return EV_CAUGHT;
}

CSceneNode* CEnemy::Probe(const PlatPoint& point, CScreen*) {
    const CSprite* pSprite = GetSprite();
    if (!pSprite || !pSprite->IsProjected())
        return nullptr;
    const PlatPoint cell = GetCell();
    const PlatRect box = {cell.x - 1, cell.y - 1, cell.x + 1, cell.y + 1};
    return RegionContains(box, point.x, point.y) ? this : nullptr;
}
