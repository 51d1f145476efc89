// One frame of a scene tree, from the animation to the present: the single
// place that fixes the order in which a frame updates, culls, paints back to
// front and presents. The game's world runs every frame through it, and so
// do the tools that draw a scene of their own.
#pragma once
#include "math3d/Matrix.h"
#include "math3d/Pose.h"
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

class CDrawable;
class CSceneNode;
class CScreen;

// Cells on each side of the viewer's cell whose drawables a frame draws.
const int kViewRadius = 11;

class CSceneFrame {
public:
    // Drawing of the frame's owner, laid into the frame at a fixed depth.
    using Layer = std::function<void(CScreen&)>;

    // One frame of the tree under `root`, `dt` milliseconds after the last,
    // seen by `viewer` through `view` (the viewer's view matrix): Update,
    // TransformTree over the viewer's cell grown by kViewRadius on every
    // side and the screen's SideReach, DrawBackground, the visible drawables projected and drawn
    // farthest first, `overScene` (over the 3D view, under the overlays),
    // DrawOverlay, `overAll` and the present. Either layer may be empty.
    // Returns whether the present reached the screen.
    bool Run(CSceneNode& root, const CPose& viewer, const CMatrix& view, int dt, CScreen& screen,
             const Layer& overScene = Layer(), const Layer& overAll = Layer());

    // How many drawables the last Run drew.
    size_t GetDrawnCount() const { return m_drawOrder.size(); }

private:
    // Kept from frame to frame, so that a frame allocates nothing: the
    // visible drawables, and their drawing order (depth key, then place in
    // the list).
    std::vector<CDrawable*> m_visible;
    std::vector<std::pair<double, size_t>> m_drawOrder;
};
