// The main frame window: it owns the world, runs the game loop step on every
// idle pass, maps the buttons to the world's movement, turning and firing,
// and moves from level to level until the game is over.
#pragma once
#include "platform/FrameWnd.h"
#include <bitset>
#include <string>

class CWorld;

// The level file in use: 0 is the first level (QB00.BMP or the built-in one).
extern int g_nLevel;

class CMainFrame : public CFrameWnd {
public:
    CMainFrame() = default;
    ~CMainFrame() override; // destroys the world if the window did not

    bool PreCreateWindow(PlatCreateStruct& cs) override;
    // The key table, while a world exists and is not paused: arrows set the
    // movement and turning, Return and the action buttons fire, Escape asks
    // to quit, character messages are swallowed. While paused only Escape
    // (which reaches the window only when the player paused) asks to quit.
    // True when the message was consumed.
    bool PreTranslateMessage(PlatMsg* msg) override;
    // WM_MUTECHANGED: the world shows the sound sign.
    int32_t WindowProc(uint32_t message, uint32_t wParam, int32_t lParam) override;
    int OnCreate(PlatCreateStruct* cs) override;
    void OnPaint() override;
    void OnDestroy() override;

    // One step of the game loop: a frame while this window holds the focus,
    // a pause while something else does. True asks for another idle pass.
    bool IdleTick();
    // Loads the shared pictures, creates the world and starts the level
    // g_nLevel: for 0 the first level, QB00.BMP when present and buildable,
    // else the built-in level; for N >= 1 QBnn.BMP of the level folder
    // (--level N). False when the built-in level cannot be built either, or
    // the chosen level is missing or does not build.
    bool CreateWorld();
    // After the last dot (bAdvance) or the last life: the next level file,
    // or the game-over box. False when a level failed to build.
    bool ChangeLevel(bool bAdvance);
    // The level --level chose, without a fallback; false, after one line on
    // standard error, when it is missing or does not build.
    bool StartChosenLevel();
    // Deletes the world and frees the shared pictures; safe to call again.
    void DestroyWorld();
    // Escape: "Quit Quibbo?" (Yes closes the window as its close button
    // does), or closes at once when the application does not confirm. The
    // world stands still while the box is up.
    void AskToQuit();

    CWorld* m_pWorld = nullptr; // owned

private:
    // Names the level just started on its card when it built, and hands
    // the world the level's best time when progress is kept; gives back
    // `built`.
    bool CardIfBuilt(bool built);
    // The title's offer to continue, for a new game at the first level.
    void OfferContinue();
    // The last dot of level g_nLevel was eaten: its results are kept.
    void KeepLevelWon();

    // The level C on the title continues at, 0 when none is offered.
    int m_nContinueOffer = 0;
    // Levels won in the game going on.
    int m_nLevelsWon = 0;

    // Keys held into a catch's hold or an end card: their repeats act only
    // after the key is pressed again (or let go).
    std::bitset<256> m_staleKeys;
};

// The digit glyphs and the three picture lists every level shares: wall
// types 0 and 1 with their darker copies, the dot, gun and barrel, the enemy.
void LoadSharedPictures();

// Whether the command line holds the access word that makes the player
// invulnerable: anywhere, also inside longer text, in any letter case.
bool HasAccessWord(const char* cmdLine);

// The name of level file `level` in `folder` ("QB00.BMP", "QB01.BMP", ...),
// and whether it counts as present (a file of at least 100 bytes).
std::string LevelFileName(const std::string& folder, int level);
bool IsLevelFilePresent(const std::string& path);
