#include "world/World.h"
#include "math3d/Drawable.h"
#include "platform/Time.h"
#include "platform/Wnd.h"
#include "scene/ActiveView.h"
#include "scene/Maze.h"
#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace {

const uint32_t kMazeId = 1;
const int kViewRadius = 11;      // cells on each side of the player that are drawn
const double kWalkPerMs = 0.001; // one cell a second
const double kMaxStep = 0.4;     // below the maze's push radius, so no wall is skipped
const double kTurnPerMs = 0.04;  // forty degrees a second
const double kMaxTurn = 360.0;
const int kStartLives = 5;

} // namespace

CWorld::CWorld(CWnd& frame, bool bInvulnerable)
    : m_screen(frame.GetSafeHwnd()), m_root(nullptr, 0), m_bInvulnerable(bInvulnerable) {
    m_camera.y = 0.5; // eye height, for the whole game
    SetActiveView(&m_screen, &m_camera);
}

CWorld::~CWorld() {
    SetActiveView(nullptr, nullptr);
}

CMaze* CWorld::GetMaze() const {
    return static_cast<CMaze*>(m_root.FindChild(kMazeId, true));
}

bool CWorld::LoadLevelResource(int levelId, int skyId, int floorId) {
    m_root.RemoveChildById(kMazeId);
    CMaze* maze = new CMaze(&m_root, kMazeId);
    m_root.AddChild(maze);
    return StartLevel(maze->LoadFromResource(levelId, skyId, floorId), true);
}

bool CWorld::LoadLevelFile(const char* path, int skyId, int floorId) {
    m_root.RemoveChildById(kMazeId);
    CMaze* maze = new CMaze(&m_root, kMazeId);
    m_root.AddChild(maze);
    return StartLevel(maze->LoadFromFile(path, skyId, floorId), true);
}

bool CWorld::ReloadLevelResource(int levelId, bool bReset) {
    CMaze* maze = GetMaze();
    return StartLevel(maze != nullptr && maze->LoadNextFromResource(levelId), bReset);
}

bool CWorld::ReloadLevelFile(const char* path, bool bReset) {
    CMaze* maze = GetMaze();
    return StartLevel(maze != nullptr && maze->LoadNextFromFile(path), bReset);
}

bool CWorld::StartLevel(bool built, bool bReset) {
    PlaceOnStartCell();
    m_nShots = 0;
    if (bReset) {
        m_nLives = kStartLives;
        m_nScore = 0;
    }
    SetPaused(false);
    return built;
}

void CWorld::PlaceOnStartCell() {
    int column = 0, row = 0;
    if (CMaze* maze = GetMaze())
        maze->GetStartCell(&column, &row);
    SetCamera(column + 0.5, row + 0.5, 0.0);
}

void CWorld::SetCamera(double x, double z, double heading) {
    m_camera.x = x;
    m_camera.z = z;
    m_camera.heading = heading;
    m_view = m_camera.GetViewMatrix();
}

void CWorld::SetPaused(bool bPaused) {
    m_bPaused = bPaused;
    if (bPaused) {
        m_screen.Suspend();
    } else {
        m_screen.Resume();
        // The pause and the resume's own wait are not game time.
        m_dwLastTick = PlatGetTickCount();
    }
    m_nMove = 0;
    m_nTurn = 0;
}

bool CWorld::Tick(int* event) {
    if (m_bPaused)
        return false;
    uint32_t now = PlatGetTickCount();
    // Unsigned difference, so a wrapping tick count still gives the right step.
    const auto start = std::chrono::steady_clock::now();
    *event = RunFrame(static_cast<int>(now - m_dwLastTick));
    m_dFrameSeconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m_dwLastTick = now;
    return true;
}

int CWorld::RunFrame(int dt) {
    Steer(dt);

    int ix = static_cast<int>(m_camera.x);
    int iz = static_cast<int>(m_camera.z);
    PlatRect region = {ix - kViewRadius, iz - kViewRadius, ix + kViewRadius, iz + kViewRadius};

    m_root.Update(dt, m_camera);
    m_root.TransformTree(m_view, region);
    m_root.DrawBackground(m_screen);

    m_visible.clear();
    m_root.CollectVisible(m_visible);
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
        drawable->Project(m_screen);
        drawable->Draw(m_screen);
    }

    DrawGun(m_screen);
    m_root.DrawOverlay(m_screen);
    DrawHud(m_screen);
    if (m_nOverlayTime > 0)
        m_nOverlayTime -= dt;
    m_screen.Present();

    // After the present, so a fade works on the picture just shown.
    return CheckEvents();
}

void CWorld::Steer(int dt) {
    double ms = static_cast<double>(dt);
    bool steered = false;
    if (m_nMove == 1) {
        double d = std::min(ms * kWalkPerMs, kMaxStep);
        m_camera.MoveForward(d);
        m_root.Collide(m_camera);
        steered = true;
    } else if (m_nMove == 2) {
        double d = std::max(ms * -kWalkPerMs, -kMaxStep);
        m_camera.MoveForward(d);
        m_root.Collide(m_camera);
        steered = true;
    }
    if (m_nTurn == 1) {
        m_camera.Turn(std::min(ms * kTurnPerMs, kMaxTurn));
        steered = true;
    } else if (m_nTurn == 2) {
        m_camera.Turn(std::max(ms * -kTurnPerMs, -kMaxTurn));
        steered = true;
    }
    if (steered)
        m_view = m_camera.GetViewMatrix();
}
