#include "scene/SceneFrame.h"
#include "gfx/Screen.h"
#include "math3d/Drawable.h"
#include "math3d/Math3d.h"
#include "scene/SceneNode.h"
#include <algorithm>
#include <cmath>

bool CSceneFrame::Run(CSceneNode& root, const CPose& viewer, const CMatrix& view, int dt,
                      CScreen& screen, const Layer& overScene, const Layer& overAll) {
    const int32_t ix = TruncateToInt32(viewer.x);
    const int32_t iz = TruncateToInt32(viewer.z);
    const PlatRect region = {ix - kViewRadius, iz - kViewRadius, ix + kViewRadius,
                             iz + kViewRadius};

    root.Update(dt, viewer);
    root.TransformTree(view, region, SideReach(screen.width, screen.projectionScale));
    root.DrawBackground(screen, viewer);

    m_visible.clear();
    root.CollectVisible(m_visible);
    // Painter's order: view space looks down negative z, so the most negative
    // key is the farthest and goes first. Equal keys keep their collection
    // order, which makes every run draw the same picture: sorting by key and
    // then by place in the list is that order, with each key read once.
    m_drawOrder.clear();
    bool bOrdered = true;
    for (size_t i = 0; i < m_visible.size(); ++i) {
        const double key = m_visible[i]->GetDepthKey();
        bOrdered = bOrdered && !std::isnan(key);
        m_drawOrder.emplace_back(key, i);
    }
    if (bOrdered) {
        std::sort(m_drawOrder.begin(), m_drawOrder.end());
    } else {
        // A key that is not a number orders nothing; the stable sort decides,
        // as it always did.
        std::stable_sort(m_drawOrder.begin(), m_drawOrder.end(),
                         [](const std::pair<double, size_t>& a,
                            const std::pair<double, size_t>& b) { return a.first < b.first; });
    }
    for (const std::pair<double, size_t>& entry : m_drawOrder) {
        CDrawable* drawable = m_visible[entry.second];
        drawable->Project(screen);
        drawable->Draw(screen);
    }

    if (overScene)
        overScene(screen);
    root.DrawOverlay(screen, viewer);
    if (overAll)
        overAll(screen);
    return screen.Present();
}
