// The rules as the world applies them: what touching a dot, a gun or an enemy
// does, shooting, and the head-up display.
#include "math3d/Math3d.h"
#include "platform/Time.h"
#include "scene/Maze.h"
#include "world/PlayWave.h"
#include "world/World.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const int kDotPoints = 10;
const int kEnemyPoints = 50;
const int kShotsPerGun = 2;
const int kShotSamples = 10;      // cells probed along a shot, the player's own first
const uint32_t kHitPauseMs = 300; // the hit is felt: the whole game holds still
const int kFlashPercent = 40;
const int kSoftFlashPercent = 15; // with reduced flashes
const int kSoftFadeLowest = 50;   // with reduced flashes: a fade to half brightness
const int kHudMargin = 5;
const int kLineGap = 4;       // pixels between lines of words
const int kSoundSignTop = 32; // below the score

// "m:ss" of milliseconds, the seconds cut off.
std::string MinutesSeconds(int ms) {
    const int seconds = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

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
        ++m_nLevelDots;
        break;
    case EV_LAST_DOT:
        PlayWave(IDW_DOT);
        m_nScore += kDotPoints;
        ++m_nLevelDots;
        m_nEndCardMs = kEndCardMs;
        m_nLevelCardMs = 0;
        ReleaseKeys();
        break;
    case EV_CAUGHT:
        if (m_bInvulnerable)
            break;
        --m_nLives;
        PlayWave(IDW_CAUGHT);
        m_nHoldMs = kCaughtHoldMs;
        m_nLevelCardMs = 0;
        ReleaseKeys();
        break;
    default:
        break;
    }
    return code;
}

int CWorld::RunStill(int dt) {
    if (m_nHoldMs > 0) {
        m_nHoldMs -= dt;
        if (m_nHoldMs > 0)
            return EV_NONE;
        m_nHoldMs = 0;
        // A catch is the moment a player sensitive to flashes least needs
        // one: with reduced flashes the game goes on without the fade.
        if (!m_look.reduceFlashes)
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
        m_nLevelDots = 0;
        ReleaseKeys();
        return EV_NONE;
    }
    m_nEndCardMs = m_bEndCardSkipped ? 0 : m_nEndCardMs - dt;
    if (m_nEndCardMs > 0)
        return EV_NONE;
    m_nEndCardMs = 0;
    m_bEndCardSkipped = false;
    m_screen.FadeOut(m_look.reduceFlashes ? kSoftFadeLowest : 0);
    return EV_LEVEL_DONE;
}

void CWorld::SkipEndCard() {
    // Counted down by the next frame, so that the card's last frame is
    // still a frame of the card.
    if (m_nEndCardMs > 0)
        m_bEndCardSkipped = true;
}

void CWorld::SetLevelBest(int32_t bestMs) {
    m_nBestMs = bestMs;
    m_bShowBest = true;
}

void CWorld::ShowLevelCard(int number, const std::string& name) {
    m_nCardLevel = number;
    m_strCardName = name;
    m_nLevelCardMs = kLevelCardMs;
}

void CWorld::ShowSoundSign(bool muted) {
    m_bSoundOff = muted;
    if (!m_bPaused) {
        m_nSoundSignMs = kSoundSignMs;
        return;
    }
    // Paused, no frame will come to draw it: it goes over the paused
    // picture now, and the first frame after the resume paints it over.
    m_nSoundSignMs = 0;
    int32_t x = 0, y = 0;
    m_screen.BeginDrawOverPause(&x, &y);
    DrawCentred(m_screen, muted ? "SOUND OFF" : "SOUND ON", x, m_screen.backBuffer.width,
                y + kSoundSignTop);
    m_screen.EndDrawOverPause();
}

bool CWorld::Fire() {
    // One shot a frame: the flash of the last one has not been shown yet.
    if (m_nShots <= 0 || m_bMuzzleFlash || IsStill())
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
                             m_look.reduceFlashes ? kSoftFlashPercent : kFlashPercent);
        m_bMuzzleFlash = false;
    }
    screen.Blit(m_gun, gx, gy, true);
    // The shots left, over the gun's right end: at its foot the minimap,
    // which is drawn later and may reach 144 pixels across, would hide it.
    const CSurface* digits = m_pictures.digits;
    if (m_nShots > 0 && digits != nullptr) {
        int32_t across = 0;
        for (int n = m_nShots; n > 0; n /= 10)
            across += digits[n % 10].width;
        screen.DrawNumber(digits, m_nShots, screen.width - kHudMargin - across,
                          gy - digits[0].height - kHudMargin, 1);
    }
}

void CWorld::DrawHud(CScreen& screen) {
    // The player's arrow is the maze's: it is drawn with the minimap.

    // The life being played is not shown.
    const int32_t iconWidth = m_lifeIcon.width;
    if (m_nLives > 1 && m_lifeIcon.pixels != nullptr) {
        int spare = m_nLives - 1;
        for (int i = 0; i < spare; ++i)
            screen.Blit(m_lifeIcon, screen.width - spare * iconWidth + i * iconWidth, kHudMargin,
                        true);
    }
    // Through a catch's hold the life just lost shrinks away where it stood,
    // left of the spare ones, steadily, never blinking.
    if (m_nHoldMs > 0 && m_nLives >= 1 && m_lifeIcon.pixels != nullptr) {
        const int32_t w = iconWidth * m_nHoldMs / kCaughtHoldMs;
        const int32_t h = m_lifeIcon.height * m_nHoldMs / kCaughtHoldMs;
        const int32_t left = screen.width - m_nLives * iconWidth;
        if (w > 0 && h > 0)
            screen.StretchBlit(m_lifeIcon, left + (iconWidth - w) / 2,
                               kHudMargin + (m_lifeIcon.height - h) / 2, w, h, true);
    }

    screen.DrawNumber(m_pictures.digits, m_nScore, kHudMargin, kHudMargin, 1);

    if (m_nOverlayTime > 0)
        screen.Blit(m_overlay, (screen.width - m_overlay.width) / 2,
                    (screen.height - m_overlay.height) / 2, true);
    DrawSigns(screen);
}

void CWorld::DrawCentred(CSurface& target, const char* text, int32_t left, int32_t width,
                         int32_t y) const {
    const int64_t across = CSurface::WordsWidth(m_pictures.font, text);
    target.DrawWords(m_pictures.font, text, static_cast<int32_t>(left + (width - across) / 2), y);
}

void CWorld::DrawTitleLine(CScreen& screen, int32_t line) const {
    // Broken between words where the screen is too narrow for the line, and
    // laid over the foot of the title picture, which fills nearly the whole
    // screen, so that it reads as the title's own.
    std::vector<std::string> lines(1);
    size_t start = 0;
    while (start < m_strTitleLine.size()) {
        size_t end = m_strTitleLine.find(' ', start);
        if (end == std::string::npos)
            end = m_strTitleLine.size();
        const std::string word = m_strTitleLine.substr(start, end - start);
        const std::string longer = lines.back().empty() ? word : lines.back() + " " + word;
        if (!lines.back().empty() &&
            CSurface::WordsWidth(m_pictures.font, longer.c_str()) > screen.width - 2 * kHudMargin)
            lines.push_back(word);
        else
            lines.back() = longer;
        start = end + 1;
    }
    const int32_t foot = std::min(screen.height, (screen.height + m_overlay.height) / 2);
    int32_t y = foot - static_cast<int32_t>(lines.size()) * line - kHudMargin;
    for (const std::string& text : lines) {
        DrawCentred(screen, text.c_str(), y);
        y += line;
    }
}

void CWorld::DrawSigns(CScreen& screen) {
    const CSurface* font = m_pictures.font;
    if (font == nullptr)
        return;
    const int32_t line = font[0].height + kLineGap;
    const int32_t top = screen.height / 3;
    char text[64];
    if (m_nLevelCardMs > 0 && m_nOverlayTime <= 0) {
        std::snprintf(text, sizeof text, "LEVEL %d", m_nCardLevel);
        DrawCentred(screen, text, top);
        if (!m_strCardName.empty())
            DrawCentred(screen, m_strCardName.c_str(), top + line);
    }
    if (m_nOverlayTime > 0 && !m_strTitleLine.empty())
        DrawTitleLine(screen, line);
    if (m_nEndCardMs > 0) {
        std::snprintf(text, sizeof text, "LEVEL %d CLEAR", m_nCardLevel);
        DrawCentred(screen, text, top);
        DrawCentred(screen, ("TIME " + MinutesSeconds(m_nLevelMs)).c_str(), top + 2 * line);
        // Milliseconds decide: a best within the same second is still new.
        if (m_bShowBest)
            DrawCentred(screen,
                        m_nBestMs < 0 || m_nLevelMs < m_nBestMs
                            ? "NEW BEST"
                            : ("BEST " + MinutesSeconds(m_nBestMs)).c_str(),
                        top + 5 * line);
        std::snprintf(text, sizeof text, "SCORE %d", GetLevelScore());
        DrawCentred(screen, text, top + 3 * line);
        std::snprintf(text, sizeof text, "DOTS %d", m_nLevelDots);
        DrawCentred(screen, text, top + 4 * line);
    }
    if (m_nHoldMs > 0)
        DrawCentred(screen, "CAUGHT", (screen.height - font[0].height) / 2);
    if (m_nSoundSignMs > 0)
        DrawCentred(screen, m_bSoundOff ? "SOUND OFF" : "SOUND ON", kSoundSignTop);
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
