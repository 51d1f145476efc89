// The rules as the world applies them: what touching a dot, a gun or an enemy
// does, shooting, and the head-up display.
#include "math3d/Math3d.h"
#include "platform/Time.h"
#include "scene/Maze.h"
#include "world/PlayWave.h"
#include "world/World.h"
#include <cmath>

namespace {

const int kDotPoints = 10;
const int kEnemyPoints = 50;
const int kShotsPerGun = 2;
const int kShotSamples = 10;      // cells probed along a shot, the player's own first
const uint32_t kHitPauseMs = 300; // the hit is felt: the whole game holds still
const int kFlashPercent = 40;
const int kHudMargin = 5;

// The picture last loaded into a world's overlay, so that showing it again
// does not reload it.
int g_nOverlayId = 0;

} // namespace

int CWorld::CheckEvents() {
    CSceneNode* hit = nullptr;
    int code = m_root.Interact(m_camera, &hit);
    switch (code) {
    case EV_GUN:
        PlayWave(IDW_GUN_PICKUP);
        m_nShots += kShotsPerGun;
        break;
    case EV_DOT:
        PlayWave(IDW_DOT);
        m_nScore += kDotPoints;
        break;
    case EV_LAST_DOT:
        PlayWave(IDW_DOT);
        m_nScore += kDotPoints;
        m_screen.FadeOut();
        break;
    case EV_CAUGHT:
        if (m_bInvulnerable)
            break;
        --m_nLives;
        PlayWave(IDW_CAUGHT);
        m_screen.FadeOut();
        if (m_nLives < 1)
            return EV_GAME_OVER;
        // Everything of the level comes back: dots, guns and enemies. A
        // failed reload has already put the level back as it was loaded, so
        // play goes on either way; the start is looked up afterwards, since
        // a file changed during play may have moved it.
        if (CMaze* maze = GetMaze())
            maze->Restart();
        PlaceOnStartCell();
        break;
    default:
        break;
    }
    return code;
}

bool CWorld::Fire() {
    // One shot a frame: the flash of the last one has not been shown yet.
    if (m_nShots <= 0 || m_bMuzzleFlash)
        return false;
    PlayWave(IDW_SHOT);
    m_bMuzzleFlash = true;
    --m_nShots;

    double stepX, stepZ;
    SinCosDegrees(m_camera.heading, &stepX, &stepZ);
    stepZ = -stepZ;
    for (int i = 0; i < kShotSamples; ++i) {
        PlatPoint cell = {static_cast<int32_t>(m_camera.x + i * stepX),
                          static_cast<int32_t>(m_camera.z + i * stepZ)};
        CSceneNode* node = m_root.Probe(cell, &m_screen);
        if (node == nullptr)
            continue;
        if (node->GetId() < kEnemyIdBase)
            return false; // a wall stops the shot
        m_nScore += kEnemyPoints;
        PlatSleep(kHitPauseMs);
        PlayWave(IDW_HIT);
        if (CSceneNode* parent = node->GetParent())
            parent->RemoveChild(node); // deletes the enemy
        return true;
    }
    return false;
}

void CWorld::DrawGun(CScreen& screen) {
    if (m_gun.pixels == nullptr) {
        // Without a gun picture nothing is drawn, but the shot's frame has
        // still come: otherwise the flag would block every later shot.
        m_bMuzzleFlash = false;
        return;
    }
    if (m_nShots <= 0 && !m_bMuzzleFlash)
        return;
    int32_t gx = screen.width - m_gun.width;
    int32_t gy = screen.height - m_gun.height;
    if (m_bMuzzleFlash) {
        // The flash is centred on the gun's top-left corner and shows for
        // exactly one frame per shot.
        if (m_flash.pixels != nullptr)
            screen.BlendBlit(m_flash, gx - m_flash.width / 2, gy - m_flash.height / 2, true,
                             kFlashPercent);
        m_bMuzzleFlash = false;
    }
    screen.Blit(m_gun, gx, gy, true);
}

void CWorld::DrawHud(CScreen& screen) {
    // The player's arrow is the maze's: it is drawn with the minimap.

    // The life being played is not shown.
    if (m_nLives > 1 && m_lifeIcon.pixels != nullptr) {
        int spare = m_nLives - 1;
        for (int i = 0; i < spare; ++i)
            screen.Blit(m_lifeIcon, screen.width - spare * m_lifeIcon.width + i * m_lifeIcon.width,
                        kHudMargin, true);
    }

    screen.DrawNumber(m_pictures.digits, m_nScore, kHudMargin, kHudMargin, 1);

    if (m_nOverlayTime > 0)
        screen.Blit(m_overlay, (screen.width - m_overlay.width) / 2,
                    (screen.height - m_overlay.height) / 2, true);
}

bool CWorld::LoadHudImages(int gunId, int flashId, int lifeIconId) {
    // A picture that does not load is simply not drawn.
    if (lifeIconId != 0)
        m_lifeIcon.LoadBitmapResource(lifeIconId);
    if (flashId != 0)
        m_flash.LoadBitmapResource(flashId);
    return m_gun.LoadBitmapResource(gunId);
}

bool CWorld::ShowOverlay(int id, int ms) {
    m_nOverlayTime = 0;
    if (m_overlay.pixels == nullptr || id != g_nOverlayId) {
        if (!m_overlay.LoadBitmapResource(id)) {
            // Whatever a failed load left behind is not the picture asked for.
            m_overlay.Free();
            g_nOverlayId = 0;
            return false;
        }
        g_nOverlayId = id;
    }
    m_nOverlayTime = ms;
    return true;
}
