// The game world: the screen, the scene with the maze, the player's camera,
// movement and turning, the counters and the head-up display. The frame window
// creates one and ticks it once per idle pass; each tick runs one frame.
#pragma once
#include "gfx/Screen.h"
#include "gfx/Surface.h"
#include "math3d/Matrix.h"
#include "math3d/Pose.h"
#include "scene/Minimap.h"
#include "scene/PictureTables.h"
#include "scene/SceneFrame.h"
#include "scene/SceneNode.h"
#include <cstdint>
#include <string>

class CWnd;
class CMaze;

// What a frame reports to the frame window: the scene's codes (EV_CAUGHT,
// EV_GUN and EV_DOT are handled inside the world; after EV_LAST_DOT the
// frame window moves on to the next level) and this one.
enum : int {
    EV_GAME_OVER = 5,  // the last life is lost: the frame window ends the game
    EV_LEVEL_DONE = 6, // the level's end card is over: on to the next level
};

// How long the game stands still after a catch, and how long each card
// stands, in milliseconds of the game's clock.
const int kCaughtHoldMs = 1000;
const int kLevelCardMs = 2000;
const int kEndCardMs = 2000;
const int kSoundSignMs = 1000;

// The turn rate the game was designed with, and the fastest a player may
// choose, in degrees a second. Any rate but the design's plays a different
// game, so a run carries the rate it was played at.
const int kDesignTurnSpeed = 40;
const int kMaxTurnSpeed = 180;

// How the player chose to see the game. Only drawing reads it: the same
// keys give the same game whatever it holds.
struct WorldLook {
    // A fainter gun flash, a fade that stops at half brightness, and no
    // fade at all after a catch's hold.
    bool reduceFlashes = false;
    MinimapLook minimap;
};

// How the player walks and turns.
enum EMove : int { MOVE_STAND = 0, MOVE_FORWARD = 1, MOVE_BACKWARD = 2 };
enum ETurn : int { TURN_NONE = 0, TURN_RIGHT = 1, TURN_LEFT = 2 }; // right: the heading grows
// Sidestep: across the heading at walking speed.
enum EStrafe : int { STRAFE_NONE = 0, STRAFE_RIGHT = 1, STRAFE_LEFT = 2 };

class CWorld {
public:
    // `frame` is the window whose client area the screen covers; it must
    // have a window and outlive the world. Every maze is built with
    // `pictures`, whose tables and pictures must outlive the world. The
    // world starts paused.
    CWorld(CWnd& frame, bool bInvulnerable, const PictureTables& pictures);
    virtual ~CWorld();
    CWorld(const CWorld&) = delete;
    CWorld& operator=(const CWorld&) = delete;

    // ---- Level starts ----
    // Each puts the player on the start cell with heading 0 and no shots,
    // un-pauses the world and returns whether the maze was built; the camera,
    // counters and pause state are set even when it was not. The first two
    // replace the maze (new game: 5 lives, score 0); the reloads keep the
    // maze's sky and floor and reset score and lives only when bReset.
    bool LoadLevelResource(int levelId, int skyId, int floorId);
    bool LoadLevelFile(const char* path, int skyId, int floorId);
    bool ReloadLevelResource(int levelId, bool bReset);
    bool ReloadLevelFile(const char* path, bool bReset);

    // Places the camera (eye height unchanged) and rebuilds the view matrix.
    void SetCamera(double x, double z, double heading);
    // Pausing suspends the screen; resuming resumes it and restarts the
    // frame clock. Either way held keys are forgotten.
    void SetPaused(bool bPaused);

    // The card that names a level as it starts: "LEVEL number" and `name`
    // (none when empty), over the live view for kLevelCardMs once the
    // title overlay is gone. The frame window calls it at every level
    // start; a catch's restart does not, and a catch takes the card away.
    void ShowLevelCard(int number, const std::string& name);
    // The mute switch changed: SOUND OFF or SOUND ON for kSoundSignMs of
    // play, or, while paused, drawn at once over the paused picture until
    // the resume. Nothing of the simulation depends on it.
    void ShowSoundSign(bool muted);
    // Ends the level's end card now: the next frame reports EV_LEVEL_DONE.
    void SkipEndCard();
    // The best time of the level just started, in milliseconds, for its end
    // card (BEST, or NEW BEST when beaten); -1 when there is none yet. Set
    // by the frame window after the level start, which forgets it; without
    // it the card shows no best at all.
    void SetLevelBest(int32_t bestMs);
    // A line of words under the title picture while it shows ("" none).
    void SetTitleLine(const std::string& line) { m_strTitleLine = line; }

    // The turn rate from now on, kDesignTurnSpeed to kMaxTurnSpeed degrees
    // a second (clamped to that range); kDesignTurnSpeed until set.
    void SetTurnSpeed(int degreesPerSecond);
    int GetTurnSpeed() const { return m_nTurnSpeed; }
    // The look from now on; the maze in play and every maze loaded later
    // draw with it.
    void SetLook(const WorldLook& look);
    const WorldLook& GetLook() const { return m_look; }

    // ---- The player's keys, between frames ----
    // The frame window decides which key means what, and gives a paused
    // world no keys. A key going down sets its motion, so the last key
    // pressed wins; either key of a pair coming up stops that motion, even
    // while the other is still held.
    void OnMoveKey(EMove move, bool bDown);
    void OnTurnKey(ETurn turn, bool bDown);
    void OnStrafeKey(EStrafe strafe, bool bDown);
    EMove GetMove() const { return m_nMove; }
    ETurn GetTurn() const { return m_nTurn; }
    EStrafe GetStrafe() const { return m_nStrafe; }

    // After a catch the game holds (kCaughtHoldMs: CAUGHT over the frame,
    // the lost life going); after the last dot the end card stands
    // (kEndCardMs, or until skipped). Either way the world stands still:
    // no steering, no enemy moves, no catches, no shots, and the keys held
    // when it began are let go.
    bool IsHolding() const { return m_nHoldMs > 0; }
    bool IsEndCardUp() const { return m_nEndCardMs > 0; }
    bool IsStill() const { return IsHolding() || IsEndCardUp(); }

    // Runs one frame with the milliseconds since the previous one and stores
    // its event code in *event. A paused world runs nothing, leaves *event
    // alone and returns false.
    bool Tick(int* event);
    // One frame of `dt` milliseconds; returns the event code.
    int RunFrame(int dt);
    // Applies the movement and turning state for `dt` milliseconds.
    void Steer(int dt);

    // ---- Rules ----
    // Turns what the player touched this frame into score, shots, lives and
    // sounds; returns the event code.
    int CheckEvents();
    // A shot along the heading, between frames (a fire key going down). True
    // when an enemy was hit.
    bool Fire();
    void DrawGun(CScreen& screen);
    void DrawHud(CScreen& screen);
    // Loads the gun (whose success is returned), flash and life-icon
    // pictures; an id of 0 skips the flash or the icon.
    bool LoadHudImages(int gunId, int flashId, int lifeIconId);
    // Shows picture `id` centred over the game for `ms` milliseconds of play.
    // False, with the overlay hidden, when the picture does not load.
    bool ShowOverlay(int id, int ms);

    // The maze (child 1 of the root), or null before the first level start.
    CMaze* GetMaze() const;
    // Why the last level load did not build, in a few words; empty when it
    // built. A load that fails without a reason gives a general one.
    std::string GetLevelRefusal() const;

    // ---- What the world holds, read-only ----
    // The frame window reads the figures it reports and the pause; only the
    // world's own frames, keys and rules change them. (Tests set up states
    // the rules would take long to reach through WorldProbe, testkit/.)
    const CScreen& GetScreen() const { return m_screen; }
    const CPose& GetCamera() const { return m_camera; }
    const CMatrix& GetView() const { return m_view; }
    uint32_t GetLastTick() const { return m_dwLastTick; }
    int GetScore() const { return m_nScore; }
    int GetLives() const { return m_nLives; }
    int GetShots() const { return m_nShots; }
    int GetOverlayTime() const { return m_nOverlayTime; }
    int GetHoldTime() const { return m_nHoldMs; }
    int GetEndCardTime() const { return m_nEndCardMs; }
    int GetLevelCardTime() const { return m_nLevelCardMs; }
    int GetSoundSignTime() const { return m_nSoundSignMs; }
    // The level in play so far: milliseconds of frames played (not the
    // title, the level's card, the holds, the end card or pauses), dots
    // eaten since the last (re)start
    // and points scored since the level began.
    int GetLevelTime() const { return m_nLevelMs; }
    int GetLevelDots() const { return m_nLevelDots; }
    int GetLevelScore() const { return m_nScore - m_nLevelStartScore; }
    bool IsPaused() const { return m_bPaused; }
    bool IsInvulnerable() const { return m_bInvulnerable; }
    bool HasMuzzleFlash() const { return m_bMuzzleFlash; }
    // Wall-clock seconds spent in the frames Tick ran, for the frame rate a
    // run reports.
    double GetFrameSeconds() const { return m_dFrameSeconds; }

private:
    friend struct WorldProbe;

    // The tail every level start shares; `built` is the maze build's result.
    bool StartLevel(bool built, bool bReset);
    // Puts the camera in the middle of the maze's start cell, heading 0.
    void PlaceOnStartCell();
    // The still frames' rule: counts the hold or the end card down by
    // `dt` and returns what its end brings.
    int RunStill(int dt);
    // Lets go of every held key's motion.
    void ReleaseKeys();
    // The cards, the CAUGHT sign and the sound sign, over the head-up display.
    void DrawSigns(CScreen& screen);
    // The title's line of words, `line` pixels a line of them.
    void DrawTitleLine(CScreen& screen, int32_t line) const;
    // `text` centred across `target` with its top at y.
    void DrawCentred(CSurface& target, const char* text, int32_t y) const {
        DrawCentred(target, text, 0, target.width, y);
    }
    // Centred across the `width` pixels of `target` from column `left`.
    void DrawCentred(CSurface& target, const char* text, int32_t left, int32_t width,
                     int32_t y) const;

    CScreen m_screen;
    CSceneNode m_root;
    CPose m_camera;
    CMatrix m_view;
    uint32_t m_dwLastTick = 0;
    int m_nScore = 0;
    int m_nLives = 0;
    bool m_bPaused = true;
    bool m_bInvulnerable;
    bool m_bMuzzleFlash = false;
    int m_nShots = 0;
    int m_nOverlayTime = 0; // ms left to show m_overlay; only > 0 shows
    CSurface m_overlay;
    CSurface m_gun;
    CSurface m_flash;
    CSurface m_lifeIcon;
    int m_nHoldMs = 0;    // ms left of the catch's hold
    int m_nEndCardMs = 0; // ms left of the level's end card
    bool m_bEndCardSkipped = false;
    int m_nLevelCardMs = 0; // ms left of the level's start card
    int m_nSoundSignMs = 0; // ms left of SOUND OFF / SOUND ON
    bool m_bSoundOff = false;
    int m_nCardLevel = 0;
    std::string m_strCardName;
    int m_nLevelMs = 0;
    int32_t m_nBestMs = -1;   // the level's best time, -1 none
    bool m_bShowBest = false; // SetLevelBest was called for this level
    std::string m_strTitleLine;
    int m_nLevelDots = 0;
    int m_nLevelStartScore = 0;
    double m_dFrameSeconds = 0.0;
    int m_nTurnSpeed = kDesignTurnSpeed;
    double m_dTurnPerMs = kDesignTurnSpeed / 1000.0;
    WorldLook m_look;
    EMove m_nMove = MOVE_STAND;
    ETurn m_nTurn = TURN_NONE;
    EStrafe m_nStrafe = STRAFE_NONE;
    PictureTables m_pictures;
    CSceneFrame m_frame;
};
