// The maze's answers to the game: the start cell, the enemies' line of
// sight, the wall push, the pick-ups and the shot's probe.
#include "gfx/Screen.h"
#include "math3d/Math3d.h"
#include "math3d/Sprite.h"
#include "scene/Enemy.h"
#include "scene/Maze.h"
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// 0.3 x 1.4: more than the player's largest step (0.4), so one push always
// brings the player back before a wall cell can be reached.
const double kPushRadius = 0.42;

} // namespace

// ---- Questions about the grid ----

void CMaze::GetStartCell(int* column, int* row) const {
    for (int r = 0; r < m_nHeight; ++r)
        for (int c = 0; c < m_nWidth; ++c)
            if (m_grid[static_cast<size_t>(r) * m_nWidth + c] == CELL_START) {
                *column = c;
                *row = r;
                return;
            }
    *column = m_nWidth / 2;
    *row = m_nHeight / 2;
}

bool CMaze::IsClearAlong(bool bRow, int line, int from, int to) const {
    if (from == to)
        return true;
    SightRun& run = m_sightRuns[bRow ? 1 : 0];
    if (!run.bValid || run.line != line || run.to != to) {
        // 64 bits: `to` may be any int, and stepping past it must not wrap.
        auto isWall = [&](int64_t at) {
            if (at < INT32_MIN || at > INT32_MAX)
                return true;
            const int a = static_cast<int>(at);
            return bRow ? IsWallAt(a, line) : IsWallAt(line, a);
        };
        run.bValid = true;
        run.line = line;
        run.to = to;
        run.first = to;
        while (!isWall(run.first - 1))
            --run.first;
        run.last = to;
        while (!isWall(run.last))
            ++run.last;
    }
    return from < to ? from >= run.first : from <= run.last;
}

uint8_t CMaze::GetCell(int x, int z, uint8_t outside) const {
    if (!IsInGrid(x, z))
        return outside;
    return m_grid[static_cast<size_t>(z) * m_nWidth + x];
}
// ---- Game rules ----

void CMaze::Collide(CPose& viewer) {
    CSceneNode::Collide(viewer);
    const double r = kPushRadius;
    const int32_t cx = TruncateToInt32(viewer.x);
    const int32_t cz = TruncateToInt32(viewer.z);
    const double fx = viewer.x - cx, fz = viewer.z - cz;
    const double gx = 1.0 - fx, gz = 1.0 - fz;
    bool bMoved = false;
    if (IsWallAt(cx - 1, cz) && fx < r) {
        viewer.x = viewer.x + (r - fx);
        bMoved = true;
    } else if (IsWallAt(cx + 1, cz) && gx < r) {
        viewer.x = viewer.x - (r - gx);
        bMoved = true;
    }
    if (IsWallAt(cx, cz - 1) && fz < r) {
        viewer.z = viewer.z + (r - fz);
        bMoved = true;
    } else if (IsWallAt(cx, cz + 1) && gz < r) {
        viewer.z = viewer.z - (r - gz);
        bMoved = true;
    }
    if (bMoved)
        return;
    // Corners: only the first wall corner that the player's square overlaps
    // counts, and there the player is a circle round the corner point, pushed
    // straight away from it. Pushing along one axis instead would hold a
    // player sliding past the far corner of a side opening against it.
    const double dx[4] = {fx, -gx, fx, -gx}; // player minus corner point
    const double dz[4] = {fz, fz, -gz, -gz};
    const int32_t wx[4] = {cx - 1, cx + 1, cx - 1, cx + 1};
    const int32_t wz[4] = {cz - 1, cz - 1, cz + 1, cz + 1};
    for (int i = 0; i < 4; ++i) {
        if (!IsWallAt(wx[i], wz[i]) || std::fabs(dx[i]) >= r || std::fabs(dz[i]) >= r)
            continue;
        const double d = std::sqrt(dx[i] * dx[i] + dz[i] * dz[i]);
        if (d >= r)
            return;
        if (d == 0.0) {
            // Exactly on the corner: away from the wall cell, along the diagonal.
            const double away = r * 0.7071067811865476;
            viewer.x = viewer.x + (wx[i] < cx ? away : -away);
            viewer.z = viewer.z + (wz[i] < cz ? away : -away);
            return;
        }
        viewer.x = viewer.x + dx[i] * (r / d - 1.0);
        viewer.z = viewer.z + dz[i] * (r / d - 1.0);
        return;
    }
}

void CMaze::RemoveItemSprite(int x, int z) {
    // Found through the cell index, not by walking the list: a level may
    // have millions of faces ahead of its items.
    const double bx = x + 0.5, bz = z + 0.5;
    const size_t key = static_cast<size_t>(z) * m_nWidth + x;
    auto it = std::lower_bound(m_indexKeys.begin(), m_indexKeys.end(), key);
    for (; it != m_indexKeys.end() && *it == key; ++it) {
        const size_t i = static_cast<size_t>(it - m_indexKeys.begin());
        CDrawable* pDrawable = m_indexed[i];
        if (!pDrawable || pDrawable->GetKind() != CDrawable::KindSprite)
            continue;
        const CSprite* pSprite = static_cast<const CSprite*>(pDrawable);
        if (pSprite->m_base.x != bx || pSprite->m_base.z != bz)
            continue;
        // Its place in the list can only have moved down, by one for each
        // item taken before it.
        size_t at = std::min(m_indexOrder[i], m_drawables.size() - 1);
        while (m_drawables[at] != pDrawable)
            --at;
        m_drawables.erase(m_drawables.begin() + static_cast<std::ptrdiff_t>(at));
        ForgetFlagged(pDrawable);
        m_indexed[i] = nullptr;
        delete pDrawable;
        return;
    }
}

int CMaze::Interact(const CPose& viewer, CSceneNode** hit) {
    if (const int code = CSceneNode::Interact(viewer, hit))
        return code;
    const int32_t cx = TruncateToInt32(viewer.x);
    const int32_t cz = TruncateToInt32(viewer.z);
    const uint8_t cell = GetCell(cx, cz);
    if (CellClass(cell) != CELL_CLASS_ITEM)
        return EV_NONE;
    const int t = CellType(cell);
    if (t != ITEM_DOT && t != ITEM_GUN)
        return EV_NONE; // decorations stay
    if (m_minimap.pixels && cx < m_minimap.width && cz < m_minimap.height)
        m_minimap.SetPixel(cx, cz, m_minimapLook.colours->ground);
    m_grid[static_cast<size_t>(cz) * m_nWidth + cx] = CELL_CORRIDOR;
    RemoveItemSprite(cx, cz);
    if (hit)
        *hit = this;
    if (t == ITEM_GUN)
        return EV_GUN;
    --m_nDotsLeft;
    return m_nDotsLeft > 0 ? EV_DOT : EV_LAST_DOT;
}

CSceneNode* CMaze::Probe(const PlatPoint& cell, CScreen* pScreen) {
    if (IsWallAt(cell.x, cell.y))
        return this;
    // The trace goes straight to the framebuffer, so it shows on the minimap
    // at once, before the next frame; it is not part of the back buffer.
    if (pScreen && m_minimapView.scale > 0) {
        int32_t ox = 0, oy = 0;
        pScreen->BeginDraw(&ox, &oy);
        const PlatRect r = m_minimapView.Square(cell.x, cell.y, m_minimapView.scale);
        pScreen->Fill(PlatRect{r.left + ox, r.top + oy, r.right + ox, r.bottom + oy},
                      m_minimapLook.colours->trace);
        pScreen->EndDraw();
    }
    return CSceneNode::Probe(cell, pScreen);
}
