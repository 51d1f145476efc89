// The game started once for a fuzz target: the headless platform with a
// small screen, the application with its frame window and world on the
// built-in level, and a level folder of the process's own. It goes at exit
// as it would at the game's end.
#pragma once
#include "FuzzSupport.h"
#include "app/MainFrame.h"
#include "app/QuibboApp.h"
#include "app/RunStats.h"
#include "platform/Time.h"
#include "platform/WindowSystem.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include "scene/Maze.h"
#include "testkit/SoakRun.h"
#include "world/World.h"
#include <filesystem>
#include <memory>

namespace fuzz {

struct Game {
    std::string folder; // ends with '/'
    std::unique_ptr<CQuibboApp> app;
    CMainFrame* frame = nullptr;
    CWorld* World() const { return frame->m_pWorld; }
};

inline Game& TheGame() {
    static Game game;
    return game;
}

// The frame window takes the world and the shared pictures with it.
inline void ShutdownGame() {
    Game& game = TheGame();
    if (game.frame != nullptr && game.frame->m_hWnd != nullptr)
        game.frame->DestroyWindow();
    game.frame = nullptr;
    game.app.reset();
    std::error_code error;
    std::filesystem::remove_all(game.folder, error);
}

// Starts the game once, on `display`.
inline Game& StartGame(const HeadlessDisplay& display) {
    Game& game = TheGame();
    if (game.frame != nullptr)
        return game;
    game.folder = ScratchPath("levels/");
    std::filesystem::create_directories(game.folder);
    FUZZ_CHECK(HeadlessReset(display), "the screen can be laid out");
    g_nLevel = 0;
    g_runStats.Reset();
    game.app = std::make_unique<CQuibboApp>();
    game.app->m_strLevelsDir = game.folder;
    FUZZ_CHECK(game.app->InitInstance(), "the game starts on the built-in level");
    game.frame = dynamic_cast<CMainFrame*>(game.app->m_pMainWnd);
    FUZZ_CHECK(game.frame != nullptr && game.frame->m_pWorld != nullptr, "the world exists");
    // Registered last, so that it runs before the platform's own objects,
    // made above, are destroyed.
    std::atexit(ShutdownGame);
    return game;
}

inline void Key(CMainFrame* frame, uint32_t message, uint32_t vk) {
    PlatMsg msg = {frame->m_hWnd, message, vk, 0};
    frame->PreTranslateMessage(&msg);
}

// One frame's keys from a byte, through the frame window's key table:
//   bits 0-1  0 none, 1 press up, 2 press down, 3 release up
//   bits 2-3  0 none, 1 press right, 2 press left, 3 release left
//   bit  4    press Return (fire)
inline void PressKeys(CMainFrame* frame, uint8_t keys) {
    static const uint32_t moves[4][2] = {
        {0, 0}, {WM_KEYDOWN, VK_UP}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYUP, VK_UP}};
    static const uint32_t turns[4][2] = {
        {0, 0}, {WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}};
    if (keys & 3)
        Key(frame, moves[keys & 3][0], moves[keys & 3][1]);
    if ((keys >> 2) & 3)
        Key(frame, turns[(keys >> 2) & 3][0], turns[(keys >> 2) & 3][1]);
    if (keys & 16)
        Key(frame, WM_KEYDOWN, VK_RETURN);
}

// Boxes of the running input looked at so far.
inline size_t& BoxesSeen() {
    static size_t seen = 0;
    return seen;
}

// One answer always waits, so that a game over starts a new game.
inline void AnswerOk() {
    size_t& seen = BoxesSeen();
    static bool waiting = false;
    const std::vector<HeadlessBox>& boxes = HeadlessMessageBoxes();
    for (; seen < boxes.size(); ++seen)
        if ((boxes[seen].type & 0xF) == MB_OKCANCEL)
            waiting = false;
    if (!waiting) {
        HeadlessAddAnswer(IDOK);
        waiting = true;
    }
}

// Whether this input's frames ended with "Can't load level.".
inline bool LevelFailed() {
    for (const CRunStats::Box& box : g_runStats.m_boxes)
        if (box.text == "Can't load level.")
            return true;
    return false;
}

// Queued messages, the call record and the boxes of one input do not reach
// the next.
inline void Settle() {
    PlatMsg msg;
    for (int i = 0; i < 64 && PlatPeekMessage(&msg, true); ++i) {
    }
    HeadlessClearLog();
    HeadlessClearMessageBoxes();
    BoxesSeen() = 0;
    g_runStats.m_boxes.clear();
}

} // namespace fuzz
