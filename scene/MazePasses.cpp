// The maze's part of every frame: the drawables of a region of cells, the
// transform of the cells near the viewer, projection and the list of what
// is visible, the sky's drift, and the background and minimap drawing.
#include "gfx/Screen.h"
#include "math3d/Math3d.h"
#include "math3d/Sprite.h"
#include "math3d/WallQuad.h"
#include "scene/Enemy.h"
#include "scene/Maze.h"
#include "scene/MazeWall.h"
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

const double kSkyDriftPerMs = 0.003;

} // namespace

// ---- The frame passes ----

template <typename List, typename Make, typename Skip>
void CMaze::VisitRegion(const PlatRect& region, List& list, Make make, Skip skip) const {
    const int left = std::max(region.left, 0), right = std::min(region.right, m_nWidth);
    const int top = std::max(region.top, 0), bottom = std::min(region.bottom, m_nHeight);
    if (left >= right)
        return;
    for (int z = top; z < bottom; ++z) {
        const size_t first = static_cast<size_t>(z) * m_nWidth + left;
        const size_t last = static_cast<size_t>(z) * m_nWidth + right;
        auto it = std::lower_bound(m_indexKeys.begin(), m_indexKeys.end(), first);
        size_t cell = SIZE_MAX;
        bool skipped = false;
        for (; it != m_indexKeys.end() && *it < last; ++it) {
            if (*it != cell) {
                cell = *it;
                skipped = skip(int(cell - static_cast<size_t>(z) * m_nWidth), z);
            }
            const size_t i = static_cast<size_t>(it - m_indexKeys.begin());
            if (m_indexed[i] && !(skipped && IsFace(m_indexed[i])))
                list.push_back(make(i));
        }
    }
}

void CMaze::CollectInRegion(const PlatRect& region, std::vector<CDrawable*>& list) const {
    VisitRegion(
        region, list, [this](size_t i) { return m_indexed[i]; }, [](int, int) { return false; });
    for (const Placed& p : m_unplaced)
        if (p.pDrawable->IsInRegion(region))
            list.push_back(p.pDrawable);
}

void CMaze::TransformTree(const CMatrix& view, const PlatRect& region, double reach) {
    for (size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->TransformTree(view, region, reach);
    // Every drawable that can carry last frame's flags is reset; the others
    // have none to lose. The faces among them keep their quads until this
    // frame's are transformed, so that a face seen again reuses its own.
    const bool bWereAll = m_bAllFlagged;
    if (m_bAllFlagged) {
        for (CDrawable* pDrawable : m_drawables)
            pDrawable->ResetFrame();
        m_bAllFlagged = false;
    } else {
        for (const Placed& p : m_flagged)
            p.pDrawable->ResetFrame();
    }
    m_lastFlagged.swap(m_flagged);
    m_flagged.clear();
    TransformInRegion(view, region, reach);
    const auto returnIdle = [](CDrawable* pDrawable) {
        if (pDrawable->GetKind() == CDrawable::KindMazeWall)
            static_cast<CMazeWall*>(pDrawable)->ReturnIdleQuad();
    };
    if (bWereAll) {
        for (CDrawable* pDrawable : m_drawables)
            returnIdle(pDrawable);
    } else {
        for (const Placed& p : m_lastFlagged)
            returnIdle(p.pDrawable);
    }
    m_lastFlagged.clear();
}

void CMaze::TransformInRegion(const CMatrix& view, const PlatRect& region, double reach) {
    if (!IsInRegion(region))
        return;
    const CMatrix toView = DrawableToView(view);
    if (m_bNoCull) {
        for (CDrawable* pDrawable : m_drawables)
            pDrawable->Transform(toView);
        m_bAllFlagged = true;
        return;
    }
    for (const Placed& p : m_unplaced) {
        m_flagged.push_back(p);
        if (p.pDrawable->IsInRegion(region))
            p.pDrawable->Transform(toView);
    }
    // The index yields exactly the drawables whose region test passes.
    const size_t firstIndexed = m_flagged.size();
    // The faces of cells the view surely leaves undrawn are passed over
    // whole: a face is indexed by the cell of corner 0, a corner of the cell
    // square it stands on, so it lies within one cell of that corner.
    const CUprightCull cull(toView, reach);
    VisitRegion(
        region, m_flagged,
        [this](size_t i) {
            return Placed{m_indexOrder[i], m_indexed[i]};
        },
        [&cull](int x, int z) { return cull.HidesFacesAt(x, z); });
    // A face left untransformed stays flagged: it gives its quad back below.
    for (size_t i = firstIndexed; i < m_flagged.size(); ++i) {
        CDrawable* pDrawable = m_flagged[i].pDrawable;
        if (IsFace(pDrawable) && static_cast<const CMazeWall*>(pDrawable)->IsHidden(cull))
            continue;
        pDrawable->Transform(toView);
    }
}

void CMaze::ProjectTree(const CScreen& screen) {
    CSceneNode::ProjectTree(screen);
    m_bAllFlagged = true;
}

int CMaze::CollectVisible(std::vector<CDrawable*>& list) {
    if (m_bAllFlagged)
        return CSceneNode::CollectVisible(list);
    for (size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->CollectVisible(list);
    // Only a drawable transformed this frame can be visible.
    m_visibleScratch.clear();
    for (const Placed& p : m_flagged)
        if (p.pDrawable->IsVisible())
            m_visibleScratch.push_back(p);
    std::sort(m_visibleScratch.begin(), m_visibleScratch.end(),
              [](const Placed& a, const Placed& b) { return a.order < b.order; });
    for (const Placed& p : m_visibleScratch)
        list.push_back(p.pDrawable);
    return static_cast<int>(list.size());
}

// ---- Drawing ----

void CMaze::Update(int elapsedMs, const CPose& viewer) {
    m_dSkyDrift = m_dSkyDrift + elapsedMs * kSkyDriftPerMs;
    CSceneNode::Update(elapsedMs, viewer);
}

void CMaze::DrawBackground(CScreen& screen, const CPose& viewer) {
    const double angle = viewer.heading + m_dSkyDrift;
    const double a = std::fmod(std::fabs(angle), 360.0);
    const int32_t skyWidth = m_sky.width;
    const int32_t off = TruncateToInt32(skyWidth * a * (1.0 / 360.0));
    // A growing heading (turning right) moves the panorama to the left; the
    // two copies tile x0 - W .. x0 + W, which covers any screen no wider
    // than the sky.
    const int32_t x0 = skyWidth - off - 1;
    if (x0 < screen.width)
        screen.Blit(m_sky, x0, 0, false);
    screen.Blit(m_sky, x0 - skyWidth, 0, false);
    const int32_t half = screen.height / 2;
    const int32_t floorTop = m_sky.height < half ? m_sky.height : half;
    screen.Blit(m_floor, 0, floorTop, false);
}

void CMaze::DrawOverlay(CScreen& screen, const CPose& viewer) {
    m_minimapView = m_minimap.pixels
                        ? PlaceMinimap(m_minimap.width, m_minimap.height, screen.width,
                                       screen.height, viewer.x, viewer.z, m_minimapLook.size)
                        : MinimapView();
    const MinimapView& v = m_minimapView;
    if (v.scale == 1) {
        // The window's part of the picture, borrowed: a level of any size
        // costs the box's pixels, never the whole picture's.
        CSurface part;
        part.SetFormat(m_minimap.Format());
        part.pixels = m_minimap.pixels +
                      static_cast<ptrdiff_t>(v.box.left - v.origin.x) * m_minimap.xPitch +
                      static_cast<ptrdiff_t>(v.box.top - v.origin.y) * m_minimap.yPitch;
        part.width = v.box.right - v.box.left;
        part.height = v.box.bottom - v.box.top;
        screen.Blit(part, v.box.left, v.box.top, false);
    } else if (v.scale > 1) {
        screen.StretchBlit(m_minimap, v.origin.x, v.origin.y, m_minimap.width * v.scale,
                           m_minimap.height * v.scale, false);
    }
    if (v.scale > 0)
        DrawMinimapEdges(screen, v, *m_minimapLook.colours);
    CSceneNode::DrawOverlay(screen, viewer);
    if (v.scale > 0)
        DrawMinimapArrow(screen, v, viewer.x, viewer.z, viewer.heading, *m_minimapLook.colours);
}
