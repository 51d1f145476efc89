#include "world/World.h"
#include "platform/Time.h"
#include "platform/Wnd.h"
#include "scene/Maze.h"
#include <algorithm>
#include <chrono>

namespace {

const uint32_t kMazeId = 1;
const double kWalkPerMs = 0.001; // one cell a second
const double kMaxStep = 0.4;     // below the maze's push radius, so no wall is skipped
const double kMaxTurn = 360.0;
const int kStartLives = 5;

} // namespace

CWorld::CWorld(CWnd& frame, bool bInvulnerable, const PictureTables& pictures)
    : m_screen(frame.GetSafeHwnd()), m_root(nullptr, 0), m_bInvulnerable(bInvulnerable),
      m_pictures(pictures) {
    m_camera.y = 0.5; // eye height, for the whole game
}

CWorld::~CWorld() = default;

CMaze* CWorld::GetMaze() const {
    return static_cast<CMaze*>(m_root.FindChild(kMazeId, true));
}

std::string CWorld::GetLevelRefusal() const {
    const CMaze* maze = GetMaze();
    const std::string why = maze ? maze->GetRefusal() : "";
    return why.empty() ? "the game cannot build it" : why;
}

bool CWorld::LoadLevelResource(int levelId, int skyId, int floorId) {
    m_root.RemoveChildById(kMazeId);
    CMaze* maze = new CMaze(&m_root, kMazeId);
    m_root.AddChild(maze);
    maze->SetMinimapLook(m_look.minimap);
    return StartLevel(maze->LoadFromResource(levelId, skyId, floorId, m_pictures), true);
}

bool CWorld::LoadLevelFile(const char* path, int skyId, int floorId) {
    m_root.RemoveChildById(kMazeId);
    CMaze* maze = new CMaze(&m_root, kMazeId);
    m_root.AddChild(maze);
    maze->SetMinimapLook(m_look.minimap);
    return StartLevel(maze->LoadFromFile(path, skyId, floorId, m_pictures), true);
}

bool CWorld::ReloadLevelResource(int levelId, bool bReset) {
    CMaze* maze = GetMaze();
    return StartLevel(maze != nullptr && maze->LoadNextFromResource(levelId, m_pictures), bReset);
}

bool CWorld::ReloadLevelFile(const char* path, bool bReset) {
    CMaze* maze = GetMaze();
    return StartLevel(maze != nullptr && maze->LoadNextFromFile(path, m_pictures), bReset);
}

bool CWorld::StartLevel(bool built, bool bReset) {
    PlaceOnStartCell();
    m_nShots = 0;
    if (bReset) {
        m_nLives = kStartLives;
        m_nScore = 0;
    }
    m_nHoldMs = 0;
    m_nEndCardMs = 0;
    m_bEndCardSkipped = false;
    m_nLevelCardMs = 0;
    m_nLevelMs = 0;
    m_nBestMs = -1;
    m_bShowBest = false;
    m_nLevelDots = 0;
    m_nLevelStartScore = m_nScore;
    SetPaused(false);
    return built;
}

void CWorld::PlaceOnStartCell() {
    int column = 0, row = 0;
    if (CMaze* maze = GetMaze())
        maze->GetStartCell(&column, &row);
    SetCamera(column + 0.5, row + 0.5, 0.0);
}

void CWorld::SetTurnSpeed(int degreesPerSecond) {
    m_nTurnSpeed = std::max(kDesignTurnSpeed, std::min(degreesPerSecond, kMaxTurnSpeed));
    // Divided, not multiplied by 0.001: the design's 40 must give exactly
    // the 0.04 every earlier run turned by.
    m_dTurnPerMs = m_nTurnSpeed / 1000.0;
}

void CWorld::SetLook(const WorldLook& look) {
    m_look = look;
    if (CMaze* maze = GetMaze())
        maze->SetMinimapLook(look.minimap);
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
    ReleaseKeys();
}

void CWorld::ReleaseKeys() {
    m_nMove = MOVE_STAND;
    m_nTurn = TURN_NONE;
    m_nStrafe = STRAFE_NONE;
}

void CWorld::OnMoveKey(EMove move, bool bDown) {
    m_nMove = bDown ? move : MOVE_STAND;
}

void CWorld::OnTurnKey(ETurn turn, bool bDown) {
    m_nTurn = bDown ? turn : TURN_NONE;
}

void CWorld::OnStrafeKey(EStrafe strafe, bool bDown) {
    m_nStrafe = bDown ? strafe : STRAFE_NONE;
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
    const bool still = IsStill();
    if (!still) {
        Steer(dt);
        // The level's time is play alone: the player may walk under the
        // title and the level's card, but a time is not raced from there.
        if (m_nOverlayTime <= 0 && m_nLevelCardMs <= 0)
            m_nLevelMs += dt;
    }
    // A still frame is drawn as if no time had passed, so nothing in the
    // maze moves under the sign.
    m_frame.Run(
        m_root, m_camera, m_view, still ? 0 : dt, m_screen,
        [this](CScreen& screen) { DrawGun(screen); }, [this](CScreen& screen) { DrawHud(screen); });
    // The level's card waits for the title to go.
    if (m_nOverlayTime > 0)
        m_nOverlayTime -= dt;
    else if (m_nLevelCardMs > 0)
        m_nLevelCardMs -= dt;
    if (m_nSoundSignMs > 0)
        m_nSoundSignMs -= dt;
    // After the present, so a fade works on the picture just shown.
    return still ? RunStill(dt) : CheckEvents();
}

void CWorld::Steer(int dt) {
    double ms = static_cast<double>(dt);
    bool steered = false;
    if (m_nMove == MOVE_FORWARD) {
        double d = std::min(ms * kWalkPerMs, kMaxStep);
        m_camera.MoveForward(d);
        m_root.Collide(m_camera);
        steered = true;
    } else if (m_nMove == MOVE_BACKWARD) {
        double d = std::max(ms * -kWalkPerMs, -kMaxStep);
        m_camera.MoveForward(d);
        m_root.Collide(m_camera);
        steered = true;
    }
    // After the walk, each step with its own push-out, as a player walking
    // and sidestepping into a corner is pushed out of both walls.
    if (m_nStrafe != STRAFE_NONE) {
        const double d = std::min(ms * kWalkPerMs, kMaxStep);
        m_camera.MoveRight(m_nStrafe == STRAFE_RIGHT ? d : -d);
        m_root.Collide(m_camera);
        steered = true;
    }
    if (m_nTurn == TURN_RIGHT) {
        m_camera.Turn(std::min(ms * m_dTurnPerMs, kMaxTurn));
        steered = true;
    } else if (m_nTurn == TURN_LEFT) {
        m_camera.Turn(std::max(ms * -m_dTurnPerMs, -kMaxTurn));
        steered = true;
    }
    if (steered)
        m_view = m_camera.GetViewMatrix();
}
